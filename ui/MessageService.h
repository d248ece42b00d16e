#pragma once

#include <QMessageBox>
#include <QString>
#include <functional>
#include <memory>

namespace ui {

// One message box as the program asks for it.
struct Message {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

// Every message box of the program goes through here, so that a test can read what
// would have been shown and answer it instead of a person.
class MessageService {
  public:
    using Responder = std::function<QMessageBox::StandardButton(const Message&)>;

    // Shows the box modally and gives the button pressed.
    static QMessageBox::StandardButton show(const Message& message);
    static QMessageBox::StandardButton show(const QString& caption, const QString& text,
                                            QMessageBox::Icon icon = QMessageBox::NoIcon,
                                            QMessageBox::StandardButtons buttons = QMessageBox::Ok);
    // The box as show() presents it, not yet shown (pictures of a message use it).
    static std::unique_ptr<QMessageBox> makeBox(const Message& message, QWidget* parent);
    // A plain notice with the application title as its caption and an OK button.
    static void showMessage(const QString& text);

    // Replaces the dialog by a function (an empty one restores the dialog).
    static void setResponder(Responder responder);
};

}  // namespace ui
