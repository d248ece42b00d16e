#include "SqliteEngine.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <random>

#include "DateTimeText.h"
#include "Parser.h"
#include "Sha256.h"
#include "TextFold.h"

namespace server {

namespace {

constexpr const char* loginTable = "qor_server_login";

std::string passwordDigest(const std::string& salt, const std::string& password) {
    // iterated so that a copied file does not give the passwords away cheaply
    std::string d = sha256Hex(salt + ":" + password);
    for (int i = 0; i < 2000; ++i) d = sha256Hex(d + salt);
    return d;
}

std::string randomSalt() {
    std::random_device rd;
    std::string s;
    static const char* hex = "0123456789abcdef";
    for (int i = 0; i < 32; ++i) s += hex[rd() % 16];
    return s;
}

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

Value columnValue(sqlite3_stmt* stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
        case SQLITE_INTEGER:
            return static_cast<std::int64_t>(sqlite3_column_int64(stmt, i));
        case SQLITE_FLOAT:
            return sqlite3_column_double(stmt, i);
        case SQLITE_NULL:
            return std::monostate{};
        default: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
            return std::string(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(stmt, i)));
        }
    }
}

// Type and text length of a declared SQLite column type such as "VARCHAR(50)".
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

Type typeOfValue(const Value& v) {
    if (std::holds_alternative<std::int64_t>(v)) return Type::Integer;
    if (std::holds_alternative<double>(v)) return Type::Float;
    if (std::holds_alternative<std::string>(v)) return Type::Text;
    if (std::holds_alternative<DateTime>(v)) return Type::DateTime;
    return Type::Null;
}

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

struct ReturnSignal {};

}  // namespace

// ---- procedure context ----------------------------------------------------------

class ProcedureContextImpl final : public ProcedureContext {
  public:
    ProcedureContextImpl(SqliteEngine& engine, std::string name, std::vector<Parameter> params,
                         std::vector<Value> values)
        : engine_(engine),
          name_(std::move(name)),
          params_(std::move(params)),
          values_(std::move(values)) {}

    const Value& arg(std::string_view name) const override { return values_[index(name)]; }
    void setOutput(std::string_view name, Value value) override {
        values_[index(name)] = std::move(value);
    }
    BatchResult run(std::string_view batch, std::span<const Value> params) override {
        BatchResult r = engine_.runNested(batch, params);
        if (r.rowsAffected >= 0) result.rowsAffected = r.rowsAffected;
        return r;
    }
    void addResultSet(ResultSet rows) override { result.resultSets.push_back(std::move(rows)); }
    void setReturnValue(std::int64_t value) override { result.returnValue = value; }
    void setRowsAffected(std::int64_t rows) override { result.rowsAffected = rows; }
    const std::string& login() const override { return engine_.login(); }
    sqlite3* db() const override { return engine_.db_; }

    std::size_t index(std::string_view name) const {
        std::string n(name);
        if (n.empty() || n[0] != '@') n = "@" + n;
        for (std::size_t i = 0; i < params_.size(); ++i)
            if (compareFolded(params_[i].name, n) == 0) return i;
        throw Error("'" + n + "' is not a parameter for procedure " + name_ + ".");
    }

    BatchResult result;
    std::vector<Value>& values() { return values_; }

  private:
    SqliteEngine& engine_;
    std::string name_;
    std::vector<Parameter> params_;
    std::vector<Value> values_;
};

// ---- opening --------------------------------------------------------------------

sqlite3* SqliteEngine::openFile(const std::string& path, bool create) {
    sqlite3* db = nullptr;
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | SQLITE_OPEN_URI;
    if (create) flags |= SQLITE_OPEN_CREATE;
    if (sqlite3_open_v2(path.c_str(), &db, flags, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        throw Error("Cannot open database \"" + path +
                    "\" requested by the login. The login failed.");
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 10000);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    char* err = nullptr;
    // WAL lets readers and one writer of several programs share the file; NORMAL sync keeps
    // every commit across a killed process (only a power loss may lose the last ones).
    int rc = sqlite3_exec(db,
                          "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL; "
                          "PRAGMA foreign_keys=ON; PRAGMA temp_store=MEMORY;",
                          nullptr, nullptr, &err);
    if (rc != SQLITE_OK) {
        std::string msg = err ? err : "unknown error";
        sqlite3_free(err);
        sqlite3_close(db);
        throw Error("Cannot open database \"" + path +
                    "\" requested by the login. The login failed. (" + msg + ")");
    }
    return db;
}

std::unique_ptr<Engine> Engine::open(const std::string& path, const std::string& login,
                                     const std::string& password) {
    std::string file = path.rfind("file:", 0) == 0 ? path.substr(5) : path;
    if (!std::filesystem::exists(file))
        throw Error("Cannot open database \"" + path +
                    "\" requested by the login. The login failed.");
    sqlite3* db = SqliteEngine::openFile(file, false);
    bool ok = false;
    sqlite3_stmt* stmt = nullptr;
    std::string sql = std::string("SELECT login, salt, digest FROM ") + loginTable;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            auto col = [&](int i) {
                const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                return std::string(p ? p : "");
            };
            if (compareFolded(col(0), login) == 0 && col(0).size() == login.size() &&
                passwordDigest(col(1), password) == col(2))
                ok = true;
        }
    }
    sqlite3_finalize(stmt);
    if (!ok) {
        sqlite3_close(db);
        throw Error("Login failed for user '" + login + "'.");
    }
    return std::make_unique<SqliteEngine>(db, login);
}

void Engine::create(const std::string& path, const std::string& login,
                    const std::string& password) {
    std::string file = path.rfind("file:", 0) == 0 ? path.substr(5) : path;
    if (login.empty()) throw Error("Login failed for user ''.");
    if (std::filesystem::exists(file))
        throw Error("Database '" + path + "' already exists. Choose a different database name.");
    sqlite3* db = SqliteEngine::openFile(file, true);
    std::string salt = randomSalt();
    char* err = nullptr;
    int rc = sqlite3_exec(db,
                          ("CREATE TABLE " + std::string(loginTable) +
                           " (login TEXT PRIMARY KEY, salt TEXT NOT NULL, digest TEXT NOT NULL)")
                              .c_str(),
                          nullptr, nullptr, &err);
    sqlite3_stmt* stmt = nullptr;
    if (rc == SQLITE_OK)
        rc = sqlite3_prepare_v2(
            db, ("INSERT INTO " + std::string(loginTable) + " VALUES (?1, ?2, ?3)").c_str(), -1,
            &stmt, nullptr);
    if (rc == SQLITE_OK) {
        std::string digest = passwordDigest(salt, password);
        sqlite3_bind_text(stmt, 1, login.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, salt.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, digest.c_str(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(stmt) == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
    }
    sqlite3_finalize(stmt);
    std::string msg = err ? err : sqlite3_errmsg(db);
    sqlite3_free(err);
    sqlite3_close(db);
    if (rc != SQLITE_OK) throw Error("CREATE DATABASE failed. " + msg);
}

void SqliteEngine::addLogin(sqlite3* db, const std::string& login, const std::string& password) {
    if (login.empty()) throw Error("Login failed for user ''.");
    std::string salt = randomSalt();
    std::string digest = passwordDigest(salt, password);
    sqlite3_stmt* stmt = nullptr;
    std::string sql = std::string("INSERT OR REPLACE INTO ") + loginTable + " VALUES (?1, ?2, ?3)";
    int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    if (rc == SQLITE_OK) {
        sqlite3_bind_text(stmt, 1, login.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 2, salt.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(stmt, 3, digest.c_str(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(stmt) == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
    }
    std::string msg = sqlite3_errmsg(db);
    sqlite3_finalize(stmt);
    if (rc != SQLITE_OK) throw Error("CREATE LOGIN failed. " + msg);
}

SqliteEngine::SqliteEngine(sqlite3* db, std::string login) : db_(db) {
    session_.login = std::move(login);
    registerFunctions(db_, &session_);
    sqlite3_progress_handler(
        db_, 1000,
        [](void* self) -> int {
            auto* e = static_cast<SqliteEngine*>(self);
            if (e->hasDeadline_ && std::chrono::steady_clock::now() > e->deadline_) {
                e->timedOut_ = true;
                return 1;
            }
            return 0;
        },
        this);
}

SqliteEngine::~SqliteEngine() {
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    if (explicitTransactions_ > 0 || writeDepth_ > 0)
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(db_);
}

// ---- schema ---------------------------------------------------------------------

const TableInfo& SqliteEngine::table(std::string_view name) {
    std::string key = foldCase(name);
    auto it = schema_.find(key);
    if (it != schema_.end()) return it->second;
    TableInfo info;
    sqlite3_stmt* stmt = nullptr;
    bool autoincrement = false;
    if (sqlite3_prepare_v2(db_,
                           "SELECT type, sql FROM sqlite_schema WHERE lower(name) = ?1 AND type IN "
                           "('table','view')",
                           -1, &stmt, nullptr) == SQLITE_OK) {
        std::string lowered;
        for (char c : name) lowered += (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
        sqlite3_bind_text(stmt, 1, lowered.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(stmt) == SQLITE_ROW) {
            info.exists = true;
            info.isView = std::strcmp(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)),
                                      "view") == 0;
            const auto* ddl = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
            autoincrement = ddl && upperCase(ddl).find("AUTOINCREMENT") != std::string::npos;
        }
    }
    sqlite3_finalize(stmt);
    if (info.exists) {
        std::string sql = "PRAGMA table_xinfo(" + Translator::quoteText(std::string(name)) + ")";
        if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK) {
            std::vector<int> pk;
            while (sqlite3_step(stmt) == SQLITE_ROW) {
                ColumnInfo c;
                c.name = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
                const char* decl = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 2));
                declaredType(decl, c.type, c.size);
                if (decl) {
                    std::string d = upperCase(decl);
                    c.declared = d.substr(0, d.find_first_of(" ("));
                }
                if (c.type == Type::Text && c.size == 0 && decl) {
                    std::string d = upperCase(decl);
                    if (d.rfind("TEXT", 0) != 0 && d.rfind("NTEXT", 0) != 0 &&
                        d.find('(') == std::string::npos && d.find("CHAR") != std::string::npos)
                        c.size = 0;
                }
                int pkIndex = sqlite3_column_int(stmt, 5);
                // an IDENTITY column: INTEGER PRIMARY KEY AUTOINCREMENT, filled by the server
                c.identity = autoincrement && pkIndex > 0 && decl && upperCase(decl) == "INTEGER";
                pk.push_back(pkIndex);
                info.columns.push_back(c);
            }
            // a view's expression columns: the types the server noted when it was created
            if (info.isView) {
                sqlite3_stmt* types = nullptr;
                if (sqlite3_prepare_v2(db_,
                                       "SELECT position, type, size FROM qor_view_columns WHERE "
                                       "lower(view) = lower(?1)",
                                       -1, &types, nullptr) == SQLITE_OK) {
                    std::string n(name);
                    sqlite3_bind_text(types, 1, n.c_str(), -1, SQLITE_TRANSIENT);
                    while (sqlite3_step(types) == SQLITE_ROW) {
                        auto at = static_cast<std::size_t>(sqlite3_column_int64(types, 0));
                        if (at < info.columns.size() && info.columns[at].type == Type::Null) {
                            info.columns[at].type = static_cast<Type>(sqlite3_column_int(types, 1));
                            info.columns[at].size = sqlite3_column_int(types, 2);
                        }
                    }
                }
                sqlite3_finalize(types);
            }
            // only a single INTEGER PRIMARY KEY is SQLite's row id and filled by the server
            int pkCount =
                static_cast<int>(std::count_if(pk.begin(), pk.end(), [](int p) { return p > 0; }));
            if (pkCount != 1 || info.isView)
                for (auto& c : info.columns) c.identity = false;
        }
        sqlite3_finalize(stmt);
    }
    return schema_.emplace(key, std::move(info)).first->second;
}

bool SqliteEngine::globalObjectsApply() const {
    const Registry& global = globalRegistry();
    if (global.version() != globalCheckedVersion_) {
        globalCheckedVersion_ = global.version();
        globalApply_ = true;
        if (!global.schemaTable().empty()) {
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(db_,
                               "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 "
                               "COLLATE NOCASE",
                               -1, &stmt, nullptr);
            sqlite3_bind_text(stmt, 1, global.schemaTable().c_str(), -1, SQLITE_TRANSIENT);
            globalApply_ = stmt && sqlite3_step(stmt) == SQLITE_ROW;
            sqlite3_finalize(stmt);
        }
    }
    return globalApply_;
}

const ProcedureDef* SqliteEngine::findProcedure(std::string_view name, int number) const {
    if (auto* p = registry_.procedure(name, number)) return p;
    return globalObjectsApply() ? globalRegistry().procedure(name, number) : nullptr;
}

const TableFunctionDef* SqliteEngine::findTable(std::string_view name, bool function) const {
    if (!globalObjectsApply())
        return function ? registry_.tableFunction(name) : registry_.view(name);
    if (function) {
        if (auto* f = registry_.tableFunction(name)) return f;
        return globalRegistry().tableFunction(name);
    }
    if (auto* v = registry_.view(name)) return v;
    return globalRegistry().view(name);
}

bool SqliteEngine::isView(std::string_view name) {
    return findTable(name, false) != nullptr;
}
bool SqliteEngine::isTableFunction(std::string_view name) {
    return findTable(name, true) != nullptr;
}

void SqliteEngine::saveViewColumns(const Op& op) {
    exec(
        "CREATE TABLE IF NOT EXISTS qor_view_columns (view TEXT, position INTEGER, name TEXT, "
        "type INTEGER, size INTEGER)");
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_, "DELETE FROM qor_view_columns WHERE lower(view) = lower(?1)", -1,
                           &stmt, nullptr) != SQLITE_OK)
        raise(0);
    sqlite3_bind_text(stmt, 1, op.viewName.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_step(stmt);
    sqlite3_finalize(stmt);
    if (sqlite3_prepare_v2(db_, "INSERT INTO qor_view_columns VALUES (?1, ?2, ?3, ?4, ?5)", -1,
                           &stmt, nullptr) != SQLITE_OK)
        raise(0);
    for (std::size_t i = 0; i < op.viewColumns.size(); ++i) {
        const ColumnInfo& c = op.viewColumns[i];
        sqlite3_bind_text(stmt, 1, op.viewName.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(stmt, 2, static_cast<sqlite3_int64>(i));
        sqlite3_bind_text(stmt, 3, c.name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(stmt, 4, static_cast<int>(c.type));
        sqlite3_bind_int(stmt, 5, c.size);
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            sqlite3_finalize(stmt);
            raise(0);
        }
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
}

// ---- translation cache ----------------------------------------------------------

std::shared_ptr<const Program> SqliteEngine::program(std::string_view batch) {
    std::uint64_t version = registry_.version() + globalRegistry().version();
    if (version != cacheRegistryVersion_) {
        cache_.clear();
        cacheRegistryVersion_ = version;
    }
    auto it = cache_.find(batch);
    if (it != cache_.end()) return it->second;
    auto translated = std::make_shared<const Program>(Translator::translate(batch, *this));
    bool ddl = false;
    std::function<void(const std::vector<Op>&)> scan = [&](const std::vector<Op>& ops) {
        for (const auto& op : ops) {
            if (op.kind == Op::Kind::Ddl) ddl = true;
            scan(op.children);
        }
    };
    scan(translated->ops);
    // a batch that changes the schema is translated afresh each time
    if (!ddl) {
        if (cache_.size() > 4096) cache_.clear();
        cache_.emplace(std::string(batch), translated);
    }
    return translated;
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

Value SqliteEngine::convertTo(const Value& v, const ast::TypeName& type) {
    if (type.name.empty()) return v;
    Value r = convertValue(
        v, type.name,
        type.length == 0 && static_cast<Type>(Parser::typeCategory(type.name)) == Type::Text
            ? 1
            : type.length,
        -1, false, false, session_);
    return r;
}

void SqliteEngine::assign(Frame& frame, const std::string& name, const std::string& op,
                          Value value) {
    auto it = frame.env.find(name);
    if (it == frame.env.end()) throw Error("Must declare the scalar variable \"" + name + "\".");
    (void)op;  // compound operators were folded into the value by the printer
    it->second.value = convertTo(value, it->second.type);
}

BatchResult SqliteEngine::invoke(const ProcedureDef& def, std::string_view written,
                                 std::vector<Argument>& args) {
    std::vector<Value> values(def.parameters.size());
    std::vector<bool> given(def.parameters.size(), false);
    std::size_t positional = 0;
    std::string name(written);
    for (auto& a : args) {
        if (compareFolded(a.name, "@RETURN_VALUE") == 0) continue;
        std::size_t index;
        if (a.name.empty()) {
            index = positional++;
            if (index >= def.parameters.size())
                throw Error("Procedure or function " + def.name +
                            " has too many arguments specified.");
        } else {
            std::string n = a.name[0] == '@' ? a.name : "@" + a.name;
            index = def.parameters.size();
            for (std::size_t i = 0; i < def.parameters.size(); ++i)
                if (compareFolded(def.parameters[i].name, n) == 0) index = i;
            if (index == def.parameters.size())
                throw Error("'" + n + "' is not a parameter for procedure " + def.name + ".");
        }
        const Parameter& p = def.parameters[index];
        try {
            values[index] = convertTo(a.value, typeNameFor(p.type, p.size > 0 ? p.size : -1));
        } catch (const Error&) {
            throw Error(
                "Error converting data type " +
                std::string(std::holds_alternative<std::string>(a.value) ? "varchar" : "numeric") +
                " to " +
                (p.type == Type::Integer    ? "int"
                 : p.type == Type::Float    ? "float"
                 : p.type == Type::DateTime ? "datetime"
                                            : "varchar") +
                ".");
        }
        given[index] = true;
    }
    for (std::size_t i = 0; i < def.parameters.size(); ++i) {
        if (given[i]) continue;
        if (def.parameters[i].defaultValue)
            values[i] = *def.parameters[i].defaultValue;
        else if (!def.parameters[i].isOutput)
            throw Error("Procedure or function '" + def.name + "' expects parameter '" +
                        def.parameters[i].name + "', which was not supplied.");
    }
    ProcedureContextImpl ctx(*this, def.name, def.parameters, std::move(values));
    beginWrite();
    try {
        def.body(ctx);
    } catch (...) {
        endWrite(false);
        throw;
    }
    endWrite(true);
    // output arguments
    positional = 0;
    for (auto& a : args) {
        if (compareFolded(a.name, "@RETURN_VALUE") == 0) {
            a.value =
                ctx.result.returnValue ? Value{*ctx.result.returnValue} : Value{std::int64_t{0}};
            continue;
        }
        std::size_t index = positional;
        if (a.name.empty()) {
            ++positional;
        } else {
            std::string n = a.name[0] == '@' ? a.name : "@" + a.name;
            for (std::size_t i = 0; i < def.parameters.size(); ++i)
                if (compareFolded(def.parameters[i].name, n) == 0) index = i;
        }
        if (a.isOutput && index < def.parameters.size()) a.value = ctx.values()[index];
    }
    if (!ctx.result.returnValue) ctx.result.returnValue = 0;
    return std::move(ctx.result);
}

void SqliteEngine::runExec(const Op& op, Frame& frame) {
    const ProcedureDef* def = findProcedure(op.procedure, op.procedureNumber);
    if (!def) throw Error("Could not find stored procedure '" + op.procedureWritten + "'.");
    std::vector<Argument> args;
    std::vector<int> argOf(op.args.size(), -1);  // op argument -> args index
    std::size_t position = 0;
    for (std::size_t k = 0; k < op.args.size(); ++k) {
        const auto& a = op.args[k];
        Argument arg;
        arg.name = a.name;
        arg.isOutput = a.output;
        if (a.name.empty()) {
            // positional: named after its parameter, so DEFAULT can keep the position
            if (position < def->parameters.size())
                arg.name = def->parameters[position].name;
            else if (!a.value.empty()) {
                throw Error("Procedure or function " + def->name +
                            " has too many arguments specified.");
            }
            ++position;
        }
        if (a.value.empty()) continue;  // DEFAULT
        arg.value = scalar(a.value, frame);
        argOf[k] = static_cast<int>(args.size());
        args.push_back(std::move(arg));
    }
    BatchResult r = invoke(*def, op.procedureWritten, args);
    for (std::size_t k = 0; k < op.args.size(); ++k) {
        const auto& a = op.args[k];
        if (a.output && !a.outVariable.empty() && argOf[k] >= 0)
            assign(frame, a.outVariable, "=", args[static_cast<std::size_t>(argOf[k])].value);
    }
    if (!op.returnVariable.empty())
        assign(frame, op.returnVariable, "=", r.returnValue.value_or(0));
    for (auto& rs : r.resultSets) frame.result->resultSets.push_back(std::move(rs));
    if (r.rowsAffected >= 0) frame.result->rowsAffected = r.rowsAffected;
    frame.result->returnValue = r.returnValue;
}

void SqliteEngine::runOps(const std::vector<Op>& ops, Frame& frame) {
    for (const auto& op : ops) {
        runOp(op, frame);
        if (frame.returned) return;
    }
}

void SqliteEngine::runOp(const Op& op, Frame& frame) {
    checkDeadline();
    switch (op.kind) {
        case Op::Kind::Query: {
            ResultSet rs = query(op, frame);
            lastRowCount_ = static_cast<std::int64_t>(rs.rows.size());
            frame.result->resultSets.push_back(std::move(rs));
            break;
        }
        case Op::Kind::Change: {
            std::int64_t rows = change(op, frame);
            frame.result->rowsAffected = rows;
            lastRowCount_ = rows;
            break;
        }
        case Op::Kind::Assign: {
            std::vector<std::string> temps;
            try {
                materialize(op, frame, temps);
                bool cached = false;
                sqlite3_stmt* stmt = prepare(op.sql.text, cached);
                std::int64_t count = 0;
                try {
                    bindAll(stmt, op.sql, frame);
                    int rc;
                    const int n = sqlite3_column_count(stmt);
                    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
                        ++count;
                        std::vector<Value> row;
                        for (int i = 0; i < n; ++i) row.push_back(columnValue(stmt, i));
                        if (op.fold) {
                            for (std::size_t i = 0; i < op.assignVars.size(); ++i)
                                assign(frame, op.assignVars[i], "=",
                                       scalar(op.foldExprs[i], frame, &row));
                        } else {
                            for (std::size_t i = 0; i < op.assignVars.size() && i < row.size(); ++i)
                                assign(frame, op.assignVars[i], "=", row[i]);
                        }
                    }
                    if (rc != SQLITE_DONE) raise(rc);
                } catch (...) {
                    release(stmt, cached);
                    throw;
                }
                release(stmt, cached);
                lastRowCount_ = count;
            } catch (...) {
                dropTemps(temps);
                throw;
            }
            dropTemps(temps);
            break;
        }
        case Op::Kind::Exec:
            runExec(op, frame);
            break;
        case Op::Kind::Declare:
            for (const auto& d : op.declarations) {
                frame.env[d.name] = Variable{d.type, Value{}};
                if (!d.init.empty()) assign(frame, d.name, "=", scalar(d.init, frame));
            }
            break;
        case Op::Kind::SetVariable:
            assign(frame, op.variable, op.assignOp, scalar(op.sql, frame));
            break;
        case Op::Kind::SetOption:
            if (op.option == "DATEFORMAT") session_.dateFormat = foldCase(op.optionValue);
            break;
        case Op::Kind::Ddl:
            beginWrite();
            try {
                exec(op.sql.text);
                if (!op.viewName.empty()) saveViewColumns(op);
            } catch (...) {
                endWrite(false);
                schema_.clear();
                throw;
            }
            endWrite(true);
            schema_.clear();
            cache_.clear();
            // prepared statements would re-prepare themselves; dropping the idle ones frees
            // what the old schema needed (a statement still stepping stays)
            for (auto it = statements_.begin(); it != statements_.end();) {
                if (statementBusy_[it->first]) {
                    ++it;
                    continue;
                }
                sqlite3_finalize(it->second);
                statementBusy_.erase(it->first);
                it = statements_.erase(it);
            }
            break;
        case Op::Kind::Begin:
            if (explicitTransactions_ == 0 && writeDepth_ == 0)
                exec("BEGIN IMMEDIATE");
            else if (explicitTransactions_ == 0)
                exec("SAVEPOINT qor_tran");
            ++explicitTransactions_;
            break;
        case Op::Kind::Commit:
            if (explicitTransactions_ == 0)
                throw Error(
                    "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION.");
            if (--explicitTransactions_ == 0)
                exec(writeDepth_ == 0 ? "COMMIT" : "RELEASE qor_tran");
            break;
        case Op::Kind::Rollback:
            if (explicitTransactions_ == 0)
                throw Error(
                    "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
            explicitTransactions_ = 0;
            if (writeDepth_ == 0)
                exec("ROLLBACK");
            else
                exec("ROLLBACK TO qor_tran; RELEASE qor_tran");
            break;
        case Op::Kind::Return:
            if (!op.sql.empty()) {
                Value v = scalar(op.sql, frame);
                Value i = convertValue(v, "INT", 0, -1, false, false, session_);
                if (auto* n = std::get_if<std::int64_t>(&i)) frame.result->returnValue = *n;
            }
            frame.returned = true;
            break;
        case Op::Kind::If: {
            Value c = scalar(op.sql, frame);
            bool yes = std::holds_alternative<std::int64_t>(c) && std::get<std::int64_t>(c) != 0;
            if (yes)
                runOp(op.children[0], frame);
            else if (op.hasElse)
                runOp(op.children[1], frame);
            break;
        }
        case Op::Kind::Block:
            runOps(op.children, frame);
            break;
        case Op::Kind::Print:
            scalar(op.sql, frame);
            break;
    }
}

BatchResult SqliteEngine::runProgram(const Program& program, std::span<const Value> params) {
    BatchResult result;
    Frame frame;
    frame.params = params;
    frame.result = &result;
    if (static_cast<int>(params.size()) < program.placeholders)
        throw Error("No value given for one or more required parameters.");
    if (program.singleBareExec && !params.empty()) {
        // EXEC proc with the parameters as its positional arguments
        const Op& op = program.ops[0];
        const ProcedureDef* def = findProcedure(op.procedure, op.procedureNumber);
        if (!def) throw Error("Could not find stored procedure '" + op.procedureWritten + "'.");
        std::vector<Argument> args;
        for (const auto& v : params) args.push_back(Argument{"", v, typeOfValue(v), false});
        return invoke(*def, op.procedureWritten, args);
    }
    runOps(program.ops, frame);
    return result;
}

BatchResult SqliteEngine::runNested(std::string_view batch, std::span<const Value> params) {
    auto prog = program(batch);
    ++nesting_;
    try {
        BatchResult r = runProgram(*prog, params);
        --nesting_;
        return r;
    } catch (...) {
        --nesting_;
        throw;
    }
}

BatchResult SqliteEngine::execute(std::string_view batch, std::span<const Value> params,
                                  int timeoutSeconds) {
    timedOut_ = false;
    hasDeadline_ = timeoutSeconds > 0;
    if (hasDeadline_)
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    auto prog = program(batch);
    ++nesting_;
    try {
        BatchResult r = runProgram(*prog, params);
        --nesting_;
        hasDeadline_ = false;
        return r;
    } catch (...) {
        --nesting_;
        hasDeadline_ = false;
        // as in SQL Server without XACT_ABORT, a failed statement is undone alone and an
        // open transaction stays open; only when SQLite itself ended it (an interrupted
        // write) does the count follow
        if (sqlite3_get_autocommit(db_)) {
            explicitTransactions_ = 0;
            writeDepth_ = 0;
        }
        throw;
    }
}

BatchResult SqliteEngine::callProcedure(std::string_view name, std::span<Argument> args,
                                        int timeoutSeconds) {
    timedOut_ = false;
    hasDeadline_ = timeoutSeconds > 0;
    if (hasDeadline_)
        deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    // the name goes through the parser: qualifiers and ;n as in an EXEC
    ast::Batch parsed = Parser::parse("EXEC " + std::string(name));
    if (parsed.statements.size() != 1 || parsed.statements[0]->kind != ast::Statement::Kind::Exec ||
        !parsed.statements[0]->args.empty())
        throw Error("Could not find stored procedure '" + std::string(name) + "'.");
    const auto& st = *parsed.statements[0];
    const ProcedureDef* def = findProcedure(st.procedure, st.procedureNumber);
    if (!def) throw Error("Could not find stored procedure '" + st.procedureWritten + "'.");
    std::vector<Argument> list(args.begin(), args.end());
    ++nesting_;
    try {
        BatchResult r = invoke(*def, st.procedureWritten, list);
        --nesting_;
        hasDeadline_ = false;
        std::copy(list.begin(), list.end(), args.begin());
        return r;
    } catch (...) {
        --nesting_;
        hasDeadline_ = false;
        throw;
    }
}

}  // namespace server
