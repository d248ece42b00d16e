// Editing datasets: events, abort, calculated and lookup fields, write-back and its
// conflicts, inserting, deleting, bound controls and bad values.

#include <gtest/gtest.h>

#include "TestDatabase.h"
#include "db/Dataset.h"
#include "tests/support/ThrowMessage.h"

using namespace dbtest;
using db::Value;

namespace {

Value text(const char* s) {
    return Value(std::string(s));
}

class DatasetEdit : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        marks.setSql("SELECT * FROM mark ORDER BY id_mark");
        marks.setKeyField("id_mark");
        marks.open();
        marks.field("id_mark").setReadOnly(true);
    }
    void log(const char* name) { events.push_back(name); }
    void recordEvents() {
        marks.beforeEdit = [this](db::Dataset&) { log("beforeEdit"); };
        marks.afterEdit = [this](db::Dataset&) { log("afterEdit"); };
        marks.beforeInsert = [this](db::Dataset&) { log("beforeInsert"); };
        marks.afterInsert = [this](db::Dataset&) { log("afterInsert"); };
        marks.beforePost = [this](db::Dataset&) { log("beforePost"); };
        marks.afterPost = [this](db::Dataset&) { log("afterPost"); };
        marks.beforeCancel = [this](db::Dataset&) { log("beforeCancel"); };
        marks.afterCancel = [this](db::Dataset&) { log("afterCancel"); };
        marks.beforeDelete = [this](db::Dataset&) { log("beforeDelete"); };
        marks.afterDelete = [this](db::Dataset&) { log("afterDelete"); };
        marks.beforeClose = [this](db::Dataset&) { log("beforeClose"); };
        marks.afterClose = [this](db::Dataset&) { log("afterClose"); };
    }
    Value markOf(int student, const char* column = "m1") {
        return scalar(std::string("SELECT ") + column +
                      " FROM mark WHERE id_student = " + std::to_string(student));
    }

    db::Dataset marks{&conn};
    std::vector<std::string> events;
};

using Events = std::vector<std::string>;

TEST_P(DatasetEdit, EventsRunInOrder) {
    recordEvents();
    marks.edit();
    marks.field("m1").setValue(Value(11.0));
    marks.post();
    EXPECT_EQ(events, (Events{"beforeEdit", "afterEdit", "beforePost", "afterPost"}));
    events.clear();
    marks.edit();
    marks.cancel();
    EXPECT_EQ(events, (Events{"beforeEdit", "afterEdit", "beforeCancel", "afterCancel"}));
    events.clear();
    marks.append();
    marks.field("id_student").setValue(Value(4));
    marks.field("p35").setValue(text("C-1"));
    marks.post();
    marks.deleteRecord();
    marks.close();
    EXPECT_EQ(events, (Events{"beforeInsert", "afterInsert", "beforePost", "afterPost",
                              "beforeDelete", "afterDelete", "beforeClose", "afterClose"}));
}

TEST_P(DatasetEdit, AbortInABeforeEventDropsTheOperation) {
    marks.beforePost = [](db::Dataset&) { throw db::Abort(); };
    marks.edit();
    marks.field("m1").setValue(Value(55.0));
    EXPECT_THROW_MSG(marks.post(), db::Abort, "Operation aborted");
    EXPECT_EQ(marks.state(), db::DatasetState::Edit);
    EXPECT_EQ(markOf(1), Value(10.5));
    marks.cancel();
    EXPECT_EQ(marks.field("m1").asDouble(), 10.5);

    marks.beforeInsert = [](db::Dataset&) { throw db::Abort(); };
    EXPECT_THROW_MSG(marks.insert(), db::Abort, "Operation aborted");
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(marks.recordCount(), 4);

    marks.beforeDelete = [](db::Dataset&) { throw db::Abort(); };
    EXPECT_THROW_MSG(marks.deleteRecord(), db::Abort, "Operation aborted");
    EXPECT_EQ(marks.recordCount(), 4);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark"), Value(4));

    marks.beforeEdit = [](db::Dataset&) { throw db::Abort(); };
    EXPECT_THROW_MSG(marks.edit(), db::Abort, "Operation aborted");
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
}

TEST_P(DatasetEdit, BeforePostThatCancelsRestoresTheRowAndWritesNothing) {
    bool cancelled = false;
    marks.afterCancel = [&](db::Dataset&) { cancelled = true; };
    marks.beforePost = [](db::Dataset& ds) {
        if (ds.field("note").asString() == "barred") {
            ds.cancel();
            throw db::Abort();
        }
    };
    marks.edit();
    marks.field("note").setValue(text("barred"));
    marks.field("m1").setValue(Value(1.0));
    EXPECT_THROW_MSG(marks.post(), db::Abort, "Operation aborted");
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(marks.field("m1").asDouble(), 10.5);
    EXPECT_TRUE(marks.field("note").isNull());
    EXPECT_EQ(markOf(1), Value(10.5));
}

TEST_P(DatasetEdit, ValuesSetBeforePostAreWrittenWithTheRow) {
    marks.beforePost = [](db::Dataset& ds) {
        ds.field("note").setValue(text("stamped"));
        ds.field("p36").setValue(Value(db::makeDateTime(2025, 6, 30)));
    };
    marks.edit();
    marks.field("m2").setValue(Value(3.0));
    marks.post();
    EXPECT_EQ(markOf(1, "note"), text("stamped"));
    EXPECT_EQ(markOf(1, "m2"), Value(3.0));
    EXPECT_EQ(marks.field("p36").asString(), "30.06.2025");
}

TEST_P(DatasetEdit, WriteBackSendsOnlyTheChangedFields) {
    // Someone else changes m2 of the first row; our change of m1 must not undo theirs.
    behindTheBack("UPDATE mark SET m2 = 99 WHERE id_student = 1");
    marks.edit();
    marks.field("m1").setValue(Value(12.25));
    marks.field("p35").setValue(text("Имя 'с' апострофом"));
    marks.post();
    EXPECT_EQ(markOf(1), Value(12.25));
    EXPECT_EQ(markOf(1, "m2"), Value(99.0));
    EXPECT_EQ(markOf(1, "p35"), text("Имя 'с' апострофом"));
    EXPECT_EQ(marks.field("m2").asDouble(), 20.0);  // the dataset keeps what it read

    // Old values that are NULL, and new values that are NULL, date-times and text.
    marks.setRecNo(3);
    marks.edit();
    marks.field("m1").setValue(Value(5));
    marks.field("p36").setValue(text("01.09.2024"));
    marks.post();
    EXPECT_EQ(markOf(3), Value(5.0));
    marks.setRecNo(2);
    marks.edit();
    marks.field("p36").setValue(Value(db::makeDateTime(2024, 3, 2, 8, 15)));
    marks.field("note").clear();
    marks.post();
    EXPECT_TRUE(db::isNull(markOf(2, "note")));
    db::Dataset check(&conn);
    check.setSql("SELECT p36 FROM mark WHERE id_student IN (2, 3) ORDER BY id_student");
    check.open();
    EXPECT_EQ(check.field("p36").asDateTime(), db::makeDateTime(2024, 3, 2, 8, 15));
    check.next();
    EXPECT_EQ(check.field("p36").asDateTime(), db::makeDateTime(2024, 9, 1));
}

TEST_P(DatasetEdit, RowChangedOrGoneBehindTheBackIsNotOverwritten) {
    std::vector<std::string> seen;
    marks.onPostError = [&](db::Dataset&, const db::Error& e, db::ErrorAction& action) {
        seen.push_back(e.what());
        EXPECT_EQ(action, db::ErrorAction::Fail);
    };
    behindTheBack("UPDATE mark SET m1 = 77 WHERE id_student = 1");
    marks.edit();
    marks.field("m1").setValue(Value(13.0));
    EXPECT_THROW_MSG(marks.post(), db::Error, db::kRowNotLocated);
    EXPECT_EQ(seen, (std::vector<std::string>{db::kRowNotLocated}));
    EXPECT_EQ(marks.state(), db::DatasetState::Edit);
    EXPECT_EQ(markOf(1), Value(77.0));
    marks.cancel();

    // A change of another column of that row still goes through: only changed columns
    // are compared.
    marks.edit();
    marks.field("m2").setValue(Value(21.0));
    marks.post();
    EXPECT_EQ(markOf(1, "m2"), Value(21.0));

    // A row deleted behind the back; the handler drops the error silently.
    marks.onPostError = [](db::Dataset& ds, const db::Error&, db::ErrorAction& action) {
        action = db::ErrorAction::Abort;
        ds.cancel();
    };
    behindTheBack("DELETE FROM mark WHERE id_student = 2");
    marks.next();
    marks.edit();
    marks.field("m1").setValue(Value(1.0));
    EXPECT_THROW_MSG(marks.post(), db::Abort, "Operation aborted");
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(marks.field("m1").asDouble(), 30.0);
}

TEST_P(DatasetEdit, RefusedWriteLeavesNothingHalfWritten) {
    marks.edit();
    marks.field("m1").setValue(Value(40.0));
    marks.field("p35").clear();             // refused by the server: p35 may not be NULL
    EXPECT_THROW(marks.post(), db::Error);  // the server's own text differs by backend
    EXPECT_EQ(marks.state(), db::DatasetState::Edit);
    EXPECT_EQ(markOf(1), Value(10.5));
    EXPECT_EQ(markOf(1, "p35"), text("A-1"));
    // The change is still there to fix and post.
    EXPECT_EQ(marks.field("m1").asDouble(), 40.0);
    marks.field("p35").setValue(text("A-1b"));
    marks.post();
    EXPECT_EQ(markOf(1), Value(40.0));
}

TEST_P(DatasetEdit, OldValuesAndModified) {
    marks.edit();
    EXPECT_FALSE(marks.modified());
    marks.field("m1").setValue(Value(std::string("3,5")));  // a decimal comma
    EXPECT_TRUE(marks.modified());
    EXPECT_EQ(marks.field("m1").value(), Value(3.5));
    EXPECT_EQ(marks.field("m1").oldValue(), Value(10.5));
    EXPECT_EQ(marks.field("m2").oldValue(), Value(20.0));
    marks.cancel();
    EXPECT_EQ(marks.field("m1").oldValue(), Value(10.5));
}

TEST_P(DatasetEdit, MovingAwayPostsAChangedRowAndCancelsAnUnchangedOne) {
    recordEvents();
    marks.edit();
    marks.field("m1").setValue(Value(14.0));
    marks.next();
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
    EXPECT_EQ(markOf(1), Value(14.0));
    EXPECT_EQ(marks.field("id_student").asInteger(), 2);
    marks.edit();
    marks.first();
    EXPECT_EQ(events, (Events{"beforeEdit", "afterEdit", "beforePost", "afterPost", "beforeEdit",
                              "afterEdit", "beforeCancel", "afterCancel"}));
}

// Statements and a dataset's write-backs made in one transaction stay or go together;
// a write-back failing inside it ends the whole transaction, as on SQL Server.
TEST_P(DatasetEdit, ATransactionKeepsStatementsAndWriteBacksTogether) {
    auto work = [&](bool commitIt) {
        db::Transaction unit(conn);
        conn.execute("INSERT INTO mark (id_student, m1, p35) VALUES (4, 1.5, 'T-1')");
        marks.append();
        marks.field("id_student").setValue(Value(4));
        marks.field("p35").setValue(text("T-2"));
        marks.post();
        marks.setRecNo(1);
        marks.edit();
        marks.field("m1").setValue(Value(33.0));
        marks.post();
        if (commitIt) unit.commit();
    };
    work(false);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark WHERE id_student = 4"), Value(0));
    EXPECT_EQ(markOf(1), Value(10.5));
    marks.close();
    marks.open();
    work(true);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark WHERE id_student = 4"), Value(2));
    EXPECT_EQ(markOf(1), Value(33.0));

    {
        db::Transaction unit(conn);
        conn.execute("INSERT INTO mark (id_student, m1, p35) VALUES (3, 2.5, 'T-3')");
        marks.edit();
        marks.field("p35").clear();  // refused by the server
        EXPECT_THROW(marks.post(), db::Error);
        marks.cancel();
    }
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark WHERE p35 = 'T-3'"), Value(0));
    // the connection is back to one statement at a time
    conn.execute("INSERT INTO mark (id_student, m1, p35) VALUES (3, 2.5, 'T-4')");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark WHERE p35 = 'T-4'"), Value(1));
}

TEST_P(DatasetEdit, InsertReadsBackTheNewKeyAndDeleteRemovesByKey) {
    marks.setRecNo(2);
    marks.insert();
    EXPECT_EQ(marks.state(), db::DatasetState::Insert);
    EXPECT_TRUE(marks.field("m1").isNull());
    EXPECT_TRUE(marks.field("m1").oldValue().index() == 0);
    marks.field("id_student").setValue(Value(4));
    marks.field("m1").setValue(Value(8.5));
    marks.field("p35").setValue(text("C-1"));
    marks.post();
    EXPECT_EQ(marks.recordCount(), 5);
    EXPECT_EQ(marks.recNo(), 2);
    std::int64_t key = marks.field("id_mark").asInteger();
    EXPECT_EQ(scalar("SELECT MAX(id_mark) FROM mark"), Value(key));
    EXPECT_EQ(markOf(4), Value(8.5));

    marks.edit();  // the new row can be edited at once: its key is known
    marks.field("m2").setValue(Value(1.5));
    marks.post();
    EXPECT_EQ(markOf(4, "m2"), Value(1.5));

    marks.deleteRecord();
    EXPECT_EQ(marks.recordCount(), 4);
    EXPECT_EQ(marks.field("id_student").asInteger(), 2);  // the next row
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark WHERE id_student = 4"), Value(0));
    marks.last();
    marks.deleteRecord();
    EXPECT_EQ(marks.field("id_student").asInteger(), 3);
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark"), Value(3));
}

TEST_P(DatasetEdit, DeleteErrorMayAbortOrFail) {
    behindTheBack("DELETE FROM mark WHERE id_student = 1");
    int calls = 0;
    marks.onDeleteError = [&](db::Dataset& ds, const db::Error& e, db::ErrorAction& action) {
        EXPECT_STREQ(e.what(), db::kRowNotLocated);
        if (++calls == 1) {
            action = db::ErrorAction::Abort;
            ds.next();
        }
    };
    EXPECT_THROW_MSG(marks.deleteRecord(), db::Abort, "Operation aborted");
    EXPECT_EQ(marks.field("id_student").asInteger(), 2);
    marks.first();
    EXPECT_THROW_MSG(marks.deleteRecord(), db::Error, db::kRowNotLocated);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(marks.recordCount(), 4);
}

TEST_P(DatasetEdit, BadValuesAreRefusedAndLoseNothing) {
    EXPECT_THROW_MSG(marks.field("m1").setValue(Value(1.0)), db::Error,
                     "Dataset not in edit or insert mode");
    marks.edit();
    marks.field("m2").setValue(Value(2.0));
    struct Case {
        const char* field;
        Value value;
        const char* message;
    } cases[] = {
        {"m1", text("abc"), "Field 'm1': 'abc' is not a valid floating point value"},
        {"id_student", text("1.5.6"), "Field 'id_student': '1.5.6' is not a valid integer value"},
        {"p36", text("31.13.2024"), "Field 'p36': '31.13.2024' is not a valid date and time"},
        {"note", text("двадцать один символ!"), "Field 'note' holds at most 20 characters"},
        {"id_mark", Value(5), "Field 'id_mark' cannot be modified"},
    };
    for (const Case& c : cases) {
        EXPECT_THROW_MSG(marks.field(c.field).setValue(c.value), db::Error, c.message);
    }
    EXPECT_EQ(marks.field("m1").asDouble(), 10.5);
    EXPECT_EQ(marks.field("m2").asDouble(), 2.0);  // the good change is kept
    marks.post();
    EXPECT_EQ(markOf(1, "m2"), Value(2.0));
    EXPECT_EQ(markOf(1), Value(10.5));
}

TEST_P(DatasetEdit, ReadOnlyDatasetRaisesTheEditError) {
    marks.setReadOnly(true);
    db::ErrorAction decision = db::ErrorAction::Abort;
    std::string seen;
    marks.onEditError = [&](db::Dataset&, const db::Error& e, db::ErrorAction& action) {
        seen = e.what();
        action = decision;
    };
    EXPECT_THROW_MSG(marks.edit(), db::Abort, "Operation aborted");
    EXPECT_EQ(seen, "Cannot modify a read-only dataset");
    decision = db::ErrorAction::Fail;
    EXPECT_THROW_MSG(marks.edit(), db::Error, "Cannot modify a read-only dataset");
    EXPECT_EQ(marks.state(), db::DatasetState::Browse);
}

TEST_P(DatasetEdit, ADatasetWithoutAnUpdateTableRefusesToPost) {
    db::Dataset joined(&conn);
    joined.setSql(
        "SELECT m.id_mark, m.m1, s.s_fio FROM mark m JOIN student s ON "
        "s.id_student = m.id_student");
    joined.open();
    EXPECT_EQ(joined.updateTable(), "");
    joined.edit();
    joined.field("m1").setValue(Value(1.0));
    EXPECT_THROW_MSG(joined.post(), db::Error, "The dataset has no table to write its changes to");
    joined.setUpdateTable("mark");
    EXPECT_THROW_MSG(joined.post(), db::Error,
                     "The dataset has no key field to find its rows by");  // no key field yet
    joined.setKeyField("id_mark");
    joined.post();
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark WHERE m1 = 1"), Value(1));
}

// Grids read rows by position: the edited row shows its buffer, a new row takes its place
// among the others (also when appended), and bookmarks map back to positions.
TEST_P(DatasetEdit, RowsReadByPositionShowTheEditAndTheNewRow) {
    int m1 = marks.field("m1").index();
    int n = marks.recordCount();
    const Value secondM1 = marks.valueAt(1, m1);
    marks.setRecNo(2);
    marks.edit();
    marks.field("m1").setValue(Value(77.0));
    EXPECT_EQ(marks.valueAt(1, m1), Value(77.0));
    EXPECT_EQ(marks.valueAt(0, m1), Value(10.5));
    EXPECT_EQ(marks.valueAt(n, m1), Value());  // past the end reads NULL
    marks.cancel();
    EXPECT_EQ(marks.valueAt(1, m1), secondM1);

    db::Bookmark second = marks.bookmarkAt(1);
    marks.insert();
    EXPECT_EQ(marks.rowCount(), n + 1);
    EXPECT_EQ(marks.currentRow(), 1);
    EXPECT_EQ(marks.bookmarkAt(1), -1);
    EXPECT_EQ(marks.valueAt(1, m1), Value());
    EXPECT_EQ(marks.valueAt(2, m1), secondM1);
    EXPECT_EQ(marks.rowOf(second), 2);
    marks.cancel();
    EXPECT_EQ(marks.rowOf(second), 1);

    int seenAt = -1;
    struct Probe : db::DatasetListener {
        int* seen;
        void stateChanged(db::Dataset& d) override { *seen = d.currentRow(); }
    } probe;
    probe.seen = &seenAt;
    marks.addListener(&probe);
    marks.append();
    EXPECT_EQ(seenAt, n);  // the listener already sees the new row at the end
    marks.removeListener(&probe);
    marks.cancel();
}

INSTANTIATE_TEST_SUITE_P(Backends, DatasetEdit, testing::ValuesIn(backends()), backendName);

}  // namespace
