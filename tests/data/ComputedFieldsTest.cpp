#include <gtest/gtest.h>

#include <optional>

#include "RulesFixture.h"
#include "data/ComputedFields.h"
#include "formula/Errors.h"
#include "formula/TParser.h"
#include "tests/support/ThrowMessage.h"

namespace {

using data::AssessmentClass;
using data::Band;

constexpr int kRule = 9001;

// Mark rows of a table of the test's own, read as the mark sheet reads its rows: the
// marks and stored grade as data fields, sessiya looked up in f_est, and the computed
// fields filled by the handler under test.
class ComputedFieldsDemo : public rulestest::RulesDemo {
  protected:
    void SetUp() override {
        RulesDemo::SetUp();
        std::string columns;
        for (const char* m : {"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m10", "m11",
                              "m12", "dop", "dop2"})
            columns += std::string(", ") + m + " FLOAT";
        conn.execute("CREATE TABLE calc_rows (id INT PRIMARY KEY, id_estimation INT, id_f_est INT" +
                     columns + ")");
        // Bands of every class in one rule; н/я is 101 to 102, above the graded bands. The
        // failing bands begin at 1, so a total of 0 earns none of them (a band holding 0
        // would name a row not admitted by that band instead of " н/п").
        const std::pair<std::int64_t, std::pair<double, double>> rows[] = {
            {ids.GradeFailId, {1, 50}},        {ids.GradeSatisfactoryId, {50, 71}},
            {ids.GradeGoodId, {71, 86}},       {ids.GradeExcellentId, {86, 101}},
            {ids.GradeNoCreditId, {1, 50}},    {ids.GradeCreditId, {50, 101}},
            {ids.GradeNotAttestedId, {1, 50}}, {ids.GradeAttestedId, {50, 101}},
            {ids.GradeAbsentId, {101, 102}}};
        for (auto [id, b] : rows) addBand(kRule, id, b.first, b.second);
        fEst.setConnection(&conn);
        fEst.setSql("select * from f_est");
        sheet.setConnection(&conn);
        sheet.setSql("SELECT * FROM calc_rows ORDER BY id");
        sheet.addLookupField("sessiya", db::Type::Integer, "id_f_est", fEst, "id_f_e", "sessiya");
        sheet.addCalculatedField("ball1", db::Type::Float);
        sheet.addCalculatedField("ball_name", db::Type::Text, 10);
        for (int i = 1; i <= 10; ++i)
            sheet.addCalculatedField("calc" + std::to_string(i), db::Type::Float);
        sheet.onCalcFields = [this](db::Dataset& ds) {
            computed.calculate(ds, {parser, rules, bands, ids, cls, true});
        };
    }

    void loadBands() {
        db::Dataset exec(&conn), other(&conn);
        other.setSql("SELECT * FROM EstimationOther WHERE id_ebe_var = :id_ebe_var");
        struct : data::GradeBandsView {
            void showError(const std::string& t, const std::string&) override { FAIL() << t; }
            void setOtherGradesColumnVisible(bool) override {}
        } view;
        bool notReady = true;
        data::LoadGradeBands(0, {exec, other, kRule, std::to_string(kRule)}, ids, bands, notReady,
                             view);
        ASSERT_FALSE(notReady);
    }

    // The 30/30/40 rule with an extra point, the admission rating as an intermediate
    // value and the total.
    void standardRule(int rule = kRule) {
        addRuleRow(rule, 1, "m1", "", 30);
        addRuleRow(rule, 2, "m2", "", 30);
        addRuleRow(rule, 3, "m3", "", 40);
        addRuleRow(rule, 4, "dop", "", 20);
        addRuleRow(rule, 5, "", "M1+M2");
        addRuleRow(rule, 6, "ball1", "M1+M2+M3+DOP");
    }

    void addRow(int id, std::optional<double> m1, std::optional<double> m2,
                std::optional<double> m3, std::optional<double> dop, std::int64_t stored,
                int fEstId = 1) {
        auto num = [](std::optional<double> v) {
            return v ? db::toText(db::Value(*v)) : std::string("NULL");
        };
        conn.execute(
            "INSERT INTO calc_rows (id, id_estimation, id_f_est, m1, m2, m3, dop) VALUES (" +
            std::to_string(id) + ", " + std::to_string(stored) + ", " + std::to_string(fEstId) +
            ", " + num(m1) + ", " + num(m2) + ", " + num(m3) + ", " + num(dop) + ")");
    }

    void openSheet() {
        openRule(rules, kRule);
        sheet.open();
    }
    // Recalculates row id under the class given.
    void recalc(int id, AssessmentClass c) {
        ASSERT_TRUE(sheet.locate("id", db::Value(std::int64_t{id})));
        cls = c;
        sheet.refreshCalculatedFields();
    }
    std::string name() { return sheet.field("ball_name").asString(); }
    bool isNull(const char* f) { return sheet.field(f).isNull(); }

    db::Dataset fEst, rules, sheet;
    formula::TParser parser;
    data::GradeBands bands;
    data::ComputedFields computed;
    AssessmentClass cls = AssessmentClass::Graded;
};

// f_est of the demo: 1 the ordinary sheet, 9 the FX re-examination (sessiya 1).
constexpr int kOrdinary = 1, kReexam = 9;

TEST_F(ComputedFieldsDemo, GradeNameTable) {
    standardRule();
    loadBands();
    const std::int64_t udov = ids.GradeSatisfactoryId, hor = ids.GradeGoodId,
                       otl = ids.GradeExcellentId, nu = ids.GradeFailId,
                       np = ids.GradeNotAdmittedId, nat = ids.GradeNotAttestedId,
                       unknown = grade("не изуч.");
    struct Case {
        const char* what;
        AssessmentClass cls;
        std::optional<double> m1, m2, m3, dop;
        std::int64_t stored;
        int fEst;
        const char* expected;
    };
    using A = AssessmentClass;
    const Case cases[] = {
        {"agrees", A::Graded, 30, 25, 20, 0, hor, kOrdinary, "хор"},
        {"stored grade in brackets", A::Graded, 30, 25, 20, 0, udov, kOrdinary, "хор(удов)"},
        {"re-exam shows stored удов", A::Graded, 30, 25, 20, 0, udov, kReexam, "удов"},
        {"re-exam shows stored хор", A::Graded, 10, 10, 10, 0, hor, kReexam, "хор"},
        {"re-exam, other grade differs", A::Graded, 30, 25, 20, 0, nu, kReexam, ""},
        {"upper bound of хор", A::Graded, 30, 30, 26, 0, otl, kOrdinary, "отл"},
        {"upper bound, stored хор", A::Graded, 30, 30, 26, 0, hor, kOrdinary, "отл(хор)"},
        {"unknown stored grade", A::Graded, 10, 10, 10, 0, unknown, kOrdinary, "н/у()"},
        {"not admitted, graded", A::Graded, 30, 30, 30, 0, np, kOrdinary, " н/п"},
        {"not admitted, credit", A::Credit, 30, 30, 30, 0, np, kOrdinary, " н/п"},
        {"not admitted, attestation", A::Attestation, 30, 30, 30, 0, np, kOrdinary, ""},
        {"total 0, admitted", A::Graded, 0, 0, 0, 0, hor, kOrdinary, "-(хор)"},
        {"н/я band", A::Graded, 30, 30, 40, 1.4, otl, kOrdinary, "н/я(отл)"},
        {"above every band", A::Graded, 30, 30, 40, 2, otl, kOrdinary, "-(отл)"},
        {"cut to 10 characters", A::Credit, 30, 30, 0, 0, nat, kOrdinary, "зачет(н/ат"},
        {"credit fails", A::Credit, 10, 0, std::nullopt, std::nullopt, nu, kOrdinary, "н/з(н/у)"},
        {"attested", A::Attestation, 30, 30, 0, 0, ids.GradeAttestedId, kOrdinary, "ат"},
        {"other kind", A::Other, 30, 30, 30, 0, hor, kOrdinary, ""},
    };
    int id = 0;
    for (const Case& c : cases) addRow(++id, c.m1, c.m2, c.m3, c.dop, c.stored, c.fEst);
    openSheet();
    id = 0;
    for (const Case& c : cases) {
        recalc(++id, c.cls);
        EXPECT_EQ(name(), c.expected) << c.what;
    }
    // The total and intermediate value of the first case; none for a row not admitted.
    recalc(2, A::Graded);
    EXPECT_EQ(sheet.field("ball1").asDouble(), 75);
    EXPECT_EQ(sheet.field("calc1").asDouble(), 55);
    EXPECT_TRUE(isNull("calc2"));
    recalc(9, A::Graded);
    EXPECT_TRUE(isNull("ball1"));
    EXPECT_TRUE(isNull("calc1"));
}

TEST_F(ComputedFieldsDemo, MarksBindAsWholeNumbersAndResultsRound) {
    addRuleRow(kRule, 1, "", "M1*100+M2*10+M3");
    addRuleRow(kRule, 2, "", "M4/3");
    addRuleRow(kRule, 3, "", "M1/4");   // 1.0 exactly: no rounding needed
    addRuleRow(kRule, 4, "", "DOP/4");  // 0.25 is a half at 1 decimal: to even, 0.2
    addRuleRow(kRule, 5, "ball1", "M4/3+M5");
    loadBands();
    conn.execute(
        "INSERT INTO calc_rows (id, id_estimation, id_f_est, m1, m2, m3, m4, m5, dop) VALUES "
        "(1, 0, 1, 4.5, 5.5, 4.6, 2, NULL, 1), (2, 0, 1, 3.5, 2.5, -0.5, 1, 0.49, 3)");
    openSheet();
    const struct {
        double calc1, calc2, calc3, calc4, ball1;
    } expected[] = {{465, 0.7, 1, 0.2, 0.67}, {420, 0.3, 1, 0.8, 0.33}};
    for (int row = 0; row < 2; ++row) {
        recalc(row + 1, AssessmentClass::Graded);
        EXPECT_DOUBLE_EQ(sheet.field("calc1").asDouble(), expected[row].calc1) << row;
        EXPECT_DOUBLE_EQ(sheet.field("calc2").asDouble(), expected[row].calc2) << row;
        EXPECT_DOUBLE_EQ(sheet.field("calc3").asDouble(), expected[row].calc3) << row;
        EXPECT_DOUBLE_EQ(sheet.field("calc4").asDouble(), expected[row].calc4) << row;
        EXPECT_DOUBLE_EQ(sheet.field("ball1").asDouble(), expected[row].ball1) << row;
    }
}

TEST_F(ComputedFieldsDemo, MinimumShareOfEachControlPoint) {
    addRuleRow(kRule, 1, "m1", "", 20);   // threshold 12.2
    addRuleRow(kRule, 2, "dop", "", 40);  // never tested
    addRuleRow(kRule, 3, "m2", "", 0.5);  // a max of 0.5 rounds to 0: no threshold
    addRuleRow(kRule, 4, "ball1", "M1*5");
    loadBands();
    ids.MinShareRule = true;
    addRow(1, 12, 0, std::nullopt, 0, ids.GradeGoodId);
    addRow(2, 12, 0, std::nullopt, 0, ids.GradeFailId);
    addRow(3, 13, 0, std::nullopt, 0, ids.GradeFailId);
    addRow(4, 12.2, 0, std::nullopt, 0, ids.GradeSatisfactoryId, kReexam);
    openSheet();
    const char* expected[] = {"н/у(хор)", "н/у", "удов(н/у)", "удов"};
    for (int id = 1; id <= 4; ++id) {
        recalc(id, AssessmentClass::Graded);
        EXPECT_EQ(name(), expected[id - 1]) << id;
    }
    // The test looks only at the rule rows; the total still comes from the formula.
    recalc(1, AssessmentClass::Graded);
    EXPECT_EQ(sheet.field("ball1").asDouble(), 60);
    EXPECT_TRUE(rules.eof());  // the test walked the rule rows to their end
    ids.MinShareRule = false;
    recalc(1, AssessmentClass::Graded);
    EXPECT_EQ(name(), "удов(хор)");
    EXPECT_EQ(rules.field("pole_mark_mag").asString(), "ball1");
}

// The handler finds its fields once; a sheet or rule reopened with its columns in
// another order has new fields, and the handler must find them again.
TEST_F(ComputedFieldsDemo, FieldsAreFoundAgainWhenTheSheetIsReopened) {
    standardRule();
    loadBands();
    addRow(1, 30, 25, 20, 1, ids.GradeGoodId);
    openSheet();
    EXPECT_EQ(sheet.field("ball1").asDouble(), 76);
    EXPECT_EQ(sheet.field("calc1").asDouble(), 55);
    sheet.setSql(
        "SELECT dop2, dop, m12, m11, m10, m9, m8, m7, m6, m5, m4, m3, m2, m1, id_f_est, "
        "id_estimation, id FROM calc_rows ORDER BY id");
    rules.setSql(
        "SELECT formula, [max], pole_mark_mag, order_pole FROM est_config WHERE id_ebe_var = " +
        std::to_string(kRule) + " AND id_f_est = 1 ORDER BY order_pole, id_est_config");
    rules.open();
    sheet.open();
    EXPECT_EQ(sheet.field("ball1").asDouble(), 76);
    EXPECT_EQ(sheet.field("calc1").asDouble(), 55);
    EXPECT_EQ(name(), "хор");
}

TEST_F(ComputedFieldsDemo, RuleWithoutTotalGivesZero) {
    addRuleRow(kRule, 1, "m1", "", 100);
    loadBands();
    addRow(1, 80, 0, 0, 0, ids.GradeFailId);
    openSheet();
    EXPECT_FALSE(isNull("ball1"));
    EXPECT_EQ(sheet.field("ball1").asDouble(), 0);
    EXPECT_EQ(name(), "-(н/у)");
}

TEST_F(ComputedFieldsDemo, FormulaErrorsRaiseAndLeaveTheRestEmpty) {
    standardRule();
    loadBands();
    addRow(1, 30, 25, 20, 0, ids.GradeGoodId);
    openSheet();
    ASSERT_EQ(name(), "хор");

    // A second rule whose second intermediate formula does not compile, and a third
    // whose total divides by a zero mark.
    addRuleRow(9002, 1, "", "M1+M2");
    addRuleRow(9002, 2, "", "M1+");
    addRuleRow(9002, 3, "ball1", "M1");
    addRuleRow(9003, 1, "", "M1");
    addRuleRow(9003, 2, "ball1", "M1/DOP");
    openRule(rules, 9002);
    EXPECT_THROW_MSG(sheet.refreshCalculatedFields(), formula::ESyntaxError,
                     "Error parsing expression:\rM1+");
    EXPECT_EQ(sheet.field("calc1").asDouble(), 55);
    EXPECT_TRUE(isNull("calc2"));
    EXPECT_TRUE(isNull("ball1"));
    EXPECT_TRUE(isNull("ball_name"));

    openRule(rules, 9003);
    EXPECT_THROW_MSG(sheet.refreshCalculatedFields(), formula::EZeroDivide,
                     "Floating point division by zero");
    EXPECT_EQ(sheet.field("calc1").asDouble(), 30);
    EXPECT_TRUE(isNull("ball1"));
    EXPECT_TRUE(isNull("ball_name"));

    // Reading the rows raises too: the sheet does not open with a broken rule.
    sheet.close();
    openRule(rules, 9002);
    EXPECT_THROW_MSG(sheet.open(), formula::ESyntaxError, "Error parsing expression:\rM1+");
}

TEST_F(ComputedFieldsDemo, EleventhIntermediateFormulaIsRefusedInRussian) {
    for (int i = 1; i <= 11; ++i) addRuleRow(kRule, i, "", "M1+" + std::to_string(i));
    loadBands();
    addRow(1, 1, 0, 0, 0, ids.GradeGoodId);
    EXPECT_THROW_MSG(openSheet(), db::Error, data::kTooManyFormulasMessage);
    // Ten are fine: calc10 holds the tenth.
    conn.execute("DELETE FROM est_config WHERE id_ebe_var = 9001 AND order_pole = 11");
    openSheet();
    EXPECT_EQ(sheet.field("calc10").asDouble(), 11);
}

TEST_F(ComputedFieldsDemo, GridWithoutDatasetLeavesEverythingEmpty) {
    standardRule();
    loadBands();
    addRow(1, 30, 25, 20, 0, ids.GradeGoodId);
    sheet.onCalcFields = [this](db::Dataset& ds) {
        computed.calculate(ds, {parser, rules, bands, ids, cls, false});
    };
    openSheet();
    EXPECT_TRUE(isNull("ball1"));
    EXPECT_TRUE(isNull("calc1"));
    EXPECT_TRUE(isNull("ball_name"));
}

}  // namespace
