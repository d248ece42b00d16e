#pragma once

#include <string>

namespace db {
class Dataset;
}

namespace data {

// The link between a dataset and the controls that show it: controls are bound to a
// data source by its name, never to the dataset directly.
class DataSource {
  public:
    DataSource(std::string name, db::Dataset* dataset)
        : name_(std::move(name)), dataset_(dataset) {}
    const std::string& name() const { return name_; }
    db::Dataset* dataset() const { return dataset_; }

  private:
    std::string name_;
    db::Dataset* dataset_;
};

}  // namespace data
