#pragma once

// The engine's private helpers, shared by its source files: the context a procedure or
// table function runs in, and the conversions between SQLite's values and types and ours.

#include <sqlite3.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "SqliteEngine.h"
#include "values/TextFold.h"

namespace server {

// The value of column `i` of the row `stmt` stands on.
inline Value columnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_INTEGER:
            return static_cast<std::int64_t>(sqlite3_column_int64(stmt, i));
        case SQLITE_FLOAT:
            return sqlite3_column_double(stmt, i);
        case SQLITE_NULL:
            return std::monostate{};
        default: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
        }
    }
}

// Type and text length of a declared SQLite column type such as "VARCHAR(50)".
void declaredType(const char* decl, Type& type, int& size);

// ---- procedure context ----------------------------------------------------------

class ProcedureContextImpl final : public ProcedureContext {
  public:
    ProcedureContextImpl(SqliteEngine& engine, std::string name, std::vector<Parameter> params,
                         std::vector<Value> values)
        : engine_(engine),
          name_(std::move(name)),
          params_(std::move(params)),
          values_(std::move(values)) {}

    const Value& arg(std::string_view name) const override { return values_[index(name)]; }
    void setOutput(std::string_view name, Value value) override {
        values_[index(name)] = std::move(value);
    }
    BatchResult run(std::string_view batch, std::span<const Value> params) override {
        BatchResult r = engine_.runNested(batch, params);
        if (r.rowsAffected >= 0) result.rowsAffected = r.rowsAffected;
        return r;
    }
    void addResultSet(ResultSet rows) override { result.resultSets.push_back(std::move(rows)); }
    void setReturnValue(std::int64_t value) override { result.returnValue = value; }
    void setRowsAffected(std::int64_t rows) override { result.rowsAffected = rows; }
    const std::string& login() const override { return engine_.login(); }
    sqlite3* db() const override { return engine_.db_; }

    std::size_t index(std::string_view name) const {
        std::string n(name);
        if (n.empty() || n[0] != '@') n = "@" + n;
        for (std::size_t i = 0; i < params_.size(); ++i)
            if (compareFolded(params_[i].name, n) == 0) return i;
        throw Error("'" + n + "' is not a parameter for procedure " + name_ + ".");
    }

    BatchResult result;
    std::vector<Value>& values() { return values_; }

  private:
    SqliteEngine& engine_;
    std::string name_;
    std::vector<Parameter> params_;
    std::vector<Value> values_;
};

}  // namespace server
