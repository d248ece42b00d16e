#pragma once

#include <QAbstractListModel>
#include <QPointer>
#include <QString>

#include "db/Values.h"
#include "ui/DataSource.h"

namespace ui {

// The rows of a lookup control's list dataset as a Qt list model: the shown text is the
// list field of each row, read from the dataset when the view asks for it.
class LookupListModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit LookupListModel(QObject* parent = nullptr);

    DataSource* listSource() const { return source_; }
    void setListSource(DataSource* source);
    QString keyField() const { return keyField_; }
    void setKeyField(const QString& name);
    QString listField() const { return listField_; }
    void setListField(const QString& name);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The key of a row (NULL when there is none), and the first row holding a key (-1
    // for NULL or when no row does).
    db::Value keyAt(int row) const;
    int rowOfKey(const db::Value& key) const;
    QString textAt(int row) const;
    // Moves the list dataset to the row holding the key; false when there is none.
    bool locateKey(const db::Value& key) const;

  signals:
    // After the rows were read again: the control shows its key anew.
    void listReset();

  private:
    db::Dataset* dataset() const;
    int fieldIndex(const QString& name) const;
    void reset();
    void rowChanged();

    QPointer<DataSource> source_;
    QString keyField_;
    QString listField_;
    int rows_ = 0;
};

}  // namespace ui
