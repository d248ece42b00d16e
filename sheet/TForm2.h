#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <string>
#include <vector>

#include "data/EditingControls.h"
#include "data/MarkSheetView.h"
#include "db/Values.h"
#include "structure/StructureEditorHost.h"

class QAction;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QToolButton;

namespace data {
class TDM_ZOL_3;
}
namespace signin {
class AddressWatcher;
class TForm4;
}  // namespace signin
namespace ui {
class DataGrid;
class DataSource;
class LookupComboBox;
class LookupListBox;
}  // namespace ui

namespace sheet {

// The main window: the grade sheet. Its creation begins with the sign-in; then the
// teacher narrows the choice down to one sheet in the selection lists at the top (year,
// semester, discipline, form of assessment, group or stream, department, sheet form).
// The implementation is split by concern: TForm2.cpp (creation), TForm2Layout.cpp (the
// controls), TForm2Cascade.cpp (the selection lists), TForm2Loading.cpp (the sheet's columns and
// rows).
class TForm2 : public QMainWindow,
               public data::EditingControls,
               public data::MarkSheetView,
               public structure::StructureEditorHost {
    Q_OBJECT

  public:
    // Shows the sign-in window modally before anything else (programFolder: where
    // Data/QOR lies, the program's folder when empty). A cancelled sign-in tells the
    // application to end.
    explicit TForm2(data::TDM_ZOL_3& dm, const QString& programFolder = {},
                    QWidget* parent = nullptr);
    ~TForm2() override;

    void setSaveButtonEnabled(bool on) override;
    void setSelectionListsEnabled(bool on) override;

    std::int64_t ruleId() const override { return RuleId; }
    std::string ruleIdText() const override { return RuleIdText.toStdString(); }
    db::Value assessmentKey() const override;
    bool markGridHasDataset() const override;
    void showError(const std::string& text, const std::string& caption) override;
    void setOtherGradesColumnVisible(bool visible) override;

    structure::StreamChoice streamChoice() const override;
    bool editorOpenedForMissingRule() const override { return EditorOpenedForMissingRule; }
    void clearAndDisableSheetForm() override;
    void rerunGroupStep() override { DBLookupComboBox9Click(); }

    // The hints of the department list that tell how the stream's rule was found.
    static QString severalDepartmentsHint() { return QStringLiteral("2 Кафедры и больше"); }
    static QString oneDepartmentHint() { return QStringLiteral("Только 1 кафедра"); }

    // Title strip and selection area, top to bottom.
    QLabel* InfoPanel;
    QLabel* Label1;  // "Учебный год:"
    ui::LookupComboBox* DBLookupComboBox1;
    QLabel* Label2;  // "Семестр:"
    ui::LookupComboBox* DBLookupComboBox10;
    QLabel* Label11;  // "Дисциплина:"
    ui::LookupComboBox* DBLookupComboBox11;
    ui::LookupListBox* DBLookupListBox2;
    QLabel* Label10;  // "Группа:" or "Поток:"
    ui::LookupComboBox* DBLookupComboBox9;
    QLabel* Label5;  // "Кафедра:"
    ui::LookupComboBox* DBLookupComboBox2;
    QLabel* Label7;  // "Правило:"
    QLabel* Label3;  // the rule id
    QPushButton* SpeedButton4;
    QLabel* Label6;  // "Форма ведомости:"
    ui::LookupComboBox* DBLookupComboBox3;
    QLabel* Label8;  // "Фильтр:", hidden
    QComboBox* ComboBox1;
    QLabel* Label4;  // "Дата сдачи для всех:"
    QDateTimeEdit* DateTimePicker1;
    QPushButton* SpeedButton1;
    QToolButton* SpeedButton2;
    ui::DataGrid* KXDBGridEh1;
    QStatusBar* StatusBar1;
    QLabel* StatusPanels[4];
    QMenu* PopupMenu1;
    QAction* N2;

    // The window's data sources over the data module's list datasets.
    ui::DataSource* DS_Year;
    ui::DataSource* DS_g_sem;
    ui::DataSource* DS_discipline;
    ui::DataSource* DataSource2;
    ui::DataSource* DS_group;
    ui::DataSource* DS_Kafedra;
    ui::DataSource* DS_f_est2;
    ui::DataSource* DS_SP_Sort;

    // What the cascade has found out about the chosen sheet; the loading and the
    // structure editor read it.
    QString SemesterKind;  // "0": the semester entry lists groups, "1": streams
    int IsStream = 0;
    QString RuleIdText;  // empty when no rule is known
    int RuleId = -1;
    bool EditorOpenedForMissingRule = false;
    // The sheet form loaded: the chosen entry's id, 1 for the entry with key -1.
    int SheetFormId = 1;
    int GradeColumnIndex = -1;  // the "Оценка" column
    int AdmissionStrict = 0;    // id_field of the defaults row 23, read at creation
    QString ComputerName;       // the workstation's name, for the change log
    // The workstation's local address, watched from creation; its history goes to
    // iphist.dat when the window is destroyed.
    signin::AddressWatcher* IdIPWatch1;

  public slots:
    void DBLookupComboBox1Click();
    void DBLookupComboBox10Click();
    void DBLookupComboBox10DropDown();
    void DBLookupComboBox11Click();
    void DBLookupListBox2Click();
    void DBLookupComboBox9Click();
    void DBLookupComboBox3Click();
    void ComboBox1Change();
    // Runs each statement as a command, in order; an error stops the list.
    void ExecuteStatements(const std::vector<std::string>& statements);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildControls();
    void buildGrid(QWidget* parent);
    void buildSelectionArea(QWidget* area);
    void buildSheetRow(QWidget* row);
    void buildStatusBar();
    void connectCascade();

    // Shared first moves of steps 1 to 3: no sheet, no filter, no department list.
    void closeSheet();
    void hideDepartments();
    void rebuildGradeMenu(const db::Value& assessment);
    // The stream's rule, or the department choice when several departments teach it;
    // false when the teacher has to pick a department first.
    bool findStreamRule(const std::string& stream, const std::string& teacher);
    void takeRule(const db::Value& rule, bool showIt);
    void openSheetForms(const db::Value& chosen, bool stream);

    data::TDM_ZOL_3& dm_;
    QPointer<signin::TForm4> loadingNotice_;
};

}  // namespace sheet
