#pragma once

// The SQL scripts of the QOR database, compiled in from server/qor/*.sql.

#include <string_view>
#include <vector>

namespace server::qor {

struct Script {
    std::string_view name;  // "schema.sql", "demo/plan.sql", ...
    std::string_view text;
};

// In the order they run: schema, views, then the demo faculty's data.
const std::vector<Script>& scripts();

}  // namespace server::qor
