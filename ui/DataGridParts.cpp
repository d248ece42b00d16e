#include "ui/DataGridParts.h"

#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleOptionHeader>

#include "ui/DataGrid.h"

namespace ui {

namespace {

constexpr int kPadding = 3;

// Titles wrap between words; a title with a word wider than its column (a long name in
// a narrow mark column) wraps inside words instead, so it is cut into readable lines
// rather than clipped at both ends.
int titleFlags(const QFontMetrics& fm, const QString& title, int width) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (const QString& word : title.split(blanks, Qt::SkipEmptyParts))
        if (fm.horizontalAdvance(word) > width) return Qt::AlignCenter | Qt::TextWrapAnywhere;
    return Qt::AlignCenter | Qt::TextWordWrap;
}

}  // namespace

DataGridTitles::DataGridTitles(DataGrid* grid) : QHeaderView(Qt::Horizontal, grid), grid_(grid) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    connect(this, &QHeaderView::sectionResized, this, [this] { updateGeometry(); });
}

int DataGridTitles::titleHeight(int logicalIndex, int width) const {
    const QFont font = grid_->titleFont();
    DataGridColumn* c = grid_->column(logicalIndex);
    const QString title = c ? c->title() : QString();
    const int w = std::max(8, width - 2 * kPadding);
    const QString key = font.key() + QChar(0) + QString::number(w) + QChar(0) + title;
    auto found = heights_.constFind(key);
    if (found != heights_.constEnd()) return *found;
    if (heights_.size() > 4096) heights_.clear();  // fonts and widths come and go
    QFontMetrics fm(font);
    QRect r = fm.boundingRect(QRect(0, 0, w, 10000), titleFlags(fm, title, w),
                              title.isEmpty() ? " " : title);
    const int height = r.height() + 2 * kPadding + 2;
    heights_.insert(key, height);
    return height;
}

void DataGridTitles::mousePressEvent(QMouseEvent* event) {
    byUser_ = true;
    QHeaderView::mousePressEvent(event);
    byUser_ = false;
}

void DataGridTitles::mouseMoveEvent(QMouseEvent* event) {
    byUser_ = true;
    QHeaderView::mouseMoveEvent(event);
    byUser_ = false;
}

void DataGridTitles::mouseReleaseEvent(QMouseEvent* event) {
    byUser_ = true;
    QHeaderView::mouseReleaseEvent(event);
    byUser_ = false;
}

void DataGridTitles::mouseDoubleClickEvent(QMouseEvent* event) {
    byUser_ = true;
    QHeaderView::mouseDoubleClickEvent(event);
    byUser_ = false;
}

QSize DataGridTitles::sectionSizeFromContents(int logicalIndex) const {
    return {sectionSize(logicalIndex), titleHeight(logicalIndex, sectionSize(logicalIndex))};
}

QSize DataGridTitles::sizeHint() const {
    int height = QFontMetrics(grid_->titleFont()).height() + 2 * kPadding + 2;
    for (int i = 0; i < count(); ++i)
        if (!isSectionHidden(i)) height = std::max(height, titleHeight(i, sectionSize(i)));
    return {length(), height};
}

void DataGridTitles::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    if (!rect.isValid()) return;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logicalIndex;
    opt.text.clear();
    opt.position = QStyleOptionHeader::Middle;
    painter->save();
    // The style puts back the clip it found; without one it would clip everything after.
    painter->setClipRect(rect);
    style()->drawControl(QStyle::CE_Header, &opt, painter, this);
    DataGridColumn* c = grid_->column(logicalIndex);
    if (c) {
        painter->setFont(grid_->titleFont());
        painter->setPen(grid_->titleColor());
        const QRect text = rect.adjusted(kPadding, kPadding, -kPadding, -kPadding);
        painter->drawText(text, titleFlags(painter->fontMetrics(), c->title(), text.width()),
                          c->title());
    }
    painter->restore();
}

DataGridFooter::DataGridFooter(DataGrid* grid) : QWidget(grid), grid_(grid) {
    setAutoFillBackground(false);
}

int DataGridFooter::rowHeight() const {
    return QFontMetrics(grid_->footerFont()).height() + 2 * kPadding + 2;
}

void DataGridFooter::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QPalette& pal = grid_->palette();
    p.fillRect(rect(), pal.color(QPalette::Button));
    p.setPen(pal.color(QPalette::Mid));
    p.drawLine(rect().topLeft(), rect().topRight());
    QHeaderView* header = grid_->horizontalHeader();
    int left = grid_->viewport()->geometry().left() - geometry().left();
    p.setFont(grid_->footerFont());
    for (int i = 0; i < header->count(); ++i) {
        if (header->isSectionHidden(i)) continue;
        int x = left + header->sectionViewportPosition(i);
        int w = header->sectionSize(i);
        if (x + w < left || x > width()) continue;
        QRect cell(x, 1, w, height() - 1);
        p.setPen(pal.color(QPalette::Mid));
        p.drawLine(cell.topRight(), cell.bottomRight());
        DataGridColumn* c = grid_->column(i);
        if (!c || c->footerText().isEmpty()) continue;
        p.setPen(pal.color(QPalette::ButtonText));
        p.save();
        p.setClipRect(QRect(left, 0, width() - left, height()));
        QRect text = cell.adjusted(kPadding, 0, -kPadding, 0);
        Qt::Alignment h = c->alignment() & Qt::AlignHorizontal_Mask;
        p.drawText(text, static_cast<int>(h | Qt::AlignVCenter),
                   p.fontMetrics().elidedText(c->footerText(), Qt::ElideRight, text.width()));
        p.restore();
    }
}

}  // namespace ui
