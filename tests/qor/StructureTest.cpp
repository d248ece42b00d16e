// The structure editor's rule number on the QOR database: two workstations that take the
// same new number cannot share a rule.

#include "QorFixture.h"

namespace qortest {
namespace {

std::string count(server::Engine& e, const std::string& sql) {
    return cellText(e.execute(sql).resultSets.at(0).rows.at(0).at(0));
}

TEST_F(DemoTest, TwoWorkstationsTakingOneRuleNumberGetOneRule) {
    auto first = signIn("a.ivanova");
    auto second = signIn("a.ivanova");
    // both read the highest number before either has created its rule
    const std::string taken = count(*first, "SELECT MAX(id_ebe_var) FROM ebe");
    ASSERT_EQ(count(*second, "SELECT MAX(id_ebe_var) FROM ebe"), taken);
    const std::string number = std::to_string(std::stoi(taken) + 1);
    const std::string create = "EXEC CreateNewMarkRule @RulNum=" + number;
    const std::string point =
        " Insert into [dbo].[est_config] ([id_ebe_var],[order_pole],[name_pole] "
        ",[info_or_value],[pole_mark_mag]) Values (" +
        number + ",1,'-' ,1,'m1')";

    first->execute("BEGIN TRANSACTION");
    first->execute(create);
    first->execute(point);
    first->execute("COMMIT TRANSACTION");
    const std::string bands = count(*first, "SELECT COUNT(*) FROM ebe WHERE id_ebe_var=" + number);

    second->execute("BEGIN TRANSACTION");
    EXPECT_EQ(errorOf(*second, create), "Правило оценивания с номером " + number +
                                            " уже существует: выберите ведомость заново.");
    second->execute("ROLLBACK TRANSACTION");
    EXPECT_EQ(count(*first, "SELECT COUNT(*) FROM ebe WHERE id_ebe_var=" + number), bands);
    EXPECT_EQ(count(*first, "SELECT COUNT(*) FROM est_config WHERE id_ebe_var=" + number), "1");
    EXPECT_EQ(count(*second, "SELECT MAX(id_ebe_var) FROM ebe"), number);
}

}  // namespace
}  // namespace qortest
