// Reading datasets: fields, navigation, parameters, locate, sort, filter, bookmarks.

#include <gtest/gtest.h>

#include <algorithm>

#include "TestDatabase.h"
#include "db/Dataset.h"
#include "tests/support/ThrowMessage.h"

using namespace dbtest;
using db::Value;

namespace {

class DatasetBrowse : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        marks.setSql("SELECT * FROM mark ORDER BY id_mark");
        marks.open();
    }
    std::vector<std::int64_t> students() {
        std::vector<std::int64_t> out;
        for (marks.first(); !marks.eof(); marks.next())
            out.push_back(marks.field("id_student").asInteger());
        return out;
    }
    db::Dataset marks{&conn};
};

TEST_P(DatasetBrowse, FieldsAreTheColumnsFoundWithoutRegardToCase) {
    ASSERT_EQ(marks.fieldCount(), 7);
    EXPECT_EQ(marks.field(0).name(), "id_mark");
    EXPECT_EQ(&marks.field("ID_Mark"), &marks.field(0));
    EXPECT_EQ(marks.field("P35").asString(), "A-1");
    EXPECT_EQ(marks.field("m1").asDouble(), 10.5);
    EXPECT_EQ(marks.field("m2").asInteger(), 20);
    EXPECT_EQ(marks.field("p36").asDateTime(), db::makeDateTime(2024, 1, 15));
    EXPECT_EQ(marks.field("p36").asString(), "15.01.2024");
    EXPECT_EQ(marks.findField("nope"), nullptr);
    EXPECT_THROW_MSG(marks.field("nope"), db::Error, "Field 'nope' not found");
}

TEST_P(DatasetBrowse, NavigationCountsAndNulls) {
    EXPECT_EQ(marks.recordCount(), 4);
    EXPECT_EQ(students(), (std::vector<std::int64_t>{1, 2, 3, 9}));
    EXPECT_TRUE(marks.eof());
    EXPECT_EQ(marks.recNo(), 4);
    marks.first();
    EXPECT_TRUE(marks.bof());
    EXPECT_FALSE(marks.eof());
    marks.setRecNo(3);
    EXPECT_TRUE(marks.field("m1").isNull());
    EXPECT_EQ(marks.field("m1").asDouble(), 0.0);  // an empty mark reads 0
    EXPECT_EQ(marks.field("m1").asString(), "");
    marks.prior();
    EXPECT_EQ(marks.field("id_student").asInteger(), 2);
    EXPECT_THROW_MSG(marks.setRecNo(5), db::Error, "Record number 5 out of range");
    EXPECT_EQ(marks.recNo(), 2);
}

TEST_P(DatasetBrowse, EmptyResultAndClosedDataset) {
    db::Dataset none(&conn);
    none.setSql("SELECT * FROM mark WHERE 1 = 0");
    none.open();
    EXPECT_TRUE(none.isEmpty());
    EXPECT_TRUE(none.eof());
    EXPECT_TRUE(none.bof());
    EXPECT_EQ(none.recNo(), 0);
    EXPECT_TRUE(none.field("m1").isNull());
    EXPECT_THROW_MSG(none.edit(), db::Error, "Cannot perform this operation on an empty dataset");
    EXPECT_THROW_MSG(none.deleteRecord(), db::Error,
                     "Cannot perform this operation on an empty dataset");
    none.close();
    EXPECT_THROW_MSG(none.next(), db::Error, "Cannot perform this operation on a closed dataset");
    EXPECT_THROW_MSG(none.locate("m1", Value(1)), db::Error,
                     "Cannot perform this operation on a closed dataset");
}

TEST_P(DatasetBrowse, NamedParametersAreBoundNotPasted) {
    db::Dataset q(&conn);
    q.setSql(
        "SELECT s_fio FROM student WHERE s_fio = :name OR id_student = :id -- :not_one\n"
        " OR s_fio = ':literal' OR s_fio = :name");
    ASSERT_EQ(q.parameters().size(), 2u);
    EXPECT_EQ(q.param(0).name(), "name");
    struct Case {
        Value name;
        Value id;
        std::vector<std::string> rows;
    } cases[] = {
        {Value(std::string("O'Brien")), Value(), {"O'Brien"}},
        {Value(std::string("x' OR '1'='1")), Value(), {}},
        {Value(), Value(2), {"Petrov Petr"}},
        {Value(std::string("Иванов Иван")),
         Value(std::string("3")),
         {"Иванов Иван", "Ёлкина Анна"}},
    };
    for (const Case& c : cases) {
        q.param("NAME").setValue(c.name);
        q.param(":id").setValue(c.id);
        q.open();
        std::vector<std::string> got;
        for (; !q.eof(); q.next()) got.push_back(q.field("s_fio").asString());
        std::sort(got.begin(), got.end());
        std::vector<std::string> want = c.rows;
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << db::toText(c.name);
        q.close();
    }
    EXPECT_THROW_MSG(q.param("missing"), db::Error, "Parameter 'missing' not found");
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM student"), Value(4));
}

TEST_P(DatasetBrowse, TableDatasetAndExecSql) {
    db::Dataset t(&conn);
    t.setTableName("student");
    t.open();
    EXPECT_EQ(t.recordCount(), 4);
    EXPECT_EQ(t.updateTable(), "student");

    db::Dataset cmd(&conn);
    cmd.setSql("UPDATE mark SET note = :note WHERE id_student = :s");
    cmd.param("note").setValue(Value(std::string("it's")));
    cmd.param("s").setValue(Value(1));
    EXPECT_EQ(cmd.execSql(), 1);
    t.setSql("SELECT note FROM mark WHERE id_student = 1");
    EXPECT_FALSE(t.active());
    t.open();
    EXPECT_EQ(t.fieldCount(), 1);
    EXPECT_EQ(t.field("note").asString(), "it's");
}

TEST_P(DatasetBrowse, LocateMatchesExactlyOrIgnoringCaseAndStaysPutOtherwise) {
    db::Dataset s(&conn);
    s.setSql("SELECT * FROM student ORDER BY id_student");
    s.open();
    struct Case {
        const char* field;
        Value value;
        bool ignoreCase;
        int recNo;  // 0: no match, stays on row 2
    } cases[] = {
        {"s_fio", Value(std::string("Petrov Petr")), false, 2},
        {"S_FIO", Value(std::string("ёлкина анна")), true, 3},
        {"s_fio", Value(std::string("ёлкина анна")), false, 0},
        {"s_fio", Value(std::string("PETROV PETR")), true, 2},
        {"id_student", Value(4), false, 4},
        {"id_student", Value(4.0), false, 4},
        {"id_student", Value(std::string("3")), false, 3},
        {"id_student", Value(7), false, 0},
        {"id_student", Value(), false, 0},
    };
    for (const Case& c : cases) {
        s.setRecNo(2);
        EXPECT_EQ(s.locate(c.field, c.value, c.ignoreCase), c.recNo != 0) << db::toText(c.value);
        EXPECT_EQ(s.recNo(), c.recNo ? c.recNo : 2) << db::toText(c.value);
    }
    EXPECT_THROW_MSG(s.locate("nope", Value(1)), db::Error, "Field 'nope' not found");
    EXPECT_EQ(s.lookup("id_student", Value(3), "s_fio"), Value(std::string("Ёлкина Анна")));
    EXPECT_TRUE(db::isNull(s.lookup("id_student", Value(8), "s_fio")));
}

TEST_P(DatasetBrowse, SortKeepsTheCurrentRow) {
    marks.setRecNo(2);  // student 2
    marks.setSort("m2 DESC");
    EXPECT_EQ(marks.field("id_student").asInteger(), 2);
    EXPECT_EQ(students(), (std::vector<std::int64_t>{1, 9, 3, 2}));  // NULL last descending
    marks.setSort("m2");
    EXPECT_EQ(students(), (std::vector<std::int64_t>{2, 3, 9, 1}));
    marks.setSort("p35 desc, id_mark");
    EXPECT_EQ(students(), (std::vector<std::int64_t>{9, 3, 2, 1}));
    EXPECT_THROW_MSG(marks.setSort("nope"), db::Error, "Field 'nope' not found");
    EXPECT_THROW_MSG(marks.setSort("m2 sideways"), db::Error, "Invalid sort order \"m2 sideways\"");
    EXPECT_EQ(marks.sort(), "p35 desc, id_mark");
    marks.setSort("");
    EXPECT_EQ(students(), (std::vector<std::int64_t>{1, 2, 3, 9}));
}

TEST_P(DatasetBrowse, FilterTextAppliesWhileSwitchedOn) {
    struct Case {
        const char* filter;
        std::vector<std::int64_t> students;
    } cases[] = {
        {"id_student=2", {2}},
        {"id_student=1 and p35='A-1'", {1}},
        {"id_student=1 and p35='A-2'", {}},
        {"p35 = 'A-1' or p35='B-2'", {1, 9}},
        {"(m1 > 8 or m2 < 6) and note <> NULL", {2, 3}},
        {"m1 = NULL", {3}},
        {"[p35]>='B'", {3, 9}},
        {"note='late'", {2}},
    };
    for (const Case& c : cases) {
        marks.setFilter(c.filter);
        marks.setFiltered(true);
        EXPECT_EQ(students(), c.students) << c.filter;
        EXPECT_EQ(marks.recordCount(), static_cast<int>(c.students.size())) << c.filter;
        marks.setFiltered(false);
        EXPECT_EQ(marks.recordCount(), 4);
    }
}

TEST_P(DatasetBrowse, BadFilterTextIsRefusedAndTheOldOneStays) {
    marks.setFilter("id_student=2");
    marks.setFiltered(true);
    const struct {
        const char* filter;
        const char* message;
    } bad[] = {
        {"id_student=", "Invalid filter \"id_student=\": value expected at position 12"},
        {"= 3", "Invalid filter \"= 3\": field name expected at position 1"},
        {"id_student=2 and",
         "Invalid filter \"id_student=2 and\": field name expected at position 17"},
        {"(m1=1", "Invalid filter \"(m1=1\": missing ')' at position 6"},
        {"nope=1", "Field 'nope' not found"},
        {"m1 ! 3", "Invalid filter \"m1 ! 3\": comparison operator expected at position 4"},
    };
    for (const auto& b : bad) {
        EXPECT_THROW_MSG(marks.setFilter(b.filter), db::Error, b.message);
        EXPECT_EQ(marks.filter(), "id_student=2");
        EXPECT_EQ(marks.recordCount(), 1) << b.filter;
    }
    EXPECT_THROW_MSG(marks.setFilter("p35='open"), db::Error,
                     "Invalid filter \"p35='open\": unterminated text at position 10");
}

TEST_P(DatasetBrowse, BookmarksSurviveSortAndFilter) {
    marks.setRecNo(3);
    db::Bookmark third = marks.bookmark();
    marks.first();
    marks.setSort("p35 DESC");
    marks.gotoBookmark(third);
    EXPECT_EQ(marks.field("id_student").asInteger(), 3);
    marks.setFilter("id_student <> 3");
    marks.setFiltered(true);
    EXPECT_FALSE(marks.bookmarkValid(third));
    EXPECT_THROW_MSG(marks.gotoBookmark(third), db::Error, "Record not found");
    marks.setFiltered(false);
    EXPECT_TRUE(marks.bookmarkValid(third));
    EXPECT_FALSE(marks.bookmarkValid(-1));
    EXPECT_FALSE(marks.bookmarkValid(1000));
    marks.close();
    EXPECT_FALSE(marks.bookmarkValid(third));
}

TEST_P(DatasetBrowse, BadCommandsRaiseAndLeaveTheDatasetClosed) {
    db::Dataset q(&conn);
    for (const char* sql : {"SELECT * FROM no_such_table", "SELEC 1", "UPDATE mark SET m1 = 1"}) {
        q.setSql(sql);
        EXPECT_THROW(q.open(), db::Error) << sql;  // the server's own text differs by backend
        EXPECT_FALSE(q.active());
        EXPECT_EQ(q.fieldCount(), 0);
    }
    q.setSql("SELECT id_student FROM student");
    q.open();
    EXPECT_EQ(q.recordCount(), 4);
    q.close();
    db::Dataset detached;
    detached.setSql("SELECT 1");
    EXPECT_THROW_MSG(detached.open(), db::Error, "The dataset has no connection");
}

TEST_P(DatasetBrowse, DeclaredDataFieldsMustMatchTheResult) {
    db::Dataset q(&conn);
    q.setSql("SELECT id_student, s_fio FROM student");
    q.addDataField("S_FIO", db::Type::Text, 70);
    q.open();
    EXPECT_EQ(q.fieldCount(), 1);
    EXPECT_EQ(q.field(0).name(), "S_FIO");
    q.close();
    q.addDataField("missing", db::Type::Integer);
    EXPECT_THROW_MSG(q.open(), db::Error, "Field 'missing' not found");
    EXPECT_FALSE(q.active());
}

INSTANTIATE_TEST_SUITE_P(Backends, DatasetBrowse, testing::ValuesIn(backends()), backendName);

}  // namespace
