#include "ui/LookupComboBox.h"

#include <QAbstractItemView>

#include "ui/ControlDialogs.h"

namespace ui {

LookupComboBox::LookupComboBox(QWidget* parent)
    : QComboBox(parent), model_(new LookupListModel(this)) {
    setModel(model_);
    setEditable(false);
    connect(model_, &LookupListModel::listReset, this, &LookupComboBox::showKey);
    connect(this, &QComboBox::activated, this, &LookupComboBox::userChose);
}

void LookupComboBox::setKeyValue(const db::Value& key) {
    key_ = key;
    model_->locateKey(key_);
    showKey();
}

void LookupComboBox::showKey() {
    if (showing_) return;
    showing_ = true;
    setCurrentIndex(model_->rowOfKey(key_));
    showing_ = false;
}

void LookupComboBox::userChose(int row) {
    if (row < 0) return;
    key_ = model_->keyAt(row);
    model_->locateKey(key_);
    showKey();
    ControlDialogs::guard([this] { emit picked(); });
}

void LookupComboBox::showPopup() {
    ControlDialogs::guard([this] { emit dropDown(); });
    showKey();  // the handler may have changed what the key means
    if (dropDownWidth_ > 0) view()->setMinimumWidth(dropDownWidth_);
    QComboBox::showPopup();
}

}  // namespace ui
