#include "ui/DataGridColumn.h"

#include <QMenu>

#include "db/Dataset.h"
#include "ui/DataGrid.h"

namespace ui {

int DataGridColumn::index() const {
    return grid_->indexOfColumn(this);
}

void DataGridColumn::changed(bool layout) {
    grid_->columnChanged(*this, layout);
}

void DataGridColumn::setFieldName(const QString& name) {
    fieldName_ = name;
    grid_->resolveFields();
    changed();
}

db::Field* DataGridColumn::field() const {
    db::Dataset* ds = grid_->dataset();
    if (!ds || fieldIndex_ < 0 || fieldIndex_ >= ds->fieldCount()) return nullptr;
    return &ds->field(fieldIndex_);
}

void DataGridColumn::setTitle(const QString& text) {
    title_ = text;
    changed(true);
}

void DataGridColumn::setTitleHint(const QString& text) {
    titleHint_ = text;
    changed();
}

void DataGridColumn::setWidth(int pixels) {
    width_ = std::max(0, pixels);
    changed(true);
}

void DataGridColumn::setMinWidth(int pixels) {
    minWidth_ = std::max(0, pixels);
    changed(true);
}

void DataGridColumn::setMaxWidth(int pixels) {
    maxWidth_ = std::max(0, pixels);
    changed(true);
}

void DataGridColumn::setReadOnly(bool on) {
    readOnly_ = on;
    changed();
}

void DataGridColumn::setVisible(bool on) {
    visible_ = on;
    changed(true);
}

void DataGridColumn::setColor(const QColor& color) {
    color_ = color;
    changed();
}

QFont DataGridColumn::font() const {
    return font_ ? *font_ : grid_->font();
}

void DataGridColumn::setFont(const QFont& font) {
    font_ = font;
    changed();
}

void DataGridColumn::setAlignment(Qt::Alignment alignment) {
    alignment_ = alignment;
    changed();
}

void DataGridColumn::setFooterText(const QString& text) {
    footerText_ = text;
    changed();
}

void DataGridColumn::setEditButtonVisible(bool on) {
    editButtonVisible_ = on;
    changed();
}

void DataGridColumn::setEditButtonMenu(QMenu* menu) {
    editButtonMenu_ = menu;
}

}  // namespace ui
