#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "data/TDM_ZOL_3.h"
#include "signin/BuildDate.h"
#include "signin/TForm4.h"
#include "signin/TForm8.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TempFolder.h"
#include "ui/Application.h"

namespace {

using signin::TForm8;

// Types the text key by key as a keyboard would send it, Cyrillic letters included
// (QTest's own typing knows Latin-1 characters only).
void typeText(QWidget* w, const QString& text) {
    for (QChar ch : text) {
        const int key = ch.toUpper().unicode();
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(ch));
        QCoreApplication::sendEvent(w, &release);
    }
}

// The window in a program folder of its own (no bootstrap file unless a test writes one).
struct Window {
    testsupport::TempFolder folder;
    data::TDM_ZOL_3 dm;
    QWidget mainWindow;
    std::unique_ptr<TForm8> form;
    Window() { form = std::make_unique<TForm8>(dm, &mainWindow, folder.path()); }
};

TEST(SignInWindow, ABorderlessWindowOfItsSizeWithTheVersionAndBuildDate) {
    Window w;
    TForm8& f = *w.form;
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Аутентификация"));
    EXPECT_TRUE(f.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(f.size(), QSize(497, 273));
    EXPECT_EQ(f.Label1->text(), QStringLiteral("V.29   [ ") +
                                    signin::captionDate(signin::BuildDate()) +
                                    QStringLiteral(" ]"));
    EXPECT_EQ(f.Label1->pos(), QPoint(8, 6));
    EXPECT_EQ(f.Password_Edit->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.Edit1->echoMode(), QLineEdit::Password);
    EXPECT_EQ(f.Edit2->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(f.RzLabel1->wordWrap());
    EXPECT_TRUE(f.RzLabel1->alignment().testFlag(Qt::AlignHCenter));
    EXPECT_TRUE(f.ProgressBar->isHidden());
    EXPECT_EQ(f.ProgressBar->maximum(), 14);
    EXPECT_EQ(f.SignInAttempts, 0);
    EXPECT_FALSE(f.ChangeAreaOpen);
    EXPECT_FALSE(f.Image1->pixmap().isNull());
    EXPECT_FALSE(f.Image2->pixmap().isNull());
    // The new-password boxes lie below the first 275 pixels.
    EXPECT_GE(f.Edit1->y(), 275);
    EXPECT_GE(f.Edit2->y(), 275);
}

TEST(SignInWindow, TheChangePasswordButtonTogglesTheArea) {
    Window w;
    TForm8& f = *w.form;
    f.show();
    QTest::mouseClick(f.SpeedButton3, Qt::LeftButton);
    EXPECT_TRUE(f.ChangeAreaOpen);
    EXPECT_EQ(f.height(), 416);
    EXPECT_TRUE(f.Edit1->isVisible());
    EXPECT_TRUE(f.Edit2->isVisible());
    QTest::mouseClick(f.SpeedButton3, Qt::LeftButton);
    EXPECT_FALSE(f.ChangeAreaOpen);
    EXPECT_EQ(f.height(), 275);
    EXPECT_FALSE(f.Edit1->isVisible());
}

TEST(SignInWindow, TheNewPasswordBoxesTakeOnlyDigitsLatinLettersAndUnderscore) {
    Window w;
    TForm8& f = *w.form;
    f.show();
    f.SpeedButton3->click();
    for (QLineEdit* e : {f.Edit1, f.Edit2}) {
        typeText(e, QStringLiteral("aZ-9ж_ q.Ё!0"));
        EXPECT_EQ(e->text(), QStringLiteral("aZ9_q0"));
        QTest::keyClick(e, Qt::Key_Backspace);
        EXPECT_EQ(e->text(), QStringLiteral("aZ9_q"));
    }
    // The login and password boxes take anything.
    typeText(f.Login_Edit, QStringLiteral("о'нил-1"));
    EXPECT_EQ(f.Login_Edit->text(), QStringLiteral("о'нил-1"));
}

TEST(SignInWindow, EnterInAnyBoxPressesSignInAndIsSwallowed) {
    Window w;
    TForm8& f = *w.form;
    f.show();
    f.SpeedButton3->click();
    testsupport::MessageLog log;  // no bootstrap file here: each attempt reports it
    int expected = 0;
    for (QLineEdit* e : {f.Login_Edit, f.Password_Edit, f.Edit1, f.Edit2}) {
        QSignalSpy returnPressed(e, &QLineEdit::returnPressed);
        QSignalSpy clicked(f.SpeedButton2, &QToolButton::clicked);
        QTest::keyClick(e, Qt::Key_Return);
        QTest::keyClick(e, Qt::Key_Enter);
        expected += 2;
        EXPECT_EQ(clicked.count(), 2) << e->objectName().toStdString();
        EXPECT_EQ(returnPressed.count(), 0) << e->objectName().toStdString();
        EXPECT_EQ(f.SignInAttempts, expected);
    }
}

struct PasswordCase {
    const char* edit1;
    const char* edit2;
    const char* status;  // empty: goes on to the sign-in
};

class NewPasswordTest : public testing::TestWithParam<PasswordCase> {};

TEST_P(NewPasswordTest, TheNewPasswordIsCheckedBeforeTheSignIn) {
    const PasswordCase c = GetParam();
    Window w;
    TForm8& f = *w.form;
    f.SpeedButton3->click();
    f.Edit1->setText(QString::fromUtf8(c.edit1));
    f.Edit2->setText(QString::fromUtf8(c.edit2));
    testsupport::MessageLog log;
    f.SpeedButton2->click();
    EXPECT_EQ(f.SignInAttempts, 1);
    if (*c.status) {
        EXPECT_EQ(f.RzLabel1->text(), QString::fromUtf8(c.status));
        EXPECT_TRUE(f.Edit1->text().isEmpty());
        EXPECT_TRUE(f.Edit2->text().isEmpty());
        EXPECT_NO_MESSAGE(log);
    } else {
        // It went on to read the bootstrap file, which this folder lacks.
        ASSERT_EQ(log.messages.size(), 1);
        EXPECT_TRUE(log.messages[0].text.startsWith(
            QStringLiteral("Не удалось открыть файл настроек подключения")));
        EXPECT_EQ(f.Edit1->text(), QString::fromUtf8(c.edit1));
    }
}

std::string passwordCaseName(const testing::TestParamInfo<PasswordCase>& p) {
    const char* names[] = {"Mismatched", "FiveCharacters", "Empty", "SixCharacters"};
    return names[p.index];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NewPasswordTest,
    testing::Values(
        PasswordCase{"abc123", "abc124",
                     "Новый пароль подтвержден не верно!!!\nПодтвердите пароль заново."},
        PasswordCase{"abc12", "abc12",
                     "Пароль должен состоять не менее чем из 6 символов!!!\nВведите новый "
                     "пароль заново."},
        PasswordCase{"", "",
                     "Пароль должен состоять не менее чем из 6 символов!!!\nВведите новый "
                     "пароль заново."},
        PasswordCase{"abc123", "abc123", ""}),
    passwordCaseName);

TEST(SignInWindow, DraggingThePicturesOrTheStatusTextMovesTheWindow) {
    Window w;
    TForm8& f = *w.form;
    f.move(100, 100);
    f.show();
    for (QWidget* handle : std::initializer_list<QWidget*>{f.Image1, f.RzLabel1, f.Image2}) {
        const QPoint start = f.pos();
        const QPoint grab = handle->mapToGlobal(QPoint(5, 5));
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(grab), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(grab + QPoint(30, 20)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &move);
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5),
                            QPointF(grab + QPoint(30, 20)), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(handle, &release);
        EXPECT_EQ(f.pos(), start + QPoint(30, 20)) << handle->objectName().toStdString();
    }
    // Moving the mouse over a box after the release moves nothing.
    const QPoint still = f.pos();
    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), QPointF(500, 500), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(f.Image1, &move);
    EXPECT_EQ(f.pos(), still);
}

TEST(SignInWindow, WaitsForAnUpdateInTempQorAndDeletesTheUpdateScript) {
    testsupport::TempFolder folder;
    QDir(folder.path()).mkdir(QStringLiteral("tempQOR"));
    QFile bat(folder.file(QStringLiteral("QOR 28.bat")));
    ASSERT_TRUE(bat.open(QIODevice::WriteOnly));
    bat.write("@echo off\r\n");
    bat.close();
    bool removed = false;
    QTimer::singleShot(300, [&] {
        EXPECT_TRUE(QFile::exists(folder.file(QStringLiteral("QOR 28.bat"))));
        removed = QDir(folder.file(QStringLiteral("tempQOR"))).removeRecursively();
    });
    data::TDM_ZOL_3 dm;
    TForm8 form(dm, nullptr, folder.path());
    EXPECT_TRUE(removed);  // the window was not made before the folder had gone
    EXPECT_FALSE(QFile::exists(folder.file(QStringLiteral("QOR 28.bat"))));
}

TEST(SignInWindow, TheExitButtonEndsTheSignInWithCancel) {
    Window w;
    QTimer::singleShot(0, w.form.get(),
                       [&] { QTest::mouseClick(w.form->SpeedButton1, Qt::LeftButton); });
    EXPECT_EQ(w.form->exec(), QDialog::Rejected);
    EXPECT_TRUE(ui::Application::terminated());
}

TEST(LoadingNotice, ADialogOfItsOwnSizeWithTheBoldText) {
    auto* notice = new signin::TForm4;
    EXPECT_EQ(notice->size(), QSize(290, 56));
    EXPECT_EQ(notice->windowTitle(), QStringLiteral("Загрузка"));
    EXPECT_TRUE(notice->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(notice->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_EQ(notice->Label1->text(), QStringLiteral("Идёт загрузка, подождите..."));
    EXPECT_TRUE(notice->Label1->font().bold());
    EXPECT_TRUE(notice->testAttribute(Qt::WA_DeleteOnClose));
    QPointer<signin::TForm4> guard(notice);
    notice->show();
    notice->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
}

}  // namespace
