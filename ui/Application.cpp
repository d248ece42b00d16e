#include "ui/Application.h"

#include <QLibraryInfo>
#include <QString>
#include <QTranslator>
#include <memory>

#include "db/Error.h"
#include "ui/MessageService.h"

namespace ui {

namespace {
struct State {
    QString title;
    bool showMainForm = true;
    bool terminated = false;
};
State& state() {
    static State s;
    return s;
}
}  // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::installRussianQtTexts() {
    static QTranslator* installed = nullptr;
    if (installed) return true;
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QStringLiteral("qtbase_ru"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    if (!QCoreApplication::installTranslator(translator.get())) return false;
    installed = translator.release();  // lives as long as the program
    return true;
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        showException(std::current_exception());
    }
    return false;
}

void Application::showException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const db::Abort&) {
        // A refusal that has already told the teacher why, or needs no words.
    } catch (const std::exception& e) {
        MessageService::show(title(), QString::fromUtf8(e.what()), QMessageBox::Critical);
    } catch (...) {
        MessageService::show(title(), QStringLiteral("Непредвиденная ошибка программы."),
                             QMessageBox::Critical);
    }
}

QString Application::title() {
    return state().title;
}

void Application::setTitle(const QString& title) {
    state().title = title;
    QCoreApplication::setApplicationName(title);
}

bool Application::showMainForm() {
    return state().showMainForm;
}

void Application::setShowMainForm(bool on) {
    state().showMainForm = on;
}

void Application::terminate() {
    state().terminated = true;
    QCoreApplication::quit();
}

bool Application::terminated() {
    return state().terminated;
}

}  // namespace ui
