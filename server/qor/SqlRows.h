#pragma once

// Statements of the QOR procedures on the server's SQLite connection: typed result
// columns, bound parameters, and errors as server::Error.

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "Engine.h"

struct sqlite3;

namespace server::qor {

// Runs a query; each result column is read as the type of `columns` at its position
// (date-times from their stored text), so the caller's result set has the types it
// declares. Throws Error with SQLite's message when the statement fails.
ResultSet select(sqlite3* db, const std::string& sql, const std::vector<Value>& params,
                 std::vector<Column> columns);
// Runs a statement without a result; returns the rows it changed.
std::int64_t exec(sqlite3* db, const std::string& sql, const std::vector<Value>& params = {});
// The first column of the first row, or none when there is no row.
std::optional<Value> scalar(sqlite3* db, const std::string& sql,
                            const std::vector<Value>& params = {});

// Value helpers for procedure arguments.
bool isNull(const Value& v);
std::int64_t asInt(const Value& v, std::int64_t fallback = 0);
std::string asText(const Value& v);

}  // namespace server::qor
