#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTimer>
#include <QToolButton>

#include "data/TDM_ZOL_3.h"
#include "sheet/TForm2.h"
#include "signin/AddressWatcher.h"
#include "signin/TForm8.h"
#include "tests/support/TempFolder.h"
#include "ui/Application.h"
#include "ui/LookupComboBox.h"
#include "ui/LookupListBox.h"

namespace {

// Presses the sign-in window's exit button as soon as it shows.
struct ExitAtSignIn {
    bool shown = false;
    ExitAtSignIn() {
        signin::TForm8::shownHook() = [this](signin::TForm8& f) {
            shown = true;
            QTimer::singleShot(0, &f, [&f] { f.SpeedButton1->click(); });
        };
    }
    ~ExitAtSignIn() { signin::TForm8::shownHook() = {}; }
};

TEST(MainWindow, ItsCreationBeginsWithTheSignInAndACancelEndsTheProgram) {
    testsupport::TempFolder folder;
    data::TDM_ZOL_3 dm;
    ExitAtSignIn exitAtSignIn;
    ui::Application::setShowMainForm(false);
    sheet::TForm2 form(dm, folder.path());
    EXPECT_TRUE(exitAtSignIn.shown);
    EXPECT_TRUE(ui::Application::terminated());
    EXPECT_FALSE(ui::Application::showMainForm());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.windowTitle(), QStringLiteral("QOR 28 "));
    EXPECT_EQ(form.objectName(), QStringLiteral("Form2"));
}

TEST(MainWindow, TheMarkSheetsEditingStateDrivesTheSaveButtonAndTheSelectionLists) {
    testsupport::TempFolder folder;
    data::TDM_ZOL_3 dm;
    ExitAtSignIn exitAtSignIn;
    sheet::TForm2 form(dm, folder.path());
    ASSERT_EQ(dm.editingControls(), &form);
    const auto lists = {static_cast<QWidget*>(form.DBLookupComboBox9),
                        static_cast<QWidget*>(form.DBLookupComboBox10),
                        static_cast<QWidget*>(form.DBLookupComboBox11),
                        static_cast<QWidget*>(form.DBLookupListBox2)};
    EXPECT_FALSE(form.SpeedButton2->isEnabled());
    dm.ADO_SP_Sort.afterEdit(dm.ADO_SP_Sort);
    EXPECT_TRUE(form.SpeedButton2->isEnabled());
    for (QWidget* w : lists) EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    dm.ADO_SP_Sort.afterCancel(dm.ADO_SP_Sort);
    EXPECT_FALSE(form.SpeedButton2->isEnabled());
    for (QWidget* w : lists) EXPECT_TRUE(w->isEnabled()) << w->objectName().toStdString();
}

TEST(MainWindow, TheDataModuleForgetsAMainWindowThatIsGone) {
    testsupport::TempFolder folder;
    data::TDM_ZOL_3 dm;
    ExitAtSignIn exitAtSignIn;
    { sheet::TForm2 form(dm, folder.path()); }
    EXPECT_EQ(dm.editingControls(), nullptr);
    EXPECT_NO_THROW(dm.ADO_SP_Sort.afterEdit(dm.ADO_SP_Sort));
}

// The window watches the workstation's address from its creation and leaves the history
// of addresses in iphist.dat of the current folder when it goes.
TEST(MainWindow, LeavesTheAddressHistoryInTheCurrentFolder) {
    testsupport::TempFolder folder;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    QString address = QStringLiteral("10.1.2.3");
    signin::AddressWatcher::setAddressSource([&address] { return address; });
    {
        data::TDM_ZOL_3 dm;
        ExitAtSignIn exitAtSignIn;
        sheet::TForm2 form(dm, folder.path());
        EXPECT_EQ(form.IdIPWatch1->localAddress(), "10.1.2.3");
        address = QStringLiteral("127.0.0.1");
        form.IdIPWatch1->check();
        address = QStringLiteral("10.1.2.4");
        form.IdIPWatch1->check();
    }
    signin::AddressWatcher::setAddressSource({});
    QDir::setCurrent(previous);
    QFile history(folder.file(QStringLiteral("iphist.dat")));
    ASSERT_TRUE(history.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_EQ(QString::fromLatin1(history.readAll()), "10.1.2.3\n10.1.2.4\n");
}

}  // namespace
