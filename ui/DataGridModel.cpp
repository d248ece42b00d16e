#include "ui/DataGridModel.h"

#include <QFontMetrics>
#include <cmath>

#include "db/Dataset.h"
#include "ui/ControlDialogs.h"
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
    if (role == Qt::ToolTipRole) {
        // a text cut short in its cell shows whole
        const QString text = grid_->cellText(index.row(), index.column());
        return grid_->cellTextElided(index.column(), text) ? QVariant(text) : QVariant();
    }
    if (role == Qt::TextAlignmentRole) {
        const DataGridColumn* c = grid_->column(index.column());
        return c ? QVariant(static_cast<int>(c->alignment())) : QVariant();
    }
    return {};
}

QVariant DataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        const DataGridColumn* c = section < columns_ ? grid_->column(section) : nullptr;
        if (!c) return {};
        if (role == Qt::DisplayRole) return c->title();
        // The whole title (a narrow column shows it broken), then the column's hint.
        if (role == Qt::ToolTipRole)
            return c->titleHint().isEmpty() ? c->title() : c->title() + u'\n' + c->titleHint();
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
    return writeCell(index.row(), index.column(), value.toString());
}

bool DataGridModel::writeCell(int row, int columnIndex, const QString& typed) {
    lastWriteOk_ = false;
    db::Dataset* ds = grid_->dataset();
    DataGridColumn* c = grid_->column(columnIndex);
    if (!ds || !c || row != ds->currentRow() || !grid_->cellEditable(row, columnIndex))
        return false;
    lastWriteOk_ = true;
    if (typed == grid_->cellText(row, columnIndex)) return true;  // nothing changed
    lastWriteOk_ = false;
    try {
        QString text = typed;
        db::Field* f = c->field();
        if (ds->state() == db::DatasetState::Browse) ds->edit();
        db::Value value(text.toStdString());
        bool handled = false;
        if (c->onUpdateData) c->onUpdateData(*c, text, value, handled);
        if (handled) return false;
        // The check may have moved or closed the dataset; then there is nothing to write.
        if (grid_->dataset() != ds || ds->currentRow() != row || c->field() != f || !f)
            return false;
        if (f->kind() == db::FieldKind::Lookup)
            writeLookup(*c, *f, text);
        else
            f->setValue(parseText(*c, *f, text));
        lastWriteOk_ = true;
        return true;
    } catch (...) {
        ControlDialogs::reportError(std::current_exception());
        return false;
    }
}

db::Value DataGridModel::parseText(const DataGridColumn& c, const db::Field& field,
                                   const QString& text) const {
    QString t = text.trimmed();
    if (t.isEmpty()) return {};
    QString where = QStringLiteral("в столбце «%1»").arg(c.title().simplified());
    switch (field.type()) {
        case db::Type::Integer: {
            bool ok = false;
            qlonglong v = t.toLongLong(&ok);
            if (!ok)
                throw db::Error(QStringLiteral("«%1» — не целое число. Введите целое число %2.")
                                    .arg(t, where)
                                    .toStdString());
            return static_cast<std::int64_t>(v);
        }
        case db::Type::Float: {
            bool ok = false;
            double v = QString(t).replace(',', '.').toDouble(&ok);
            if (!ok || !std::isfinite(v))
                throw db::Error(QStringLiteral("«%1» — не число. Введите число %2.")
                                    .arg(t, where)
                                    .toStdString());
            return v;
        }
        case db::Type::DateTime: {
            db::DateTime d;
            if (!db::parseDateTime(t.toStdString(), d))
                throw db::Error(QStringLiteral("«%1» — не дата. Введите дату %2 в виде ДД.ММ.ГГГГ.")
                                    .arg(t, where)
                                    .toStdString());
            return d;
        }
        case db::Type::Text:
            if (field.size() > 0 && text.size() > field.size())
                throw db::Error(QStringLiteral("Текст %1 длиннее %2 знаков.")
                                    .arg(where)
                                    .arg(field.size())
                                    .toStdString());
            return text.toStdString();
        default:
            return text.toStdString();
    }
}

namespace {
// A field of a lookup field's list, by name; null while the list is closed.
const db::Field* listField(const db::Field& lookup, const std::string& name) {
    const db::Dataset* list = lookup.lookupDataset();
    return list && list->active() ? list->findField(name) : nullptr;
}
}  // namespace

QStringList DataGridModel::lookupChoices(int columnIndex) const {
    const DataGridColumn* c = grid_->column(columnIndex);
    const db::Field* f = c ? c->field() : nullptr;
    if (!f || f->kind() != db::FieldKind::Lookup) return {};
    const db::Field* shown = listField(*f, f->lookupResultField());
    if (!shown) return {};
    const db::Dataset* list = f->lookupDataset();
    QStringList choices;
    for (int row = 0; row < list->rowCount(); ++row)
        choices << QString::fromStdString(db::toText(list->valueAt(row, shown->index())));
    return choices;
}

// Writes the key of the lookup value chosen in a lookup column to the row's key field.
void DataGridModel::writeLookup(const DataGridColumn& c, const db::Field& f, const QString& text) {
    db::Field& key = grid_->dataset()->field(f.keyField());
    if (text.trimmed().isEmpty()) {
        key.setValue(db::Value());
        return;
    }
    const db::Field* shown = listField(f, f.lookupResultField());
    const db::Field* listKey = listField(f, f.lookupKeyField());
    const db::Dataset* list = f.lookupDataset();
    const std::string wanted = text.toStdString();
    for (int row = 0; shown && listKey && row < list->rowCount(); ++row) {
        if (db::toText(list->valueAt(row, shown->index())) == wanted) {
            key.setValue(list->valueAt(row, listKey->index()));
            return;
        }
    }
    throw db::Error(QStringLiteral("«%1» нет в списке значений столбца «%2». Выберите значение из "
                                   "списка.")
                        .arg(text.trimmed(), c.title().simplified())
                        .toStdString());
}

void DataGridModel::reset() {
    beginResetModel();
    db::Dataset* ds = grid_->dataset();
    rows_ = ds ? ds->rowCount() : 0;
    columns_ = grid_->columnCount();
    endResetModel();
}

void DataGridModel::currentRowChanged() {
    if (grid_->columnsUpdating()) {
        grid_->pendingReset_ = true;  // shown when the columns' update ends
        return;
    }
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

}  // namespace ui
