#pragma once

#include <string>

#include "db/Dataset.h"

namespace sheet {

// A field of a dataset's current row; NULL when the dataset is closed or empty.
inline db::Value currentValue(const db::Dataset& d, const char* field) {
    if (!d.active() || d.isEmpty()) return {};
    return d.field(field).value();
}

// Closes a dataset, gives it a new text and opens it again.
inline void requery(db::Dataset& d, const std::string& sql) {
    d.close();
    d.setSql(sql);
    d.open();
}

}  // namespace sheet
