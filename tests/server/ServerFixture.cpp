#include "ServerFixture.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

#include "BatchScript.h"
#include "values/DateTimeText.h"

namespace servertest {

using values::Value;

TempDir::TempDir() {
    std::random_device rd;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info ? std::string(info->test_suite_name()) + "_" + info->name() : "qor28";
    for (char& c : name)
        if (c == '/') c = '_';
    path_ = std::filesystem::temp_directory_path() /
            ("qor28_server_" + name + "_" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

int currentYear() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_year + 1900;
}

std::string fixtureSchema() {
    const int y = currentYear();
    auto year = [&](int d) { return std::to_string(y + d); };
    return R"(
CREATE TABLE QORTeacher (id_qor_teacher int IDENTITY(1,1) PRIMARY KEY, id_teacher int, id_qor_login int)
CREATE TABLE VuzDefaults (id_vuz_defaults int PRIMARY KEY, id_field int, n_field varchar(200))
CREATE TABLE a_year (id_a_year int PRIMARY KEY, p32 varchar(20), u_god int)
CREATE TABLE examination (id_examination int PRIMARY KEY, P30 varchar(30), typeExamZach int)
CREATE TABLE estimation (id_estimation int PRIMARY KEY, p31 varchar(30))
CREATE TABLE semester (id_semester int PRIMARY KEY, p43 varchar(30))
CREATE TABLE f_est (id_f_e int PRIMARY KEY, p109 varchar(30), sessiya int)
CREATE TABLE discipline (id_discipline int PRIMARY KEY, p34 varchar(90))
CREATE TABLE t_fio (id_teacher int PRIMARY KEY, t_fio varchar(60))
CREATE TABLE s_fio (id_student int PRIMARY KEY, s_fio varchar(70), id_group int)
CREATE TABLE poseshal (id_poseshal int PRIMARY KEY, poseshal varchar(50))
CREATE TABLE g_r_y (p32 varchar(20))
CREATE TABLE g_sem (id_sem int, sem varchar(30))
CREATE TABLE gr_sem_disc_exam (id_discipline int, p34 varchar(90))
CREATE TABLE [group] (id_group int PRIMARY KEY, p20 varchar(20), id_f_educ int, isSelect int)
CREATE TABLE g_s (id_g_s int PRIMARY KEY, id_group int, id_faculty int, id_speciality int, id_ebe_var int)
CREATE TABLE ebe (id_ebe int IDENTITY(1,1) PRIMARY KEY, id_ebe_var int, beg_bal float, end_bal float, id_estimation int)
CREATE TABLE EstimationOther (id_estimation_other int PRIMARY KEY, id_ebe_var int, Estimation_Other varchar(10))
CREATE TABLE est_config (id_est_config int IDENTITY(1,1) PRIMARY KEY, id_ebe_var int, order_pole int,
    name_pole varchar(50), info_or_value int, pole_mark_mag varchar(10), formula varchar(200),
    [min] float, [max] float, id_f_est int NOT NULL DEFAULT 1)
CREATE TABLE rrnk (id_rrnk int PRIMARY KEY, id_group int, id_teacher int, id_educ_sh int, id_ebe_var int)
CREATE TABLE educ_sh (id_educ_sh int PRIMARY KEY, id_discipline int, id_semester int, id_examination int)
CREATE TABLE RRNKkrdt (id_rrnkKrdt int PRIMARY KEY, subgroup int, id_teacher int, id_a_year int,
    id_w_s int, id_kafedra int, id_examination int, id_discipline int, kredit int, prov_reyt int,
    id_ebe_var int, id_f_educ int)
CREATE TABLE kafedra (id_kafedra int PRIMARY KEY, f1 varchar(100), sn_f1 varchar(20))
CREATE TABLE DisciplineForStudent (id_dfs int PRIMARY KEY, id_teacher int, id_discipline int,
    subgroup int, id_a_year int, kredits int)
CREATE TABLE T_MarkMagModulCopyAccess (id int IDENTITY(1,1) PRIMARY KEY, id_f_est int, id_modul int,
    id_ebe_var int, doCopy int)
CREATE TABLE IndividualModulPermissPotok (id int IDENTITY(1,1) PRIMARY KEY, id_teacher int,
    id_year int, id_discipline int, id_modul int, begDate datetime, endDate datetime, vid_rrnk int,
    id_rrnk_all int, id_f_e int, id_w_s int, subgroup int, id_ebe_var int)
CREATE TABLE QOR_LOG (id_log int IDENTITY(1,1) PRIMARY KEY, [table] varchar(50), row_id int,
    descr varchar(2000), QOR_User varchar(50), comp varchar(300), u_date datetime DEFAULT GETDATE())
CREATE TABLE mark_mag (id_mark_mag int IDENTITY(1,1) PRIMARY KEY, id_group int, id_student int,
    id_examination int, id_estimation int, id_discipline int, id_semester int, id_teacher int,
    p35 varchar(50), p36 datetime, id_f_est int, m1 float, m2 float, m3 float, m4 float, dop float,
    ball float, QOR_User varchar(20), QOR_Update date, CanEdit int, id_ebe_var int, id_poseshal int)
CREATE TABLE sem_login (id_sem int, isSelect int, id_a_year int, id_login int, sem varchar(30), ws_sort int)
CREATE VIEW f_QOR28_sem AS SELECT id_sem, isSelect, id_a_year, id_login, sem, ws_sort FROM sem_login
CREATE TABLE f_QOR28_disc (id_discipline int, kredit int, id_login int, id_a_year int, id_sem int, isSelect int)
CREATE TABLE f_QOR28_exam (id_examination int, kredit int, id_login int, id_a_year int, id_sem int,
    isSelect int, id_discipline int)
CREATE TABLE f_QOR28_gr_potok (id_gr_potok int, gr_potok varchar(30), isSelect int, id_teacher int,
    id_login int, id_a_year int, id_sem int, id_discipline int, id_examination int, kredit int)
CREATE VIEW GetMinMaxBalForEstimation AS
    SELECT e.beg_bal, e.end_bal, e.id_estimation, g.id_speciality FROM ebe e
    INNER JOIN g_s g ON g.id_ebe_var = e.id_ebe_var
GO
INSERT INTO QORTeacher (id_teacher, id_qor_login) VALUES (5, 7)
INSERT INTO QORTeacher (id_teacher, id_qor_login) VALUES (6, 8)
INSERT INTO VuzDefaults VALUES (22, NULL, 'http://reports.example'), (23, 1, NULL), (28, 1, NULL),
    (29, 1, NULL), (37, 14, NULL)
INSERT INTO a_year VALUES (1, ')" +
           year(-7) + "/" + year(-6) + R"(', )" + year(-7) + R"(),
    (2, ')" +
           year(-5) + "/" + year(-4) + R"(', )" + year(-5) + R"(),
    (3, ')" +
           year(0) + "/" + year(1) + R"(', )" + year(0) + R"(),
    (4, ')" +
           year(3) + "/" + year(4) + R"(', )" + year(3) + R"(),
    (5, ')" +
           year(4) + "/" + year(5) + R"(', )" + year(4) + R"()
INSERT INTO examination VALUES (1, 'Экзамен', 1), (2, 'Зачет', 2), (3, 'Курc/пр', 1), (4, 'Курс/раб', 1)
INSERT INTO estimation VALUES (1, 'н/у'), (2, 'зачет'), (3, 'удов'), (4, 'хор'), (5, 'отл'), (6, ' н/п')
INSERT INTO semester VALUES (21, 'Осенний'), (22, 'Весенний')
INSERT INTO f_est VALUES (1, 'Основная', 0), (9, 'FX', 1), (10, 'I', 1)
INSERT INTO discipline VALUES (101, 'Математика'), (102, 'Физика')
INSERT INTO t_fio VALUES (5, 'Петров П.П.'), (6, 'Сидоров С.С.')
INSERT INTO s_fio VALUES (1001, 'Иванов Иван', 11), (1002, 'Алексеева Анна', 11), (1003, 'борисов Борис', 11)
INSERT INTO poseshal VALUES (0, ''), (1, 'не допущен')
INSERT INTO g_r_y VALUES ('2024/2025')
INSERT INTO g_sem VALUES (21, 'Осенний')
INSERT INTO gr_sem_disc_exam VALUES (101, 'Математика')
INSERT INTO [group] VALUES (11, 'ИВТ-21', 1, 0), (501, 'Поток 1', 1, 1)
INSERT INTO g_s VALUES (1, 11, 2, 61, 12)
INSERT INTO ebe (id_ebe_var, beg_bal, end_bal, id_estimation) VALUES (12, 0, 51, 1), (12, 51, 71, 3),
    (12, 71, 86, 4), (12, 86, 101, 5)
INSERT INTO EstimationOther VALUES (1, 12, 'н/я'), (2, 13, 'ат')
INSERT INTO est_config (id_ebe_var, order_pole, name_pole, info_or_value, pole_mark_mag, formula, [max], id_f_est)
    VALUES (12, 1, 'КТ 1', 1, 'm1', NULL, 30, 1), (12, 2, 'КТ 2', 1, 'm2', NULL, 30, 1),
    (12, 3, 'КТ 3', 1, 'm3', NULL, 40, 1), (12, 4, 'Общий балл', 0, 'ball1', 'm1+m2+m3', NULL, 1),
    (12, 5, 'Балл FX', 1, 'm12', NULL, 20, 9)
INSERT INTO rrnk VALUES (1, 11, 5, 71, 12)
INSERT INTO educ_sh VALUES (71, 101, 21, 1)
INSERT INTO RRNKkrdt VALUES (41, 501, 5, 3, 21, 31, 1, 101, 4, 0, NULL, 1),
    (42, 501, 5, 3, 21, 32, 1, 101, 4, 0, NULL, 2), (43, 501, 5, 3, 21, 31, 1, 101, 4, -1, 12, 1)
INSERT INTO kafedra VALUES (31, 'Кафедра высшей математики', 'ВМ'), (32, 'Кафедра физики', 'Ф')
INSERT INTO DisciplineForStudent VALUES (1, 5, 101, 501, 3, 4)
INSERT INTO sem_login VALUES (21, 0, 3, 7, 'Осенний', 2), (21, 1, 3, 7, 'Осенний (потоки)', 3),
    (22, 0, 3, 7, 'Весенний', 1), (21, 0, 2, 7, 'старый', 1), (21, 0, 3, 8, 'чужой', 1)
INSERT INTO f_QOR28_disc VALUES (101, 4, 7, 3, 21, 0), (102, 2, 7, 3, 21, 1), (101, 4, 8, 3, 21, 0)
INSERT INTO f_QOR28_exam VALUES (1, 4, 7, 3, 21, 0, 101), (2, 4, 7, 3, 21, 0, 102)
INSERT INTO f_QOR28_gr_potok VALUES (11, 'ИВТ-21', 0, 5, 7, 3, 21, 101, 1, 4),
    (11, 'ИВТ-21', 0, 5, 7, 3, 21, 101, 1, 4), (12, 'ИВТ-22', 0, 5, 7, 3, 21, 101, 1, 4)
INSERT INTO mark_mag (id_group, id_student, id_examination, id_estimation, id_discipline, id_semester,
    id_teacher, p35, p36, id_f_est, m1, m2, m3, ball, QOR_User, CanEdit, id_ebe_var, id_poseshal)
    VALUES (11, 1001, 1, NULL, 101, 21, 5, NULL, '2024-12-25', 1, 12, 20, 30, 62, 'ivanov', 1, 12, 0)
)";
}

namespace {

server::Parameter param(const char* name, values::Type type, int size = 0,
                        std::optional<Value> def = std::nullopt) {
    server::Parameter p;
    p.name = name;
    p.type = type;
    p.size = size;
    p.defaultValue = std::move(def);
    return p;
}

}  // namespace

void registerFixtureObjects(server::Engine& engine) {
    using values::Type;
    auto& r = engine.registry();
    const Value null{};

    // the user check: the technical login runs it; answers one row
    r.addProcedure(
        {"GET_USER",
         1,
         {param("@login", Type::Text, 50), param("@digest", Type::Text, 32),
          param("@newDigest", Type::Text, 32, null), param("@program", Type::Text, 20),
          param("@address", Type::Text, 20), param("@computer", Type::Text, 255),
          param("@login2", Type::Text, 50), param("@flag", Type::Text, 1),
          param("@length", Type::Text, 5)},
         [](server::ProcedureContext& ctx) {
             values::ResultSet rs;
             rs.columns = {{"l", Type::Text, 20},    {"p", Type::Text, 20},
                           {"id", Type::Integer, 0}, {"state", Type::Integer, 0},
                           {"msg", Type::Text, 200}, {"version", Type::Integer, 0}};
             bool ok =
                 std::get<std::string>(ctx.arg("@login")) == "ivanov" &&
                 std::get<std::string>(ctx.arg("@digest")) == "0CC175B9C0F1B6A831C399E269772661";
             if (ok)
                 rs.rows.push_back({std::string("pqs^v"), std::string("r`ss"), std::int64_t{7},
                                    std::int64_t{25}, std::string(), std::int64_t{29}});
             else
                 rs.rows.push_back({std::string(), std::string(), std::int64_t{0}, std::int64_t{25},
                                    std::string("Неверно ввели логин или пароль."),
                                    std::int64_t{29}});
             ctx.addResultSet(std::move(rs));
         }});

    r.addProcedure(
        {"SP_GetActiveFEst",
         1,
         {param("@id_a_year", Type::Integer), param("@id_semesterOrWs", Type::Text, 10),
          param("@forPotok", Type::Integer), param("@id_discipline", Type::Integer),
          param("@subgroup", Type::Integer), param("@id_faculty", Type::Integer),
          param("@id_speciality", Type::Integer), param("@id_teacher", Type::Integer),
          param("@id_ebe_var", Type::Integer),
          param("@kredits", Type::Integer, 0, Value{std::int64_t{0}}),
          param("@id_examination", Type::Integer, 0, Value{std::int64_t{-1}})},
         [](server::ProcedureContext& ctx) {
             Value forPotok = ctx.arg("@forPotok");
             auto res = ctx.run(
                 "SELECT id_f_e, p109 FROM f_est WHERE sessiya = 0 OR ? = 1 ORDER BY id_f_e",
                 std::vector<Value>{forPotok});
             ctx.addResultSet(std::move(res.resultSets.at(0)));
         }});

    r.addProcedure(
        {"InsertInto_SORT_MARK_MAG",
         1,
         {param("@group", Type::Integer), param("@semester", Type::Integer),
          param("@discipline", Type::Integer), param("@examination", Type::Integer),
          param("@id_teacher", Type::Integer), param("@one", Type::Integer),
          param("@subgroup", Type::Integer), param("@isPotok", Type::Integer),
          param("@id_a_year", Type::Integer), param("@id_f_est", Type::Integer),
          param("@id_ebe_var", Type::Integer), param("@kredit", Type::Integer)},
         [](server::ProcedureContext& ctx) {
             std::vector<Value> p = {
                 ctx.arg("@group"),      ctx.arg("@examination"),  ctx.arg("@discipline"),
                 ctx.arg("@semester"),   ctx.arg("@id_teacher"),   ctx.arg("@id_f_est"),
                 ctx.arg("@id_ebe_var"), std::string(ctx.login()), ctx.arg("@group")};
             ctx.run(
                 "INSERT INTO mark_mag (id_group, id_student, id_examination, id_discipline, "
                 "id_semester, id_teacher, id_f_est, id_ebe_var, QOR_User, CanEdit, id_poseshal) "
                 "SELECT ?, s.id_student, ?, ?, ?, ?, ?, ?, ?, 1, 0 FROM s_fio s "
                 "WHERE s.id_group = ? AND NOT EXISTS (SELECT * FROM mark_mag m "
                 "WHERE m.id_student = s.id_student)",
                 p);
         }});

    r.addProcedure(
        {"SORT_MARK_MAG",
         1,
         {param("@group", Type::Integer, 0, null), param("@semester", Type::Integer, 0, null),
          param("@discipline", Type::Integer, 0, null),
          param("@examination", Type::Integer, 0, null),
          param("@id_teacher", Type::Integer, 0, null), param("@DoNotShowEst", Type::Text, 1, null),
          param("@subGroup", Type::Integer, 0, null),
          param("@isGetFromSubGroup", Type::Integer, 0, null), param("@id_a_year", Type::Text, 1),
          param("@id_ebe_var", Type::Integer), param("@id_kafedra", Type::Integer),
          param("@id_f_est", Type::Integer), param("@kredits", Type::Integer)},
         [](server::ProcedureContext& ctx) {
             auto res = ctx.run(
                 "SELECT 0 AS k_count, m.*, g.p20, 1 AS rec_no FROM mark_mag m "
                 "INNER JOIN [group] g ON g.id_group = m.id_group "
                 "WHERE m.id_group = ? AND m.id_semester = ? AND m.id_discipline = ? "
                 "ORDER BY m.id_student",
                 std::vector<Value>{ctx.arg("@group"), ctx.arg("@semester"),
                                    ctx.arg("@discipline")});
             ctx.addResultSet(std::move(res.resultSets.at(0)));
             ctx.setReturnValue(0);
         }});

    auto modules = [](server::ProcedureContext& ctx) {
        auto res = ctx.run(
            "SELECT order_pole AS id_modul, CASE WHEN order_pole = 2 THEN 0 ELSE 1 END "
            "AS CanEdit FROM est_config WHERE id_ebe_var = ? AND pole_mark_mag LIKE 'M%' "
            "AND id_f_est = ? ORDER BY order_pole",
            std::vector<Value>{ctx.arg("@id_ebe_var"), ctx.arg("@id_f_e")});
        ctx.addResultSet(std::move(res.resultSets.at(0)));
    };
    r.addProcedure({"LoadModulsInfo",
                    1,
                    {param("@id_a_year", Type::Integer), param("@id_semester", Type::Integer),
                     param("@id_group", Type::Integer), param("@id_teacher", Type::Integer),
                     param("@id_discipline", Type::Integer), param("@id_faculty", Type::Integer),
                     param("@id_f_educ", Type::Integer), param("@id_ebe_var", Type::Integer),
                     param("@id_f_e", Type::Integer), param("@id_speciality", Type::Integer)},
                    modules});
    r.addProcedure({"LoadModulsInfoP",
                    1,
                    {param("@id_a_year", Type::Integer), param("@id_semester", Type::Integer),
                     param("@id_ebe_var", Type::Integer), param("@forPotok", Type::Integer),
                     param("@id_teacher", Type::Integer), param("@id_discipline", Type::Integer),
                     param("@subgroup", Type::Integer), param("@id_f_e", Type::Integer),
                     param("@kredits", Type::Integer), param("@id_examination", Type::Integer),
                     param("@id_group", Type::Integer)},
                    modules});

    r.addProcedure({"CreateNewMarkRule",
                    1,
                    {param("@RulNum", Type::Integer)},
                    [](server::ProcedureContext& ctx) {
                        ctx.run(
                            "INSERT INTO ebe (id_ebe_var, beg_bal, end_bal, id_estimation) "
                            "VALUES (?, 0, 0, 0)",
                            std::vector<Value>{ctx.arg("@RulNum")});
                        ctx.setReturnValue(0);
                    }});

    r.addTableFunction(
        {"TF_GetEstConfig",
         {param("@id_ebe_var", Type::Integer), param("@id_f_est", Type::Integer)},
         [](server::ProcedureContext& ctx) {
             auto res = ctx.run(
                 "SELECT id_est_config, id_ebe_var, order_pole, name_pole, "
                 "info_or_value, pole_mark_mag, formula, [min], [max], id_f_est "
                 "FROM est_config WHERE id_ebe_var = ? AND (id_f_est = 1 OR id_f_est = ?)",
                 std::vector<Value>{ctx.arg("@id_ebe_var"), ctx.arg("@id_f_est")});
             return std::move(res.resultSets.at(0));
         }});
}

void ServerTest::SetUp() {
    path_ = dir_.file("qor.db");
    server::Engine::create(path_, "sa", "secret");
    engine_ = server::Engine::open(path_, "sa", "secret");
    registerFixtureObjects(*engine_);
    for (const auto& batch : server::BatchScript::split(fixtureSchema())) engine_->execute(batch);
}

values::BatchResult ServerTest::run(const std::string& batch, std::vector<Value> params) {
    return engine_->execute(batch, params);
}

values::ResultSet ServerTest::rows(const std::string& batch, std::vector<Value> params) {
    auto r = engine_->execute(batch, params);
    EXPECT_EQ(r.resultSets.size(), 1u) << batch;
    if (r.resultSets.empty()) return {};
    return r.resultSets[0];
}

std::string ServerTest::errorOf(const std::string& batch, std::vector<Value> params) {
    try {
        engine_->execute(batch, params);
    } catch (const server::Error& e) {
        return e.what();
    }
    return "(no error)";
}

}  // namespace servertest
