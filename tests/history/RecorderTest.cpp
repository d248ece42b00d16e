// The change-history recorder on a small mark table: the sentences and statements of a
// post, the description of a deletion, the handlers it takes over and gives back, and a
// row and its history saved together or not at all.

#include <QHostAddress>

#include "HistoryFixture.h"
#include "history/HistoryText.h"
#include "tests/support/RefusingBackend.h"

using namespace historytest;
using db::Value;
using Texts = std::vector<std::string>;

namespace {

Value text(const char* s) {
    return Value(std::string(s));
}

TEST_F(HistoryFixture, ThreeChangedFieldsGiveThreeRowsInFieldOrderAfterThePost) {
    attach();
    marks.edit();
    marks.field("p36").setValue(Value(db::makeDateTime(2024, 1, 15, 17, 30)));  // the time only
    marks.field("note").setValue(text("O'Neil's"));
    marks.field("m1").setValue(Value(15.0));
    marks.field("kind").setValue(Value(std::int64_t{1}));  // unchanged
    marks.post();
    EXPECT_EQ(logged(), (Texts{
                            "Поле \"m1\" изменило значение \"12\" на \"15\".",
                            "Поле \"note\" изменило значение \"ok\" на \"O'Neil's\".",
                            "Поле \"p36\" изменило значение \"15.01.2024\" на \"15.01.2024\".",
                        }));
    EXPECT_EQ(loggedColumn("[table]"), Texts(3, "mark_mag"));
    EXPECT_EQ(loggedColumn("row_id"), Texts(3, "1"));
    // The login and the computer name are typed by people: their apostrophes survive.
    EXPECT_EQ(loggedColumn("QOR_User"), Texts(3, "o'neil"));
    EXPECT_EQ(loggedColumn("comp"), Texts(3, "PC'1\\" + history::LocalIpAddress()));
    EXPECT_EQ(markText(1, "note"), "O'Neil's");
    EXPECT_TRUE(recorder.Statements.empty());
    EXPECT_EQ(moduleCalls, (Texts{"beforePost", "afterPost"}));
}

TEST_F(HistoryFixture, NullOnEitherSideAndTheEnglishWording) {
    attach();
    recorder.Template.clear();
    marks.next();  // m1 NULL, m2 5, note NULL
    marks.edit();
    marks.field("m1").setValue(Value(7.0));
    marks.field("m2").clear();
    marks.field("note").clear();  // stays NULL: no change
    marks.field("p35").setValue(text(""));
    marks.post();
    EXPECT_EQ(logged(), (Texts{
                            "The field \"m1\" has been changed from \"NULL\" on \"7\".",
                            "The field \"m2\" has been changed from \"5\" on \"NULL\".",
                            "The field \"p35\" has been changed from \"B\" on \"NULL\".",
                        }));
}

TEST_F(HistoryFixture, OnlyChangedRowsInEditStateAreRecorded) {
    attach();
    marks.append();
    marks.field("p35").setValue(text("C"));
    marks.field("m1").setValue(Value(3.0));
    marks.post();
    marks.edit();
    marks.post();  // nothing changed
    EXPECT_EQ(count("mark"), 3);
    EXPECT_TRUE(logged().empty());
}

TEST_F(HistoryFixture, ADeletionIsDescribedByItsDataFields) {
    attach();
    marks.deleteRecord();
    EXPECT_EQ(logged(), (Texts{"Запись с уникальным номером - '1' была удалена - (id_mark[1], "
                               "m1['12'], m2[NULL], note['ok'], p36['15.01.2024 09:00:00'], "
                               "kind[1], p35['A'])."}));
    EXPECT_EQ(count("mark"), 1);
    EXPECT_EQ(moduleCalls, (Texts{"beforeDelete", "afterDelete"}));
}

TEST_F(HistoryFixture, ADeletedTextWithAnApostropheIsStoredAsTyped) {
    conn.execute("UPDATE mark SET note = 'd''Artagnan' WHERE id_mark = 2");
    marks.close();
    marks.open();
    attach();
    marks.last();
    marks.deleteRecord();
    EXPECT_EQ(logged(), (Texts{"Запись с уникальным номером - '2' была удалена - (id_mark[2], "
                               "m1[NULL], m2['5'], note['d'Artagnan'], p36[NULL], kind[2], "
                               "p35['B'])."}));
}

TEST_F(HistoryFixture, DetachGivesBackEveryHandler) {
    attach(true, false);
    // Deletes are not tracked: the dataset's own before-delete step stays in place.
    marks.last();
    marks.deleteRecord();
    EXPECT_TRUE(logged().empty());
    recorder.Detach();
    EXPECT_EQ(recorder.AttachedDataset(), nullptr);
    EXPECT_FALSE(marks.beforeCommit);
    moduleCalls.clear();
    marks.edit();
    marks.field("m1").setValue(Value(1.0));
    marks.post();
    marks.edit();
    marks.field("p35").clear();
    EXPECT_THROW(marks.post(), db::Error);
    marks.cancel();
    EXPECT_TRUE(logged().empty());
    EXPECT_EQ(moduleCalls,
              (Texts{"beforePost", "afterPost", "beforePost",
                     "postError: Cannot insert the value NULL into column 'p35', table "
                     "'QOR.dbo.mark'; column does not allow nulls."}));
}

// A refused save goes to the data module's error step and to the caller; the recorder
// keeps watching, so the next save has its history.
TEST_F(HistoryFixture, ARefusedPostDoesNotStopTheRecording) {
    attach();
    marks.edit();
    marks.field("m1").setValue(Value(13.0));
    marks.field("p35").clear();
    EXPECT_THROW(marks.post(), db::Error);
    ASSERT_EQ(moduleCalls.size(), 2u);
    EXPECT_EQ(moduleCalls[1].rfind("postError: ", 0), 0u);
    EXPECT_TRUE(logged().empty());
    EXPECT_EQ(recorder.AttachedDataset(), &marks);
    marks.field("p35").setValue(text("A2"));
    marks.post();
    EXPECT_EQ(logged(), (Texts{"Поле \"m1\" изменило значение \"12\" на \"13\".",
                               "Поле \"p35\" изменило значение \"A\" на \"A2\"."}));
}

TEST_F(HistoryFixture, HistoryThatCannotBeWrittenLeavesTheRowUnsavedAndTheEditInPlace) {
    attach();
    conn.execute("DROP TABLE QOR_LOG");
    marks.edit();
    marks.field("m1").setValue(Value(14.0));
    try {
        marks.post();
        FAIL() << "the post went through without its history";
    } catch (const db::Error& e) {
        EXPECT_STREQ(e.what(), "Invalid object name 'QOR_LOG'.");
    }
    EXPECT_EQ(marks.state(), db::DatasetState::Edit);
    EXPECT_EQ(marks.field("m1").value(), Value(14.0));
    EXPECT_EQ(markText(1, "m1"), "12");
    // Not a refused row: the data module's post error (which drops the edit) stays out.
    EXPECT_EQ(moduleCalls, (Texts{"beforePost"}));
    conn.execute(
        "CREATE TABLE QOR_LOG (id_qor_log int IDENTITY(1,1) PRIMARY KEY,"
        " [table] varchar(50) NOT NULL, row_id int, descr varchar(4000) NOT NULL,"
        " QOR_User varchar(50), comp varchar(300))");
    marks.post();
    EXPECT_EQ(markText(1, "m1"), "14");
    EXPECT_EQ(logged(), (Texts{"Поле \"m1\" изменило значение \"12\" на \"14\"."}));
}

// Whichever request of one save with three history rows the server refuses, the row and
// its history are both saved or both not, and what was typed is still there to save.
TEST_F(HistoryFixture, ARefusalAnywhereInASaveKeepsRowHistoryAndDatasetAgreeing) {
    attach();
    testsupport::RefusingBackend& backend = testsupport::RefusingBackend::install(conn, 0);
    marks.edit();
    marks.field("m1").setValue(Value(20.0));
    marks.field("m2").setValue(Value(1.0));
    marks.field("note").setValue(text("x"));
    marks.post();
    const int requests = backend.requests;  // begin, update, three inserts, commit
    ASSERT_EQ(requests, 6);
    ASSERT_EQ(logged().size(), 3u);
    for (int n = 1; n <= requests; ++n) {
        SCOPED_TRACE("refused request " + std::to_string(n));
        const std::string was = markText(1, "m1");
        const std::size_t rows = logged().size();
        marks.edit();
        marks.field("m1").setValue(Value(20.0 + n));
        marks.field("m2").setValue(Value(1.0 + n));
        marks.field("note").setValue(text(n % 2 ? "y" : "x"));
        backend.refuse(n);
        EXPECT_THROW(marks.post(), db::Error);
        EXPECT_EQ(marks.state(), db::DatasetState::Edit);
        EXPECT_EQ(marks.field("m1").value(), Value(20.0 + n));
        EXPECT_EQ(marks.field("m2").value(), Value(1.0 + n));
        EXPECT_EQ(markText(1, "m1"), was);
        EXPECT_EQ(logged().size(), rows);
        backend.refuse(0);
        marks.post();
        EXPECT_EQ(markText(1, "m1"), db::toText(Value(20.0 + n)));
        Texts now = logged();
        ASSERT_EQ(now.size(), rows + 3);
        EXPECT_EQ(now[rows], "Поле \"m1\" изменило значение \"" + was + "\" на \"" +
                                 db::toText(Value(20.0 + n)) + "\".");
    }
}

TEST(HistoryWriters, TheStatementQuotesWhatPeopleTyped) {
    EXPECT_EQ(history::LogStatement("mark_mag", "17",
                                    "Поле \"note\" изменило значение "
                                    "\"a\" на \"O''Neil\".",
                                    {"o'neil", "PC'1"}, "10.0.0.5"),
              "INSERT INTO QOR_LOG([table], [row_id], [descr], [QOR_User], [comp]) "
              "VALUES('mark_mag', 17, 'Поле \"note\" изменило значение \"a\" на \"O''Neil\".', "
              "'o''neil', 'PC''1\\10.0.0.5')");
    EXPECT_EQ(history::QuoteTwice("5"), "''5''");
}

TEST(HistoryWriters, TheWorkstationHasADottedIPv4AddressAndAName) {
    QHostAddress address;
    ASSERT_TRUE(address.setAddress(QString::fromStdString(history::LocalIpAddress())));
    EXPECT_EQ(address.protocol(), QAbstractSocket::IPv4Protocol);
    EXPECT_FALSE(history::WorkstationComputerName().empty());
    EXPECT_LE(history::WorkstationComputerName().size(), 100u);
}

}  // namespace
