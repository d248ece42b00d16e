#pragma once

// The printer: turns the syntax tree of a batch into a Program of SQLite statements with
// SQL Server's meaning (see Program.h). It reads the schema for column types, so that
// text '+' concatenates, date texts are read as dates where a datetime is expected, and
// written values take their column's type.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Ast.h"
#include "Program.h"

namespace server {

class Registry;

struct TableInfo {
    bool exists = false;
    bool isView = false;
    std::vector<ColumnInfo> columns;
    const ColumnInfo* column(std::string_view name) const;
};

// What the printer may ask about the database.
class SchemaSource {
  public:
    virtual ~SchemaSource() = default;
    virtual const TableInfo& table(std::string_view name) = 0;
    virtual bool isView(std::string_view name) = 0;           // a registered C++ view
    virtual bool isTableFunction(std::string_view name) = 0;  // a registered table function
};

// A schema that knows no table, view or table function, for translating a statement on its
// own (the front end's tests and benchmarks).
class NoSchema : public SchemaSource {
  public:
    const TableInfo& table(std::string_view) override { return none_; }
    bool isView(std::string_view) override { return false; }
    bool isTableFunction(std::string_view) override { return false; }

  private:
    TableInfo none_;
};

// The declared type of a value of type `t` and text length `size` (-1 or 0: any
// length); an empty name for Null, which converts nothing.
ast::TypeName typeNameFor(Type t, int size);

class Translator {
  public:
    static Program translate(std::string_view batch, SchemaSource& schema);
    static Program translate(const ast::Batch& batch, SchemaSource& schema);

    // "..." quoting of an identifier for SQLite.
    static std::string quoteName(std::string_view name);
    // '...' quoting of a text literal.
    static std::string quoteText(std::string_view text);
};

}  // namespace server
