#pragma once

#include <QList>

#include "tests/support/QStringPrinter.h"
#include "ui/MessageService.h"

namespace testsupport {

// Answers every message box of the program with OK (or the given button) and keeps
// what would have been shown.
class MessageLog {
  public:
    explicit MessageLog(QMessageBox::StandardButton answer = QMessageBox::Ok) {
        ui::MessageService::setResponder([this, answer](const ui::Message& m) {
            messages.append(m);
            return answer;
        });
    }
    ~MessageLog() { ui::MessageService::setResponder({}); }
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;

    QStringList texts() const {
        QStringList t;
        for (const auto& m : messages) t << m.text;
        return t;
    }

    QList<ui::Message> messages;
};

}  // namespace testsupport
