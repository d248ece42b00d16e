#include "ValueText.h"

#include <cstdio>

#include "values/DateTimeText.h"

namespace server {

std::string valueText(const Value& v) {
    if (std::holds_alternative<std::monostate>(v)) return "NULL";
    if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v)) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.15g", *d);
        return buf;
    }
    if (auto* t = std::get_if<DateTime>(&v)) return formatIso(*t);
    return std::get<std::string>(v);
}

}  // namespace server
