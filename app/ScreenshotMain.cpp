// qor28-screenshot FILE LOGIN PASSWORD: runs the program, signs in with the login and
// password as a person would type them, saves a PNG of the main window and ends. For
// machines without a display (run it on a virtual one).
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>
#include <cstdio>

#include "app/Startup.h"
#include "sheet/TForm2.h"
#include "signin/TForm8.h"
#include "ui/MessageService.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: qor28-screenshot FILE LOGIN PASSWORD\n");
        return 2;
    }
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QString login = QString::fromLocal8Bit(argv[2]);
    const QString password = QString::fromLocal8Bit(argv[3]);
    // Nobody is there to press a message box's button: report it and go on.
    ui::MessageService::setResponder([](const ui::Message& m) {
        std::fprintf(stderr, "qor28-screenshot: %s: %s\n", qPrintable(m.caption),
                     qPrintable(m.text));
        return QMessageBox::Ok;
    });
    signin::TForm8::shownHook() = [&](signin::TForm8& form) {
        QTimer::singleShot(300, &form, [&form, &login, &password] {
            form.Login_Edit->setText(login);
            form.Password_Edit->setText(password);
            form.SpeedButton2->click();
            if (form.isVisible()) {
                std::fprintf(stderr, "qor28-screenshot: the sign-in was refused: %s\n",
                             qPrintable(form.RzLabel1->text()));
                form.SpeedButton1->click();
            }
        });
    };
    bool saved = false;
    const int rc = app::runProgram(argc, argv, {}, [&](sheet::TForm2& form) {
        // The main window opens maximized; a virtual screen is small, so the picture is
        // taken at the size of a common workstation screen instead.
        form.setWindowState(Qt::WindowNoState);
        form.resize(1280, 800);
        QTimer::singleShot(500, &form, [&form, &file, &saved] {
            saved = form.grab().save(file, "PNG");
            QCoreApplication::quit();
        });
    });
    if (!saved) {
        std::fprintf(stderr, "qor28-screenshot: no screenshot was written\n");
        return rc == 0 ? 1 : rc;
    }
    std::printf("%s\n", qPrintable(file));
    return rc;
}
