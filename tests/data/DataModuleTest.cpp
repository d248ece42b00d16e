#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/MarkSheetRecord.h"
#include "data/TDM_ZOL_3.h"
#include "tests/support/ThrowMessage.h"

namespace {

using db::FieldKind;
using db::ParamDirection;
using db::Type;

TEST(DataModule, EveryDatasetCarriesItsTextAtCreationAndNothingIsOpen) {
    data::TDM_ZOL_3 dm;
    EXPECT_FALSE(dm.ADO_ZOL.isOpen());
    EXPECT_TRUE(dm.ADO_ZOL.connectionString().empty());
    struct Text {
        const char* dataset;
        const char* text;
    };
    const std::vector<Text> texts = {
        {"ADOQ_Exec", "Select p32 from g_r_y"},
        {"ADOQ_Exec_temp", ""},
        {"ADOQ_Temp", ""},
        {"ADOQ_Tmp", ""},
        {"ADOQ_VuzDefaults",
         "SELECT Top 0 [id_field]\nFROM [QOR].[dbo].[VuzDefaults]\nwhere id_vuz_defaults=28"},
        {"ADOQ_estimation", "select * from estimation"},
        {"ADOQ_Examination", "select * from examination"},
        {"ADOQ_Exam", "select * from examination"},
        {"ADOQ_Estim", "select * from estimation"},
        {"ADOQ_t_fio", "select * from t_fio"},
        {"ADOQ_s_fio", "select * from s_fio"},
        {"ADOQuery1", "select * from discipline"},
        {"ADOQ_Year", "Select p32 from g_r_y"},
        {"ADOQ_g_sem", "select * from g_sem "},
        {"ADOQ_Discipline", "SELECT     *\nFROM         dbo.gr_sem_disc_exam\n"},
        {"ADOQ_Vremennyi", "--select * from gr_sem_disc_exam"},
        {"ADOQ_group", "SELECT  * FROM [group]"},
        {"ADOQ_Kafedra", ""},
        {"ADOQ_g_s", "Select * from  g_s"},
        {"ADOQ_Group_F_educ", ""},
        {"ADOQ_f_est2", "EXEC SP_GetActiveFEst"},
        {"ADOQ_est_config", ""},
        {"ADOQ_EstimationOther",
         "SELECT EstimationOther.* \nFROM qor.dbo.EstimationOther\n"
         "WHERE EstimationOther.id_ebe_var = :id_ebe_var\n"},
        {"ADOQ_poseshal", "SELECT    id_poseshal, poseshal\nFROM       poseshal"},
        {"ADO_SP_Sort", "SORT_MARK_MAG;1"},
    };
    for (const Text& t : texts) {
        db::Dataset* ds = dm.dataset(t.dataset);
        ASSERT_NE(ds, nullptr) << t.dataset;
        EXPECT_EQ(ds->sql(), t.text) << t.dataset;
        EXPECT_FALSE(ds->active()) << t.dataset;
        EXPECT_EQ(ds->connection(), &dm.ADO_ZOL) << t.dataset;
    }
    EXPECT_EQ(dm.ADOTSemestr.commandKind(), db::CommandKind::Table);
    EXPECT_EQ(dm.ADOTSemestr.sql(), "semester");
    EXPECT_EQ(dm.ADOT_f_est.commandKind(), db::CommandKind::Table);
    EXPECT_EQ(dm.ADOT_f_est.sql(), "f_est");
    EXPECT_EQ(dm.ADO_SP_Sort.commandKind(), db::CommandKind::StoredProc);
    EXPECT_EQ(dm.ADO_SP_Sort.commandTimeout(), 240);
    EXPECT_EQ(dm.ADOQ_EstimationOther.parameters().size(), 1u);
    EXPECT_EQ(dm.ADOQ_f_est2.parameters().size(), 11u);
    EXPECT_EQ(dm.ADOQ_f_est2.param("@kredits").value(), db::Value(std::string("0")));
    EXPECT_EQ(dm.ADOQ_f_est2.param("@id_examination").value(), db::Value(std::string("-1")));
    EXPECT_EQ(dm.ADOQ_est_config3.sql(),
              "SELECT * FROM\n"
              "(SELECT [id_ebe_var],[name_pole],\n"
              "(case when pole_mark_mag = 'm1' then 1\n"
              "     when pole_mark_mag = 'm2' then 2\n"
              "     when pole_mark_mag = 'm3' then 3\n"
              "     when pole_mark_mag = 'm4' then 4\n"
              "     when pole_mark_mag = 'm5' then 5\n"
              "     when pole_mark_mag = 'm6' then 6\n"
              "     when pole_mark_mag = 'm7' then 7\n"
              "     when pole_mark_mag = 'm8' then 8\n"
              "     when pole_mark_mag = 'm9' then 9\n"
              "     when pole_mark_mag = 'm10' then 10\n"
              "     when pole_mark_mag = 'm11' then 11\n"
              "     when pole_mark_mag = 'm12' then 12\n"
              "     when pole_mark_mag = 'dop' then 13\n"
              "     when pole_mark_mag = 'dop2' then 14 END) as id_modul_x\n"
              "FROM [QOR].[dbo].[est_config] \n"
              "WHERE [pole_mark_mag]<>'' AND [id_ebe_var]= :id_ebe_var ) as t\n"
              "WHERE id_modul_x IS NOT NULL");
    EXPECT_FALSE(dm.SheetNotReady);
}

TEST(DataModule, DataSourcesShowTheirDatasets) {
    data::TDM_ZOL_3 dm;
    const std::vector<std::pair<const char*, db::Dataset*>> sources = {
        {"DS_estimation", &dm.ADOQ_estimation},
        {"DS_Examination", &dm.ADOQ_Examination},
        {"DS_Semestr", &dm.ADOTSemestr},
        {"DS_f_est", &dm.ADOT_f_est},
        {"DS_T_fio", &dm.ADOQ_t_fio},
        {"DS_s_fio", &dm.ADOQ_s_fio},
        {"DataSource1", &dm.ADOQuery1},
        {"DS_Year", &dm.ADOQ_Year},
        {"DS_g_sem", &dm.ADOQ_g_sem},
        {"DS_discipline", &dm.ADOQ_Discipline},
        {"DataSource2", &dm.ADOQ_Vremennyi},
        {"DS_group", &dm.ADOQ_group},
        {"DS_Kafedra", &dm.ADOQ_Kafedra},
        {"DS_g_s", &dm.ADOQ_g_s},
        {"DS_Group_F_educ", &dm.ADOQ_Group_F_educ},
        {"DS_f_est2", &dm.ADOQ_f_est2},
        {"DS_est_config", &dm.ADOQ_est_config},
        {"DS_EstimationOther", &dm.ADOQ_EstimationOther},
        {"DS_poseshal", &dm.ADOQ_poseshal},
        {"DS_SP_Sort", &dm.ADO_SP_Sort}};
    for (const auto& [name, ds] : sources) {
        const data::DataSource* s = dm.dataSource(name);
        ASSERT_NE(s, nullptr) << name;
        EXPECT_EQ(s->dataset(), ds) << name;
    }
    // The general-purpose queries are shown by nothing.
    EXPECT_EQ(dm.dataSource("DS_Exec"), nullptr);
}

TEST(DataModule, MarkSheetParametersInDeclarationOrder) {
    data::TDM_ZOL_3 dm;
    struct P {
        const char* name;
        ParamDirection direction;
        Type type;
        int size;
        bool nullable;
        db::Value value;
    };
    const db::Value zero = std::int64_t{0};
    const std::vector<P> expected = {
        {"@RETURN_VALUE", ParamDirection::ReturnValue, Type::Integer, 0, false, zero},
        {"@group", ParamDirection::Input, Type::Integer, 0, true, zero},
        {"@semester", ParamDirection::Input, Type::Integer, 0, true, zero},
        {"@discipline", ParamDirection::Input, Type::Integer, 0, true, zero},
        {"@examination", ParamDirection::Input, Type::Integer, 0, true, zero},
        {"@id_teacher", ParamDirection::Input, Type::Integer, 0, true, zero},
        {"@DoNotShowEst", ParamDirection::Input, Type::Text, 1, true, std::string("0")},
        {"@subGroup", ParamDirection::Input, Type::Integer, 0, true, zero},
        {"@isGetFromSubGroup", ParamDirection::Input, Type::Integer, 0, true, zero},
        {"@id_a_year", ParamDirection::Input, Type::Text, 1, false, std::string("0")},
        {"@id_ebe_var", ParamDirection::Input, Type::Integer, 1, false, std::int64_t{-1}},
        {"@id_kafedra", ParamDirection::Input, Type::Integer, 1, false, zero},
        {"@id_f_est", ParamDirection::Input, Type::Integer, 1, false, zero},
        {"@kredits", ParamDirection::Input, Type::Integer, 0, false, std::int64_t{-1}},
    };
    ASSERT_EQ(dm.ADO_SP_Sort.parameters().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const db::Parameter& p = dm.ADO_SP_Sort.param(i);
        EXPECT_EQ(p.name(), expected[i].name);
        EXPECT_EQ(p.direction(), expected[i].direction) << p.name();
        EXPECT_EQ(p.type(), expected[i].type) << p.name();
        EXPECT_EQ(p.size(), expected[i].size) << p.name();
        EXPECT_EQ(p.nullable(), expected[i].nullable) << p.name();
        EXPECT_EQ(p.value(), expected[i].value) << p.name();
    }
}

TEST(DataModule, TheMarkSheetRecordHas61FieldsInItsFixedOrder) {
    data::TDM_ZOL_3 dm;
    const std::vector<std::string> names = {"k_count",
                                            "id_mark_mag",
                                            "id_group",
                                            "id_student",
                                            "id_examination",
                                            "id_estimation",
                                            "id_discipline",
                                            "id_semester",
                                            "id_teacher",
                                            "p35",
                                            "p36",
                                            "id_f_est",
                                            "oper",
                                            "u_date",
                                            "estimation",
                                            "semestr",
                                            "teacher",
                                            "f_est",
                                            "exam",
                                            "discipline",
                                            "student",
                                            "m1",
                                            "m2",
                                            "m3",
                                            "m4",
                                            "dop",
                                            "dop2",
                                            "ball",
                                            "ball1",
                                            "ball_name",
                                            "QOR_User",
                                            "QOR_Update",
                                            "sessiya",
                                            "CanEdit",
                                            "primech",
                                            "m5",
                                            "m6",
                                            "m7",
                                            "m8",
                                            "m9",
                                            "m10",
                                            "m11",
                                            "EstimationOther",
                                            "id_estimation_other",
                                            "m12",
                                            "dopusk_izm",
                                            "calc1",
                                            "calc2",
                                            "calc3",
                                            "calc4",
                                            "calc5",
                                            "p20",
                                            "id_ebe_var",
                                            "calc6",
                                            "calc7",
                                            "calc8",
                                            "calc9",
                                            "calc10",
                                            "rec_no",
                                            "id_poseshal",
                                            "poseshal"};
    db::Dataset& sp = dm.ADO_SP_Sort;
    ASSERT_EQ(sp.fieldCount(), 61);
    for (int i = 0; i < 61; ++i) EXPECT_EQ(sp.field(i).name(), names[i]) << "field " << i + 1;

    struct Kind {
        const char* name;
        FieldKind kind;
        Type type;
        int size;
    };
    const std::vector<Kind> kinds = {
        {"id_mark_mag", FieldKind::Data, Type::Integer, 0},
        {"p35", FieldKind::Data, Type::Text, 50},
        {"p36", FieldKind::Data, Type::DateTime, 0},
        {"oper", FieldKind::Data, Type::Text, 5},
        {"discipline", FieldKind::Lookup, Type::Text, 90},
        {"student", FieldKind::Lookup, Type::Text, 70},
        {"m12", FieldKind::Data, Type::Float, 0},
        {"ball1", FieldKind::Calculated, Type::Float, 0},
        {"Ball_Name", FieldKind::Calculated, Type::Text, 10},
        {"QOR_User", FieldKind::Data, Type::Text, 20},
        {"sessiya", FieldKind::Lookup, Type::Integer, 0},
        {"EstimationOther", FieldKind::Lookup, Type::Text, 10},
        {"Calc10", FieldKind::Calculated, Type::Float, 0},
        {"Rec_no", FieldKind::Data, Type::Integer, 0},
        {"poseshal", FieldKind::Lookup, Type::Text, 50},
    };
    for (const Kind& k : kinds) {
        const db::Field& f = sp.field(k.name);
        EXPECT_EQ(f.kind(), k.kind) << k.name;
        EXPECT_EQ(f.type(), k.type) << k.name;
        EXPECT_EQ(f.size(), k.size) << k.name;
    }
    EXPECT_TRUE(sp.field("id_mark_mag").readOnly());
    EXPECT_FALSE(sp.field("m1").readOnly());
    EXPECT_EQ(sp.keyField(), "id_mark_mag");
    EXPECT_EQ(sp.updateTable(), "mark_mag");

    struct Lookup {
        const char* name;
        const char* key;
        db::Dataset* source;
        const char* sourceKey;
        const char* result;
    };
    const std::vector<Lookup> lookups = {
        {"estimation", "id_estimation", &dm.ADOQ_estimation, "id_estimation", "p31"},
        {"semestr", "id_semester", &dm.ADOTSemestr, "id_semester", "p43"},
        {"teacher", "id_teacher", &dm.ADOQ_t_fio, "id_teacher", "t_fio"},
        {"f_est", "id_f_est", &dm.ADOT_f_est, "id_f_e", "p109"},
        {"exam", "id_examination", &dm.ADOQ_Examination, "id_examination", "p30"},
        {"discipline", "id_discipline", &dm.ADOQ_Discipline, "id_discipline", "p34"},
        {"student", "id_student", &dm.ADOQ_s_fio, "id_student", "s_fio"},
        {"sessiya", "id_f_est", &dm.ADOT_f_est, "id_f_e", "sessiya"},
        {"EstimationOther", "id_estimation_other", &dm.ADOQ_EstimationOther, "id_estimation_other",
         "Estimation_Other"},
        {"poseshal", "id_poseshal", &dm.ADOQ_poseshal, "id_poseshal", "poseshal"},
    };
    for (const Lookup& l : lookups) {
        const db::Field& f = sp.field(l.name);
        EXPECT_EQ(f.keyField(), l.key) << l.name;
        EXPECT_EQ(f.lookupDataset(), l.source) << l.name;
        EXPECT_EQ(f.lookupKeyField(), l.sourceKey) << l.name;
        EXPECT_EQ(f.lookupResultField(), l.result) << l.name;
    }
    int lookupsSeen = 0;
    for (const auto& f : data::markSheetFields()) lookupsSeen += f.kind == FieldKind::Lookup;
    EXPECT_EQ(lookupsSeen, 10);
}

// Records what the data module does to the main window's controls.
struct Controls : data::EditingControls {
    int saveButton = -1;  // -1 untouched, 0 disabled, 1 enabled
    int lists = -1;
    void setSaveButtonEnabled(bool on) override { saveButton = on; }
    void setSelectionListsEnabled(bool on) override { lists = on; }
};

// The change history and the grid component take the sheet's events over by keeping
// what they find in each and putting it back when they let go. What they find must be
// the module's own steps, already there when the module is built, and what they put back
// must run exactly those steps again.
TEST(DataModule, AComponentThatTakesTheSheetsEventsOverGivesBackTheModulesOwnSteps) {
    using DM = data::TDM_ZOL_3;
    using D = db::Dataset;
    data::TDM_ZOL_3 dm;
    Controls controls;
    dm.setEditingControls(&controls);
    db::Dataset& sp = dm.ADO_SP_Sort;

    const std::vector<std::pair<D::Event D::*, DM::MarkSheetStepFn>> expected = {
        {&D::afterEdit, &DM::ADO_SP_SortAfterEdit},
        {&D::afterInsert, &DM::ADO_SP_SortAfterInsert},
        {&D::afterCancel, &DM::ADO_SP_SortAfterCancel},
        {&D::afterPost, &DM::ADO_SP_SortAfterPost},
        {&D::afterClose, &DM::ADO_SP_SortAfterClose},
        {&D::beforeInsert, &DM::ADO_SP_SortBeforeInsert},
        {&D::beforePost, &DM::ADO_SP_SortBeforePost},
        {&D::onCalcFields, &DM::ADO_SP_SortCalcFields},
    };
    const auto steps = DM::markSheetSteps();
    ASSERT_EQ(steps.size(), expected.size());
    auto holdsTheModulesSteps = [&](const char* when) {
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_TRUE(steps[i].event == expected[i].first) << when << ", step " << i;
            EXPECT_TRUE(steps[i].step == expected[i].second) << when << ", step " << i;
            const auto* h = (sp.*expected[i].first).target<DM::MarkSheetHandler>();
            ASSERT_NE(h, nullptr) << when << ", step " << i;
            EXPECT_EQ(h->module, &dm) << when << ", step " << i;
            EXPECT_TRUE(h->step == expected[i].second) << when << ", step " << i;
        }
    };
    holdsTheModulesSteps("at creation");
    // The events the module leaves alone are free.
    for (D::Event D::*free : {&D::beforeOpen, &D::afterOpen, &D::beforeClose, &D::beforeEdit,
                              &D::beforeCancel, &D::beforeDelete, &D::afterDelete})
        EXPECT_FALSE(sp.*free);

    // A component attaches in front of every step, then lets go.
    std::vector<D::Event> kept;
    std::string order;
    for (const auto& [event, step] : expected) {
        kept.push_back(sp.*event);
        sp.*event = [&order, before = sp.*event](D& d) {
            order += "component ";
            before(d);
        };
    }
    sp.afterEdit(sp);
    EXPECT_EQ(order, "component ");
    EXPECT_EQ(controls.saveButton, 1);  // the module's step ran behind the component
    for (std::size_t i = 0; i < expected.size(); ++i) sp.*expected[i].first = kept[i];
    holdsTheModulesSteps("given back");
    sp.afterCancel(sp);
    EXPECT_EQ(order, "component ");
    EXPECT_EQ(controls.saveButton, 0);
}

TEST(DataModule, EditingStateHandlersFollowTheMarkSheet) {
    data::TDM_ZOL_3 dm;
    Controls controls;
    dm.setEditingControls(&controls);
    db::Dataset& sp = dm.ADO_SP_Sort;
    struct Step {
        const char* event;
        db::Dataset::Event* handler;
        int saveButton, lists;
    };
    const std::vector<Step> steps = {
        {"after-edit", &sp.afterEdit, 1, 0},     {"after-cancel", &sp.afterCancel, 0, 1},
        {"after-insert", &sp.afterInsert, 1, 0}, {"after-post", &sp.afterPost, 0, 0},
        {"after-edit", &sp.afterEdit, 1, 0},     {"after-close", &sp.afterClose, 0, 0},
    };
    for (const Step& s : steps) {
        ASSERT_TRUE(*s.handler) << s.event;
        (*s.handler)(sp);
        EXPECT_EQ(controls.saveButton, s.saveButton) << s.event;
        EXPECT_EQ(controls.lists, s.lists) << s.event;
    }
    ASSERT_TRUE(sp.beforeInsert);
    EXPECT_THROW_MSG(sp.beforeInsert(sp), db::Abort, "Operation aborted");

    // Without a main window nothing is touched and nothing fails.
    dm.setEditingControls(nullptr);
    EXPECT_NO_THROW(sp.afterEdit(sp));
}

}  // namespace
