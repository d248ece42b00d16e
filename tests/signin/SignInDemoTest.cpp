#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>

#include "Contract.h"
#include "Demo.h"
#include "data/LoginContext.h"
#include "data/TDM_ZOL_3.h"
#include "db/Dataset.h"
#include "server/Engine.h"
#include "signin/TForm8.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TempFolder.h"
#include "ui/Application.h"

namespace {

using signin::TForm8;
namespace demo = server::qor::demo;

// The demo faculty in a program folder of its own: the database and Data/QOR beside
// it. Every test gets a fresh one, as passwords change.
class SignInDemo : public testing::Test {
  protected:
    void SetUp() override {
        server::qor::install();
        database = folder.file(QStringLiteral("QOR.db"));
        server::qor::createDemo(database.toStdString());
        data::loginContext() = {};
        ui::Application::setShowMainForm(false);
        form = std::make_unique<TForm8>(dm, &mainWindow, folder.path());
    }
    void TearDown() override { data::loginContext() = {}; }

    // Types the login and password and presses the sign-in button.
    void press(const QString& login,
               const QString& password = QString::fromLatin1(demo::password)) {
        form->Login_Edit->setText(login);
        form->Password_Edit->setText(password);
        form->SpeedButton2->click();
    }
    void setSetting(int row, int value) {
        auto engine =
            server::Engine::open(database.toStdString(), demo::bootLogin, demo::bootPassword);
        engine->execute("UPDATE VuzDefaults SET id_field = " + std::to_string(value) +
                        " WHERE id_vuz_defaults = " + std::to_string(row));
    }
    bool signedInAs(const char* serverLogin) const {
        return dm.ADO_ZOL.isOpen() &&
               dm.ADO_ZOL.connectionString().find(std::string(";User ID=") + serverLogin + ";") !=
                   std::string::npos;
    }

    testsupport::TempFolder folder;
    QString database;
    data::TDM_ZOL_3 dm;
    QWidget mainWindow;
    std::unique_ptr<TForm8> form;
    testsupport::MessageLog log;
};

const QString kChangeLines = QStringLiteral(
    "Вы должны поменять пароль\nЭто делается для безопастности и сохранения данных от "
    "злоумышлеников");

TEST_F(SignInDemo, TheTeacherSignsInUnderTheServerLoginTheUserCheckReturns) {
    QSignalSpy accepted(form.get(), &QDialog::accepted);
    press(QStringLiteral("a.ivanova"));
    EXPECT_NO_MESSAGE(log);
    EXPECT_EQ(accepted.count(), 1);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_TRUE(signedInAs("qor28_ivanova"));
    EXPECT_TRUE(ui::Application::showMainForm());

    const data::LoginContext& c = data::loginContext();
    EXPECT_EQ(c.LoginName, "a.ivanova");
    EXPECT_GT(c.LoginId, 0);
    EXPECT_GT(c.TeacherId, 0);
    EXPECT_GT(c.KindExamId, 0);
    EXPECT_GT(c.GradeExcellentId, 0);
    EXPECT_EQ(form->ProgressBar->value(), 9);
    EXPECT_FALSE(form->ProgressBar->isHidden());
    // Drawn red: the filled part of the bar as it appears on the screen.
    const QImage bar = form->ProgressBar->grab().toImage();
    EXPECT_EQ(QColor(bar.pixel(bar.width() / 4, bar.height() / 2)), QColor(255, 0, 0));
    EXPECT_NE(QColor(bar.pixel(bar.width() * 7 / 8, bar.height() / 2)), QColor(255, 0, 0));

    // The working connection reads date texts day first.
    db::Dataset q(&dm.ADO_ZOL);
    q.setSql("SELECT DATEPART(month, CAST('05.04.2016' AS datetime))");
    q.open();
    EXPECT_EQ(q.field(0).asInteger(), 4);
}

struct Refusal {
    const char* login;
    const char* password;
    const char* status;
};

class SignInRefusal : public SignInDemo, public testing::WithParamInterface<Refusal> {};

TEST_P(SignInRefusal, TheServersTextAloneIsShown) {
    const Refusal r = GetParam();
    press(QString::fromUtf8(r.login), QString::fromUtf8(r.password));
    EXPECT_EQ(form->RzLabel1->text(), QString::fromUtf8(r.status));
    EXPECT_NO_MESSAGE(log);
    EXPECT_NE(form->result(), QDialog::Accepted);
    EXPECT_FALSE(dm.ADO_ZOL.isOpen());
    EXPECT_FALSE(form->ChangeAreaOpen);
    EXPECT_EQ(data::loginContext().LoginId, 0);
}

std::string refusalName(const testing::TestParamInfo<Refusal>& p) {
    const char* names[] = {"WrongPassword", "UnknownLogin", "Blocked", "ApostropheInLogin"};
    return names[p.index];
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SignInRefusal,
    testing::Values(Refusal{"a.ivanova", "demo2025", "Неверный логин или пароль."},
                    Refusal{"z.nobody", "demo2026", "Неверный логин или пароль."},
                    Refusal{"d.omarov", "demo2026",
                            "Учётная запись заблокирована. Обратитесь к администратору системы "
                            "QOR."},
                    // The apostrophe stays inside the literal: a refusal, not a syntax error.
                    Refusal{"a.ivanova' --", "demo2026", "Неверный логин или пароль."}),
    refusalName);

TEST_F(SignInDemo, AnExpiredPasswordMustBeChangedBeforeSigningIn) {
    press(QStringLiteral("b.sultanov"));
    EXPECT_EQ(form->RzLabel1->text(), kChangeLines);
    EXPECT_TRUE(form->ChangeAreaOpen);
    EXPECT_EQ(form->height(), 416);
    EXPECT_FALSE(form->SpeedButton3->isEnabled());
    EXPECT_FALSE(dm.ADO_ZOL.isOpen());
    EXPECT_NE(form->result(), QDialog::Accepted);

    // Declining is not possible: the same answer keeps the area open.
    form->SpeedButton3->click();
    EXPECT_TRUE(form->ChangeAreaOpen);

    form->Edit1->setText(QStringLiteral("Sultan_2027"));
    form->Edit2->setText(QStringLiteral("Sultan_2027"));
    form->SpeedButton2->click();
    EXPECT_NO_MESSAGE(log);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_TRUE(signedInAs("qor28_sultanov"));

    // The new password is the one that counts from now on.
    data::TDM_ZOL_3 dm2;
    TForm8 again(dm2, nullptr, folder.path());
    again.Login_Edit->setText(QStringLiteral("b.sultanov"));
    again.Password_Edit->setText(QStringLiteral("demo2026"));
    again.SpeedButton2->click();
    EXPECT_EQ(again.RzLabel1->text(), QStringLiteral("Неверный логин или пароль."));
    again.Password_Edit->setText(QStringLiteral("Sultan_2027"));
    again.SpeedButton2->click();
    EXPECT_EQ(again.result(), QDialog::Accepted);
}

TEST_F(SignInDemo, APasswordDueForAChangeIsSuggestedAtTheFirstAttemptOnly) {
    press(QStringLiteral("k.nurlanova"));
    EXPECT_EQ(form->RzLabel1->text(), kChangeLines);
    EXPECT_TRUE(form->ChangeAreaOpen);
    EXPECT_TRUE(form->SpeedButton3->isEnabled());
    EXPECT_FALSE(dm.ADO_ZOL.isOpen());

    // The teacher declines: closes the area and signs in again with the same answer.
    form->SpeedButton3->click();
    EXPECT_FALSE(form->ChangeAreaOpen);
    form->SpeedButton2->click();
    EXPECT_EQ(form->SignInAttempts, 2);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_TRUE(signedInAs("qor28_nurlanova"));
}

TEST_F(SignInDemo, TheSuggestedChangeCanBeTakenUp) {
    press(QStringLiteral("k.nurlanova"));
    ASSERT_TRUE(form->ChangeAreaOpen);
    form->Edit1->setText(QStringLiteral("abc123"));
    form->Edit2->setText(QStringLiteral("abc123"));
    form->SpeedButton2->click();
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_TRUE(signedInAs("qor28_nurlanova"));
}

TEST_F(SignInDemo, ANewerProgramVersionStopsTheProgramAndVersion29Passes) {
    int stops = 0;
    form->stopProgram = [&] { ++stops; };
    setSetting(40, 29);
    press(QStringLiteral("a.ivanova"));
    EXPECT_EQ(stops, 0);
    EXPECT_EQ(form->result(), QDialog::Accepted);

    data::TDM_ZOL_3 dm2;
    TForm8 second(dm2, nullptr, folder.path());
    second.stopProgram = [&] { ++stops; };
    setSetting(40, 30);
    second.Login_Edit->setText(QStringLiteral("a.ivanova"));
    second.Password_Edit->setText(QStringLiteral("demo2026"));
    second.SpeedButton2->click();
    EXPECT_EQ(stops, 1);
    EXPECT_EQ(second.Label1->text(),
              QStringLiteral("Пожалуйста, скачайте новую версию с портала QOR !"));
    EXPECT_EQ(second.Label1->x(), 14);
    EXPECT_TRUE(second.Label1->styleSheet().contains(QStringLiteral("color: blue")));
    // Nothing else ran: no sign-in, no context.
    EXPECT_NE(second.result(), QDialog::Accepted);
    EXPECT_EQ(second.ProgressBar->value(), 0);
}

TEST_F(SignInDemo, AFailureOfTheReconnectionIsReportedAndTheWindowStaysOpen) {
    {
        // The user check hands out a server password that the server does not take.
        auto engine =
            server::Engine::open(database.toStdString(), demo::bootLogin, demo::bootPassword);
        engine->execute(
            "UPDATE QOR_Login SET server_password_enc = 'wrong' WHERE login = 'a.ivanova'");
    }
    press(QStringLiteral("a.ivanova"));
    ASSERT_EQ(log.messages.size(), 1);
    EXPECT_EQ(log.messages[0].text, QStringLiteral("Login failed for user 'qor28_ivanova'."));
    EXPECT_TRUE(form->RzLabel1->text().isEmpty());
    EXPECT_FALSE(dm.ADO_ZOL.isOpen());
    EXPECT_NE(form->result(), QDialog::Accepted);
    EXPECT_FALSE(ui::Application::showMainForm());
}

}  // namespace
