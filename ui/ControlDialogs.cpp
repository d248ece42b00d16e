#include "ui/ControlDialogs.h"

#include <QApplication>
#include <QMessageBox>

#include "db/Error.h"

namespace ui {

namespace {

ControlDialogs::ErrorHandler& errorHandler() {
    static ControlDialogs::ErrorHandler handler;
    return handler;
}

ControlDialogs::QuestionHandler& questionHandler() {
    static ControlDialogs::QuestionHandler handler;
    return handler;
}

}  // namespace

QString ControlDialogs::messageOf(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Неизвестная ошибка.");
    }
}

void ControlDialogs::reportError(std::exception_ptr error) {
    if (!error) return;
    try {
        std::rethrow_exception(error);
    } catch (const db::Abort&) {
        return;  // a refusal that has already said what it had to
    } catch (...) {
    }
    if (errorHandler()) {
        errorHandler()(error);
        return;
    }
    QMessageBox::critical(QApplication::activeWindow(), QStringLiteral("Ошибка"), messageOf(error));
}

void ControlDialogs::guard(const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
        reportError(std::current_exception());
    }
}

bool ControlDialogs::ask(const QString& text) {
    if (questionHandler()) return questionHandler()(text);
    return QMessageBox::question(QApplication::activeWindow(), QStringLiteral("Подтверждение"),
                                 text) == QMessageBox::Yes;
}

void ControlDialogs::setErrorHandler(ErrorHandler handler) {
    errorHandler() = std::move(handler);
}

void ControlDialogs::setQuestionHandler(QuestionHandler handler) {
    questionHandler() = std::move(handler);
}

}  // namespace ui
