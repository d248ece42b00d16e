// Creating a rule for stream 102 in the editor: the point count, the rule's rows, the
// maxima and their sum, finalising, and the stream's sheet opened afterwards.

#include <sqlite3.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

#include "Demo.h"
#include "formula/TParser.h"
#include "server/Engine.h"
#include "tests/structure/EditorFixture.h"
#include "ui/DataGrid.h"
#include "ui/LookupComboBox.h"

namespace structuretest {
namespace {

// Runs SQL straight on the database file, beside the server: a test's way to make a
// statement of the editor fail.
void onFile(const QString& database, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(database.toStdString().c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string message = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << message;
}

const std::string empty =
    "ebe:0 est_config:0 T_MarkMagModulCopyAccess:0 "
    "IndividualModulPermissPotok:0 RRNKkrdt:0 formulas:0";

TEST_F(Editor, OpensOnTheChosenStreamWithAnEmptyRule) {
    EXPECT_EQ(editor->windowTitle(), "Формирование структуры ведомости");
    EXPECT_EQ(editor->size(), QSize(832, 518));
    EXPECT_EQ(editor->DBLookupComboBox1->keyValue(), db::Value(std::string("102 (ИС)")));
    EXPECT_TRUE(editor->DBLookupComboBox1->isHidden());
    EXPECT_EQ(dm.ADOQ_Potok.field("id_RRNKkrdt").asInteger(), 3);
    EXPECT_TRUE(editor->RzCheckBox1->isChecked());
    EXPECT_TRUE(editor->Panel2->isVisible());
    EXPECT_EQ(editor->Edit1->text(), "0");
    EXPECT_TRUE(dm.ADOQ_est_config2.active());
    EXPECT_TRUE(dm.ADOQ_est_config2.isEmpty());
    EXPECT_FALSE(dm.ADOQ_individualPermissPotok.active());
    EXPECT_EQ(editor->Memo1->toPlainText().split('\n').size(), 7);
    QTest::mouseClick(editor->RzCheckBox1, Qt::LeftButton);
    EXPECT_FALSE(editor->Panel2->isVisible());
    QTest::mouseClick(editor->RzCheckBox1, Qt::LeftButton);
    EXPECT_TRUE(editor->Panel2->isVisible());
    // Esc does not close the editor
    QTest::keyClick(editor.get(), Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
}

TEST_F(Editor, ACountOtherThanOneToTenIsRefusedAndWritesNothing) {
    for (const char* count : {"0", "11", "", "abc", "4.5", "-3"}) {
        SCOPED_TRACE(count);
        log.messages.clear();
        createRule(QString::fromUtf8(count));
        EXPECT_EQ(log.texts(), QStringList{"Введите число от 1 до 10!"});
        EXPECT_TRUE(editor->NewRuleIdText.isEmpty());
        EXPECT_TRUE(editor->SpeedButton1->isVisible());
        EXPECT_EQ(footprint(rule), empty);
    }
}

TEST_F(Editor, FourPointsAndTheExtraPointWriteTheRuleRows) {
    createRule("4");
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_EQ(editor->NewRuleIdText.toStdString(), rule);
    EXPECT_EQ(rows("SELECT order_pole, name_pole, info_or_value, pole_mark_mag, [max], id_f_est "
                   "FROM est_config WHERE id_ebe_var=" +
                   rule + " ORDER BY id_est_config"),
              (std::vector<std::string>{"1|-|1|m1|NULL|1", "2|-|1|m2|NULL|1", "3|-|1|m3|NULL|1",
                                        "4|-|1|m4|NULL|1", "5|Доп. балл|1|dop|20|1",
                                        "6|Общий балл|0|ball1|NULL|1", "6|Балл FX|1|m12|20|9",
                                        "7|Общий балл FX|0|ball1|NULL|9", "6|Балл I|1|m12|20|10",
                                        "7|Общий балл I|0|ball1|NULL|10"}));
    EXPECT_EQ(value("SELECT COUNT(*) FROM T_MarkMagModulCopyAccess WHERE doCopy=1 AND id_ebe_var=" +
                    rule),
              "14");
    EXPECT_EQ(rows("SELECT DISTINCT id_modul FROM T_MarkMagModulCopyAccess WHERE id_f_est=9 AND "
                   "id_ebe_var=" +
                   rule + " ORDER BY id_modul"),
              (std::vector<std::string>{"1", "2", "3", "4", "5", "13", "14"}));
    EXPECT_NE(value("SELECT COUNT(*) FROM ebe WHERE id_ebe_var=" + rule), "0");
    // the grid lists the four points; the count and the check box are gone
    EXPECT_EQ(dm.ADOQ_est_config2.recordCount(), 4);
    EXPECT_EQ(editor->DBGridEh2->cellText(3, 0), "-");
    EXPECT_FALSE(editor->ComboBox1->isVisible());
    EXPECT_FALSE(editor->SpeedButton1->isVisible());
    EXPECT_FALSE(editor->RzCheckBox1->isVisible());
    EXPECT_FALSE(editor->Label4->isVisible());
    EXPECT_TRUE(editor->RzCheckBox1->isChecked());
}

TEST_F(Editor, MaximaAreKeptWithinASumOf100) {
    createRule("4");
    EXPECT_TRUE(enter(0, "max", "30"));
    EXPECT_TRUE(enter(1, "max", "30"));
    EXPECT_TRUE(enter(2, "max", "30"));
    EXPECT_EQ(editor->Edit1->text(), "90");
    EXPECT_FALSE(enter(3, "max", "20"));
    EXPECT_EQ(log.texts(),
              QStringList{"Сумма максимальных значений всех точек превысила 100 баллов на 10"});
    EXPECT_EQ(editor->Edit1->text(), "90");
    EXPECT_TRUE(enter(0, "name_pole", "РК 1"));  // leaves row 3: nothing of 20 is stored
    EXPECT_EQ(value("SELECT SUM([max]) FROM est_config WHERE pole_mark_mag LIKE 'm_' AND "
                    "id_f_est=1 AND id_ebe_var=" +
                    rule),
              "90");
    // not a whole number, or below zero: refused with a notice
    log.messages.clear();
    EXPECT_FALSE(enter(3, "max", "abc"));
    EXPECT_FALSE(enter(3, "max", "-5"));
    EXPECT_EQ(log.messages.size(), 2);
    EXPECT_EQ(editor->Edit1->text(), "90");

    // finalising at 90 is refused and writes nothing
    log.messages.clear();
    QTest::mouseClick(editor->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(log.texts(), QStringList{" Сумма максимальных значений должна быть равна 100 "});
    EXPECT_EQ(
        value("SELECT COUNT(*) FROM est_config WHERE formula IS NOT NULL AND id_ebe_var=" + rule),
        "0");
    EXPECT_EQ(value("SELECT COUNT(*) FROM RRNKkrdt WHERE id_ebe_var=" + rule), "0");
    EXPECT_TRUE(editor->SpeedButton2->isVisible());

    EXPECT_TRUE(enter(3, "max", "10"));
    EXPECT_EQ(editor->Edit1->text(), "100");
    // a stored maximum changed from 30 to 20 at a sum of 100
    EXPECT_TRUE(enter(1, "max", "20"));
    EXPECT_EQ(editor->Edit1->text(), "90");
    EXPECT_TRUE(enter(0, "name_pole", "РК 1"));
    EXPECT_EQ(value("SELECT [max] FROM est_config WHERE pole_mark_mag='m2' AND id_ebe_var=" + rule),
              "20");
    // an empty entry counts as 0
    EXPECT_TRUE(enter(3, "max", ""));
    EXPECT_EQ(editor->Edit1->text(), "80");
}

TEST_F(Editor, FinalisingWritesTheFormulasTheLinkAndTheTermsAndTheSheetOpens) {
    FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(10, 30)));  // a Wednesday
    createRule("4");
    fillPoints({{"РК 1", 20}, {"РК 2", 20}, {"КР", 30}, {"ИК", 30}});
    EXPECT_EQ(editor->Edit1->text(), "100");
    QTest::mouseClick(editor->SpeedButton2, Qt::LeftButton);
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_FALSE(editor->SpeedButton2->isVisible());
    EXPECT_EQ(rows("SELECT id_f_est, name_pole, formula, [max] FROM est_config WHERE "
                   "pole_mark_mag='ball1' AND id_ebe_var=" +
                   rule + " ORDER BY id_f_est"),
              (std::vector<std::string>{"1|Общий балл|m1+m2+m3+m4+dop|NULL",
                                        "9|Общий балл FX|m1+m2+m3+m4+dop+m12|NULL",
                                        "10|Общий балл I|m1+m2+m3+m4+dop+m12|NULL"}));
    EXPECT_EQ(rows("SELECT id_rrnkKrdt FROM RRNKkrdt WHERE id_ebe_var=" + rule),
              std::vector<std::string>{"3"});
    EXPECT_EQ(dm.ADOQ_individualPermissPotok.recordCount(), 7);

    // the formulas compile in the formula engine and add the marks
    for (const std::string& f :
         rows("SELECT formula FROM est_config WHERE formula IS NOT NULL AND id_ebe_var=" + rule)) {
        formula::TParser parser;
        for (const char* mark : {"m1", "m2", "m3", "m4", "dop", "m12"}) parser.SetVariable(mark, 1);
        parser.setExpression(f);
        EXPECT_GE(parser.Value(), 5) << f;
    }

    // closing empties the sheet-form list; the stream chosen again has its rule and sheet
    editor->close();
    EXPECT_FALSE(form->DBLookupComboBox3->isEnabled());
    form->Choice.EditorOpenedForMissingRule = false;
    pickText(form->DBLookupComboBox9, "Поток 102");
    EXPECT_EQ(form->Choice.RuleIdText, rule);
    pickText(form->DBLookupComboBox3, "Ведомость");
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    ui::DataGrid* grid = form->KXDBGridEh1;
    for (const char* field : {"m1", "m2", "m3", "m4", "dop", "ball1", "Ball_name"})
        EXPECT_NE(grid->columnByField(QLatin1String(field)), nullptr) << field;
    EXPECT_EQ(grid->columnByField("m3")->title().toStdString().find("КР") != std::string::npos,
              true);
    ASSERT_GT(dm.ADO_SP_Sort.recordCount(), 0);
    const auto& teacher = server::qor::demo::serverLogins[0];
    const std::string student = dm.ADO_SP_Sort.field("id_mark_mag").asString();
    server::Engine::open(database.toStdString(), teacher.serverLogin, teacher.serverPassword)
        ->execute("UPDATE mark_mag SET m1=18, m2=17, m3=25, m4=20, dop=3 WHERE id_mark_mag=" +
                  student);
    pickText(form->DBLookupComboBox3, "Ведомость");
    ASSERT_TRUE(dm.ADO_SP_Sort.locate("id_mark_mag", db::Value(std::stoll(student))));
    EXPECT_EQ(dm.ADO_SP_Sort.field("ball1").asString(), "83");
    EXPECT_EQ(dm.ADO_SP_Sort.field("ball_name").asString(), "хор()");
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
}

// A command that fails half-way leaves nothing behind, and the teacher can try again.
TEST_F(Editor, ACommandFailingHalfWayLeavesNothingBehind) {
    onFile(database,
           "CREATE TRIGGER copy_fails BEFORE INSERT ON T_MarkMagModulCopyAccess BEGIN "
           "SELECT RAISE(ABORT, 'Копирование запрещено'); END");
    createRule("4");
    EXPECT_EQ(log.texts(), QStringList{"Копирование запрещено"});
    EXPECT_EQ(footprint(rule), empty);
    EXPECT_TRUE(editor->NewRuleIdText.isEmpty());
    EXPECT_TRUE(editor->SpeedButton1->isVisible());
    onFile(database, "DROP TRIGGER copy_fails");

    log.messages.clear();
    createRule("4");
    EXPECT_EQ(editor->NewRuleIdText.toStdString(), rule);  // the same number again
    fillPoints({{"РК 1", 25}, {"РК 2", 25}, {"РК 3", 25}, {"ИК", 25}});
    // the terms fail after the formulas and the link are written
    onFile(database,
           "CREATE TRIGGER terms_fail BEFORE INSERT ON IndividualModulPermissPotok BEGIN "
           "SELECT RAISE(ABORT, 'Сроки не записаны'); END");
    QTest::mouseClick(editor->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(log.texts(), QStringList{"Сроки не записаны"});
    const std::string bands = value("SELECT COUNT(*) FROM ebe WHERE id_ebe_var=100");
    EXPECT_EQ(footprint(rule), "ebe:" + bands +
                                   " est_config:10 T_MarkMagModulCopyAccess:14 "
                                   "IndividualModulPermissPotok:0 RRNKkrdt:0 formulas:0");
    EXPECT_TRUE(editor->SpeedButton2->isVisible());
    EXPECT_FALSE(dm.ADOQ_individualPermissPotok.active());
    onFile(database, "DROP TRIGGER terms_fail");

    log.messages.clear();
    QTest::mouseClick(editor->SpeedButton2, Qt::LeftButton);
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_EQ(footprint(rule), "ebe:" + bands +
                                   " est_config:10 T_MarkMagModulCopyAccess:14 "
                                   "IndividualModulPermissPotok:7 RRNKkrdt:1 formulas:3");
}

TEST_F(Editor, FinalisingBeforeTheRuleExistsIsRefused) {
    QTest::mouseClick(editor->SpeedButton2, Qt::LeftButton);
    EXPECT_EQ(log.texts(), QStringList{"Сначала укажите количество контрольных точек."});
    EXPECT_EQ(footprint(rule), empty);
}

}  // namespace
}  // namespace structuretest
