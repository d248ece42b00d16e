#pragma once

// What the printer's source files share: the Printer class, which walks the syntax tree
// of a batch, and the small helpers its parts use. Only the Translator*.cpp files see it.

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "Parser.h"
#include "Translator.h"
#include "values/TextFold.h"

namespace server::translator_internal {

using namespace ast;

inline std::string lower(std::string_view s) {
    return foldCase(s);
}

struct SType {
    Type type = Type::Null;  // Null: not known before the values are seen
    int size = 0;
    bool column = false;  // a bare column reference: its collation comes from the schema
};

inline Type categoryOf(const TypeName& t) {
    return static_cast<Type>(Parser::typeCategory(t.name));
}

inline int textSize(const TypeName& t) {
    if (categoryOf(t) != Type::Text) return 0;
    if (t.length > 0) return t.length;
    if (t.length < 0) return 0;
    return -1;  // not given: CAST's 30, a column's 1
}

struct ScopeEntry {
    std::string name;   // table name, lower case
    std::string alias;  // lower case, may be empty
    bool known = false;
    std::vector<ColumnInfo> columns;
};

inline bool isAggregate(const std::string& fn) {
    return fn == "COUNT" || fn == "SUM" || fn == "AVG" || fn == "MIN" || fn == "MAX" ||
           fn == "COUNT_BIG" || fn == "STDEV" || fn == "VAR";
}

class Printer {
  public:
    explicit Printer(SchemaSource& schema) : schema_(schema) {}

    Program run(const Batch& batch);

  private:
    SchemaSource& schema_;
    std::map<std::string, TypeName> variables_;
    std::vector<std::vector<ScopeEntry>> scopes_;
    Sql* cur_ = nullptr;
    Op* op_ = nullptr;
    int tempCounter_ = 0;
    // fold mode: column references become row values
    const std::map<std::string, int>* rowColumns_ = nullptr;
    int analysing_ = 0;  // inside selectColumns: types only, no SQL
    std::map<const Select*, std::vector<ColumnInfo>> columnsMemo_;

    [[noreturn]] static void syntax(std::string_view near) {
        throw Error("Incorrect syntax near '" + std::string(near) + "'.");
    }

    std::string bind(Binding b) {
        cur_->bindings.push_back(std::move(b));
        return "?" + std::to_string(cur_->bindings.size());
    }

    // ---- statements (Translator.cpp) --------------------------------------------------
    Op statement(const Statement& st);
    void requireVariable(const std::string& name);
    Sql scalar(const Expr& e);
    Sql compound(const std::string& var, const std::string& op, const Expr& e);
    void setOption(const Statement& st, Op& op);

    // ---- data changes (Translator.cpp) ------------------------------------------------
    std::string insert(const Statement& st);
    static const TableRef* findTarget(const TableRef& ref, const std::string& target);
    const TableRef* targetOf(const Statement& st);
    std::string rowFilter(const Statement& st);
    std::string update(const Statement& st);
    std::string remove(const Statement& st);
    void exec(const Statement& st, Op& op);
    std::string constraintExpr(const Expr& e, const Statement& st);
    std::string createTable(const Statement& st);

    // ---- SELECT (TranslatorSelect.cpp) ------------------------------------------------
    void selectStatement(const Statement& st, Op& op);
    static void collectColumns(const Expr& e, std::vector<const Expr*>& out);
    static bool mentions(const Expr& e, const std::set<std::string>& vars, bool& aggregate);
    static std::string columnKey(const Expr& e);
    void assignSelect(const Select& sel, Op& op);
    std::string select(const Select& sel, std::vector<ColumnHint>* hints);
    std::string orderBy(const Select& sel, bool compound);
    std::string fromClause(const SelectCore& core);
    std::string whereGroupHaving(const SelectCore& core);
    std::string coreText(const SelectCore& core, std::vector<ColumnHint>* hints,
                         const Select* owner);
    std::vector<ColumnInfo> selectColumns(const Select& sel);
    std::string tableRef(const TableRef& ref);

    // ---- types (TranslatorExpressions.cpp) --------------------------------------------
    SType variableType(const std::string& name);
    const ColumnInfo* resolve(const Expr& e);
    SType typeOf(const Expr& e);

    // ---- expressions (TranslatorExpressions.cpp) --------------------------------------
    static bool numeric(Type t);
    std::string arithmetic(const std::string& op, const std::string& a, SType ta,
                           const std::string& b, SType tb);
    std::string castTo(const std::string& value, const TypeName& type, int style, bool strict,
                       bool sourceIsDate = false);
    static TypeName typeNameOf(Type t, int size);
    std::string coerce(const Expr* e, const std::string& printed, const ColumnInfo* col);
    std::string comparison(const Expr& e);
    std::string expr(const Expr& e);
    std::string variable(const std::string& name);
    std::string column(const Expr& e);
    std::string args(const Expr& e, std::size_t from = 0);
    void arity(const Expr& e, std::size_t min, std::size_t max);
    std::string function(const Expr& e);
};

}  // namespace server::translator_internal
