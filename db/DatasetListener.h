#pragma once

namespace db {

class Dataset;
class Field;

// What a data-aware control hears from the dataset it shows. While the dataset's
// control updates are suspended, everything but state changes is held back and
// delivered as one datasetChanged when they resume.
class DatasetListener {
  public:
    virtual ~DatasetListener() = default;
    // Opened, closed, filtered, sorted, rows added or removed: show everything again.
    virtual void datasetChanged(Dataset&) {}
    // A field of the current row changed (field is null when the whole row did).
    virtual void recordChanged(Dataset&, const Field*) {}
    // The current row moved.
    virtual void scrolled(Dataset&) {}
    // Browse, edit, insert or inactive.
    virtual void stateChanged(Dataset&) {}
};

}  // namespace db
