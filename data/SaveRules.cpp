// What the data module does to a mark row about to be saved: a row barred by attendance
// is refused, the stored total takes the computed one, the row is stamped with who saved
// it for which sheet and when, and the stored grade follows the total.
#include "data/GradingIds.h"
#include "data/LoginContext.h"
#include "data/MarkSheetRecord.h"
#include "data/TDM_ZOL_3.h"
#include "db/Error.h"
#include "ui/MessageService.h"

namespace data {

namespace {

// The minimum-share rule: every control point but the extra one needs 61 % of its
// maximum; false when one of the row's marks falls short.
bool minimumShareHolds(db::Dataset& sheet, db::Dataset& rules) {
    if (!rules.active()) return true;
    const db::Bookmark at = rules.bookmark();
    bool holds = true;
    for (rules.first(); !rules.eof() && holds; rules.next()) {
        const std::string pole = rules.field("pole_mark_mag").asString();
        if (pole.empty() || db::foldCase(pole) == "dop" || db::foldCase(pole) == "ball1") continue;
        db::Field* mark = sheet.findField(pole);
        if (!mark) continue;
        const double max = static_cast<double>(rules.field("max").asInteger());
        if (max * 61 / 100 > mark->asDouble()) holds = false;
    }
    if (rules.bookmarkValid(at)) rules.gotoBookmark(at);
    return holds;
}

}  // namespace

std::string SheetNumber(const SheetChoice& c) {
    return db::toText(c.group) + "-" + db::toText(c.semester) + "-" + db::toText(c.discipline) +
           "-" + db::toText(c.assessment);
}

void TDM_ZOL_3::ADO_SP_SortBeforePost(db::Dataset& sheet) {
    const db::Value attendance = sheet.field("id_poseshal").value();
    if (!db::isNull(attendance) && db::toInteger(attendance) == 1) {
        ui::MessageService::show(QString(), QString::fromUtf8(kNotAdmittedMessage));
        sheet.cancel();
        throw db::Abort();
    }
    const LoginContext& login = loginContext();
    sheet.field("id_teacher").setValue(db::Value(std::int64_t{login.TeacherId}));
    const db::Value total = sheet.field("ball1").value();
    sheet.field("ball").setValue(db::isNull(total) ? db::Value(0.0) : total);

    if (view_) {
        const SheetChoice& c = view_->sheetChoice();
        if (!db::isNull(c.group) && !db::isNull(c.semester) && !db::isNull(c.discipline)) {
            if (c.IsStream == 0)
                sheet.field("id_group").setValue(db::Value(db::toInteger(c.group)));
            if (c.RuleId != -1) sheet.field("id_ebe_var").setValue(db::Value(c.RuleId));
            sheet.field("id_teacher").setValue(db::Value(std::int64_t{login.TeacherId}));
            const std::string number = SheetNumber(c);
            if (sheet.field("p35").asString() != number)
                sheet.field("p35").setValue(db::Value(number));
            sheet.field("id_discipline").setValue(db::Value(db::toInteger(c.discipline)));
            const db::Field* session = sheet.findField("sessiya");
            const bool reexamination = session && session->asInteger() != 0;
            if (!reexamination && sheet.field("CanEdit").asInteger() != 0) {
                const GradingIds ids = gradingIdsOf(login);
                const std::int64_t grade =
                    login.MinShareRule && !minimumShareHolds(sheet, ADOQ_est_config)
                        ? std::int64_t{11}
                        : GradeIdForTotal(sheet, assessmentClassOf(ids), GradeBands, ids);
                sheet.field("id_estimation").setValue(db::Value(grade));
            }
        }
    }
    if (controls_) controls_->setSelectionListsEnabled(true);
    sheet.field("QOR_Update").setValue(db::Value(login.ServerDate));
}

namespace {
const char* const kAskTheAdministrator =
    "\nНажмите кнопку \"отмена новой записи\" или клавишу [Esc]!\n"
    "Обратитесь к вашему администратору\"!";
}  // namespace

void TDM_ZOL_3::ADO_SP_SortEditError(db::Dataset&, const db::Error&, db::ErrorAction& action) {
    action = db::ErrorAction::Abort;
    ui::MessageService::show(
        QStringLiteral("Warning!"),
        QString::fromUtf8(std::string("Вы пытаетесь изменить строку, но у вас нет на это прав.") +
                          kAskTheAdministrator),
        QMessageBox::Warning);
}

// The teacher is told which field the server refused, then the server's own text follows.
// The row keeps what was typed (in edit state), so nothing is lost: the teacher may
// correct it or cancel with Esc.
void TDM_ZOL_3::ADO_SP_SortPostError(db::Dataset&, const db::Error&, db::ErrorAction&) {
    const std::string title = view_ ? view_->currentColumnTitle() : std::string();
    ui::MessageService::show(QStringLiteral("Warning!"),
                             QString::fromUtf8("Вы пытаетесь изменить запись в поле \"" + title +
                                               "\", но у вас нет на это прав."),
                             QMessageBox::Warning);
}

void TDM_ZOL_3::ADO_SP_SortDeleteError(db::Dataset& sheet, const db::Error&,
                                       db::ErrorAction& action) {
    action = db::ErrorAction::Abort;
    sheet.next();
    ui::MessageService::show(
        QStringLiteral("Error"),
        QString::fromUtf8(std::string("Вы пытаетесь удалить строку, но у вас нет на это прав.") +
                          kAskTheAdministrator),
        QMessageBox::Critical);
}

}  // namespace data
