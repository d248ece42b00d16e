#pragma once

#include <QHeaderView>
#include <QWidget>

namespace ui {

class DataGrid;

// The title row: titles of several lines, long ones wrapped to the column's width; the
// row is as tall as the tallest title.
class DataGridTitles : public QHeaderView {
    Q_OBJECT
  public:
    explicit DataGridTitles(DataGrid* grid);
    QSize sizeHint() const override;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;

  private:
    int titleHeight(int logicalIndex, int width) const;
    DataGrid* grid_;
};

// The footer row under the cells, one cell per column, scrolled with them.
class DataGridFooter : public QWidget {
    Q_OBJECT
  public:
    explicit DataGridFooter(DataGrid* grid);
    int rowHeight() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    DataGrid* grid_;
};

}  // namespace ui
