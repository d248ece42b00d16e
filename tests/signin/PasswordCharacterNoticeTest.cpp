// The new-password boxes drop what a password may not hold; the teacher is told at once
// in the status text, so nobody sets a password other than the one typed.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "data/TDM_ZOL_3.h"
#include "signin/TForm8.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TempFolder.h"

namespace {

using signin::TForm8;

const QString kNotice =
    QStringLiteral("В пароле допустимы только латинские буквы, цифры и знак подчёркивания.");
const QString kMustChange = QStringLiteral("Вы должны поменять пароль");

// The window with the new-password area open and a status text of its own, as after a
// sign-in that asked for a new password.
struct Window {
    testsupport::TempFolder folder;
    data::TDM_ZOL_3 dm;
    QWidget mainWindow;
    TForm8 form{dm, &mainWindow, folder.path()};
    Window() {
        form.show();
        QTest::mouseClick(form.SpeedButton3, Qt::LeftButton);
        form.RzLabel1->setText(kMustChange);
    }
    // Types into a box as a keyboard does, after clicking into it.
    void type(QLineEdit* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClicks(box, text);
    }
    void empty(QLineEdit* box) {
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_End);
        for (qsizetype n = box->text().size(); n > 0; --n) QTest::keyClick(box, Qt::Key_Backspace);
    }
};

TEST(PasswordCharacterNotice, ADroppedCharacterIsToldAtOnceAndTheNoticeStays) {
    for (bool confirmation : {false, true}) {
        Window w;
        QLineEdit* box = confirmation ? w.form.Edit2 : w.form.Edit1;
        w.type(box, QStringLiteral("abc"));
        EXPECT_EQ(w.form.RzLabel1->text(), kMustChange);
        QTest::keyClick(box, '-');
        EXPECT_EQ(box->text(), QStringLiteral("abc"));
        EXPECT_EQ(w.form.RzLabel1->text(), kNotice) << "at once, box " << confirmation;
        // What follows does not hide it: the box still lacks the dash.
        QTest::keyClicks(box, QStringLiteral("def!"));
        EXPECT_EQ(box->text(), QStringLiteral("abcdef"));
        EXPECT_EQ(w.form.RzLabel1->text(), kNotice);
    }
}

TEST(PasswordCharacterNotice, APasswordOfAllowedCharactersShowsNoNotice) {
    Window w;
    w.type(w.form.Edit1, QStringLiteral("New_pass_2026"));
    w.type(w.form.Edit2, QStringLiteral("New_pass_2026"));
    EXPECT_EQ(w.form.Edit1->text(), QStringLiteral("New_pass_2026"));
    EXPECT_EQ(w.form.RzLabel1->text(), kMustChange);
}

TEST(PasswordCharacterNotice, EmptyingTheShortenedBoxesBringsBackTheStatus) {
    Window w;
    w.type(w.form.Edit1, QStringLiteral("abc def"));
    w.type(w.form.Edit2, QStringLiteral("abc.def"));
    ASSERT_EQ(w.form.RzLabel1->text(), kNotice);

    w.empty(w.form.Edit1);
    EXPECT_EQ(w.form.RzLabel1->text(), kNotice) << "the confirmation still lacks a character";
    w.type(w.form.Edit1, QStringLiteral("abc_def"));
    EXPECT_EQ(w.form.RzLabel1->text(), kNotice);
    w.empty(w.form.Edit2);
    EXPECT_EQ(w.form.RzLabel1->text(), kMustChange);

    // A mismatch found by the sign-in button empties both boxes and its own message stays.
    w.type(w.form.Edit2, QStringLiteral("abc-xyz"));
    ASSERT_EQ(w.form.RzLabel1->text(), kNotice);
    testsupport::MessageLog log;
    QTest::mouseClick(w.form.SpeedButton2, Qt::LeftButton);
    EXPECT_TRUE(w.form.Edit1->text().isEmpty());
    EXPECT_EQ(w.form.RzLabel1->text(),
              QStringLiteral("Новый пароль подтвержден не верно!!!\nПодтвердите пароль заново."));
    w.type(w.form.Edit1, QStringLiteral("abcdef"));
    EXPECT_EQ(w.form.RzLabel1->text(),
              QStringLiteral("Новый пароль подтвержден не верно!!!\nПодтвердите пароль заново."));
    EXPECT_TRUE(log.messages.isEmpty());
}

}  // namespace
