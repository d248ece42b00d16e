#pragma once

#include <span>

#include "db/Field.h"

namespace data {

// One field of the mark-sheet record as the data module declares it. Lookup fields
// name the key field of the record, the lookup dataset (by its module name), that
// dataset's key field and the field shown.
struct MarkSheetField {
    const char* name;
    db::FieldKind kind;
    db::Type type;
    int size;
    const char* keyField = nullptr;
    const char* lookupDataset = nullptr;
    const char* lookupKeyField = nullptr;
    const char* lookupResultField = nullptr;
    bool readOnly = false;
};

// The 61 fields of one row of ADO_SP_Sort, in the record's fixed order.
std::span<const MarkSheetField> markSheetFields();

}  // namespace data
