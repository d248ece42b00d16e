#include "structure/EditorStatements.h"

namespace structure::statements {

namespace {
std::string quoted(const std::string& s) {
    return "'" + s + "'";
}
}  // namespace

std::string streamList(const StreamChoice& c) {
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
           " WHERE RRNKkrdt.id_a_year =" + c.year + " AND RRNKkrdt.id_w_s =" + c.semester +
           " AND RRNKkrdt.id_discipline =" + c.discipline +
           " AND RRNKkrdt.id_examination = " + c.assessment + " AND RRNKkrdt.kredit =" + c.credits +
           " AND RRNKkrdt.id_teacher =" + c.teacher + " AND RRNKkrdt.prov_reyt>=0 " +
           " Group By rrnkKrdt.subgroup,rrnkKrdt.id_kafedra,rrnkKrdt.id_f_educ,"
           "CAST(RRNKkrdt.subGroup as varchar(10))+" +
           "' ('" + "+kafedra.sn_f1+" + "')'";
}

std::string emptyRule() {
    return " Select top 0 [id_est_config],[id_ebe_var],[order_pole],[name_pole],[info_or_value],"
           "[pole_mark_mag]  ,[formula],[min],[max],[id_f_est] FROM qor.dbo.est_config ";
}

std::string highestRule() {
    return "SELECT MAX(id_ebe_var) FROM ebe";
}

std::string createRule(const std::string& rule) {
    return "EXEC CreateNewMarkRule @RulNum=" + rule;
}

std::string lastPoint(const std::string& rule) {
    return " Select top 1 * from [dbo].[est_config] WHERE pole_mark_mag<>" + quoted("ball1") +
           " AND id_ebe_var=" + rule + " Order by order_pole desc";
}

std::string appendPoint() {
    return "SELECT TOP 0 *  FROM [QOR].[dbo].[est_config]";
}

std::string extraPoint(const std::string& rule, int order) {
    return " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] "
           ",[info_or_value],[pole_mark_mag],[max]) Values (" +
           rule + "," + std::to_string(order) + "," + quoted("Доп. балл") + " ,1," + quoted("dop") +
           ",20)";
}

std::vector<std::string> totalRows(const std::string& rule, int lastOrder) {
    const std::string next = std::to_string(lastOrder + 1);
    const std::string after = std::to_string(lastOrder + 2);
    const std::string head =
        " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] "
        ",[info_or_value],[pole_mark_mag]";
    return {
        head + ") Values (" + rule + "," + next + "," + quoted("Общий балл") + " ,0," +
            quoted("ball1") + ")",
        head + ",[max],id_f_est) Values (" + rule + "," + next + "," + quoted("Балл FX") + " ,1," +
            quoted("m12") + ",20,9)",
        head + ",id_f_est) Values (" + rule + "," + after + "," + quoted("Общий балл FX") + " ,0," +
            quoted("ball1") + ",9)",
        head + ",[max],id_f_est) Values (" + rule + "," + next + "," + quoted("Балл I") + " ,1," +
            quoted("m12") + ",20,10)",
        head + ",id_f_est) Values (" + rule + "," + after + "," + quoted("Общий балл I") + " ,0," +
            quoted("ball1") + ",10)",
    };
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

std::string points(const std::string& rule) {
    return " Select [id_est_config],[id_ebe_var],[order_pole],[name_pole],[info_or_value],"
           "[pole_mark_mag]  ,[formula],[min],[max],[id_f_est] FROM qor.dbo.est_config WHERE "
           "id_ebe_var=" +
           rule + " AND [pole_mark_mag]<>" + quoted("m12") + " AND [pole_mark_mag]<>" +
           quoted("ball1") + " AND [pole_mark_mag]<>" + quoted("dop") + " Order by order_pole";
}

std::string maximaSum(const std::string& rule) {
    return "SELECT SUM([max]) as Sum FROM [dbo].[est_config] WHERE info_or_value=1 AND "
           "pole_mark_mag<>" +
           quoted("dop") + " AND id_ebe_var=" + rule + " AND pole_mark_mag<>" + quoted("m12");
}

std::vector<std::string> formulas(const std::string& rule) {
    const std::string head = " DECLARE @formula VARCHAR(100) SET @formula =" + quoted("") +
                             " SELECT @formula = @formula + CASE WHEN @formula = " + quoted("") +
                             " THEN " + quoted("") + " ELSE " + quoted("+") +
                             " END + pole_mark_mag " +
                             " FROM [dbo].[est_config] WHERE id_ebe_var=" + rule;
    auto update = [&](const char* name, const char* form) {
        return " UPDATE [dbo].[est_config] SET formula = @formula,[max]=Null,[name_pole]=" +
               quoted(name) + " WHERE id_ebe_var=" + rule +
               " AND pole_mark_mag=" + quoted("ball1") + " AND id_f_est=" + form;
    };
    return {
        head + " AND info_or_value=1 AND pole_mark_mag<>" + quoted("m12") +
            update("Общий балл", "1"),
        head + " AND info_or_value=1 AND (id_f_est=1 or id_f_est=9)" + update("Общий балл FX", "9"),
        head + " AND info_or_value=1 AND (id_f_est=1 or id_f_est=10)" +
            update("Общий балл I", "10"),
    };
}

std::string linkToStream(const std::string& rule, const std::string& idRrnk) {
    return " UPDATE qor.dbo.RRNKkrdt SET id_ebe_var=" + rule +
           " WHERE RRNKkrdt.id_rrnkKrdt=" + idRrnk;
}

std::string deadlineList(const StreamChoice& c, const std::string& idRrnk) {
    return "SELECT * FROM [QOR].[dbo].[IndividualModulPermissPotok] WHERE (id_discipline = " +
           c.discipline + ") " + "AND   (id_w_s = " + c.semester + ")" +
           "AND   (id_teacher =    " + c.teacher + ") " + "AND   (id_year =       " + c.year +
           ") " + "AND   (id_RRNK_all =   " + idRrnk + ") " + "AND   (vid_rrnk=2) " +
           "AND   (id_f_e=1)";
}

std::string deadlinePoints(const std::string& rule) {
    return " Select * from qor.dbo.est_config where id_ebe_var=" + rule +
           " AND info_or_value=1 AND [pole_mark_mag]<>" + quoted("dop") + " Order by Order_pole";
}

std::string deadline(const StreamChoice& c, const StreamRow& row, const std::string& rule,
                     const std::string& module, const std::string& from, const std::string& to) {
    return "Insert Into [IndividualModulPermissPotok]  ([id_teacher],[id_year],[id_discipline],"
           "[id_modul] ,[begDate],[endDate],[vid_rrnk],[id_rrnk_all],[id_f_e],[id_w_s],[subgroup],"
           "id_ebe_var)  Values (" +
           c.teacher + "," + c.year + "," + c.discipline + "," + module + ",CONVERT(datetime," +
           quoted(from) + ", 104)," + "CONVERT(datetime," + quoted(to) + ", 104),2," + row.idRrnk +
           ",1," + c.semester + "," + row.subgroup + "," + rule + ")";
}

}  // namespace structure::statements
