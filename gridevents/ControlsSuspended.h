#pragma once

#include "db/Dataset.h"

namespace gridevents {

// Suspends a dataset's updating of its controls for a scope, so the grid repaints once
// at the end whatever happens in between.
class ControlsSuspended {
  public:
    explicit ControlsSuspended(db::Dataset& dataset) : dataset_(dataset) {
        dataset_.disableControls();
    }
    ~ControlsSuspended() { dataset_.enableControls(); }
    ControlsSuspended(const ControlsSuspended&) = delete;
    ControlsSuspended& operator=(const ControlsSuspended&) = delete;

  private:
    db::Dataset& dataset_;
};

}  // namespace gridevents
