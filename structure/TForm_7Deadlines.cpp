// The submission terms of the new rule's control points: the defaults written when the
// rule is finalised, and the teacher's changes to them.

#include <QCheckBox>
#include <QDate>

#include "data/TDM_ZOL_3.h"
#include "structure/TForm_7.h"
#include "ui/ControlDialogs.h"
#include "ui/DataGrid.h"

namespace structure {

namespace {

// The date text the server reads with style 104 (dd.mm.yyyy).
std::string style104(const QDate& day) {
    return day.toString(QStringLiteral("dd.MM.yyyy")).toStdString();
}

}  // namespace

int TForm_7::deadlineOffsetDays(int dayOfWeek) {
    switch (dayOfWeek) {
        case Qt::Friday:
            return 6;
        case Qt::Saturday:
            return 5;
        default:
            return 7;
    }
}

void TForm_7::CreateDeadlines() {
    const std::string rule = NewRuleIdText.toStdString();
    const StreamRow row = streamRow();

    db::Dataset& points = dm_.ADOQ_est_config3;
    points.close();
    points.param("id_ebe_var").setValue(db::Value(rule));
    points.open();

    db::Dataset& terms = dm_.ADOQ_individualPermissPotok;
    terms.close();
    if (!terms.findField("Modul"))
        terms.addLookupField("Modul", db::Type::Text, "id_modul", points, "id_modul_x", "name_pole",
                             50);
    terms.setKeyField("id_IndividualModulPermissPotok");
    const std::string list = statements::deadlineList(choice_, row.idRrnk);
    terms.setSql(list);
    terms.open();
    // The stream's terms stay as they are, whatever rule they were made for.
    if (!terms.isEmpty()) return;

    const QDate today = (clock() ? clock()() : QDateTime::currentDateTime()).date();
    const std::string from = style104(today);
    const std::string to = style104(today.addDays(deadlineOffsetDays(today.dayOfWeek())));

    db::Dataset& tmp = dm_.ADOQ_Tmp;
    tmp.close();
    tmp.setSql(statements::deadlinePoints(rule));
    tmp.open();
    db::Dataset& exec = dm_.ADOQ_Exec;
    auto write = [&](const std::string& module) {
        exec.close();
        exec.setSql(statements::deadline(choice_, row, rule, module, from, to));
        exec.execSql();
    };
    // The module is the counter: the two retake points (m12) of forms 9 and 10 take the
    // numbers after the last control point.
    int module = 1;
    for (tmp.first(); !tmp.eof(); tmp.next()) write(std::to_string(module++));
    if (RzCheckBox1->isChecked()) write("13");

    terms.close();
    terms.open();
}

void TForm_7::Button1Click() {
    ui::ControlDialogs::guard([this] {
        if (!DBGridEh1->commitEditor()) return;
        db::Dataset& terms = dm_.ADOQ_individualPermissPotok;
        if (terms.active() && terms.state() != db::DatasetState::Browse) terms.post();
    });
}

}  // namespace structure
