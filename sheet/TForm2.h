#pragma once

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "data/EditingControls.h"
#include "data/MarkSheetView.h"
#include "data/SheetChoice.h"
#include "db/Values.h"
#include "formula/TParser.h"
#include "history/HistoryWriters.h"
#include "structure/StructureEditorHost.h"
#include "ui/DataGrid.h"

class QAction;
class QComboBox;
class QDateTimeEdit;
class QLabel;
class QMenu;
class QPushButton;
class QStatusBar;
class QTime;
class QTimer;
class QToolButton;
class QUrl;

namespace data {
class TDM_ZOL_3;
}
namespace gridevents {
class TKXDBGridEvents;
}
namespace history {
class TADOUpdateHistoryExec;
}
namespace signin {
class AddressWatcher;
class TForm4;
}  // namespace signin
namespace ui {
class DataGrid;
class DataGridColumn;
class DataSource;
class LookupComboBox;
class LookupListBox;
}  // namespace ui

namespace sheet {

class SheetExportCommands;

// The main window: the grade sheet. Its creation begins with the sign-in; then the
// teacher narrows the choice down to one sheet in the selection lists at the top (year,
// semester, discipline, form of assessment, group or stream, department, sheet form).
// The implementation is split by concern: TForm2.cpp (creation), TForm2Layout.cpp (the
// controls), TForm2Cascade.cpp (the selection lists), TForm2Loading.cpp (the sheet's columns and
// rows), TForm2GridEvents.cpp (the mark grid's behaviour component), TForm2MarkEntry.cpp (the
// check of every typed mark), TForm2Saving.cpp (the change history and the save button),
// TForm2Display.cpp (cell colours, status bar, report button, quotation), TForm2Commands.cpp
// (the grade menu and the date for all), SheetExportCommands.cpp (print and export); the
// statements it sends are built in SheetStatements.cpp.
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

    const data::SheetChoice& sheetChoice() const override { return Choice; }
    bool markGridHasDataset() const override;
    std::string currentColumnTitle() const override;
    void showError(const std::string& text, const std::string& caption) override;
    void setOtherGradesColumnVisible(bool visible) override;

    bool editorOpenedForMissingRule() const override { return Choice.EditorOpenedForMissingRule; }
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
    // The print and export buttons beside the report button (SheetExportCommands.cpp).
    SheetExportCommands* ExportCommands;
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
    QTimer* Timer1;  // clears the quotation 5 seconds after it was shown
    // The mark grid's behaviour component: select all is its only row action, and it
    // paints the grid's cells (current and selected rows, duplicates, pasted rows).
    gridevents::TKXDBGridEvents* F4_KX_DM_ZOL_3;

    // The window's data sources over the data module's list datasets.
    ui::DataSource* DS_Year;
    ui::DataSource* DS_g_sem;
    ui::DataSource* DS_discipline;
    ui::DataSource* DataSource2;
    ui::DataSource* DS_group;
    ui::DataSource* DS_Kafedra;
    ui::DataSource* DS_f_est2;
    ui::DataSource* DS_SP_Sort;

    // The teacher's choice of the sheet, built by the cascade as the lists are chosen;
    // the loading, the data module and the structure editor read it.
    data::SheetChoice Choice;
    int GradeColumnIndex = -1;  // the "Оценка" column
    int AdmissionStrict = 0;    // id_field of the defaults row 23, read at creation
    QString ComputerName;       // the workstation's name, for the change log
    // The workstation's local address, watched from creation; its history goes to
    // iphist.dat when the window is destroyed.
    signin::AddressWatcher* IdIPWatch1;
    // The change history of the mark sheet, attached right after sign-in.
    std::unique_ptr<history::TADOUpdateHistoryExec> History;
    // The parser the mark check computes the new total with.
    formula::TParser ParserMainForm;
    // The wording of one field's change in the history.
    static constexpr const char* kChangeTemplate =
        "Поле \"<?>\" изменило значение \"<old>\" на \"<new>\".";
    // The question of the date for all, with the date as the workstation writes it short.
    static QString dateForAllQuestion(const QDate& date);
    // The current date and time of the date check; a test may stop the clock.
    std::function<QDateTime()> Clock = [] { return QDateTime::currentDateTime(); };

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
    // The check of a mark typed into a control point's cell (every such column's
    // update check).
    void KXDBGridEh1Columns7UpdateData(ui::DataGridColumn& column, QString& text, db::Value& value,
                                       bool& handled);
    // The save button: posts the row being edited, then disables itself.
    void SpeedButton2Click();
    // The report page of the institution's report server, in the web browser.
    void SpeedButton4Click();
    // The quotation on the discipline label's double click, and its end.
    void Label11DblClick();
    void Timer1Timer();
    // The status bar's record count and current record number of the loaded sheet.
    void showRecordPosition();
    // The grade menu of the "Оценка" column and the date for all (TForm2Commands.cpp).
    void PopupMenu1Popup();
    void GradeItemClick(QAction* item);
    void N2Click();
    void SpeedButton1Click();
    void DateTimePicker1Change();

  public:
    // Handlers of the grid component's events (plain methods: their reference arguments
    // are not for signals).
    // The question before rows are deleted or cut: the selected rows are listed in the
    // warning window, and only "Да" lets them go.
    void F4_KX_DM_ZOL_3KXDBEOnConfirmDelete(ui::DataGrid& sender, bool& canDelete);
    // Key-down: the window leaves every key to the component and the grid.
    void F4_KX_DM_ZOL_3KeyDown(ui::DataGrid& sender, int& key, Qt::KeyboardModifiers shift);
    // Cell colours by the row's and the control point's state, over the component's choice.
    void F4_KX_DM_ZOL_3DrawColumnCell(ui::DataGrid& sender, ui::DataGrid::CellDraw& cell);

    // Opens an address in the system's web browser (false when it could not); tests put
    // their own in its place.
    static std::function<bool(const QUrl&)>& browserOpener();
    // The time of day the quotation's rule reads; tests put their own clock in its place.
    static std::function<QTime()>& quotationClock();
    static QString quotation();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void createHistoryRecorder();
    history::HistoryAuthor historyAuthor() const;
    void buildControls();
    void buildGrid(QWidget* parent);
    void buildSelectionArea(QWidget* area);
    void buildSheetRow(QWidget* row);
    void buildStatusBar();
    void connectCascade();
    void connectCommands();
    // Attaches the grid component to the mark grid with the window's settings.
    void setUpGridEvents();
    // The status bar's updates, the report button, the quotation's label and timer.
    void setUpDisplay();

    // Shared first moves of steps 1 to 3: no sheet, no filter, no department list.
    void closeSheet();
    void hideDepartments();
    void clearAndDisableGroups();
    void rebuildGradeMenu(const db::Value& assessment);
    // The stream's rule, or the department choice when several departments teach it;
    // false when the teacher has to pick a department first.
    bool findStreamRule();
    void takeRule(const db::Value& rule, bool showIt);
    void openSheetForms(bool stream);

    data::TDM_ZOL_3& dm_;
    QPointer<signin::TForm4> loadingNotice_;
};

}  // namespace sheet
