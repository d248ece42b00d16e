#pragma once

// A small mark table and QOR_LOG on the embedded engine, with the recorder attached to a
// dataset of the marks the way the main window attaches it to the mark sheet: the
// Russian wording, the change and deletion writers, ExecuteStatements through a command
// dataset of the same connection, and stand-ins for the data module's handlers.

#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>
#include <string>
#include <vector>

#include "db/Connection.h"
#include "db/Dataset.h"
#include "history/HistoryWriters.h"
#include "history/TADOUpdateHistoryExec.h"

namespace historytest {

inline constexpr const char* kTemplate = "Поле \"<?>\" изменило значение \"<old>\" на \"<new>\".";

class HistoryFixture : public testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Binds the writers and attaches the recorder.
    void attach(bool trackEdits = true, bool trackDeletes = true);
    // Each QOR_LOG row's descr, in the order written.
    std::vector<std::string> logged();
    // One column of QOR_LOG's rows, in the order written, as text.
    std::vector<std::string> loggedColumn(const std::string& column);
    std::string markText(int id, const std::string& column);
    std::int64_t count(const std::string& table);

    QTemporaryDir dir;
    std::string connectionString;
    db::Connection conn;
    db::Dataset marks{&conn};
    db::Dataset exec{&conn};
    history::TADOUpdateHistoryExec recorder;
    history::HistoryAuthor author{"o'neil", "PC'1"};
    // What the data module's handlers saw.
    std::vector<std::string> moduleCalls;
};

}  // namespace historytest
