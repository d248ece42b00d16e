// Every statement text the client sends (the Parts' texts, blanks included), each run on
// the fixture database with the rows it must return. Values the client inserts into a
// text are those of the fixture: login 7, teacher 5, year key 3, semester 21,
// discipline 101 with credit 4, assessment 1, group 11, stream 501, rule 12, form 1.

#include <gtest/gtest.h>

#include "ServerFixture.h"

namespace servertest {
namespace {

using values::Value;

struct StatementCase {
    const char* name;
    std::string sql;
    std::vector<Value> params;
    std::vector<std::string> columns;  // empty: not checked
    std::vector<std::string> rows;     // cells joined by '|', in order
    std::int64_t rowsAffected = -1;    // checked when >= 0 and no rows are expected
};

void PrintTo(const StatementCase& c, std::ostream* os) {
    *os << c.name;
}

std::string y(int d) {
    return std::to_string(currentYear() + d);
}

std::string disciplineQuery(const std::string& kind) {
    return "SELECT p34 +" + std::string("' {'") + "+ CAST(d.kredit as varchar) +" + "'}'" +
           "as p34 ,d.id_discipline,d.id_discipline*10+d.kredit as id, kredit  " +
           " FROM [qor].[dbo].[f_QOR28_disc] d " + " inner join [qor].[dbo].[discipline] dd " +
           " on d.id_discipline=dd.id_discipline " + " where id_login = " + "7" +
           " and id_a_year =" + "3" + " and id_sem =" + "21" + " and isSelect =" + kind;
}

std::string potokQuery() {
    return std::string(
               " SELECT min(rrnkKrdt.id_rrnkKrdt) as id_rrnkKrdt,rrnkKrdt.subgroup,"
               "CAST(RRNKkrdt.subGroup as varchar(10))+") +
           "' ('" + "+kafedra.sn_f1+" + "')'" + " as subgroupKaf," +
           " rrnkKrdt.id_kafedra,rrnkKrdt.id_f_educ" +
           " FROM         dbo.DisciplineForStudent INNER JOIN" +
           " dbo.RRNKkrdt ON dbo.DisciplineForStudent.id_teacher = dbo.RRNKkrdt.id_teacher AND "
           "dbo.DisciplineForStudent.id_discipline = dbo.RRNKkrdt.id_discipline AND" +
           " dbo.DisciplineForStudent.subgroup = dbo.RRNKkrdt.subgroup AND "
           "dbo.DisciplineForStudent.id_a_year = dbo.RRNKkrdt.id_a_year  AND "
           "dbo.DisciplineForStudent.kredits = dbo.RRNKkrdt.kredit " +
           " INNER JOIN kafedra ON RRNKkrdt.id_kafedra=kafedra.id_kafedra" +
           " WHERE RRNKkrdt.id_a_year =" + "3" + " AND RRNKkrdt.id_w_s =" + "21" +
           " AND RRNKkrdt.id_discipline =" + "101" + " AND RRNKkrdt.id_examination = " + "1" +
           " AND RRNKkrdt.kredit =" + "4" + " AND RRNKkrdt.id_teacher =" + "5" +
           " AND RRNKkrdt.prov_reyt>=0 " +
           " Group By rrnkKrdt.subgroup,rrnkKrdt.id_kafedra,rrnkKrdt.id_f_educ,"
           "CAST(RRNKkrdt.subGroup as varchar(10))+" +
           "' ('" + "+kafedra.sn_f1+" + "')'";
}

std::string copyAccess(const std::string& rule) {
    std::string s =
        "INSERT INTO [QOR].[dbo].[T_MarkMagModulCopyAccess] ([id_f_est],[id_modul],[id_ebe_var],"
        "[doCopy]) SELECT * FROM (select 9 as id_f_est union all select 10 as id_f_est) as T2 "
        "Cross join (select 1 as id_modul," +
        rule;
    for (const char* piece :
         {"select 2 as id_modul,", "select 3 as id_modul,", "select 4 as id_modul,",
          "select 5 as id_modul,", "select 13 as id_modul,", "select 14 as id_modul,"})
        s += std::string(" as id_ebe_var,1 as doCopy union all ") + piece + rule;
    return s + " as id_ebe_var,1 as doCopy) as T1";
}

std::string formula(const std::string& rule, const std::string& filter, const std::string& name,
                    const std::string& form) {
    return " DECLARE @formula VARCHAR(100) SET @formula =" + std::string("''") +
           " SELECT @formula = @formula + CASE WHEN @formula = " + "''" + " THEN " + "''" +
           " ELSE " + "'+'" + " END + pole_mark_mag " +
           " FROM [dbo].[est_config] WHERE id_ebe_var=" + rule + filter +
           " UPDATE [dbo].[est_config] SET formula = @formula,[max]=Null,[name_pole]=" + "'" +
           name + "'" + " WHERE id_ebe_var=" + rule + " AND pole_mark_mag=" + "'ball1'" +
           " AND id_f_est=" + form;
}

std::string estConfig3() {
    std::string s =
        "SELECT * FROM\r\n(SELECT [id_ebe_var],[name_pole],\r\n"
        "(case when pole_mark_mag = 'm1' then 1\r\n";
    for (int n = 2; n <= 12; ++n)
        s += "     when pole_mark_mag = 'm" + std::to_string(n) + "' then " + std::to_string(n) +
             "\r\n";
    s += "     when pole_mark_mag = 'dop' then 13\r\n";
    s += "     when pole_mark_mag = 'dop2' then 14 END) as id_modul_x\r\n";
    s += "FROM [QOR].[dbo].[est_config] \r\n";
    s += "WHERE [pole_mark_mag]<>'' AND [id_ebe_var]= ? ) as t\r\n";
    s += "WHERE id_modul_x IS NOT NULL";
    return s;
}

std::string deadlineList() {
    return "SELECT * FROM [QOR].[dbo].[IndividualModulPermissPotok] WHERE (id_discipline = " +
           std::string("101") + ") " + "AND   (id_w_s = " + "21" + ")" +
           "AND   (id_teacher =    " + "5" + ") " + "AND   (id_year =       " + "3" + ") " +
           "AND   (id_RRNK_all =   " + "41" + ") " + "AND   (vid_rrnk=2) " + "AND   (id_f_e=1)";
}

std::string deadlineInsert(const std::string& module) {
    return "Insert Into [IndividualModulPermissPotok]  ([id_teacher],[id_year],[id_discipline],"
           "[id_modul] ,[begDate],[endDate],[vid_rrnk],[id_rrnk_all],[id_f_e],[id_w_s],[subgroup],"
           "id_ebe_var)  Values (" +
           std::string("5") + "," + "3" + "," + "101" + "," + module + ",CONVERT(datetime," +
           "'10.12.2026'" + ", 104)," + "CONVERT(datetime," + "'17.12.2026'" + ", 104),2," + "41" +
           ",1," + "21" + "," + "501" + "," + "13" + ")";
}

std::vector<StatementCase> statementCases() {
    std::vector<StatementCase> c;
    // Start-up: the login context
    c.push_back({"TeacherOfLogin",
                 "select TOP 1 id_teacher from QORTeacher where id_qor_login = 7",
                 {},
                 {"id_teacher"},
                 {"5"}});
    c.push_back({"TeacherOfUnknownLogin",
                 "select TOP 1 id_teacher from QORTeacher where id_qor_login = 99",
                 {},
                 {"id_teacher"},
                 {}});
    c.push_back({"VuzDefaultsAtSignIn",
                 " SELECT [id_vuz_defaults],[id_field] FROM [QOR].[dbo].[VuzDefaults] WHERE "
                 "id_vuz_defaults IN (28,29)",
                 {},
                 {"id_vuz_defaults", "id_field"},
                 {"28|1", "29|1"}});
    c.push_back(
        {"VuzDefaultsAtCreation",
         "SELECT Top 0 [id_field]\r\nFROM [QOR].[dbo].[VuzDefaults]\r\nwhere id_vuz_defaults=28",
         {},
         {"id_field"},
         {}});
    c.push_back({"AllGrades",
                 "select * from estimation",
                 {},
                 {"id_estimation", "p31"},
                 {"1|н/у", "2|зачет", "3|удов", "4|хор", "5|отл", "6| н/п"}});
    c.push_back({"AllAssessmentKinds",
                 "select * from examination",
                 {},
                 {"id_examination", "P30", "typeExamZach"},
                 {"1|Экзамен|1", "2|Зачет|2", "3|Курc/пр|1", "4|Курс/раб|1"}});
    c.push_back({"Teachers",
                 "select * from t_fio",
                 {},
                 {"id_teacher", "t_fio"},
                 {"5|Петров П.П.", "6|Сидоров С.С."}});
    c.push_back({"Students",
                 "select * from s_fio",
                 {},
                 {"id_student", "s_fio", "id_group"},
                 {"1001|Иванов Иван|11", "1002|Алексеева Анна|11", "1003|борисов Борис|11"}});
    c.push_back({"Disciplines",
                 "select * from discipline",
                 {},
                 {"id_discipline", "p34"},
                 {"101|Математика", "102|Физика"}});
    c.push_back({"YearsAtCreation", "Select p32 from g_r_y", {}, {"p32"}, {"2024/2025"}});
    c.push_back({"Years",
                 "SELECT     id_a_year, p32 FROM         qor.dbo.a_year WHERE     (u_god > "
                 "DATEPART(YEAR, GETDATE()) - 6) AND (u_god < DATEPART(YEAR, GETDATE()) + 4) ",
                 {},
                 {"id_a_year", "p32"},
                 {"2|" + y(-5) + "/" + y(-4), "3|" + y(0) + "/" + y(1), "4|" + y(3) + "/" + y(4)}});
    c.push_back(
        {"SemestersAtCreation", "select * from g_sem ", {}, {"id_sem", "sem"}, {"21|Осенний"}});
    c.push_back({"DisciplinesAtCreation",
                 "SELECT     *\r\nFROM         dbo.gr_sem_disc_exam\r\n",
                 {},
                 {"id_discipline", "p34"},
                 {"101|Математика"}});
    c.push_back({"GroupsAtCreation",
                 "SELECT  * FROM [group]",
                 {},
                 {"id_group", "p20", "id_f_educ", "isSelect"},
                 {"11|ИВТ-21|1|0", "501|Поток 1|1|1"}});
    c.push_back({"GroupSpecialityAtCreation", "Select * from  g_s", {}, {}, {"1|11|2|61|12"}});
    c.push_back({"Attendance",
                 "SELECT    id_poseshal, poseshal\r\nFROM       poseshal",
                 {},
                 {"id_poseshal", "poseshal"},
                 {"0|", "1|не допущен"}});
    c.push_back({"OtherGrades",
                 "SELECT EstimationOther.* \r\nFROM qor.dbo.EstimationOther\r\nWHERE "
                 "EstimationOther.id_ebe_var = ?\r\n",
                 {std::int64_t{12}},
                 {"id_estimation_other", "id_ebe_var", "Estimation_Other"},
                 {"1|12|н/я"}});
    c.push_back({"SemesterTable",
                 "select * from semester",
                 {},
                 {"id_semester", "p43"},
                 {"21|Осенний", "22|Весенний"}});
    c.push_back({"SheetFormTable",
                 "select * from f_est",
                 {},
                 {"id_f_e", "p109", "sessiya"},
                 {"1|Основная|0", "9|FX|1", "10|I|1"}});
    // The selection cascade
    c.push_back(
        {"SemestersOfYear",
         "Select  * , ([id_sem]*10+[isSelect]) as id_sem_Temp from qor.[dbo].[f_QOR28_sem] where "
         "id_a_year=3 AND id_login=7 order by ws_sort",
         {},
         {"id_sem", "isSelect", "id_a_year", "id_login", "sem", "ws_sort", "id_sem_Temp"},
         {"22|0|3|7|Весенний|1|220", "21|0|3|7|Осенний|2|210", "21|1|3|7|Осенний (потоки)|3|211"}});
    c.push_back({"DisciplinesOfSemester",
                 disciplineQuery("0"),
                 {},
                 {"p34", "id_discipline", "id", "kredit"},
                 {"Математика {4}|101|1014|4"}});
    c.push_back(
        {"AssessmentsOfDiscipline",
         "SELECT p30,e.id_examination, e.kredit FROM [qor].[dbo].[f_QOR28_exam] e inner join "
         "qor.dbo.examination ee on e.id_examination=ee.id_examination where  id_login=7 and  "
         "id_a_year=3 and  id_sem=21 and isSelect=0 and id_discipline=101 and kredit=4",
         {},
         {"p30", "id_examination", "kredit"},
         {"Экзамен|1|4"}});
    c.push_back(
        {"GroupsOfAssessment",
         " SELECT distinct id_gr_potok,gr_potok,isSelect,id_teacher FROM "
         "[QOR].[dbo].[f_QOR28_gr_potok] f  WHERE f.id_login =7 AND f.id_a_year =3 AND f.id_sem "
         "=21 "
         "AND f.id_discipline =101 AND f.id_examination = 1 AND f.isSelect=0 AND f.kredit =4",
         {},
         {"id_gr_potok", "gr_potok", "isSelect", "id_teacher"},
         {"11|ИВТ-21|0|5", "12|ИВТ-22|0|5"}});
    c.push_back({"RuleOfGroupPlan",
                 " Select * from qor.dbo.rrnk  INNER JOIN dbo.educ_sh ON dbo.RRNK.id_educ_sh = "
                 "dbo.educ_sh.id_educ_sh  WHERE id_group=11 AND dbo.rrnk.id_teacher=5 AND "
                 "dbo.educ_sh.id_discipline = 101 AND dbo.educ_sh.id_semester=21 AND "
                 "dbo.educ_sh.id_examination=1",
                 {},
                 {"id_rrnk", "id_group", "id_teacher", "id_educ_sh", "id_ebe_var", "id_educ_sh",
                  "id_discipline", "id_semester", "id_examination"},
                 {"1|11|5|71|12|71|101|21|1"}});
    c.push_back(
        {"RuleOfGroup", " select * from qor.dbo.g_s  where id_group=11", {}, {}, {"1|11|2|61|12"}});
    c.push_back(
        {"DepartmentChosen",
         " Select top 1 id_kafedra,id_a_year,id_ebe_var from qor.dbo.RRNKkrdt  WHERE subgroup=501 "
         "AND "
         "id_teacher=5 AND id_a_year=3 AND id_w_s=21 AND id_kafedra=31 AND id_examination=1 AND "
         "id_discipline=101 ORDER BY id_rrnkKrdt",
         {},
         {"id_kafedra", "id_a_year", "id_ebe_var"},
         {"31|3|NULL"}});
    c.push_back(
        {"DepartmentCount",
         " Select distinct id_kafedra FROM qor.dbo.RRNKkrdt  WHERE subgroup=501 AND id_teacher=5 "
         "AND "
         "id_a_year=3 AND id_w_s=21 AND id_examination=1 AND id_discipline=101 AND kredit=4",
         {},
         {"id_kafedra"},
         {"31", "32"}});
    c.push_back(
        {"DepartmentsOfStream",
         " Select distinct Kafedra.f1,kafedra.id_Kafedra from Kafedra  Inner Join RRNKkrdt On "
         "Kafedra.id_kafedra=RRNKkrdt.id_kafedra Where Kafedra.id_kafedra in(Select id_kafedra "
         "from "
         "qor.dbo.RRNKkrdt  WHERE subgroup=501 AND id_teacher=5 AND id_a_year=3 AND id_w_s=21)",
         {},
         {"f1", "id_Kafedra"},
         {"Кафедра высшей математики|31", "Кафедра физики|32"}});
    c.push_back(
        {"RuleOfStream",
         " SELECT id_kafedra,id_a_year,id_ebe_var,id_f_educ FROM qor.dbo.RRNKkrdt  WHERE "
         "id_rrnkkrdt "
         "IN ( SELECT min(id_rrnkKrdt)  FROM qor.dbo.RRNKkrdt WHERE subgroup=501 AND id_teacher=5 "
         "AND "
         "id_a_year=3 AND id_w_s=21 AND id_examination=1 AND id_discipline=101 AND kredit=4 AND "
         "prov_reyt >= 0 )",
         {},
         {"id_kafedra", "id_a_year", "id_ebe_var", "id_f_educ"},
         {"31|3|NULL|1"}});
    c.push_back(
        {"GroupSpeciality", "Select * from g_s where id_group=11", {}, {}, {"1|11|2|61|12"}});
    c.push_back({"GroupFormOfStudy",
                 "Select * From [QOR].[dbo].[group] Where id_group = 11",
                 {},
                 {},
                 {"11|ИВТ-21|1|0"}});
    c.push_back({"SheetFormsOnOffer",
                 "EXEC SP_GetActiveFEst",
                 {std::int64_t{3}, std::string("21"), std::int64_t{0}, std::int64_t{101},
                  std::int64_t{11}, std::int64_t{2}, std::int64_t{61}, std::int64_t{-1},
                  std::int64_t{12}, std::string("0"), std::string("-1")},
                 {"id_f_e", "p109"},
                 {"1|Основная"}});
    // Grade bands
    c.push_back({"BandsOfRule",
                 "SELECT beg_bal, end_bal, id_estimation FROM qor.dbo.ebe where id_ebe_var=12",
                 {},
                 {"beg_bal", "end_bal", "id_estimation"},
                 {"0|51|1", "51|71|3", "71|86|4", "86|101|5"}});
    c.push_back({"BandsOfSpeciality",
                 "SELECT beg_bal, end_bal, id_estimation FROM GetMinMaxBalForEstimation WHERE "
                 "id_speciality = 61",
                 {},
                 {"beg_bal", "end_bal", "id_estimation"},
                 {"0|51|1", "51|71|3", "71|86|4", "86|101|5"}});
    // Loading a sheet
    c.push_back({"AdmissionStrict",
                 "Select id_field from qor.dbo.VuzDefaults where id_vuz_defaults=23",
                 {},
                 {"id_field"},
                 {"1"}});
    c.push_back(
        {"RuleRows",
         "SELECT * FROM TF_GetEstConfig(12,1)",
         {},
         {"id_est_config", "id_ebe_var", "order_pole", "name_pole", "info_or_value",
          "pole_mark_mag", "formula", "min", "max", "id_f_est"},
         {"1|12|1|КТ 1|1|m1|NULL|NULL|30|1", "2|12|2|КТ 2|1|m2|NULL|NULL|30|1",
          "3|12|3|КТ 3|1|m3|NULL|NULL|40|1", "4|12|4|Общий балл|0|ball1|m1+m2+m3|NULL|NULL|1"}});
    c.push_back(
        {"DeadlinesOfGroup",
         "EXEC LoadModulsInfo  @id_a_year = 3,@id_semester = 21,@id_group = 11,@id_teacher = 5,"
         "@id_discipline = 101,@id_faculty = 2,@id_f_educ = 1,@id_ebe_var = 12,@id_f_e = 1,"
         "@id_speciality = 61",
         {},
         {"id_modul", "CanEdit"},
         {"1|1", "2|0", "3|1"}});
    c.push_back(
        {"DeadlinesOfStream",
         "EXEC LoadModulsInfoP  @id_a_year = 3 ,@id_semester = 21 ,@id_ebe_var = 12 ,@forPotok = 1 "
         " "
         ",@id_teacher = 5 ,@id_discipline  = 101 ,@subgroup  = 501 ,@id_f_e = 1 ,@kredits =4 "
         ",@id_examination=1 ,@id_group=11",
         {},
         {"id_modul", "CanEdit"},
         {"1|1", "2|0", "3|1"}});
    c.push_back({"PrepareGroupSheet",
                 "EXEC InsertInto_SORT_MARK_MAG 11,21,101,1,5,1,0,0,0,1,12,4",
                 {},
                 {},
                 {},
                 2});
    // Mark entry and the sheet-wide commands
    c.push_back({"KindOfAssessment",
                 "Select typeExamZach from examination where id_examination=1",
                 {},
                 {"typeExamZach"},
                 {"1"}});
    c.push_back({"DaysInPast",
                 "SELECT id_field FROM VuzDefaults WHERE     (id_vuz_defaults = 37)",
                 {},
                 {"id_field"},
                 {"14"}});
    c.push_back({"ReportAddress",
                 "Select *  FROM [QOR].[dbo].[VuzDefaults] Where id_vuz_defaults=22",
                 {},
                 {"id_vuz_defaults", "id_field", "n_field"},
                 {"22|NULL|http://reports.example"}});
    // The structure editor: a new rule
    c.push_back(
        {"EmptyRuleGrid",
         " Select top 0 [id_est_config],[id_ebe_var],[order_pole],[name_pole],[info_or_value],"
         "[pole_mark_mag]  ,[formula],[min],[max],[id_f_est] FROM qor.dbo.est_config ",
         {},
         {"id_est_config", "id_ebe_var", "order_pole", "name_pole", "info_or_value",
          "pole_mark_mag", "formula", "min", "max", "id_f_est"},
         {}});
    c.push_back({"StreamList",
                 potokQuery(),
                 {},
                 {"id_rrnkKrdt", "subgroup", "subgroupKaf", "id_kafedra", "id_f_educ"},
                 {"41|501|501 (ВМ)|31|1", "42|501|501 (Ф)|32|2"}});
    c.push_back({"NewRuleNumber", "SELECT MAX(id_ebe_var) FROM ebe", {}, {""}, {"12"}});
    c.push_back({"CreateRule", "EXEC CreateNewMarkRule @RulNum=13", {}, {}, {}, 1});
    c.push_back(
        {"LastPointOfRule",
         " Select top 1 * from [dbo].[est_config] WHERE pole_mark_mag<>'ball1' AND id_ebe_var=12 "
         "Order by order_pole desc",
         {},
         {},
         {"5|12|5|Балл FX|1|m12|NULL|NULL|20|9"}});
    c.push_back({"EmptyPointAppend",
                 "SELECT TOP 0 *  FROM [QOR].[dbo].[est_config]",
                 {},
                 {"id_est_config", "id_ebe_var", "order_pole", "name_pole", "info_or_value",
                  "pole_mark_mag", "formula", "min", "max", "id_f_est"},
                 {}});
    c.push_back(
        {"ExtraPoint",
         " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] ,[info_or_value],"
         "[pole_mark_mag],[max]) Values (13,3,'Доп. балл' ,1,'dop',20)",
         {},
         {},
         {},
         1});
    c.push_back(
        {"TotalRow",
         " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] ,[info_or_value],"
         "[pole_mark_mag]) Values (13,4,'Общий балл' ,0,'ball1')",
         {},
         {},
         {},
         1});
    c.push_back(
        {"FxPoint",
         " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] ,[info_or_value],"
         "[pole_mark_mag],[max],id_f_est) Values (13,4,'Балл FX' ,1,'m12',20,9)",
         {},
         {},
         {},
         1});
    c.push_back(
        {"FxTotal",
         " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] ,[info_or_value],"
         "[pole_mark_mag],id_f_est) Values (13,5,'Общий балл FX' ,0,'ball1',9)",
         {},
         {},
         {},
         1});
    c.push_back({"CopyAccess", copyAccess("13"), {}, {}, {}, 14});
    c.push_back(
        {"PointsOfNewRule",
         " Select "
         "[id_est_config],[id_ebe_var],[order_pole],[name_pole],[info_or_value],[pole_mark_mag]"
         "  ,[formula],[min],[max],[id_f_est] FROM qor.dbo.est_config WHERE id_ebe_var=12 AND "
         "[pole_mark_mag]<>'m12' AND [pole_mark_mag]<>'ball1' AND [pole_mark_mag]<>'dop' Order by "
         "order_pole",
         {},
         {},
         {"1|12|1|КТ 1|1|m1|NULL|NULL|30|1", "2|12|2|КТ 2|1|m2|NULL|NULL|30|1",
          "3|12|3|КТ 3|1|m3|NULL|NULL|40|1"}});
    c.push_back({"SumOfMaxima",
                 "SELECT SUM([max]) as Sum FROM [dbo].[est_config] WHERE info_or_value=1 AND "
                 "pole_mark_mag<>'dop' AND id_ebe_var=12 AND pole_mark_mag<>'m12'",
                 {},
                 {"Sum"},
                 {"100"}});
    c.push_back({"TotalFormula",
                 formula("12", " AND info_or_value=1 AND pole_mark_mag<>'m12'", "Общий балл", "1"),
                 {},
                 {},
                 {},
                 1});
    c.push_back(
        {"FxFormula",
         formula("12", " AND info_or_value=1 AND (id_f_est=1 or id_f_est=9)", "Общий балл FX", "9"),
         {},
         {},
         {},
         0});
    c.push_back({"LinkRule",
                 " UPDATE qor.dbo.RRNKkrdt SET id_ebe_var=13 WHERE RRNKkrdt.id_rrnkKrdt=41",
                 {},
                 {},
                 {},
                 1});
    // The structure editor: deadlines
    c.push_back({"ModuleNumbers",
                 estConfig3(),
                 {std::string("12")},
                 {"id_ebe_var", "name_pole", "id_modul_x"},
                 {"12|КТ 1|1", "12|КТ 2|2", "12|КТ 3|3", "12|Балл FX|12"}});
    c.push_back({"DeadlineList", deadlineList(), {}, {}, {}});
    c.push_back({"PointsForDeadlines",
                 " Select * from qor.dbo.est_config where id_ebe_var=12 AND info_or_value=1 AND "
                 "[pole_mark_mag]<>'dop' Order by Order_pole",
                 {},
                 {},
                 {"1|12|1|КТ 1|1|m1|NULL|NULL|30|1", "2|12|2|КТ 2|1|m2|NULL|NULL|30|1",
                  "3|12|3|КТ 3|1|m3|NULL|NULL|40|1", "5|12|5|Балл FX|1|m12|NULL|NULL|20|9"}});
    c.push_back({"DeadlineInsert", deadlineInsert("1"), {}, {}, {}, 1});
    c.push_back({"ExtraPointDeadline", deadlineInsert("13"), {}, {}, {}, 1});
    // Change history
    c.push_back(
        {"ChangeLog",
         "INSERT INTO QOR_LOG([table], [row_id], [descr], [QOR_User], [comp]) VALUES('mark_mag', "
         "1, "
         "'Поле \"m1\" изменило значение \"12\" на \"15\".', 'ivanov', 'PC-01\\192.168.0.5')",
         {},
         {},
         {},
         1});
    c.push_back(
        {"DeletionLog",
         "INSERT INTO QOR_LOG([table], [row_id], [descr], [QOR_User], [comp]) VALUES('mark_mag', "
         "1, "
         "'Запись с уникальным номером - ''1'' была удалена - (id_mark_mag[1], m1[''12'']).', "
         "'ivanov', 'PC-01\\192.168.0.5')",
         {},
         {},
         {},
         1});
    // Sign-in
    c.push_back({"DateFormat", "SET DATEFORMAT dmy", {}, {}, {}});
    c.push_back(
        {"UserCheck",
         "EXEC GET_USER 'ivanov','0CC175B9C0F1B6A831C399E269772661',NULL, 'QOR 28', '192.168.0.5', "
         "'PC-01', 'ivanov','0','4'",
         {},
         {"l", "p", "id", "state", "msg", "version"},
         {"pqs^v|r`ss|7|25||29"}});
    c.push_back({"UserCheckWithChange",
                 "EXEC GET_USER "
                 "'ivanov','0CC175B9C0F1B6A831C399E269772661','92EB5FFEE6AE2FEC3AD71C777531578F',"
                 " 'QOR 28', '192.168.0.5', 'PC-01', 'ivanov','0','34'",
                 {},
                 {},
                 {"pqs^v|r`ss|7|25||29"}});
    c.push_back(
        {"UserCheckRefused",
         "EXEC GET_USER 'O''Brien','00',NULL, 'QOR 28', '192.168.0.5', 'PC-01', 'O''Brien','0','4'",
         {},
         {},
         {"||0|25|Неверно ввели логин или пароль.|29"}});
    return c;
}

class ClientStatements : public ServerTest, public ::testing::WithParamInterface<StatementCase> {};

TEST_P(ClientStatements, RunsWithSqlServerMeaning) {
    const StatementCase& c = GetParam();
    values::BatchResult r = engine_->execute(c.sql, c.params);
    if (!c.columns.empty() || !c.rows.empty()) {
        ASSERT_EQ(r.resultSets.size(), 1u) << c.sql;
        if (!c.columns.empty()) {
            EXPECT_EQ(columnNames(r.resultSets[0]), c.columns);
        }
        EXPECT_EQ(rowTexts(r.resultSets[0]), c.rows);
    } else if (c.rowsAffected >= 0) {
        EXPECT_EQ(r.rowsAffected, c.rowsAffected) << c.sql;
    }
}

INSTANTIATE_TEST_SUITE_P(Parts, ClientStatements, ::testing::ValuesIn(statementCases()),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(ServerTest, ACommentLineIsAnEmptyBatch) {
    auto r = run("--select * from gr_sem_disc_exam");
    EXPECT_TRUE(r.resultSets.empty());
    EXPECT_EQ(r.rowsAffected, -1);
    EXPECT_FALSE(r.returnValue);
}

// The statements that only make sense in their order: the structure editor's finalising.
TEST_F(ServerTest, FormulaStatementsJoinThePointsInServerOrder) {
    run(formula("12", " AND info_or_value=1 AND pole_mark_mag<>'m12'", "Общий балл", "1"));
    EXPECT_EQ(
        rowTexts(
            rows("SELECT formula, [max], name_pole FROM est_config WHERE pole_mark_mag = 'ball1'")),
        std::vector<std::string>{"m1+m2+m3|NULL|Общий балл"});
}

TEST_F(ServerTest, DeadlinesReadDayMonthYearByStyle104) {
    run(deadlineInsert("1"));
    auto rs = rows("SELECT begDate, endDate FROM IndividualModulPermissPotok");
    EXPECT_EQ(rs.columns[0].type, values::Type::DateTime);
    EXPECT_EQ(rowTexts(rs),
              std::vector<std::string>{"2026-12-10 00:00:00.000|2026-12-17 00:00:00.000"});
    EXPECT_EQ(rowTexts(rows(deadlineList())).size(), 1u);
}

TEST_F(ServerTest, DeletionLogKeepsSingleApostrophes) {
    run("INSERT INTO QOR_LOG([table], [row_id], [descr], [QOR_User], [comp]) VALUES('mark_mag', 1, "
        "'Запись с уникальным номером - ''1'' была удалена - (id_mark_mag[1]).', 'ivanov', "
        "'PC-01\\10.0.0.1')");
    EXPECT_EQ(rowTexts(rows("SELECT descr, comp FROM QOR_LOG")),
              std::vector<std::string>{
                  "Запись с уникальным номером - '1' была удалена - (id_mark_mag[1]).|"
                  "PC-01\\10.0.0.1"});
    auto stamp = rows("SELECT u_date FROM QOR_LOG");
    EXPECT_EQ(stamp.columns[0].type, values::Type::DateTime);
    EXPECT_TRUE(std::holds_alternative<values::DateTime>(stamp.rows[0][0]));
}

TEST_F(ServerTest, StreamSheetIsPreparedAndRead) {
    EXPECT_EQ(run("EXEC InsertInto_SORT_MARK_MAG 11,21,101,1,5,1,0,0,0,1,12,4").rowsAffected, 2);
    std::vector<values::Argument> args = {
        {"@RETURN_VALUE", std::int64_t{0}, values::Type::Integer, true},
        {"@group", std::string("11"), values::Type::Integer, false},
        {"@semester", std::string("21"), values::Type::Integer, false},
        {"@discipline", std::int64_t{101}, values::Type::Integer, false},
        {"@examination", std::string("1"), values::Type::Integer, false},
        {"@id_teacher", std::int64_t{5}, values::Type::Integer, false},
        {"@DoNotShowEst", std::string("0"), values::Type::Text, false},
        {"@subGroup", std::string("0"), values::Type::Integer, false},
        {"@isGetFromSubGroup", std::int64_t{0}, values::Type::Integer, false},
        {"@id_a_year", std::string("0"), values::Type::Text, false},
        {"@id_ebe_var", std::int64_t{-1}, values::Type::Integer, false},
        {"@id_kafedra", std::int64_t{0}, values::Type::Integer, false},
        {"@id_f_est", std::int64_t{1}, values::Type::Integer, false},
        {"@kredits", std::int64_t{4}, values::Type::Integer, false},
    };
    auto r = engine_->callProcedure("SORT_MARK_MAG;1", args, 240);
    ASSERT_EQ(r.resultSets.size(), 1u);
    EXPECT_EQ(r.resultSets[0].rows.size(), 3u);
    EXPECT_EQ(r.returnValue, 0);
    EXPECT_EQ(std::get<std::int64_t>(args[0].value), 0);
    const auto& cols = r.resultSets[0].columns;
    auto col = [&](const std::string& name) {
        for (const auto& c : cols)
            if (c.name == name) return c;
        return values::Column{};
    };
    EXPECT_EQ(col("p36").type, values::Type::DateTime);
    EXPECT_EQ(col("m1").type, values::Type::Float);
    EXPECT_EQ(col("p35").type, values::Type::Text);
    EXPECT_EQ(col("p35").size, 50);
    EXPECT_EQ(col("id_mark_mag").type, values::Type::Integer);
    EXPECT_EQ(col("QOR_Update").type, values::Type::DateTime);
}

}  // namespace
}  // namespace servertest
