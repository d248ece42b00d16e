#include "ui/DataGridModel.h"

#include "ui/DataGrid.h"

namespace ui {

DataGridModel::DataGridModel(DataGrid* grid) : QAbstractTableModel(grid), grid_(grid) {}

int DataGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int DataGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant DataGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_) return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return grid_->cellText(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const DataGridColumn* c = grid_->column(index.column());
        return c ? QVariant(static_cast<int>(c->alignment())) : QVariant();
    }
    return {};
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (section < 0 || section >= columns_) return {};
        const DataGridColumn* c = grid_->column(section);
        if (role == Qt::DisplayRole) return c->title();
        if (role == Qt::ToolTipRole && !c->titleHint().isEmpty()) return c->titleHint();
        return {};
    }
    if (role != Qt::DisplayRole) return {};
    // The indicator: the current row, and whether it is being edited or is new.
    db::Dataset* ds = grid_->dataset();
    if (!ds || section != ds->currentRow()) return QString();
    switch (ds->state()) {
        case db::DatasetState::Edit:
            return QStringLiteral("✎");
        case db::DatasetState::Insert:
            return QStringLiteral("✱");
        default:
            return QStringLiteral("▶");
    }
}

Qt::ItemFlags DataGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (grid_->cellEditable(index.row(), index.column())) f |= Qt::ItemIsEditable;
    return f;
}

bool DataGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole) return false;
    return grid_->commitCell(index.row(), index.column(), value.toString());
}

void DataGridModel::reset() {
    beginResetModel();
    db::Dataset* ds = grid_->dataset();
    rows_ = ds ? ds->rowCount() : 0;
    columns_ = grid_->columnCount();
    endResetModel();
}

void DataGridModel::currentRowChanged() {
    db::Dataset* ds = grid_->dataset();
    int rows = ds ? ds->rowCount() : 0;
    if (rows != rows_) {
        reset();
        return;
    }
    if (!ds || rows_ == 0) return;
    rowsRepainted(ds->currentRow(), ds->currentRow());
}

void DataGridModel::rowsRepainted(int first, int last) {
    first = std::max(0, first);
    last = std::min(rows_ - 1, last);
    if (first > last || columns_ == 0) return;
    emit dataChanged(index(first, 0), index(last, columns_ - 1));
    emit headerDataChanged(Qt::Vertical, first, last);
}

void DataGridModel::endColumnsChange() {
    db::Dataset* ds = grid_->dataset();
    rows_ = ds ? ds->rowCount() : 0;
    columns_ = grid_->columnCount();
    endResetModel();
}

void DataGridModel::columnsChanged() {
    // Columns come and go while the grid is being laid out, never while rows are
    // edited: a reset is simplest and keeps the row count right as well.
    reset();
}

}  // namespace ui
