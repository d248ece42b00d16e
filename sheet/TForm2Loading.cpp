// Loading a chosen sheet: the columns of the sheet's grading rule, the rows the server
// prepares for the choice, and which control points may be edited now.
#include <QCloseEvent>
#include <QComboBox>
#include <QPointer>
#include <memory>
#include <optional>

#include "data/LoginContext.h"
#include "data/MarkFields.h"
#include "data/TDM_ZOL_3.h"
#include "db/Error.h"
#include "sheet/CurrentRow.h"
#include "sheet/SheetStatements.h"
#include "sheet/TForm2.h"
#include "signin/TForm4.h"
#include "ui/Application.h"
#include "ui/DataGrid.h"
#include "ui/DataGridColumn.h"
#include "ui/DataSource.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace sheet {

namespace {

constexpr int kFixedColumns = 9;

using statements::text;

}  // namespace

// Sheet form chosen: the rule's columns, then the load.
void TForm2::DBLookupComboBox3Click() {
    dm_.ADOQ_poseshal.close();
    dm_.ADOQ_poseshal.open();
    Choice.sheetForm = DBLookupComboBox3->keyValue();
    if (db::isNull(Choice.sheetForm)) return;
    const std::int64_t key = db::toInteger(Choice.sheetForm);
    Choice.SheetFormId = key == -1 ? 1 : static_cast<int>(key);

    ui::DataGrid* grid = KXDBGridEh1;
    // The columns are rebuilt as one change: one reset and one layout of the grid.
    std::optional<ui::DataGrid::ColumnUpdate> batch(std::in_place, grid);
    grid->setAutoFitColumns(false);
    for (int i = grid->columnCount() - 1; i >= kFixedColumns; --i) grid->removeColumn(i);

    db::Dataset& rows = dm_.ADOQ_est_config;
    rows.close();
    rows.setSql(statements::ruleRows(Choice));
    rows.open();
    rows.setSort("order_pole");
    int k = 0;
    for (rows.first(); !rows.eof(); rows.next()) {
        ui::DataGridColumn* c =
            grid->addColumn(QString::fromStdString(rows.field("pole_mark_mag").asString()));
        c->setTitle(QString::fromStdString(rows.field("name_pole").asString()));
        c->setColor(Qt::white);
        c->setWidth(42);
        c->setTag(++k);
        c->onUpdateData = [this](ui::DataGridColumn& col, QString& t, db::Value& v, bool& h) {
            KXDBGridEh1Columns7UpdateData(col, t, v, h);
        };
    }

    const bool viewOnly = DBLookupComboBox3->text() == QLatin1String("Только Просмотр");
    ui::DataGridColumn* date = grid->addColumn(QStringLiteral("p36"));
    date->setTitle(QStringLiteral("Дата сдачи"));
    date->setWidth(105);
    ui::DataGridColumn* grade = grid->addColumn(QStringLiteral("Ball_name"));
    grade->setTitle(QStringLiteral("Оценка"));
    grade->setWidth(105);
    grade->setReadOnly(true);
    grade->setEditButtonMenu(PopupMenu1);
    grade->setEditButtonVisible(false);
    GradeColumnIndex = grid->indexOfColumn(grade);
    ui::DataGridColumn* other = grid->addColumn(QStringLiteral("EstimationOther"));
    other->setTitle(QStringLiteral("Особая оценка"));
    other->setWidth(105);
    other->setReadOnly(viewOnly);
    ui::DataGridColumn* attendance = grid->addColumn(QStringLiteral("poseshal"));
    attendance->setTitle(QStringLiteral("Посещаемость"));
    attendance->setWidth(70);
    attendance->setReadOnly(viewOnly);
    for (ui::DataGridColumn* c : {date, grade, other, attendance}) c->setColor(Qt::white);

    grid->setAutoFitColumns(true);
    batch.reset();
    ComboBox1Change();
}

// The load proper, also run when the filter changes.
void TForm2::ComboBox1Change() {
    ui::DataGrid* grid = KXDBGridEh1;
    std::optional<ui::DataGrid::ColumnUpdate> batch(std::in_place, grid);
    db::Dataset& sheet = dm_.ADO_SP_Sort;
    const db::Value& speciality = Choice.speciality;
    dm_.LoadGradeBands(Choice.IsStream == 0 && !db::isNull(speciality) ? db::toInteger(speciality)
                                                                       : 0);
    grid->setEnabled(!dm_.SheetNotReady);

    if (!loadingNotice_) {
        loadingNotice_ = new signin::TForm4(this);
        loadingNotice_->setAttribute(Qt::WA_DeleteOnClose);
        loadingNotice_->show();
        loadingNotice_->setFocus();
    }
    sheet.disableControls();
    // A failed load must not leave the notice open and the grid frozen.
    struct Finish {
        TForm2* form;
        db::Dataset& sheet;
        ~Finish() {
            if (sheet.controlsDisabled()) sheet.enableControls();
            if (form->loadingNotice_) form->loadingNotice_->close();
        }
    } finish{this, sheet};

    const std::int64_t teacherId = data::loginContext().TeacherId;
    const std::string isSelect = Choice.groupKindText();
    auto asInt = [](const std::string& s) -> db::Value { return std::int64_t{std::stoll(s)}; };

    if (isSelect == "0" || isSelect == "1") {
        const bool stream = isSelect == "1";
        const std::string chosen = text(Choice.group);
        db::Dataset& exec = dm_.ADOQ_Exec;
        exec.close();
        exec.setSql(statements::prepareSheet(Choice, teacherId));
        exec.execSql();
        grid->setDataSource(nullptr);
        sheet.close();
        sheet.param("@group").setValue(stream ? std::string("0") : chosen);
        sheet.param("@semester").setValue(text(Choice.semester));
        sheet.param("@discipline").setValue(asInt(text(Choice.discipline)));
        sheet.param("@examination").setValue(text(Choice.assessment));
        sheet.param("@id_teacher").setValue(teacherId);
        sheet.param("@DoNotShowEst").setValue(statements::rowFilter(ComboBox1->currentIndex()));
        sheet.param("@subGroup").setValue(stream ? chosen : std::string("0"));
        sheet.param("@isGetFromSubGroup").setValue(std::int64_t{stream ? 1 : 0});
        if (stream) {
            sheet.param("@id_a_year").setValue(text(Choice.year));
            sheet.param("@id_kafedra")
                .setValue(Choice.departmentOffered ? db::Value(text(Choice.department))
                                                   : db::Value(std::int64_t{-1}));
        }
        sheet.param("@id_f_est").setValue(std::int64_t{Choice.SheetFormId});
        sheet.param("@kredits").setValue(asInt(text(Choice.credits)));
    }

    int calc = 0;
    for (int i = kFixedColumns; i < grid->columnCount(); ++i) {
        if (grid->column(i)->fieldName().isEmpty())
            grid->column(i)->setFieldName(QStringLiteral("calc%1").arg(++calc));
    }
    sheet.open();
    grid->setDataSource(DS_SP_Sort);

    const db::Value session = currentValue(sheet, "sessiya");
    const bool sessionSheet = !db::isNull(session) && db::toInteger(session) != 0;
    if (ui::DataGridColumn* grade = grid->column(GradeColumnIndex))
        grade->setEditButtonVisible(sessionSheet);
    for (int i = grid->columnCount() - 1; i >= kFixedColumns; --i)
        grid->column(i)->setReadOnly(true);

    // Read the server's answer whole before any column changes: ADOQ_Exec is the module's
    // general command, and nothing else may have run on it when its rows are read.
    db::Dataset& exec = dm_.ADOQ_Exec;
    exec.close();
    exec.setSql(statements::controlPointsInfo(Choice, teacherId,
                                              text(currentValue(dm_.ADOQ_est_config, "id_ebe_var")),
                                              text(currentValue(sheet, "id_group"))));
    exec.open();
    std::optional<db::Value> canEdit[data::kControlPointCount];
    for (int i = 1; i <= data::kControlPointCount; ++i)
        if (exec.locate("id_modul", std::int64_t{i}))
            canEdit[i - 1] = exec.field("CanEdit").value();

    bool someEditable = false;
    for (int i = 1; i <= data::kControlPointCount; ++i) {
        if (!canEdit[i - 1]) continue;
        const db::Value& value = *canEdit[i - 1];
        const bool refused =
            db::isNull(value) || db::toInteger(value) == 0 || db::toInteger(value) == -1;
        for (int c = kFixedColumns; c < grid->columnCount(); ++c) {
            ui::DataGridColumn* column = grid->column(c);
            if (column->fieldName().compare(QLatin1String(data::markFieldOf(i)),
                                            Qt::CaseInsensitive) != 0)
                continue;
            column->setReadOnly(refused);
            column->setTitleHint(QString::fromStdString(text(value)));
            if (!refused) someEditable = true;
        }
    }
    const int last = grid->columnCount() - 1;
    if (text(Choice.sheetForm) != "-1") {
        grid->column(last - 1)->setReadOnly(false);
    } else {
        for (int i = last; i >= kFixedColumns; --i) grid->column(i)->setReadOnly(true);
    }
    if (someEditable) grid->column(last - 1)->setReadOnly(false);

    sheet.enableControls();
    batch.reset();
    grid->setCurrentIndex(grid->model()->index(0, 1));
    if (loadingNotice_) loadingNotice_->close();
    batch.emplace(grid);
    sheet.close();
    sheet.open();
}

// Closing the window saves the row being edited first. A save the server refuses keeps
// the window open with the server's text, so that the teacher's entry is not lost
// without a word: they may retry, or cancel the edit with Esc and close again.
void TForm2::closeEvent(QCloseEvent* event) {
    db::Dataset& sheet = dm_.ADO_SP_Sort;
    if (sheet.active() && (sheet.modified() || sheet.state() != db::DatasetState::Browse)) {
        try {
            if (!KXDBGridEh1->commitEditor()) {
                event->ignore();
                return;
            }
            if (sheet.state() == db::DatasetState::Browse) sheet.edit();
            sheet.post();
        } catch (const db::Abort&) {
            event->ignore();
            return;
        } catch (...) {
            ui::Application::showException(std::current_exception());
            event->ignore();
            return;
        }
    }
    QMainWindow::closeEvent(event);
}

void TForm2::ExecuteStatements(const std::vector<std::string>& statements) {
    for (const std::string& statement : statements) {
        dm_.ADOQ_Exec.close();
        dm_.ADOQ_Exec.setSql(statement);
        dm_.ADOQ_Exec.execSql();
    }
}

}  // namespace sheet
