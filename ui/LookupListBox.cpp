#include "ui/LookupListBox.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>

#include "ui/ControlDialogs.h"

namespace ui {

LookupListBox::LookupListBox(QWidget* parent)
    : QListView(parent), model_(new LookupListModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
    connect(model_, &LookupListModel::modelAboutToBeReset, this, [this] { showing_ = true; });
    connect(model_, &LookupListModel::listReset, this, [this] {
        showing_ = false;
        showKey();
    });
    // A click on the entry already chosen changes nothing but is still a choice.
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (!chosenByPress_ && index.isValid()) userChose(index.row());
    });
}

QString LookupListBox::text() const {
    int row = model_->rowOfKey(key_);
    return row >= 0 ? model_->textAt(row) : QString();
}

void LookupListBox::setKeyValue(const db::Value& key) {
    key_ = key;
    model_->locateKey(key_);
    showKey();
}

void LookupListBox::showKey() {
    if (showing_) return;
    showing_ = true;
    int row = model_->rowOfKey(key_);
    if (row >= 0) {
        QModelIndex at = model_->index(row);
        setCurrentIndex(at);
        scrollTo(at);
    } else {
        selectionModel()->clear();
        setCurrentIndex({});
    }
    showing_ = false;
}

void LookupListBox::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QListView::currentChanged(current, previous);
    if (showing_ || !current.isValid()) return;
    chosenByPress_ = true;
    userChose(current.row());
}

void LookupListBox::mousePressEvent(QMouseEvent* event) {
    chosenByPress_ = false;
    QListView::mousePressEvent(event);
}

bool LookupListBox::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip && toolTip().isEmpty()) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex at = indexAt(help->pos());
        const QString text = at.isValid() ? model_->textAt(at.row()) : QString();
        if (!text.isEmpty() && fontMetrics().horizontalAdvance(text) > visualRect(at).width() - 6)
            QToolTip::showText(help->globalPos(), text, viewport());
        else
            QToolTip::hideText();
        return true;
    }
    return QListView::viewportEvent(event);
}

void LookupListBox::userChose(int row) {
    key_ = model_->keyAt(row);
    model_->locateKey(key_);
    showKey();
    ControlDialogs::guard([this] { emit picked(); });
}

}  // namespace ui
