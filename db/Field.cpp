#include "db/Field.h"

#include "db/Dataset.h"

namespace db {

namespace {
const Value kNull;
}

const Value& Field::value() const {
    const std::vector<Value>* row = dataset_->currentValues();
    return row ? (*row)[static_cast<std::size_t>(index_)] : kNull;
}

std::int64_t Field::asInteger() const {
    try {
        return toInteger(value());
    } catch (const Error& e) {
        throw Error("Field '" + name_ + "': " + e.what());
    }
}

double Field::asDouble() const {
    try {
        return toDouble(value());
    } catch (const Error& e) {
        throw Error("Field '" + name_ + "': " + e.what());
    }
}

DateTime Field::asDateTime() const {
    try {
        return toDateTime(value());
    } catch (const Error& e) {
        throw Error("Field '" + name_ + "': " + e.what());
    }
}

void Field::setValue(const Value& v) {
    dataset_->setFieldValue(*this, v);
}

const Value& Field::oldValue() const {
    const Dataset& ds = *dataset_;
    if (ds.state_ == DatasetState::Insert) return kNull;
    if (ds.state_ == DatasetState::Edit)
        return ds.rows_[static_cast<std::size_t>(ds.editRow_)]
            .values[static_cast<std::size_t>(index_)];
    if (ds.view_.empty()) return kNull;
    return ds.rows_[static_cast<std::size_t>(ds.view_[static_cast<std::size_t>(ds.pos_)])]
        .values[static_cast<std::size_t>(index_)];
}

}  // namespace db
