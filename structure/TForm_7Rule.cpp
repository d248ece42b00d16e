// Creating the new rule's rows, the maxima of its points, and finalising it.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

#include "data/TDM_ZOL_3.h"
#include "db/Connection.h"
#include "structure/TForm_7.h"
#include "ui/ControlDialogs.h"
#include "ui/DataGrid.h"
#include "ui/MessageService.h"

namespace structure {

namespace {

void run(db::Dataset& exec, const std::string& sql) {
    exec.close();
    exec.setSql(sql);
    exec.execSql();
}

void reopen(db::Dataset& d, const std::string& sql) {
    d.close();
    d.setSql(sql);
    d.open();
}

// A whole number as the teacher typed it; false for anything else.
bool wholeNumber(const QString& text, int& number) {
    bool ok = false;
    number = text.trimmed().toInt(&ok);
    return ok;
}

}  // namespace

void TForm_7::SpeedButton1Click() {
    ui::ControlDialogs::guard([this] {
        // A count that is no whole number gets the same notice as one out of range.
        int count = 0;
        const QString text = ComboBox1->currentText();
        if (text.isEmpty() || !wholeNumber(text, count) || count < 1 || count > 10) {
            ui::MessageService::showMessage(QStringLiteral("Введите число от 1 до 10!"));
            return;
        }
        createRule(count);
    });
}

// Writes the rule's rows; all of them or, when a statement fails, none.
void TForm_7::createRule(int count) {
    db::Dataset& exec = dm_.ADOQ_Exec;
    db::Transaction unit(dm_.ADO_ZOL);
    reopen(exec, statements::highestRule());
    const db::Value highest = exec.field(0).value();
    const std::string rule = std::to_string((db::isNull(highest) ? 0 : db::toInteger(highest)) + 1);
    run(exec, statements::createRule(rule));

    int last = 0;
    for (int i = 0; i < count; ++i) {
        reopen(exec, statements::lastPoint(rule));
        const int order =
            exec.isEmpty() ? 1 : static_cast<int>(exec.field("order_pole").asInteger()) + 1;
        reopen(exec, statements::appendPoint());
        exec.setKeyField("id_est_config");
        exec.append();
        exec.field("id_ebe_var").setValue(db::Value(std::stoll(rule)));
        exec.field("order_pole").setValue(db::Value(std::int64_t{order}));
        exec.field("name_pole").setValue(db::Value(std::string("-")));
        exec.field("info_or_value").setValue(db::Value(std::int64_t{1}));
        exec.field("pole_mark_mag").setValue(db::Value("m" + std::to_string(order)));
        exec.post();
        exec.close();
        exec.setKeyField({});
        last = order;
    }
    if (RzCheckBox1->isChecked()) {
        run(exec, statements::extraPoint(rule, last + 1));
        ++last;
    }
    for (const std::string& row : statements::totalRows(rule, last)) run(exec, row);
    run(exec, statements::copyAccess(rule));
    unit.commit();

    NewRuleIdText = QString::fromStdString(rule);
    reopen(dm_.ADOQ_est_config2, statements::points(rule));
    ComboBox1->setEditText(QString());
    RzCheckBox1->hide();
    SpeedButton1->hide();
    ComboBox1->hide();
    Label4->hide();
}

std::int64_t TForm_7::storedSum() {
    db::Dataset& tmp = dm_.ADOQ_Tmp;
    reopen(tmp, statements::maximaSum(NewRuleIdText.toStdString()));
    const db::Value sum = tmp.field(0).value();
    return db::isNull(sum) ? 0 : std::llround(db::toDouble(sum));
}

void TForm_7::DBGridEh2Columns1UpdateData(ui::DataGridColumn&, QString& text, db::Value&,
                                          bool& handled) {
    if (text.isEmpty()) text = QStringLiteral("0");
    int entered = 0;
    if (!wholeNumber(text, entered)) {
        ui::MessageService::showMessage(
            QStringLiteral("Максимальное значение должно быть целым числом: \"%1\".").arg(text));
        handled = true;
        return;
    }
    if (entered < 0) {
        ui::MessageService::showMessage(
            QStringLiteral("Максимальное значение не может быть отрицательным."));
        handled = true;
        return;
    }
    const db::Value stored = dm_.ADOQ_est_config2.field("max").value();
    const std::int64_t current = db::isNull(stored) ? 0 : std::llround(db::toDouble(stored));
    const std::int64_t sum = storedSum() + entered - current;
    if (sum > 100) {
        ui::MessageService::showMessage(
            QStringLiteral("Сумма максимальных значений всех точек превысила 100 баллов на ") +
            QString::number(sum - 100));
        handled = true;
        return;
    }
    Edit1->setText(QString::number(sum));
}

void TForm_7::SpeedButton2Click() {
    ui::ControlDialogs::guard([this] {
        // Before the rule exists there is nothing to finalise.
        if (NewRuleIdText.isEmpty()) {
            ui::MessageService::showMessage(
                QStringLiteral("Сначала укажите количество контрольных точек."));
            return;
        }
        if (!DBGridEh2->commitEditor()) return;
        db::Dataset& rule = dm_.ADOQ_est_config2;
        if (rule.active() && rule.state() != db::DatasetState::Browse) rule.post();
        if (storedSum() != 100) {
            ui::MessageService::showMessage(
                QStringLiteral(" Сумма максимальных значений должна быть равна 100 "));
            return;
        }
        finaliseRule();
    });
}

// The formulas, the link to the stream and the default terms: all of them or, when a
// statement fails, none (the terms list is closed then, so no term shows that is not
// there).
void TForm_7::finaliseRule() {
    db::Dataset& exec = dm_.ADOQ_Exec;
    const std::string rule = NewRuleIdText.toStdString();
    try {
        db::Transaction unit(dm_.ADO_ZOL);
        for (const std::string& formula : statements::formulas(rule)) run(exec, formula);
        exec.close();
        run(exec, statements::linkToStream(rule, streamRow().idRrnk));
        CreateDeadlines();
        unit.commit();
    } catch (...) {
        dm_.ADOQ_individualPermissPotok.close();
        throw;
    }
    SpeedButton2->hide();
}

StreamRow TForm_7::streamRow() const {
    const db::Dataset& potok = dm_.ADOQ_Potok;
    if (!potok.active() || potok.isEmpty()) return {};
    return {db::toText(potok.field("id_RRNKkrdt").value()),
            db::toText(potok.field("subgroup").value())};
}

}  // namespace structure
