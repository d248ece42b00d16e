// The commands that act on the current row or on the whole loaded sheet: the grade menu
// of the "Оценка" column (a grade chosen directly, or the "н/п" reset), the submission
// date for all admitted students and the check of the date picked for it. Every change
// is posted through the data module's save rules and leaves its change history.
#include <QAction>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <exception>
#include <functional>

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
#include "ui/LookupComboBox.h"
#include "ui/MessageService.h"
#include "values/DateTimeText.h"

namespace sheet {

namespace {

const QString kNoticeCaption = QStringLiteral("Уведомление");

bool askYesNo(const QString& question) {
    return ui::MessageService::show(kNoticeCaption, question, QMessageBox::Question,
                                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

// The current row may take a grade from the menu only when the server lets the teacher
// change it (CanEdit 1: not closed by the dean's office, not an individual schedule).
bool currentRowTakesGrades(const db::Dataset& sheet) {
    const db::Value canEdit = currentValue(sheet, "CanEdit");
    return !db::isNull(canEdit) && db::toInteger(canEdit) == 1;
}

// Puts the current row in edit state, lets the command change it and posts it. A refusal
// reaches the teacher with its own text; the command's changes are then dropped, so the
// row shows what the server holds and is not posted again at the next move. An entry the
// teacher had typed into the row before stays, for them to correct or cancel.
void changeCurrentRow(db::Dataset& sheet, const std::function<void()>& change) {
    const bool teachersEntry = sheet.state() != db::DatasetState::Browse;
    auto dropOurs = [&] {
        if (!teachersEntry && sheet.active() && sheet.state() != db::DatasetState::Browse)
            sheet.cancel();
    };
    try {
        sheet.edit();
        change();
        sheet.post();
    } catch (const db::Abort&) {
        dropOurs();
    } catch (...) {
        dropOurs();
        ui::Application::showException(std::current_exception());
    }
}

}  // namespace

void TForm2::connectCommands() {
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TForm2::PopupMenu1Popup);
    // The grade items are rebuilt with every assessment choice: one connection on the
    // menu serves them all.
    connect(PopupMenu1, &QMenu::triggered, this, [this](QAction* item) {
        if (item == N2)
            N2Click();
        else
            GradeItemClick(item);
    });
    connect(SpeedButton1, &QPushButton::clicked, this, &TForm2::SpeedButton1Click);
    // A date typed digit by digit passes through days far back: it is checked once the
    // teacher is done with it, not at every keystroke.
    DateTimePicker1->setKeyboardTracking(false);
    connect(DateTimePicker1, &QDateTimeEdit::dateTimeChanged, this, &TForm2::DateTimePicker1Change);
}

void TForm2::PopupMenu1Popup() {
    const bool on = currentRowTakesGrades(dm_.ADO_SP_Sort);
    for (QAction* item : PopupMenu1->actions()) item->setEnabled(on);
}

// A grade set directly: the row is saved at once, through the save rules.
void TForm2::GradeItemClick(QAction* item) {
    db::Dataset& sheet = dm_.ADO_SP_Sort;
    if (!item || !sheet.active() || sheet.isEmpty()) return;
    if (!KXDBGridEh1->commitEditor()) return;
    const std::int64_t grade = item->data().toInt();
    changeCurrentRow(sheet, [&] { sheet.field("id_estimation").setValue(db::Value(grade)); });
}

// "н/п": the student is not admitted, and every mark of the row goes back to 0, the
// control points without a column of this rule included.
void TForm2::N2Click() {
    db::Dataset& sheet = dm_.ADO_SP_Sort;
    if (!askYesNo(QStringLiteral("Вы действительно хотите обнулить баллы?"))) return;
    if (!sheet.active() || sheet.isEmpty()) return;
    if (!KXDBGridEh1->commitEditor()) return;
    changeCurrentRow(sheet, [&] {
        sheet.field("id_estimation")
            .setValue(db::Value(std::int64_t{data::loginContext().GradeNotAdmittedId}));
        for (int i = 1; i <= data::kControlPointCount; ++i)
            sheet.field(data::markFieldOf(i)).setValue(db::Value(0.0));
    });
}

QString TForm2::dateForAllQuestion(const QDate& date) {
    return QStringLiteral(
               "Вы действительно хотите применить дату \"%1\" ко всем студентам, у "
               "которых форма ведомости - \"Ведомость\"?")
        .arg(QLocale().toString(date, QLocale::ShortFormat));
}

// Date for all: every admitted student's row gets the picked day as its submission date.
// A row that cannot be saved ends the run there, with its message; the rows before it
// stay saved, the notice closes and the grid shows the sheet again, so the teacher sees
// where it stopped.
void TForm2::SpeedButton1Click() {
    db::Dataset& sheet = dm_.ADO_SP_Sort;
    if (!sheet.active()) return;
    const db::Value form = DBLookupComboBox3->keyValue();
    if (!db::isNull(form) && db::toInteger(form) == -1) return;
    const QDate day = DateTimePicker1->date();
    if (!askYesNo(dateForAllQuestion(day))) return;
    // A typed entry still in its cell editor belongs to its row before the run moves on.
    if (!KXDBGridEh1->commitEditor()) return;

    QPointer<signin::TForm4> notice = new signin::TForm4(this);
    notice->Label1->setText(QStringLiteral("Идёт обновление, подождите..."));
    notice->show();
    notice->repaint();
    sheet.disableControls();
    struct Finish {
        db::Dataset& sheet;
        QPointer<signin::TForm4>& notice;
        ~Finish() {
            if (sheet.controlsDisabled()) sheet.enableControls();
            if (notice) notice->close();
        }
    };

    std::exception_ptr failure;
    {
        Finish finish{sheet, notice};
        const db::Value date(*values::fromCivil({day.year(), day.month(), day.day()}));
        bool dating = false;  // the row being edited is the run's own
        try {
            const db::Bookmark start = sheet.bookmark();
            for (sheet.first(); !sheet.eof(); sheet.next()) {
                if (sheet.field("primech").asString() != "д") continue;
                dating = true;
                sheet.edit();
                sheet.field("p36").setValue(date);
                sheet.post();
                dating = false;
            }
            sheet.gotoBookmark(start);
        } catch (...) {
            failure = std::current_exception();
            // The refused row keeps what the server holds: the teacher did not type the
            // date into it, and a pending date would be posted again at the next move.
            if (dating && sheet.active() && sheet.state() != db::DatasetState::Browse)
                sheet.cancel();
        }
    }
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const db::Abort&) {
        } catch (...) {
            ui::Application::showException(std::current_exception());
        }
    }
}

// The date check: a submission date may lie at most as many days back as the institution
// allows (defaults row 37); an earlier one is replaced by now.
void TForm2::DateTimePicker1Change() {
    try {
        db::Dataset& q = dm_.ADOQ_Exec_temp;
        requery(q, statements::kDaysBackAllowed);
        const db::Value days = currentValue(q, "id_field");
        const std::int64_t n = db::isNull(days) ? 0 : db::toInteger(days);
        const QDateTime now = Clock();
        if (DateTimePicker1->dateTime() < now.addDays(-n)) {
            ui::MessageService::showMessage(QStringLiteral("Введите актуальную дату!"));
            const QSignalBlocker quiet(DateTimePicker1);
            DateTimePicker1->setDateTime(now);
        }
    } catch (...) {
        ui::Application::showException(std::current_exception());
    }
}

}  // namespace sheet
