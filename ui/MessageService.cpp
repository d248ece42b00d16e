#include "ui/MessageService.h"

#include <QAbstractButton>
#include <QApplication>
#include <memory>

#include "ui/Application.h"

namespace ui {

namespace {
MessageService::Responder& responder() {
    static MessageService::Responder r;
    return r;
}

QMessageBox::StandardButton firstButton(QMessageBox::StandardButtons buttons) {
    for (auto b : {QMessageBox::Ok, QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}) {
        if (buttons.testFlag(b)) return b;
    }
    return QMessageBox::NoButton;
}
}  // namespace

std::unique_ptr<QMessageBox> MessageService::makeBox(const Message& message, QWidget* parent) {
    auto box = std::make_unique<QMessageBox>(message.icon, message.caption, message.text,
                                             message.buttons, parent);
    box->setDefaultButton(firstButton(message.buttons));
    // The buttons speak the program's language whatever translations the workstation has.
    const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
        {QMessageBox::Yes, "Да"}, {QMessageBox::No, "Нет"}, {QMessageBox::Cancel, "Отмена"}};
    for (const auto& [button, caption] : captions)
        if (QAbstractButton* b = box->button(button)) b->setText(QString::fromUtf8(caption));
    return box;
}

QMessageBox::StandardButton MessageService::show(const Message& message) {
    if (responder()) return responder()(message);
    const auto box = makeBox(message, QApplication::activeWindow());
    return static_cast<QMessageBox::StandardButton>(box->exec());
}

QMessageBox::StandardButton MessageService::show(const QString& caption, const QString& text,
                                                 QMessageBox::Icon icon,
                                                 QMessageBox::StandardButtons buttons) {
    return show(Message{caption, text, icon, buttons});
}

void MessageService::showMessage(const QString& text) {
    show(Application::title(), text);
}

void MessageService::setResponder(Responder r) {
    responder() = std::move(r);
}

}  // namespace ui
