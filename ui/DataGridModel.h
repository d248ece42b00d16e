#pragma once

#include <QAbstractTableModel>

namespace ui {

class DataGrid;

// The grid's rows and columns as a Qt table model. It holds no copy of the data: every
// cell is read from the dataset when the view asks for it, and the dataset's events
// become the model's signals (a whole reset only when rows came or went).
class DataGridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit DataGridModel(DataGrid* grid);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

    // Everything again: rows, columns and their fields.
    void reset();
    // The current row's cells (and the row count, when a row was inserted or cancelled).
    void currentRowChanged();
    void rowsRepainted(int first, int last);
    void columnsChanged();
    // Around a change of the column list.
    void beginColumnsChange() { beginResetModel(); }
    void endColumnsChange();

  private:
    DataGrid* grid_;
    int rows_ = 0;
    int columns_ = 0;
};

}  // namespace ui
