#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "data/TDM_ZOL_3.h"
#include "server/Engine.h"
#include "signin/BootstrapFile.h"
#include "signin/BuildDate.h"
#include "signin/TForm8.h"
#include "tests/support/MessageLog.h"
#include "tests/support/TempFolder.h"
#include "ui/Application.h"

namespace {

using signin::BootstrapFile;
using signin::TForm8;

// A program folder whose bootstrap file names an empty database of the embedded
// server beside the program (by its file name, as the demo does): no GET_USER there,
// and a technical login that may or may not be the right one. The tests run from
// another folder, so the database is found beside the program, not in the current one.
struct Folder {
    testsupport::TempFolder folder;
    QString database;

    explicit Folder(const QString& bootPassword) {
        database = folder.file(QStringLiteral("qor.db"));
        server::Engine::create(database.toStdString(), "qor_boot", "boot_pw");
        QDir(folder.path()).mkpath(QStringLiteral("Data"));
        QFile f(BootstrapFile::pathIn(folder.path()));
        f.open(QIODevice::WriteOnly);
        f.write(BootstrapFile::encode({QStringLiteral("qor_boot"), bootPassword,
                                       QStringLiteral("qor.db"), QStringLiteral("QOR")}));
    }
};

// The window with the data module, in the folder; the status text is noted each
// time a message box appears.
struct SignInUnderTest {
    data::TDM_ZOL_3 dm;
    QWidget mainWindow;
    std::unique_ptr<TForm8> form;
    QStringList statusAtMessage;
    QList<ui::Message> messages;

    explicit SignInUnderTest(const QString& folder) {
        form = std::make_unique<TForm8>(dm, &mainWindow, folder);
        ui::MessageService::setResponder([this](const ui::Message& m) {
            messages.append(m);
            statusAtMessage.append(form->RzLabel1->text());
            return QMessageBox::Ok;
        });
    }
    ~SignInUnderTest() { ui::MessageService::setResponder({}); }
};

TEST(SignInFailure, ARefusedTechnicalLoginIsShownWithoutTheLoginNameThenTheCheckFails) {
    Folder f(QStringLiteral("wrong"));
    SignInUnderTest s(f.folder.path());
    s.form->Login_Edit->setText(QStringLiteral("a.ivanova"));
    s.form->Password_Edit->setText(QStringLiteral("demo2026"));
    s.form->SpeedButton2->click();

    ASSERT_EQ(s.messages.size(), 2);
    EXPECT_EQ(s.messages[0].text, QStringLiteral("Login failed for user 'qor_boot'."));
    // While the second box is up the status shows the first error, login name removed.
    EXPECT_EQ(s.statusAtMessage[1], QStringLiteral("Login failed for user ''."));
    EXPECT_EQ(s.messages[1].text, QStringLiteral("Login failed for user 'qor_boot'."));
    EXPECT_EQ(s.form->RzLabel1->text(), QStringLiteral("Неверно ввели логин или пароль."));
    EXPECT_FALSE(s.dm.ADO_ZOL.isOpen());
}

TEST(SignInFailure, AUserCheckThatCannotRunIsReportedAndTheConnectionClosed) {
    Folder f(QStringLiteral("boot_pw"));
    SignInUnderTest s(f.folder.path());
    s.form->Login_Edit->setText(QStringLiteral("a.ivanova"));
    const bool signedIn = s.form->SignIn(s.dm.ADO_ZOL, QStringLiteral("NULL"));

    EXPECT_FALSE(signedIn);
    ASSERT_EQ(s.messages.size(), 1);
    EXPECT_TRUE(s.messages[0].text.contains(QStringLiteral("GET_USER")))
        << s.messages[0].text.toStdString();
    EXPECT_EQ(s.form->RzLabel1->text(), QStringLiteral("Неверно ввели логин или пароль."));
    EXPECT_FALSE(s.dm.ADO_ZOL.isOpen());
}

TEST(SignInFailure, EachAttemptGivesTheMainWindowAndTheApplicationTheSameCaption) {
    Folder f(QStringLiteral("boot_pw"));
    SignInUnderTest s(f.folder.path());
    const QString expected = QStringLiteral("QOR 28  V29 [ ") +
                             signin::captionDate(signin::BuildDate()) +
                             QStringLiteral(" ] - Электронная Ведомость");
    for (int attempt = 0; attempt < 2; ++attempt) {
        s.form->SignIn(s.dm.ADO_ZOL, QStringLiteral("NULL"));
        EXPECT_EQ(s.mainWindow.windowTitle(), expected);
        EXPECT_EQ(ui::Application::title(), expected);
    }
}

TEST(SignInFailure, AShortBootstrapFileEndsTheAttemptWithAMessage) {
    Folder f(QStringLiteral("boot_pw"));
    QFile file(BootstrapFile::pathIn(f.folder.path()));
    file.resize(40);
    SignInUnderTest s(f.folder.path());
    EXPECT_FALSE(s.form->SignIn(s.dm.ADO_ZOL, QStringLiteral("NULL")));
    ASSERT_EQ(s.messages.size(), 1);
    EXPECT_TRUE(s.messages[0].text.endsWith(QStringLiteral("повреждён: в нём 40 байт из 84.")));
    EXPECT_FALSE(s.dm.ADO_ZOL.isOpen());
    EXPECT_TRUE(s.dm.ADO_ZOL.connectionString().empty());
}

}  // namespace
