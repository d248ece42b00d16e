#pragma once

#include <string>
#include <string_view>

#include "db/Backend.h"

namespace db {

// An SQL Server (or any ODBC data source) reached through unixODBC or the system's
// ODBC driver manager. Text goes both ways as UTF-8 through the narrow entry points:
// FreeTDS converts it with ClientCharset=UTF-8, SQLite keeps it as it is, and drivers
// without wide entry points (the SQLite one) would get wide text cut to bytes by the
// driver manager. On Windows the program runs with the UTF-8 code page for the same.
class OdbcBackend : public Backend {
  public:
    // Connects with a complete ODBC connection string ("DSN=...;UID=...;PWD=..." or
    // "DRIVER=...;Server=...").
    explicit OdbcBackend(const std::string& odbcConnectionString);
    ~OdbcBackend() override;
    OdbcBackend(const OdbcBackend&) = delete;
    OdbcBackend& operator=(const OdbcBackend&) = delete;

    BatchResult execute(std::string_view batch, std::span<const Value> params,
                        int timeoutSeconds) override;
    BatchResult callProcedure(std::string_view name, std::span<Argument> args,
                              int timeoutSeconds) override;
    void beginTransaction() override;
    void commit() override;
    void rollback() override;
    std::int64_t executeInsert(std::string_view insert, std::span<const Value> params,
                               int timeoutSeconds) override;

    // The DBMS name the driver reports ("Microsoft SQL Server", "SQLite").
    const std::string& dbmsName() const { return dbmsName_; }

    // True when an ODBC data source of this name is configured (odbc.ini).
    static bool dataSourceExists(const std::string& name);

  private:
    void endTransaction(bool commit);

    void* env_ = nullptr;
    void* dbc_ = nullptr;
    std::string dbmsName_;
    // Transactions nest as SQL Server's do: only the outermost commit ends one, and a
    // rollback at any depth ends it.
    int transactionDepth_ = 0;
    bool sqlite_ = false;
};

// A batch that is one bare "EXEC procedure" called with `count` parameters gets a
// placeholder for each ("EXEC p ?, ?"), as the embedded engine reads such a call; any
// other batch comes back unchanged.
std::string withExecPlaceholders(std::string_view batch, std::size_t count);

// Strips the driver manager's and driver's "[vendor][driver][SQL Server]" prefixes from
// a diagnostic, leaving the server's own text.
std::string stripDriverPrefixes(std::string message);

}  // namespace db
