#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "Contract.h"
#include "Demo.h"
#include "data/LoginContext.h"
#include "data/SignInProgress.h"
#include "data/TDM_ZOL_3.h"
#include "tests/support/ThrowMessage.h"

namespace {

// Records what the data module does to the main window's controls.
struct Controls : data::EditingControls {
    int saveButton = -1;  // -1 untouched, 0 disabled, 1 enabled
    int lists = -1;
    void setSaveButtonEnabled(bool on) override { saveButton = on; }
    void setSelectionListsEnabled(bool on) override { lists = on; }
};

// The data module on the demo faculty, signed in as a.ivanova's server login, with
// her exam sheet of group ИС-24-1 (discipline 1, semester 1, year 26, rule 101).
class DataModuleDemo : public testing::Test {
  protected:
    void SetUp() override {
        server::qor::install();
        const std::string file = dir.filePath(QStringLiteral("QOR.db")).toStdString();
        server::qor::createDemo(file);
        dm.ADO_ZOL.open(
            "Provider=SQLOLEDB.1;Password=Iv26kafIS;Persist Security Info=True;"
            "User ID=qor28_ivanova;Initial Catalog=QOR;Data Source=" +
            file);
        dm.setEditingControls(&controls);
        data::loginContext() = {};
        data::loginContext().LoginId = 1;
        data::LoadLoginContext(dm, progress);
    }
    void TearDown() override { data::loginContext() = {}; }

    void openSheet() {
        db::Dataset& sp = dm.ADO_SP_Sort;
        sp.param("@group").setValue(std::int64_t{1});
        sp.param("@semester").setValue(std::int64_t{1});
        sp.param("@discipline").setValue(std::int64_t{1});
        sp.param("@examination").setValue(std::int64_t{1});
        sp.param("@id_teacher").setValue(std::int64_t{1});
        sp.param("@id_a_year").setValue(std::string("26"));
        sp.param("@id_ebe_var").setValue(std::int64_t{101});
        sp.param("@id_f_est").setValue(std::int64_t{1});
        dm.ADOQ_EstimationOther.param("id_ebe_var").setValue(std::int64_t{101});
        // The selection cascade gives the discipline list its text; this stands in for it.
        dm.ADOQ_Discipline.setSql("SELECT id_discipline, p34 FROM discipline");
        sp.open();
    }

    QTemporaryDir dir;
    data::TDM_ZOL_3 dm;
    Controls controls;
    // The sign-in window's progress, not looked at here.
    struct : data::SignInProgress {
        void show() override {}
        void advance() override {}
        void turnRed() override {}
    } progress;
};

TEST_F(DataModuleDemo, TheLoginContextFindsEveryKindAndGradeOfTheDemo) {
    const data::LoginContext& c = data::loginContext();
    EXPECT_EQ(c.TeacherId, 1);
    const std::vector<std::pair<std::int32_t, std::int32_t>> ids = {
        {c.KindExamId, 1},         {c.KindCreditId, 2},        {c.KindGradedCreditId, 3},
        {c.KindCourseWorkId, 4},   {c.KindCourseProjectId, 5}, {c.KindTotalId, 6},
        {c.KindAttestationId, 7},  {c.GradeCreditId, 2},       {c.GradeSatisfactoryId, 3},
        {c.GradeGoodId, 4},        {c.GradeExcellentId, 5},    {c.GradeAbsentId, 8},
        {c.GradeNotAdmittedId, 9}, {c.GradeNoCreditId, 10},    {c.GradeFailId, 11},
        {c.GradeDashId, 12},       {c.GradeNotAttestedId, 16}, {c.GradeAttestedId, 17}};
    for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(ids[i].first, ids[i].second) << i;
    EXPECT_FALSE(c.MinShareRule);  // row 28 of the demo is 0
}

TEST_F(DataModuleDemo, TheMarkSheetOpensWithItsFieldsAndLookups) {
    openSheet();
    db::Dataset& sp = dm.ADO_SP_Sort;
    ASSERT_EQ(sp.fieldCount(), 61);
    EXPECT_EQ(sp.recordCount(), 23);
    // Opening it opened the lookup sources that were still closed.
    EXPECT_TRUE(dm.ADOQ_s_fio.active());
    EXPECT_TRUE(dm.ADOQ_t_fio.active());
    EXPECT_TRUE(dm.ADOQ_poseshal.active());
    EXPECT_TRUE(dm.ADOQ_EstimationOther.active());
    for (sp.first(); !sp.eof(); sp.next()) {
        EXPECT_GT(sp.field("id_mark_mag").asInteger(), 0);
        EXPECT_FALSE(sp.field("student").asString().empty()) << sp.recNo();
        EXPECT_EQ(sp.field("exam").asString(), "Экзамен");
        EXPECT_FALSE(sp.field("discipline").asString().empty());
        EXPECT_FALSE(sp.field("f_est").asString().empty());
        EXPECT_EQ(sp.field("id_ebe_var").asInteger(), 101);
    }
}

TEST_F(DataModuleDemo, EditingAMarkLocksTheSelectionAndCancelOrCloseUndoesIt) {
    openSheet();
    db::Dataset& sp = dm.ADO_SP_Sort;
    sp.first();
    sp.edit();
    sp.field("m1").setValue(12.0);
    EXPECT_EQ(controls.saveButton, 1);
    EXPECT_EQ(controls.lists, 0);
    sp.cancel();
    EXPECT_EQ(controls.saveButton, 0);
    EXPECT_EQ(controls.lists, 1);

    // Closing the sheet with a change pending leaves the save button disabled.
    sp.edit();
    sp.field("m1").setValue(13.0);
    ASSERT_EQ(controls.saveButton, 1);
    sp.close();
    EXPECT_EQ(controls.saveButton, 0);
}

TEST_F(DataModuleDemo, ANewRowIsRefusedSilently) {
    openSheet();
    db::Dataset& sp = dm.ADO_SP_Sort;
    const int rows = sp.recordCount();
    EXPECT_THROW_MSG(sp.insert(), db::Abort, "Operation aborted");
    EXPECT_THROW_MSG(sp.append(), db::Abort, "Operation aborted");
    EXPECT_EQ(sp.state(), db::DatasetState::Browse);
    EXPECT_EQ(sp.recordCount(), rows);
    EXPECT_EQ(controls.saveButton, -1);  // nothing was switched on
}

}  // namespace
