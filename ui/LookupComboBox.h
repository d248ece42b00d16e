#pragma once

#include <QComboBox>

#include "db/Values.h"
#include "ui/LookupListModel.h"

namespace ui {

// A drop-down list of the rows of a list dataset: each entry shows the list field, and
// the control's value is the key field of the chosen row. A NULL key value means nothing
// is chosen and the control shows nothing. Choosing an entry, by the user or by setting
// the key value, moves the list dataset to that row, so its current row always matches
// what is shown.
class LookupComboBox : public QComboBox {
    Q_OBJECT
  public:
    explicit LookupComboBox(QWidget* parent = nullptr);

    DataSource* listSource() const { return model_->listSource(); }
    void setListSource(DataSource* source) { model_->setListSource(source); }
    QString keyField() const { return model_->keyField(); }
    void setKeyField(const QString& name) { model_->setKeyField(name); }
    QString listField() const { return model_->listField(); }
    void setListField(const QString& name) { model_->setListField(name); }

    // Setting the key value never emits picked(): the program runs its own handler when
    // it wants one. A key that no row holds is kept but shows nothing.
    db::Value keyValue() const { return key_; }
    void setKeyValue(const db::Value& key);
    void clearKey() { setKeyValue({}); }
    // The list field of the chosen row; empty when nothing is chosen.
    QString text() const { return currentIndex() >= 0 ? currentText() : QString(); }

    int dropDownRows() const { return maxVisibleItems(); }
    void setDropDownRows(int rows) { setMaxVisibleItems(rows); }
    // The least width of the open list in pixels; 0 for the control's own width.
    int dropDownWidth() const { return dropDownWidth_; }
    void setDropDownWidth(int pixels) { dropDownWidth_ = pixels; }

    QString hint() const { return toolTip(); }
    void setHint(const QString& text) { setToolTip(text); }

    // Opens the list as if the user had clicked the arrow (dropDown() first).
    void dropDownList() { showPopup(); }

    void showPopup() override;
    // The chosen entry's text when the control shows it cut short; empty otherwise.
    QString elidedText() const;

  protected:
    // Without a hint of its own the control shows a text it cuts short whole.
    bool event(QEvent* event) override;

  signals:
    // An error thrown by a handler of these is reported through ControlDialogs.
    // The user chose an entry (the same one again, too); the key value is already set.
    void picked();
    // The list is about to open; a handler may still change the key field.
    void dropDown();

  private:
    void showKey();
    void userChose(int row);

    LookupListModel* model_;
    db::Value key_;
    int dropDownWidth_ = 0;
    bool showing_ = false;
};

}  // namespace ui
