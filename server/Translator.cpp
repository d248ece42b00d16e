// The printer's entry points and its statements: batch and control flow, variables and
// SET options, INSERT, UPDATE, DELETE, EXEC and CREATE TABLE.

#include "Translator.h"

#include <algorithm>
#include <set>

#include "Parser.h"
#include "TranslatorInternal.h"
#include "values/TextFold.h"

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

namespace translator_internal {

Program Printer::run(const Batch& batch) {
    Program program;
    program.placeholders = batch.placeholders;
    for (const auto& st : batch.statements) program.ops.push_back(statement(*st));
    if (program.ops.size() == 1 && program.ops[0].kind == Op::Kind::Exec &&
        program.ops[0].args.empty() && batch.placeholders == 0)
        program.singleBareExec = true;
    return program;
}

Op Printer::statement(const Statement& st) {
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
            text += Translator::quoteName(st.indexName) + " ON " + Translator::quoteName(st.table) +
                    " (";
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

void Printer::requireVariable(const std::string& name) {
    if (name.rfind("@@", 0) == 0) return;
    if (!variables_.count(name)) throw Error("Must declare the scalar variable \"" + name + "\".");
}

// "SELECT expr" without FROM, in a scope of its own.
Sql Printer::scalar(const Expr& e) {
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
Sql Printer::compound(const std::string& var, const std::string& op, const Expr& e) {
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

void Printer::setOption(const Statement& st, Op& op) {
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

std::string Printer::insert(const Statement& st) {
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
const TableRef* Printer::findTarget(const TableRef& ref, const std::string& target) {
    if (ref.kind == TableRef::Kind::Join) {
        if (const TableRef* t = findTarget(*ref.left, target)) return t;
        return findTarget(*ref.right, target);
    }
    if (ref.kind != TableRef::Kind::Named) return nullptr;
    if (!ref.alias.empty() && lower(ref.alias) == target) return &ref;
    if (lower(ref.name) == target) return &ref;
    return nullptr;
}

const TableRef* Printer::targetOf(const Statement& st) {
    for (const auto& ref : st.from)
        if (const TableRef* t = findTarget(*ref, lower(st.table))) return t;
    return nullptr;
}

std::string Printer::rowFilter(const Statement& st) {
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

std::string Printer::update(const Statement& st) {
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

std::string Printer::remove(const Statement& st) {
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

void Printer::exec(const Statement& st, Op& op) {
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
std::string Printer::constraintExpr(const Expr& e, const Statement& st) {
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

std::string Printer::createTable(const Statement& st) {
    std::string text = "CREATE TABLE " + Translator::quoteName(st.table) + " (";
    bool first = true;
    bool identityKey = false;  // the table-level key is the IDENTITY column, printed there
    for (const auto& c : st.columnDefs) {
        text += first ? "" : ", ";
        first = false;
        text += Translator::quoteName(c.name) + " ";
        Type cat = categoryOf(c.type);
        bool pk = c.primaryKey || (c.identity && st.primaryKey.empty());
        bool tableKeyIsThis = st.primaryKey.size() == 1 && lower(st.primaryKey[0]) == lower(c.name);
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

}  // namespace translator_internal

Program Translator::translate(std::string_view batch, SchemaSource& schema) {
    Batch tree = Parser::parse(batch);
    return translate(tree, schema);
}

Program Translator::translate(const Batch& batch, SchemaSource& schema) {
    return translator_internal::Printer(schema).run(batch);
}

}  // namespace server
