// The check of a typed mark against the student's admission and the cap of 100, typed
// into the demo sheet of Базы данных, ИС-24-1 through the main window's grid.
#include <QToolButton>

#include "tests/sheet/SavingFixture.h"

namespace sheettest {
namespace {

using MarkEntryRules = Saving;

// Ким Виктория Олеговна has not paid this semester (no "д"): РК 1 23 and РК 2 20 make
// 43, and the exam's "удов" starts at 50. A passing total is refused and stops the check
// before the day is stamped; with the strict setting no value at all is taken.
TEST_F(MarkEntryRules, AStudentWithoutAdmissionMayNotReachAPassingTotal) {
    const QString student = QStringLiteral("Ким Виктория Олеговна");
    const QString refusal = QStringLiteral(
                                "Вы не имеете право ставить положительную оценку студенту "
                                "\"%1\", так как у него нет допуска.")
                                .arg(student);
    struct Case {
        int strict;  // defaults row 23 when the window is created
        const char* exam;
        bool accepted;
    };
    const Case cases[] = {
        {0, "0", true},   {0, "6", true},  {0, "7", false},
        {0, "40", false}, {1, "0", false}, {1, "6", false},
    };
    int strict = 0;
    openSheet();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("strict ") + std::to_string(c.strict) + ", exam " + c.exam);
        log.messages.clear();
        if (c.strict != strict) {
            execute("UPDATE VuzDefaults SET id_field = " + std::to_string(c.strict) +
                    " WHERE id_vuz_defaults = 23");
            createForm();
            openSheet();
            strict = c.strict;
            ASSERT_EQ(form->AdmissionStrict, strict);
        }
        ASSERT_TRUE(sheet().locate("student", db::Value(student.toStdString())));
        ASSERT_NE(sheet().field("primech").asString(), "д");
        ASSERT_EQ(sheet().field("m1").asInteger() + sheet().field("m2").asInteger(), 43);
        const db::Value p36 = sheet().field("p36").value();
        log.messages.clear();
        EXPECT_EQ(type("m3", QString::fromLatin1(c.exam)), c.accepted);
        if (c.accepted) {
            EXPECT_NO_MESSAGE(log);
            EXPECT_EQ(sheet().field("m3").asString(), c.exam);
            EXPECT_FALSE(sheet().field("p36").value() == p36);
        } else {
            ASSERT_EQ(log.messages.size(), 1) << log.texts().join('|').toStdString();
            EXPECT_EQ(log.messages[0].text, refusal);
            EXPECT_EQ(log.messages[0].caption, "Уведомление");
            EXPECT_EQ(log.messages[0].icon, QMessageBox::Warning);
            EXPECT_EQ(log.messages[0].buttons, QMessageBox::Ok);
            EXPECT_TRUE(sheet().field("m3").isNull());
            EXPECT_EQ(shown("m3"), "");
            // the check stopped before the stamp
            EXPECT_TRUE(sheet().field("p36").value() == p36);
        }
        sheet().cancel();
    }
}

// Under defaults row 29 the total may not pass 100 (the message begins with a Latin
// "C", as the institution's clients have always shown it); at 0 there is no cap. The
// rule's total is made DOP/10+99 so that the extra point decides: 10 gives 100, 11
// gives 100.1. A refused value is not written, yet the day is stamped.
TEST_F(MarkEntryRules, UnderRow29ATotalOf100PassesAnd100Point1IsRefused) {
    execute(
        "UPDATE est_config SET formula = 'DOP/10+99' WHERE id_ebe_var = 101 AND id_f_est = 1 "
        "AND pole_mark_mag = 'ball1'");
    openSheet();
    ASSERT_TRUE(sheet().locate("student", db::Value(std::string("Кусаинов Алихан Ерболович"))));
    ASSERT_EQ(sheet().field("primech").asString(), "д");
    const QString cap = QStringLiteral("Cумма баллов не должна превышать 100 !!!");
    ASSERT_EQ(cap.at(0), QChar(u'C'));  // the Latin letter, not the Cyrillic С
    struct Case {
        int row29;
        const char* dop;
        bool accepted;
    };
    for (const Case& c : {Case{1, "10", true}, Case{1, "11", false}, Case{1, "20", false},
                          Case{0, "11", true}, Case{0, "20", true}, Case{2, "20", true}}) {
        SCOPED_TRACE(std::string("row 29 = ") + std::to_string(c.row29) + ", dop " + c.dop);
        execute("UPDATE VuzDefaults SET id_field = " + std::to_string(c.row29) +
                " WHERE id_vuz_defaults = 29");
        const db::Value p36 = sheet().field("p36").value();
        log.messages.clear();
        EXPECT_EQ(type("dop", QString::fromLatin1(c.dop)), c.accepted);
        if (c.accepted) {
            EXPECT_NO_MESSAGE(log);
            EXPECT_EQ(sheet().field("dop").asString(), c.dop);
        } else {
            ASSERT_EQ(log.messages.size(), 1) << log.texts().join('|').toStdString();
            EXPECT_EQ(log.messages[0].text, cap);
            EXPECT_EQ(log.messages[0].caption, "Уведомление");
            EXPECT_EQ(log.messages[0].icon, QMessageBox::Warning);
            EXPECT_TRUE(sheet().field("dop").isNull());
        }
        EXPECT_FALSE(sheet().field("p36").value() == p36);
        sheet().cancel();
    }
}

// A rule without its total's row: every typed mark is refused with the rule error, the
// remaining checks still run and the day is stamped.
TEST_F(MarkEntryRules, ARuleWithoutItsTotalRefusesEveryMark) {
    openSheet();
    log.messages.clear();
    dm.ADOQ_est_config.first();
    ASSERT_TRUE(dm.ADOQ_est_config.locate("pole_mark_mag", db::Value(std::string("ball1"))));
    // the rows as the sheet read them, less the total's
    execute(
        "UPDATE est_config SET pole_mark_mag = 'ball9' WHERE id_ebe_var = 101 AND id_f_est = 1 "
        "AND pole_mark_mag = 'ball1'");
    dm.ADOQ_est_config.close();
    dm.ADOQ_est_config.open();
    ASSERT_FALSE(dm.ADOQ_est_config.locate("pole_mark_mag", db::Value(std::string("ball1"))));
    ASSERT_TRUE(sheet().locate("student", db::Value(std::string("Кусаинов Алихан Ерболович"))));
    const db::Value p36 = sheet().field("p36").value();
    EXPECT_FALSE(type("m3", "10"));
    ASSERT_EQ(log.messages.size(), 1) << log.texts().join('|').toStdString();
    EXPECT_EQ(log.messages[0].text, "Ошибка правила оценок!");
    EXPECT_EQ(log.messages[0].caption, "Уведомление");
    EXPECT_EQ(log.messages[0].icon, QMessageBox::Warning);
    EXPECT_TRUE(sheet().field("m3").isNull());
    EXPECT_FALSE(sheet().field("p36").value() == p36);
    sheet().cancel();
}

}  // namespace
}  // namespace sheettest
