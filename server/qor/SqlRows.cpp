#include "SqlRows.h"

#include <sqlite3.h>

#include <cmath>

#include "values/DateTimeText.h"

namespace server::qor {

namespace {

class Statement {
  public:
    Statement(sqlite3* db, const std::string& sql, const std::vector<Value>& params) : db_(db) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt_, nullptr) != SQLITE_OK) fail();
        // a statement may leave some of the numbered parameters unused
        std::size_t count = static_cast<std::size_t>(sqlite3_bind_parameter_count(stmt_));
        for (std::size_t i = 0; i < params.size() && i < count; ++i) {
            int n = static_cast<int>(i + 1);
            const Value& v = params[i];
            int rc = SQLITE_OK;
            if (auto* x = std::get_if<std::int64_t>(&v))
                rc = sqlite3_bind_int64(stmt_, n, *x);
            else if (auto* d = std::get_if<double>(&v))
                rc = sqlite3_bind_double(stmt_, n, *d);
            else if (auto* s = std::get_if<std::string>(&v))
                rc = sqlite3_bind_text(stmt_, n, s->c_str(), static_cast<int>(s->size()),
                                       SQLITE_TRANSIENT);
            else if (auto* t = std::get_if<DateTime>(&v))
                rc = sqlite3_bind_text(stmt_, n, formatIso(*t).c_str(), -1, SQLITE_TRANSIENT);
            else
                rc = sqlite3_bind_null(stmt_, n);
            if (rc != SQLITE_OK) fail();
        }
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool step() {
        int rc = sqlite3_step(stmt_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        fail();
    }
    sqlite3_stmt* get() const { return stmt_; }

  private:
    [[noreturn]] void fail() { throw Error(sqlite3_errmsg(db_)); }
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
};

Value read(sqlite3_stmt* stmt, int i, Type type) {
    int kind = sqlite3_column_type(stmt, i);
    if (kind == SQLITE_NULL) return std::monostate{};
    auto text = [&] {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
        return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
    };
    switch (type) {
        case Type::Integer:
            if (kind == SQLITE_FLOAT)
                return static_cast<std::int64_t>(std::llround(sqlite3_column_double(stmt, i)));
            return static_cast<std::int64_t>(sqlite3_column_int64(stmt, i));
        case Type::Float:
            return sqlite3_column_double(stmt, i);
        case Type::DateTime: {
            if (auto t = parseIso(text())) return *t;
            return std::monostate{};
        }
        case Type::Text:
            return text();
        case Type::Null:
            break;
    }
    if (kind == SQLITE_INTEGER) return static_cast<std::int64_t>(sqlite3_column_int64(stmt, i));
    if (kind == SQLITE_FLOAT) return sqlite3_column_double(stmt, i);
    return text();
}

}  // namespace

ResultSet select(sqlite3* db, const std::string& sql, const std::vector<Value>& params,
                 std::vector<Column> columns) {
    Statement st(db, sql, params);
    ResultSet rs;
    int count = sqlite3_column_count(st.get());
    if (static_cast<std::size_t>(count) != columns.size())
        throw Error("internal: " + std::to_string(count) + " columns where " +
                    std::to_string(columns.size()) + " were declared");
    rs.columns = std::move(columns);
    while (st.step()) {
        std::vector<Value> row;
        row.reserve(rs.columns.size());
        for (int i = 0; i < count; ++i)
            row.push_back(read(st.get(), i, rs.columns[static_cast<std::size_t>(i)].type));
        rs.rows.push_back(std::move(row));
    }
    return rs;
}

std::int64_t exec(sqlite3* db, const std::string& sql, const std::vector<Value>& params) {
    Statement st(db, sql, params);
    while (st.step()) {
    }
    return sqlite3_changes64(db);
}

std::optional<Value> scalar(sqlite3* db, const std::string& sql, const std::vector<Value>& params) {
    Statement st(db, sql, params);
    if (!st.step()) return std::nullopt;
    return read(st.get(), 0, Type::Null);
}

bool isNull(const Value& v) {
    return std::holds_alternative<std::monostate>(v);
}

std::int64_t asInt(const Value& v, std::int64_t fallback) {
    if (auto* i = std::get_if<std::int64_t>(&v)) return *i;
    if (auto* d = std::get_if<double>(&v)) return static_cast<std::int64_t>(std::llround(*d));
    if (auto* s = std::get_if<std::string>(&v)) {
        try {
            std::size_t used = 0;
            long long n = std::stoll(*s, &used);
            if (used == s->size()) return n;
        } catch (const std::exception&) {
        }
    }
    return fallback;
}

std::string asText(const Value& v) {
    if (auto* s = std::get_if<std::string>(&v)) return *s;
    if (auto* i = std::get_if<std::int64_t>(&v)) return std::to_string(*i);
    if (auto* d = std::get_if<double>(&v)) return std::to_string(*d);
    if (auto* t = std::get_if<DateTime>(&v)) return formatIso(*t);
    return {};
}

}  // namespace server::qor
