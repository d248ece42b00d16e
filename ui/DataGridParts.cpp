#include "ui/DataGridParts.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>

#include "ui/DataGrid.h"
#include "ui/Hyphenator.h"
#include "ui/TitleLines.h"

namespace ui {

namespace {

constexpr int kPadding = 3;

}  // namespace

DataGridTitles::DataGridTitles(DataGrid* grid) : QHeaderView(Qt::Horizontal, grid), grid_(grid) {
    setSectionsClickable(false);
    setHighlightSections(false);
    setDefaultAlignment(Qt::AlignCenter);
    connect(this, &QHeaderView::sectionResized, this, [this] { updateGeometry(); });
}

const DataGridTitles::Shape& DataGridTitles::shape(int logicalIndex, int width) const {
    const QFont font = grid_->titleFont();
    DataGridColumn* c = grid_->column(logicalIndex);
    const QString title = c ? c->title() : QString();
    const int w = std::max(8, width - 2 * kPadding);
    const QString key = font.key() + QChar(0) + QString::number(w) + QChar(0) + title;
    auto found = shapes_.constFind(key);
    if (found != shapes_.constEnd()) return *found;
    if (shapes_.size() > 4096) shapes_.clear();  // fonts and widths come and go
    QFontMetrics fm(font);
    Shape shape;
    shape.text = titleLines(title, fm, w, Hyphenator::russian()).join(u'\n');
    QRect r = fm.boundingRect(QRect(0, 0, w, 10000), Qt::AlignCenter,
                              shape.text.isEmpty() ? QStringLiteral(" ") : shape.text);
    shape.height = r.height() + 2 * kPadding + 2;
    return *shapes_.insert(key, shape);
}

QStringList DataGridTitles::shownTitle(int logicalIndex) const {
    return shape(logicalIndex, sectionSize(logicalIndex)).text.split(u'\n');
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
    return {sectionSize(logicalIndex), shape(logicalIndex, sectionSize(logicalIndex)).height};
}

QSize DataGridTitles::sizeHint() const {
    int height = QFontMetrics(grid_->titleFont()).height() + 2 * kPadding + 2;
    for (int i = 0; i < count(); ++i)
        if (!isSectionHidden(i)) height = std::max(height, shape(i, sectionSize(i)).height);
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
        painter->drawText(text, Qt::AlignCenter, shape(logicalIndex, rect.width()).text);
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
