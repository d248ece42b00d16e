#include "RulesFixture.h"

#include <random>

#include "Contract.h"
#include "Demo.h"

namespace rulestest {

void RulesDemo::SetUp() {
    server::qor::install();
    std::random_device rd;
    const auto* info = testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
        if (c == '/') c = '_';
    dir_ = std::filesystem::temp_directory_path() /
           ("qor28_rules_" + name + "_" + std::to_string(rd()));
    std::filesystem::create_directories(dir_);
    const std::string file = (dir_ / "QOR.db").string();
    server::qor::createDemo(file);
    conn.open(
        "Provider=SQLOLEDB.1;Password=Iv26kafIS;Persist Security Info=True;"
        "User ID=qor28_ivanova;Initial Catalog=QOR;Data Source=" +
        file);

    ids.GradeFailId = grade("н/у");
    ids.GradeCreditId = grade("зачет");
    ids.GradeSatisfactoryId = grade("удов");
    ids.GradeGoodId = grade("хор");
    ids.GradeExcellentId = grade("отл");
    ids.GradeNotAttestedId = grade("н/ат");
    ids.GradeAttestedId = grade("ат");
    ids.GradeAbsentId = grade("н/я");
    ids.GradeNotAdmittedId = grade(" н/п");
    ids.GradeDashId = grade("-");
    ids.GradeNoCreditId = grade("н/з");

    auto kind = [&](const std::string& p30) {
        db::BatchResult r =
            conn.execute("SELECT id_examination FROM examination WHERE P30 = '" + p30 + "'");
        return db::toInteger(r.resultSets.at(0).rows.at(0).at(0));
    };
    ids.KindExamId = kind("Экзамен");
    ids.KindTotalId = kind("Итог/оценка");
    ids.KindCreditId = kind("Зачет");
    ids.KindCourseProjectId = kind("Курc/пр");
    ids.KindCourseWorkId = kind("Курс/раб");
    ids.KindGradedCreditId = kind("Диф/зачет");
    ids.KindAttestationId = kind("Аттестация");
}

void RulesDemo::TearDown() {
    conn.close();
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
}

std::int64_t RulesDemo::grade(const std::string& shortName) {
    db::BatchResult r =
        conn.execute("SELECT id_estimation FROM estimation WHERE p31 = '" + shortName + "'");
    return db::toInteger(r.resultSets.at(0).rows.at(0).at(0));
}

void RulesDemo::addRuleRow(int rule, int order, const std::string& pole, const std::string& formula,
                           double max) {
    auto text = [](const std::string& s) {
        return s.empty() ? std::string("NULL") : "'" + s + "'";
    };
    conn.execute(
        "INSERT INTO est_config (id_ebe_var, order_pole, name_pole, info_or_value, "
        "pole_mark_mag, formula, [min], [max], id_f_est) VALUES (" +
        std::to_string(rule) + ", " + std::to_string(order) + ", 'К" + std::to_string(order) +
        "', " + (formula.empty() ? "1" : "0") + ", '" + pole + "', " + text(formula) + ", 0, " +
        db::toText(db::Value(max)) + ", 1)");
}

void RulesDemo::addBand(int rule, std::int64_t gradeId, double lower, double upper) {
    conn.execute("INSERT INTO ebe (id_ebe_var, id_estimation, beg_bal, end_bal) VALUES (" +
                 std::to_string(rule) + ", " + std::to_string(gradeId) + ", " +
                 db::toText(db::Value(lower)) + ", " + db::toText(db::Value(upper)) + ")");
}

void RulesDemo::openRule(db::Dataset& ds, int rule) {
    ds.close();
    ds.setConnection(&conn);
    ds.setSql(
        "SELECT id_est_config, id_ebe_var, order_pole, name_pole, info_or_value, pole_mark_mag, "
        "formula, [min], [max], id_f_est FROM est_config WHERE id_ebe_var = " +
        std::to_string(rule) + " AND id_f_est = 1 ORDER BY order_pole, id_est_config");
    ds.open();
}

}  // namespace rulestest
