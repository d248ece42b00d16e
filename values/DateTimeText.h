#pragma once

// Date-times as the server stores and reads them. SQLite holds a datetime as the text
// 'YYYY-MM-DD HH:MM:SS.mmm', which sorts and compares correctly; the client gets
// values::DateTime (milliseconds since 1900-01-01). Reading a date text follows SQL
// Server: SET DATEFORMAT's order, or CONVERT's style (104 = dd.mm.yyyy).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "values/Value.h"

namespace values {

struct CivilTime {
    int year = 1900, month = 1, day = 1, hour = 0, minute = 0, second = 0, millisecond = 0;
};

CivilTime toCivil(DateTime t);

// Calendar arithmetic without range checks (proleptic Gregorian): days since
// 1900-01-01 of a date, and the date of such a day number.
std::int64_t daysSince1900(std::int64_t year, unsigned month, unsigned day);
void dateOfDay(std::int64_t days, int& year, int& month, int& day);
std::optional<DateTime> fromCivil(const CivilTime& c);  // none when out of range

std::string formatIso(DateTime t);
// The stored form only: 'YYYY-MM-DD[ HH:MM[:SS[.mmm]]]' (also with T), or 'YYYYMMDD'.
std::optional<DateTime> parseIso(std::string_view text);
// A date text as SQL Server reads it; dateFormat is "dmy", "mdy", "ymd", ...; style is
// CONVERT's style, or -1 when none was given.
std::optional<DateTime> parseDateText(std::string_view text, std::string_view dateFormat,
                                      int style);
// CONVERT(varchar, t, style); style -1 is CAST's default ("Dec 10 2026  1:05PM").
std::string formatStyle(DateTime t, int style);

DateTime localNow();
// SQL Server's datetime from a number: days since 1900-01-01, fraction is the time.
DateTime fromDays(double days);
double toDays(DateTime t);

// DATEPART and friends: part names as normalised by the parser ("year", "day", ...).
std::optional<std::int64_t> datePart(DateTime t, std::string_view part);
std::optional<DateTime> dateAdd(DateTime t, std::string_view part, std::int64_t n);
std::optional<std::int64_t> dateDiff(DateTime a, DateTime b, std::string_view part);

}  // namespace values
