// Loading a chosen sheet: the columns of the sheet's grading rule, the rows the server
// prepares for the choice, and which control points may be edited now.
#include <QCloseEvent>
#include <QComboBox>
#include <QPointer>
#include <memory>
#include <optional>

#include "data/LoginContext.h"
#include "data/TDM_ZOL_3.h"
#include "db/Error.h"
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

std::string text(const db::Value& v) {
    return db::toText(v);
}

db::Value current(const db::Dataset& d, const char* field) {
    if (!d.active() || d.isEmpty()) return {};
    return d.field(field).value();
}

std::string currentText(const db::Dataset& d, const char* field) {
    return text(current(d, field));
}

// The mark field of control point i: m1..m12, dop (13), dop2 (14).
QString markField(int i) {
    if (i == 13) return QStringLiteral("dop");
    if (i == 14) return QStringLiteral("dop2");
    return QStringLiteral("m%1").arg(i);
}

}  // namespace

// Sheet form chosen: the rule's columns, then the load.
void TForm2::DBLookupComboBox3Click() {
    dm_.ADOQ_poseshal.close();
    dm_.ADOQ_poseshal.open();
    const db::Value key = DBLookupComboBox3->keyValue();
    if (db::isNull(key)) return;
    SheetFormId = db::toInteger(key) == -1 ? 1 : static_cast<int>(db::toInteger(key));

    ui::DataGrid* grid = KXDBGridEh1;
    // The columns are rebuilt as one change: one reset and one layout of the grid.
    std::optional<ui::DataGrid::ColumnUpdate> batch(std::in_place, grid);
    grid->setAutoFitColumns(false);
    for (int i = grid->columnCount() - 1; i >= kFixedColumns; --i) grid->removeColumn(i);

    db::Dataset& rows = dm_.ADOQ_est_config;
    rows.close();
    rows.setSql("SELECT * FROM TF_GetEstConfig(" + RuleIdText.toStdString() + "," +
                std::to_string(SheetFormId) + ")");
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
    const db::Value speciality = current(dm_.ADOQ_g_s, "id_speciality");
    dm_.LoadGradeBands(IsStream == 0 && !db::isNull(speciality) ? db::toInteger(speciality) : 0);
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

    const data::LoginContext& login = data::loginContext();
    const std::string year = text(DBLookupComboBox1->keyValue());
    const std::string sem = currentText(dm_.ADOQ_g_sem, "id_sem");
    const std::string discipline = currentText(dm_.ADOQ_Discipline, "id_discipline");
    const std::string kredit = currentText(dm_.ADOQ_Discipline, "kredit");
    const std::string assessment = text(DBLookupListBox2->keyValue());
    const std::string chosen = text(DBLookupComboBox9->keyValue());
    const std::string teacher = std::to_string(login.TeacherId);
    const std::string form = std::to_string(SheetFormId);
    const std::string isSelect = currentText(dm_.ADOQ_group, "isSelect");
    static const char* const filters[] = {"(id_estimation <> 25)",
                                          "(id_estimation in(8, 9, 10, 11, 16))", "1=1"};
    const int filter = ComboBox1->currentIndex();
    const std::string filterText = filter >= 0 && filter < 3 ? filters[filter] : "";
    auto asInt = [](const std::string& s) -> db::Value { return std::int64_t{std::stoll(s)}; };

    if (isSelect == "0" || isSelect == "1") {
        const bool stream = isSelect == "1";
        db::Dataset& exec = dm_.ADOQ_Exec;
        exec.close();
        if (!stream) {
            exec.setSql("EXEC InsertInto_SORT_MARK_MAG " + chosen + "," + sem + "," + discipline +
                        "," + assessment + "," + teacher + ",1,0,0,0," + form + "," +
                        RuleIdText.toStdString() + "," + kredit);
        } else {
            exec.setSql("EXEC InsertInto_SORT_MARK_MAG 0," + sem + "," + discipline + "," +
                        assessment + "," + teacher + ",1," + chosen + "," + "1," + year + "," +
                        form + "," + RuleIdText.toStdString() + "," + kredit);
        }
        exec.execSql();
        grid->setDataSource(nullptr);
        sheet.close();
        sheet.param("@group").setValue(stream ? std::string("0") : chosen);
        sheet.param("@semester").setValue(sem);
        sheet.param("@discipline").setValue(asInt(discipline));
        sheet.param("@examination").setValue(assessment);
        sheet.param("@id_teacher").setValue(std::int64_t{login.TeacherId});
        sheet.param("@DoNotShowEst").setValue(filterText);
        sheet.param("@subGroup").setValue(stream ? chosen : std::string("0"));
        sheet.param("@isGetFromSubGroup").setValue(std::int64_t{stream ? 1 : 0});
        if (stream) {
            sheet.param("@id_a_year").setValue(year);
            sheet.param("@id_kafedra")
                .setValue(!DBLookupComboBox2->isHidden()
                              ? db::Value(text(DBLookupComboBox2->keyValue()))
                              : db::Value(std::int64_t{-1}));
        }
        sheet.param("@id_f_est").setValue(std::int64_t{SheetFormId});
        sheet.param("@kredits").setValue(asInt(kredit));
    }

    int calc = 0;
    for (int i = kFixedColumns; i < grid->columnCount(); ++i) {
        if (grid->column(i)->fieldName().isEmpty())
            grid->column(i)->setFieldName(QStringLiteral("calc%1").arg(++calc));
    }
    sheet.open();
    grid->setDataSource(DS_SP_Sort);

    const db::Value session = current(sheet, "sessiya");
    const bool sessionSheet = !db::isNull(session) && db::toInteger(session) != 0;
    if (ui::DataGridColumn* grade = grid->column(GradeColumnIndex))
        grade->setEditButtonVisible(sessionSheet);
    for (int i = grid->columnCount() - 1; i >= kFixedColumns; --i)
        grid->column(i)->setReadOnly(true);

    db::Dataset& exec = dm_.ADOQ_Exec;
    const std::string rule = currentText(dm_.ADOQ_est_config, "id_ebe_var");
    const std::string formKey = text(DBLookupComboBox3->keyValue());
    exec.close();
    if (isSelect == "0") {
        exec.setSql("EXEC LoadModulsInfo  @id_a_year = " + year + ",@id_semester = " + sem +
                    ",@id_group = " + chosen + ",@id_teacher = " + teacher + ",@id_discipline = " +
                    discipline + ",@id_faculty = " + currentText(dm_.ADOQ_g_s, "id_faculty") +
                    ",@id_f_educ = " + currentText(dm_.ADOQ_Group_F_educ, "id_f_educ") +
                    ",@id_ebe_var = " + rule + ",@id_f_e = " + formKey +
                    ",@id_speciality = " + currentText(dm_.ADOQ_g_s, "id_speciality"));
    } else {
        exec.setSql("EXEC LoadModulsInfoP  @id_a_year = " + year + " ,@id_semester = " + sem +
                    " ,@id_ebe_var = " + rule + " ,@forPotok = 1 " + " ,@id_teacher = " + teacher +
                    " ,@id_discipline  = " + discipline + " ,@subgroup  = " + chosen +
                    " ,@id_f_e = " + formKey +
                    " ,@kredits =" + currentText(dm_.ADOQ_Vremennyi, "kredit") +
                    " ,@id_examination=" + currentText(dm_.ADOQ_Vremennyi, "id_examination") +
                    " ,@id_group=" + currentText(sheet, "id_group"));
    }
    exec.open();

    bool someEditable = false;
    for (int i = 1; i <= 14; ++i) {
        if (!exec.locate("id_modul", std::int64_t{i})) continue;
        const db::Value canEdit = exec.field("CanEdit").value();
        const bool refused =
            db::isNull(canEdit) || db::toInteger(canEdit) == 0 || db::toInteger(canEdit) == -1;
        for (int c = kFixedColumns; c < grid->columnCount(); ++c) {
            ui::DataGridColumn* column = grid->column(c);
            if (column->fieldName().compare(markField(i), Qt::CaseInsensitive) != 0) continue;
            column->setReadOnly(refused);
            column->setTitleHint(QString::fromStdString(text(canEdit)));
            if (!refused) someEditable = true;
        }
    }
    const int last = grid->columnCount() - 1;
    if (formKey != "-1") {
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
