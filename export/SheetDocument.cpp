#include "export/SheetDocument.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPagedPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>

namespace sheetexport {

namespace {

constexpr double kPad = 3;                // text inside a cell, points
constexpr double kFooterBand = 20;        // "стр. N из M" under the table
constexpr double kPixelsToPoints = 0.75;  // the grid's pixels at 96 dpi
constexpr int kMeasure = 16;              // fonts are measured this much larger, unhinted
const QString kTitle = QStringLiteral("ВЕДОМОСТЬ УСПЕВАЕМОСТИ");

// Fonts sized in points of the painter's coordinates (the painter is scaled to
// points), so they are pixel-sized; outlines without hinting keep the advances the same
// on every device.
QFont font(int points, bool bold = false, bool italic = false) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(points);
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setStyleStrategy(QFont::ForceOutline);
    return f;
}

// The metrics of a font measured larger; looked up once per font.
const QFontMetricsF& metrics(const QFont& f) {
    // Kept to the end of the program on purpose: destroyed at exit, after the
    // application object, fonts may no longer be torn down safely.
    static auto* cache = new QHash<QString, std::shared_ptr<QFontMetricsF>>;
    std::shared_ptr<QFontMetricsF>& m = (*cache)[f.key()];
    if (!m) {
        QFont big = f;
        big.setPixelSize(f.pixelSize() * kMeasure);
        m = std::make_shared<QFontMetricsF>(big);
    }
    return *m;
}

double advance(const QFont& f, const QString& text) {
    return metrics(f).horizontalAdvance(text) / kMeasure;
}

double lineHeight(const QFont& f) {
    return f.pixelSize() * 1.3;
}

// Wraps a title at spaces (and at its own line breaks) to a width; a word wider than the
// width stays whole on its line.
QStringList wrap(const QFont& f, const QString& text, double width) {
    QStringList lines;
    for (const QString& paragraph : text.split(QLatin1Char('\n'))) {
        QString line;
        for (const QString& word : paragraph.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
            if (!line.isEmpty() && advance(f, joined) > width) {
                lines << line;
                line = word;
            } else {
                line = joined;
            }
        }
        lines << line;
    }
    return lines;
}

QSizeF printableArea(const QPageLayout& layout) {
    return layout.paintRect(QPageLayout::Point).size();
}

}  // namespace

SheetDocument::SheetDocument(const SheetTable& table)
    : table_(table),
      titleFont_(font(13, true)),
      headingFont_(font(9)),
      labelFont_(font(9, true)),
      cellFont_(font(9)),
      columnFont_(font(8, true)),
      subtitleFont_(font(7, false, true)),
      footerFont_(font(8)) {
    rowHeight_ = lineHeight(cellFont_) + 2 * kPad;
    const QFontMetricsF& cell = metrics(cellFont_);
    baseline_ = (rowHeight_ + (cell.ascent() - cell.descent()) / kMeasure) / 2;
    textWidths_.resize(table_.rows.size());
    // Each column as wide as the grid shows it, and at least as wide as its longest
    // text and its title's longest word, so that no name is cut on paper.
    for (std::size_t c = 0; c < table_.columns.size(); ++c) {
        const SheetColumn& column = table_.columns[c];
        double width = column.width * kPixelsToPoints;
        double longest = advance(subtitleFont_, column.subtitle);
        for (const QString& word : QString(column.title)
                                       .replace(QLatin1Char('\n'), QLatin1Char(' '))
                                       .split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            longest = std::max(longest, advance(columnFont_, word));
        }
        for (std::size_t r = 0; r < table_.rows.size(); ++r) {
            const auto& row = table_.rows[r];
            const double text = c < row.size() ? advance(cellFont_, row[c].text) : 0;
            if (c == 0) textWidths_[r].resize(table_.columns.size());
            textWidths_[r][c] = text;
            longest = std::max(longest, text);
        }
        widths_.push_back(std::max(width, longest + 2 * kPad));
        titleLines_.push_back(wrap(columnFont_, column.title, widths_.back() - 2 * kPad));
    }
}

double SheetDocument::tableWidth() const {
    double sum = 0;
    for (double w : widths_) sum += w;
    return sum;
}

QPageLayout::Orientation SheetDocument::orientation() const {
    const QPageLayout portrait(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                               QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                               QPageLayout::Millimeter);
    return tableWidth() > printableArea(portrait).width() ? QPageLayout::Landscape
                                                          : QPageLayout::Portrait;
}

QPageLayout SheetDocument::pageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4), orientation(),
                       QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                       QPageLayout::Millimeter);
}

double SheetDocument::headingHeight() const {
    const auto lines = headingLines(table_.heading);
    const auto left = static_cast<double>((lines.size() + 1) / 2);
    return lineHeight(titleFont_) + 8 + left * lineHeight(headingFont_) + 10;
}

double SheetDocument::signatureHeight() const {
    return 16 + 3 * lineHeight(headingFont_);
}

double SheetDocument::titleHeight() const {
    qsizetype lines = 1;
    for (const QStringList& title : titleLines_) lines = std::max(lines, title.size());
    double height = static_cast<double>(lines) * lineHeight(columnFont_) + 2 * kPad;
    if (table_.hasSubtitles()) height += lineHeight(subtitleFont_);
    return height;
}

const std::vector<SheetDocument::Page>& SheetDocument::paginate(const QSizeF& area) {
    area_ = area;
    scale_ = std::clamp(area.width() / std::max(1.0, tableWidth()), kMinScale, 1.0);
    const double usable = area.height() - kFooterBand;
    const double titles = titleHeight() * scale_;
    const double row = rowHeight_ * scale_;
    pages_.clear();
    const int total = static_cast<int>(table_.rows.size());
    int next = 0;
    do {
        Page page{next, 0, pages_.empty(), false};
        double room = usable - titles - (page.heading ? headingHeight() : 0);
        const int fits = std::max(1, static_cast<int>(std::floor(room / row)));
        page.rowCount = std::min(fits, total - next);
        next += page.rowCount;
        pages_.push_back(page);
    } while (next < total);
    // The signature goes under the last rows, or on a page of its own when they fill it.
    Page& last = pages_.back();
    const double used = (last.heading ? headingHeight() : 0) + titles + last.rowCount * row;
    if (usable - used >= signatureHeight()) {
        last.signature = true;
    } else {
        pages_.push_back(Page{total, 0, false, true});
    }
    return pages_;
}

double SheetDocument::paintHeading(QPainter& p, double width) const {
    p.setFont(titleFont_);
    p.drawText(QRectF(0, 0, width, lineHeight(titleFont_)), Qt::AlignHCenter | Qt::AlignVCenter,
               kTitle);
    double y = lineHeight(titleFont_) + 8;
    const auto lines = headingLines(table_.heading);
    const std::size_t half = (lines.size() + 1) / 2;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const double x = i < half ? 0 : width / 2;
        const double top =
            y + static_cast<double>(i < half ? i : i - half) * lineHeight(headingFont_);
        const QString label = lines[i].label + QStringLiteral(": ");
        p.setFont(labelFont_);
        p.drawText(QPointF(x, top + headingFont_.pixelSize()), label);
        p.setFont(headingFont_);
        p.drawText(QPointF(x + advance(labelFont_, label), top + headingFont_.pixelSize()),
                   lines[i].text);
    }
    return headingHeight();
}

double SheetDocument::paintTitles(QPainter& p, double y) const {
    const double height = titleHeight();
    const double subtitle = table_.hasSubtitles() ? lineHeight(subtitleFont_) : 0;
    double x = 0;
    p.setPen(QPen(Qt::black, 0.6));
    for (std::size_t c = 0; c < widths_.size(); ++c) {
        const QRectF cell(x, y, widths_[c], height);
        p.fillRect(cell, QColor(0xE8, 0xE8, 0xE8));
        p.drawRect(cell);
        p.setFont(columnFont_);
        const QRectF text = cell.adjusted(kPad, kPad, -kPad, -kPad - subtitle);
        p.drawText(text, Qt::AlignCenter, titleLines_[c].join(QLatin1Char('\n')));
        if (subtitle > 0) {
            p.setFont(subtitleFont_);
            p.drawText(
                QRectF(cell.left(), cell.bottom() - subtitle - kPad / 2, cell.width(), subtitle),
                Qt::AlignCenter, table_.columns[c].subtitle);
        }
        x += widths_[c];
    }
    return height;
}

void SheetDocument::paintRow(QPainter& p, double y, std::size_t index) const {
    const auto& row = table_.rows[index];
    const auto& textWidths = textWidths_[index];
    double x = 0;
    p.setFont(cellFont_);
    for (std::size_t c = 0; c < widths_.size(); ++c) {
        p.drawRect(QRectF(x, y, widths_[c], rowHeight_));
        if (c < row.size() && !row[c].text.isEmpty()) {
            // Placed by the widths measured for the layout: quicker than laying each
            // cell's text out again, and the same on every device.
            const bool center = table_.columns[c].centered || row[c].number.has_value();
            const double left = center ? x + (widths_[c] - textWidths[c]) / 2 : x + kPad;
            p.drawText(QPointF(left, y + baseline_), row[c].text);
        }
        x += widths_[c];
    }
}

void SheetDocument::paintSignature(QPainter& p, double y, double width) const {
    const double line = lineHeight(headingFont_);
    y += 16;
    p.setFont(labelFont_);
    p.drawText(QPointF(0, y + headingFont_.pixelSize()), QStringLiteral("Дата: "));
    p.setFont(headingFont_);
    p.drawText(QPointF(advance(labelFont_, QStringLiteral("Дата: ")), y + headingFont_.pixelSize()),
               table_.heading.date);
    y += line * 1.5;
    const QString label = QStringLiteral("Преподаватель: ");
    p.setFont(labelFont_);
    p.drawText(QPointF(0, y + headingFont_.pixelSize()), label);
    const double x = advance(labelFont_, label);
    const double lineEnd = std::min(width, x + 180);
    p.drawLine(QPointF(x, y + line), QPointF(lineEnd, y + line));
    p.setFont(headingFont_);
    if (!table_.heading.teacher.isEmpty()) {
        p.drawText(QPointF(lineEnd + 8, y + headingFont_.pixelSize()),
                   QStringLiteral("/ %1 /").arg(table_.heading.teacher));
    }
    p.setFont(subtitleFont_);
    p.drawText(QRectF(x, y + line + 1, lineEnd - x, lineHeight(subtitleFont_)), Qt::AlignHCenter,
               QStringLiteral("(подпись)"));
}

void SheetDocument::paintPage(QPainter& p, int index) const {
    const Page& page = pages_.at(static_cast<std::size_t>(index));
    p.save();
    p.setPen(QPen(Qt::black, 0.6));
    double y = 0;
    if (page.heading) y += paintHeading(p, area_.width());
    p.save();
    p.translate(0, y);
    p.scale(scale_, scale_);
    double tableY = 0;
    if (page.rowCount > 0 || page.heading) tableY += paintTitles(p, 0);
    for (int r = 0; r < page.rowCount; ++r) {
        paintRow(p, tableY, static_cast<std::size_t>(page.firstRow + r));
        tableY += rowHeight_;
    }
    p.restore();
    y += tableY * scale_;
    if (page.signature) paintSignature(p, y, area_.width());
    p.setFont(footerFont_);
    p.drawText(QRectF(0, area_.height() - kFooterBand + 6, area_.width(), kFooterBand - 6),
               Qt::AlignRight | Qt::AlignBottom,
               QStringLiteral("стр. %1 из %2").arg(index + 1).arg(pages_.size()));
    p.restore();
}

bool SheetDocument::render(QPagedPaintDevice& device) {
    paginate(printableArea(device.pageLayout()));
    QPainter p;
    if (!p.begin(&device)) return false;
    const double toDevice = device.logicalDpiX() / 72.0;
    for (int i = 0; i < static_cast<int>(pages_.size()); ++i) {
        if (i > 0) device.newPage();
        p.save();
        p.scale(toDevice, toDevice);
        paintPage(p, i);
        p.restore();
    }
    return p.end();
}

}  // namespace sheetexport
