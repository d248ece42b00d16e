// The recorder on the demo faculty's mark_mag, signed in as a teacher's server login:
// one save of three changed fields leaves three QOR_LOG rows that the demo server
// accepts, and a deleted row is described in full.

#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>

#include "Contract.h"
#include "Demo.h"
#include "db/Connection.h"
#include "db/Dataset.h"
#include "history/HistoryText.h"
#include "history/HistoryWriters.h"
#include "history/TADOUpdateHistoryExec.h"
#include "values/DateTimeText.h"

namespace {

using Texts = std::vector<std::string>;

class RecorderDemo : public testing::Test {
  protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
        server::qor::install();
        file = dir.filePath(QStringLiteral("QOR.db")).toStdString();
        server::qor::createDemo(file);
        conn.open(
            "Provider=SQLOLEDB.1;Password=Iv26kafIS;Persist Security Info=True;"
            "User ID=qor28_ivanova;Initial Catalog=QOR;Data Source=" +
            file);
        // One row of a.ivanova's exam sheet of group 1, discipline 1, semester 1.
        marks.setSql(
            "SELECT TOP 1 id_mark_mag, id_student, ball, p35, QOR_User, QOR_Update FROM mark_mag "
            "WHERE id_group = 1 AND id_semester = 1 AND id_discipline = 1 AND "
            "id_examination = 1 AND is_closed = 0 ORDER BY id_mark_mag");
        marks.setUpdateTable("mark_mag");
        marks.setKeyField("id_mark_mag");
        marks.open();
        ASSERT_FALSE(marks.isEmpty());
        recorder.OnFieldChanged = [this](const std::string& s, db::Dataset& d, const std::string& t,
                                         const std::string& k,
                                         std::vector<std::string>& statements) {
            history::WriteChange(s, d, t, k, statements, {"a.ivanova", "KAF-IS-3"});
        };
        recorder.OnRecordDeleted = [this](const std::string& p, db::Dataset& d,
                                          const std::string& t, const std::string& k,
                                          std::vector<std::string>& statements) {
            history::WriteDeletion(p, d, t, k, statements, {"a.ivanova", "KAF-IS-3"});
        };
        recorder.OnFlush = [this](std::vector<std::string>& s) {
            history::ExecuteStatements(exec, s);
        };
        recorder.Template = "Поле \"<?>\" изменило значение \"<old>\" на \"<new>\".";
        recorder.Attach(marks, "mark_mag", "id_mark_mag", true, true);
    }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }

    std::int64_t lastLogId() {
        db::BatchResult r = conn.execute("SELECT MAX(id_qor_log) FROM QOR_LOG");
        return db::toInteger(r.resultSets.at(0).rows.at(0).at(0));
    }
    // The history rows of one mark row written after the one numbered `after`.
    Texts logFor(std::int64_t id, std::int64_t after) {
        db::Connection other;
        other.open(conn.connectionString());
        Texts out;
        db::BatchResult r = other.execute(
            "SELECT [table], descr, QOR_User FROM QOR_LOG "
            "WHERE row_id = " +
            std::to_string(id) + " AND id_qor_log > " + std::to_string(after) +
            " ORDER BY id_qor_log");
        for (const auto& row : r.resultSets.at(0).rows)
            out.push_back(db::toText(row[0]) + " | " + db::toText(row[1]) + " | " +
                          db::toText(row[2]));
        return out;
    }

    QTemporaryDir dir;
    std::string file;
    db::Connection conn;
    db::Dataset marks{&conn};
    db::Dataset exec{&conn};
    history::TADOUpdateHistoryExec recorder;
};

TEST_F(RecorderDemo, ASaveOfThreeFieldsLeavesThreeHistoryRows) {
    const std::int64_t id = marks.field("id_mark_mag").asInteger();
    // What the row held, as a sentence shows it.
    auto was = [&](const char* name) {
        return history::FieldChangeText(marks.field(name), history::Side::Old);
    };
    const std::string ball = was("ball"), p35 = was("p35"), user = was("QOR_User");
    const std::int64_t before = lastLogId();
    marks.edit();
    marks.field("ball").setValue(db::Value(75.5));
    marks.field("p35").setValue(db::Value(std::string("1-1-1-9")));
    marks.field("QOR_User").setValue(db::Value(std::string("d'Arc")));
    marks.post();
    EXPECT_EQ(
        logFor(id, before),
        (Texts{
            "mark_mag | Поле \"ball\" изменило значение \"" + ball + "\" на \"75.5\". | a.ivanova",
            "mark_mag | Поле \"p35\" изменило значение \"" + p35 + "\" на \"1-1-1-9\". | a.ivanova",
            "mark_mag | Поле \"QOR_User\" изменило значение \"" + user +
                "\" на \"d'Arc\". | a.ivanova",
        }));
}

TEST_F(RecorderDemo, ADeletedRowIsDescribedWithItsKey) {
    const std::int64_t id = marks.field("id_mark_mag").asInteger();
    const std::string student = marks.field("id_student").asString();
    const std::int64_t before = lastLogId();
    marks.deleteRecord();
    Texts log = logFor(id, before);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].rfind("mark_mag | Запись с уникальным номером - '" + std::to_string(id) +
                               "' была удалена - (id_mark_mag[" + std::to_string(id) +
                               "], id_student[" + student + "], ",
                           0),
              0u)
        << log[0];
}

// The day of the last save is stamped on every save: on a demo row, as the faculty was
// built, the write-back's check of the old day finds the row, and the history says so.
TEST_F(RecorderDemo, ASaveThatChangesTheDayOfTheLastSaveFindsTheDemoRow) {
    const std::int64_t id = marks.field("id_mark_mag").asInteger();
    ASSERT_FALSE(marks.field("QOR_Update").isNull());
    const std::string was = history::FieldChangeText(marks.field("QOR_Update"), history::Side::Old);
    const std::int64_t before = lastLogId();
    marks.edit();
    marks.field("QOR_Update").setValue(db::Value(*values::parseIso("2031-05-06 00:00:00.000")));
    ASSERT_NO_THROW(marks.post());
    const Texts log = logFor(id, before);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_NE(log[0].find("\"" + was + "\" на \""), std::string::npos) << log[0];
    // and the row holds the new day
    db::BatchResult r = conn.execute(
        "SELECT CONVERT(varchar(10), QOR_Update, 104) FROM mark_mag "
        "WHERE id_mark_mag = " +
        std::to_string(id));
    EXPECT_EQ(db::toText(r.resultSets.at(0).rows.at(0).at(0)), "06.05.2031");
}

}  // namespace
