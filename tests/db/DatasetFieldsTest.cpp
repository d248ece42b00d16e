// Lookup and calculated fields, bound-control updates, stored procedures.

#include <gtest/gtest.h>

#include "TestDatabase.h"
#include "db/Dataset.h"
#include "tests/support/ThrowMessage.h"

using namespace dbtest;
using db::Value;

namespace {

class DatasetFields : public DbTest {
  protected:
    void SetUp() override {
        DbTest::SetUp();
        students.setSql("SELECT * FROM student");
        marks.setSql("SELECT * FROM mark ORDER BY id_mark");
        marks.setKeyField("id_mark");
        marks.addLookupField("Student", db::Type::Text, "ID_STUDENT", students, "id_student",
                             "s_fio", 70);
        marks.addCalculatedField("total", db::Type::Float);
        marks.addCalculatedField("label", db::Type::Text, 80);
        marks.onCalcFields = [this](db::Dataset& ds) {
            ++calcCalls;
            // Lookups are filled and calculated fields emptied before the handler runs.
            EXPECT_TRUE(ds.field("total").isNull());
            EXPECT_TRUE(ds.field("label").isNull());
            ds.field("total").setValue(
                Value(ds.field("m1").asDouble() + ds.field("m2").asDouble()));
            ds.field("label").setValue(
                Value(ds.field("student").asString() + ": " + ds.field("total").asString()));
        };
    }
    db::Dataset students{&conn};
    db::Dataset marks{&conn};
    int calcCalls = 0;
};

TEST_P(DatasetFields, LookupAndCalculatedFieldsAreFilledOnOpen) {
    marks.open();
    EXPECT_TRUE(students.active());  // opened for the lookup field
    EXPECT_EQ(calcCalls, 4);
    ASSERT_EQ(marks.fieldCount(), 10);
    EXPECT_EQ(marks.field(7).name(), "Student");
    EXPECT_EQ(marks.field("student").kind(), db::FieldKind::Lookup);
    EXPECT_EQ(marks.field("label").asString(), "Иванов Иван: 30.5");
    marks.setRecNo(3);
    EXPECT_EQ(marks.field("label").asString(), "Ёлкина Анна: 5");
    marks.last();  // student 9 is not in the lookup dataset
    EXPECT_TRUE(marks.field("student").isNull());
    EXPECT_EQ(marks.field("total").asDouble(), 14.0);
}

// Lookups and callers that keep found fields follow a dataset whose fields were built
// again: reopened with its columns in another order, or given another field.
TEST_P(DatasetFields, FieldsFoundOnceFollowADatasetReopenedWithOtherColumns) {
    marks.open();
    const std::uint64_t opened = students.fieldsStamp();
    EXPECT_NE(opened, marks.fieldsStamp());
    students.next();
    EXPECT_EQ(students.fieldsStamp(), opened);                 // moving keeps the fields
    students.setSql("SELECT s_fio, id_student FROM student");  // closes
    const std::uint64_t closed = students.fieldsStamp();
    EXPECT_NE(closed, opened);
    students.open();
    EXPECT_NE(students.fieldsStamp(), closed);
    marks.refreshCalculatedFields();
    EXPECT_EQ(marks.field("label").asString(), "Иванов Иван: 30.5");
    marks.setRecNo(3);
    EXPECT_EQ(marks.field("student").asString(), "Ёлкина Анна");

    db::Dataset more(&conn);
    const std::uint64_t empty = more.fieldsStamp();
    more.addCalculatedField("x", db::Type::Float);
    EXPECT_NE(more.fieldsStamp(), empty);
}

TEST_P(DatasetFields, FieldChangesRecalculateAndOnlyDataFieldsAreWritten) {
    marks.open();
    marks.edit();
    calcCalls = 0;
    marks.field("m1").setValue(Value(1.0));
    EXPECT_EQ(calcCalls, 1);
    EXPECT_EQ(marks.field("total").asDouble(), 21.0);
    marks.field("id_student").setValue(Value(2));
    EXPECT_EQ(marks.field("label").asString(), "Petrov Petr: 21");
    EXPECT_THROW_MSG(marks.field("student").setValue(Value(std::string("x"))), db::Error,
                     "Field 'Student' cannot be modified");
    marks.post();  // would fail if "total" or "student" were sent: mark has no such columns
    EXPECT_EQ(scalar("SELECT COUNT(*) FROM mark WHERE id_student = 2"), Value(2));
    EXPECT_EQ(marks.field("label").asString(), "Petrov Petr: 21");
    marks.cancel();
    EXPECT_THROW_MSG(marks.field("total").setValue(Value(3.0)), db::Error,
                     "Dataset not in edit or insert mode");
}

TEST_P(DatasetFields, CalculateHandlerMayNotChangeDataFields) {
    marks.onCalcFields = [](db::Dataset& ds) { ds.field("m1").setValue(Value(0.0)); };
    EXPECT_THROW_MSG(marks.open(), db::Error,
                     "Field 'm1' cannot be modified while fields are calculated");
    // the rows are read all the same; only their calculation failed
    EXPECT_TRUE(marks.active());
    EXPECT_EQ(marks.recordCount(), 4);
    marks.close();
    EXPECT_EQ(marks.fieldCount(), 3);  // the declared fields stay for the next open
}

// One row whose calculation fails neither hides the other rows nor is reported per row:
// the dataset opens, the row keeps what was calculated before the failure, and the
// first failure reaches the caller once.
TEST_P(DatasetFields, ACalculationFailingOnOneRowStillOpensEveryRow) {
    marks.onCalcFields = [&](db::Dataset& ds) {
        ++calcCalls;
        ds.field("total").setValue(Value(ds.field("m1").asDouble()));
        if (ds.field("student").isNull())
            throw db::Error("no student " + ds.field("id_student").asString());
        ds.field("label").setValue(Value(ds.field("student").asString()));
    };
    EXPECT_THROW_MSG(marks.open(), db::Error, "no student 9");
    ASSERT_TRUE(marks.active());
    EXPECT_EQ(calcCalls, 4);
    EXPECT_EQ(marks.field("label").asString(), "Иванов Иван");
    marks.last();
    EXPECT_EQ(marks.field("id_student").asInteger(), 9);
    EXPECT_EQ(marks.field("total").asDouble(), 7.0);
    EXPECT_TRUE(marks.field("label").isNull());
}

class Recorder : public db::DatasetListener {
  public:
    void datasetChanged(db::Dataset&) override { ++changes; }
    void recordChanged(db::Dataset&, const db::Field*) override { ++records; }
    void scrolled(db::Dataset&) override { ++scrolls; }
    void stateChanged(db::Dataset&) override { ++states; }
    int changes = 0, records = 0, scrolls = 0, states = 0;
};

TEST_P(DatasetFields, SuspendedControlsHearOneChangeOnResume) {
    Recorder r;
    marks.addListener(&r);
    marks.open();
    EXPECT_EQ(r.changes, 1);
    marks.next();
    EXPECT_EQ(r.scrolls, 1);
    marks.edit();
    marks.field("m1").setValue(Value(3.0));
    EXPECT_EQ(r.records, 1);

    r = Recorder();
    marks.disableControls();
    marks.disableControls();
    marks.post();
    for (marks.first(); !marks.eof(); marks.next()) {
    }
    marks.setSort("m1");
    marks.enableControls();
    EXPECT_EQ(r.changes + r.records + r.scrolls, 0);
    EXPECT_EQ(r.states, 1);  // edit to browse is always told
    marks.enableControls();
    EXPECT_EQ(r.changes, 1);
    EXPECT_EQ(r.records + r.scrolls, 0);
    EXPECT_FALSE(marks.controlsDisabled());
    marks.enableControls();  // one resume too many changes nothing
    marks.removeListener(&r);
    marks.next();
    EXPECT_EQ(r.scrolls, 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, DatasetFields, testing::ValuesIn(backends()), backendName);

TEST(Parameters, NamedParametersBecomePlaceholdersOutsideLiteralsAndNames) {
    struct Case {
        const char* sql;
        const char* text;
        std::vector<std::string> names;
    } cases[] = {
        {"SELECT * FROM t WHERE a = :a AND b = :b",
         "SELECT * FROM t WHERE a = ? AND b = ?",
         {"a", "b"}},
        {"WHERE x = ':no' AND [col:no] = :yes", "WHERE x = ':no' AND [col:no] = ?", {"yes"}},
        {"WHERE x = 'it''s :no' OR y = :id_ebe_var",
         "WHERE x = 'it''s :no' OR y = ?",
         {"id_ebe_var"}},
        {"-- :no\nSELECT :a /* :no */, :a", "-- :no\nSELECT ? /* :no */, ?", {"a", "a"}},
        {"SELECT CAST(x AS time) FROM t WHERE t = '10:30' AND u::int = 1",
         "SELECT CAST(x AS time) FROM t WHERE t = '10:30' AND u::int = 1",
         {}},
        {"SELECT \"a:b\", :п1", "SELECT \"a:b\", ?", {"п1"}},
        {"WHERE a = 'unterminated :x", "WHERE a = 'unterminated :x", {}},
    };
    for (const Case& c : cases) {
        db::PreparedText p = db::prepareNamedParameters(c.sql);
        EXPECT_EQ(p.text, c.text) << c.sql;
        EXPECT_EQ(p.names, c.names) << c.sql;
    }
}

TEST(Parameters, TypedParametersConvertOrRefuseValues) {
    db::Parameters params;
    params.add("@RETURN_VALUE", db::Type::Integer, db::ParamDirection::ReturnValue);
    params.add("@group", db::Type::Integer, db::ParamDirection::Input, 0, true, Value(0));
    params.add("@DoNotShowEst", db::Type::Text, db::ParamDirection::Input, 1, true,
               Value(std::string("0")));
    EXPECT_EQ(&params.byName("GROUP"), &params[1]);
    EXPECT_EQ(&params.byName("@donotshowest"), &params[2]);
    params.byName("group").setValue(Value(std::string("1203")));
    EXPECT_EQ(params[1].value(), Value(1203));
    params[2].setValue(Value(1));
    EXPECT_EQ(params[2].value(), Value(std::string("1")));
    params[1].clear();
    EXPECT_TRUE(params[1].isNull());
    EXPECT_THROW_MSG(params[1].setValue(Value(std::string("12a"))), db::Error,
                     "Parameter '@group': '12a' is not a valid integer value");
    EXPECT_TRUE(params[1].isNull());
    EXPECT_THROW_MSG(params[3], db::Error, "Parameter index 3 out of range");
    EXPECT_THROW_MSG(params.byName("@nope"), db::Error, "Parameter '@nope' not found");
}

}  // namespace
