#pragma once

// Result sets of the embedded server as text, so a test can state the rows it expects
// as "1|Иванова|NULL" lines.

#include <cstdint>
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "server/DateTimeText.h"
#include "server/Engine.h"

namespace testsupport {

inline std::string cellText(const server::Value& v) {
    if (std::holds_alternative<std::monostate>(v)) return "NULL";
    if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v)) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", *d);
        return buf;
    }
    if (auto* t = std::get_if<server::DateTime>(&v)) return server::formatIso(*t);
    return std::get<std::string>(v);
}

// One line per row, cells joined by '|'.
inline std::vector<std::string> rowTexts(const server::ResultSet& rs) {
    std::vector<std::string> out;
    for (const auto& row : rs.rows) {
        std::string line;
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i) line += '|';
            line += cellText(row[i]);
        }
        out.push_back(line);
    }
    return out;
}

inline std::vector<std::string> columnNames(const server::ResultSet& rs) {
    std::vector<std::string> out;
    for (const auto& c : rs.columns) out.push_back(c.name);
    return out;
}

}  // namespace testsupport
