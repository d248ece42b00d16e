#include "history/HistoryWriters.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <QSysInfo>

#include "history/HistoryText.h"

namespace history {

std::string LogStatement(const std::string& table, const std::string& rowId,
                         const std::string& description, const HistoryAuthor& author,
                         const std::string& ipAddress) {
    return "INSERT INTO QOR_LOG([table], [row_id], [descr], [QOR_User], [comp]) VALUES(" +
           QuoteOnce(table) + ", " + (rowId.empty() ? std::string("NULL") : rowId) + ", " +
           QuoteOnce(description) + ", " + QuoteOnce(DoubleApostrophes(author.LoginName)) + ", " +
           QuoteOnce(DoubleApostrophes(author.ComputerName + "\\" + ipAddress)) + ")";
}

void WriteChange(const std::string& sentence, db::Dataset& dataset, const std::string& table,
                 const std::string& keyField, std::vector<std::string>& statements,
                 const HistoryAuthor& author) {
    statements.push_back(LogStatement(table, dataset.field(keyField).asString(), sentence, author,
                                      LocalIpAddress()));
}

void WriteDeletion(const std::string& description, db::Dataset& dataset, const std::string& table,
                   const std::string& keyField, std::vector<std::string>& statements,
                   const HistoryAuthor& author) {
    const std::string key = dataset.field(keyField).asString();
    statements.push_back(LogStatement(
        table, key,
        "Запись с уникальным номером - " + QuoteTwice(key) + " была удалена - " + description + ".",
        author, LocalIpAddress()));
}

void ExecuteStatements(db::Dataset& exec, const std::vector<std::string>& statements) {
    for (const std::string& statement : statements) {
        exec.setSql(statement);
        exec.execSql();
    }
}

std::string WorkstationComputerName() {
    // Kept to 100 characters, the room the history has always given a computer name.
    QString name = QSysInfo::machineHostName().left(100);
    return name.toStdString();
}

std::string LocalIpAddress() {
    const auto flags = QNetworkInterface::IsUp | QNetworkInterface::IsRunning;
    for (const QNetworkInterface& i : QNetworkInterface::allInterfaces()) {
        if ((i.flags() & flags) != flags || (i.flags() & QNetworkInterface::IsLoopBack)) continue;
        for (const QNetworkAddressEntry& e : i.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol && !e.ip().isLoopback())
                return e.ip().toString().toStdString();
    }
    return "127.0.0.1";
}

}  // namespace history
