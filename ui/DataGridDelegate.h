#pragma once

#include <QStyledItemDelegate>

#include "ui/DataGrid.h"

namespace ui {

// Paints and edits the cells of a DataGrid. A component that takes over the drawing may
// derive from it (or call the grid's draw hook and default drawing itself).
class DataGridDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit DataGridDelegate(DataGrid* grid);

    // The colours, font and text the grid would draw the cell with.
    DataGrid::CellDraw prepareCell(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
                     const QModelIndex& index) override;

  protected:
    // A key pressed in a cell editor goes through the grid's key-down hook first, as a key
    // pressed in the grid does.
    bool eventFilter(QObject* object, QEvent* event) override;
    DataGrid* grid() const { return grid_; }
    bool hasButton(const QModelIndex& index) const;

  private:
    DataGrid* grid_;
};

}  // namespace ui
