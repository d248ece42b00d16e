#pragma once

// The syntax tree of a T-SQL batch, as the parser builds it and the printer reads it.
// Nodes are plain structs owned through unique_ptr; the tree never shares nodes.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace server::ast {

struct Select;
struct Expr;
using ExprPtr = std::unique_ptr<Expr>;
using SelectPtr = std::unique_ptr<Select>;

// A declared data type: int, varchar(50), datetime, ...
struct TypeName {
    std::string name;  // upper case: INT, VARCHAR, DATETIME, ...
    int length = 0;    // the (n) of char types; -1 for (max); 0 when not given
    int scale = 0;
};

enum class ExprKind {
    Null,
    Integer,      // text holds the digits
    Decimal,      // text holds the number as written
    String,       // text holds the value
    Column,       // names: [schema.]table.column parts, last is the column
    Star,         // names: optional qualifier parts
    Variable,     // text: @name (lower-cased for lookup)
    Placeholder,  // index: 0-based position among the batch's ? marks
    Unary,        // text: "-", "+", "~", "NOT"; args[0]
    Binary,       // text: operator ("+", "=", "AND", ...); args[0], args[1]
    Function,     // text: upper-case name; args; distinct, star (COUNT(*))
    Cast,         // args[0]; type; args[1] = style for CONVERT
    Case,         // args: [operand?] then when/then pairs then [else]; hasOperand, hasElse
    Between,      // args: value, low, high; negated
    InList,       // args: value, items...; negated
    InSelect,     // args[0]; select; negated
    Exists,       // select
    Subquery,     // select (scalar)
    IsNull,       // args[0]; negated
    Like,         // args: value, pattern[, escape]; negated
    DatePart,     // text: normalised part name; args[0] the date (DATEPART, DATEADD, DATEDIFF)
};

struct Expr {
    ExprKind kind = ExprKind::Null;
    std::string text;
    std::vector<std::string> names;
    std::vector<ExprPtr> args;
    SelectPtr select;
    TypeName type;
    int index = 0;
    bool negated = false;
    bool distinct = false;
    bool star = false;
    bool hasOperand = false;
    bool hasElse = false;
    bool parenthesized = false;
};

struct TableRef;
using TableRefPtr = std::unique_ptr<TableRef>;

struct TableRef {
    enum class Kind { Named, Function, Subquery, Join } kind = Kind::Named;
    std::string name;           // object name without catalog and schema
    std::string written;        // the name as written, for error messages
    std::vector<ExprPtr> args;  // table function arguments
    SelectPtr select;           // derived table
    std::string alias;
    // Join: left JOIN right ON on
    std::string joinType;  // "INNER", "LEFT", "RIGHT", "FULL", "CROSS"
    TableRefPtr left, right;
    ExprPtr on;
};

struct SelectItem {
    ExprPtr expr;
    std::string alias;
    std::string assignTo;  // SELECT @v = expr: the variable, lower case
    std::string assignOp;  // "=" or "+=" ...
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
};

struct SelectCore {
    bool distinct = false;
    ExprPtr top;
    bool topPercent = false;
    std::vector<SelectItem> items;
    std::vector<TableRefPtr> from;  // comma-separated FROM items
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    SelectPtr parenthesized;  // ( select ) used as a compound member
};

struct Select {
    std::vector<SelectCore> cores;
    std::vector<std::string> setOps;  // between cores: "UNION ALL", "UNION", "EXCEPT", "INTERSECT"
    std::vector<OrderItem> orderBy;
};

struct ColumnDef {
    std::string name;
    TypeName type;
    bool notNull = false;
    bool primaryKey = false;
    bool identity = false;
    bool unique = false;
    ExprPtr defaultValue;
    std::string references;  // table name of a REFERENCES clause
    std::string referencesColumn;
    ExprPtr check;  // CHECK (expr)
};

// A table-level constraint of CREATE TABLE other than PRIMARY KEY.
struct TableConstraint {
    enum class Kind { Unique, ForeignKey, Check } kind = Kind::Unique;
    std::vector<std::string> columns;
    std::string references;
    std::vector<std::string> referencesColumns;
    ExprPtr check;
};

struct ProcArg {
    std::string name;  // "@x" lower case, or empty
    ExprPtr value;     // null for DEFAULT
    bool output = false;
};

struct Declaration {
    std::string name;  // lower case
    TypeName type;
    ExprPtr init;
};

struct Statement;
using StatementPtr = std::unique_ptr<Statement>;

struct Statement {
    enum class Kind {
        Select,
        Insert,
        Update,
        Delete,
        Exec,
        Declare,
        SetVariable,
        SetOption,
        CreateTable,
        CreateView,
        CreateIndex,
        Drop,
        Begin,
        Commit,
        Rollback,
        Return,
        If,
        Block,
        Print,
    } kind = Kind::Select;
    std::uint32_t offset = 0;  // where in the batch it begins

    SelectPtr select;  // Select; Insert ... SELECT; CreateView
    // Insert, Update, Delete, CreateTable, CreateIndex, Drop: the target
    std::string table;
    std::string tableWritten;
    std::vector<std::string> columns;        // Insert column list; CreateIndex columns
    std::vector<std::vector<ExprPtr>> rows;  // Insert VALUES rows
    bool defaultValues = false;
    std::vector<std::pair<std::string, ExprPtr>> assignments;  // Update SET
    std::vector<TableRefPtr> from;                             // Update/Delete FROM
    ExprPtr where;
    ExprPtr top;

    // Exec
    std::string procedure;  // name without qualifiers and without ;n
    std::string procedureWritten;
    int procedureNumber = 1;
    std::vector<ProcArg> args;
    std::string returnVariable;  // EXEC @r = proc

    // Declare
    std::vector<Declaration> declarations;
    // SetVariable: variable = expr (assignOp "=", "+=", ...)
    std::string variable;
    std::string assignOp;
    ExprPtr value;
    // SetOption: option name upper case, value text
    std::string option;
    std::string optionValue;

    // CreateTable
    std::vector<ColumnDef> columnDefs;
    std::vector<std::string> primaryKey;  // table-level PRIMARY KEY (cols)
    std::vector<TableConstraint> constraints;
    bool unique = false;  // CreateIndex
    std::string indexName;
    std::string dropKind;  // "TABLE", "VIEW", "INDEX", "PROCEDURE"
    bool ifExists = false;

    // If / Block
    ExprPtr condition;
    std::vector<StatementPtr> body;  // Block statements; If: [then, else?]
};

struct Batch {
    std::vector<StatementPtr> statements;
    int placeholders = 0;
};

}  // namespace server::ast
