#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>

#include "ui/DataGrid.h"

namespace gridevents {

// A colour and a font that the grid component paints a cell with. A change repaints the
// grid the attribute belongs to.
class TKXDBGridAttr {
  public:
    TKXDBGridAttr() = default;
    TKXDBGridAttr(const TKXDBGridAttr&) = delete;
    TKXDBGridAttr& operator=(const TKXDBGridAttr&) = delete;

    // The colour a stored form leaves out when the attribute has it.
    static QColor defaultStoredColor() { return QColor(0, 0, 255); }

    const QFont& Font() const { return font_; }
    // The font's colour (the text colour of the cell).
    QColor FontColor() const { return fontColor_; }
    void setFont(const QFont& font);
    void setFont(const QFont& font, const QColor& color);
    QColor Color() const { return color_; }
    void setColor(const QColor& color);

    ui::DataGrid* grid() const { return grid_; }
    void setGrid(ui::DataGrid* grid) { grid_ = grid; }

  private:
    void repaint() const;

    QFont font_;
    QColor fontColor_ = Qt::black;
    QColor color_ = QColor(0, 0, 0);
    QPointer<ui::DataGrid> grid_;
};

}  // namespace gridevents
