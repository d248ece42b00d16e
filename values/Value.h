#pragma once

// The value vocabulary the dataset layer and the embedded server share: a column's
// type, a date-time, one value, result sets, a batch's result and a procedure argument.
// Standard C++ only; nothing of ours below it.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace values {

// Column and parameter types as the client sees them.
enum class Type { Null, Integer, Float, Text, DateTime };

// A date and time without zone, as SQL Server's datetime: milliseconds since
// 1900-01-01 00:00:00.
struct DateTime {
    std::int64_t msecs = 0;
    friend bool operator==(DateTime, DateTime) = default;
    friend auto operator<=>(DateTime, DateTime) = default;
};

// One value: NULL, integer, float, text (UTF-8) or date-time.
using Value = std::variant<std::monostate, std::int64_t, double, std::string, DateTime>;

struct Column {
    std::string name;
    Type type = Type::Null;
    int size = 0;  // declared length of a text column, 0 when unknown or not text
};

struct ResultSet {
    std::vector<Column> columns;
    std::vector<std::vector<Value>> rows;
};

struct BatchResult {
    std::vector<ResultSet> resultSets;        // in the order the batch produced them
    std::int64_t rowsAffected = -1;           // of the last INSERT/UPDATE/DELETE, -1 when none ran
    std::optional<std::int64_t> returnValue;  // a procedure's RETURN value
};

// A stored-procedure argument. Output arguments get their new value written back.
struct Argument {
    std::string name;  // "@name", or empty for a positional argument
    Value value;
    Type type = Type::Null;
    bool isOutput = false;
};

}  // namespace values
