#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace gridevents {

// A list of texts that the cell drawing asks about for every painted cell: the texts in
// the order they were added, and a hash for the question "is it there?". Texts compare
// without regard to case, as the lists of row ids and row keys always have.
class KeyList {
  public:
    bool contains(const QString& text) const { return index_.contains(text.toCaseFolded()); }
    // Adds the text unless it is there already.
    void add(const QString& text) {
        QString key = text.toCaseFolded();
        if (index_.contains(key)) return;
        index_.insert(key, 1);
        items_.append(text);
    }
    void remove(const QString& text) {
        QString key = text.toCaseFolded();
        if (index_.remove(key) == 0) return;
        for (qsizetype i = 0; i < items_.size(); ++i) {
            if (items_[i].toCaseFolded() == key) {
                items_.removeAt(i);
                break;
            }
        }
    }
    void clear() {
        index_.clear();
        items_.clear();
    }
    bool isEmpty() const { return items_.isEmpty(); }
    qsizetype size() const { return items_.size(); }
    const QStringList& items() const { return items_; }

  private:
    QStringList items_;
    QHash<QString, int> index_;
};

}  // namespace gridevents
