#pragma once

#include <QHash>
#include <QHeaderView>
#include <QWidget>

namespace ui {

class DataGrid;

// The title row: titles of several lines, long ones wrapped to the column's width at
// blanks and syllables (see titleLines); the row is as tall as the tallest title. A
// title's lines are worked out once for its text, width and font: the layout asks for
// every title's height after every change.
class DataGridTitles : public QHeaderView {
    Q_OBJECT
  public:
    explicit DataGridTitles(DataGrid* grid);
    QSize sizeHint() const override;
    // While a person drags or double-clicks a title's edge.
    bool resizedByUser() const { return byUser_; }
    // The lines a column's title is shown in at the column's present width.
    QStringList shownTitle(int logicalIndex) const;

  protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;
    QSize sectionSizeFromContents(int logicalIndex) const override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    struct Shape {
        QString text;  // the lines, joined by line breaks
        int height = 0;
    };
    const Shape& shape(int logicalIndex, int width) const;
    DataGrid* grid_;
    bool byUser_ = false;
    mutable QHash<QString, Shape> shapes_;  // by font, width and text
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
