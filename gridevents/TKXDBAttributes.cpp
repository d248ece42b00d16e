#include "gridevents/TKXDBAttributes.h"

#include <QApplication>
#include <QPalette>

namespace gridevents {

namespace {
void repaintGrid(ui::DataGrid* grid) {
    if (grid) grid->viewport()->update();
}
}  // namespace

void TKXDBGridAttr::repaint() const {
    repaintGrid(grid_);
}

void TKXDBGridAttr::setFont(const QFont& font) {
    font_ = font;
    repaint();
}

void TKXDBGridAttr::setFont(const QFont& font, const QColor& color) {
    font_ = font;
    fontColor_ = color;
    repaint();
}

void TKXDBGridAttr::setColor(const QColor& color) {
    if (color == color_) return;
    color_ = color;
    repaint();
}

TKXDBGridFixedAttr::TKXDBGridFixedAttr() {
    selFont_.setBold(true);
    selColor_ = QColor(192, 220, 192);  // money green
}

void TKXDBGridFixedAttr::repaint() const {
    repaintGrid(grid_);
}

void TKXDBGridFixedAttr::setList(const QStringList& titles) {
    list_ = titles;
    folded_.clear();
    for (const QString& t : titles) folded_.insert(t.toCaseFolded());
    repaint();
}

void TKXDBGridFixedAttr::setSelFont(const QFont& font) {
    selFont_ = font;
    repaint();
}

void TKXDBGridFixedAttr::setSelFont(const QFont& font, const QColor& color) {
    selFont_ = font;
    selFontColor_ = color;
    repaint();
}

void TKXDBGridFixedAttr::setSelColor(const QColor& color) {
    if (color == selColor_) return;
    selColor_ = color;
    repaint();
}

TKXDBAttributes::TKXDBAttributes() {
    SelAttr.setFont(QFont(), Qt::white);
    // The system's tool-tip background.
    QColor infoBk = QApplication::instance() ? QApplication::palette().color(QPalette::ToolTipBase)
                                             : QColor(255, 255, 225);
    AfterPasteAttr.setColor(infoBk);
    DuplicateAttr.setColor(QColor(0, 128, 0));
    ErrorAttr.setColor(QColor(255, 0, 0));
    FocusedAttr.setColor(QColor(79, 79, 79));
    QFont bold;
    bold.setBold(true);
    FocusedAttr.setFont(bold, Qt::white);
}

void TKXDBAttributes::setGrid(ui::DataGrid* grid) {
    for (TKXDBGridAttr* a : {&SelAttr, &AfterPasteAttr, &DuplicateAttr, &ErrorAttr, &FocusedAttr})
        a->setGrid(grid);
    FixedAttr.setGrid(grid);
}

}  // namespace gridevents
