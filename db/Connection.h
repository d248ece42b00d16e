#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "db/Backend.h"
#include "db/ConnectionString.h"

namespace db {

// The program's one door to a database. It is opened with an OLE DB connection string;
// its Data Source chooses the backend:
//   - "file:PATH", or the path of an existing file: the embedded engine on that file;
//   - "odbc:ODBC-CONNECTION-STRING": that ODBC string as it stands, for tests and
//     administrators (quote it in the OLE DB string, since it holds ';':
//     Data Source="odbc:DRIVER=SQLite3;Database=/tmp/x.db");
//   - any other name: an SQL Server reached by ODBC, through the data source of that
//     name when one is configured, else through FreeTDS to that host ("host" or
//     "host,port"; port 1433, TDS 7.4, UTF-8).
class Connection {
  public:
    enum class Kind { None, Embedded, Odbc };

    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(const std::string& text) { connectionString_ = text; }
    const std::string& connectionString() const { return connectionString_; }

    // Opens with the current connection string (a no-op when already open). Throws
    // Error with the server's text (a refused login, an unknown host).
    void open();
    void open(const std::string& connectionString);
    void close();
    bool isOpen() const { return backend_ != nullptr; }
    Kind kind() const { return kind_; }

    // Seconds a statement may run when the caller gives none; ADO's default is 30.
    int commandTimeout() const { return commandTimeout_; }
    void setCommandTimeout(int seconds) { commandTimeout_ = seconds; }

    // Runs a T-SQL batch (opening the connection first if it closed itself). A negative
    // time-out means the connection's default, 0 means none.
    BatchResult execute(std::string_view batch, std::span<const Value> params = {},
                        int timeoutSeconds = -1);
    BatchResult callProcedure(std::string_view name, std::span<Argument> args,
                              int timeoutSeconds = -1);

    // Several commands as one unit: nothing of them stays when the unit is rolled back.
    // Units nest as SQL Server's transactions do (a dataset's write-back inside one
    // joins it): only the outermost commit writes, and a rollback ends them all.
    void beginTransaction() { backend().beginTransaction(); }
    void commit() { backend().commit(); }
    void rollback() { backend().rollback(); }

    // The open backend; opens the connection when it is closed.
    Backend& backend();
    // Puts something between the open connection and its backend (a test's backend that
    // refuses a chosen statement): `wrap` gets the backend and returns the one used from
    // now on, until the connection closes. The trace stays where it was.
    using BackendWrapper = std::function<std::unique_ptr<Backend>(std::unique_ptr<Backend>)>;
    void wrapBackend(const BackendWrapper& wrap);
    int effectiveTimeout(int timeoutSeconds) const {
        return timeoutSeconds < 0 ? commandTimeout_ : timeoutSeconds;
    }

    // The ODBC connection string an OLE DB string maps to (empty for the embedded
    // engine). Public so the mapping can be checked without a server.
    static std::string odbcConnectionString(const ConnectionString& oleDb);
    // The database file an OLE DB string names, empty when it names an ODBC source.
    static std::string embeddedPath(const ConnectionString& oleDb);

  private:
    std::string connectionString_;
    std::unique_ptr<Backend> backend_;
    Kind kind_ = Kind::None;
    int commandTimeout_ = 30;
};

// A transaction for the scope it lives in: rolled back when the scope is left without
// commit(), so that an error leaves nothing of the unit behind.
class Transaction {
  public:
    explicit Transaction(Connection& connection) : connection_(connection) {
        connection_.beginTransaction();
    }
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit() {
        done_ = true;
        connection_.commit();
    }

  private:
    Connection& connection_;
    bool done_ = false;
};

}  // namespace db
