// The engine beyond the client's own statements: login, errors in SQL Server's words,
// types, collation, dates, variables, procedures, time-outs, several connections, the
// translation cache, and what a killed process leaves behind.

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <random>
#include <thread>

#include "Lexer.h"
#include "Parser.h"
#include "Registry.h"
#include "ServerFixture.h"
#include "SqliteEngine.h"
#include "Translator.h"
#include "tests/support/ThrowMessage.h"
#include "values/DateTimeText.h"

namespace servertest {
namespace {

using values::Value;

// ---- login ------------------------------------------------------------------

TEST(Login, RefusesWrongPasswordAndUnknownUser) {
    TempDir dir;
    std::string path = dir.file("a.db");
    server::Engine::create(path, "qor_w", "Pa55");
    EXPECT_NO_THROW(server::Engine::open(path, "qor_w", "Pa55"));
    EXPECT_NO_THROW(server::Engine::open(path, "QOR_W", "Pa55"));  // login names ignore case
    for (auto [login, password] :
         {std::pair{"qor_w", "pa55"}, std::pair{"nobody", "Pa55"}, std::pair{"qor_w", ""}}) {
        EXPECT_THROW_MSG(server::Engine::open(path, login, password), server::Error,
                         "Login failed for user '" + std::string(login) + "'.");
    }
}

TEST(Login, StoresNoPlainPassword) {
    TempDir dir;
    std::string path = dir.file("a.db");
    server::Engine::create(path, "qor_w", "VerySecretWord");
    auto engine = server::Engine::open(path, "qor_w", "VerySecretWord");
    auto r = engine->execute("SELECT * FROM qor_server_login");
    ASSERT_EQ(r.resultSets[0].rows.size(), 1u);
    for (const auto& v : r.resultSets[0].rows[0])
        EXPECT_EQ(cellText(v).find("VerySecretWord"), std::string::npos);
    EXPECT_EQ(engine->login(), "qor_w");
}

TEST(Login, AddedLoginsOpenAndReplaceTheirPassword) {
    TempDir dir;
    std::string path = dir.file("a.db");
    server::Engine::create(path, "qor_boot", "b00t");
    sqlite3* db = server::SqliteEngine::openFile(path, false);
    server::SqliteEngine::addLogin(db, "qor_t1", "first");
    server::SqliteEngine::addLogin(db, "qor_t1", "second");
    EXPECT_THROW_MSG(server::SqliteEngine::addLogin(db, "", "x"), server::Error,
                     "Login failed for user ''.");
    sqlite3_close(db);
    EXPECT_EQ(server::Engine::open(path, "qor_t1", "second")->login(), "qor_t1");
    EXPECT_THROW_MSG(server::Engine::open(path, "qor_t1", "first"), server::Error,
                     "Login failed for user 'qor_t1'.");
    EXPECT_NO_THROW(server::Engine::open(path, "qor_boot", "b00t"));
}

TEST(Login, MissingFileAndExistingFile) {
    TempDir dir;
    EXPECT_THROW_MSG(server::Engine::open(dir.file("none.db"), "sa", "x"), server::Error,
                     "Cannot open database \"" + dir.file("none.db") +
                         "\" requested by the login. The login failed.");
    server::Engine::create(dir.file("a.db"), "sa", "x");
    EXPECT_THROW_MSG(
        server::Engine::create(dir.file("a.db"), "sa", "x"), server::Error,
        "Database '" + dir.file("a.db") + "' already exists. Choose a different database name.");
}

// ---- errors -----------------------------------------------------------------

struct ErrorCase {
    const char* name;
    std::string sql;
    std::string message;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

class Errors : public ServerTest, public ::testing::WithParamInterface<ErrorCase> {};

TEST_P(Errors, ReadLikeSqlServer) {
    EXPECT_EQ(errorOf(GetParam().sql), GetParam().message) << GetParam().sql;
}

INSTANTIATE_TEST_SUITE_P(
    Server, Errors,
    ::testing::Values(
        ErrorCase{"UnknownTable", "select * from nope", "Invalid object name 'nope'."},
        ErrorCase{"UnknownQualifiedTable", "select * from [QOR].[dbo].[nope]",
                  "Invalid object name 'nope'."},
        ErrorCase{"OtherCatalog", "select * from master.dbo.examination",
                  "Invalid object name 'master.dbo.examination'."},
        ErrorCase{"OtherSchema", "select * from sys.examination",
                  "Invalid object name 'sys.examination'."},
        ErrorCase{"UnknownColumn", "select nope from examination", "Invalid column name 'nope'."},
        ErrorCase{"UnknownQualifiedColumn", "select e.nope from examination e",
                  "Invalid column name 'nope'."},
        ErrorCase{"UnknownInsertColumn", "insert into examination (nope) values (1)",
                  "Invalid column name 'nope'."},
        ErrorCase{"UnknownUpdateColumn", "update examination set nope = 1",
                  "Invalid column name 'nope'."},
        ErrorCase{"AmbiguousColumn",
                  "select id_examination from examination a cross join examination b",
                  "Ambiguous column name 'id_examination'."},
        ErrorCase{"MisspeltKeyword", "selec * from examination", "Incorrect syntax near 'selec'."},
        ErrorCase{"MissingTable", "select * from", "Incorrect syntax near the keyword 'from'."},
        ErrorCase{"EmptyRuleNumber",
                  "SELECT beg_bal, end_bal, id_estimation FROM qor.dbo.ebe where id_ebe_var=",
                  "Incorrect syntax near '='."},
        ErrorCase{"DoubleComma", "EXEC InsertInto_SORT_MARK_MAG 0,21,101,1,5,1,501,1,3,1,,4",
                  "Incorrect syntax near ','."},
        ErrorCase{"StrayParenthesis", "select (1", "Incorrect syntax near '1'."},
        ErrorCase{"UnclosedText", "select 'abc",
                  "Unclosed quotation mark after the character string 'abc'."},
        ErrorCase{"UnclosedComment", "select 1 /* x", "Missing end comment mark '*/'."},
        ErrorCase{"UnknownFunction", "select FOO(1)",
                  "'FOO' is not a recognized built-in function name."},
        ErrorCase{"UnknownProcedure", "EXEC nope_proc 1",
                  "Could not find stored procedure 'nope_proc'."},
        ErrorCase{"UndeclaredVariable", "select @x", "Must declare the scalar variable \"@x\"."},
        ErrorCase{"DivideByZero", "select 1/0", "Divide by zero error encountered."},
        ErrorCase{"TextToInt", "select CAST('abc' AS int)",
                  "Conversion failed when converting the varchar value 'abc' to data type int."},
        ErrorCase{"TextPlusInt", "select 'abc' + 1",
                  "Conversion failed when converting the varchar value 'abc' to data type int."},
        ErrorCase{"BadDate", "select CONVERT(datetime, '32.13.2024', 104)",
                  "Conversion failed when converting date and/or time from character string."},
        ErrorCase{"TooLongText", "insert into t_fio values (9, REPLICATE('x', 61))",
                  "String or binary data would be truncated."},
        ErrorCase{"DuplicateKey", "insert into semester values (21, 'x')",
                  "Violation of PRIMARY KEY or UNIQUE KEY constraint. Cannot insert duplicate key "
                  "in object "
                  "'dbo.semester'."},
        ErrorCase{
            "MissingArgument", "EXEC CreateNewMarkRule",
            "Procedure or function 'CreateNewMarkRule' expects parameter '@RulNum', which was not "
            "supplied."},
        ErrorCase{"TooManyArguments", "EXEC CreateNewMarkRule 1, 2",
                  "Procedure or function CreateNewMarkRule has too many arguments specified."},
        ErrorCase{"UnknownParameter", "EXEC CreateNewMarkRule @nope = 1",
                  "'@nope' is not a parameter for procedure CreateNewMarkRule."},
        ErrorCase{"UnknownTableFunction", "select * from TF_Nope(1)",
                  "Invalid object name 'TF_Nope'."},
        ErrorCase{"MixedAssignment", "declare @a int select @a = 1, 2",
                  "A SELECT statement that assigns a value to a variable must not be combined with "
                  "data-retrieval operations."},
        ErrorCase{"CommitWithoutBegin", "COMMIT",
                  "The COMMIT TRANSACTION request has no corresponding BEGIN TRANSACTION."},
        ErrorCase{"UnknownOption", "SET FOO ON", "Incorrect syntax near 'FOO'."},
        ErrorCase{"BadDateFormat", "SET DATEFORMAT xyz", "'xyz' is an invalid date format."}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(ServerTest, MissingParameterValue) {
    EXPECT_EQ(errorOf("select * from examination where id_examination = ?"),
              "No value given for one or more required parameters.");
}

TEST_F(ServerTest, AFailedBatchStopsAndKeepsEarlierWork) {
    EXPECT_EQ(errorOf("insert into semester values (23, 'a') select * from nope insert into "
                      "semester values (24, 'b')"),
              "Invalid object name 'nope'.");
    EXPECT_EQ(rowTexts(rows("select id_semester from semester where id_semester > 22")),
              std::vector<std::string>{"23"});
}

// Bad SQL of every shape raises Error and never crashes.
TEST_F(ServerTest, RandomTextNeverCrashes) {
    const std::vector<std::string> pieces = {"SELECT",
                                             "*",
                                             "FROM",
                                             "examination",
                                             "WHERE",
                                             "(",
                                             ")",
                                             "=",
                                             "'x'",
                                             "1",
                                             "2.5",
                                             ",",
                                             "+",
                                             "-",
                                             "@v",
                                             "?",
                                             "INSERT",
                                             "INTO",
                                             "VALUES",
                                             "UPDATE",
                                             "SET",
                                             "DELETE",
                                             "EXEC",
                                             "GET_USER",
                                             "TOP",
                                             "UNION",
                                             "ALL",
                                             "CASE",
                                             "WHEN",
                                             "THEN",
                                             "ELSE",
                                             "END",
                                             "CAST",
                                             "AS",
                                             "int",
                                             "varchar(5)",
                                             "CONVERT",
                                             "DECLARE",
                                             "JOIN",
                                             "ON",
                                             "IN",
                                             "NOT",
                                             "NULL",
                                             "IS",
                                             "LIKE",
                                             "[QOR]",
                                             ".",
                                             "dbo",
                                             "GROUP",
                                             "BY",
                                             "ORDER",
                                             "DISTINCT",
                                             "GETDATE()",
                                             "DATEPART",
                                             "YEAR",
                                             "/*",
                                             "*/",
                                             "--",
                                             "\n",
                                             "'",
                                             "[",
                                             "]",
                                             ";",
                                             "1",
                                             "TF_GetEstConfig",
                                             "p30",
                                             "id_examination",
                                             "BEGIN",
                                             "IF",
                                             "RETURN"};
    std::mt19937 rng(28);
    int errors = 0;
    for (int i = 0; i < 1500; ++i) {
        std::string sql;
        int n = 1 + static_cast<int>(rng() % 12);
        for (int k = 0; k < n; ++k) sql += pieces[rng() % pieces.size()] + " ";
        try {
            engine_->execute(sql, std::vector<Value>{std::int64_t{1}, std::string("x")}, 5);
        } catch (const server::Error& e) {
            EXPECT_GT(std::string(e.what()).size(), 0u);
            ++errors;
        }
    }
    EXPECT_GT(errors, 1000);
    // the engine is still fine afterwards
    EXPECT_EQ(rowTexts(rows("select count(*) from examination")), std::vector<std::string>{"4"});
}

TEST(FrontEnd, NestedDerivedTablesTranslateInLinearTime) {
    server::NoSchema schema;
    std::string sql = "select 1 as a";
    for (int i = 0; i < 45; ++i) sql = "select t.a from (" + sql + ") t where t.a = (select 1)";
    auto start = std::chrono::steady_clock::now();
    auto program = server::Translator::translate(sql, schema);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
    EXPECT_EQ(program.ops.size(), 1u);
}

TEST(FrontEnd, DeepNestingIsAnErrorNotACrash) {
    const std::string tooDeep =
        "Some part of your SQL statement is nested too deeply. Rewrite the query or break it "
        "up into smaller queries.";
    std::string sql = "select " + std::string(5000, '(') + "1" + std::string(5000, ')');
    EXPECT_THROW_MSG(server::Parser::parse(sql), server::Error, tooDeep);
    std::string sub = "select 1";
    for (int i = 0; i < 300; ++i) sub = "select * from (" + sub + ") t";
    EXPECT_THROW_MSG(server::Parser::parse(sub), server::Error, tooDeep);
}

// ---- types and values -------------------------------------------------------

TEST_F(ServerTest, ColumnTypesAsTheClientBuildsFields) {
    auto rs = rows(
        "select id_mark_mag, m1, p35, p36, QOR_Update, GETDATE() as now, CAST(m1 AS varchar(12)) "
        "as t, "
        "CONVERT(varchar(10), p36, 104) as d, 'abc' as lit, NULL as n from mark_mag");
    std::vector<values::Type> want = {
        values::Type::Integer,  values::Type::Float,    values::Type::Text, values::Type::DateTime,
        values::Type::DateTime, values::Type::DateTime, values::Type::Text, values::Type::Text,
        values::Type::Text,     values::Type::Integer};
    ASSERT_EQ(rs.columns.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(rs.columns[i].type, want[i]) << rs.columns[i].name;
    EXPECT_EQ(rs.columns[2].size, 50);
    EXPECT_EQ(rs.columns[6].size, 12);
    EXPECT_EQ(rowTexts(rs)[0].substr(0, 39), "1|12|NULL|2024-12-25 00:00:00.000|NULL|");
    EXPECT_EQ(cellText(rs.rows[0][6]), "12");
    EXPECT_EQ(cellText(rs.rows[0][7]), "25.12.2024");
    EXPECT_TRUE(std::holds_alternative<double>(rs.rows[0][1]));
}

TEST_F(ServerTest, ExpressionsWithoutAliasHaveNoName) {
    auto rs = rows("select GETDATE(), 1+1, p30 from examination where id_examination = 1");
    EXPECT_EQ(columnNames(rs), (std::vector<std::string>{"", "", "p30"}));
}

TEST_F(ServerTest, ParametersBindEveryValueType) {
    values::DateTime when = *values::parseIso("2025-01-31 10:20:30.400");
    run("update mark_mag set m1 = ?, p35 = ?, p36 = ?, QOR_Update = ?, m2 = ? where id_mark_mag = "
        "?",
        {2.5, std::string("11-21-101-1"), when, when, Value{}, std::int64_t{1}});
    auto rs = rows("select m1, p35, p36, QOR_Update, m2 from mark_mag where id_mark_mag = ?",
                   {std::int64_t{1}});
    EXPECT_EQ(rowTexts(rs),
              std::vector<std::string>{
                  "2.5|11-21-101-1|2025-01-31 10:20:30.400|2025-01-31 00:00:00.000|NULL"});
    EXPECT_EQ(std::get<values::DateTime>(rs.rows[0][2]), when);
}

// A date stored as 'YYYY-MM-DD' by another writer (SQLite's date()) and one this server
// stored are the same moment to every comparison: the write-back's old-value check finds
// the row, whichever way the value was stored, and a different day still does not match.
TEST_F(ServerTest, StoredDatesCompareAsMomentsWhateverTheirText) {
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
        ASSERT_EQ(sqlite3_exec(db,
                               "UPDATE mark_mag SET QOR_Update = '2025-01-31', "
                               "p36 = '2025-01-31 10:20:30' WHERE id_mark_mag = 1",
                               nullptr, nullptr, nullptr),
                  SQLITE_OK);
        sqlite3_close(db);
    }
    const values::DateTime day = *values::parseIso("2025-01-31 00:00:00.000");
    const values::DateTime moment = *values::parseIso("2025-01-31 10:20:30.000");
    EXPECT_EQ(run("UPDATE mark_mag SET m1 = ? WHERE id_mark_mag = ? AND QOR_Update = ? AND p36 = ?",
                  {13.0, std::int64_t{1}, day, moment})
                  .rowsAffected,
              1);
    EXPECT_EQ(rowTexts(rows("select count(*) from mark_mag where QOR_Update = '2025-01-31' "
                            "and p36 > CONVERT(datetime, '2025-01-31 10:00')")),
              std::vector<std::string>{"1"});
    // now stored by the server, in its own text: the same day still matches, another not
    run("UPDATE mark_mag SET QOR_Update = ? WHERE id_mark_mag = 1", {moment});
    EXPECT_EQ(run("UPDATE mark_mag SET m1 = ? WHERE id_mark_mag = ? AND QOR_Update = ?",
                  {14.0, std::int64_t{1}, day})
                  .rowsAffected,
              1);
    EXPECT_EQ(run("UPDATE mark_mag SET m1 = ? WHERE id_mark_mag = ? AND QOR_Update = ?",
                  {15.0, std::int64_t{1}, *values::parseIso("2025-02-01 00:00:00.000")})
                  .rowsAffected,
              0);
}

TEST_F(ServerTest, ExtremeDateTimesAreErrorsNotOverflows) {
    auto r = run("select ?", {values::DateTime{INT64_MAX}});
    EXPECT_EQ(rowTexts(r.resultSets[0]), std::vector<std::string>{"9999-12-31 23:59:59.999"});
    EXPECT_EQ(errorOf("select CAST(1e300 AS datetime)"),
              "Arithmetic overflow error converting expression to data type datetime.");
    EXPECT_EQ(errorOf("select CAST('01.01.1700' AS datetime)"),
              "Conversion failed when converting date and/or time from character string.");
    EXPECT_EQ(errorOf("select DATEADD(year, 9000, GETDATE())"),
              "Adding a value to a 'datetime' column caused an overflow.");
}

TEST_F(ServerTest, WriteBackOfTheDatasetLayer) {
    // ADO's default update criteria: key plus the old value of each changed column
    auto r = run("UPDATE mark_mag SET m1 = ? WHERE id_mark_mag = ? AND m1 = ?",
                 {15.0, std::int64_t{1}, 12.0});
    EXPECT_EQ(r.rowsAffected, 1);
    r = run("UPDATE mark_mag SET m1 = ? WHERE id_mark_mag = ? AND m1 = ?",
            {16.0, std::int64_t{1}, 12.0});
    EXPECT_EQ(r.rowsAffected, 0);
    r =
        run("INSERT INTO QORTeacher (id_teacher, id_qor_login) VALUES (?, ?) SELECT "
            "SCOPE_IDENTITY() AS id",
            {std::int64_t{9}, std::int64_t{19}});
    EXPECT_EQ(r.rowsAffected, 1);
    ASSERT_EQ(r.resultSets.size(), 1u);
    EXPECT_EQ(rowTexts(r.resultSets[0]), std::vector<std::string>{"3"});
    run("INSERT INTO poseshal (id_poseshal, poseshal) VALUES (?, ?)",
        {std::int64_t{7}, std::string("болен")});
    r = run("INSERT INTO QOR_LOG ([table], row_id) VALUES (?, ?) SELECT @@IDENTITY",
            {std::string("mark_mag"), std::int64_t{1}});
    EXPECT_EQ(rowTexts(r.resultSets[0]), std::vector<std::string>{"1"});
    EXPECT_EQ(run("DELETE FROM poseshal WHERE id_poseshal = ?", {std::int64_t{7}}).rowsAffected, 1);
}

TEST_F(ServerTest, TextComparesWithoutCaseForCyrillicAndLatin) {
    EXPECT_EQ(rowTexts(rows("select id_examination from examination where P30 = 'экзамен'")),
              std::vector<std::string>{"1"});
    EXPECT_EQ(rowTexts(rows("select id_examination from examination where p30 = 'ЗАЧЕТ'")),
              std::vector<std::string>{"2"});
    // the Latin c of "Курc/пр" is not the Cyrillic с
    EXPECT_EQ(rowTexts(rows("select id_examination from examination where P30 = 'КУРС/ПР'")),
              std::vector<std::string>{});
    EXPECT_EQ(rowTexts(rows("select id_examination from examination where P30 = 'КУРC/ПР'")),
              std::vector<std::string>{"3"});
    EXPECT_EQ(rowTexts(rows("select s_fio from s_fio order by s_fio")),
              (std::vector<std::string>{"Алексеева Анна", "борисов Борис", "Иванов Иван"}));
    EXPECT_EQ(rowTexts(rows("select s_fio from s_fio where s_fio like 'БОР%'")),
              std::vector<std::string>{"борисов Борис"});
    EXPECT_EQ(rowTexts(rows("select s_fio from s_fio where s_fio like '[аб]%' order by 1")),
              (std::vector<std::string>{"Алексеева Анна", "борисов Борис"}));
    EXPECT_EQ(rowTexts(rows("select count(*) from s_fio where UPPER(s_fio) = 'ИВАНОВ ИВАН' and "
                            "LOWER(s_fio) = 'иванов иван' and 'Abc' = 'aBC  '")),
              std::vector<std::string>{"1"});
    // leading blanks count: " н/п" is not "н/п"
    EXPECT_EQ(rowTexts(rows("select id_estimation from estimation where p31 = 'н/п'")),
              std::vector<std::string>{});
    EXPECT_EQ(rowTexts(rows("select id_estimation from estimation where p31 = ' Н/П'")),
              std::vector<std::string>{"6"});
}

TEST_F(ServerTest, PlusConcatenatesTextAndAddsNumbers) {
    EXPECT_EQ(
        rowTexts(rows(
            "select 'a' + 'b', 1 + 2, '1' + 2, 1.5 + 1, 'x' + NULL, p30 + '!' from examination "
            "where id_examination = 2")),
        std::vector<std::string>{"ab|3|3|2.5|NULL|Зачет!"});
    EXPECT_EQ(rowTexts(rows("select 7 / 2, 7 % 3, 7.0 / 2")), std::vector<std::string>{"3|1|3.5"});
}

TEST_F(ServerTest, DatesFollowDateFormatAndStyles) {
    run("SET DATEFORMAT dmy");
    run("update mark_mag set p36 = '05.03.2025'");
    EXPECT_EQ(rowTexts(rows("select p36 from mark_mag")),
              std::vector<std::string>{"2025-03-05 00:00:00.000"});
    EXPECT_EQ(
        rowTexts(rows(
            "select count(*) from mark_mag where p36 = '05.03.2025' and p36 > '01/03/2025' and "
            "p36 < '2025-04-01'")),
        std::vector<std::string>{"1"});
    run("SET DATEFORMAT mdy");
    EXPECT_EQ(rowTexts(rows("select CAST('05/03/2025' AS datetime)")),
              std::vector<std::string>{"2025-05-03 00:00:00.000"});
    EXPECT_EQ(rowTexts(rows(
                  "select CONVERT(datetime, '05.03.2025', 104), CONVERT(varchar(10), "
                  "CONVERT(datetime, '2025-03-05 13:14:15'), 104), DATEPART(month, '2025-03-05'), "
                  "DATEPART(dw, '2026-12-10'), YEAR(CONVERT(datetime, '05.03.2025', 104))")),
              std::vector<std::string>{"2025-03-05 00:00:00.000|05.03.2025|3|5|2025"});
    EXPECT_EQ(
        rowTexts(rows(
            "select DATEADD(day, 7, CONVERT(datetime, '28.02.2025', 104)), "
            "DATEDIFF(day, '2025-02-28', '2025-03-07'), CONVERT(datetime, '28.02.2025', 104) + 1")),
        std::vector<std::string>{"2025-03-07 00:00:00.000|7|2025-03-01 00:00:00.000"});
    auto now = rows("select GETDATE(), DATEPART(YEAR, GETDATE())");
    EXPECT_EQ(std::get<std::int64_t>(now.rows[0][1]), currentYear());
}

TEST_F(ServerTest, DateTimeTextRoundTrips) {
    for (const char* text : {"1900-01-01 00:00:00.000", "2024-02-29 23:59:59.997",
                             "1753-01-01 00:00:00.000", "9999-12-31 23:59:59.999"}) {
        auto t = values::parseIso(text);
        ASSERT_TRUE(t) << text;
        EXPECT_EQ(values::formatIso(*t), text);
    }
    EXPECT_EQ(values::parseIso("1900-01-02")->msecs, 86'400'000);
    EXPECT_FALSE(values::parseIso("2023-02-29"));
    EXPECT_FALSE(values::parseDateText("31.04.2024", "dmy", 104));
    EXPECT_EQ(values::formatStyle(*values::parseIso("2026-12-10 13:05:00"), -1),
              "Dec 10 2026  1:05PM");
}

// ---- the dialect, statement by statement ----------------------------------------

struct DialectCase {
    const char* name;
    std::string sql;
    std::vector<std::string> rows;  // of the last result set
};

void PrintTo(const DialectCase& c, std::ostream* os) {
    *os << c.name;
}

class Dialect : public ServerTest, public ::testing::WithParamInterface<DialectCase> {};

TEST_P(Dialect, MeansWhatSqlServerMeans) {
    auto r = run(GetParam().sql);
    ASSERT_FALSE(r.resultSets.empty()) << GetParam().sql;
    EXPECT_EQ(rowTexts(r.resultSets.back()), GetParam().rows) << GetParam().sql;
}

INSTANTIATE_TEST_SUITE_P(
    Server, Dialect,
    ::testing::Values(
        DialectCase{"TopWithOrder",
                    "select top 2 id_student from s_fio order by id_student desc",
                    {"1003", "1002"}},
        DialectCase{
            "TopInParentheses", "select top (1) p31 from estimation order by p31", {" н/п"}},
        DialectCase{"TopZero", "select top 0 * from s_fio", {}},
        DialectCase{"Distinct", "select distinct id_group from s_fio", {"11"}},
        DialectCase{"DistinctIgnoresCase",
                    "select count(*) from (select distinct p from (select 'А' as p union all "
                    "select 'а') x) y",
                    {"1"}},
        DialectCase{"UnionAllKeepsDuplicates",
                    "select 1 as a union all select 1 union all select 2",
                    {"1", "1", "2"}},
        DialectCase{"UnionRemovesDuplicates",
                    "select 1 as a union select 1 union select 2 order by a",
                    {"1", "2"}},
        DialectCase{
            "TopInsideUnion",
            "select top 1 id_student from s_fio union all select top 1 id_teacher from t_fio",
            {"1001", "5"}},
        DialectCase{"LeftJoin",
                    "select k.sn_f1, r.id_rrnkKrdt from kafedra k left outer join RRNKkrdt r on "
                    "r.id_kafedra = "
                    "k.id_kafedra and r.prov_reyt < 0 order by k.id_kafedra",
                    {"ВМ|43", "Ф|NULL"}},
        DialectCase{"CrossJoin", "select count(*) from semester cross join f_est", {"6"}},
        DialectCase{
            "CommaJoin", "select count(*) from semester s, f_est f where f.id_f_e = 1", {"2"}},
        DialectCase{"GroupByHaving",
                    "select id_kafedra, count(*) as n from RRNKkrdt group by id_kafedra having "
                    "count(*) > 1",
                    {"31|2"}},
        DialectCase{"InSubquery",
                    "select s_fio from s_fio where id_student in (select id_student from mark_mag)",
                    {"Иванов Иван"}},
        DialectCase{"NotExists",
                    "select count(*) from s_fio s where not exists (select * from mark_mag m where "
                    "m.id_student = "
                    "s.id_student)",
                    {"2"}},
        DialectCase{
            "DerivedTable", "select t.n from (select count(*) as n from s_fio) as t", {"3"}},
        DialectCase{"ScalarSubquery",
                    "select (select max(u_god) from a_year) - (select min(u_god) from a_year)",
                    {"11"}},
        DialectCase{"SimpleCase",
                    "select case id_f_e when 1 then 'main' when 9 then 'fx' else 'other' end from "
                    "f_est order by "
                    "id_f_e",
                    {"main", "fx", "other"}},
        DialectCase{"IsNullAndCoalesce",
                    "select ISNULL(NULL, 5), COALESCE(NULL, NULL, 'x'), NULLIF(1, 1)",
                    {"5|x|NULL"}},
        DialectCase{"BetweenAndLike",
                    "select count(*) from s_fio where id_student between 1001 and 1002 and s_fio "
                    "not like '%БОРИС%'",
                    {"2"}},
        DialectCase{
            "StringFunctions",
            "select LEN('abc  '), SUBSTRING('Иванов', 2, 3), LEFT('Иванов', 2), RIGHT('Иванов', "
            "2), "
            "LTRIM('  a'), RTRIM('a  ') + '|', REPLACE('a-b', '-', '+'), CHARINDEX('в', 'Иванов'), "
            "UPPER('ёж')",
            {"3|ван|Ив|ов|a|a||a+b|2|ЁЖ"}},
        DialectCase{
            "Numbers",
            "select ROUND(2.567, 2), FLOOR(2.5), CEILING(2.1), ABS(-3), POWER(2, 10), 10 % 4",
            {"2.57|2|3|3|1024|2"}},
        DialectCase{
            "CastAndConvert",
            "select CAST(12.0 AS varchar(10)), CAST('42' AS int) + 1, CAST(7 AS float) / 2, "
            "CONVERT(varchar(3), 'abcdef'), CAST(2.9 AS int)",
            {"12|43|3.5|abc|2"}},
        DialectCase{
            "BracketedNames",
            "select [P30] as [Вид контроля] from [dbo].[examination] where [id_examination] = 2",
            {"Зачет"}},
        DialectCase{"AliasEqualsForm",
                    "select name = p43 from semester where id_semester = 22",
                    {"Весенний"}},
        DialectCase{
            "ThreePartColumns",
            "select dbo.semester.p43 from qor..semester where qor.dbo.semester.id_semester = 21",
            {"Осенний"}},
        DialectCase{
            "UpdateWithJoin",
            "update s_fio set id_group = 12 from s_fio s inner join mark_mag m on m.id_student = "
            "s.id_student select id_student, id_group from s_fio order by id_student",
            {"1001|12", "1002|11", "1003|11"}},
        DialectCase{"DeleteTop", "delete top (2) from s_fio select count(*) from s_fio", {"1"}},
        DialectCase{"InsertDefaultValues",
                    "insert into QOR_LOG default values select count(*), max(row_id) from QOR_LOG",
                    {"1|NULL"}},
        DialectCase{"InsertWithoutColumnList",
                    "insert into QORTeacher values (9, 99) select id_qor_teacher, id_teacher from "
                    "QORTeacher where "
                    "id_qor_login = 99",
                    {"3|9"}},
        DialectCase{
            "CommentsAndNoSemicolons",
            "-- the first\nselect 1 as a /* a block\n over lines */ select 2 as b; select 3 as c",
            {"3"}},
        DialectCase{"NStrings", "select N'Привет' + N' мир'", {"Привет мир"}},
        DialectCase{"SystemFunctions",
                    "select * from s_fio select DB_NAME(), SUSER_SNAME(), @@ROWCOUNT",
                    {"QOR|sa|3"}},
        DialectCase{"UpdateByAlias",
                    "update s set id_group = 13 from s_fio s where s.id_student = 1003 select "
                    "id_group from s_fio "
                    "where id_student = 1003",
                    {"13"}}),
    [](const auto& test) { return std::string(test.param.name); });

// ---- variables and control flow ---------------------------------------------

TEST_F(ServerTest, VariablesDeclareSetAndSelect) {
    auto r =
        run("DECLARE @n int, @s varchar(5) = 'abcdefg' SET @n = 40 SET @n += 2 "
            "DECLARE @cnt int SELECT @cnt = COUNT(*) FROM s_fio "
            "DECLARE @last varchar(70) SELECT @last = s_fio FROM s_fio ORDER BY id_student "
            "SELECT @n AS n, @s AS s, @cnt AS cnt, @last AS last");
    ASSERT_EQ(r.resultSets.size(), 1u);
    EXPECT_EQ(rowTexts(r.resultSets[0]), std::vector<std::string>{"42|abcde|3|борисов Борис"});
    EXPECT_EQ(r.resultSets[0].columns[1].type, values::Type::Text);
    // no rows leave the variable as it was
    r = run("DECLARE @v int SET @v = 5 SELECT @v = id_student FROM s_fio WHERE 1 = 0 SELECT @v");
    EXPECT_EQ(rowTexts(r.resultSets[0]), std::vector<std::string>{"5"});
}

TEST_F(ServerTest, AFailedStatementLeavesTheTransactionOpen) {
    run("BEGIN TRANSACTION");
    EXPECT_NE(errorOf("INSERT INTO semester VALUES (21, 'dup')"), "(no error)");
    run("INSERT INTO semester VALUES (60, 'kept')");
    run("COMMIT TRANSACTION");
    EXPECT_EQ(rowTexts(rows("select id_semester from semester where id_semester >= 21 order by 1")),
              (std::vector<std::string>{"21", "22", "60"}));
    EXPECT_EQ(errorOf("ROLLBACK TRANSACTION"),
              "The ROLLBACK TRANSACTION request has no corresponding BEGIN TRANSACTION.");
}

TEST_F(ServerTest, IfBeginEndAndTransactions) {
    auto r =
        run("IF EXISTS (SELECT * FROM semester WHERE id_semester = 21) BEGIN SELECT 'yes' END ELSE "
            "SELECT 'no'");
    EXPECT_EQ(rowTexts(r.resultSets[0]), std::vector<std::string>{"yes"});
    run("BEGIN TRAN INSERT INTO semester VALUES (30, 'x') ROLLBACK");
    EXPECT_EQ(rowTexts(rows("select count(*) from semester where id_semester = 30")),
              std::vector<std::string>{"0"});
    run("BEGIN TRANSACTION INSERT INTO semester VALUES (31, 'x') COMMIT TRANSACTION");
    EXPECT_EQ(rowTexts(rows("select count(*) from semester where id_semester = 31")),
              std::vector<std::string>{"1"});
}

// ---- procedures -------------------------------------------------------------

TEST_F(ServerTest, ProcedureOutputsReturnValuesAndNumbers) {
    server::Parameter a{"@a", values::Type::Integer, 0, std::nullopt, false};
    server::Parameter b{"@b", values::Type::Integer, 0, Value{std::int64_t{10}}, false};
    server::Parameter sum{"@sum", values::Type::Integer, 0, Value{}, true};
    engine_->registry().addProcedure({"AddUp", 1, {a, b, sum}, [](server::ProcedureContext& ctx) {
                                          std::int64_t s = std::get<std::int64_t>(ctx.arg("@a")) +
                                                           std::get<std::int64_t>(ctx.arg("@b"));
                                          ctx.setOutput("@sum", s);
                                          ctx.setReturnValue(s * 2);
                                      }});
    engine_->registry().addProcedure({"AddUp", 2, {a}, [](server::ProcedureContext& ctx) {
                                          ctx.setReturnValue(
                                              -std::get<std::int64_t>(ctx.arg("@a")));
                                      }});
    auto r = run("DECLARE @r int, @s int EXEC @r = AddUp 1, @sum = @s OUTPUT SELECT @r, @s");
    EXPECT_EQ(rowTexts(r.resultSets[0]), std::vector<std::string>{"22|11"});
    r = run("EXECUTE [dbo].[AddUp];2 @a = '5'");
    EXPECT_EQ(r.returnValue, -5);
    std::vector<values::Argument> args = {{"@RETURN_VALUE", Value{}, values::Type::Integer, true},
                                          {"@a", std::int64_t{2}, values::Type::Integer, false},
                                          {"@b", std::int64_t{3}, values::Type::Integer, false},
                                          {"@sum", Value{}, values::Type::Integer, true}};
    r = engine_->callProcedure("qor.dbo.AddUp;1", args);
    EXPECT_EQ(r.returnValue, 10);
    EXPECT_EQ(cellText(args[0].value), "10");
    EXPECT_EQ(cellText(args[3].value), "5");
    EXPECT_EQ(errorOf("EXEC AddUp 'abc'"), "Error converting data type varchar to int.");
}

TEST_F(ServerTest, ProcedureErrorUndoesItsWrites) {
    engine_->registry().addProcedure({"Fails", 1, {}, [](server::ProcedureContext& ctx) {
                                          ctx.run("INSERT INTO semester VALUES (40, 'x')");
                                          throw server::Error("Нет прав на изменение.");
                                      }});
    EXPECT_EQ(errorOf("EXEC Fails"), "Нет прав на изменение.");
    EXPECT_EQ(rowTexts(rows("select count(*) from semester where id_semester = 40")),
              std::vector<std::string>{"0"});
}

TEST_F(ServerTest, ComputedViewsAndGlobalRegistry) {
    engine_->registry().addView("v_Numbers", [](server::ProcedureContext&) {
        values::ResultSet rs;
        rs.columns = {{"n", values::Type::Integer, 0}, {"name", values::Type::Text, 10}};
        rs.rows = {{std::int64_t{1}, std::string("Один")}, {std::int64_t{2}, std::string("два")}};
        return rs;
    });
    auto rs = rows(
        "select v.name, e.P30 from dbo.v_Numbers v inner join examination e on e.id_examination = "
        "v.n "
        "where v.name = 'ОДИН'");
    EXPECT_EQ(rowTexts(rs), std::vector<std::string>{"Один|Экзамен"});
    EXPECT_EQ(rs.columns[0].size, 10);
}

// ---- time-out ---------------------------------------------------------------

TEST_F(ServerTest, ExceededTimeOutRaises) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW_MSG(
        engine_->execute(
            "select count(*) from s_fio a cross join s_fio b cross join s_fio c cross join s_fio d "
            "cross join t_fio e cross join examination f cross join estimation g cross join "
            "a_year h cross join kafedra i cross join sem_login j cross join sem_login k cross "
            "join "
            "sem_login l cross join sem_login m cross join sem_login n",
            {}, 1),
        server::Error, "Query timeout expired");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(rowTexts(rows("select count(*) from s_fio")), std::vector<std::string>{"3"});
}

// ---- several connections, killed processes -------------------------------------

TEST_F(ServerTest, TwoConnectionsShareOneFile) {
    auto other = server::Engine::open(path_, "sa", "secret");
    run("insert into semester values (50, 'общий')");
    auto r = other->execute("select p43 from semester where id_semester = 50");
    EXPECT_EQ(rowTexts(r.resultSets[0]), std::vector<std::string>{"общий"});
    other->execute("BEGIN TRAN UPDATE semester SET p43 = 'занят' WHERE id_semester = 50");
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        other->execute("COMMIT");
    });
    // the writer waits for the lock instead of failing at once
    run("UPDATE semester SET p43 = 'второй' WHERE id_semester = 50");
    release.join();
    EXPECT_EQ(rowTexts(rows("select p43 from semester where id_semester = 50")),
              std::vector<std::string>{"второй"});
}

TEST(Durability, AKilledProcessLosesNothingCommitted) {
    TempDir dir;
    std::string path = dir.file("kill.db");
    server::Engine::create(path, "sa", "pw");
    {
        auto e = server::Engine::open(path, "sa", "pw");
        e->execute("CREATE TABLE marks (id int IDENTITY(1,1) PRIMARY KEY, student int, m1 float)");
    }
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(ready[0]);
        try {
            auto e = server::Engine::open(path, "sa", "pw");
            for (int i = 1; i <= 50; ++i)
                e->execute("INSERT INTO marks (student, m1) VALUES (?, ?)",
                           std::vector<Value>{std::int64_t{i}, static_cast<double>(i) / 2});
            e->execute(
                "BEGIN TRAN INSERT INTO marks (student, m1) VALUES (999, 0)");  // never committed
            char ok = 'k';
            if (write(ready[1], &ok, 1) != 1) _exit(3);
            for (;;) pause();
        } catch (...) {
            _exit(2);
        }
    }
    close(ready[1]);
    char got = 0;
    ASSERT_EQ(read(ready[0], &got, 1), 1);
    close(ready[0]);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    auto e = server::Engine::open(path, "sa", "pw");
    auto r = e->execute("SELECT COUNT(*), SUM(m1), MAX(student) FROM marks");
    EXPECT_EQ(rowTexts(r.resultSets[0]), std::vector<std::string>{"50|637.5|50"});
}

// ---- translation cache --------------------------------------------------------

TEST_F(ServerTest, CreateTableKeepsItsConstraints) {
    run("CREATE TABLE plan (id int IDENTITY(1,1) NOT NULL, CONSTRAINT PK_plan PRIMARY KEY "
        "CLUSTERED (id), "
        "code varchar(10) NOT NULL CHECK (LEN(code) > 1), id_semester int, hours int DEFAULT 0, "
        "CONSTRAINT UQ_plan UNIQUE (code, id_semester), "
        "CONSTRAINT FK_plan FOREIGN KEY (id_semester) REFERENCES semester (id_semester), CHECK "
        "(hours >= 0))");
    run("INSERT INTO plan (code, id_semester) VALUES ('ab', 21)");
    EXPECT_EQ(rowTexts(rows("select id, code, hours from plan")),
              std::vector<std::string>{"1|ab|0"});
    EXPECT_EQ(errorOf("INSERT INTO plan (code, id_semester) VALUES ('AB', 21)"),
              "Violation of PRIMARY KEY or UNIQUE KEY constraint. Cannot insert duplicate key in "
              "object 'dbo.plan'.");
    EXPECT_EQ(errorOf("INSERT INTO plan (code, id_semester) VALUES ('x', 21)"),
              "The statement conflicted with a CHECK constraint in database \"QOR\".");
    EXPECT_EQ(errorOf("INSERT INTO plan (code, id_semester, hours) VALUES ('cd', 21, -1)"),
              "The statement conflicted with a CHECK constraint in database \"QOR\".");
    EXPECT_EQ(errorOf("INSERT INTO plan (code, id_semester) VALUES ('ef', 99)"),
              "The statement conflicted with a FOREIGN KEY constraint in database \"QOR\".");
    EXPECT_EQ(
        errorOf("INSERT INTO plan (id_semester) VALUES (21)"),
        "Cannot insert the value NULL into column 'code', table 'QOR.dbo.plan'; column does not "
        "allow nulls.");
}

TEST_F(ServerTest, ViewsKeepTheTypesOfTheirExpressions) {
    run("CREATE VIEW marks_v AS SELECT id_mark_mag, CONVERT(datetime, '01.09.2025', 104) AS since, "
        "CAST(m1 AS varchar(8)) AS mark, m1 * 2 AS twice FROM mark_mag");
    for (const char* sql :
         {"select * from marks_v", "select since, mark, twice, id_mark_mag from marks_v v"}) {
        auto rs = rows(sql);
        std::map<std::string, values::Column> cols;
        for (const auto& c : rs.columns) cols[c.name] = c;
        EXPECT_EQ(cols["since"].type, values::Type::DateTime) << sql;
        EXPECT_EQ(cols["mark"].type, values::Type::Text) << sql;
        EXPECT_EQ(cols["mark"].size, 8) << sql;
        EXPECT_EQ(cols["id_mark_mag"].type, values::Type::Integer) << sql;
        ASSERT_EQ(rs.rows.size(), 1u);
        EXPECT_TRUE(std::holds_alternative<values::DateTime>(rs.rows[0][0]) ||
                    std::holds_alternative<values::DateTime>(rs.rows[0][1]))
            << sql;
    }
    run("DROP VIEW marks_v");
    EXPECT_EQ(errorOf("select * from marks_v"), "Invalid object name 'marks_v'.");
}

TEST_F(ServerTest, TranslationsAreCachedByExactText) {
    std::size_t before = engine_->cachedTranslations();
    run("select * from examination where id_examination = ?", {std::int64_t{1}});
    run("select * from examination where id_examination = ?", {std::int64_t{2}});
    EXPECT_EQ(engine_->cachedTranslations(), before + 1);
    run("select * from examination where id_examination =  ?", {std::int64_t{2}});
    EXPECT_EQ(engine_->cachedTranslations(), before + 2);
    // a schema change drops the cache; a batch that changes the schema is never cached
    run("CREATE TABLE extra (id int)");
    EXPECT_EQ(engine_->cachedTranslations(), 0u);
    run("select * from extra");
    run("insert into extra values (1)");
    EXPECT_EQ(rowTexts(rows("select * from extra")), std::vector<std::string>{"1"});
}

TEST(FrontEnd, PrintsSqliteForTheCommonShapes) {
    server::NoSchema schema;
    auto p = server::Translator::translate("select TOP 3 [a] from [QOR].[dbo].[t] order by a desc",
                                           schema);
    ASSERT_EQ(p.ops.size(), 1u);
    EXPECT_EQ(p.ops[0].sql.text, "SELECT \"a\" FROM \"t\" ORDER BY \"a\" DESC LIMIT 3");
    p = server::Translator::translate("select 1 select 2; select 3 -- c\n/* x /* nested */ */",
                                      schema);
    EXPECT_EQ(p.ops.size(), 3u);
    auto tokens = server::Lexer::tokenize("N'it''s' [a]]b] @v ? 1.5e3");
    EXPECT_EQ(tokens[0].text, "it's");
    EXPECT_EQ(tokens[1].text, "a]b");
    EXPECT_EQ(tokens[2].kind, server::TokenKind::Variable);
    EXPECT_EQ(tokens[3].kind, server::TokenKind::Placeholder);
    EXPECT_EQ(tokens[4].kind, server::TokenKind::Decimal);
}

}  // namespace
}  // namespace servertest
