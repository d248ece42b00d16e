#include "db/odbc/OdbcBackend.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "db/Error.h"

namespace db {

namespace {

SQLCHAR* chars(std::string& s) {
    return reinterpret_cast<SQLCHAR*>(s.data());
}

bool ok(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}

// The first diagnostic record of a handle: the server's message comes first, the
// driver's follow-ups ("The statement has been terminated.") after it.
std::string diagnostic(SQLSMALLINT type, SQLHANDLE handle) {
    SQLCHAR state[6];
    SQLINTEGER native = 0;
    SQLCHAR text[4096];
    SQLSMALLINT len = 0;
    SQLRETURN rc = SQLGetDiagRec(type, handle, 1, state, &native, text,
                                 static_cast<SQLSMALLINT>(sizeof text), &len);
    if (!ok(rc)) return "The database driver reported a failure without a message";
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(len), sizeof text - 1);
    return stripDriverPrefixes(std::string(reinterpret_cast<const char*>(text), n));
}

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) {
    if (!ok(rc) && rc != SQL_NO_DATA) throw Error(diagnostic(type, handle));
}

// A statement handle freed on every path.
class Statement {
  public:
    explicit Statement(SQLHDBC dbc) {
        if (!ok(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &h)))
            throw Error(diagnostic(SQL_HANDLE_DBC, dbc));
    }
    ~Statement() { SQLFreeHandle(SQL_HANDLE_STMT, h); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    void check(SQLRETURN rc) const { db::check(rc, SQL_HANDLE_STMT, h); }
    SQLHSTMT h = SQL_NULL_HSTMT;
};

// The storage one bound parameter needs until the statement has run.
struct ParamBuffer {
    SQLLEN indicator = 0;
    std::int64_t integer = 0;
    double real = 0;
    SQL_TIMESTAMP_STRUCT timestamp{};
    std::string text;
    Type type = Type::Null;
};

constexpr std::size_t kOutputTextBytes = 8000;

void bindParameter(const Statement& st, SQLUSMALLINT number, const Value& v, ParamBuffer& b,
                   SQLSMALLINT direction, Type declared) {
    b.type = isNull(v) ? declared : typeOf(v);
    bool output = direction != SQL_PARAM_INPUT;
    b.indicator = isNull(v) ? SQL_NULL_DATA : 0;
    SQLRETURN rc;
    switch (b.type) {
        case Type::Integer:
            if (!isNull(v)) b.integer = toInteger(v);
            rc = SQLBindParameter(st.h, number, direction, SQL_C_SBIGINT, SQL_BIGINT, 0, 0,
                                  &b.integer, 0, &b.indicator);
            break;
        case Type::Float:
            if (!isNull(v)) b.real = toDouble(v);
            rc = SQLBindParameter(st.h, number, direction, SQL_C_DOUBLE, SQL_DOUBLE, 0, 0, &b.real,
                                  0, &b.indicator);
            break;
        case Type::DateTime: {
            if (!isNull(v)) {
                CivilTime c = civil(std::get<DateTime>(v));
                b.timestamp.year = static_cast<SQLSMALLINT>(c.year);
                b.timestamp.month = static_cast<SQLUSMALLINT>(c.month);
                b.timestamp.day = static_cast<SQLUSMALLINT>(c.day);
                b.timestamp.hour = static_cast<SQLUSMALLINT>(c.hour);
                b.timestamp.minute = static_cast<SQLUSMALLINT>(c.minute);
                b.timestamp.second = static_cast<SQLUSMALLINT>(c.second);
                b.timestamp.fraction = static_cast<SQLUINTEGER>(c.msec) * 1000000u;
            }
            rc = SQLBindParameter(st.h, number, direction, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP,
                                  23, 3, &b.timestamp, sizeof b.timestamp, &b.indicator);
            break;
        }
        default: {
            // Text, and NULLs of no declared type, go as UTF-8 to a national (Unicode)
            // parameter, so the server keeps Cyrillic whatever its code page.
            if (typeOf(v) == Type::Text) b.text = std::get<std::string>(v);
            std::size_t bytes = b.text.size();
            if (output) b.text.resize(std::max(bytes, kOutputTextBytes) + 1);
            if (!isNull(v)) b.indicator = static_cast<SQLLEN>(bytes);
            SQLULEN size = std::max<SQLULEN>(1, output ? b.text.size() - 1 : bytes);
            if (b.text.empty()) b.text.resize(1);
            rc = SQLBindParameter(st.h, number, direction, SQL_C_CHAR,
                                  size > 4000 ? SQL_WLONGVARCHAR : SQL_WVARCHAR, size, 0,
                                  b.text.data(), static_cast<SQLLEN>(b.text.size()), &b.indicator);
            b.type = Type::Text;
        }
    }
    st.check(rc);
}

Value outputValue(const ParamBuffer& b) {
    if (b.indicator == SQL_NULL_DATA) return {};
    switch (b.type) {
        case Type::Integer:
            return b.integer;
        case Type::Float:
            return b.real;
        case Type::DateTime: {
            const auto& t = b.timestamp;
            return makeDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second,
                                static_cast<int>(t.fraction / 1000000u));
        }
        default: {
            std::size_t n =
                std::min<std::size_t>(static_cast<std::size_t>(b.indicator), b.text.size() - 1);
            return b.text.substr(0, n);
        }
    }
}

Type columnType(SQLSMALLINT sqlType, SQLSMALLINT scale) {
    switch (sqlType) {
        case SQL_BIT:
        case SQL_TINYINT:
        case SQL_SMALLINT:
        case SQL_INTEGER:
        case SQL_BIGINT:
            return Type::Integer;
        case SQL_NUMERIC:
        case SQL_DECIMAL:
            return scale == 0 ? Type::Integer : Type::Float;
        case SQL_REAL:
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return Type::Float;
        case SQL_DATE:
        case SQL_TYPE_DATE:
        case SQL_TIMESTAMP:
        case SQL_TYPE_TIMESTAMP:
            return Type::DateTime;
        default:
            return Type::Text;
    }
}

Value readText(const Statement& st, SQLUSMALLINT col) {
    // Long texts come in pieces; each piece but the last fills the buffer.
    std::string text;
    char buf[4096];
    for (;;) {
        SQLLEN ind = 0;
        SQLRETURN rc = SQLGetData(st.h, col, SQL_C_CHAR, buf, sizeof buf, &ind);
        if (rc == SQL_NO_DATA) break;
        st.check(rc);
        if (ind == SQL_NULL_DATA) return {};
        std::size_t room = sizeof buf - 1;
        std::size_t got = ind == SQL_NO_TOTAL || static_cast<std::size_t>(ind) > room
                              ? room
                              : static_cast<std::size_t>(ind);
        text.append(buf, got);
        if (rc == SQL_SUCCESS) break;
    }
    return text;
}

Value readValue(const Statement& st, SQLUSMALLINT col, Type type) {
    SQLLEN ind = 0;
    switch (type) {
        case Type::Integer: {
            std::int64_t v = 0;
            st.check(SQLGetData(st.h, col, SQL_C_SBIGINT, &v, sizeof v, &ind));
            if (ind == SQL_NULL_DATA) return {};
            return v;
        }
        case Type::Float: {
            double v = 0;
            st.check(SQLGetData(st.h, col, SQL_C_DOUBLE, &v, sizeof v, &ind));
            if (ind == SQL_NULL_DATA) return {};
            return v;
        }
        case Type::DateTime: {
            SQL_TIMESTAMP_STRUCT t{};
            st.check(SQLGetData(st.h, col, SQL_C_TYPE_TIMESTAMP, &t, sizeof t, &ind));
            if (ind == SQL_NULL_DATA) return {};
            return makeDateTime(t.year, t.month, t.day, t.hour, t.minute, t.second,
                                static_cast<int>(t.fraction / 1000000u));
        }
        default:
            return readText(st, col);
    }
}

// Reads every result of an executed statement: row sets and row counts, in order.
void collectResults(const Statement& st, BatchResult& out) {
    for (;;) {
        SQLSMALLINT count = 0;
        st.check(SQLNumResultCols(st.h, &count));
        if (count > 0) {
            ResultSet rs;
            std::vector<Type> types;
            for (SQLUSMALLINT c = 1; c <= static_cast<SQLUSMALLINT>(count); ++c) {
                SQLCHAR name[256];
                SQLSMALLINT nameLen = 0, sqlType = 0, scale = 0, nullable = 0;
                SQLULEN size = 0;
                st.check(SQLDescribeCol(st.h, c, name, static_cast<SQLSMALLINT>(sizeof name),
                                        &nameLen, &sqlType, &size, &scale, &nullable));
                Column column;
                column.name.assign(reinterpret_cast<const char*>(name),
                                   std::min<std::size_t>(static_cast<std::size_t>(nameLen), 255));
                column.type = columnType(sqlType, scale);
                if (column.type == Type::Text && size < 1u << 30)
                    column.size = static_cast<int>(size);
                types.push_back(column.type);
                rs.columns.push_back(std::move(column));
            }
            for (;;) {
                SQLRETURN rc = SQLFetch(st.h);
                if (rc == SQL_NO_DATA) break;
                st.check(rc);
                std::vector<Value> row;
                row.reserve(types.size());
                for (std::size_t c = 0; c < types.size(); ++c)
                    row.push_back(readValue(st, static_cast<SQLUSMALLINT>(c + 1), types[c]));
                rs.rows.push_back(std::move(row));
            }
            out.resultSets.push_back(std::move(rs));
        } else {
            SQLLEN rows = -1;
            if (ok(SQLRowCount(st.h, &rows)) && rows >= 0) out.rowsAffected = rows;
        }
        SQLRETURN rc = SQLMoreResults(st.h);
        if (rc == SQL_NO_DATA) break;
        st.check(rc);
    }
}

void setTimeout(const Statement& st, int seconds) {
    // Drivers that cannot time statements out answer "option value changed"; that is no
    // reason to refuse the statement.
    SQLSetStmtAttr(st.h, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(std::max(0, seconds))), 0);
}

std::string sqliteDateTime(DateTime t) {
    CivilTime c = civil(t);
    char buf[40];
    if (c.msec)
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", c.year, c.month, c.day,
                      c.hour, c.minute, c.second, c.msec);
    else
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", c.year, c.month, c.day,
                      c.hour, c.minute, c.second);
    return buf;
}

}  // namespace

std::string withExecPlaceholders(std::string_view batch, std::size_t count) {
    std::string text(batch);
    if (count == 0) return text;
    std::size_t b = text.find_first_not_of(" \t\r\n");
    std::size_t e = text.find_last_not_of(" \t\r\n;");
    if (b == std::string::npos) return text;
    std::string body = text.substr(b, e - b + 1);
    std::string folded = foldCase(body);
    std::size_t nameStart;
    if (folded.rfind("execute ", 0) == 0)
        nameStart = 8;
    else if (folded.rfind("exec ", 0) == 0)
        nameStart = 5;
    else
        return text;
    std::string name = body.substr(nameStart);
    name.erase(0, name.find_first_not_of(" \t\r\n"));
    // One name, nothing after it: no arguments, no markers, no second statement.
    if (name.empty() || name.find_first_of(" \t\r\n,?'@(=") != std::string::npos) return text;
    std::string out = body.substr(0, nameStart) + name + " ?";
    for (std::size_t i = 1; i < count; ++i) out += ", ?";
    return out;
}

std::string stripDriverPrefixes(std::string message) {
    while (!message.empty() && message.front() == '[') {
        std::size_t end = message.find(']');
        if (end == std::string::npos) break;
        message.erase(0, end + 1);
    }
    std::size_t b = message.find_first_not_of(' ');
    return b == std::string::npos ? std::string() : message.substr(b);
}

OdbcBackend::OdbcBackend(const std::string& odbcConnectionString) {
    SQLHENV env = SQL_NULL_HENV;
    if (!ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw Error("The ODBC driver manager could not be initialised");
    env_ = env;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!ok(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc))) {
        std::string text = diagnostic(SQL_HANDLE_ENV, env);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        throw Error(text);
    }
    dbc_ = dbc;
    SQLSetConnectAttr(dbc, SQL_ATTR_LOGIN_TIMEOUT, reinterpret_cast<SQLPOINTER>(15), 0);
    std::string conn = odbcConnectionString;
    SQLCHAR outText[1024];
    SQLSMALLINT outLen = 0;
    SQLRETURN rc =
        SQLDriverConnect(dbc, nullptr, chars(conn), static_cast<SQLSMALLINT>(conn.size()), outText,
                         static_cast<SQLSMALLINT>(sizeof outText), &outLen, SQL_DRIVER_NOPROMPT);
    if (!ok(rc)) {
        std::string text = diagnostic(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc);
        SQLFreeHandle(SQL_HANDLE_ENV, env);
        dbc_ = env_ = nullptr;
        throw Error(text);
    }
    char name[256] = {0};
    SQLSMALLINT len = 0;
    if (ok(SQLGetInfo(dbc, SQL_DBMS_NAME, name, sizeof name, &len))) dbmsName_ = name;
    sqlite_ = dbmsName_.find("SQLite") != std::string::npos;
}

OdbcBackend::~OdbcBackend() {
    if (dbc_) {
        if (transactionDepth_ > 0) SQLEndTran(SQL_HANDLE_DBC, dbc_, SQL_ROLLBACK);
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
    }
    if (env_) SQLFreeHandle(SQL_HANDLE_ENV, env_);
}

BatchResult OdbcBackend::execute(std::string_view batch, std::span<const Value> params,
                                 int timeoutSeconds) {
    Statement st(dbc_);
    setTimeout(st, timeoutSeconds);
    std::string text = withExecPlaceholders(batch, params.size());
    std::vector<ParamBuffer> buffers(params.size());
    SQLRETURN rc;
    if (params.empty()) {
        traceBatch(text, {});
        rc = SQLExecDirect(st.h, chars(text), static_cast<SQLINTEGER>(text.size()));
    } else {
        st.check(SQLPrepare(st.h, chars(text), static_cast<SQLINTEGER>(text.size())));
        std::vector<Value> sent;
        sent.reserve(params.size());
        for (std::size_t i = 0; i < params.size(); ++i) {
            // SQLite keeps date-times as text and compares them as text: send them in
            // the form it stores, or a row's old value would never match its own.
            sent.push_back(sqlite_ && typeOf(params[i]) == Type::DateTime
                               ? Value(sqliteDateTime(std::get<DateTime>(params[i])))
                               : params[i]);
            bindParameter(st, static_cast<SQLUSMALLINT>(i + 1), sent.back(), buffers[i],
                          SQL_PARAM_INPUT, Type::Text);
        }
        traceBatch(text, sent);
        rc = SQLExecute(st.h);
    }
    BatchResult result;
    if (rc == SQL_NO_DATA) {
        // A searched UPDATE or DELETE that touched no row.
        result.rowsAffected = 0;
        SQLRETURN more = SQLMoreResults(st.h);
        if (more == SQL_NO_DATA) return result;
        st.check(more);
    } else {
        st.check(rc);
    }
    collectResults(st, result);
    return result;
}

BatchResult OdbcBackend::callProcedure(std::string_view name, std::span<Argument> args,
                                       int timeoutSeconds) {
    // ODBC's call escape takes the arguments by position; ";1" (the first procedure of a
    // numbered group) is what an unnumbered call means anyway.
    std::string proc(name);
    if (std::size_t semi = proc.find(';'); semi != std::string::npos) {
        if (proc.substr(semi) != ";1")
            throw Error("Numbered procedure '" + proc + "' cannot be called through ODBC");
        proc.erase(semi);
    }
    std::string call = "{? = call " + proc + "(";
    for (std::size_t i = 0; i < args.size(); ++i) call += i ? ",?" : "?";
    call += ")}";
    Statement st(dbc_);
    setTimeout(st, timeoutSeconds);
    std::string text = call;
    st.check(SQLPrepare(st.h, chars(text), static_cast<SQLINTEGER>(text.size())));
    std::vector<ParamBuffer> buffers(args.size() + 1);
    bindParameter(st, 1, Value(std::int64_t{0}), buffers[0], SQL_PARAM_OUTPUT, Type::Integer);
    for (std::size_t i = 0; i < args.size(); ++i)
        bindParameter(st, static_cast<SQLUSMALLINT>(i + 2), args[i].value, buffers[i + 1],
                      args[i].isOutput ? SQL_PARAM_INPUT_OUTPUT : SQL_PARAM_INPUT,
                      args[i].type == Type::Null ? Type::Text : args[i].type);
    if (trace()) {
        // The first marker is the procedure's return value, an output of its own.
        std::vector<Value> sent{Value()};
        for (const Argument& a : args) sent.push_back(a.value);
        traceBatch(call, sent);
    }
    SQLRETURN rc = SQLExecute(st.h);
    BatchResult result;
    if (rc != SQL_NO_DATA) {
        st.check(rc);
        collectResults(st, result);
    }
    // Output values arrive once every result has been read.
    if (buffers[0].indicator != SQL_NULL_DATA) result.returnValue = buffers[0].integer;
    for (std::size_t i = 0; i < args.size(); ++i)
        if (args[i].isOutput) args[i].value = outputValue(buffers[i + 1]);
    return result;
}

void OdbcBackend::beginTransaction() {
    if (transactionDepth_ == 0) {
        check(SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT,
                                reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0),
              SQL_HANDLE_DBC, dbc_);
        traceNote("BEGIN TRANSACTION (the driver's autocommit switched off)");
    }
    ++transactionDepth_;
}

void OdbcBackend::endTransaction(bool commitIt) {
    if (transactionDepth_ == 0) return;
    if (commitIt && --transactionDepth_ > 0) return;
    transactionDepth_ = 0;
    traceNote(commitIt ? "COMMIT TRANSACTION (through the driver)"
                       : "ROLLBACK TRANSACTION (through the driver)");
    SQLRETURN rc = SQLEndTran(SQL_HANDLE_DBC, dbc_, commitIt ? SQL_COMMIT : SQL_ROLLBACK);
    std::string failure = ok(rc) ? std::string() : diagnostic(SQL_HANDLE_DBC, dbc_);
    SQLSetConnectAttr(dbc_, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON),
                      0);
    if (!failure.empty()) throw Error(failure);
}

void OdbcBackend::commit() {
    endTransaction(true);
}
void OdbcBackend::rollback() {
    endTransaction(false);
}

std::int64_t OdbcBackend::executeInsert(std::string_view insert, std::span<const Value> params,
                                        int timeoutSeconds) {
    if (sqlite_) {
        execute(insert, params, timeoutSeconds);
        BatchResult r = execute("SELECT last_insert_rowid()", {}, timeoutSeconds);
        return toInteger(r.resultSets.at(0).rows.at(0).at(0));
    }
    // SCOPE_IDENTITY only sees the INSERT when both are in one batch.
    std::string batch(insert);
    batch += ";\nSELECT CAST(SCOPE_IDENTITY() AS bigint)";
    BatchResult r = execute(batch, params, timeoutSeconds);
    if (r.resultSets.empty() || r.resultSets.back().rows.empty() ||
        isNull(r.resultSets.back().rows[0][0]))
        throw Error("The server did not report the key of the new row");
    return toInteger(r.resultSets.back().rows[0][0]);
}

bool OdbcBackend::dataSourceExists(const std::string& name) {
    SQLHENV env = SQL_NULL_HENV;
    if (!ok(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return false;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    bool found = false;
    SQLCHAR dsn[256], description[512];
    SQLSMALLINT dsnLen = 0, descLen = 0;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    std::string wanted = foldCase(name);
    while (ok(SQLDataSources(env, direction, dsn, sizeof dsn, &dsnLen, description,
                             sizeof description, &descLen))) {
        direction = SQL_FETCH_NEXT;
        if (foldCase(reinterpret_cast<const char*>(dsn)) == wanted) {
            found = true;
            break;
        }
    }
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return found;
}

}  // namespace db
