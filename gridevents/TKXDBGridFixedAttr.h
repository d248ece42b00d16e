#pragma once

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include "ui/DataGrid.h"

namespace gridevents {

// The colour and font of the selected cells of the columns named in List (by title,
// without regard to case).
class TKXDBGridFixedAttr {
  public:
    TKXDBGridFixedAttr();
    TKXDBGridFixedAttr(const TKXDBGridFixedAttr&) = delete;
    TKXDBGridFixedAttr& operator=(const TKXDBGridFixedAttr&) = delete;

    const QStringList& List() const { return list_; }
    void setList(const QStringList& titles);
    // Whether a column title is in List, without regard to case.
    bool listHas(const QString& title) const { return folded_.contains(title.toCaseFolded()); }

    const QFont& SelFont() const { return selFont_; }
    QColor SelFontColor() const { return selFontColor_; }
    void setSelFont(const QFont& font);
    void setSelFont(const QFont& font, const QColor& color);
    QColor SelColor() const { return selColor_; }
    void setSelColor(const QColor& color);

    ui::DataGrid* grid() const { return grid_; }
    void setGrid(ui::DataGrid* grid) { grid_ = grid; }

  private:
    void repaint() const;

    QPointer<ui::DataGrid> grid_;
    QStringList list_;
    QSet<QString> folded_;
    QFont selFont_;
    QColor selFontColor_ = Qt::black;
    QColor selColor_ = QColor(0, 0, 0);
};

}  // namespace gridevents
