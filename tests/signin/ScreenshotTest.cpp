#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "Contract.h"
#include "Demo.h"
#include "data/TDM_ZOL_3.h"
#include "signin/TForm4.h"
#include "signin/TForm8.h"
#include "tests/support/Screenshot.h"
#include "tests/support/TempFolder.h"

namespace {

// Pictures of the sign-in window for a person to look at, under the build folder.
QString shotPath(const QString& name) {
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    return QDir(QStringLiteral(QOR28_SCREENSHOT_DIR)).filePath(name);
}

void saveAndCheck(QWidget& w, const QString& name, QSize size) {
    QCoreApplication::processEvents();
    // more than a blank rectangle: the backgrounds and texts give many colours
    testsupport::saveScreenshot(w.grab().toImage(), QStringLiteral(QOR28_SCREENSHOT_DIR), name,
                                size, 200, 3);
}

TEST(Screenshot, SignInWindowAndItsPasswordChangeState) {
    testsupport::TempFolder folder;
    server::qor::install();
    server::qor::createDemo(folder.file(QStringLiteral("QOR.db")).toStdString());
    data::TDM_ZOL_3 dm;
    signin::TForm8 form(dm, nullptr, folder.path());
    form.show();
    QTest::keyClicks(form.Login_Edit, QStringLiteral("b.sultanov"));
    QTest::keyClicks(form.Password_Edit, QStringLiteral("demo2026"));
    saveAndCheck(form, QStringLiteral("signin.png"), QSize(497, 273));

    // His password has expired: the window asks for a new one.
    QTest::keyClick(form.Password_Edit, Qt::Key_Return);
    ASSERT_TRUE(form.ChangeAreaOpen);
    QTest::keyClicks(form.Edit1, QStringLiteral("new_pass1"));
    QTest::keyClicks(form.Edit2, QStringLiteral("new_pass1"));
    saveAndCheck(form, QStringLiteral("signin-change-password.png"), QSize(497, 416));
}

TEST(Screenshot, LoadingNotice) {
    signin::TForm4 notice;
    notice.show();
    QCoreApplication::processEvents();
    const QImage image = notice.grab().toImage();
    ASSERT_TRUE(image.save(shotPath(QStringLiteral("loading-notice.png")), "PNG"));
    EXPECT_EQ(image.size(), QSize(290, 56));
}

}  // namespace
