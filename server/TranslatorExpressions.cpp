// The printer's expressions: the types it infers for them, conversions to a column's
// type, operators, CAST, CASE, predicates and the built-in functions.

#include <algorithm>

#include "TranslatorInternal.h"

namespace server::translator_internal {

SType Printer::variableType(const std::string& name) {
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

const ColumnInfo* Printer::resolve(const Expr& e) {
    const auto& names = e.names;
    std::string column = names.back();
    std::string qualifier = names.size() >= 2 ? lower(names[names.size() - 2]) : "";
    for (auto scope = scopes_.rbegin(); scope != scopes_.rend(); ++scope) {
        for (const auto& entry : *scope) {
            if (!qualifier.empty()) {
                bool match =
                    entry.alias == qualifier || (entry.alias.empty() && entry.name == qualifier);
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

SType Printer::typeOf(const Expr& e) {
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
            if (op == "AND" || op == "OR" || op == "=" || op == "<>" || op == "<" || op == ">" ||
                op == "<=" || op == ">=")
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
            if (op != "+" && op != "-" && (a.type == Type::Integer || b.type == Type::Integer) &&
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
                f == "CONCAT" || f == "REPLICATE" || f == "SPACE" || f == "STR" || f == "NEWID" ||
                f == "DB_NAME" || f == "SUSER_SNAME" || f == "USER_NAME" || f == "CHAR" ||
                f == "NCHAR" || f == "REVERSE" || f == "STUFF")
                return {Type::Text,
                        f == "UPPER" || f == "LOWER" || f == "LTRIM" || f == "RTRIM"
                            ? (e.args.empty() ? 0 : typeOf(*e.args[0]).size)
                            : 0,
                        false};
            if (!e.args.empty()) {
                SType t = typeOf(*e.args[0]);
                if ((f == "ISNULL" || f == "COALESCE") && t.type == Type::Null && e.args.size() > 1)
                    t = typeOf(*e.args[1]);
                t.column = false;
                if (f == "ABS" || f == "ROUND" || f == "FLOOR" || f == "CEILING" || f == "SUM" ||
                    f == "MIN" || f == "MAX" || f == "ISNULL" || f == "COALESCE" || f == "NULLIF")
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

bool Printer::numeric(Type t) {
    return t == Type::Integer || t == Type::Float;
}

std::string Printer::arithmetic(const std::string& op, const std::string& a, SType ta,
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

std::string Printer::castTo(const std::string& value, const TypeName& type, int style, bool strict,
                            bool sourceIsDate) {
    return "tsql_cast(" + value + ", '" + type.name + "', " + std::to_string(type.length) + ", " +
           std::to_string(style) + ", " + (strict ? "1" : "0") + ", " + (sourceIsDate ? "1" : "0") +
           ")";
}

TypeName Printer::typeNameOf(Type t, int size) {
    // a column of no known type takes text of any length
    return t == Type::Null ? TypeName{"VARCHAR", -1, 0} : typeNameFor(t, size);
}

// A value about to be stored in a column: converted to the column's type as SQL
// Server converts it, unless it has that type already.
std::string Printer::coerce(const Expr* e, const std::string& printed, const ColumnInfo* col) {
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
                   (col->size <= 0 ||
                    (e->kind == ExprKind::String && static_cast<int>(e->text.size()) <= col->size));
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

std::string Printer::comparison(const Expr& e) {
    const Expr& l = *e.args[0];
    const Expr& r = *e.args[1];
    std::string a = expr(l), b = expr(r);
    SType ta = typeOf(l), tb = typeOf(r);
    // A stored date-time compares as the moment it holds, not as the text it was stored
    // with: a row written by other hands ('2026-03-01', say, from SQLite's date()) still
    // equals the same day bound as a value or written by this server.
    if (ta.type == Type::DateTime && ta.column) a = castTo(a, {"DATETIME", 0, 0}, -1, false);
    if (tb.type == Type::DateTime && tb.column) b = castTo(b, {"DATETIME", 0, 0}, -1, false);
    if (ta.type == Type::DateTime && tb.type != Type::DateTime && r.kind != ExprKind::Null)
        b = castTo(b, {"DATETIME", 0, 0}, -1, false);
    else if (tb.type == Type::DateTime && ta.type != Type::DateTime && l.kind != ExprKind::Null)
        a = castTo(a, {"DATETIME", 0, 0}, -1, false);
    else if (!ta.column && !tb.column && !(numeric(ta.type) || numeric(tb.type)))
        a = "(" + a + ") COLLATE tsql_ci";
    return "(" + a + " " + e.text + " " + b + ")";
}

std::string Printer::expr(const Expr& e) {
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
            return "(" + v + (e.negated ? " NOT BETWEEN " : " BETWEEN ") + lo + " AND " + hi + ")";
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
            std::string text =
                "(" + expr(*e.args[0]) + (e.negated ? " NOT LIKE " : " LIKE ") + expr(*e.args[1]);
            if (e.args.size() > 2) text += " ESCAPE " + expr(*e.args[2]);
            return text + ")";
        }
        case ExprKind::DatePart: {
            const std::string& fn = e.names[0];
            std::string part = "'" + e.text + "'";
            if (fn == "DATEPART") return "tsql_datepart(" + part + ", " + expr(*e.args[0]) + ")";
            if (fn == "DATENAME")
                return "CAST(tsql_datepart(" + part + ", " + expr(*e.args[0]) + ") AS TEXT)";
            if (fn == "DATEADD")
                return "tsql_dateadd(" + part + ", " + expr(*e.args[0]) + ", " + expr(*e.args[1]) +
                       ")";
            return "tsql_datediff(" + part + ", " + expr(*e.args[0]) + ", " + expr(*e.args[1]) +
                   ")";
        }
    }
    return "NULL";
}

std::string Printer::variable(const std::string& name) {
    if (name == "@@identity") return "last_insert_rowid()";
    if (name == "@@error") return "0";
    if (name == "@@spid") return "1";
    if (name == "@@version") return "'QOR 28 embedded server (SQLite " + std::string("3") + ")'";
    if (name == "@@servername") return "'QOR'";
    if (name != "@@rowcount" && name != "@@trancount") requireVariable(name);
    return bind(Binding{Binding::Kind::Variable, 0, name});
}

std::string Printer::column(const Expr& e) {
    if (rowColumns_) {
        auto it = rowColumns_->find(columnKey(e));
        if (it != rowColumns_->end()) return bind(Binding{Binding::Kind::RowValue, it->second, {}});
    }
    const auto& names = e.names;
    if (names.size() == 1) {
        std::string n = lower(names[0]);
        if (n == "current_timestamp") return "tsql_getdate()";
        if (n == "system_user" || n == "current_user" || n == "session_user") return "tsql_login()";
    }
    if (names.size() >= 2 && !names[names.size() - 2].empty())
        return Translator::quoteName(names[names.size() - 2]) + "." +
               Translator::quoteName(names.back());
    return Translator::quoteName(names.back());
}

std::string Printer::args(const Expr& e, std::size_t from) {
    std::string text;
    for (std::size_t i = from; i < e.args.size(); ++i)
        text += (i > from ? ", " : "") + expr(*e.args[i]);
    return text;
}

void Printer::arity(const Expr& e, std::size_t min, std::size_t max) {
    if (e.args.size() < min || e.args.size() > max)
        throw Error("The " + lower(e.text) + " function requires " + std::to_string(min) +
                    " argument(s).");
}

std::string Printer::function(const Expr& e) {
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
            return "CAST(avg(" + std::string(e.distinct ? "DISTINCT " : "") + a + ") AS INTEGER)";
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
    if (f == "FLOOR" || f == "CEILING" || f == "SQRT" || f == "EXP" || f == "LOG" || f == "LOG10" ||
        f == "SIGN") {
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

}  // namespace server::translator_internal

namespace server {

ast::TypeName typeNameFor(Type t, int size) {
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
    return {"", 0, 0};
}

}  // namespace server
