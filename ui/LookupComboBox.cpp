#include "ui/LookupComboBox.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QStyleOptionComboBox>
#include <QToolTip>

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

QString LookupComboBox::elidedText() const {
    const QString shown = text();
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    return fontMetrics().horizontalAdvance(shown) > field.width() ? shown : QString();
}

bool LookupComboBox::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        const QString whole = elidedText();
        if (whole.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), whole, this);
        return true;
    }
    return QComboBox::event(event);
}

void LookupComboBox::showPopup() {
    ControlDialogs::guard([this] { emit dropDown(); });
    showKey();  // the handler may have changed what the key means
    if (dropDownWidth_ > 0) view()->setMinimumWidth(dropDownWidth_);
    QComboBox::showPopup();
}

}  // namespace ui
