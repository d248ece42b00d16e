// Saving marks through the main window: the save button posts the row being edited, and
// every saved change leaves its history; a row the server refuses keeps what was typed,
// and the saves after it are recorded again.
#include <QToolButton>

#include "data/TDM_ZOL_3.h"
#include "history/HistoryText.h"
#include "history/TADOUpdateHistoryExec.h"
#include "tests/sheet/SavingFixture.h"

namespace sheettest {
namespace {

TEST_F(Saving, TheRecorderIsAttachedToTheMarkSheetAtCreation) {
    ASSERT_TRUE(form->History);
    EXPECT_EQ(form->History->AttachedDataset(), &dm.ADO_SP_Sort);
    EXPECT_EQ(form->History->TableName, "mark_mag");
    EXPECT_EQ(form->History->KeyFieldName, "id_mark_mag");
    EXPECT_TRUE(form->History->TrackDeletes);
    EXPECT_EQ(form->History->Template, "Поле \"<?>\" изменило значение \"<old>\" на \"<new>\".");
    EXPECT_FALSE(form->ComputerName.isEmpty());
}

TEST_F(Saving, OneSaveOfThreeMarksLeavesThreeHistoryRowsInFieldOrder) {
    openSheet();
    ASSERT_TRUE(sheet().locate("student", db::Value(std::string("Кусаинов Алихан Ерболович"))));
    const std::int64_t id = sheet().field("id_mark_mag").asInteger();
    auto was = [&](const char* f) {
        return QString::fromStdString(
            history::FieldChangeText(sheet().field(f), history::Side::Old));
    };
    const QString m2 = was("m2"), m3 = was("m3"), dop = was("dop");
    markHistoryStart();
    // typed right to left: the history still follows the record's field order
    ASSERT_TRUE(type("dop", "3"));
    ASSERT_TRUE(type("m3", "20"));
    ASSERT_TRUE(type("m2", "15"));
    EXPECT_TRUE(form->SpeedButton2->isEnabled());
    form->SpeedButton2->click();
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_EQ(sheet().state(), db::DatasetState::Browse);
    EXPECT_FALSE(form->SpeedButton2->isEnabled());
    // the save rules' stamps are changes like any other: the stored grade (the total of
    // 68 earns удов), the stored total and the day of the save; the check stamped the
    // day the mark was given
    QStringList h = historyOf(id);
    ASSERT_EQ(h.size(), 7) << h.join('\n').toStdString();
    EXPECT_TRUE(h.takeAt(1).startsWith("Поле \"p36\""));
    EXPECT_EQ(
        h.mid(0, 5),
        (QStringList{"Поле \"id_estimation\" изменило значение \"NULL\" на \"3\". | a.ivanova",
                     "Поле \"m2\" изменило значение \"" + m2 + "\" на \"15\". | a.ivanova",
                     "Поле \"m3\" изменило значение \"" + m3 + "\" на \"20\". | a.ivanova",
                     "Поле \"dop\" изменило значение \"" + dop + "\" на \"3\". | a.ivanova",
                     "Поле \"ball\" изменило значение \"55\" на \"68\". | a.ivanova"}));
    EXPECT_TRUE(h[5].startsWith("Поле \"QOR_Update\"")) << h[5].toStdString();
    // read back from the server
    auto engine = server::Engine::open(database.toStdString(), server::qor::demo::bootLogin,
                                       server::qor::demo::bootPassword);
    auto r = engine->execute(
        "SELECT ball, id_estimation, p35, id_teacher, CONVERT(varchar(10), QOR_Update, 104), "
        "CONVERT(varchar(10), GETDATE(), 104) FROM mark_mag WHERE id_mark_mag = " +
        std::to_string(id));
    const auto& row = r.resultSets.at(0).rows.at(0);
    EXPECT_EQ(db::toText(row[0]), "68");
    EXPECT_EQ(db::toText(row[1]), "3");
    EXPECT_EQ(db::toText(row[2]), data::SheetNumber(form->Choice));
    EXPECT_EQ(db::toText(row[2]), "1-1-1-1");
    EXPECT_EQ(db::toText(row[3]), "1");
    EXPECT_EQ(db::toText(row[4]), db::toText(row[5]));
}

TEST_F(Saving, ARowTheServerRefusesKeepsWhatWasTypedAndLaterSavesAreRecorded) {
    openSheet();
    // the row of a student on academic leave: the dean's office closed it
    ASSERT_TRUE(sheet().locate("id_student", db::Value(std::int64_t{20})));
    sheet().edit();
    sheet().field("m2").setValue(db::Value(17.0));
    form->SpeedButton2->click();
    // which field was refused, then the server's own text
    ASSERT_EQ(log.messages.size(), 2) << log.texts().join('|').toStdString();
    EXPECT_EQ(log.messages[0].caption, "Warning!");
    EXPECT_EQ(log.messages[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(log.texts()[0].startsWith("Вы пытаетесь изменить запись в поле \""));
    EXPECT_TRUE(log.texts()[0].endsWith("\", но у вас нет на это прав."));
    EXPECT_TRUE(log.texts().last().startsWith("Строка ведомости закрыта деканатом"))
        << log.texts().join('|').toStdString();
    EXPECT_EQ(sheet().state(), db::DatasetState::Edit);
    EXPECT_EQ(sheet().field("m2").asDouble(), 17.0);
    sheet().cancel();

    log.messages.clear();
    ASSERT_TRUE(sheet().locate("student", db::Value(std::string("Кусаинов Алихан Ерболович"))));
    const std::int64_t id = sheet().field("id_mark_mag").asInteger();
    markHistoryStart();
    ASSERT_TRUE(type("m3", "21"));
    form->SpeedButton2->click();
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_TRUE(
        historyOf(id).contains("Поле \"m3\" изменило значение \"NULL\" на \"21\". | a.ivanova"));
}

TEST_F(Saving, ARowBarredByAttendanceIsNeverSavedAndItsChangesAreDropped) {
    openSheet();
    // student 15 is barred by attendance
    ASSERT_TRUE(sheet().locate("id_student", db::Value(std::int64_t{15})));
    const double m2 = sheet().field("m2").asDouble();
    const std::int64_t id = sheet().field("id_mark_mag").asInteger();
    markHistoryStart();
    ASSERT_TRUE(type("m2", "19"));
    form->SpeedButton2->click();
    ASSERT_EQ(log.messages.size(), 1);
    EXPECT_EQ(log.messages[0].text, "Нет допуска, обратитесь в деканат !!!");
    EXPECT_EQ(log.messages[0].caption, "");
    EXPECT_EQ(log.messages[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(sheet().state(), db::DatasetState::Browse);
    EXPECT_EQ(sheet().field("m2").asDouble(), m2);
    EXPECT_TRUE(form->DBLookupComboBox9->isEnabled());
    EXPECT_TRUE(historyOf(id).isEmpty());
}

}  // namespace
}  // namespace sheettest

namespace sheettest {
namespace {

// The check of a typed mark on Базы данных, ИС-24-1 (m3 "Экзамен" 0 to 40 by the rule).
using MarkEntry = Saving;

TEST_F(MarkEntry, AMarkOutsideTheLimitsIsRefusedWithTheLimitsAndTheDateIsStamped) {
    openSheet();
    ASSERT_TRUE(sheet().locate("student", db::Value(std::string("Абдрахманов Ерлан Маратович"))));
    const db::Value p36 = sheet().field("p36").value();
    auto* grid = form->KXDBGridEh1;
    const QString title = grid->columnByField(QStringLiteral("m3"))->title();
    ASSERT_TRUE(dm.ADOQ_est_config.locate("pole_mark_mag", db::Value(std::string("m3"))));
    const std::int64_t max = dm.ADOQ_est_config.field("max").asInteger();
    EXPECT_TRUE(type("m3", "0"));
    EXPECT_TRUE(type("m3", QString::number(max)));
    EXPECT_TRUE(log.messages.isEmpty()) << log.texts().join('|').toStdString();
    EXPECT_FALSE(type("m3", QString::number(max + 1)));
    ASSERT_EQ(log.messages.size(), 1);
    EXPECT_EQ(
        log.messages[0].text,
        QStringLiteral("Оценка в \"%1\" должна быть в пределах от 0 до %2").arg(title).arg(max));
    EXPECT_EQ(log.messages[0].caption, "Уведомление");
    EXPECT_EQ(log.messages[0].icon, QMessageBox::Warning);
    EXPECT_EQ(sheet().field("m3").asDouble(), static_cast<double>(max));
    EXPECT_FALSE(sheet().field("p36").value() == p36);
    sheet().cancel();
    EXPECT_TRUE(sheet().field("p36").value() == p36);
}

TEST_F(MarkEntry, ARowThatMayNotBeEditedAndATextThatIsNotAWholeNumberAreRefused) {
    openSheet();
    ASSERT_TRUE(sheet().locate("student", db::Value(std::string("Кусаинов Алихан Ерболович"))));
    const db::Value m3 = sheet().field("m3").value();
    EXPECT_FALSE(type("m3", "12.5"));
    ASSERT_EQ(log.messages.size(), 1);
    EXPECT_EQ(log.messages[0].text, "'12.5' is not a valid integer value");
    EXPECT_TRUE(sheet().field("m3").value() == m3);
    sheet().cancel();
    log.messages.clear();
    // the dean's office closed the row of student 20: the rights come before any other
    // check, for a value within the limits, outside them, or not a number at all
    ASSERT_TRUE(sheet().locate("id_student", db::Value(std::int64_t{20})));
    const db::Value p36 = sheet().field("p36").value();
    for (const char* typed : {"5", "99", "12.5"}) {
        SCOPED_TRACE(typed);
        log.messages.clear();
        EXPECT_FALSE(type("m3", typed));
        ASSERT_EQ(log.messages.size(), 1);
        EXPECT_EQ(log.messages[0].text, "Вы не имеете право менять оценку!");
        EXPECT_EQ(log.messages[0].caption, "Уведомление");
        EXPECT_TRUE(sheet().field("m3").isNull());
        EXPECT_TRUE(sheet().field("p36").value() == p36);
    }
}

}  // namespace
}  // namespace sheettest
