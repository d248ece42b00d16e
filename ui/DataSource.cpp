#include "ui/DataSource.h"

#include "db/Dataset.h"

namespace ui {

DataSource::DataSource(QObject* parent) : QObject(parent) {
    link_.source = this;
}

DataSource::DataSource(db::Dataset* dataset, QObject* parent) : QObject(parent) {
    link_.source = this;
    setDataset(dataset);
}

DataSource::~DataSource() {
    if (dataset_) dataset_->removeListener(&link_);
}

void DataSource::setDataset(db::Dataset* dataset) {
    if (dataset == dataset_) return;
    if (dataset_) dataset_->removeListener(&link_);
    dataset_ = dataset;
    if (dataset_) dataset_->addListener(&link_);
    emit datasetChanged();
}

db::Dataset* DataSource::activeDataset() const {
    return dataset_ && dataset_->active() ? dataset_ : nullptr;
}

}  // namespace ui
