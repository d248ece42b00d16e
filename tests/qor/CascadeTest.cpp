// The sign-in's lookups and the sheet selection cascade, with the statements the client
// sends, for the demo teachers.

#include <algorithm>
#include <set>

#include "QorFixture.h"

namespace qortest {
namespace {

std::string semesters(int year, int login) {
    return "Select  * , ([id_sem]*10+[isSelect]) as id_sem_Temp from qor.[dbo].[f_QOR28_sem] "
           "where id_a_year=" +
           std::to_string(year) + " AND id_login=" + std::to_string(login) + " order by ws_sort";
}

std::string disciplines(int login, int year, int sem, int isSelect) {
    return std::string("SELECT p34 +") + "' {'" + "+ CAST(d.kredit as varchar) +" + "'}'" +
           "as p34 ,d.id_discipline,d.id_discipline*10+d.kredit as id, kredit  " +
           " FROM [qor].[dbo].[f_QOR28_disc] d " + " inner join [qor].[dbo].[discipline] dd " +
           " on d.id_discipline=dd.id_discipline " + " where id_login = " + std::to_string(login) +
           " and id_a_year =" + std::to_string(year) + " and id_sem =" + std::to_string(sem) +
           " and isSelect =" + std::to_string(isSelect);
}

std::string exams(int login, int year, int sem, int isSelect, int discipline, int kredit) {
    return "SELECT p30,e.id_examination, e.kredit FROM [qor].[dbo].[f_QOR28_exam] e inner join "
           "qor.dbo.examination ee on e.id_examination=ee.id_examination where  id_login=" +
           std::to_string(login) + " and  id_a_year=" + std::to_string(year) +
           " and  id_sem=" + std::to_string(sem) + " and isSelect=" + std::to_string(isSelect) +
           " and id_discipline=" + std::to_string(discipline) +
           " and kredit=" + std::to_string(kredit);
}

std::string groups(int login, int year, int sem, int discipline, int exam, int isSelect,
                   int kredit) {
    return " SELECT distinct id_gr_potok,gr_potok,isSelect,id_teacher FROM "
           "[QOR].[dbo].[f_QOR28_gr_potok] f  WHERE f.id_login =" +
           std::to_string(login) + " AND f.id_a_year =" + std::to_string(year) +
           " AND f.id_sem =" + std::to_string(sem) +
           " AND f.id_discipline =" + std::to_string(discipline) +
           " AND f.id_examination = " + std::to_string(exam) +
           " AND f.isSelect=" + std::to_string(isSelect) +
           " AND f.kredit =" + std::to_string(kredit);
}

TEST_F(DemoTest, SignInLookupsFindEveryKindAndGrade) {
    auto kinds = column(rows("select * from examination"), "P30");
    for (const char* k :
         {"Экзамен", "Итог/оценка", "Зачет", "Курc/пр", "Курс/раб", "Диф/зачет", "Аттестация"})
        EXPECT_NE(std::find(kinds.begin(), kinds.end(), k), kinds.end()) << k;
    // the course project's fourth character is the Latin c
    EXPECT_NE(std::find(kinds.begin(), kinds.end(),
                        "\xd0\x9a\xd1\x83\xd1\x80"
                        "c/\xd0\xbf\xd1\x80"),
              kinds.end());
    auto grades = rowTexts(rows("select id_estimation, p31 from estimation"));
    for (const char* g : {"11|н/у", "2|зачет", "3|удов", "4|хор", "5|отл", "16|н/ат", "17|ат",
                          "8|н/я", "9| н/п", "12|-", "10|н/з"})
        EXPECT_NE(std::find(grades.begin(), grades.end(), g), grades.end()) << g;
    EXPECT_EQ(rows("select p31 from estimation where id_estimation = 25").rows.size(), 1u);
    auto years = column(rows("SELECT     id_a_year, p32 FROM         qor.dbo.a_year WHERE     "
                             "(u_god > DATEPART(YEAR, GETDATE()) - 6) AND (u_god < "
                             "DATEPART(YEAR, GETDATE()) + 4) "),
                        "id_a_year");
    EXPECT_NE(std::find(years.begin(), years.end(), std::to_string(year_)), years.end());
    EXPECT_EQ(rowTexts(rows(" SELECT [id_vuz_defaults],[id_field] FROM [QOR].[dbo].[VuzDefaults] "
                            "WHERE id_vuz_defaults IN (28,29)")),
              (std::vector<std::string>{"28|0", "29|1"}));
    for (int row : {22, 23, 37})
        EXPECT_EQ(rows("Select *  FROM [QOR].[dbo].[VuzDefaults] Where id_vuz_defaults=" +
                       std::to_string(row))
                      .rows.size(),
                  1u);
    EXPECT_EQ(rowTexts(rows("select TOP 1 id_teacher from QORTeacher where id_qor_login = 1")),
              std::vector<std::string>{"1"});
}

TEST_F(DemoTest, SemesterIsListedOnceForGroupsAndOnceForStreams) {
    auto rs = rows(semesters(year_, 1));
    EXPECT_EQ(column(rs, "id_sem_Temp"), (std::vector<std::string>{"10", "11", "20"}));
    EXPECT_EQ(column(rs, "isSelect"), (std::vector<std::string>{"0", "1", "0"}));
    // another teacher's login id shows nothing to this login, and the teacher with groups
    // only gets no stream entry
    EXPECT_TRUE(rows(semesters(year_, 2)).rows.empty());
    auto sultanov = signIn("b.sultanov");
    auto own = sultanov->execute(semesters(year_, 2)).resultSets[0];
    EXPECT_EQ(column(own, "id_sem_Temp"), std::vector<std::string>{"10"});
}

TEST_F(DemoTest, DisciplineWithTwoCreditCountsLeadsToTwoSheets) {
    auto rs = rows(disciplines(1, year_, 1, 0));
    auto names = column(rs, "p34");
    EXPECT_NE(std::find(names.begin(), names.end(), "Базы данных {3}"), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), "Базы данных {4}"), names.end());
    auto ids = column(rs, "id");
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), rs.rows.size());
    // each credit count has its own assessment and its own group; the same discipline of
    // another teacher's group stays hidden
    EXPECT_EQ(rowTexts(rows(exams(1, year_, 1, 0, 1, 3))), std::vector<std::string>{"Экзамен|1|3"});
    EXPECT_EQ(rowTexts(rows(groups(1, year_, 1, 1, 1, 0, 3))),
              std::vector<std::string>{"1|ИС-24-1|0|1"});
    EXPECT_EQ(rowTexts(rows(groups(1, year_, 1, 1, 1, 0, 4))),
              std::vector<std::string>{"3|ВТ-24-1|0|1"});
    auto sultanov = signIn("b.sultanov");
    EXPECT_EQ(rowTexts(sultanov->execute(groups(2, year_, 1, 1, 1, 0, 3)).resultSets[0]),
              std::vector<std::string>{"2|ИС-24-2|0|2"});
}

TEST_F(DemoTest, MainTeacherHasEveryAssessmentKind) {
    std::set<std::string> kinds;
    for (int isSelect : {0, 1}) {
        auto discs = rows(disciplines(1, year_, 1, isSelect));
        for (const auto& row : discs.rows) {
            auto e =
                rows(exams(1, year_, 1, isSelect, static_cast<int>(std::get<std::int64_t>(row[1])),
                           static_cast<int>(std::get<std::int64_t>(row[3]))));
            for (const auto& k : column(e, "p30")) kinds.insert(k);
        }
    }
    EXPECT_EQ(kinds, (std::set<std::string>{"Экзамен", "Итог/оценка", "Зачет", "Курc/пр",
                                            "Курс/раб", "Диф/зачет", "Аттестация"}));
}

TEST_F(DemoTest, GroupRuleFromThePlanOrFromTheGroup) {
    auto plan = rows(
        " Select * from qor.dbo.rrnk  INNER JOIN dbo.educ_sh ON dbo.RRNK.id_educ_sh = "
        "dbo.educ_sh.id_educ_sh  WHERE id_group=1 AND dbo.rrnk.id_teacher=1 AND "
        "dbo.educ_sh.id_discipline = 1 AND dbo.educ_sh.id_semester=1 AND "
        "dbo.educ_sh.id_examination=1");
    EXPECT_EQ(column(plan, "id_ebe_var"), std::vector<std::string>{"101"});
    // АиСД of group 3 names no rule in the plan: the group's own rule applies
    plan = rows(
        " Select * from qor.dbo.rrnk  INNER JOIN dbo.educ_sh ON dbo.RRNK.id_educ_sh = "
        "dbo.educ_sh.id_educ_sh  WHERE id_group=3 AND dbo.rrnk.id_teacher=1 AND "
        "dbo.educ_sh.id_discipline = 4 AND dbo.educ_sh.id_semester=1 AND "
        "dbo.educ_sh.id_examination=3");
    EXPECT_EQ(column(plan, "id_ebe_var"), std::vector<std::string>{"NULL"});
    EXPECT_EQ(column(rows(" select * from qor.dbo.g_s  where id_group=3"), "id_ebe_var"),
              std::vector<std::string>{"105"});
    EXPECT_EQ(column(rows("Select * from g_s where id_group=3"), "id_speciality"),
              std::vector<std::string>{"2"});
    EXPECT_EQ(column(rows("Select * From [QOR].[dbo].[group] Where id_group = 3"), "id_f_educ"),
              std::vector<std::string>{"1"});
    // bands of a speciality, for a sheet that names no rule
    EXPECT_FALSE(rows("SELECT beg_bal, end_bal, id_estimation FROM GetMinMaxBalForEstimation "
                      "WHERE id_speciality = 2")
                     .rows.empty());
}

TEST_F(DemoTest, StreamOfTwoDepartmentsAndStreamWithoutRule) {
    const std::string y = std::to_string(year_);
    auto rs = rows(groups(1, year_, 1, 6, 1, 1, 5));
    EXPECT_EQ(rowTexts(rs), std::vector<std::string>{"101|Поток 101|1|1"});
    auto departments = rows(
        " Select distinct id_kafedra FROM qor.dbo.RRNKkrdt  WHERE subgroup=101 "
        "AND id_teacher=1 AND id_a_year=" +
        y + " AND id_w_s=1 AND id_examination=1 AND id_discipline=6 AND kredit=5");
    EXPECT_EQ(departments.rows.size(), 2u);
    auto list = rows(
        " Select distinct Kafedra.f1,kafedra.id_Kafedra from Kafedra  Inner Join "
        "RRNKkrdt On Kafedra.id_kafedra=RRNKkrdt.id_kafedra Where Kafedra.id_kafedra "
        "in(Select id_kafedra from qor.dbo.RRNKkrdt  WHERE subgroup=101 AND "
        "id_teacher=1 AND id_a_year=" +
        y + " AND id_w_s=1)");
    EXPECT_EQ(list.rows.size(), 2u);
    auto picked = rows(
        " Select top 1 id_kafedra,id_a_year,id_ebe_var from qor.dbo.RRNKkrdt  WHERE "
        "subgroup=101 AND id_teacher=1 AND id_a_year=" +
        y +
        " AND id_w_s=1 AND id_kafedra=2 AND id_examination=1 AND "
        "id_discipline=6 ORDER BY id_rrnkKrdt");
    EXPECT_EQ(rowTexts(picked), std::vector<std::string>{"2|" + y + "|107"});
    auto rule = [&](int stream, int exam, int disc, int kredit) {
        return rowTexts(
            rows(" SELECT id_kafedra,id_a_year,id_ebe_var,id_f_educ FROM qor.dbo.RRNKkrdt  WHERE "
                 "id_rrnkkrdt IN ( SELECT min(id_rrnkKrdt)  FROM qor.dbo.RRNKkrdt WHERE subgroup=" +
                 std::to_string(stream) + " AND id_teacher=1 AND id_a_year=" + y +
                 " AND id_w_s=1 AND id_examination=" + std::to_string(exam) +
                 " AND id_discipline=" + std::to_string(disc) +
                 " AND kredit=" + std::to_string(kredit) + " AND prov_reyt >= 0 )"));
    };
    EXPECT_EQ(rule(101, 1, 6, 5), std::vector<std::string>{"1|" + y + "|107|1"});
    EXPECT_EQ(rule(102, 6, 7, 3), std::vector<std::string>{"1|" + y + "|NULL|1"});
}

TEST_F(DemoTest, SheetFormsOnOfferAndRuleRowsPerForm) {
    auto forms = [&](int rule) {
        auto r = ivanova_->execute("EXEC SP_GetActiveFEst " + std::to_string(year_) +
                                   ", '1', 0, 1, 1, 1, 1, -1, " + std::to_string(rule) + ", 0, -1");
        return column(r.resultSets.at(0), "p109");
    };
    EXPECT_EQ(forms(101), (std::vector<std::string>{"Ведомость", "Ведомость FX", "Ведомость I",
                                                    "Только Просмотр"}));
    EXPECT_EQ(forms(103), (std::vector<std::string>{"Ведомость", "Только Просмотр"}));
    EXPECT_EQ(rowTexts(rows("SELECT id_f_e, sessiya FROM f_est WHERE id_f_e IN (1, 9)")),
              (std::vector<std::string>{"1|0", "9|1"}));
    // the FX form keeps the ordinary control points and has its own mark and total
    auto fx = rows("SELECT * FROM TF_GetEstConfig(101,9)");
    EXPECT_EQ(column(fx, "pole_mark_mag"),
              (std::vector<std::string>{"m1", "m2", "m3", "dop", "", "m12", "ball1"}));
    EXPECT_EQ(column(fx, "formula").back(), "MIN(M1+M2+M12+DOP,100)");
    auto ordinary = rows("SELECT * FROM TF_GetEstConfig(101,1)");
    EXPECT_EQ(column(ordinary, "pole_mark_mag"),
              (std::vector<std::string>{"m1", "m2", "m3", "dop", "", "ball1"}));
    EXPECT_EQ(column(rows("SELECT EstimationOther.* \nFROM qor.dbo.EstimationOther\nWHERE "
                          "EstimationOther.id_ebe_var = 101\n"),
                     "Estimation_Other")
                  .size(),
              3u);
}

// Statements of the sheet, the entry checks, the commands and the structure editor that
// read plain tables: each answers with the rows the demo has for it.
TEST_F(DemoTest, OtherClientStatementsAnswer) {
    const std::string y = std::to_string(year_);
    const std::pair<std::string, std::size_t> statements[] = {
        {"SELECT beg_bal, end_bal, id_estimation FROM qor.dbo.ebe where id_ebe_var=101", 5},
        {"SELECT beg_bal, end_bal, id_estimation FROM GetMinMaxBalForEstimation WHERE "
         "id_speciality = 1",
         9},
        {"Select typeExamZach from examination where id_examination=2", 1},
        {"SELECT id_field FROM VuzDefaults WHERE     (id_vuz_defaults = 37)", 1},
        {"Select id_field from qor.dbo.VuzDefaults where id_vuz_defaults=23", 1},
        {"SELECT    id_poseshal, poseshal\nFROM       poseshal", 4},
        {"select * from s_fio", 69},
        {"select * from t_fio", 4},
        {" Select top 0 [id_est_config],[id_ebe_var],[order_pole],[name_pole],[info_or_value],"
         "[pole_mark_mag]  ,[formula],[min],[max],[id_f_est] FROM qor.dbo.est_config ",
         0},
        {"SELECT SUM([max]) as Sum FROM [dbo].[est_config] WHERE info_or_value=1 AND "
         "pole_mark_mag<>'dop' AND id_ebe_var=101 AND pole_mark_mag<>'m12'",
         1},
        {"SELECT * FROM\n(SELECT [id_ebe_var],[name_pole],\n(case when pole_mark_mag = 'm1' then "
         "1\n     when pole_mark_mag = 'm2' then 2\n     when pole_mark_mag = 'm3' then 3\n     "
         "when pole_mark_mag = 'dop' then 13 END) as id_modul_x\nFROM [QOR].[dbo].[est_config] "
         "\nWHERE [pole_mark_mag]<>'' AND [id_ebe_var]= 107 ) as t\nWHERE id_modul_x IS NOT NULL",
         4},
        {"SELECT * FROM [QOR].[dbo].[IndividualModulPermissPotok] WHERE (id_discipline = 6) AND   "
         "(id_w_s = 1)AND   (id_teacher =    1) AND   (id_year =       " +
             y + ") AND   (id_RRNK_all =   1) AND   (vid_rrnk=2) AND   (id_f_e=1)",
         5},  // four control points and the extension of the first
    };
    for (const auto& [sql, count] : statements) EXPECT_EQ(rows(sql).rows.size(), count) << sql;
}

}  // namespace
}  // namespace qortest
