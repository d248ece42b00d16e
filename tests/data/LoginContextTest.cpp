#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>
#include <vector>

#include "data/LoginContext.h"
#include "data/SignInProgress.h"
#include "data/TDM_ZOL_3.h"
#include "db/Error.h"
#include "server/Engine.h"
#include "tests/support/ThrowMessage.h"

namespace {

// A small server database with the tables the login context reads. The names are
// spelt the way the grading logic must tell apart: a Latin c in "Курc/пр", a leading
// blank in " н/п", upper case in "ЗАЧЕТ".
struct Fixture {
    QTemporaryDir dir;
    std::string connectionString;

    explicit Fixture(int minShareField, bool cyrillicCourseProject = false,
                     bool notAdmittedWithoutBlank = false) {
        const std::string file = dir.filePath(QStringLiteral("qor.db")).toStdString();
        server::Engine::create(file, "qor_user", "pw");
        connectionString =
            "Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=qor_user;"
            "Initial Catalog=QOR;Data Source=" +
            file;
        db::Connection c;
        c.open(connectionString);
        const std::string courseProject = cyrillicCourseProject ? "Курс/пр" : "Курc/пр";
        const std::string notAdmitted = notAdmittedWithoutBlank ? "н/п" : " н/п";
        const std::vector<std::string> script = {
            "CREATE TABLE examination (id_examination int PRIMARY KEY, P30 varchar(30))",
            "INSERT INTO examination VALUES (11,'Экзамен'),(12,'Итог/оценка'),(13,'ЗАЧЕТ'),"
            "(14,'" +
                courseProject +
                "'),(15,'Курс/раб'),(16,'Диф/зачет'),(17,'аттестация'),"
                "(18,'Экзамен 2')",
            "CREATE TABLE estimation (id_estimation int PRIMARY KEY, p31 varchar(30))",
            "INSERT INTO estimation VALUES (21,'н/у'),(22,'Зачет'),(23,'удов'),(24,'хор'),"
            "(25,'отл'),(26,'н/ат'),(27,'ат'),(28,'н/я'),(29,'" +
                notAdmitted +
                "'),(30,'-'),"
                "(31,'н/з'),(32,'хор.')",
            "CREATE TABLE VuzDefaults (id_vuz_defaults int PRIMARY KEY, id_field int)",
            "INSERT INTO VuzDefaults VALUES (27, 1), (28, " + std::to_string(minShareField) +
                "), (29, 5)",
            "CREATE TABLE QORTeacher (id_teacher int PRIMARY KEY, id_qor_login int)",
            "INSERT INTO QORTeacher VALUES (7, 3)",
            "CREATE TABLE semester (id_semester int PRIMARY KEY, p43 varchar(30))",
            "INSERT INTO semester VALUES (1, 'осенний')",
            "CREATE TABLE f_est (id_f_e int PRIMARY KEY, p109 varchar(30), sessiya int)",
            "INSERT INTO f_est VALUES (1, 'основная', 0)",
            "CREATE TABLE a_year (id_a_year int PRIMARY KEY, p32 varchar(20), u_god int)",
            "INSERT INTO a_year VALUES (1, '2000-2001', 2000), "
            "(2, 'this year', DATEPART(YEAR, GETDATE())), "
            "(3, 'plus 3', DATEPART(YEAR, GETDATE()) + 3), (4, 'plus 4', DATEPART(YEAR, GETDATE()) "
            "+ 4)",
            "CREATE TABLE discipline (id_discipline int PRIMARY KEY, p34 varchar(90))",
            "INSERT INTO discipline VALUES (1, 'Математика')",
        };
        for (const std::string& sql : script) c.execute(sql);
    }
};

// Writes down what the loading tells the sign-in window, in order: S shown, + one step,
// R turned red.
struct Progress : data::SignInProgress {
    std::string told;
    void show() override { told += 'S'; }
    void advance() override { told += '+'; }
    void turnRed() override { told += 'R'; }
};

class LoginContextTest : public testing::Test {
  protected:
    void SetUp() override { data::loginContext() = {}; }
    void TearDown() override { data::loginContext() = {}; }

    void signIn(data::TDM_ZOL_3& dm, const Fixture& f, int loginId) {
        dm.ADO_ZOL.open(f.connectionString);
        data::loginContext().LoginId = loginId;
        data::LoadLoginContext(dm, progress);
    }

    Progress progress;
};

TEST_F(LoginContextTest, FillsTheIdsByExactNameIgnoringCaseAndOpensTheLookups) {
    Fixture f(1);
    data::TDM_ZOL_3 dm;
    signIn(dm, f, 3);
    const data::LoginContext& c = data::loginContext();
    EXPECT_EQ(c.TeacherId, 7);
    EXPECT_GT(c.ServerDate.msecs, 0);
    EXPECT_TRUE(c.MinShareRule);
    const std::vector<std::pair<std::int32_t, std::int32_t>> ids = {
        {c.KindExamId, 11},          {c.KindTotalId, 12},      {c.KindCreditId, 13},
        {c.KindCourseProjectId, 14}, {c.KindCourseWorkId, 15}, {c.KindGradedCreditId, 16},
        {c.KindAttestationId, 17},   {c.GradeFailId, 21},      {c.GradeCreditId, 22},
        {c.GradeSatisfactoryId, 23}, {c.GradeGoodId, 24},      {c.GradeExcellentId, 25},
        {c.GradeNotAttestedId, 26},  {c.GradeAttestedId, 27},  {c.GradeAbsentId, 28},
        {c.GradeNotAdmittedId, 29},  {c.GradeDashId, 30},      {c.GradeNoCreditId, 31}};
    for (std::size_t i = 0; i < ids.size(); ++i) {
        EXPECT_EQ(ids[i].first, ids[i].second) << "item " << i;
    }

    for (db::Dataset* open : {&dm.ADOQ_estimation, &dm.ADOTSemestr, &dm.ADOT_f_est,
                              &dm.ADOQ_Examination, &dm.ADOQ_Year, &dm.ADOQuery1}) {
        EXPECT_TRUE(open->active());
    }
    EXPECT_FALSE(dm.ADOQ_Exec.active());
    EXPECT_FALSE(dm.ADOQ_VuzDefaults.active());
    // The query text stays for the later read of row 29.
    EXPECT_EQ(dm.ADOQ_VuzDefaults.sql(),
              " SELECT [id_vuz_defaults],[id_field] FROM [QOR].[dbo].[VuzDefaults] WHERE "
              "id_vuz_defaults IN (28,29)");
    EXPECT_EQ(dm.ADOQ_Exam, nullptr);
    EXPECT_EQ(dm.ADOQ_Estim, nullptr);

    // The years strictly between this year - 6 and this year + 4.
    std::vector<std::string> years;
    for (dm.ADOQ_Year.first(); !dm.ADOQ_Year.eof(); dm.ADOQ_Year.next())
        years.push_back(dm.ADOQ_Year.field("p32").asString());
    EXPECT_EQ(years, (std::vector<std::string>{"this year", "plus 3"}));

    // Shown, eight steps, red, and one step more: 9 of the 14 steps, in red.
    EXPECT_EQ(progress.told, "S++++++++R+");
}

TEST_F(LoginContextTest, NamesThatDifferInAnythingButCaseDoNotMatch) {
    Fixture f(0, /*cyrillicCourseProject=*/true, /*notAdmittedWithoutBlank=*/true);
    data::TDM_ZOL_3 dm;
    signIn(dm, f, 3);
    EXPECT_EQ(data::loginContext().KindCourseProjectId, 0);
    EXPECT_EQ(data::loginContext().GradeNotAdmittedId, 0);
    EXPECT_EQ(data::loginContext().KindCourseWorkId, 15);
}

TEST_F(LoginContextTest, ALoginWithoutATeacherRowHasTeacherIdZero) {
    Fixture f(0);
    data::TDM_ZOL_3 dm;
    signIn(dm, f, 99);
    EXPECT_EQ(data::loginContext().TeacherId, 0);
}

struct MinShareCase {
    bool before;
    int idField;
    bool after;
};

class MinShareRuleTest : public LoginContextTest,
                         public testing::WithParamInterface<MinShareCase> {};

TEST_P(MinShareRuleTest, Row28DecidesOnlyFor0And1) {
    const MinShareCase c = GetParam();
    Fixture f(c.idField);
    data::TDM_ZOL_3 dm;
    data::loginContext().MinShareRule = c.before;
    signIn(dm, f, 3);
    EXPECT_EQ(data::loginContext().MinShareRule, c.after);
}

INSTANTIATE_TEST_SUITE_P(Cases, MinShareRuleTest,
                         testing::Values(MinShareCase{false, 0, false},
                                         MinShareCase{false, 1, true},
                                         MinShareCase{false, 2, false},
                                         MinShareCase{true, 0, false}, MinShareCase{true, 2, true}),
                         [](const testing::TestParamInfo<MinShareCase>& p) {
                             return std::string(p.param.before ? "WasTrue" : "WasFalse") +
                                    "IdField" + std::to_string(p.param.idField);
                         });

TEST_F(LoginContextTest, AServerErrorReachesTheCallerUnchangedAndTheBarKeepsItsPlace) {
    Fixture f(1);
    {
        db::Connection c;
        c.open(f.connectionString);
        c.execute("DROP TABLE discipline");
    }
    data::TDM_ZOL_3 dm;
    dm.ADO_ZOL.open(f.connectionString);
    data::loginContext().LoginId = 3;
    EXPECT_THROW_MSG(data::LoadLoginContext(dm, progress), db::Error,
                     "Invalid object name 'discipline'.");
    // Stopped where the failing query stands: 8 steps, shown.
    EXPECT_EQ(progress.told, "S++++++++R");
    EXPECT_EQ(data::loginContext().TeacherId, 7);  // filled before the failure
    // The helper queries were not reached and are still there for the next attempt.
    EXPECT_NE(dm.ADOQ_Exam, nullptr);
}

}  // namespace
