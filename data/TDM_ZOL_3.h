#pragma once

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "data/AssessmentClass.h"
#include "data/ComputedFields.h"
#include "data/DataSource.h"
#include "data/EditingControls.h"
#include "data/GradeBands.h"
#include "data/MarkSheetView.h"
#include "db/Connection.h"
#include "db/Dataset.h"
#include "formula/TParser.h"

namespace data {

// The data module: the one owner of the connection and of every dataset the windows
// use, for the whole run. The windows reach the datasets by their names below.
// The number of the sheet a row is saved in: group or stream, semester entry,
// discipline and form of assessment, joined by "-" (1203-7-55-2).
std::string SheetNumber(const SheetChoice& choice);

inline constexpr const char* kNotAdmittedMessage = "Нет допуска, обратитесь в деканат !!!";

class TDM_ZOL_3 {
  public:
    TDM_ZOL_3();
    ~TDM_ZOL_3();
    TDM_ZOL_3(const TDM_ZOL_3&) = delete;
    TDM_ZOL_3& operator=(const TDM_ZOL_3&) = delete;

    // The main window's save button and selection lists, which follow the editing
    // state of the mark sheet. Without them the handlers change nothing.
    void setEditingControls(EditingControls* controls) { controls_ = controls; }
    EditingControls* editingControls() const { return controls_; }
    // The main window's sheet choice and mark grid, which loading the bands and
    // calculating the rows read. Without it no row gets computed fields.
    void setMarkSheetView(MarkSheetView* view) { view_ = view; }
    MarkSheetView* markSheetView() const { return view_; }

    // The dataset or data source of that name (case ignored); nullptr when none.
    db::Dataset* dataset(const std::string& name) const;
    const DataSource* dataSource(const std::string& name) const;
    std::vector<std::string> datasetNames() const;

    db::Connection ADO_ZOL;

    db::Dataset ADOQ_Exec{&ADO_ZOL};
    db::Dataset ADOQ_Exec_temp{&ADO_ZOL};
    db::Dataset ADOQ_Temp{&ADO_ZOL};
    db::Dataset ADOQ_Tmp{&ADO_ZOL};
    db::Dataset ADOQ_VuzDefaults{&ADO_ZOL};
    db::Dataset ADOQ_estimation{&ADO_ZOL};
    db::Dataset ADOQ_Examination{&ADO_ZOL};
    // Read once at sign-in, then destroyed.
    std::unique_ptr<db::Dataset> ADOQ_Exam;
    std::unique_ptr<db::Dataset> ADOQ_Estim;
    db::Dataset ADOTSemestr{&ADO_ZOL};
    db::Dataset ADOT_f_est{&ADO_ZOL};
    db::Dataset ADOQ_t_fio{&ADO_ZOL};
    db::Dataset ADOQ_s_fio{&ADO_ZOL};
    db::Dataset ADOQuery1{&ADO_ZOL};
    db::Dataset ADOQ_Year{&ADO_ZOL};
    db::Dataset ADOQ_g_sem{&ADO_ZOL};
    db::Dataset ADOQ_Discipline{&ADO_ZOL};
    db::Dataset ADOQ_Vremennyi{&ADO_ZOL};
    db::Dataset ADOQ_group{&ADO_ZOL};
    db::Dataset ADOQ_Kafedra{&ADO_ZOL};
    db::Dataset ADOQ_g_s{&ADO_ZOL};
    db::Dataset ADOQ_Group_F_educ{&ADO_ZOL};
    db::Dataset ADOQ_f_est2{&ADO_ZOL};
    db::Dataset ADOQ_est_config{&ADO_ZOL};
    db::Dataset ADOQ_EstimationOther{&ADO_ZOL};
    db::Dataset ADOQ_poseshal{&ADO_ZOL};
    db::Dataset ADOQ_est_config2{&ADO_ZOL};
    db::Dataset ADOQ_est_config3{&ADO_ZOL};
    db::Dataset ADOQ_individualPermissPotok{&ADO_ZOL};
    db::Dataset ADOQ_Potok{&ADO_ZOL};
    db::Dataset ADO_SP_Sort{&ADO_ZOL};

    // The parser the computed fields evaluate the rule's formulas with.
    formula::TParser Parser1;

    // Set while the grade bands of a sheet are being loaded and none were found yet;
    // the main window keeps the mark grid disabled meanwhile.
    bool SheetNotReady = false;

    // The grade bands of the sheet opened last (every band empty until then).
    data::GradeBands GradeBands;

    // Loads the bands of the sheet being opened (0 for a stream, else the group's
    // speciality), reopens the rule's other grades and shows or hides their column.
    // Sets SheetNotReady when no band was found; server errors reach the caller.
    void LoadGradeBands(std::int64_t specialityId);
    // The assessment class of the chosen form of assessment (Other when none).
    AssessmentClass SheetAssessmentClass() const;

    // The module's handler of one event of ADO_SP_Sort, as the event holds it. A
    // component that takes the event over (the change history, the grid component) keeps
    // what it found there and puts it back when it lets go; a test can then tell that it
    // gave back exactly the module's step.
    using MarkSheetStepFn = void (TDM_ZOL_3::*)(db::Dataset&);
    struct MarkSheetHandler {
        TDM_ZOL_3* module;
        MarkSheetStepFn step;
        void operator()(db::Dataset& d) const { (module->*step)(d); }
    };
    // Which event of ADO_SP_Sort runs which step of the module.
    struct MarkSheetStep {
        db::Dataset::Event db::Dataset::*event;
        MarkSheetStepFn step;
    };
    // Every step the module installs on ADO_SP_Sort, in the order it installs them.
    static std::span<const MarkSheetStep> markSheetSteps();

    // Editing-state handlers of ADO_SP_Sort.
    void ADO_SP_SortAfterEdit(db::Dataset&);
    void ADO_SP_SortAfterInsert(db::Dataset&);
    void ADO_SP_SortAfterCancel(db::Dataset&);
    void ADO_SP_SortAfterPost(db::Dataset&);
    void ADO_SP_SortAfterClose(db::Dataset&);
    void ADO_SP_SortBeforeInsert(db::Dataset&);
    // The save rules of a mark row: a row barred by attendance is refused (after a
    // message) and its changes dropped; otherwise the row gets the stored total, the
    // teacher, the sheet's group, rule, discipline and number, the stored grade and the
    // day of the save.
    void ADO_SP_SortBeforePost(db::Dataset&);
    // The server refused an edit, a save or a delete of a mark row.
    void ADO_SP_SortEditError(db::Dataset&, const db::Error&, db::ErrorAction& action);
    void ADO_SP_SortPostError(db::Dataset&, const db::Error&, db::ErrorAction& action);
    void ADO_SP_SortDeleteError(db::Dataset&, const db::Error&, db::ErrorAction& action);
    // The computed fields of the row being read or edited: total, intermediate results
    // and grade name by the sheet's rule. A formula error reaches whoever caused the
    // calculation.
    void ADO_SP_SortCalcFields(db::Dataset&);

  private:
    void createDatasets();
    void declareMarkSheet();
    // The one place the module's handlers are put on ADO_SP_Sort (at construction,
    // before anything else can reach the dataset) and taken off again (at destruction,
    // when what they reach may be gone).
    void installMarkSheetHandlers();
    void removeMarkSheetHandlers();
    void setEditing(bool editing);
    AssessmentClass assessmentClassOf(const GradingIds& ids) const;

    EditingControls* controls_ = nullptr;
    MarkSheetView* view_ = nullptr;
    ComputedFields computedFields_;
    std::vector<std::pair<std::string, db::Dataset*>> named_;
    std::vector<DataSource> sources_;
};

}  // namespace data
