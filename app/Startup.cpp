#include "app/Startup.h"

#include <QLocale>
#include <QTimer>
#include <memory>

#include "Contract.h"
#include "data/TDM_ZOL_3.h"
#include "sheet/TForm2.h"
#include "ui/Application.h"

namespace app {

int runProgram(int argc, char** argv, const QString& programFolder,
               const std::function<void(sheet::TForm2&)>& afterStart) {
    ui::Application application(argc, argv);
    // A database file named by the bootstrap file is served in-process with the QOR
    // contract; an SQL Server brings its own.
    server::qor::install();
    // A Russian program: dates read the Russian way unless the workstation says otherwise.
    if (QLocale::system().language() == QLocale::C) QLocale::setDefault(QLocale(QLocale::Russian));
    ui::Application::installRussianQtTexts();
    ui::Application::setTitle(QStringLiteral("QOR 28 Электронная Ведомость"));
    ui::Application::setShowMainForm(false);

    data::TDM_ZOL_3 dm;
    std::unique_ptr<sheet::TForm2> form2;
    try {
        form2 = std::make_unique<sheet::TForm2>(dm, programFolder);
    } catch (...) {
        ui::Application::showException(std::current_exception());
    }
    if (ui::Application::terminated() || !form2) return 0;
    if (ui::Application::showMainForm()) {
        form2->show();
        if (afterStart) QTimer::singleShot(0, form2.get(), [&] { afterStart(*form2); });
    } else {
        return 0;
    }
    return application.exec();
}

}  // namespace app
