// The structure editor's statement texts, each against the text the server expects.

#include <gtest/gtest.h>

#include "structure/EditorStatements.h"

namespace structuretest {
namespace {

using namespace structure::statements;

TEST(EditorStatements, TextsAreTheServersOwn) {
    const structure::StreamChoice c{"26", "1", "7", "3", "6", "102", "1"};
    const struct {
        std::string built, expected;
    } cases[] = {
        {createRule("113"), "EXEC CreateNewMarkRule @RulNum=113"},
        {lastPoint("113"),
         " Select top 1 * from [dbo].[est_config] WHERE pole_mark_mag<>'ball1' "
         "AND id_ebe_var=113 Order by order_pole desc"},
        {extraPoint("113", 5),
         " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] ,[info_or_value],"
         "[pole_mark_mag],[max]) Values (113,5,'Доп. балл' ,1,'dop',20)"},
        {totalRows("113", 5).at(0),
         " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] ,[info_or_value],"
         "[pole_mark_mag]) Values (113,6,'Общий балл' ,0,'ball1')"},
        {totalRows("113", 5).at(2),
         " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] ,[info_or_value],"
         "[pole_mark_mag],id_f_est) Values (113,7,'Общий балл FX' ,0,'ball1',9)"},
        {totalRows("113", 5).at(3),
         " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] ,[info_or_value],"
         "[pole_mark_mag],[max],id_f_est) Values (113,6,'Балл I' ,1,'m12',20,10)"},
        {maximaSum("113"),
         "SELECT SUM([max]) as Sum FROM [dbo].[est_config] WHERE info_or_value=1 AND "
         "pole_mark_mag<>'dop' AND id_ebe_var=113 AND pole_mark_mag<>'m12'"},
        {formulas("113").at(1),
         " DECLARE @formula VARCHAR(100) SET @formula ='' SELECT @formula = @formula + CASE WHEN "
         "@formula = '' THEN '' ELSE '+' END + pole_mark_mag  FROM [dbo].[est_config] WHERE "
         "id_ebe_var=113 AND info_or_value=1 AND (id_f_est=1 or id_f_est=9) UPDATE "
         "[dbo].[est_config] SET formula = @formula,[max]=Null,[name_pole]='Общий балл FX' WHERE "
         "id_ebe_var=113 AND pole_mark_mag='ball1' AND id_f_est=9"},
        {linkToStream("113", "3"),
         " UPDATE qor.dbo.RRNKkrdt SET id_ebe_var=113 WHERE "
         "RRNKkrdt.id_rrnkKrdt=3"},
        {deadlineList(c, "3"),
         "SELECT * FROM [QOR].[dbo].[IndividualModulPermissPotok] WHERE (id_discipline = 7) AND   "
         "(id_w_s = 1)AND   (id_teacher =    1) AND   (id_year =       26) AND   (id_RRNK_all =   "
         "3) AND   (vid_rrnk=2) AND   (id_f_e=1)"},
        {deadlinePoints("113"),
         " Select * from qor.dbo.est_config where id_ebe_var=113 AND "
         "info_or_value=1 AND [pole_mark_mag]<>'dop' Order by Order_pole"},
        {deadline(c, {"3", "102"}, "113", "13", "09.12.2026", "16.12.2026"),
         "Insert Into [IndividualModulPermissPotok]  ([id_teacher],[id_year],[id_discipline],"
         "[id_modul] ,[begDate],[endDate],[vid_rrnk],[id_rrnk_all],[id_f_e],[id_w_s],[subgroup],"
         "id_ebe_var)  Values (1,26,7,13,CONVERT(datetime,'09.12.2026', 104),CONVERT(datetime,"
         "'16.12.2026', 104),2,3,1,1,102,113)"},
    };
    for (const auto& k : cases) EXPECT_EQ(k.built, k.expected);
}

}  // namespace
}  // namespace structuretest
