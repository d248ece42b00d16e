#include <gtest/gtest.h>

#include <fstream>

#include "TestDatabase.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/Dataset.h"
#include "db/Error.h"
#include "db/odbc/OdbcBackend.h"
#include "tests/support/ThrowMessage.h"

using namespace dbtest;
using db::Value;

namespace {

TEST(ConnectionString, ReadsTheSignInStringWithoutRegardToCase) {
    db::ConnectionString cs(
        "Provider=SQLOLEDB.1;Password=p;w'd;Persist Security Info=True;user id=Иванов;"
        "Initial Catalog=QOR;DATA SOURCE=srv01;Use Procedure for Prepare=1;Auto Translate=True;"
        "Packet Size=4096;Use Encryption for Data=False;Tag with column collation when "
        "possible=False");
    // A ';' inside an unquoted password ends it, as in OLE DB.
    EXPECT_EQ(cs.password(), "p");
    EXPECT_EQ(cs.userId(), "Иванов");
    EXPECT_EQ(cs.initialCatalog(), "QOR");
    EXPECT_EQ(cs.dataSource(), "srv01");
    EXPECT_EQ(cs.value("packet size"), "4096");
    EXPECT_EQ(cs.value("Tag with column collation when possible"), "False");
    EXPECT_EQ(cs.value("missing"), "");
}

TEST(ConnectionString, QuotedValuesKeepSemicolonsAndSurviveARoundTrip) {
    db::ConnectionString cs("Password=\"a;b\"\"c\";Data Source='odbc:DRIVER=X;Database=y'");
    EXPECT_EQ(cs.password(), "a;b\"c");
    EXPECT_EQ(cs.dataSource(), "odbc:DRIVER=X;Database=y");
    db::ConnectionString again(cs.toString());
    EXPECT_EQ(again.password(), "a;b\"c");
    EXPECT_EQ(again.dataSource(), "odbc:DRIVER=X;Database=y");
}

TEST(ConnectionString, DataSourceChoosesTheBackend) {
    TempDir dir;
    std::string file = (dir.path() / "qor.db").string();
    std::ofstream(file) << "";
    struct Case {
        std::string dataSource;
        std::string odbc;      // expected ODBC string, empty for the embedded engine
        std::string embedded;  // expected file
    } cases[] = {
        {"srv01",
         "DRIVER={FreeTDS};SERVER=srv01;PORT=1433;TDS_Version=7.4;ClientCharset=UTF-8;"
         "DATABASE=QOR;UID=u;PWD={p w}",
         ""},
        {"10.0.0.5,14330",
         "DRIVER={FreeTDS};SERVER=10.0.0.5;PORT=14330;TDS_Version=7.4;ClientCharset=UTF-8;"
         "DATABASE=QOR;UID=u;PWD={p w}",
         ""},
        {"odbc:DSN=x;UID=a", "DSN=x;UID=a", ""},
        {"qor28 test dsn", "DSN={qor28 test dsn};DATABASE=QOR;UID=u;PWD={p w}", ""},
        {"file:" + file, "", file},
        {file, "", file},
        {"FILE:/no/such/file.db", "", "/no/such/file.db"},
    };
    for (const Case& c : cases) {
        db::ConnectionString cs("Password=p w;User ID=u;Initial Catalog=QOR;Data Source=\"" +
                                c.dataSource + "\"");
        EXPECT_EQ(db::Connection::odbcConnectionString(cs), c.odbc) << c.dataSource;
        EXPECT_EQ(db::Connection::embeddedPath(cs), c.embedded) << c.dataSource;
    }
}

TEST(ConnectionErrors, DriverPrefixesAreStripped) {
    struct Case {
        const char* raw;
        const char* text;
    } cases[] = {
        {"[unixODBC][FreeTDS][SQL Server]Invalid column name 'x'.", "Invalid column name 'x'."},
        {"[Microsoft][ODBC SQL Server Driver][SQL Server]Login failed for user 'a'.",
         "Login failed for user 'a'."},
        {"no such table: t (1)", "no such table: t (1)"},
        {"[unixODBC]", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(db::stripDriverPrefixes(c.raw), c.text);
}

TEST(ConnectionErrors, OpeningWithoutAUsableSourceFailsWithAMessage) {
    db::Connection conn;
    EXPECT_THROW_MSG(conn.open(), db::Error, "The connection has no connection string");
    try {
        conn.open("Data Source=\"odbc:DRIVER=No Such Driver;Database=x\"");
        FAIL() << "opened with an unknown driver";
    } catch (const db::Error& e) {
        std::string text = e.what();
        EXPECT_EQ(text.find('['), std::string::npos) << text;
        EXPECT_NE(text.find("No Such Driver"), std::string::npos) << text;
    }
    EXPECT_FALSE(conn.isOpen());
}

TEST(ConnectionErrors, UnreachableSqlServerFailsWithTheDriversTextAlone) {
    // The path a real installation takes: FreeTDS to a host and port where nobody listens.
    db::Connection conn;
    EXPECT_THROW_MSG(conn.open("Provider=SQLOLEDB.1;Password=x;User ID=sa;Initial Catalog=QOR;"
                               "Data Source=127.0.0.1,1"),
                     db::Error,
                     "Unable to connect: Adaptive Server is unavailable or does not exist");
    EXPECT_FALSE(conn.isOpen());
}

class ConnectionTest : public DbTest {};

TEST_P(ConnectionTest, BatchGivesTypedResultsWithNullsAndUnicode) {
    db::BatchResult r = conn.execute(
        "SELECT id_mark, id_student, m1, p35, p36 FROM mark WHERE id_mark <= 3 ORDER BY id_mark");
    ASSERT_EQ(r.resultSets.size(), 1u);
    const db::ResultSet& rs = r.resultSets[0];
    ASSERT_EQ(rs.columns.size(), 5u);
    EXPECT_EQ(rs.columns[0].name, "id_mark");
    EXPECT_EQ(rs.columns[0].type, db::Type::Integer);
    EXPECT_EQ(rs.columns[2].type, db::Type::Float);
    EXPECT_EQ(rs.columns[3].type, db::Type::Text);
    EXPECT_EQ(rs.columns[4].type, db::Type::DateTime);
    ASSERT_EQ(rs.rows.size(), 3u);
    EXPECT_EQ(rs.rows[0][2], Value(10.5));
    EXPECT_EQ(rs.rows[1][4], Value(db::makeDateTime(2024, 2, 1, 10, 30)));
    EXPECT_TRUE(db::isNull(rs.rows[2][2]));
    EXPECT_TRUE(db::isNull(rs.rows[2][4]));

    db::BatchResult names = conn.execute("SELECT s_fio FROM student WHERE id_student = 3");
    EXPECT_EQ(names.resultSets.at(0).rows.at(0).at(0), Value(std::string("Ёлкина Анна")));
}

TEST_P(ConnectionTest, RowsAffectedAndBoundParameters) {
    std::vector<Value> params{Value(std::string("x'); DROP TABLE t--")), Value(2)};
    db::BatchResult r = conn.execute("UPDATE mark SET note = ? WHERE id_student = ?", params);
    EXPECT_EQ(r.rowsAffected, 1);
    EXPECT_EQ(scalar("SELECT note FROM mark WHERE id_student = 2"),
              Value(std::string("x'); DROP TABLE t--")));
    EXPECT_EQ(conn.execute("DELETE FROM mark WHERE id_student = 42").rowsAffected, 0);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark"), Value(4));
}

TEST_P(ConnectionTest, BadStatementsRaiseTheServersTextAndTheConnectionGoesOn) {
    for (const char* sql : {"SELEC 1", "SELECT nope FROM mark", "SELECT * FROM no_such_table",
                            "INSERT INTO mark (m1) VALUES (1)"}) {
        try {
            conn.execute(sql);
            ADD_FAILURE() << "no error for " << sql;
        } catch (const db::Error& e) {
            std::string text = e.what();
            EXPECT_FALSE(text.empty()) << sql;
            EXPECT_NE(text.front(), '[') << text;
        }
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark"), Value(4));
    EXPECT_EQ(conn.execute("SELECT COUNT(*) FROM mark").resultSets.at(0).rows.at(0).at(0),
              Value(4));
}

TEST_P(ConnectionTest, TransactionsCommitOrLeaveNothing) {
    db::Backend& b = conn.backend();
    b.beginTransaction();
    conn.execute("UPDATE mark SET m1 = 99 WHERE id_student = 1");
    b.rollback();
    EXPECT_EQ(scalar("SELECT m1 FROM mark WHERE id_student = 1"), Value(10.5));
    b.beginTransaction();
    conn.execute("UPDATE mark SET m1 = 98 WHERE id_student = 1");
    b.commit();
    EXPECT_EQ(scalar("SELECT m1 FROM mark WHERE id_student = 1"), Value(98.0));
}

TEST_P(ConnectionTest, ClosedConnectionReopensForTheNextStatement) {
    conn.close();
    EXPECT_FALSE(conn.isOpen());
    EXPECT_EQ(conn.execute("SELECT COUNT(*) FROM student").resultSets.at(0).rows.at(0).at(0),
              Value(4));
    EXPECT_TRUE(conn.isOpen());
}

INSTANTIATE_TEST_SUITE_P(Backends, ConnectionTest, testing::ValuesIn(backends()), backendName);

}  // namespace

namespace {

class ConnectionOdbcOnly : public DbTest {};

TEST_P(ConnectionOdbcOnly, ProcedureCallsUseTheCallEscape) {
    // SQLite has no procedures: the call reaches the driver and its refusal comes back as
    // an error, the dataset stays closed.
    db::Dataset proc(&conn);
    proc.setProcedureName("SORT_MARK_MAG;1");
    proc.parameters().add("@RETURN_VALUE", db::Type::Integer, db::ParamDirection::ReturnValue);
    proc.parameters().add("@group", db::Type::Integer, db::ParamDirection::Input, 0, true,
                          Value(1));
    EXPECT_THROW(proc.open(), db::Error);  // the driver's own text
    EXPECT_FALSE(proc.active());
    proc.setProcedureName("SORT_MARK_MAG;2");
    EXPECT_THROW_MSG(proc.open(), db::Error,
                     "Numbered procedure 'SORT_MARK_MAG;2' cannot be called through ODBC");
}

INSTANTIATE_TEST_SUITE_P(Backends, ConnectionOdbcOnly, testing::Values(BackendKind::Odbc),
                         backendName);

}  // namespace

namespace {

TEST(OdbcText, BareExecGetsAPlaceholderPerParameter) {
    struct Case {
        const char* batch;
        std::size_t count;
        const char* text;
    } cases[] = {
        {"EXEC SP_GetActiveFEst", 3, "EXEC SP_GetActiveFEst ?, ?, ?"},
        {"  execute dbo.p;\n", 1, "execute dbo.p ?"},
        {"EXEC SP_GetActiveFEst", 0, "EXEC SP_GetActiveFEst"},
        {"EXEC p @a = ?", 1, "EXEC p @a = ?"},
        {"EXEC p 1", 1, "EXEC p 1"},
        {"SELECT * FROM t WHERE a = ?", 1, "SELECT * FROM t WHERE a = ?"},
        {"EXEC p SELECT 1", 1, "EXEC p SELECT 1"},
    };
    for (const Case& c : cases) EXPECT_EQ(db::withExecPlaceholders(c.batch, c.count), c.text);
}

}  // namespace
