#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>

#include "tests/support/TempFolder.h"

namespace {

// A program folder with the program, the demo database and Data/QOR beside it.
struct ProgramFolder {
    testsupport::TempFolder folder;
    QString program;

    ProgramFolder() {
        program = folder.file(QStringLiteral("qor28-screenshot"));
        QFile::copy(QStringLiteral(QOR28_SCREENSHOT_PROGRAM), program);
        QProcess create;
        create.setWorkingDirectory(folder.path());
        create.start(QStringLiteral(QOR28_SQL_PROGRAM),
                     {QStringLiteral("--create-demo"), QStringLiteral("QOR.db")});
        create.waitForFinished(60000);
    }

    // Runs a batch on the demo database as its technical login.
    void sql(const QByteArray& batch) {
        QProcess p;
        p.setWorkingDirectory(folder.path());
        p.start(QStringLiteral(QOR28_SQL_PROGRAM),
                {QStringLiteral("QOR.db"), QStringLiteral("-U"), QStringLiteral("qor_boot"),
                 QStringLiteral("-P"), QStringLiteral("Qb2026boot")});
        p.write(batch + "\nGO\n");
        p.closeWriteChannel();
        p.waitForFinished(60000);
    }

    // Runs the program from another folder, so nothing depends on the current one.
    int run(const QString& png, const QString& login, const QString& password,
            QString* errors = nullptr) {
        QProcess p;
        p.setWorkingDirectory(QDir::tempPath());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        p.setProcessEnvironment(env);
        p.start(program, {png, login, password});
        if (!p.waitForFinished(60000)) {
            p.kill();
            return -1;
        }
        if (errors) *errors = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
};

TEST(Startup, TheTeacherSignsInAndTheMainWindowIsShown) {
    ProgramFolder f;
    ASSERT_TRUE(QFile::exists(f.folder.file(QStringLiteral("Data/QOR"))));
    QDir().mkpath(QStringLiteral(QOR28_SCREENSHOT_DIR));
    const QString png =
        QDir(QStringLiteral(QOR28_SCREENSHOT_DIR)).filePath(QStringLiteral("main-window.png"));
    QFile::remove(png);
    QString errors;
    EXPECT_EQ(f.run(png, QStringLiteral("a.ivanova"), QStringLiteral("demo2026"), &errors), 0)
        << errors.toStdString();
    // it opened her first graded group sheet without a message on the way
    EXPECT_FALSE(errors.contains(QStringLiteral("qor28-screenshot:"))) << errors.toStdString();
    const QImage image(png);
    EXPECT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 800);
}

TEST(Startup, ARefusedSignInEndsTheProgramWithoutTheMainWindow) {
    ProgramFolder f;
    const QString png = f.folder.file(QStringLiteral("refused.png"));
    QString errors;
    EXPECT_NE(f.run(png, QStringLiteral("a.ivanova"), QStringLiteral("wrong"), &errors), 0);
    EXPECT_TRUE(errors.contains(QStringLiteral("Неверный логин или пароль.")))
        << errors.toStdString();
    EXPECT_FALSE(QFile::exists(png));
}

TEST(Startup, ANewerVersionOnTheServerEndsTheProgramBeforeTheMainWindow) {
    ProgramFolder f;
    f.sql("UPDATE VuzDefaults SET id_field = 30 WHERE id_vuz_defaults = 40");
    const QString png = f.folder.file(QStringLiteral("stopped.png"));
    QString errors;
    // The program shows its message, waits its 5 seconds and ends by itself.
    EXPECT_EQ(f.run(png, QStringLiteral("a.ivanova"), QStringLiteral("demo2026"), &errors), 0)
        << errors.toStdString();
    EXPECT_FALSE(QFile::exists(png));
    EXPECT_FALSE(errors.contains(QStringLiteral("no screenshot"))) << errors.toStdString();
}

}  // namespace
