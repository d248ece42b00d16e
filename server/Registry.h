#pragma once

// The objects of the server that are C++ functions rather than SQLite tables:
// stored procedures, table functions (SELECT ... FROM f(a, b)) and computed views.
// The QOR contract registers its objects here; tests register their own.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Engine.h"

struct sqlite3;

namespace server {

// A declared parameter of a procedure or table function.
struct Parameter {
    std::string name;  // "@name"
    Type type = Type::Integer;
    int size = 0;                       // declared text length, 0 when none
    std::optional<Value> defaultValue;  // none: the argument is required
    bool isOutput = false;
};

// What a procedure body sees: its arguments, the session, and where its results go.
class ProcedureContext {
  public:
    virtual ~ProcedureContext() = default;
    // An argument by parameter name ("@group", case ignored), after defaults and
    // conversion to the parameter's type. Throws Error for an unknown name.
    virtual const Value& arg(std::string_view name) const = 0;
    // Sets an output parameter's new value.
    virtual void setOutput(std::string_view name, Value value) = 0;
    // Runs T-SQL in the caller's session and transaction ("?" binds params).
    virtual BatchResult run(std::string_view batch, std::span<const Value> params = {}) = 0;
    // Adds a result set for the caller, in order.
    virtual void addResultSet(ResultSet rows) = 0;
    virtual void setReturnValue(std::int64_t value) = 0;
    virtual void setRowsAffected(std::int64_t rows) = 0;
    virtual const std::string& login() const = 0;
    // The SQLite connection, for bodies that need the C API directly.
    virtual sqlite3* db() const = 0;
};

using ProcedureBody = std::function<void(ProcedureContext&)>;
// A table function or computed view: returns its rows (columns with types).
using TableBody = std::function<ResultSet(ProcedureContext&)>;

struct ProcedureDef {
    std::string name;
    int number = 1;  // the ;n of SQL Server's numbered procedures
    std::vector<Parameter> parameters;
    ProcedureBody body;
};

struct TableFunctionDef {
    std::string name;
    std::vector<Parameter> parameters;  // empty for a view
    TableBody body;
};

class Registry {
  public:
    void addProcedure(ProcedureDef def);
    void addTableFunction(TableFunctionDef def);
    // A view computed by C++: used in FROM without arguments.
    void addView(std::string name, TableBody body);

    // Objects that belong to the databases of one schema: an engine offers them only on a
    // database that has this table (every database when empty), so a database of another
    // kind answers a call of one as it would any unknown object.
    void setSchemaTable(std::string table) {
        schemaTable_ = std::move(table);
        ++version_;
    }
    const std::string& schemaTable() const { return schemaTable_; }

    const ProcedureDef* procedure(std::string_view name, int number = 1) const;
    const TableFunctionDef* tableFunction(std::string_view name) const;
    const TableFunctionDef* view(std::string_view name) const;
    // Bumped on every change, so cached translations that named these objects go stale.
    std::uint64_t version() const { return version_; }

  private:
    std::map<std::pair<std::string, int>, ProcedureDef> procedures_;
    std::map<std::string, TableFunctionDef> functions_;
    std::map<std::string, TableFunctionDef> views_;
    std::string schemaTable_;
    std::uint64_t version_ = 0;
};

// Every engine opened in this process starts with the objects registered here (the QOR
// contract registers itself once at start-up); Engine::registry() adds per engine.
Registry& globalRegistry();

}  // namespace server
