#pragma once

#include <cstdint>
#include <string>

#include "db/Values.h"

namespace db {

class Dataset;

enum class FieldKind { Data, Lookup, Calculated };

// One field of a dataset. It reads and writes the dataset's current row (or the row
// whose calculated fields are being computed).
class Field {
  public:
    const std::string& name() const { return name_; }
    FieldKind kind() const { return kind_; }
    Type type() const { return type_; }
    int size() const { return size_; }
    int index() const { return index_; }
    Dataset& dataset() const { return *dataset_; }

    // Data fields that the program must not change (a row key); lookup fields are
    // always read-only.
    bool readOnly() const { return readOnly_ || kind_ == FieldKind::Lookup; }
    void setReadOnly(bool on) { readOnly_ = on; }
    // The column of the update table the field is written to; its name by default.
    const std::string& origin() const { return origin_.empty() ? name_ : origin_; }
    void setOrigin(const std::string& column) { origin_ = column; }

    const Value& value() const;
    bool isNull() const { return db::isNull(value()); }
    std::string asString() const { return toText(value()); }
    std::int64_t asInteger() const;
    double asDouble() const;
    DateTime asDateTime() const;

    // Sets the value, converted to the field's type; Error when the dataset is not
    // editing, the field is read-only or the value is not of the field's type.
    void setValue(const Value& v);
    void clear() { setValue(Value()); }

    // The value the current row had when it was read from the server (for a row being
    // inserted: NULL).
    const Value& oldValue() const;

    // Lookup definition: this dataset's key field, the lookup dataset, its key field
    // and the field whose value is shown.
    const std::string& keyField() const { return keyField_; }
    Dataset* lookupDataset() const { return lookupDataset_; }
    const std::string& lookupKeyField() const { return lookupKeyField_; }
    const std::string& lookupResultField() const { return lookupResultField_; }

  private:
    friend class Dataset;
    Field(Dataset* dataset, std::string name, FieldKind kind, Type type, int size)
        : dataset_(dataset),
          name_(std::move(name)),
          folded_(foldCase(name_)),
          kind_(kind),
          type_(type),
          size_(size) {}

    Dataset* dataset_;
    std::string name_;
    std::string folded_;  // the name without case, for finding it
    FieldKind kind_;
    Type type_;
    int size_;
    int index_ = -1;
    int column_ = -1;    // result column of a data field
    int keyIndex_ = -1;  // this dataset's key field of a lookup field
    bool readOnly_ = false;
    bool persistent_ = false;  // declared by the program, kept across close and open
    std::string origin_;
    std::string keyField_;
    Dataset* lookupDataset_ = nullptr;
    std::string lookupKeyField_;
    std::string lookupResultField_;
    // The lookup dataset's key and result fields, found by name while its fields stamp
    // is the one below.
    std::uint64_t lookupStamp_ = 0;
    int lookupKeyIndex_ = -1;
    int lookupResultIndex_ = -1;
};

}  // namespace db
