// The trace of what a connection sends, for support staff: each batch exactly as sent,
// its bound parameters as comment lines before it, a line "GO" after it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "TestDatabase.h"
#include "db/Dataset.h"
#include "db/SqlTrace.h"

using namespace dbtest;
using db::Value;

namespace {

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class SqlTraceTest : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        tracePath = dir.path() / "trace.sql";
        std::ofstream(tracePath) << "-- kept\n";
        ::setenv("QOR28_SQL_TRACE", tracePath.c_str(), 1);
        traced.open(connectionString);
        ::unsetenv("QOR28_SQL_TRACE");
    }
    void TearDown() override { ::unsetenv("QOR28_SQL_TRACE"); }

    std::filesystem::path tracePath;
    db::Connection traced;
};

TEST_P(SqlTraceTest, EveryBatchIsAppendedAsSentWithItsParameters) {
    traced.execute("SELECT COUNT(*) FROM student");
    db::Dataset students(&traced);
    students.setSql("SELECT id_student, s_fio FROM student WHERE id_student = :id");
    students.param("id").setValue(Value(std::int64_t{4}));
    students.setKeyField("id_student");
    students.open();
    students.edit();
    students.field("s_fio").setValue(Value(std::string("O'Brien\nSmith")));
    students.post();

    const bool odbc = GetParam() == BackendKind::Odbc;
    std::string expected =
        "-- kept\n"
        "SELECT COUNT(*) FROM student\nGO\n"
        "-- ?1 = 4\n"
        "SELECT id_student, s_fio FROM student WHERE id_student = ?\nGO\n";
    expected += odbc ? "-- BEGIN TRANSACTION (the driver's autocommit switched off)\n"
                     : "BEGIN TRANSACTION\nGO\n";
    expected +=
        "-- ?1 = N'O''Brien\\nSmith'\n"
        "-- ?2 = 4\n"
        "-- ?3 = N'O''Brien'\n"
        "UPDATE [student] SET [s_fio] = ? WHERE [id_student] = ? AND [s_fio] = ?\nGO\n";
    expected += odbc ? "-- COMMIT TRANSACTION (through the driver)\n" : "COMMIT TRANSACTION\nGO\n";
    EXPECT_EQ(readFile(tracePath), expected);
}

TEST_P(SqlTraceTest, ConnectionsOpenedWithoutTheVariableTraceNothing) {
    conn.execute("SELECT 1");
    EXPECT_EQ(readFile(tracePath), "-- kept\n");
}

TEST_P(SqlTraceTest, AnUnwritableTraceIsSkippedSilently) {
    db::Connection other;
    ::setenv("QOR28_SQL_TRACE", (dir.path() / "no such folder" / "trace.sql").c_str(), 1);
    other.open(connectionString);
    ::unsetenv("QOR28_SQL_TRACE");
    EXPECT_EQ(db::toInteger(
                  other.execute("SELECT COUNT(*) FROM student").resultSets.at(0).rows.at(0).at(0)),
              4);
}

INSTANTIATE_TEST_SUITE_P(Backends, SqlTraceTest, testing::ValuesIn(backends()), backendName);

TEST(SqlTraceLiteral, ValuesAreWrittenAsTSqlLiterals) {
    struct Case {
        Value value;
        const char* literal;
    } cases[] = {
        {Value(), "NULL"},
        {Value(std::int64_t{-15}), "-15"},
        {Value(2.5), "2.5"},
        {Value(std::string("Ёлкина 'Анна'")), "N'Ёлкина ''Анна'''"},
        {Value(db::makeDateTime(2024, 2, 1, 10, 30, 5, 7)), "'2024-02-01T10:30:05.007'"},
        {Value(std::string("a\r\nb")), "N'a\\r\\nb'"},
    };
    for (const Case& c : cases) EXPECT_EQ(db::SqlTrace::literal(c.value), c.literal);
}

}  // namespace
