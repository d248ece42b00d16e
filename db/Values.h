#pragma once

// Field and parameter values: the shared variant (values/Value.h), with the conversions the data
// module reads them through (as text, integer, double, date-time).

#include <cstdint>
#include <string>
#include <string_view>

#include "values/Value.h"

namespace db {

// The dataset layer's names for the shared value vocabulary, the names client code uses.
using Value = values::Value;
using Type = values::Type;
using DateTime = values::DateTime;

inline bool isNull(const Value& v) {
    return v.index() == 0;
}

// The type of a value (Type::Null for NULL).
Type typeOf(const Value& v);

// Plain text of a value: "" for NULL, integers in decimal, doubles in their shortest
// exact form, date-times as "dd.mm.yyyy" or "dd.mm.yyyy hh:mm:ss".
std::string toText(const Value& v);
// Throw Error when the value cannot be read as the requested type; NULL reads 0.
std::int64_t toInteger(const Value& v);
double toDouble(const Value& v);
DateTime toDateTime(const Value& v);

// Converts a value to the given column type (for assigning to a field); Error on text
// that is not a number or a date.
Value convert(const Value& v, Type type);

// Equality as the data module needs it: NULL equals only NULL, numbers compare by
// value whatever their type, text case-sensitively or not.
bool sameValue(const Value& a, const Value& b, bool ignoreCase = false);
// Ordering for sorting and filters: NULL first, numbers by value, text by code points.
int compareValues(const Value& a, const Value& b, bool ignoreCase = false);

// Lower-cases the letters of a UTF-8 text (Latin and Cyrillic among them), as the
// server's default collation ignores their case.
std::string foldCase(std::string_view s);

// Calendar conversions for date-time values.
DateTime makeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                      int msec = 0);
struct CivilTime {
    int year, month, day, hour, minute, second, msec;
};
CivilTime civil(DateTime t);
// Reads "yyyy-mm-dd[ hh:mm[:ss[.fff]]]" or "dd.mm.yyyy[ hh:mm[:ss]]"; false when not a date.
bool parseDateTime(std::string_view text, DateTime& out);

}  // namespace db
