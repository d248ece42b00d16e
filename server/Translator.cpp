#include "Translator.h"

#include <algorithm>
#include <map>
#include <set>

#include "Parser.h"
#include "TextFold.h"

namespace server {

using namespace ast;

const ColumnInfo* TableInfo::column(std::string_view name) const {
    for (const auto& c : columns)
        if (compareFolded(c.name, name) == 0) return &c;
    return nullptr;
}

std::string Translator::quoteName(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
    return out;
}

std::string Translator::quoteText(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'') out += '\'';
        out += c;
    }
    out += '\'';
    return out;
}

namespace {

std::string lower(std::string_view s) {
    return foldCase(s);
}

struct SType {
    Type type = Type::Null;  // Null: not known before the values are seen
    int size = 0;
    bool column = false;  // a bare column reference: its collation comes from the schema
};

Type categoryOf(const TypeName& t) {
    return static_cast<Type>(Parser::typeCategory(t.name));
}

int textSize(const TypeName& t) {
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

bool isAggregate(const std::string& fn) {
    return fn == "COUNT" || fn == "SUM" || fn == "AVG" || fn == "MIN" || fn == "MAX" ||
           fn == "COUNT_BIG" || fn == "STDEV" || fn == "VAR";
}

class Printer {
  public:
    explicit Printer(SchemaSource& schema) : schema_(schema) {}

    Program run(const Batch& batch) {
        Program program;
        program.placeholders = batch.placeholders;
        for (const auto& st : batch.statements) program.ops.push_back(statement(*st));
        if (program.ops.size() == 1 && program.ops[0].kind == Op::Kind::Exec &&
            program.ops[0].args.empty() && batch.placeholders == 0)
            program.singleBareExec = true;
        return program;
    }

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

    // ---- statements -------------------------------------------------------------

    Op statement(const Statement& st) {
        Op op;
        Op* savedOp = op_;
        op_ = &op;
        Sql* savedSql = cur_;
        cur_ = &op.sql;
        switch (st.kind) {
            case Statement::Kind::Select:
                selectStatement(st, op);
                break;
            case Statement::Kind::Insert:
                op.kind = Op::Kind::Change;
                op.sql.text = insert(st);
                break;
            case Statement::Kind::Update:
                op.kind = Op::Kind::Change;
                op.sql.text = update(st);
                break;
            case Statement::Kind::Delete:
                op.kind = Op::Kind::Change;
                op.sql.text = remove(st);
                break;
            case Statement::Kind::Exec:
                exec(st, op);
                break;
            case Statement::Kind::Declare:
                op.kind = Op::Kind::Declare;
                for (const auto& d : st.declarations) {
                    if (variables_.count(d.name))
                        throw Error("The variable name '" + d.name +
                                    "' has already been declared. Variable names must be unique "
                                    "within a query batch or stored procedure.");
                    Op::Declared decl{d.name, d.type, {}};
                    if (d.init) decl.init = scalar(*d.init);
                    variables_[d.name] = d.type;
                    op.declarations.push_back(std::move(decl));
                }
                break;
            case Statement::Kind::SetVariable: {
                op.kind = Op::Kind::SetVariable;
                requireVariable(st.variable);
                op.variable = st.variable;
                op.assignOp = st.assignOp;
                op.sql = compound(st.variable, st.assignOp, *st.value);
                break;
            }
            case Statement::Kind::SetOption:
                setOption(st, op);
                break;
            case Statement::Kind::CreateTable:
                op.kind = Op::Kind::Ddl;
                op.schemaChange = true;
                op.sql.text = createTable(st);
                break;
            case Statement::Kind::CreateView: {
                op.kind = Op::Kind::Ddl;
                op.schemaChange = true;
                std::string body = select(*st.select, nullptr);
                if (!op.sql.bindings.empty() || !op.materialize.empty())
                    throw Error(
                        "Create View or Function failed because no column name was "
                        "specified for a parameter or variable.");
                op.sql.text = "CREATE VIEW " + Translator::quoteName(st.table) + " AS " + body;
                // SQLite knows no type for a view's expression columns: the server keeps them
                op.viewName = st.table;
                op.viewColumns = selectColumns(*st.select);
                break;
            }
            case Statement::Kind::CreateIndex: {
                op.kind = Op::Kind::Ddl;
                op.schemaChange = true;
                std::string text = st.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
                text += Translator::quoteName(st.indexName) + " ON " +
                        Translator::quoteName(st.table) + " (";
                for (std::size_t i = 0; i < st.columns.size(); ++i)
                    text += (i ? ", " : "") + Translator::quoteName(st.columns[i]);
                op.sql.text = text + ")";
                break;
            }
            case Statement::Kind::Drop:
                op.kind = Op::Kind::Ddl;
                op.schemaChange = true;
                op.sql.text = "DROP " + st.dropKind + (st.ifExists ? " IF EXISTS " : " ") +
                              Translator::quoteName(st.table);
                if (st.dropKind == "VIEW") op.viewName = st.table;
                break;
            case Statement::Kind::Begin:
                op.kind = Op::Kind::Begin;
                break;
            case Statement::Kind::Commit:
                op.kind = Op::Kind::Commit;
                break;
            case Statement::Kind::Rollback:
                op.kind = Op::Kind::Rollback;
                break;
            case Statement::Kind::Return:
                op.kind = Op::Kind::Return;
                if (st.value) op.sql = scalar(*st.value);
                break;
            case Statement::Kind::Print:
                op.kind = Op::Kind::Print;
                op.sql = scalar(*st.value);
                break;
            case Statement::Kind::If:
                op.kind = Op::Kind::If;
                {
                    Sql cond;
                    cur_ = &cond;
                    scopes_.emplace_back();
                    std::string c = expr(*st.condition);
                    scopes_.pop_back();
                    cond.text = "SELECT CASE WHEN " + c + " THEN 1 ELSE 0 END";
                    op.sql = std::move(cond);
                }
                for (const auto& child : st.body) op.children.push_back(statement(*child));
                op.hasElse = st.body.size() > 1;
                break;
            case Statement::Kind::Block:
                op.kind = Op::Kind::Block;
                for (const auto& child : st.body) op.children.push_back(statement(*child));
                break;
        }
        cur_ = savedSql;
        op_ = savedOp;
        return op;
    }

    void requireVariable(const std::string& name) {
        if (name.rfind("@@", 0) == 0) return;
        if (!variables_.count(name))
            throw Error("Must declare the scalar variable \"" + name + "\".");
    }

    // "SELECT expr" without FROM, in a scope of its own.
    Sql scalar(const Expr& e) {
        Sql sql;
        Sql* saved = cur_;
        cur_ = &sql;
        scopes_.emplace_back();
        sql.text = "SELECT " + expr(e);
        scopes_.pop_back();
        cur_ = saved;
        return sql;
    }

    // SET @v = e, SET @v += e
    Sql compound(const std::string& var, const std::string& op, const Expr& e) {
        Sql sql;
        Sql* saved = cur_;
        cur_ = &sql;
        scopes_.emplace_back();
        std::string value = expr(e);
        if (op != "=") {
            SType vt = variableType(var);
            SType et = typeOf(e);
            std::string v = bind(Binding{Binding::Kind::Variable, 0, var});
            value = arithmetic(op.substr(0, 1), v, vt, value, et);
        }
        sql.text = "SELECT " + value;
        scopes_.pop_back();
        cur_ = saved;
        return sql;
    }

    void setOption(const Statement& st, Op& op) {
        op.kind = Op::Kind::SetOption;
        op.option = st.option;
        op.optionValue = st.optionValue;
        static const std::set<std::string> onOff = {"NOCOUNT",
                                                    "ANSI_NULLS",
                                                    "ANSI_WARNINGS",
                                                    "ANSI_PADDING",
                                                    "QUOTED_IDENTIFIER",
                                                    "XACT_ABORT",
                                                    "ARITHABORT",
                                                    "CONCAT_NULL_YIELDS_NULL",
                                                    "ANSI_NULL_DFLT_ON",
                                                    "IMPLICIT_TRANSACTIONS",
                                                    "NUMERIC_ROUNDABORT",
                                                    "TRANSACTION"};
        if (st.option == "DATEFORMAT") {
            static const std::set<std::string> orders = {"DMY", "MDY", "YMD", "YDM", "MYD", "DYM"};
            if (!orders.count(st.optionValue))
                throw Error("'" + lower(st.optionValue) + "' is an invalid date format.");
            return;
        }
        if (st.option == "LANGUAGE" || st.option == "DATEFIRST" || st.option == "LOCK_TIMEOUT" ||
            st.option == "ROWCOUNT" || st.option == "TEXTSIZE")
            return;
        if (onOff.count(st.option)) {
            if (st.option != "TRANSACTION" && st.optionValue != "ON" && st.optionValue != "OFF")
                syntax(st.optionValue);
            return;
        }
        syntax(st.option);
    }

    // ---- SELECT -----------------------------------------------------------------

    void selectStatement(const Statement& st, Op& op) {
        const Select& sel = *st.select;
        bool assigns = false, retrieves = false;
        for (const auto& core : sel.cores)
            for (const auto& item : core.items)
                (item.assignTo.empty() ? retrieves : assigns) = true;
        if (assigns && retrieves)
            throw Error(
                "A SELECT statement that assigns a value to a variable must not be "
                "combined with data-retrieval operations.");
        if (!assigns) {
            op.kind = Op::Kind::Query;
            op.sql.text = select(sel, &op.hints);
            return;
        }
        if (sel.cores.size() != 1) syntax("UNION");
        assignSelect(sel, op);
    }

    static void collectColumns(const Expr& e, std::vector<const Expr*>& out) {
        if (e.kind == ExprKind::Column) {
            out.push_back(&e);
            return;
        }
        if (e.kind == ExprKind::Subquery || e.kind == ExprKind::Exists) return;
        for (const auto& a : e.args)
            if (a) collectColumns(*a, out);
    }

    static bool mentions(const Expr& e, const std::set<std::string>& vars, bool& aggregate) {
        bool found = false;
        if (e.kind == ExprKind::Variable && vars.count(e.text)) found = true;
        if (e.kind == ExprKind::Function && isAggregate(e.text)) aggregate = true;
        for (const auto& a : e.args)
            if (a && mentions(*a, vars, aggregate)) found = true;
        return found;
    }

    static std::string columnKey(const Expr& e) {
        std::string key;
        for (const auto& n : e.names) key += lower(n) + ".";
        return key;
    }

    void assignSelect(const Select& sel, Op& op) {
        op.kind = Op::Kind::Assign;
        const SelectCore& core = sel.cores[0];
        std::set<std::string> vars;
        for (const auto& item : core.items) {
            requireVariable(item.assignTo);
            vars.insert(item.assignTo);
            op.assignVars.push_back(item.assignTo);
            op.assignOps.push_back(item.assignOp);
        }
        bool aggregate = false, selfReference = false;
        for (const auto& item : core.items)
            if (mentions(*item.expr, vars, aggregate)) selfReference = true;
        op.fold = selfReference && !aggregate && core.groupBy.empty() && !core.distinct;

        scopes_.emplace_back();
        std::string from = fromClause(core);
        std::string text;
        if (!op.fold) {
            text = "SELECT ";
            for (std::size_t i = 0; i < core.items.size(); ++i) {
                const auto& item = core.items[i];
                std::string value = expr(*item.expr);
                if (item.assignOp != "=") {
                    std::string v = bind(Binding{Binding::Kind::Variable, 0, item.assignTo});
                    value = arithmetic(item.assignOp.substr(0, 1), v, variableType(item.assignTo),
                                       value, typeOf(*item.expr));
                }
                text += (i ? ", " : "") + value;
            }
        } else {
            std::vector<const Expr*> refs;
            for (const auto& item : core.items) collectColumns(*item.expr, refs);
            std::map<std::string, int> columns;
            text = "SELECT ";
            int n = 0;
            for (const Expr* ref : refs) {
                std::string key = columnKey(*ref);
                if (columns.count(key)) continue;
                columns[key] = n;
                text += (n ? ", " : "") + expr(*ref);
                ++n;
            }
            if (n == 0) text += "1";
            Sql* saved = cur_;
            rowColumns_ = &columns;
            for (const auto& item : core.items) {
                Sql fold;
                cur_ = &fold;
                std::string value = expr(*item.expr);
                if (item.assignOp != "=") {
                    std::string v = bind(Binding{Binding::Kind::Variable, 0, item.assignTo});
                    value = arithmetic(item.assignOp.substr(0, 1), v, variableType(item.assignTo),
                                       value, typeOf(*item.expr));
                }
                fold.text = "SELECT " + value;
                op.foldExprs.push_back(std::move(fold));
            }
            rowColumns_ = nullptr;
            cur_ = saved;
        }
        text += from;
        text += whereGroupHaving(core);
        text += orderBy(sel, false);
        if (core.top) text += " LIMIT " + expr(*core.top);
        scopes_.pop_back();
        op.sql.text = text;
    }

    // Prints a whole SELECT (compound, ORDER BY, TOP). hints, when given, receive what is
    // known of the result columns of the first core.
    std::string select(const Select& sel, std::vector<ColumnHint>* hints) {
        if (sel.cores.size() == 1) {
            const SelectCore& core = sel.cores[0];
            if (core.parenthesized && sel.orderBy.empty())
                return select(*core.parenthesized, hints);
            std::string text = coreText(core, hints, sel.orderBy.empty() ? nullptr : &sel);
            return text;
        }
        std::string text;
        for (std::size_t i = 0; i < sel.cores.size(); ++i) {
            const SelectCore& core = sel.cores[i];
            std::string part;
            if (core.parenthesized) {
                part =
                    "SELECT * FROM (" + select(*core.parenthesized, i == 0 ? hints : nullptr) + ")";
            } else if (core.top) {
                part = "SELECT * FROM (" + coreText(core, i == 0 ? hints : nullptr, nullptr) + ")";
            } else {
                part = coreText(core, i == 0 ? hints : nullptr, nullptr);
            }
            if (i) text += " " + sel.setOps[i - 1] + " ";
            text += part;
        }
        text += orderBy(sel, true);
        return text;
    }

    std::string orderBy(const Select& sel, bool compound) {
        if (sel.orderBy.empty()) return {};
        std::string text = " ORDER BY ";
        for (std::size_t i = 0; i < sel.orderBy.size(); ++i) {
            const auto& item = sel.orderBy[i];
            std::string e;
            if (compound && item.expr->kind == ExprKind::Column) {
                e = Translator::quoteName(item.expr->names.back());
            } else {
                e = expr(*item.expr);
                SType t = typeOf(*item.expr);
                if (!t.column && (t.type == Type::Text)) e += " COLLATE tsql_ci";
            }
            text += (i ? ", " : "") + e + (item.descending ? " DESC" : "");
        }
        return text;
    }

    std::string fromClause(const SelectCore& core) {
        if (core.from.empty()) return {};
        std::string text = " FROM ";
        for (std::size_t i = 0; i < core.from.size(); ++i)
            text += (i ? ", " : "") + tableRef(*core.from[i]);
        return text;
    }

    std::string whereGroupHaving(const SelectCore& core) {
        std::string text;
        if (core.where) text += " WHERE " + expr(*core.where);
        if (!core.groupBy.empty()) {
            text += " GROUP BY ";
            for (std::size_t i = 0; i < core.groupBy.size(); ++i)
                text += (i ? ", " : "") + expr(*core.groupBy[i]);
        }
        if (core.having) text += " HAVING " + expr(*core.having);
        return text;
    }

    // One SELECT core; with `owner` the ORDER BY and TOP of a single-core select.
    std::string coreText(const SelectCore& core, std::vector<ColumnHint>* hints,
                         const Select* owner) {
        scopes_.emplace_back();
        std::string from = fromClause(core);
        std::string text = core.distinct ? "SELECT DISTINCT " : "SELECT ";
        for (std::size_t i = 0; i < core.items.size(); ++i) {
            const SelectItem& item = core.items[i];
            ColumnHint hint;
            std::string e;
            if (item.expr->kind == ExprKind::Star) {
                hint.star = true;
                if (item.expr->names.empty()) {
                    e = "*";
                } else {
                    e = Translator::quoteName(item.expr->names.back()) + ".*";
                }
            } else {
                e = expr(*item.expr);
                SType t = typeOf(*item.expr);
                // a text expression compares as the columns do, also from outside a subquery
                if (t.type == Type::Text && item.expr->kind != ExprKind::Column)
                    e = "(" + e + ") COLLATE tsql_ci";
                hint.type = t.type;
                hint.size = t.size > 0 ? t.size : 0;
                if (!item.alias.empty()) {
                    hint.hasName = true;
                    hint.name = item.alias;
                } else if (item.expr->kind == ExprKind::Column) {
                    hint.hasName = true;  // as written in the select list, as SQL Server does
                    hint.name = item.expr->names.back();
                } else {
                    hint.hasName = true;  // SQL Server names an expression ""
                }
                // the alias keeps the name SQLite reports in step with ours
                if (!item.alias.empty())
                    e += " AS " + Translator::quoteName(item.alias);
                else if (item.expr->kind != ExprKind::Column)
                    e += " AS " + Translator::quoteName("_c" + std::to_string(i));
            }
            text += (i ? ", " : "") + e;
            if (hints && hint.star) {
                // a star over tables whose columns are all known is typed column by column
                // (views' expression columns have no declared type SQLite could report)
                std::vector<ColumnHint> expanded;
                bool known = true;
                for (const auto& entry : scopes_.back()) {
                    if (!item.expr->names.empty()) {
                        std::string q = lower(item.expr->names.back());
                        if (entry.alias != q && !(entry.alias.empty() && entry.name == q)) continue;
                    }
                    if (!entry.known) known = false;
                    for (const auto& c : entry.columns) {
                        ColumnHint h;
                        h.type = c.type;
                        h.size = c.size;
                        expanded.push_back(h);
                    }
                }
                if (known && !expanded.empty()) {
                    hints->insert(hints->end(), expanded.begin(), expanded.end());
                    continue;
                }
            }
            if (hints) hints->push_back(hint);
        }
        text += from;
        text += whereGroupHaving(core);
        if (owner) text += orderBy(*owner, false);
        if (core.top) {
            if (core.topPercent) syntax("PERCENT");
            text += " LIMIT " + expr(*core.top);
        }
        scopes_.pop_back();
        return text;
    }

    // Result column types of a select, for a derived table's scope entry.
    std::vector<ColumnInfo> selectColumns(const Select& sel) {
        // remembered per node: nested derived tables would otherwise be analysed once per
        // level above them, exponentially
        auto memo = columnsMemo_.find(&sel);
        if (memo != columnsMemo_.end()) return memo->second;
        ++analysing_;
        std::vector<ColumnInfo> cols;
        const Select* s = &sel;
        while (s->cores[0].parenthesized) s = s->cores[0].parenthesized.get();
        const SelectCore& core = s->cores[0];
        scopes_.emplace_back();
        // only the names and types are wanted: analyse the FROM without keeping its SQL
        Sql scratch;
        Sql* saved = cur_;
        cur_ = &scratch;
        std::vector<Materialize> savedMat;
        if (op_) savedMat = op_->materialize;
        int savedCounter = tempCounter_;
        fromClause(core);
        for (const auto& item : core.items) {
            if (item.expr->kind == ExprKind::Star) {
                for (const auto& entry : scopes_.back()) {
                    if (!item.expr->names.empty()) {
                        std::string q = lower(item.expr->names.back());
                        if (entry.alias != q && !(entry.alias.empty() && entry.name == q)) continue;
                    }
                    for (const auto& c : entry.columns) cols.push_back(c);
                }
                continue;
            }
            ColumnInfo c;
            c.name = !item.alias.empty()                   ? item.alias
                     : item.expr->kind == ExprKind::Column ? item.expr->names.back()
                                                           : "";
            SType t = typeOf(*item.expr);
            c.type = t.type;
            c.size = t.size;
            cols.push_back(c);
        }
        tempCounter_ = savedCounter;
        if (op_) op_->materialize = savedMat;
        cur_ = saved;
        scopes_.pop_back();
        --analysing_;
        columnsMemo_.emplace(&sel, cols);
        return cols;
    }

    std::string tableRef(const TableRef& ref) {
        switch (ref.kind) {
            case TableRef::Kind::Join: {
                std::string left = tableRef(*ref.left);
                std::string right = tableRef(*ref.right);
                std::string text = left +
                                   (ref.joinType == "CROSS"   ? " CROSS JOIN "
                                    : ref.joinType == "INNER" ? " INNER JOIN "
                                                              : " " + ref.joinType + " JOIN ") +
                                   right;
                if (ref.on && !analysing_) text += " ON " + expr(*ref.on);
                return "(" + text + ")";
            }
            case TableRef::Kind::Subquery: {
                ScopeEntry entry;
                entry.alias = lower(ref.alias);
                entry.known = true;
                entry.columns = selectColumns(*ref.select);
                std::string text;
                if (!analysing_)
                    text = "(" + select(*ref.select, nullptr) + ") AS " +
                           Translator::quoteName(ref.alias);
                scopes_.back().push_back(std::move(entry));
                return text;
            }
            case TableRef::Kind::Function:
            case TableRef::Kind::Named:
                break;
        }
        std::string key = lower(ref.name);
        ScopeEntry entry;
        entry.name = key;
        entry.alias = lower(ref.alias);
        std::string text;
        bool isFunction = ref.kind == TableRef::Kind::Function;
        if (isFunction || schema_.isView(key)) {
            if (isFunction && !schema_.isTableFunction(key))
                throw Error("Invalid object name '" + ref.written + "'.");
            Materialize m;
            m.tempName = "qor_tf_" + std::to_string(++tempCounter_);
            m.object = key;
            m.isFunction = isFunction;
            if (!analysing_)
                for (const auto& a : ref.args) m.args.push_back(scalar(*a));
            text = "temp." + Translator::quoteName(m.tempName);
            if (op_) op_->materialize.push_back(std::move(m));
            text += " AS " + Translator::quoteName(ref.alias.empty() ? ref.name : ref.alias);
        } else {
            const TableInfo& info = schema_.table(key);
            if (info.exists) {
                entry.known = true;
                entry.columns = info.columns;
            }
            text = Translator::quoteName(ref.name);
            if (!ref.alias.empty()) text += " AS " + Translator::quoteName(ref.alias);
        }
        scopes_.back().push_back(std::move(entry));
        return text;
    }

    // ---- types ------------------------------------------------------------------

    SType variableType(const std::string& name) {
        auto it = variables_.find(name);
        if (it == variables_.end()) {
            if (name == "@@rowcount" || name == "@@identity" || name == "@@error" ||
                name == "@@trancount" || name == "@@spid")
                return {Type::Integer, 0, false};
            return {};
        }
        int size = textSize(it->second);
        return {categoryOf(it->second), size < 0 ? 1 : size, false};
    }

    const ColumnInfo* resolve(const Expr& e) {
        const auto& names = e.names;
        std::string column = names.back();
        std::string qualifier = names.size() >= 2 ? lower(names[names.size() - 2]) : "";
        for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
            for (const auto& entry : *scope) {
                if (!qualifier.empty()) {
                    bool match = entry.alias == qualifier ||
                                 (entry.alias.empty() && entry.name == qualifier);
                    if (!match) continue;
                    for (const auto& c : entry.columns)
                        if (compareFolded(c.name, column) == 0) return &c;
                    return nullptr;
                }
                for (const auto& c : entry.columns)
                    if (compareFolded(c.name, column) == 0) return &c;
            }
        }
        return nullptr;
    }

    SType typeOf(const Expr& e) {
        switch (e.kind) {
            case ExprKind::Null:
                return {};
            case ExprKind::Integer:
                return {Type::Integer, 0, false};
            case ExprKind::Decimal:
                return {Type::Float, 0, false};
            case ExprKind::String:
                return {Type::Text, static_cast<int>(e.text.size()), false};
            case ExprKind::Column: {
                if (e.names.size() == 1) {
                    std::string n = lower(e.names[0]);
                    if (n == "current_timestamp") return {Type::DateTime, 0, false};
                }
                const ColumnInfo* c = resolve(e);
                if (!c) return {Type::Null, 0, true};
                return {c->type, c->size, true};
            }
            case ExprKind::Star:
                return {};
            case ExprKind::Variable:
                return variableType(e.text);
            case ExprKind::Placeholder:
                return {};
            case ExprKind::Unary:
                if (e.text == "NOT") return {Type::Integer, 0, false};
                return {typeOf(*e.args[0]).type, 0, false};
            case ExprKind::Binary: {
                const std::string& op = e.text;
                if (op == "AND" || op == "OR" || op == "=" || op == "<>" || op == "<" ||
                    op == ">" || op == "<=" || op == ">=")
                    return {Type::Integer, 0, false};
                SType a = typeOf(*e.args[0]), b = typeOf(*e.args[1]);
                if (op == "+") {
                    if (a.type == Type::DateTime || b.type == Type::DateTime)
                        return {Type::DateTime, 0, false};
                    if (a.type == Type::Text && b.type == Type::Text)
                        return {Type::Text, a.size + b.size, false};
                }
                if (a.type == Type::Float || b.type == Type::Float) return {Type::Float, 0, false};
                if (a.type == Type::Integer && b.type == Type::Integer)
                    return {Type::Integer, 0, false};
                if (op != "+" && op != "-" &&
                    (a.type == Type::Integer || b.type == Type::Integer) &&
                    (a.type == Type::Null || b.type == Type::Null))
                    return {};
                return {};
            }
            case ExprKind::Function: {
                const std::string& f = e.text;
                if (f == "GETDATE" || f == "SYSDATETIME" || f == "GETUTCDATE")
                    return {Type::DateTime, 0, false};
                if (f == "COUNT" || f == "COUNT_BIG" || f == "LEN" || f == "DATALENGTH" ||
                    f == "YEAR" || f == "MONTH" || f == "DAY" || f == "CHARINDEX" ||
                    f == "SCOPE_IDENTITY" || f == "ISNUMERIC" || f == "SIGN" || f == "ASCII" ||
                    f == "UNICODE")
                    return {Type::Integer, 0, false};
                if (f == "AVG" || f == "SQRT" || f == "POWER" || f == "RAND" || f == "PI" ||
                    f == "EXP" || f == "LOG" || f == "LOG10")
                    return {Type::Float, 0, false};
                if (f == "UPPER" || f == "LOWER" || f == "LTRIM" || f == "RTRIM" || f == "TRIM" ||
                    f == "SUBSTRING" || f == "LEFT" || f == "RIGHT" || f == "REPLACE" ||
                    f == "CONCAT" || f == "REPLICATE" || f == "SPACE" || f == "STR" ||
                    f == "NEWID" || f == "DB_NAME" || f == "SUSER_SNAME" || f == "USER_NAME" ||
                    f == "CHAR" || f == "NCHAR" || f == "REVERSE" || f == "STUFF")
                    return {Type::Text,
                            f == "UPPER" || f == "LOWER" || f == "LTRIM" || f == "RTRIM"
                                ? (e.args.empty() ? 0 : typeOf(*e.args[0]).size)
                                : 0,
                            false};
                if (!e.args.empty()) {
                    SType t = typeOf(*e.args[0]);
                    if ((f == "ISNULL" || f == "COALESCE") && t.type == Type::Null &&
                        e.args.size() > 1)
                        t = typeOf(*e.args[1]);
                    t.column = false;
                    if (f == "ABS" || f == "ROUND" || f == "FLOOR" || f == "CEILING" ||
                        f == "SUM" || f == "MIN" || f == "MAX" || f == "ISNULL" ||
                        f == "COALESCE" || f == "NULLIF")
                        return t;
                }
                return {};
            }
            case ExprKind::Cast: {
                int size = textSize(e.type);
                return {categoryOf(e.type), size < 0 ? 30 : size, false};
            }
            case ExprKind::Case: {
                std::size_t start = e.hasOperand ? 1 : 0;
                std::size_t end = e.args.size() - (e.hasElse ? 1 : 0);
                SType best;
                for (std::size_t i = start + 1; i < end; i += 2) {
                    SType t = typeOf(*e.args[i]);
                    if (t.type != Type::Null) {
                        best = t;
                        break;
                    }
                }
                if (best.type == Type::Null && e.hasElse) best = typeOf(*e.args.back());
                best.column = false;
                if (best.type == Type::Text) {
                    for (std::size_t i = start + 1; i < e.args.size(); i += 2) {
                        SType t = typeOf(*e.args[i]);
                        best.size = std::max(best.size, t.size);
                    }
                    if (e.hasElse) best.size = std::max(best.size, typeOf(*e.args.back()).size);
                }
                return best;
            }
            case ExprKind::Between:
            case ExprKind::InList:
            case ExprKind::InSelect:
            case ExprKind::Exists:
            case ExprKind::IsNull:
            case ExprKind::Like:
                return {Type::Integer, 0, false};
            case ExprKind::Subquery: {
                auto cols = selectColumns(*e.select);
                if (cols.empty()) return {};
                return {cols[0].type, cols[0].size, false};
            }
            case ExprKind::DatePart:
                if (e.names[0] == "DATEADD") return {Type::DateTime, 0, false};
                if (e.names[0] == "DATENAME") return {Type::Text, 30, false};
                return {Type::Integer, 0, false};
        }
        return {};
    }

    // ---- expressions ------------------------------------------------------------

    static bool numeric(Type t) { return t == Type::Integer || t == Type::Float; }

    std::string arithmetic(const std::string& op, const std::string& a, SType ta,
                           const std::string& b, SType tb) {
        if (op == "+") {
            if (ta.type == Type::DateTime && numeric(tb.type))
                return "tsql_dateadd('day', " + b + ", " + a + ")";
            if (tb.type == Type::DateTime && numeric(ta.type))
                return "tsql_dateadd('day', " + a + ", " + b + ")";
            if (numeric(ta.type) && numeric(tb.type)) return "(" + a + " + " + b + ")";
            if (ta.type == Type::Text && tb.type == Type::Text) return "(" + a + " || " + b + ")";
            return "tsql_add(" + a + ", " + b + ")";
        }
        // SQL Server raises on a zero divisor where SQLite gives NULL
        if (op == "/") return "tsql_div(" + a + ", " + b + ")";
        if (op == "%") return "tsql_mod(" + a + ", " + b + ")";
        if (op == "^") return "((" + a + " | " + b + ") - (" + a + " & " + b + "))";
        return "(" + a + " " + op + " " + b + ")";
    }

    std::string castTo(const std::string& value, const TypeName& type, int style, bool strict,
                       bool sourceIsDate = false) {
        return "tsql_cast(" + value + ", '" + type.name + "', " + std::to_string(type.length) +
               ", " + std::to_string(style) + ", " + (strict ? "1" : "0") + ", " +
               (sourceIsDate ? "1" : "0") + ")";
    }

    static TypeName typeNameOf(Type t, int size) {
        switch (t) {
            case Type::Integer:
                return {"INT", 0, 0};
            case Type::Float:
                return {"FLOAT", 0, 0};
            case Type::Text:
                return {"VARCHAR", size > 0 ? size : -1, 0};
            case Type::DateTime:
                return {"DATETIME", 0, 0};
            case Type::Null:
                break;
        }
        return {"VARCHAR", -1, 0};
    }

    // A value about to be stored in a column: converted to the column's type as SQL
    // Server converts it, unless it has that type already.
    std::string coerce(const Expr* e, const std::string& printed, const ColumnInfo* col) {
        if (!col || !e || e->kind == ExprKind::Null) return printed;
        SType t = typeOf(*e);
        bool same = false;
        switch (col->type) {
            case Type::Integer:
                same = t.type == Type::Integer;
                break;
            case Type::Float:
                same = t.type == Type::Integer || t.type == Type::Float;
                break;
            case Type::Text:
                same = t.type == Type::Text &&
                       (col->size <= 0 || (e->kind == ExprKind::String &&
                                           static_cast<int>(e->text.size()) <= col->size));
                if (col->size <= 0 && numeric(t.type)) same = true;
                break;
            case Type::DateTime:
                same = t.type == Type::DateTime && col->declared != "DATE";
                break;
            case Type::Null:
                same = true;
                break;
        }
        if (same) return printed;
        TypeName target = typeNameOf(col->type, col->size);
        if (Parser::typeCategory(col->declared) == static_cast<int>(col->type))
            target.name = col->declared;
        return castTo(printed, target, -1, true);
    }

    std::string comparison(const Expr& e) {
        const Expr& l = *e.args[0];
        const Expr& r = *e.args[1];
        std::string a = expr(l), b = expr(r);
        SType ta = typeOf(l), tb = typeOf(r);
        if (ta.type == Type::DateTime && tb.type != Type::DateTime && r.kind != ExprKind::Null)
            b = castTo(b, {"DATETIME", 0, 0}, -1, false);
        else if (tb.type == Type::DateTime && ta.type != Type::DateTime && l.kind != ExprKind::Null)
            a = castTo(a, {"DATETIME", 0, 0}, -1, false);
        else if (!ta.column && !tb.column && !(numeric(ta.type) || numeric(tb.type)))
            a = "(" + a + ") COLLATE tsql_ci";
        return "(" + a + " " + e.text + " " + b + ")";
    }

    std::string expr(const Expr& e) {
        switch (e.kind) {
            case ExprKind::Null:
                return "NULL";
            case ExprKind::Integer:
            case ExprKind::Decimal:
                return e.text;
            case ExprKind::String:
                return Translator::quoteText(e.text);
            case ExprKind::Column:
                return column(e);
            case ExprKind::Star:
                syntax("*");
            case ExprKind::Variable:
                return variable(e.text);
            case ExprKind::Placeholder:
                return bind(Binding{Binding::Kind::Param, e.index, {}});
            case ExprKind::Unary:
                if (e.text == "NOT") return "(NOT " + expr(*e.args[0]) + ")";
                return "(" + e.text + expr(*e.args[0]) + ")";
            case ExprKind::Binary: {
                const std::string& op = e.text;
                if (op == "AND" || op == "OR")
                    return "(" + expr(*e.args[0]) + " " + op + " " + expr(*e.args[1]) + ")";
                if (op == "=" || op == "<>" || op == "<" || op == ">" || op == "<=" || op == ">=")
                    return comparison(e);
                std::string a = expr(*e.args[0]);
                std::string b = expr(*e.args[1]);
                return arithmetic(op, a, typeOf(*e.args[0]), b, typeOf(*e.args[1]));
            }
            case ExprKind::Function:
                return function(e);
            case ExprKind::Cast: {
                std::string value = expr(*e.args[0]);
                int style = -1;
                if (e.args.size() > 1) {
                    if (e.args[1]->kind != ExprKind::Integer) syntax(e.args[1]->text);
                    style = std::stoi(e.args[1]->text.substr(0, 6));
                }
                TypeName t = e.type;
                if (categoryOf(t) == Type::Text && t.length == 0) t.length = 30;
                return castTo(value, t, style, false, typeOf(*e.args[0]).type == Type::DateTime);
            }
            case ExprKind::Case: {
                std::string text = "CASE";
                std::size_t i = 0;
                if (e.hasOperand) text += " " + expr(*e.args[i++]);
                std::size_t end = e.args.size() - (e.hasElse ? 1 : 0);
                for (; i + 1 < end + 1 && i < end; i += 2)
                    text += " WHEN " + expr(*e.args[i]) + " THEN " + expr(*e.args[i + 1]);
                if (e.hasElse) text += " ELSE " + expr(*e.args.back());
                return text + " END";
            }
            case ExprKind::Between: {
                std::string v = expr(*e.args[0]);
                std::string lo = expr(*e.args[1]), hi = expr(*e.args[2]);
                if (typeOf(*e.args[0]).type == Type::DateTime) {
                    lo = castTo(lo, {"DATETIME", 0, 0}, -1, false);
                    hi = castTo(hi, {"DATETIME", 0, 0}, -1, false);
                }
                return "(" + v + (e.negated ? " NOT BETWEEN " : " BETWEEN ") + lo + " AND " + hi +
                       ")";
            }
            case ExprKind::InList: {
                std::string text = "(" + expr(*e.args[0]) + (e.negated ? " NOT IN (" : " IN (");
                for (std::size_t i = 1; i < e.args.size(); ++i)
                    text += (i > 1 ? ", " : "") + expr(*e.args[i]);
                return text + "))";
            }
            case ExprKind::InSelect:
                return "(" + expr(*e.args[0]) + (e.negated ? " NOT IN (" : " IN (") +
                       select(*e.select, nullptr) + "))";
            case ExprKind::Exists:
                return "EXISTS (" + select(*e.select, nullptr) + ")";
            case ExprKind::Subquery:
                return "(" + select(*e.select, nullptr) + ")";
            case ExprKind::IsNull:
                return "(" + expr(*e.args[0]) + (e.negated ? " IS NOT NULL)" : " IS NULL)");
            case ExprKind::Like: {
                std::string text = "(" + expr(*e.args[0]) + (e.negated ? " NOT LIKE " : " LIKE ") +
                                   expr(*e.args[1]);
                if (e.args.size() > 2) text += " ESCAPE " + expr(*e.args[2]);
                return text + ")";
            }
            case ExprKind::DatePart: {
                const std::string& fn = e.names[0];
                std::string part = "'" + e.text + "'";
                if (fn == "DATEPART")
                    return "tsql_datepart(" + part + ", " + expr(*e.args[0]) + ")";
                if (fn == "DATENAME")
                    return "CAST(tsql_datepart(" + part + ", " + expr(*e.args[0]) + ") AS TEXT)";
                if (fn == "DATEADD")
                    return "tsql_dateadd(" + part + ", " + expr(*e.args[0]) + ", " +
                           expr(*e.args[1]) + ")";
                return "tsql_datediff(" + part + ", " + expr(*e.args[0]) + ", " + expr(*e.args[1]) +
                       ")";
            }
        }
        return "NULL";
    }

    std::string variable(const std::string& name) {
        if (name == "@@identity") return "last_insert_rowid()";
        if (name == "@@error") return "0";
        if (name == "@@spid") return "1";
        if (name == "@@version")
            return "'QOR 28 embedded server (SQLite " + std::string("3") + ")'";
        if (name == "@@servername") return "'QOR'";
        if (name != "@@rowcount" && name != "@@trancount") requireVariable(name);
        return bind(Binding{Binding::Kind::Variable, 0, name});
    }

    std::string column(const Expr& e) {
        if (rowColumns_) {
            auto it = rowColumns_->find(columnKey(e));
            if (it != rowColumns_->end())
                return bind(Binding{Binding::Kind::RowValue, it->second, {}});
        }
        const auto& names = e.names;
        if (names.size() == 1) {
            std::string n = lower(names[0]);
            if (n == "current_timestamp") return "tsql_getdate()";
            if (n == "system_user" || n == "current_user" || n == "session_user")
                return "tsql_login()";
        }
        if (names.size() >= 2 && !names[names.size() - 2].empty())
            return Translator::quoteName(names[names.size() - 2]) + "." +
                   Translator::quoteName(names.back());
        return Translator::quoteName(names.back());
    }

    std::string args(const Expr& e, std::size_t from = 0) {
        std::string text;
        for (std::size_t i = from; i < e.args.size(); ++i)
            text += (i > from ? ", " : "") + expr(*e.args[i]);
        return text;
    }

    void arity(const Expr& e, std::size_t min, std::size_t max) {
        if (e.args.size() < min || e.args.size() > max)
            throw Error("The " + lower(e.text) + " function requires " + std::to_string(min) +
                        " argument(s).");
    }

    std::string function(const Expr& e) {
        const std::string& f = e.text;
        if (isAggregate(f)) {
            std::string name = f == "COUNT_BIG" ? "count" : lower(f);
            if (f == "STDEV" || f == "VAR")
                throw Error("'" + lower(f) + "' is not a recognized built-in function name.");
            if (e.star) {
                if (f != "COUNT" && f != "COUNT_BIG") syntax("*");
                return "count(*)";
            }
            arity(e, 1, 1);
            std::string a = expr(*e.args[0]);
            if (f == "AVG" && typeOf(*e.args[0]).type == Type::Integer)
                return "CAST(avg(" + std::string(e.distinct ? "DISTINCT " : "") + a +
                       ") AS INTEGER)";
            return name + "(" + (e.distinct ? "DISTINCT " : "") + a + ")";
        }
        if (e.star || e.distinct) syntax(e.star ? "*" : "DISTINCT");
        if (f == "GETDATE" || f == "SYSDATETIME") {
            arity(e, 0, 0);
            return "tsql_getdate()";
        }
        if (f == "GETUTCDATE") {
            arity(e, 0, 0);
            return "tsql_getutcdate()";
        }
        if (f == "ISNULL") {
            arity(e, 2, 2);
            return "ifnull(" + args(e) + ")";
        }
        if (f == "COALESCE") {
            if (e.args.size() < 2) arity(e, 2, 2);
            return "coalesce(" + args(e) + ")";
        }
        if (f == "NULLIF") {
            arity(e, 2, 2);
            return "nullif(" + args(e) + ")";
        }
        if (f == "LEN") {
            arity(e, 1, 1);
            return "length(rtrim(" + expr(*e.args[0]) + ", ' '))";
        }
        if (f == "DATALENGTH") {
            arity(e, 1, 1);
            return "length(CAST(" + expr(*e.args[0]) + " AS BLOB))";
        }
        if (f == "UPPER" || f == "LOWER") {
            arity(e, 1, 1);
            return "tsql_" + lower(f) + "(" + args(e) + ")";
        }
        if (f == "LTRIM" || f == "RTRIM") {
            arity(e, 1, 1);
            return lower(f) + "(" + args(e) + ", ' ')";
        }
        if (f == "TRIM") {
            arity(e, 1, 1);
            return "trim(" + args(e) + ", ' ')";
        }
        if (f == "SUBSTRING") {
            arity(e, 3, 3);
            return "tsql_substring(" + args(e) + ")";
        }
        if (f == "LEFT") {
            arity(e, 2, 2);
            return "tsql_substring(" + expr(*e.args[0]) + ", 1, " + expr(*e.args[1]) + ")";
        }
        if (f == "RIGHT") {
            arity(e, 2, 2);
            return "tsql_right(" + args(e) + ")";
        }
        if (f == "CHARINDEX") {
            arity(e, 2, 3);
            return "tsql_charindex(" + args(e) + ")";
        }
        if (f == "REPLACE") {
            arity(e, 3, 3);
            return "replace(" + args(e) + ")";
        }
        if (f == "REPLICATE") {
            arity(e, 2, 2);
            return "tsql_replicate(" + args(e) + ")";
        }
        if (f == "SPACE") {
            arity(e, 1, 1);
            return "tsql_replicate(' ', " + args(e) + ")";
        }
        if (f == "REVERSE") {
            arity(e, 1, 1);
            return "tsql_reverse(" + args(e) + ")";
        }
        if (f == "CONCAT") {
            if (e.args.size() < 2) arity(e, 2, 2);
            std::string text = "(";
            for (std::size_t i = 0; i < e.args.size(); ++i)
                text += (i ? " || " : "") + ("ifnull(CAST(" + expr(*e.args[i]) + " AS TEXT), '')");
            return text + ")";
        }
        if (f == "ABS") {
            arity(e, 1, 1);
            return "abs(" + args(e) + ")";
        }
        if (f == "ROUND") {
            arity(e, 2, 3);
            return "tsql_round(" + expr(*e.args[0]) + ", " + expr(*e.args[1]) + ")";
        }
        if (f == "FLOOR" || f == "CEILING" || f == "SQRT" || f == "EXP" || f == "LOG" ||
            f == "LOG10" || f == "SIGN") {
            arity(e, 1, 1);
            return "tsql_math('" + lower(f) + "', " + args(e) + ")";
        }
        if (f == "POWER") {
            arity(e, 2, 2);
            return "tsql_power(" + args(e) + ")";
        }
        if (f == "PI") {
            arity(e, 0, 0);
            return "3.141592653589793";
        }
        if (f == "YEAR" || f == "MONTH" || f == "DAY") {
            arity(e, 1, 1);
            return "tsql_datepart('" + lower(f) + "', " + args(e) + ")";
        }
        if (f == "SCOPE_IDENTITY") {
            arity(e, 0, 0);
            return "last_insert_rowid()";
        }
        if (f == "NEWID") {
            arity(e, 0, 0);
            return "upper(hex(randomblob(16)))";
        }
        if (f == "ISNUMERIC") {
            arity(e, 1, 1);
            return "tsql_isnumeric(" + args(e) + ")";
        }
        if (f == "DB_NAME") {
            arity(e, 0, 1);
            return "'QOR'";
        }
        if (f == "SUSER_SNAME" || f == "USER_NAME" || f == "SUSER_NAME") {
            arity(e, 0, 1);
            return "tsql_login()";
        }
        if (f == "ASCII" || f == "UNICODE") {
            arity(e, 1, 1);
            return "unicode(" + args(e) + ")";
        }
        if (f == "CHAR" || f == "NCHAR") {
            arity(e, 1, 1);
            return "char(" + args(e) + ")";
        }
        if (f == "STR") {
            arity(e, 1, 3);
            return "tsql_str(" + args(e) + ")";
        }
        throw Error("'" + f + "' is not a recognized built-in function name.");
    }

    // ---- data changes -----------------------------------------------------------

    std::string insert(const Statement& st) {
        const TableInfo& info = schema_.table(lower(st.table));
        std::vector<std::string> columns = st.columns;
        std::vector<const ColumnInfo*> targets;
        if (columns.empty() && info.exists) {
            for (const auto& c : info.columns)
                if (!c.identity) columns.push_back(c.name);
        }
        for (const auto& c : columns) {
            const ColumnInfo* ci = info.exists ? info.column(c) : nullptr;
            if (info.exists && !ci) throw Error("Invalid column name '" + c + "'.");
            targets.push_back(ci);
        }
        std::string head = "INSERT INTO " + Translator::quoteName(st.table);
        if (st.defaultValues) return head + " DEFAULT VALUES";
        auto columnList = [&](const std::vector<std::size_t>& which) {
            std::string text = " (";
            for (std::size_t k = 0; k < which.size(); ++k)
                text += (k ? ", " : "") + Translator::quoteName(columns[which[k]]);
            return text + ")";
        };
        if (!st.rows.empty()) {
            // DEFAULT in a single row leaves the column out
            std::vector<std::size_t> which;
            for (std::size_t i = 0; i < columns.size(); ++i) {
                bool isDefault = st.rows.size() == 1 && i < st.rows[0].size() && !st.rows[0][i];
                if (!isDefault) which.push_back(i);
            }
            if (columns.empty()) {
                // unknown table: let SQLite name the error
                std::string text = head + " VALUES ";
                for (std::size_t r = 0; r < st.rows.size(); ++r) {
                    text += (r ? ", (" : "(");
                    for (std::size_t i = 0; i < st.rows[r].size(); ++i) {
                        if (!st.rows[r][i]) syntax("DEFAULT");
                        text += (i ? ", " : "") + expr(*st.rows[r][i]);
                    }
                    text += ")";
                }
                return text;
            }
            std::string text = head + columnList(which) + " VALUES ";
            for (std::size_t r = 0; r < st.rows.size(); ++r) {
                const auto& row = st.rows[r];
                if (row.size() != columns.size()) {
                    if (row.size() > columns.size())
                        throw Error(
                            "There are more columns in the INSERT statement than values "
                            "specified in the VALUES clause. The number of values in the "
                            "VALUES clause must match the number of columns specified in "
                            "the INSERT statement.");
                    throw Error(
                        "There are fewer columns in the INSERT statement than values "
                        "specified in the VALUES clause. The number of values in the "
                        "VALUES clause must match the number of columns specified in the "
                        "INSERT statement.");
                }
                text += (r ? ", (" : "(");
                bool first = true;
                for (std::size_t i : which) {
                    if (!row[i]) syntax("DEFAULT");
                    text += (first ? "" : ", ") + coerce(row[i].get(), expr(*row[i]), targets[i]);
                    first = false;
                }
                text += ")";
            }
            return text;
        }
        // INSERT ... SELECT
        std::vector<std::size_t> all;
        for (std::size_t i = 0; i < columns.size(); ++i) all.push_back(i);
        std::string cols = columns.empty() ? "" : columnList(all);
        bool convert = std::any_of(targets.begin(), targets.end(), [](const ColumnInfo* c) {
            return c && (c->type == Type::DateTime || c->type == Type::Integer);
        });
        std::string body = select(*st.select, nullptr);
        if (!convert || columns.empty()) return head + cols + " " + body;
        std::string names, values;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            std::string n = Translator::quoteName("c" + std::to_string(i));
            names += (i ? ", " : "") + n;
            const ColumnInfo* c = targets[i];
            if (c && (c->type == Type::DateTime || c->type == Type::Integer))
                values += (i ? ", " : "") + castTo(n, typeNameOf(c->type, c->size), -1, true);
            else
                values += (i ? ", " : "") + n;
        }
        return "WITH \"qor_src\"(" + names + ") AS (" + body + ") " + head + cols + " SELECT " +
               values + " FROM \"qor_src\"";
    }

    // The FROM item that names the target of UPDATE/DELETE ... FROM: by alias or by name.
    static const TableRef* findTarget(const TableRef& ref, const std::string& target) {
        if (ref.kind == TableRef::Kind::Join) {
            if (const TableRef* t = findTarget(*ref.left, target)) return t;
            return findTarget(*ref.right, target);
        }
        if (ref.kind != TableRef::Kind::Named) return nullptr;
        if (!ref.alias.empty() && lower(ref.alias) == target) return &ref;
        if (lower(ref.name) == target) return &ref;
        return nullptr;
    }

    const TableRef* targetOf(const Statement& st) {
        for (const auto& ref : st.from)
            if (const TableRef* t = findTarget(*ref, lower(st.table))) return t;
        return nullptr;
    }

    std::string rowFilter(const Statement& st) {
        // TOP (n) and FROM joins: pick the target's rows by rowid
        std::string ref = Translator::quoteName(st.table);
        if (const TableRef* t = targetOf(st))
            ref = Translator::quoteName(t->alias.empty() ? t->name : t->alias);
        std::string text = " WHERE rowid IN (SELECT " + ref + ".rowid";
        if (st.from.empty()) {
            text += " FROM " + Translator::quoteName(st.table);
        } else {
            text += " FROM ";
            for (std::size_t i = 0; i < st.from.size(); ++i)
                text += (i ? ", " : "") + tableRef(*st.from[i]);
        }
        if (st.where) text += " WHERE " + expr(*st.where);
        if (st.top) text += " LIMIT " + expr(*st.top);
        return text + ")";
    }

    std::string update(const Statement& st) {
        // UPDATE alias SET ... FROM table alias: the target is the aliased table
        std::string target = st.table;
        if (const TableRef* t = targetOf(st);
            t && !t->alias.empty() && lower(t->alias) == lower(st.table))
            target = t->name;
        const TableInfo& info = schema_.table(lower(target));
        scopes_.emplace_back();
        ScopeEntry entry;
        entry.name = lower(target);
        entry.known = info.exists;
        entry.columns = info.columns;
        scopes_.back().push_back(entry);
        std::string text = "UPDATE " + Translator::quoteName(target) + " SET ";
        for (std::size_t i = 0; i < st.assignments.size(); ++i) {
            const auto& [column, value] = st.assignments[i];
            if (column[0] == '@') syntax(column);
            const ColumnInfo* ci = info.exists ? info.column(column) : nullptr;
            if (info.exists && !ci) throw Error("Invalid column name '" + column + "'.");
            std::string v;
            if (!value) {
                v = "NULL";
            } else {
                v = coerce(value.get(), expr(*value), ci);
            }
            text += (i ? ", " : "") + Translator::quoteName(column) + " = " + v;
        }
        if (!st.from.empty() || st.top) {
            text += rowFilter(st);
        } else if (st.where) {
            text += " WHERE " + expr(*st.where);
        }
        scopes_.pop_back();
        return text;
    }

    std::string remove(const Statement& st) {
        const TableInfo& info = schema_.table(lower(st.table));
        scopes_.emplace_back();
        ScopeEntry entry;
        entry.name = lower(st.table);
        entry.known = info.exists;
        entry.columns = info.columns;
        scopes_.back().push_back(entry);
        std::string text = "DELETE FROM " + Translator::quoteName(st.table);
        if (!st.from.empty() || st.top)
            text += rowFilter(st);
        else if (st.where)
            text += " WHERE " + expr(*st.where);
        scopes_.pop_back();
        return text;
    }

    void exec(const Statement& st, Op& op) {
        op.kind = Op::Kind::Exec;
        op.procedure = lower(st.procedure);
        op.procedureWritten = st.procedureWritten;
        op.procedureNumber = st.procedureNumber;
        if (!st.returnVariable.empty()) {
            requireVariable(st.returnVariable);
            op.returnVariable = st.returnVariable;
        }
        bool named = false;
        for (const auto& a : st.args) {
            Op::Arg arg;
            arg.name = a.name;
            arg.output = a.output;
            if (a.name.empty() && named)
                throw Error(
                    "Must pass parameter number 2 and subsequent parameters as '@name = "
                    "value'. After the form '@name = value' has been used, all "
                    "subsequent parameters must be passed in the form '@name = value'.");
            if (!a.name.empty()) named = true;
            if (a.value) {
                if (a.output) {
                    if (a.value->kind != ExprKind::Variable) syntax("OUTPUT");
                    requireVariable(a.value->text);
                    arg.outVariable = a.value->text;
                }
                arg.value = scalar(*a.value);
            }
            op.args.push_back(std::move(arg));
        }
    }

    // A CHECK expression over the new table's own columns, without parameters.
    std::string constraintExpr(const Expr& e, const Statement& st) {
        Sql scratch;
        Sql* saved = cur_;
        cur_ = &scratch;
        scopes_.emplace_back();
        ScopeEntry entry;
        entry.name = lower(st.table);
        entry.known = true;
        for (const auto& c : st.columnDefs)
            entry.columns.push_back(
                ColumnInfo{c.name, categoryOf(c.type), textSize(c.type), c.type.name, false});
        scopes_.back().push_back(std::move(entry));
        std::string text = expr(e);
        scopes_.pop_back();
        cur_ = saved;
        if (!scratch.bindings.empty()) syntax("CHECK");
        return text;
    }

    std::string createTable(const Statement& st) {
        std::string text = "CREATE TABLE " + Translator::quoteName(st.table) + " (";
        bool first = true;
        bool identityKey = false;  // the table-level key is the IDENTITY column, printed there
        for (const auto& c : st.columnDefs) {
            text += first ? "" : ", ";
            first = false;
            text += Translator::quoteName(c.name) + " ";
            Type cat = categoryOf(c.type);
            bool pk = c.primaryKey || (c.identity && st.primaryKey.empty());
            bool tableKeyIsThis =
                st.primaryKey.size() == 1 && lower(st.primaryKey[0]) == lower(c.name);
            if (c.identity && cat == Type::Integer && (st.primaryKey.empty() || tableKeyIsThis)) {
                text += "INTEGER PRIMARY KEY AUTOINCREMENT";
                identityKey = tableKeyIsThis;
            } else if (pk && cat == Type::Integer && st.primaryKey.empty()) {
                // SQLite's row id: key lookups by the fastest path, SCOPE_IDENTITY() gives it
                text += "INTEGER PRIMARY KEY";
            } else {
                text += c.type.name;
                if (c.type.length > 0) {
                    text += "(" + std::to_string(c.type.length);
                    if (c.type.scale > 0) text += "," + std::to_string(c.type.scale);
                    text += ")";
                } else if (cat == Type::Text && c.type.length == 0 && c.type.name != "TEXT" &&
                           c.type.name != "NTEXT" && c.type.name != "SYSNAME") {
                    text += "(1)";
                }
                if (pk) text += " PRIMARY KEY";
            }
            if (c.notNull) text += " NOT NULL";
            if (c.unique) text += " UNIQUE";
            if (c.defaultValue) {
                Sql scratch;
                Sql* saved = cur_;
                cur_ = &scratch;
                scopes_.emplace_back();
                std::string d = expr(*c.defaultValue);
                scopes_.pop_back();
                cur_ = saved;
                if (!scratch.bindings.empty()) syntax("DEFAULT");
                if (cat == Type::DateTime && typeOf(*c.defaultValue).type != Type::DateTime)
                    d = castTo(d, {"DATETIME", 0, 0}, -1, false);
                text += " DEFAULT (" + d + ")";
            }
            if (cat == Type::Text) text += " COLLATE tsql_ci";
            if (c.check) text += " CHECK (" + constraintExpr(*c.check, st) + ")";
            if (!c.references.empty()) {
                text += " REFERENCES " + Translator::quoteName(c.references);
                if (!c.referencesColumn.empty())
                    text += "(" + Translator::quoteName(c.referencesColumn) + ")";
            }
        }
        auto names = [](const std::vector<std::string>& list) {
            std::string out = "(";
            for (std::size_t i = 0; i < list.size(); ++i)
                out += (i ? ", " : "") + Translator::quoteName(list[i]);
            return out + ")";
        };
        if (!st.primaryKey.empty() && !identityKey) text += ", PRIMARY KEY " + names(st.primaryKey);
        for (const auto& c : st.constraints) {
            switch (c.kind) {
                case TableConstraint::Kind::Unique:
                    text += ", UNIQUE " + names(c.columns);
                    break;
                case TableConstraint::Kind::ForeignKey:
                    text += ", FOREIGN KEY " + names(c.columns) + " REFERENCES " +
                            Translator::quoteName(c.references);
                    if (!c.referencesColumns.empty()) text += names(c.referencesColumns);
                    break;
                case TableConstraint::Kind::Check:
                    text += ", CHECK (" + constraintExpr(*c.check, st) + ")";
                    break;
            }
        }
        return text + ")";
    }
};

}  // namespace

Program Translator::translate(std::string_view batch, SchemaSource& schema) {
    Batch tree = Parser::parse(batch);
    return translate(tree, schema);
}

Program Translator::translate(const Batch& batch, SchemaSource& schema) {
    return Printer(schema).run(batch);
}

}  // namespace server
