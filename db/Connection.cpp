#include "db/Connection.h"

#include <filesystem>

#include "db/Error.h"
#include "db/odbc/OdbcBackend.h"

namespace db {

namespace {

// An ODBC attribute value, braced when it holds characters that end or open one.
std::string odbcValue(const std::string& v) {
    if (v.find_first_of(";{}= ") == std::string::npos) return v;
    std::string out = "{";
    for (char c : v) out += c == '}' ? std::string("}}") : std::string(1, c);
    return out + "}";
}

bool startsWithNoCase(const std::string& s, std::string_view prefix) {
    return s.size() >= prefix.size() &&
           foldCase(s.substr(0, prefix.size())) == foldCase(std::string(prefix));
}

}  // namespace

Connection::~Connection() = default;

std::string Connection::embeddedPath(const ConnectionString& oleDb) {
    std::string source = oleDb.dataSource();
    if (startsWithNoCase(source, "file:")) return source.substr(5);
    if (startsWithNoCase(source, "odbc:") || source.empty()) return {};
    std::error_code ec;
    if (std::filesystem::is_regular_file(source, ec)) return source;
    return {};
}

std::string Connection::odbcConnectionString(const ConnectionString& oleDb) {
    std::string source = oleDb.dataSource();
    if (startsWithNoCase(source, "odbc:")) return source.substr(5);
    if (!embeddedPath(oleDb).empty()) return {};
    std::string tail;
    if (!oleDb.initialCatalog().empty()) tail += ";DATABASE=" + odbcValue(oleDb.initialCatalog());
    if (oleDb.contains("User ID")) tail += ";UID=" + odbcValue(oleDb.userId());
    if (oleDb.contains("Password")) tail += ";PWD=" + odbcValue(oleDb.password());
    if (!source.empty() && OdbcBackend::dataSourceExists(source))
        return "DSN=" + odbcValue(source) + tail;
    std::string host = source, port = "1433";
    if (std::size_t comma = source.rfind(','); comma != std::string::npos) {
        host = source.substr(0, comma);
        port = source.substr(comma + 1);
    }
    return "DRIVER={FreeTDS};SERVER=" + odbcValue(host) + ";PORT=" + odbcValue(port) +
           ";TDS_Version=7.4;ClientCharset=UTF-8" + tail;
}

void Connection::open(const std::string& connectionString) {
    close();
    connectionString_ = connectionString;
    open();
}

void Connection::open() {
    if (backend_) return;
    if (connectionString_.empty()) throw Error("The connection has no connection string");
    ConnectionString cs(connectionString_);
    if (cs.dataSource().empty()) throw Error("The connection string names no Data Source");
    std::string path = embeddedPath(cs);
    if (!path.empty()) {
        backend_ = openEmbeddedBackend(path, cs.userId(), cs.password());
        kind_ = Kind::Embedded;
    } else {
        backend_ = std::make_unique<OdbcBackend>(odbcConnectionString(cs));
        kind_ = Kind::Odbc;
    }
    // Read at each opening, so a support session can switch it on without a rebuild.
    backend_->setTrace(SqlTrace::fromEnvironment());
}

void Connection::wrapBackend(const BackendWrapper& wrap) {
    open();
    backend_ = wrap(std::move(backend_));
    if (!backend_) throw Error("The connection was left without a backend");
}

void Connection::close() {
    backend_.reset();
    kind_ = Kind::None;
}

Backend& Connection::backend() {
    open();
    return *backend_;
}

BatchResult Connection::execute(std::string_view batch, std::span<const Value> params,
                                int timeoutSeconds) {
    return backend().execute(batch, params, effectiveTimeout(timeoutSeconds));
}

BatchResult Connection::callProcedure(std::string_view name, std::span<Argument> args,
                                      int timeoutSeconds) {
    return backend().callProcedure(name, args, effectiveTimeout(timeoutSeconds));
}

Transaction::~Transaction() {
    if (done_) return;
    try {
        connection_.rollback();
    } catch (const Error&) {
        // The server may have ended the transaction already (a failed write-back
        // inside it rolls everything back); the error that left the scope is the one
        // to report.
    }
}

}  // namespace db

#ifndef QOR28_DB_EMBEDDED
namespace db {
std::unique_ptr<Backend> openEmbeddedBackend(const std::string& path, const std::string&,
                                             const std::string&) {
    throw Error("This program was built without the embedded database engine (cannot open '" +
                path + "')");
}
}  // namespace db
#endif
