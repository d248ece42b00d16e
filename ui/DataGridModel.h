#pragma once

#include <QAbstractTableModel>

#include "db/Values.h"

namespace db {
class Field;
}

namespace ui {

class DataGrid;
class DataGridColumn;

// The grid's rows and columns as a Qt table model. It holds no copy of the data: every
// cell is read from the dataset when the view asks for it, and the dataset's events
// become the model's signals (a whole reset only when rows came or went).
//
// The model owns writing a cell: typed text, a lookup list's choice and a pasted cell
// all go through writeCell (setData with Qt::EditRole), which runs the column's update
// check, converts the text to the field's type and sets the field in the dataset's edit
// buffer. What it refuses is shown through ControlDialogs in one place.
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

    // Writes text into a cell of the dataset's current row: the column's update check,
    // then the field (a lookup column's key field for a lookup column). An empty text
    // clears the field. False when the cell cannot be edited, the check refused the
    // text or the text is not a value of the field's type (the reason is shown).
    bool writeCell(int row, int column, const QString& text);
    // Whether the last write was taken (true when it changed nothing).
    bool lastWriteOk() const { return lastWriteOk_; }
    void clearWriteOutcome() { lastWriteOk_ = true; }
    // The values a lookup column offers (its lookup dataset's result field, in that
    // dataset's order); empty for any other column.
    QStringList lookupChoices(int column) const;

    // Everything again: rows, columns and their fields.
    void reset();
    // The current row's cells (and the row count, when a row was inserted or cancelled).
    void currentRowChanged();
    void rowsRepainted(int first, int last);

  private:
    db::Value parseText(const DataGridColumn& column, const db::Field& field,
                        const QString& text) const;
    void writeLookup(const DataGridColumn& column, const db::Field& field, const QString& text);

    DataGrid* grid_;
    bool lastWriteOk_ = true;
    int rows_ = 0;
    int columns_ = 0;
};

}  // namespace ui
