#pragma once

#include <gtest/gtest.h>

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

    // Success when no message box was shown; otherwise the failure lists their texts.
    testing::AssertionResult noneShown() const {
        if (messages.isEmpty()) return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << messages.size() << " message(s) shown: " << texts().join(" | ").toStdString();
    }

    QList<ui::Message> messages;
};

}  // namespace testsupport

// No message box was shown since the log began (or since its messages were cleared).
#define EXPECT_NO_MESSAGE(log) EXPECT_TRUE((log).noneShown())
#define ASSERT_NO_MESSAGE(log) ASSERT_TRUE((log).noneShown())
