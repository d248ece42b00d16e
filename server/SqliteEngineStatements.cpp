// Running one statement on SQLite: its errors in SQL Server's words, prepared statements
// and their bindings, table functions made temp tables, queries, changes and write transactions.

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "Parser.h"
#include "SqliteEngine.h"
#include "SqliteEngineInternal.h"
#include "values/DateTimeText.h"
#include "values/TextFold.h"

namespace server {

namespace {

// SQLite's message turned into SQL Server's words.
std::string mapMessage(const std::string& msg) {
    auto after = [&](std::string_view prefix) -> std::optional<std::string> {
        if (msg.rfind(prefix, 0) == 0) return msg.substr(prefix.size());
        return std::nullopt;
    };
    auto lastPart = [](std::string name) {
        auto dot = name.rfind('.');
        if (dot != std::string::npos) name = name.substr(dot + 1);
        return name;
    };
    if (auto n = after("no such table: ")) return "Invalid object name '" + lastPart(*n) + "'.";
    if (auto n = after("no such view: ")) return "Invalid object name '" + lastPart(*n) + "'.";
    if (auto n = after("no such column: ")) return "Invalid column name '" + lastPart(*n) + "'.";
    if (auto n = after("ambiguous column name: "))
        return "Ambiguous column name '" + lastPart(*n) + "'.";
    if (msg.find(" has no column named ") != std::string::npos)
        return "Invalid column name '" + msg.substr(msg.find(" has no column named ") + 21) + "'.";
    if (msg.find("values were supplied") != std::string::npos ||
        msg.find("values for ") != std::string::npos)
        return "Column name or number of supplied values does not match table definition.";
    if (auto n = after("UNIQUE constraint failed: ")) {
        std::string table = n->substr(0, n->find('.'));
        return "Violation of PRIMARY KEY or UNIQUE KEY constraint. Cannot insert duplicate key in "
               "object 'dbo." +
               table + "'.";
    }
    if (auto n = after("NOT NULL constraint failed: ")) {
        std::string table = n->substr(0, n->find('.'));
        std::string column = lastPart(*n);
        return "Cannot insert the value NULL into column '" + column + "', table 'QOR.dbo." +
               table + "'; column does not allow nulls.";
    }
    if (msg.rfind("FOREIGN KEY constraint failed", 0) == 0)
        return "The statement conflicted with a FOREIGN KEY constraint in database \"QOR\".";
    if (msg.rfind("CHECK constraint failed", 0) == 0)
        return "The statement conflicted with a CHECK constraint in database \"QOR\".";
    if (auto n = after("table ")) {
        auto pos = n->find(" already exists");
        if (pos != std::string::npos)
            return "There is already an object named '" + lastPart(n->substr(0, pos)) +
                   "' in the database.";
    }
    if (auto n = after("view ")) {
        auto pos = n->find(" already exists");
        if (pos != std::string::npos)
            return "There is already an object named '" + lastPart(n->substr(0, pos)) +
                   "' in the database.";
    }
    if (auto n = after("no such function: "))
        return "'" + *n + "' is not a recognized built-in function name.";
    if (msg == "database is locked" || msg.rfind("database is locked", 0) == 0)
        return "Lock request time out period exceeded.";
    if (msg == "interrupted") return "Query timeout expired";
    if (msg.find("does not match any column in the result set") != std::string::npos)
        return "ORDER BY items must appear in the select list if the statement contains a UNION, "
               "INTERSECT or EXCEPT operator.";
    if (msg.find("SELECTs to the left and right of") != std::string::npos)
        return "All queries combined using a UNION, INTERSECT or EXCEPT operator must have an "
               "equal "
               "number of expressions in their target lists.";
    if (msg.find("misuse of aggregate") != std::string::npos)
        return "An aggregate may not appear in the WHERE clause unless it is in a subquery "
               "contained "
               "in a HAVING clause or a select list, and the column being aggregated is an outer "
               "reference.";
    if (msg.find("sub-select returns") != std::string::npos)
        return "Only one expression can be specified in the select list when the subquery is not "
               "introduced with EXISTS.";
    return msg;
}

void bindValue(sqlite3_stmt* stmt, int index, const Value& v) {
    if (std::holds_alternative<std::monostate>(v))
        sqlite3_bind_null(stmt, index);
    else if (auto* i = std::get_if<std::int64_t>(&v))
        sqlite3_bind_int64(stmt, index, *i);
    else if (auto* d = std::get_if<double>(&v))
        sqlite3_bind_double(stmt, index, *d);
    else if (auto* s = std::get_if<std::string>(&v))
        sqlite3_bind_text(stmt, index, s->data(), static_cast<int>(s->size()), SQLITE_TRANSIENT);
    else {
        std::string iso = formatIso(std::get<DateTime>(v));
        sqlite3_bind_text(stmt, index, iso.data(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
    }
}

// Values of one result column brought to the column's type.
void normalizeColumn(Column& col, std::vector<std::vector<Value>>& rows, std::size_t c) {
    if (col.type == Type::Null) {
        bool text = false, real = false, integer = false;
        for (const auto& row : rows) {
            const Value& v = row[c];
            if (std::holds_alternative<std::string>(v))
                text = true;
            else if (std::holds_alternative<double>(v))
                real = true;
            else if (std::holds_alternative<std::int64_t>(v))
                integer = true;
        }
        col.type = text ? Type::Text : real ? Type::Float : integer ? Type::Integer : Type::Integer;
    }
    for (auto& row : rows) {
        Value& v = row[c];
        switch (col.type) {
            case Type::DateTime:
                if (auto* s = std::get_if<std::string>(&v)) {
                    if (auto t = parseIso(*s)) v = *t;
                } else if (auto* d = std::get_if<double>(&v)) {
                    v = fromDays(*d);
                } else if (auto* i = std::get_if<std::int64_t>(&v)) {
                    v = fromDays(static_cast<double>(*i));
                }
                break;
            case Type::Float:
                if (auto* i = std::get_if<std::int64_t>(&v)) v = static_cast<double>(*i);
                break;
            case Type::Integer:
                if (auto* d = std::get_if<double>(&v)) {
                    if (*d == static_cast<double>(static_cast<std::int64_t>(*d)))
                        v = static_cast<std::int64_t>(*d);
                }
                break;
            case Type::Text:
                if (auto* i = std::get_if<std::int64_t>(&v))
                    v = std::to_string(*i);
                else if (auto* d = std::get_if<double>(&v))
                    v = numberText(*d);
                break;
            case Type::Null:
                break;
        }
    }
}

std::string declFor(Type t, int size) {
    switch (t) {
        case Type::Integer:
            return "INTEGER";
        case Type::Float:
            return "FLOAT";
        case Type::Text:
            return size > 0 ? "VARCHAR(" + std::to_string(size) + ") COLLATE tsql_ci"
                            : "VARCHAR COLLATE tsql_ci";
        case Type::DateTime:
            return "DATETIME";
        case Type::Null:
            break;
    }
    return "";
}

}  // namespace

void declaredType(const char* decl, Type& type, int& size) {
    type = Type::Null;
    size = 0;
    if (!decl) return;
    std::string d = upperCase(decl);
    std::string base = d.substr(0, d.find_first_of(" ("));
    type = static_cast<Type>(Parser::typeCategory(base));
    if (type == Type::Null) {
        // SQLite's own affinity names
        if (d.find("INT") != std::string::npos)
            type = Type::Integer;
        else if (d.find("CHAR") != std::string::npos || d.find("TEXT") != std::string::npos ||
                 d.find("CLOB") != std::string::npos)
            type = Type::Text;
        else if (d.find("REAL") != std::string::npos || d.find("FLOA") != std::string::npos ||
                 d.find("DOUB") != std::string::npos)
            type = Type::Float;
    }
    if (type == Type::Text) {
        auto open = d.find('(');
        if (open != std::string::npos) size = std::atoi(d.c_str() + open + 1);
    }
}

// ---- execution ------------------------------------------------------------------

void SqliteEngine::checkDeadline() {
    if (hasDeadline_ && std::chrono::steady_clock::now() > deadline_) {
        timedOut_ = true;
        throw Error("Query timeout expired");
    }
}

void SqliteEngine::raise(int) {
    if (timedOut_) throw Error("Query timeout expired");
    throw Error(mapMessage(sqlite3_errmsg(db_)));
}

void SqliteEngine::exec(const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string msg = err ? err : sqlite3_errmsg(db_);
        sqlite3_free(err);
        if (timedOut_) throw Error("Query timeout expired");
        throw Error(mapMessage(msg));
    }
}

sqlite3_stmt* SqliteEngine::prepare(const std::string& sql, bool& cached) {
    auto it = statements_.find(sql);
    if (it != statements_.end() && !statementBusy_[sql]) {
        cached = true;
        statementBusy_[sql] = true;
        return it->second;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(stmt);
        raise(0);
    }
    if (it == statements_.end() && statements_.size() < 512) {
        statements_.emplace(sql, stmt);
        statementBusy_[sql] = true;
        cached = true;
    } else {
        cached = false;
    }
    return stmt;
}

void SqliteEngine::release(sqlite3_stmt* stmt, bool cached) {
    if (!cached) {
        sqlite3_finalize(stmt);
        return;
    }
    sqlite3_reset(stmt);
    sqlite3_clear_bindings(stmt);
    statementBusy_[sqlite3_sql(stmt)] = false;
}

void SqliteEngine::bindAll(sqlite3_stmt* stmt, const Sql& sql, Frame& frame,
                           const std::vector<Value>* row) {
    for (std::size_t i = 0; i < sql.bindings.size(); ++i) {
        const Binding& b = sql.bindings[i];
        int index = static_cast<int>(i + 1);
        switch (b.kind) {
            case Binding::Kind::Param:
                if (b.index >= static_cast<int>(frame.params.size()))
                    throw Error("No value given for one or more required parameters.");
                bindValue(stmt, index, frame.params[static_cast<std::size_t>(b.index)]);
                break;
            case Binding::Kind::Variable: {
                if (b.variable == "@@rowcount") {
                    sqlite3_bind_int64(stmt, index, lastRowCount_);
                    break;
                }
                if (b.variable == "@@trancount") {
                    sqlite3_bind_int(stmt, index, explicitTransactions_);
                    break;
                }
                auto it = frame.env.find(b.variable);
                if (it == frame.env.end())
                    throw Error("Must declare the scalar variable \"" + b.variable + "\".");
                bindValue(stmt, index, it->second.value);
                break;
            }
            case Binding::Kind::RowValue:
                bindValue(stmt, index, row ? (*row)[static_cast<std::size_t>(b.index)] : Value{});
                break;
        }
    }
}

Value SqliteEngine::scalar(const Sql& sql, Frame& frame, const std::vector<Value>* row) {
    bool cached = false;
    sqlite3_stmt* stmt = prepare(sql.text, cached);
    Value v;
    try {
        bindAll(stmt, sql, frame, row);
        int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            v = columnValue(stmt, 0);
        else if (rc != SQLITE_DONE)
            raise(rc);
    } catch (...) {
        release(stmt, cached);
        throw;
    }
    release(stmt, cached);
    return v;
}

void SqliteEngine::materialize(const Op& op, Frame& frame, std::vector<std::string>& created) {
    for (const auto& m : op.materialize) {
        const TableFunctionDef* def = findTable(m.object, m.isFunction);
        if (!def) throw Error("Invalid object name '" + m.object + "'.");
        std::vector<Value> values;
        for (const auto& a : m.args) values.push_back(scalar(a, frame));
        if (values.size() > def->parameters.size())
            throw Error("Procedure or function " + def->name +
                        " has too many arguments specified.");
        std::vector<Value> converted;
        for (std::size_t i = 0; i < def->parameters.size(); ++i) {
            const Parameter& p = def->parameters[i];
            if (i < values.size()) {
                converted.push_back(convertTo(values[i], typeNameFor(p.type, p.size)));
            } else if (p.defaultValue) {
                converted.push_back(*p.defaultValue);
            } else {
                throw Error(
                    "An insufficient number of arguments were supplied for the procedure "
                    "or function " +
                    def->name + ".");
            }
        }
        ProcedureContextImpl ctx(*this, def->name, def->parameters, std::move(converted));
        ResultSet rows = def->body(ctx);
        std::string name = "qor_tf_" + std::to_string(++tempCounter_);
        std::string ddl = "CREATE TEMP TABLE " + Translator::quoteName(name) + " (";
        std::string insert = "INSERT INTO temp." + Translator::quoteName(name) + " VALUES (";
        for (std::size_t c = 0; c < rows.columns.size(); ++c) {
            ddl += (c ? ", " : "") + Translator::quoteName(rows.columns[c].name) + " " +
                   declFor(rows.columns[c].type, rows.columns[c].size);
            insert += (c ? ", ?" : "?") + std::to_string(c + 1);
        }
        if (rows.columns.empty()) ddl += "\"_\"";
        exec(ddl + ")");
        created.push_back(name);
        if (!rows.columns.empty()) {
            sqlite3_stmt* stmt = nullptr;
            if (sqlite3_prepare_v2(db_, (insert + ")").c_str(), -1, &stmt, nullptr) != SQLITE_OK)
                raise(0);
            for (const auto& row : rows.rows) {
                for (std::size_t c = 0; c < rows.columns.size() && c < row.size(); ++c)
                    bindValue(stmt, static_cast<int>(c + 1), row[c]);
                if (sqlite3_step(stmt) != SQLITE_DONE) {
                    sqlite3_finalize(stmt);
                    raise(0);
                }
                sqlite3_reset(stmt);
            }
            sqlite3_finalize(stmt);
        }
    }
    // the printed SQL names temp tables by the translation's own numbers: alias them
    for (std::size_t i = 0; i < op.materialize.size(); ++i) {
        const std::string& printed = op.materialize[i].tempName;
        const std::string& actual = created[created.size() - op.materialize.size() + i];
        if (printed != actual) {
            exec("DROP TABLE IF EXISTS temp." + Translator::quoteName(printed));
            exec("ALTER TABLE temp." + Translator::quoteName(actual) + " RENAME TO " +
                 Translator::quoteName(printed));
            created[created.size() - op.materialize.size() + i] = printed;
        }
    }
}

void SqliteEngine::dropTemps(const std::vector<std::string>& created) {
    for (const auto& name : created)
        sqlite3_exec(db_, ("DROP TABLE IF EXISTS temp." + Translator::quoteName(name)).c_str(),
                     nullptr, nullptr, nullptr);
}

ResultSet SqliteEngine::query(const Op& op, Frame& frame) {
    std::vector<std::string> temps;
    ResultSet rs;
    try {
        materialize(op, frame, temps);
        bool cached = false;
        sqlite3_stmt* stmt = prepare(op.sql.text, cached);
        try {
            bindAll(stmt, op.sql, frame);
            const int n = sqlite3_column_count(stmt);
            rs.columns.resize(static_cast<std::size_t>(n));
            // which hint belongs to which column: exact without *, from both ends with one *
            std::vector<const ColumnHint*> hintOf(static_cast<std::size_t>(n), nullptr);
            int stars = static_cast<int>(std::count_if(op.hints.begin(), op.hints.end(),
                                                       [](const ColumnHint& h) { return h.star; }));
            if (stars == 0 && static_cast<int>(op.hints.size()) == n) {
                for (int i = 0; i < n; ++i)
                    hintOf[static_cast<std::size_t>(i)] = &op.hints[static_cast<std::size_t>(i)];
            } else if (stars == 1) {
                std::size_t star = 0;
                while (!op.hints[star].star) ++star;
                for (std::size_t i = 0; i < star && i < static_cast<std::size_t>(n); ++i)
                    hintOf[i] = &op.hints[i];
                std::size_t after = op.hints.size() - star - 1;
                for (std::size_t k = 0; k < after && k < static_cast<std::size_t>(n); ++k)
                    hintOf[static_cast<std::size_t>(n) - 1 - k] =
                        &op.hints[op.hints.size() - 1 - k];
            }
            for (int i = 0; i < n; ++i) {
                Column& col = rs.columns[static_cast<std::size_t>(i)];
                const ColumnHint* hint = hintOf[static_cast<std::size_t>(i)];
                col.name = sqlite3_column_name(stmt, i);
                if (hint && hint->hasName) col.name = hint->name;
                declaredType(sqlite3_column_decltype(stmt, i), col.type, col.size);
                if (hint && hint->type != Type::Null) {
                    col.type = hint->type;
                    if (hint->size > 0) col.size = hint->size;
                }
                if (col.type != Type::Text) col.size = 0;
            }
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                std::vector<Value> row;
                row.reserve(static_cast<std::size_t>(n));
                for (int i = 0; i < n; ++i) row.push_back(columnValue(stmt, i));
                rs.rows.push_back(std::move(row));
            }
            if (rc != SQLITE_DONE) raise(rc);
        } catch (...) {
            release(stmt, cached);
            throw;
        }
        release(stmt, cached);
    } catch (...) {
        dropTemps(temps);
        throw;
    }
    dropTemps(temps);
    for (std::size_t c = 0; c < rs.columns.size(); ++c) normalizeColumn(rs.columns[c], rs.rows, c);
    return rs;
}

void SqliteEngine::beginWrite() {
    if (explicitTransactions_ > 0 || writeDepth_ > 0) {
        exec("SAVEPOINT qor_" + std::to_string(++savepointCounter_));
    } else {
        exec("BEGIN IMMEDIATE");
    }
    ++writeDepth_;
}

void SqliteEngine::endWrite(bool ok) {
    --writeDepth_;
    if (explicitTransactions_ > 0 || writeDepth_ > 0) {
        std::string sp = "qor_" + std::to_string(savepointCounter_--);
        if (!ok) sqlite3_exec(db_, ("ROLLBACK TO " + sp).c_str(), nullptr, nullptr, nullptr);
        sqlite3_exec(db_, ("RELEASE " + sp).c_str(), nullptr, nullptr, nullptr);
        return;
    }
    if (ok) {
        if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
            std::string msg = mapMessage(sqlite3_errmsg(db_));
            sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
            throw Error(msg);
        }
    } else {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

std::int64_t SqliteEngine::change(const Op& op, Frame& frame) {
    beginWrite();
    std::vector<std::string> temps;
    std::int64_t rows = 0;
    try {
        materialize(op, frame, temps);
        bool cached = false;
        sqlite3_stmt* stmt = prepare(op.sql.text, cached);
        try {
            bindAll(stmt, op.sql, frame);
            int rc;
            while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
            }
            if (rc != SQLITE_DONE) raise(rc);
            rows = sqlite3_changes64(db_);
        } catch (...) {
            release(stmt, cached);
            throw;
        }
        release(stmt, cached);
        dropTemps(temps);
    } catch (...) {
        dropTemps(temps);
        endWrite(false);
        throw;
    }
    endWrite(true);
    return rows;
}

}  // namespace server
