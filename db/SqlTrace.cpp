#include "db/SqlTrace.h"

#include <cstdio>
#include <cstdlib>

namespace db {

std::shared_ptr<SqlTrace> SqlTrace::fromEnvironment() {
    const char* path = std::getenv("QOR28_SQL_TRACE");
    if (!path || !*path) return nullptr;
    return std::make_shared<SqlTrace>(path);
}

std::string SqlTrace::literal(const Value& v) {
    switch (typeOf(v)) {
        case Type::Null:
            return "NULL";
        case Type::Text: {
            std::string out = "N'";
            for (char c : std::get<std::string>(v)) {
                if (c == '\'')
                    out += "''";
                else if (c == '\n')
                    out += "\\n";
                else if (c == '\r')
                    out += "\\r";
                else
                    out += c;
            }
            return out + "'";
        }
        case Type::DateTime: {
            CivilTime c = civil(std::get<DateTime>(v));
            char buf[40];
            std::snprintf(buf, sizeof buf, "'%04d-%02d-%02dT%02d:%02d:%02d.%03d'", c.year, c.month,
                          c.day, c.hour, c.minute, c.second, c.msec);
            return buf;
        }
        default:
            return toText(v);
    }
}

void SqlTrace::batch(std::string_view text, std::span<const Value> params) const {
    std::string entry;
    for (std::size_t i = 0; i < params.size(); ++i)
        entry += "-- ?" + std::to_string(i + 1) + " = " + literal(params[i]) + "\n";
    entry += text;
    if (entry.empty() || entry.back() != '\n') entry += '\n';
    entry += "GO\n";
    append(entry);
}

void SqlTrace::note(std::string_view text) const {
    append("-- " + std::string(text) + "\n");
}

void SqlTrace::append(const std::string& entry) const {
    // One write per entry, in append mode: entries of several writers do not interleave.
    std::FILE* f = std::fopen(path_.c_str(), "ab");
    if (!f) return;
    std::fwrite(entry.data(), 1, entry.size(), f);
    std::fclose(f);
}

}  // namespace db
