// The before-commit step: what it runs commits with the row's write or not at all, and a
// failure leaves the dataset as it was before the post or delete. Also the changed
// fields that the write-back and the change history share.

#include <gtest/gtest.h>

#include "TestDatabase.h"
#include "db/Dataset.h"
#include "tests/support/RefusingBackend.h"

using namespace dbtest;
using db::Value;

namespace {

class DatasetCommit : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        conn.execute("CREATE TABLE mark_log (id_mark int, descr varchar(200))");
        marks.setSql("SELECT * FROM mark ORDER BY id_mark");
        marks.setKeyField("id_mark");
        marks.open();
        marks.onPostError = [this](db::Dataset&, const db::Error&, db::ErrorAction&) {
            ++errorEvents;
        };
        marks.onDeleteError = marks.onPostError;
    }
    // The step the change history uses: one more statement on the same connection.
    void logInStep(bool fail = false) {
        marks.beforeCommit = [this, fail](db::Dataset& d) {
            conn.execute("INSERT INTO mark_log (id_mark, descr) VALUES (" +
                         d.field("id_mark").asString() + ", 'changed')");
            if (fail) throw db::Error("The log is full.");
        };
    }
    std::int64_t logRows() { return db::toInteger(scalar("SELECT COUNT(*) FROM mark_log")); }
    Value m1Of(int student) {
        return scalar("SELECT m1 FROM mark WHERE id_student = " + std::to_string(student));
    }

    db::Dataset marks{&conn};
    int errorEvents = 0;
};

TEST_P(DatasetCommit, ChangedFieldsAreTheDataFieldsThatDiffer) {
    marks.close();
    marks.addCalculatedField("twice", db::Type::Float);
    marks.open();
    EXPECT_TRUE(marks.changedFields().empty());
    marks.next();  // m1 30, m2 NULL, note 'late'
    marks.edit();
    marks.field("note").setValue(Value(std::string("late")));  // the same value again
    marks.field("m2").clear();                                 // NULL stays NULL
    marks.field("twice").setValue(Value(1.0));                 // not a data field
    EXPECT_TRUE(marks.changedFields().empty());
    marks.field("note").setValue(Value(std::string("on time")));
    marks.field("m1").clear();
    std::vector<std::string> names;
    for (db::Field* f : marks.changedFields()) names.push_back(f->name());
    EXPECT_EQ(names, (std::vector<std::string>{"m1", "note"}));
    marks.cancel();
    marks.append();
    marks.field("p35").setValue(Value(std::string("C-1")));
    names.clear();
    for (db::Field* f : marks.changedFields()) names.push_back(f->name());
    EXPECT_EQ(names, (std::vector<std::string>{"p35"}));
}

TEST_P(DatasetCommit, TheStepCommitsWithTheRow) {
    logInStep();
    marks.edit();
    marks.field("m1").setValue(Value(12.0));
    marks.post();
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(m1Of(1), Value(12.0));
    EXPECT_EQ(logRows(), 1);
}

TEST_P(DatasetCommit, AFailingStepRollsTheRowBackAndKeepsTheTypedValues) {
    logInStep(true);
    marks.edit();
    marks.field("m1").setValue(Value(12.0));
    marks.field("note").setValue(Value(std::string("retake")));
    EXPECT_THROW(
        {
            try {
                marks.post();
            } catch (const db::Error& e) {
                EXPECT_STREQ(e.what(), "The log is full.");
                throw;
            }
        },
        db::Error);
    EXPECT_EQ(errorEvents, 0);  // the server did not refuse the row
    EXPECT_EQ(marks.state(), db::DatasetState::Edit);
    EXPECT_EQ(marks.field("m1").value(), Value(12.0));
    EXPECT_EQ(marks.field("note").value(), Value(std::string("retake")));
    EXPECT_EQ(marks.field("m1").oldValue(), Value(10.5));
    EXPECT_EQ(m1Of(1), Value(10.5));
    EXPECT_EQ(logRows(), 0);
    // Once the step goes through, the same edit is saved with its log row.
    logInStep();
    marks.post();
    EXPECT_EQ(m1Of(1), Value(12.0));
    EXPECT_EQ(logRows(), 1);
}

TEST_P(DatasetCommit, AFailingStepUndoesAnInsertAndItsKey) {
    logInStep(true);
    marks.append();
    marks.field("p35").setValue(Value(std::string("C-1")));
    EXPECT_THROW(marks.post(), db::Error);
    EXPECT_EQ(marks.state(), db::DatasetState::Insert);
    EXPECT_TRUE(marks.field("id_mark").isNull());
    EXPECT_EQ(marks.recordCount(), 4);
    EXPECT_EQ(db::toInteger(scalar("SELECT COUNT(*) FROM mark")), 4);
    EXPECT_EQ(logRows(), 0);
    logInStep();
    marks.post();
    EXPECT_FALSE(marks.field("id_mark").isNull());
    EXPECT_EQ(db::toInteger(scalar("SELECT COUNT(*) FROM mark")), 5);
    EXPECT_EQ(logRows(), 1);
}

TEST_P(DatasetCommit, AFailingStepKeepsADeletedRow) {
    logInStep(true);
    EXPECT_THROW(marks.deleteRecord(), db::Error);
    EXPECT_EQ(errorEvents, 0);
    EXPECT_EQ(marks.recordCount(), 4);
    EXPECT_EQ(marks.field("id_student").asInteger(), 1);
    EXPECT_EQ(db::toInteger(scalar("SELECT COUNT(*) FROM mark")), 4);
    EXPECT_EQ(logRows(), 0);
}

// Whichever request of one save the server refuses, the row and its log row are both
// there or both missing, and the dataset still holds what was typed when they are not.
TEST_P(DatasetCommit, ARefusalAnywhereInTheSaveLeavesRowAndLogAgreeing) {
    logInStep();
    testsupport::RefusingBackend& backend = testsupport::RefusingBackend::install(conn, 0);
    marks.edit();
    marks.field("m1").setValue(Value(12.0));
    marks.post();
    const int requests = backend.requests;  // begin, update, log insert, commit
    ASSERT_GE(requests, 4);
    Value saved(12.0);
    for (int n = 1; n <= requests; ++n) {
        SCOPED_TRACE("refused request " + std::to_string(n));
        marks.edit();
        marks.field("m1").setValue(Value(20.0 + n));
        backend.refuse(n);
        EXPECT_THROW(marks.post(), db::Error);
        EXPECT_EQ(marks.state(), db::DatasetState::Edit);
        EXPECT_EQ(marks.field("m1").value(), Value(20.0 + n));
        EXPECT_EQ(m1Of(1), saved);
        EXPECT_EQ(logRows(), n);
        backend.refuse(0);
        marks.post();
        saved = Value(20.0 + n);
        EXPECT_EQ(m1Of(1), saved);
        EXPECT_EQ(logRows(), n + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, DatasetCommit, testing::ValuesIn(backends()), backendName);

}  // namespace
