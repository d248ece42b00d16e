#include "sheet/TForm2.h"

#include <QSysInfo>
#include <QToolButton>
#include <memory>

#include "data/TDM_ZOL_3.h"
#include "history/TADOUpdateHistoryExec.h"
#include "sheet/SheetStatements.h"
#include "signin/AddressWatcher.h"
#include "signin/TForm8.h"
#include "ui/Application.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/DataSource.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"
#include "ui/MessageService.h"

namespace sheet {

TForm2::TForm2(data::TDM_ZOL_3& dm, const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), dm_(dm) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(signin::TForm8::mainWindowCaption());
    buildControls();
    connectCascade();
    setUpGridEvents();
    setUpDisplay();
    connectCommands();
    connect(SpeedButton2, &QToolButton::clicked, this, &TForm2::SpeedButton2Click);
    IdIPWatch1 = new signin::AddressWatcher(true, this);

    bool signedIn = false;
    {
        auto signIn = std::make_unique<signin::TForm8>(dm_, this, programFolder);
        signedIn = signIn->exec() == QDialog::Accepted;
        if (!signedIn) ui::Application::terminate();
    }

    dm_.setEditingControls(this);
    dm_.setMarkSheetView(this);
    // This sign-in's own answer decides, not the application's end flag: that one stays
    // set once any window of the process asked to end.
    if (signedIn) {
        createHistoryRecorder();
        db::Dataset& exec = dm_.ADOQ_Exec;
        exec.close();
        exec.setSql(statements::kAdmissionStrict);
        exec.open();
        if (!exec.isEmpty() && !exec.field("id_field").isNull())
            AdmissionStrict = static_cast<int>(exec.field("id_field").asInteger());
    }
    // 803 pixels are too narrow for the selection area's three columns: the window is
    // never made smaller than its controls need, or the captions would run into the lists.
    ensurePolished();
    setMinimumSize(QSize(803, 326).expandedTo(minimumSizeHint()));
    resize(1280, 800);
    setWindowState(windowState() | Qt::WindowMaximized);
}

TForm2::~TForm2() {
    // The data module outlives the window: its sheet gets its own handlers back.
    if (History) History->Detach();
    if (dm_.editingControls() == this) dm_.setEditingControls(nullptr);
    if (dm_.markSheetView() == this) dm_.setMarkSheetView(nullptr);
}

void TForm2::setSaveButtonEnabled(bool on) {
    SpeedButton2->setEnabled(on);
}

void TForm2::setSelectionListsEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{DBLookupComboBox9, DBLookupComboBox10,
                                                      DBLookupComboBox11, DBLookupListBox2}) {
        w->setEnabled(on);
    }
}

bool TForm2::markGridHasDataset() const {
    const ui::DataSource* source = KXDBGridEh1->dataSource();
    return source && source->dataset();
}

std::string TForm2::currentColumnTitle() const {
    const ui::DataGridColumn* c = KXDBGridEh1->column(KXDBGridEh1->currentIndex().column());
    return c ? c->title().toStdString() : std::string();
}

void TForm2::showError(const std::string& text, const std::string& caption) {
    ui::MessageService::show(QString::fromStdString(caption), QString::fromStdString(text),
                             QMessageBox::Critical);
}

void TForm2::setOtherGradesColumnVisible(bool visible) {
    ui::DataGrid* grid = KXDBGridEh1;
    for (int i = 8; i < grid->columnCount(); ++i) {
        ui::DataGridColumn* c = grid->column(i);
        if (c->fieldName().compare(QLatin1String("EstimationOther"), Qt::CaseInsensitive) == 0)
            c->setVisible(visible);
    }
}

void TForm2::clearAndDisableSheetForm() {
    DBLookupComboBox3->clearKey();
    DBLookupComboBox3->setEnabled(false);
    Choice.sheetForm = {};
}

}  // namespace sheet
