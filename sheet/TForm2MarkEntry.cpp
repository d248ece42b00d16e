// The check of every mark typed into a control point's cell: the row's rights, a whole
// number within the control point's limits, the student's new total by the rule's
// formula, the admission and the cap of 100; a refused value is not written.
#include <charconv>

#include "data/GradeBands.h"
#include "data/MarkFields.h"
#include "data/TDM_ZOL_3.h"
#include "db/Error.h"
#include "formula/Routines.h"
#include "sheet/TForm2.h"
#include "ui/DataGridColumn.h"
#include "ui/MessageService.h"
#include "values/DateTimeText.h"

namespace sheet {

namespace {

void notify(const QString& text) {
    ui::MessageService::show(QStringLiteral("Уведомление"), text, QMessageBox::Warning);
}

// The entered text as a whole number, or the conversion error the teacher is shown.
std::int64_t wholeNumber(const QString& text) {
    const std::string s = text.trimmed().toStdString();
    std::int64_t v = 0;
    const char* end = s.data() + s.size();
    const char* begin = s.data() + (!s.empty() && s[0] == '+' ? 1 : 0);
    auto [p, ec] = std::from_chars(begin, end, v);
    if (s.empty() || ec != std::errc() || p != end)
        throw db::Error("'" + text.toStdString() + "' is not a valid integer value");
    return v;
}

// The rule row whose mark field is exactly `pole`; false when there is none.
bool locateRuleRow(db::Dataset& rules, const std::string& pole) {
    if (!rules.active()) return false;
    for (rules.first(); !rules.eof(); rules.next())
        if (rules.field("pole_mark_mag").asString() == pole) return true;
    return false;
}

}  // namespace

void TForm2::KXDBGridEh1Columns7UpdateData(ui::DataGridColumn& column, QString& text,
                                           db::Value& /*value*/, bool& handled) {
    db::Dataset& sheet = dm_.ADO_SP_Sort;
    // 1. rights
    if (sheet.field("CanEdit").asInteger() == 0) {
        notify(QStringLiteral("Вы не имеете право менять оценку!"));
        handled = true;
        return;
    }
    // 2. a whole number; an empty entry is 0
    if (text.isEmpty()) text = QStringLiteral("0");
    const std::int64_t v = wholeNumber(text);

    // 3. the control point's limits
    db::Dataset& rules = dm_.ADOQ_est_config;
    const std::string edited = column.fieldName().toStdString();
    if (locateRuleRow(rules, edited)) {
        const std::int64_t min = rules.field("min").asInteger();
        const std::int64_t max = rules.field("max").asInteger();
        if (v < min || v > max) {
            notify(QStringLiteral("Оценка в \"%1\" должна быть в пределах от %2 до %3")
                       .arg(column.title())
                       .arg(min)
                       .arg(max));
            handled = true;
        }
    }
    // 4. the formula's variables: the new value for the edited mark, the row's others
    for (const char* name : data::kMarkFields) {
        const double mark = edited == name ? static_cast<double>(v)
                                           : formula::roundHalfEven(sheet.field(name).asDouble());
        ParserMainForm.SetVariable(name, mark);
    }
    // 5. the total's formula
    if (locateRuleRow(rules, "ball1")) {
        ParserMainForm.setExpression(rules.field("formula").asString());
    } else {
        notify(QStringLiteral("Ошибка правила оценок!"));
        handled = true;
    }
    // 6. the total, to one decimal
    const double total =
        formula::roundHalfEven(static_cast<double>(ParserMainForm.Value()) / 0.1) * 0.1;

    // 7. no passing total without admission
    if (sheet.field("primech").asString() != "д") {
        db::Dataset& temp = dm_.ADOQ_Exec_temp;
        temp.close();
        temp.setSql("Select typeExamZach from examination where id_examination=" +
                    sheet.field("id_examination").asString());
        temp.open();
        const std::int64_t kind = temp.field("typeExamZach").asInteger();
        const data::GradeBands& bands = dm_.GradeBands;
        bool passing = kind == 0   ? total >= bands[data::Band::Satisfactory].lower
                       : kind == 1 ? total >= bands[data::Band::Credit].lower
                       : kind == 2 ? total >= bands[data::Band::Attested].lower
                                   : false;
        if (AdmissionStrict == 1) passing = true;
        if (passing) {
            notify(QStringLiteral("Вы не имеете право ставить положительную оценку студенту "
                                  "\"%1\", так как у него нет допуска.")
                       .arg(QString::fromStdString(sheet.field("student").asString())));
            handled = true;
            return;
        }
    }
    // 8. the cap of 100, where the institution asks for it
    db::Dataset& defaults = dm_.ADOQ_VuzDefaults;
    defaults.close();
    defaults.open();
    std::int64_t cap = 0;
    if (defaults.locate("id_vuz_defaults", db::Value(std::int64_t{29})))
        cap = defaults.field("id_field").asInteger();
    defaults.close();
    if (cap == 1 && total > 100) {
        notify(QStringLiteral("Cумма баллов не должна превышать 100 !!!"));
        handled = true;
    }
    // 9. the day the mark was given
    sheet.field("p36").setValue(db::Value(values::localNow()));
}

}  // namespace sheet
