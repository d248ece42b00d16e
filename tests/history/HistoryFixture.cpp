#include "HistoryFixture.h"

#include "server/Engine.h"

namespace historytest {

void HistoryFixture::SetUp() {
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    const std::string file = dir.filePath(QStringLiteral("history.db")).toStdString();
    server::Engine::create(file, "tester", "secret");
    connectionString =
        "Provider=SQLOLEDB.1;Password=secret;User ID=tester;Initial Catalog=QOR;"
        "Data Source=" +
        file;
    conn.open(connectionString);
    for (const char* sql : {
             "CREATE TABLE mark (id_mark int IDENTITY(1,1) PRIMARY KEY, m1 float, m2 float,"
             " note varchar(50), p36 datetime, kind int, p35 varchar(50) NOT NULL)",
             "CREATE TABLE QOR_LOG (id_qor_log int IDENTITY(1,1) PRIMARY KEY,"
             " [table] varchar(50) NOT NULL, row_id int, descr varchar(4000) NOT NULL,"
             " QOR_User varchar(50), comp varchar(300))",
             "INSERT INTO mark (m1, m2, note, p36, kind, p35) VALUES"
             " (12, NULL, 'ok', '2024-01-15 09:00:00', 1, 'A')",
             "INSERT INTO mark (m1, m2, note, p36, kind, p35) VALUES"
             " (NULL, 5, NULL, NULL, 2, 'B')",
         })
        conn.execute(sql);
    marks.setSql("SELECT * FROM mark ORDER BY id_mark");
    marks.setKeyField("id_mark");
    // A calculated field last, as the mark sheet ends with its computed ones.
    marks.addCalculatedField("total", db::Type::Float);
    marks.onCalcFields = [](db::Dataset& d) {
        d.field("total").setValue(db::Value(d.field("m1").asDouble() + d.field("m2").asDouble()));
    };
    // The data module's handlers, installed first.
    marks.beforePost = [this](db::Dataset&) { moduleCalls.push_back("beforePost"); };
    marks.afterPost = [this](db::Dataset&) { moduleCalls.push_back("afterPost"); };
    marks.beforeDelete = [this](db::Dataset&) { moduleCalls.push_back("beforeDelete"); };
    marks.afterDelete = [this](db::Dataset&) { moduleCalls.push_back("afterDelete"); };
    marks.onEditError = [this](db::Dataset&, const db::Error&, db::ErrorAction&) {
        moduleCalls.push_back("editError");
    };
    marks.onPostError = [this](db::Dataset&, const db::Error& e, db::ErrorAction&) {
        moduleCalls.push_back(std::string("postError: ") + e.what());
    };
    marks.open();
}

void HistoryFixture::TearDown() {
    QLocale::setDefault(QLocale::system());
}

void HistoryFixture::attach(bool trackEdits, bool trackDeletes) {
    recorder.OnFieldChanged = [this](const std::string& s, db::Dataset& d, const std::string& t,
                                     const std::string& k, std::vector<std::string>& statements) {
        history::WriteChange(s, d, t, k, statements, author);
    };
    recorder.OnRecordDeleted = [this](const std::string& p, db::Dataset& d, const std::string& t,
                                      const std::string& k, std::vector<std::string>& statements) {
        history::WriteDeletion(p, d, t, k, statements, author);
    };
    recorder.OnFlush = [this](std::vector<std::string>& statements) {
        history::ExecuteStatements(exec, statements);
    };
    recorder.Template = kTemplate;
    recorder.Attach(marks, "mark_mag", "id_mark", trackEdits, trackDeletes);
}

std::vector<std::string> HistoryFixture::logged() {
    return loggedColumn("descr");
}

std::vector<std::string> HistoryFixture::loggedColumn(const std::string& column) {
    db::Connection other;
    other.open(connectionString);
    std::vector<std::string> out;
    db::BatchResult r = other.execute("SELECT " + column + " FROM QOR_LOG ORDER BY id_qor_log");
    for (const auto& row : r.resultSets.at(0).rows) out.push_back(db::toText(row.at(0)));
    return out;
}

std::string HistoryFixture::markText(int id, const std::string& column) {
    db::Connection other;
    other.open(connectionString);
    return db::toText(
        other.execute("SELECT " + column + " FROM mark WHERE id_mark = " + std::to_string(id))
            .resultSets.at(0)
            .rows.at(0)
            .at(0));
}

std::int64_t HistoryFixture::count(const std::string& table) {
    db::Connection other;
    other.open(connectionString);
    return db::toInteger(
        other.execute("SELECT COUNT(*) FROM " + table).resultSets.at(0).rows.at(0).at(0));
}

}  // namespace historytest
