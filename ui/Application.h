#pragma once

#include <QApplication>
#include <exception>

namespace ui {

// The program's application object. It is also the general error display: an error
// that no step handled while an event was delivered is shown with its own text and the
// program goes on; db::Abort, the silent refusal, shows nothing.
class Application : public QApplication {
  public:
    Application(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the error the way the general error display does (call it from a catch
    // block, or give it the error).
    static void showException(std::exception_ptr error);

    // The application title ("QOR 28 Электронная Ведомость" at start-up); the captions
    // of plain notices use it.
    static QString title();
    static void setTitle(const QString& title);

    // Whether the main window is shown when the message loop starts; off until the
    // teacher has signed in.
    static bool showMainForm();
    static void setShowMainForm(bool on);

    // Loads Qt's own Russian texts (file dialogs, print preview, standard buttons) when
    // the workstation has them; false when it has not, and the dialogs stay in English.
    static bool installRussianQtTexts();

    // Asks the program to end: the message loop ends at once, or is not entered.
    static void terminate();
    static bool terminated();
};

}  // namespace ui
