#pragma once

#include <QString>
#include <exception>
#include <functional>

namespace ui {

// Where the data-aware controls send what they cannot handle themselves: an error raised
// while a user's edit was written (shown with its own text, db::Abort shows nothing) and
// the yes/no questions they ask. The program points both at its message service and its
// general error display at start-up; tests answer them. Until then a plain message box
// is used.
class ControlDialogs {
  public:
    using ErrorHandler = std::function<void(std::exception_ptr)>;
    using QuestionHandler = std::function<bool(const QString& text)>;

    // Call inside a catch block, or give the error. db::Abort is dropped here.
    static void reportError(std::exception_ptr error);
    static bool ask(const QString& text);
    // Runs a step that the user's action started (a handler of a control's event) and
    // reports what it throws, so the error never unwinds through Qt's own code.
    static void guard(const std::function<void()>& step);

    // An empty function restores the default.
    static void setErrorHandler(ErrorHandler handler);
    static void setQuestionHandler(QuestionHandler handler);

    // The text shown for an error: its own message.
    static QString messageOf(std::exception_ptr error);
};

}  // namespace ui
