// Opening a database and its logins, the engine's life, what it knows of the schema and
// the cache of translated batches.

#include "SqliteEngine.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>

#include "Sha256.h"
#include "SqliteEngineInternal.h"
#include "values/TextFold.h"

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

}  // namespace

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

}  // namespace server
