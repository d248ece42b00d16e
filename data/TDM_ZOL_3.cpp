#include "data/TDM_ZOL_3.h"

#include "data/LoginContext.h"
#include "data/MarkFields.h"
#include "data/MarkSheetRecord.h"
#include "db/Error.h"
#include "db/Values.h"

namespace data {

namespace {
using db::ParamDirection;
using db::Type;

// The rule's rows that name a mark field, with the control point's number (m1..m12 as
// 1..12, dop as 13, dop2 as 14).
std::string estConfig3Text() {
    std::string text =
        "SELECT * FROM\n"
        "(SELECT [id_ebe_var],[name_pole],\n";
    for (int i = 1; i <= kControlPointCount; ++i) {
        text += i == 1 ? "(case when" : "     when";
        text += std::string(" pole_mark_mag = '") + markFieldOf(i) + "' then " + std::to_string(i);
        text += i == kControlPointCount ? " END) as id_modul_x\n" : "\n";
    }
    text += "FROM [QOR].[dbo].[est_config] \n";
    text += "WHERE [pole_mark_mag]<>'' AND [id_ebe_var]= :id_ebe_var ) as t\n";
    text += "WHERE id_modul_x IS NOT NULL";
    return text;
}
}  // namespace

TDM_ZOL_3::TDM_ZOL_3() {
    installMarkSheetHandlers();
    createDatasets();
    declareMarkSheet();
}

TDM_ZOL_3::~TDM_ZOL_3() {
    // Closing the connection closes the sheet; the window its handlers reach may be gone.
    removeMarkSheetHandlers();
    ADO_ZOL.close();
}

std::span<const TDM_ZOL_3::MarkSheetStep> TDM_ZOL_3::markSheetSteps() {
    using D = db::Dataset;
    static constexpr MarkSheetStep steps[] = {
        {&D::afterEdit, &TDM_ZOL_3::ADO_SP_SortAfterEdit},
        {&D::afterInsert, &TDM_ZOL_3::ADO_SP_SortAfterInsert},
        {&D::afterCancel, &TDM_ZOL_3::ADO_SP_SortAfterCancel},
        {&D::afterPost, &TDM_ZOL_3::ADO_SP_SortAfterPost},
        {&D::afterClose, &TDM_ZOL_3::ADO_SP_SortAfterClose},
        {&D::beforeInsert, &TDM_ZOL_3::ADO_SP_SortBeforeInsert},
        {&D::beforePost, &TDM_ZOL_3::ADO_SP_SortBeforePost},
        {&D::onCalcFields, &TDM_ZOL_3::ADO_SP_SortCalcFields},
    };
    return steps;
}

void TDM_ZOL_3::installMarkSheetHandlers() {
    for (const MarkSheetStep& s : markSheetSteps())
        ADO_SP_Sort.*s.event = MarkSheetHandler{this, s.step};
    using E = const db::Error&;
    ADO_SP_Sort.onEditError = [this](db::Dataset& d, E e, db::ErrorAction& a) {
        ADO_SP_SortEditError(d, e, a);
    };
    ADO_SP_Sort.onPostError = [this](db::Dataset& d, E e, db::ErrorAction& a) {
        ADO_SP_SortPostError(d, e, a);
    };
    ADO_SP_Sort.onDeleteError = [this](db::Dataset& d, E e, db::ErrorAction& a) {
        ADO_SP_SortDeleteError(d, e, a);
    };
}

void TDM_ZOL_3::removeMarkSheetHandlers() {
    for (const MarkSheetStep& s : markSheetSteps()) ADO_SP_Sort.*s.event = nullptr;
    ADO_SP_Sort.onEditError = nullptr;
    ADO_SP_Sort.onPostError = nullptr;
    ADO_SP_Sort.onDeleteError = nullptr;
}

void TDM_ZOL_3::createDatasets() {
    ADOQ_Exam = std::make_unique<db::Dataset>(&ADO_ZOL);
    ADOQ_Estim = std::make_unique<db::Dataset>(&ADO_ZOL);

    ADOQ_Exec.setSql("Select p32 from g_r_y");
    ADOQ_VuzDefaults.setSql(
        "SELECT Top 0 [id_field]\nFROM [QOR].[dbo].[VuzDefaults]\nwhere id_vuz_defaults=28");
    ADOQ_estimation.setSql("select * from estimation");
    ADOQ_Examination.setSql("select * from examination");
    ADOQ_Exam->setSql("select * from examination");
    ADOQ_Estim->setSql("select * from estimation");
    ADOTSemestr.setTableName("semester");
    ADOT_f_est.setTableName("f_est");
    ADOQ_t_fio.setSql("select * from t_fio");
    ADOQ_s_fio.setSql("select * from s_fio");
    ADOQuery1.setSql("select * from discipline");
    ADOQ_Year.setSql("Select p32 from g_r_y");
    ADOQ_g_sem.setSql("select * from g_sem ");
    ADOQ_Discipline.setSql("SELECT     *\nFROM         dbo.gr_sem_disc_exam\n");
    ADOQ_Vremennyi.setSql("--select * from gr_sem_disc_exam");
    ADOQ_group.setSql("SELECT  * FROM [group]");
    ADOQ_g_s.setSql("Select * from  g_s");

    ADOQ_f_est2.setSql("EXEC SP_GetActiveFEst");
    for (const char* name :
         {"@id_a_year", "@id_semesterOrWs", "@forPotok", "@id_discipline", "@subgroup",
          "@id_faculty", "@id_speciality", "@id_teacher", "@id_ebe_var"}) {
        ADOQ_f_est2.parameters().add(name);
    }
    ADOQ_f_est2.parameters().add("@kredits", Type::Null, ParamDirection::Input, 0, true,
                                 std::string("0"));
    ADOQ_f_est2.parameters().add("@id_examination", Type::Null, ParamDirection::Input, 0, true,
                                 std::string("-1"));

    ADOQ_EstimationOther.setSql(
        "SELECT EstimationOther.* \nFROM qor.dbo.EstimationOther\n"
        "WHERE EstimationOther.id_ebe_var = :id_ebe_var\n");  // declares the parameter
    ADOQ_poseshal.setSql("SELECT    id_poseshal, poseshal\nFROM       poseshal");
    ADOQ_est_config3.setSql(estConfig3Text());

    named_ = {{"ADOQ_Exec", &ADOQ_Exec},
              {"ADOQ_Exec_temp", &ADOQ_Exec_temp},
              {"ADOQ_Temp", &ADOQ_Temp},
              {"ADOQ_Tmp", &ADOQ_Tmp},
              {"ADOQ_VuzDefaults", &ADOQ_VuzDefaults},
              {"ADOQ_estimation", &ADOQ_estimation},
              {"ADOQ_Examination", &ADOQ_Examination},
              {"ADOTSemestr", &ADOTSemestr},
              {"ADOT_f_est", &ADOT_f_est},
              {"ADOQ_t_fio", &ADOQ_t_fio},
              {"ADOQ_s_fio", &ADOQ_s_fio},
              {"ADOQuery1", &ADOQuery1},
              {"ADOQ_Year", &ADOQ_Year},
              {"ADOQ_g_sem", &ADOQ_g_sem},
              {"ADOQ_Discipline", &ADOQ_Discipline},
              {"ADOQ_Vremennyi", &ADOQ_Vremennyi},
              {"ADOQ_group", &ADOQ_group},
              {"ADOQ_Kafedra", &ADOQ_Kafedra},
              {"ADOQ_g_s", &ADOQ_g_s},
              {"ADOQ_Group_F_educ", &ADOQ_Group_F_educ},
              {"ADOQ_f_est2", &ADOQ_f_est2},
              {"ADOQ_est_config", &ADOQ_est_config},
              {"ADOQ_EstimationOther", &ADOQ_EstimationOther},
              {"ADOQ_poseshal", &ADOQ_poseshal},
              {"ADOQ_est_config2", &ADOQ_est_config2},
              {"ADOQ_est_config3", &ADOQ_est_config3},
              {"ADOQ_individualPermissPotok", &ADOQ_individualPermissPotok},
              {"ADOQ_Potok", &ADOQ_Potok},
              {"ADO_SP_Sort", &ADO_SP_Sort}};

    sources_ = {{"DS_estimation", &ADOQ_estimation},
                {"DS_Examination", &ADOQ_Examination},
                {"DS_Semestr", &ADOTSemestr},
                {"DS_f_est", &ADOT_f_est},
                {"DS_T_fio", &ADOQ_t_fio},
                {"DS_s_fio", &ADOQ_s_fio},
                {"DataSource1", &ADOQuery1},
                {"DS_Year", &ADOQ_Year},
                {"DS_g_sem", &ADOQ_g_sem},
                {"DS_discipline", &ADOQ_Discipline},
                {"DataSource2", &ADOQ_Vremennyi},
                {"DS_group", &ADOQ_group},
                {"DS_Kafedra", &ADOQ_Kafedra},
                {"DS_g_s", &ADOQ_g_s},
                {"DS_Group_F_educ", &ADOQ_Group_F_educ},
                {"DS_f_est2", &ADOQ_f_est2},
                {"DS_est_config", &ADOQ_est_config},
                {"DS_EstimationOther", &ADOQ_EstimationOther},
                {"DS_poseshal", &ADOQ_poseshal},
                {"DS_est_config2", &ADOQ_est_config2},
                {"DS_individualPermissPotok", &ADOQ_individualPermissPotok},
                {"DS_Potok", &ADOQ_Potok},
                {"DS_SP_Sort", &ADO_SP_Sort}};
}

void TDM_ZOL_3::declareMarkSheet() {
    db::Dataset& sp = ADO_SP_Sort;
    sp.setProcedureName("SORT_MARK_MAG;1");
    // A sheet of a large stream takes the server a while; 30 seconds is not enough.
    sp.setCommandTimeout(240);
    sp.setUpdateTable("mark_mag");
    sp.setKeyField("id_mark_mag");

    auto& p = sp.parameters();
    const db::Value zero = std::int64_t{0};
    p.add("@RETURN_VALUE", Type::Integer, ParamDirection::ReturnValue, 0, false, zero);
    for (const char* name : {"@group", "@semester", "@discipline", "@examination", "@id_teacher"}) {
        p.add(name, Type::Integer, ParamDirection::Input, 0, true, zero);
    }
    p.add("@DoNotShowEst", Type::Text, ParamDirection::Input, 1, true, std::string("0"));
    p.add("@subGroup", Type::Integer, ParamDirection::Input, 0, true, zero);
    p.add("@isGetFromSubGroup", Type::Integer, ParamDirection::Input, 0, true, zero);
    p.add("@id_a_year", Type::Text, ParamDirection::Input, 1, false, std::string("0"));
    p.add("@id_ebe_var", Type::Integer, ParamDirection::Input, 1, false, std::int64_t{-1});
    p.add("@id_kafedra", Type::Integer, ParamDirection::Input, 1, false, zero);
    p.add("@id_f_est", Type::Integer, ParamDirection::Input, 1, false, zero);
    p.add("@kredits", Type::Integer, ParamDirection::Input, 0, false, std::int64_t{-1});

    for (const MarkSheetField& f : markSheetFields()) {
        switch (f.kind) {
            case db::FieldKind::Data:
                sp.addDataField(f.name, f.type, f.size).setReadOnly(f.readOnly);
                break;
            case db::FieldKind::Lookup:
                sp.addLookupField(f.name, f.type, f.keyField, *dataset(f.lookupDataset),
                                  f.lookupKeyField, f.lookupResultField, f.size);
                break;
            case db::FieldKind::Calculated:
                sp.addCalculatedField(f.name, f.type, f.size);
                break;
        }
    }
}

db::Dataset* TDM_ZOL_3::dataset(const std::string& name) const {
    const std::string key = db::foldCase(name);
    for (const auto& [n, ds] : named_) {
        if (db::foldCase(n) == key) return ds;
    }
    if (key == "adoq_exam") return ADOQ_Exam.get();
    if (key == "adoq_estim") return ADOQ_Estim.get();
    return nullptr;
}

const DataSource* TDM_ZOL_3::dataSource(const std::string& name) const {
    const std::string key = db::foldCase(name);
    for (const DataSource& s : sources_) {
        if (db::foldCase(s.name()) == key) return &s;
    }
    return nullptr;
}

std::vector<std::string> TDM_ZOL_3::datasetNames() const {
    std::vector<std::string> names;
    for (const auto& entry : named_) names.push_back(entry.first);
    return names;
}

void TDM_ZOL_3::setEditing(bool editing) {
    if (!controls_) return;
    controls_->setSaveButtonEnabled(editing);
    controls_->setSelectionListsEnabled(!editing);
}

void TDM_ZOL_3::ADO_SP_SortAfterEdit(db::Dataset&) {
    setEditing(true);
}

void TDM_ZOL_3::ADO_SP_SortAfterInsert(db::Dataset&) {
    setEditing(true);
}

void TDM_ZOL_3::ADO_SP_SortAfterCancel(db::Dataset&) {
    setEditing(false);
}

void TDM_ZOL_3::ADO_SP_SortAfterPost(db::Dataset&) {
    // The lists were enabled again by the save rules before the post.
    if (controls_) controls_->setSaveButtonEnabled(false);
}

void TDM_ZOL_3::ADO_SP_SortAfterClose(db::Dataset&) {
    if (controls_) controls_->setSaveButtonEnabled(false);
}

void TDM_ZOL_3::LoadGradeBands(std::int64_t specialityId) {
    // Without the main window there is no rule to read and nowhere to show the message.
    if (!view_) throw db::Error("Не выбрана ведомость.");
    data::LoadGradeBands(specialityId,
                         {ADOQ_Exec, ADOQ_EstimationOther, view_->sheetChoice().RuleId,
                          view_->sheetChoice().RuleIdText},
                         gradingIdsOf(loginContext()), GradeBands, SheetNotReady, *view_);
}

AssessmentClass TDM_ZOL_3::SheetAssessmentClass() const {
    return assessmentClassOf(gradingIdsOf(loginContext()));
}

AssessmentClass TDM_ZOL_3::assessmentClassOf(const GradingIds& ids) const {
    if (!view_) return AssessmentClass::Other;
    const db::Value& kind = view_->sheetChoice().assessment;
    if (db::isNull(kind)) return AssessmentClass::Other;
    return data::assessmentClassOf(db::toInteger(kind), ids);
}

void TDM_ZOL_3::ADO_SP_SortCalcFields(db::Dataset& sheet) {
    const GradingIds ids = gradingIdsOf(loginContext());
    computedFields_.calculate(sheet,
                              {Parser1, ADOQ_est_config, GradeBands, ids, assessmentClassOf(ids),
                               view_ && view_->markGridHasDataset()});
}

void TDM_ZOL_3::ADO_SP_SortBeforeInsert(db::Dataset&) {
    // Rows of a mark sheet come from the server's preparation of the sheet only.
    throw db::Abort();
}

}  // namespace data
