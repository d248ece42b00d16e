#pragma once

#include <QListView>

#include "db/Values.h"
#include "ui/LookupListModel.h"

namespace ui {

// A list of the rows of a list dataset, always open, with the same key, list field and
// NULL-means-nothing-chosen rules as LookupComboBox.
class LookupListBox : public QListView {
    Q_OBJECT
  public:
    explicit LookupListBox(QWidget* parent = nullptr);

    DataSource* listSource() const { return model_->listSource(); }
    void setListSource(DataSource* source) { model_->setListSource(source); }
    QString keyField() const { return model_->keyField(); }
    void setKeyField(const QString& name) { model_->setKeyField(name); }
    QString listField() const { return model_->listField(); }
    void setListField(const QString& name) { model_->setListField(name); }

    // Setting the key value never emits picked().
    db::Value keyValue() const { return key_; }
    void setKeyValue(const db::Value& key);
    void clearKey() { setKeyValue({}); }
    QString text() const;

    QString hint() const { return toolTip(); }
    void setHint(const QString& text) { setToolTip(text); }

  signals:
    // An error thrown by a handler of these is reported through ControlDialogs.
    // The user chose an entry with the mouse or the keyboard (clicking the chosen one
    // again, too); the key value is already set.
    void picked();

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mousePressEvent(QMouseEvent* event) override;
    // An entry cut short shows whole as its tool tip.
    bool viewportEvent(QEvent* event) override;

  private:
    void showKey();
    void userChose(int row);

    LookupListModel* model_;
    db::Value key_;
    bool showing_ = false;
    bool chosenByPress_ = false;
};

}  // namespace ui
