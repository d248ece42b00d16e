#pragma once

#include <cstdint>
#include <string>

#include "db/Dataset.h"

namespace gridevents {

// A reference to a dataset field that never dangles. A dataset drops the fields it made
// from a result when it closes and makes new ones when it opens again, so the reference
// keeps the field's name and finds the field again whenever the dataset's set of fields
// has changed. When the open dataset no longer has a field of that name, the field is
// gone for good and the reference forgets it. The dataset itself must outlive the
// reference (the data module keeps its datasets for the whole run).
class FieldRef {
  public:
    FieldRef() = default;
    explicit FieldRef(db::Field* field) { set(field); }

    void set(db::Field* field) {
        field_ = field;
        dataset_ = field ? &field->dataset() : nullptr;
        name_ = field ? field->name() : std::string();
        stamp_ = field ? dataset_->fieldsStamp() : 0;
    }
    void reset() { set(nullptr); }
    // Set, though the field may be missing while its dataset is closed.
    bool isSet() const {
        resolve();
        return dataset_ != nullptr;
    }
    // The field now; null when none is set or its dataset has no such field at present.
    db::Field* get() const {
        resolve();
        return field_;
    }
    db::Dataset* dataset() const { return dataset_; }
    const std::string& name() const { return name_; }

  private:
    void resolve() const {
        if (!dataset_ || dataset_->fieldsStamp() == stamp_) return;
        stamp_ = dataset_->fieldsStamp();
        field_ = dataset_->findField(name_);
        if (!field_ && dataset_->active()) {
            dataset_ = nullptr;  // the field is gone from the open dataset: forget it
            name_.clear();
        }
    }

    mutable db::Field* field_ = nullptr;
    mutable db::Dataset* dataset_ = nullptr;
    mutable std::string name_;
    mutable std::uint64_t stamp_ = 0;
};

}  // namespace gridevents
