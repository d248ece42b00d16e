#pragma once

// What the main window binds to the recorder's events: the change writer and the
// deletion writer, each turning a description into one INSERT for QOR_LOG, and
// ExecuteStatements, which runs them; and the workstation's name and address that
// every history row carries.

#include <string>
#include <vector>

#include "db/Dataset.h"

namespace history {

// Who saved a change and where: the login and the workstation's computer name.
struct HistoryAuthor {
    std::string LoginName;
    std::string ComputerName;
};

// The INSERT of one history row. The description goes in as it is (its values are
// escaped already); the login and the workstation are typed by people, so their
// apostrophes are doubled here. An empty row id is written as NULL.
std::string LogStatement(const std::string& table, const std::string& rowId,
                         const std::string& description, const HistoryAuthor& author,
                         const std::string& ipAddress);

// The change writer: appends the statement recording `sentence` for the current row of
// `dataset` (its `keyField` value is the row id).
void WriteChange(const std::string& sentence, db::Dataset& dataset, const std::string& table,
                 const std::string& keyField, std::vector<std::string>& statements,
                 const HistoryAuthor& author);
// The deletion writer: appends the statement recording the deletion of the current row,
// `description` being the recorder's "(name[value], ...)" list.
void WriteDeletion(const std::string& description, db::Dataset& dataset, const std::string& table,
                   const std::string& keyField, std::vector<std::string>& statements,
                   const HistoryAuthor& author);
// Runs each statement through `exec` (the data module's general command query), first to
// last; the first one the server refuses raises its error and stops the rest.
void ExecuteStatements(db::Dataset& exec, const std::vector<std::string>& statements);

// The workstation's computer name as the operating system gives it, at most 100
// characters.
std::string WorkstationComputerName();
// The workstation's own IPv4 address in dotted form: the first one of an interface that
// is up and not the loopback, else 127.0.0.1.
std::string LocalIpAddress();

}  // namespace history
