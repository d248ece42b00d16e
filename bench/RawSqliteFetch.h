#pragma once

// The floor the fetch benchmarks are measured against: the sqlite3 C API reading every
// row of a query into the same value type the engine and the datasets hand out.

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

#include "server/Engine.h"

namespace bench {

// Prepares, steps and finalizes the query; an empty result when it cannot be prepared.
inline std::vector<std::vector<values::Value>> fetchAllRaw(sqlite3* db, const char* sql) {
    std::vector<std::vector<values::Value>> rows;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) return rows;
    const int n = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<values::Value> row;
        row.reserve(static_cast<std::size_t>(n));
        for (int c = 0; c < n; ++c) {
            switch (sqlite3_column_type(st, c)) {
                case SQLITE_INTEGER:
                    row.emplace_back(static_cast<std::int64_t>(sqlite3_column_int64(st, c)));
                    break;
                case SQLITE_FLOAT:
                    row.emplace_back(sqlite3_column_double(st, c));
                    break;
                case SQLITE_NULL:
                    row.emplace_back();
                    break;
                default:
                    row.emplace_back(
                        std::string(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                    static_cast<std::size_t>(sqlite3_column_bytes(st, c))));
            }
        }
        rows.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    return rows;
}

}  // namespace bench
