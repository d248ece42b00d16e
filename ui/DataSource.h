#pragma once

#include <QObject>

#include "db/Dataset.h"
#include "db/DatasetListener.h"

namespace ui {

// Links a dataset to the controls that show it: controls bind to a data source, and the
// source passes on what the dataset tells it as Qt signals. Changing the dataset, or
// setting none, detaches every bound control at once; they then show nothing. The
// dataset must outlive the source, or be taken off it first.
class DataSource : public QObject {
    Q_OBJECT
  public:
    explicit DataSource(QObject* parent = nullptr);
    explicit DataSource(db::Dataset* dataset, QObject* parent = nullptr);
    ~DataSource() override;

    db::Dataset* dataset() const { return dataset_; }
    void setDataset(db::Dataset* dataset);
    // The dataset when it is set and open, for controls that read it.
    db::Dataset* activeDataset() const;

  signals:
    // Everything may have changed (opened, closed, filtered, rows added or removed, the
    // dataset replaced, updates resumed after a suspension).
    void datasetChanged();
    // A field of the current row changed; null when the whole row may have.
    void recordChanged(const db::Field* field);
    void scrolled();
    void stateChanged();

  private:
    // What the dataset calls, passed on as the signals above.
    struct Link : db::DatasetListener {
        DataSource* source;
        void datasetChanged(db::Dataset&) override { emit source->datasetChanged(); }
        void recordChanged(db::Dataset&, const db::Field* f) override {
            emit source->recordChanged(f);
        }
        void scrolled(db::Dataset&) override { emit source->scrolled(); }
        void stateChanged(db::Dataset&) override { emit source->stateChanged(); }
    };

    Link link_;
    db::Dataset* dataset_ = nullptr;
};

}  // namespace ui
