#include "ui/LookupListModel.h"

namespace ui {

LookupListModel::LookupListModel(QObject* parent) : QAbstractListModel(parent) {}

void LookupListModel::setListSource(DataSource* source) {
    if (source == source_) return;
    if (source_) disconnect(source_, nullptr, this, nullptr);
    source_ = source;
    if (source_) {
        connect(source_, &DataSource::datasetChanged, this, &LookupListModel::reset);
        connect(source_, &DataSource::stateChanged, this, &LookupListModel::rowChanged);
        connect(source_, &DataSource::recordChanged, this, &LookupListModel::rowChanged);
        connect(source_, &QObject::destroyed, this, &LookupListModel::reset);
    }
    reset();
}

void LookupListModel::setKeyField(const QString& name) {
    keyField_ = name;
    reset();
}

void LookupListModel::setListField(const QString& name) {
    listField_ = name;
    reset();
}

db::Dataset* LookupListModel::dataset() const {
    return source_ ? source_->activeDataset() : nullptr;
}

int LookupListModel::fieldIndex(const QString& name) const {
    db::Dataset* ds = dataset();
    if (!ds || name.isEmpty()) return -1;
    const db::Field* f = ds->findField(name.toStdString());
    return f ? f->index() : -1;
}

int LookupListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

QVariant LookupListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    if (role == Qt::DisplayRole) return textAt(index.row());
    return {};
}

QString LookupListModel::textAt(int row) const {
    db::Dataset* ds = dataset();
    int f = fieldIndex(listField_);
    if (!ds || f < 0) return {};
    return QString::fromStdString(db::toText(ds->valueAt(row, f)));
}

db::Value LookupListModel::keyAt(int row) const {
    db::Dataset* ds = dataset();
    int f = fieldIndex(keyField_);
    if (!ds || f < 0) return {};
    return ds->valueAt(row, f);
}

int LookupListModel::rowOfKey(const db::Value& key) const {
    db::Dataset* ds = dataset();
    int f = fieldIndex(keyField_);
    if (!ds || f < 0 || db::isNull(key)) return -1;
    for (int row = 0; row < ds->rowCount(); ++row) {
        const db::Value& v = ds->valueAt(row, f);
        if (!db::isNull(v) && db::sameValue(v, key)) return row;
    }
    return -1;
}

bool LookupListModel::locateKey(const db::Value& key) const {
    db::Dataset* ds = dataset();
    if (!ds || db::isNull(key) || fieldIndex(keyField_) < 0) return false;
    return ds->locate(keyField_.toStdString(), key);
}

void LookupListModel::reset() {
    beginResetModel();
    db::Dataset* ds = dataset();
    rows_ = ds ? ds->rowCount() : 0;
    endResetModel();
    emit listReset();
}

void LookupListModel::rowChanged() {
    db::Dataset* ds = dataset();
    if (ds && ds->controlsDisabled()) return;  // the change comes with the one on resume
    int rows = ds ? ds->rowCount() : 0;
    if (rows != rows_) {
        reset();
        return;
    }
    if (ds && rows_ > 0) {
        QModelIndex at = index(ds->currentRow());
        emit dataChanged(at, at, {Qt::DisplayRole});
    }
}

}  // namespace ui
