#pragma once

// Result sets of the embedded server as text, so a test can state the rows it expects
// as "1|Иванова|NULL" lines.

#include <string>
#include <vector>

#include "server/Engine.h"
#include "server/ValueText.h"

namespace testsupport {

inline std::string cellText(const values::Value& v) {
    return server::valueText(v);
}

// One line per row, cells joined by '|'.
inline std::vector<std::string> rowTexts(const values::ResultSet& rs) {
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

inline std::vector<std::string> columnNames(const values::ResultSet& rs) {
    std::vector<std::string> out;
    for (const auto& c : rs.columns) out.push_back(c.name);
    return out;
}

}  // namespace testsupport
