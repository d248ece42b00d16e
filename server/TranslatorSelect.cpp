// The printer's SELECT: compound selects, ORDER BY and TOP, FROM clauses and the scopes
// they open, derived tables' column types, and SELECT that assigns to variables.

#include <map>
#include <set>

#include "TranslatorInternal.h"

namespace server::translator_internal {

void Printer::selectStatement(const Statement& st, Op& op) {
    const Select& sel = *st.select;
    bool assigns = false, retrieves = false;
    for (const auto& core : sel.cores)
        for (const auto& item : core.items) (item.assignTo.empty() ? retrieves : assigns) = true;
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

void Printer::collectColumns(const Expr& e, std::vector<const Expr*>& out) {
    if (e.kind == ExprKind::Column) {
        out.push_back(&e);
        return;
    }
    if (e.kind == ExprKind::Subquery || e.kind == ExprKind::Exists) return;
    for (const auto& a : e.args)
        if (a) collectColumns(*a, out);
}

bool Printer::mentions(const Expr& e, const std::set<std::string>& vars, bool& aggregate) {
    bool found = false;
    if (e.kind == ExprKind::Variable && vars.count(e.text)) found = true;
    if (e.kind == ExprKind::Function && isAggregate(e.text)) aggregate = true;
    for (const auto& a : e.args)
        if (a && mentions(*a, vars, aggregate)) found = true;
    return found;
}

std::string Printer::columnKey(const Expr& e) {
    std::string key;
    for (const auto& n : e.names) key += lower(n) + ".";
    return key;
}

void Printer::assignSelect(const Select& sel, Op& op) {
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
std::string Printer::select(const Select& sel, std::vector<ColumnHint>* hints) {
    if (sel.cores.size() == 1) {
        const SelectCore& core = sel.cores[0];
        if (core.parenthesized && sel.orderBy.empty()) return select(*core.parenthesized, hints);
        std::string text = coreText(core, hints, sel.orderBy.empty() ? nullptr : &sel);
        return text;
    }
    std::string text;
    for (std::size_t i = 0; i < sel.cores.size(); ++i) {
        const SelectCore& core = sel.cores[i];
        std::string part;
        if (core.parenthesized) {
            part = "SELECT * FROM (" + select(*core.parenthesized, i == 0 ? hints : nullptr) + ")";
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

std::string Printer::orderBy(const Select& sel, bool compound) {
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

std::string Printer::fromClause(const SelectCore& core) {
    if (core.from.empty()) return {};
    std::string text = " FROM ";
    for (std::size_t i = 0; i < core.from.size(); ++i)
        text += (i ? ", " : "") + tableRef(*core.from[i]);
    return text;
}

std::string Printer::whereGroupHaving(const SelectCore& core) {
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
std::string Printer::coreText(const SelectCore& core, std::vector<ColumnHint>* hints,
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
std::vector<ColumnInfo> Printer::selectColumns(const Select& sel) {
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

std::string Printer::tableRef(const TableRef& ref) {
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
                text =
                    "(" + select(*ref.select, nullptr) + ") AS " + Translator::quoteName(ref.alias);
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

}  // namespace server::translator_internal
