#pragma once

// A translated batch: the operations the executor runs, each with its SQLite text and
// the values it binds. A Program depends only on the batch text and the schema, so the
// engine caches it by text (see TranslationCache).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "Ast.h"
#include "Engine.h"

namespace server {

// A column of a table or view, as the printer knows it from the schema.
struct ColumnInfo {
    std::string name;
    Type type = Type::Null;
    int size = 0;
    std::string declared;   // the declared type's name, upper case (DATE, DATETIME, INT, ...)
    bool identity = false;  // INTEGER PRIMARY KEY: filled by the server on insert
};

// What one `?` of a printed SQLite text binds.
struct Binding {
    enum class Kind { Param, Variable, RowValue } kind = Kind::Param;
    int index = 0;         // Param: batch placeholder number; RowValue: column of the row
    std::string variable;  // Variable: lower-case name with @
};

struct Sql {
    std::string text;
    std::vector<Binding> bindings;
    bool empty() const { return text.empty(); }
};

// What the printer knows about one select-list item.
struct ColumnHint {
    bool star = false;     // the item is * or t.*: its columns come from SQLite alone
    bool hasName = false;  // name overrides SQLite's column name (expressions: "")
    std::string name;
    Type type = Type::Null;  // Null: unknown, taken from the declared type or the values
    int size = 0;
};

// A table function or C++ view the statement reads: materialised into a temporary table
// before the statement runs.
struct Materialize {
    std::string tempName;  // the temp table name printed in the SQL
    std::string object;    // registered name (lower case)
    bool isFunction = false;
    std::vector<Sql> args;  // each a scalar "SELECT expr"
};

struct Op {
    enum class Kind {
        Query,   // rows for the client
        Change,  // INSERT/UPDATE/DELETE: rows affected
        Assign,  // SELECT @v = ... : no rows for the client
        Exec,
        Declare,
        SetVariable,
        SetOption,
        Ddl,
        Begin,
        Commit,
        Rollback,
        Return,
        If,
        Block,
        Print,
    } kind = Kind::Query;

    Sql sql;  // Query/Change/Ddl; Assign: the row query; If: condition; SetVariable/Return:
              // the value as a scalar select
    std::vector<ColumnHint> hints;
    std::vector<Materialize> materialize;

    // Assign: result column i goes to assignVars[i] with assignOps[i]; when `fold` is set
    // the row query returns the column values and foldExprs[i] computes the new value per
    // row from them (RowValue bindings) and the variables.
    std::vector<std::string> assignVars;
    std::vector<std::string> assignOps;
    bool fold = false;
    std::vector<Sql> foldExprs;

    // Exec
    std::string procedure;  // lower case
    std::string procedureWritten;
    int procedureNumber = 1;
    struct Arg {
        std::string name;  // lower case with @, or empty
        Sql value;         // scalar select; empty for DEFAULT
        bool output = false;
        std::string outVariable;  // variable that receives an output value
    };
    std::vector<Arg> args;
    std::string returnVariable;

    // Declare / SetVariable
    struct Declared {
        std::string name;
        ast::TypeName type;
        Sql init;
    };
    std::vector<Declared> declarations;
    std::string variable;
    std::string assignOp;

    // SetOption
    std::string option;
    std::string optionValue;

    bool schemaChange = false;  // Ddl: the cache of translations is dropped afterwards
    // CREATE VIEW / DROP VIEW: the view and, when created, its column types
    std::string viewName;
    std::vector<ColumnInfo> viewColumns;
    std::vector<Op> children;  // If: then[, else]; Block: statements
    bool hasElse = false;
};

struct Program {
    std::vector<Op> ops;
    int placeholders = 0;
    bool singleBareExec = false;  // one EXEC without arguments: params become its arguments
};

}  // namespace server
