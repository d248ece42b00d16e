#include <gtest/gtest.h>

#include <vector>

#include "RulesFixture.h"
#include "data/AssessmentClass.h"
#include "data/GradeBands.h"
#include "tests/support/ThrowMessage.h"

namespace {

using data::AssessmentClass;
using data::Band;

// Records what loading the bands showed and changed in the window.
struct ViewLog : data::GradeBandsView {
    std::vector<std::string> messages;  // "caption: text"
    std::vector<bool> otherColumn;
    void showError(const std::string& text, const std::string& caption) override {
        messages.push_back(caption + ": " + text);
    }
    void setOtherGradesColumnVisible(bool visible) override { otherColumn.push_back(visible); }
};

class GradeBandsDemo : public rulestest::RulesDemo {
  protected:
    void SetUp() override {
        RulesDemo::SetUp();
        for (db::Dataset* ds : {&exec, &other}) ds->setConnection(&conn);
        other.setSql(
            "SELECT EstimationOther.* \nFROM qor.dbo.EstimationOther\nWHERE "
            "EstimationOther.id_ebe_var = :id_ebe_var\n");
    }
    void load(std::int64_t speciality, std::int64_t rule, const std::string& ruleText) {
        data::LoadGradeBands(speciality, {exec, other, rule, ruleText}, ids, bands, notReady, view);
    }

    db::Dataset exec, other;
    data::GradeBands bands;
    bool notReady = false;
    ViewLog view;
};

TEST_F(GradeBandsDemo, RuleBandsExcludeTheirUpperBound) {
    load(1, 101, "101");
    EXPECT_FALSE(notReady);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_EQ(bands[Band::Good].lower, 71);
    EXPECT_EQ(bands[Band::Good].upper, 86);
    // 86 closes "хор" and opens "отл"; the н/я band of the demo is empty (0 to 0).
    const std::pair<double, std::int64_t> totals[] = {
        {85.99, ids.GradeGoodId}, {86, ids.GradeExcellentId}, {100.5, ids.GradeExcellentId},
        {101, ids.GradeDashId},   {49.9, ids.GradeFailId},    {50, ids.GradeSatisfactoryId},
        {0, ids.GradeFailId}};
    for (auto [t, id] : totals)
        EXPECT_EQ(data::GradeIdForTotal(t, 0, AssessmentClass::Graded, bands, ids), id) << t;
    // Rule 101 allows other grades: the column shows; rule 102 has none.
    EXPECT_EQ(view.otherColumn, std::vector<bool>{true});
    load(1, 102, "102");
    EXPECT_EQ(view.otherColumn, (std::vector<bool>{true, false}));
}

TEST_F(GradeBandsDemo, GroupWithoutRuleTakesItsSpecialityBands) {
    // Speciality 1 grades by the faculty's default rule 100, which has all nine bands.
    load(1, -1, "");
    EXPECT_FALSE(notReady);
    EXPECT_EQ(bands[Band::Credit].lower, 50);
    EXPECT_EQ(bands[Band::Credit].upper, 101);
    EXPECT_EQ(bands[Band::NotAttested].upper, 50);
    EXPECT_EQ(exec.sql(),
              "SELECT beg_bal, end_bal, id_estimation FROM GetMinMaxBalForEstimation WHERE "
              "id_speciality = 1");
}

TEST_F(GradeBandsDemo, NoBandRowsLeaveTheSheetNotReady) {
    // A rule without bands, and a stream whose rule id is missing (asked by speciality 0).
    for (auto [rule, text] : {std::pair<int, const char*>{999, "999"}, {-1, ""}}) {
        view = {};
        bands[Band::Good] = {1, 2};
        load(0, rule, text);
        EXPECT_TRUE(notReady) << text;
        EXPECT_EQ(view.messages, std::vector<std::string>{"Error: Нет информации о баллах."});
        EXPECT_TRUE(view.otherColumn.empty());
        for (int i = 0; i < data::kBandCount; ++i) {
            EXPECT_EQ(bands[static_cast<Band>(i)].lower, 10000);
            EXPECT_EQ(bands[static_cast<Band>(i)].upper, 10000);
        }
    }
}

TEST_F(GradeBandsDemo, GradeWithoutBandRowStaysEmpty) {
    // A credit rule: no rows for "хор" and the other graded grades.
    load(1, 106, "106");
    EXPECT_FALSE(notReady);
    EXPECT_EQ(bands[Band::Credit].lower, 50);
    EXPECT_EQ(bands[Band::Good].lower, 10000);
    EXPECT_EQ(bands[Band::Good].upper, 10000);
    EXPECT_EQ(data::GradeIdForTotal(75, 0, AssessmentClass::Graded, bands, ids), ids.GradeDashId);
}

TEST_F(GradeBandsDemo, ServerErrorReachesTheCaller) {
    // Rule ids are ours, but a broken one must not pass for "no bands".
    EXPECT_THROW_MSG(load(1, 5, "5 5"), db::Error, "Incorrect syntax near '5'.");
}

TEST_F(GradeBandsDemo, GradeIdForTotalByClass) {
    data::GradeBands b;
    b[Band::Fail] = {0, 50};
    b[Band::Satisfactory] = {50, 71};
    b[Band::Good] = {71, 86};
    b[Band::Excellent] = {86, 101};
    b[Band::NoCredit] = {0, 50};
    b[Band::Credit] = {50, 101};
    b[Band::NotAttested] = {0, 50};
    b[Band::Attested] = {50, 101};
    b[Band::Absent] = {101, 102};
    const std::int64_t notAdmitted = ids.GradeNotAdmittedId;
    struct Case {
        AssessmentClass cls;
        double t;
        std::int64_t stored, expected;
    } cases[] = {
        {AssessmentClass::Attestation, 49, 0, ids.GradeNotAttestedId},
        {AssessmentClass::Attestation, 50, 0, ids.GradeAttestedId},
        {AssessmentClass::Attestation, 101, 0, ids.GradeDashId},
        {AssessmentClass::Graded, 70.99, 0, ids.GradeSatisfactoryId},
        {AssessmentClass::Graded, 101.5, 0, ids.GradeAbsentId},
        {AssessmentClass::Graded, 102, 0, ids.GradeDashId},
        {AssessmentClass::Graded, -1, notAdmitted, ids.GradeDashId},
        {AssessmentClass::Credit, 50, 0, ids.GradeCreditId},
        {AssessmentClass::Credit, 0, notAdmitted, ids.GradeNoCreditId},
        {AssessmentClass::Other, 75, ids.GradeGoodId, ids.GradeDashId},
    };
    for (const Case& c : cases)
        EXPECT_EQ(data::GradeIdForTotal(c.t, c.stored, c.cls, b, ids), c.expected)
            << static_cast<int>(c.cls) << " " << c.t;
    // " н/п" is kept for a total of 0 once no band of the class is earned.
    b[Band::Fail] = {};
    EXPECT_EQ(data::GradeIdForTotal(0, notAdmitted, AssessmentClass::Graded, b, ids), notAdmitted);
    EXPECT_EQ(data::GradeIdForTotal(0, ids.GradeGoodId, AssessmentClass::Graded, b, ids),
              ids.GradeDashId);
}

TEST_F(GradeBandsDemo, ShortNamesAndClasses) {
    const std::pair<std::int64_t, const char*> names[] = {{ids.GradeSatisfactoryId, "удов"},
                                                          {ids.GradeGoodId, "хор"},
                                                          {ids.GradeExcellentId, "отл"},
                                                          {ids.GradeFailId, "н/у"},
                                                          {ids.GradeNoCreditId, "н/з"},
                                                          {ids.GradeCreditId, "зачет"},
                                                          {ids.GradeDashId, "-"},
                                                          {ids.GradeAbsentId, "н/я"},
                                                          {ids.GradeNotAttestedId, "н/ат"},
                                                          {ids.GradeAttestedId, "ат"},
                                                          {ids.GradeNotAdmittedId, ""},
                                                          {grade("не изуч."), ""}};
    for (auto [id, name] : names) EXPECT_EQ(data::GradeShortName(id, ids), name) << id;

    const std::pair<std::optional<std::int64_t>, AssessmentClass> kinds[] = {
        {ids.KindAttestationId, AssessmentClass::Attestation},
        {ids.KindExamId, AssessmentClass::Graded},
        {ids.KindTotalId, AssessmentClass::Graded},
        {ids.KindCourseProjectId, AssessmentClass::Graded},
        {ids.KindGradedCreditId, AssessmentClass::Graded},
        {ids.KindCourseWorkId, AssessmentClass::Graded},
        {ids.KindCreditId, AssessmentClass::Credit},
        {99, AssessmentClass::Other},
        {std::nullopt, AssessmentClass::Other}};
    for (auto [kind, cls] : kinds)
        EXPECT_EQ(data::assessmentClassOf(kind, ids), cls) << kind.value_or(-1);
}

}  // namespace

#if __has_include("data/LoginContext.h")
#include "data/LoginContext.h"

namespace {

// Each id taken from the member of its own name: a swapped pair would grade a sheet by
// another kind's or grade's id without any other sign.
TEST(GradingIds, CopiedFromTheLoginContextByName) {
    data::LoginContext c;
    c.MinShareRule = true;
    std::int32_t n = 100;
    for (std::int32_t* id :
         {&c.KindExamId, &c.KindTotalId, &c.KindCreditId, &c.KindCourseProjectId,
          &c.KindCourseWorkId, &c.KindGradedCreditId, &c.KindAttestationId, &c.GradeFailId,
          &c.GradeCreditId, &c.GradeSatisfactoryId, &c.GradeGoodId, &c.GradeExcellentId,
          &c.GradeNotAttestedId, &c.GradeAttestedId, &c.GradeAbsentId, &c.GradeNotAdmittedId,
          &c.GradeDashId, &c.GradeNoCreditId})
        *id = ++n;
    const data::GradingIds g = data::gradingIdsOf(c);
    EXPECT_TRUE(g.MinShareRule);
    const std::int64_t copied[] = {g.KindExamId,          g.KindTotalId,      g.KindCreditId,
                                   g.KindCourseProjectId, g.KindCourseWorkId, g.KindGradedCreditId,
                                   g.KindAttestationId,   g.GradeFailId,      g.GradeCreditId,
                                   g.GradeSatisfactoryId, g.GradeGoodId,      g.GradeExcellentId,
                                   g.GradeNotAttestedId,  g.GradeAttestedId,  g.GradeAbsentId,
                                   g.GradeNotAdmittedId,  g.GradeDashId,      g.GradeNoCreditId};
    for (std::size_t i = 0; i < std::size(copied); ++i)
        EXPECT_EQ(copied[i], static_cast<std::int64_t>(101 + i)) << i;
}

}  // namespace
#endif
