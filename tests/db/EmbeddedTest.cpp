// What only the embedded engine can show: stored procedures with return and output
// values, statement time-outs and the login check.

#include <gtest/gtest.h>

#ifdef QOR28_DB_EMBEDDED

#include "TestDatabase.h"
#include "db/Dataset.h"
#include "server/Registry.h"
#include "tests/support/ThrowMessage.h"

using namespace dbtest;
using db::Value;

namespace {

// SORT_TEST;1 @group, @label, @total OUTPUT: the marks of students from @group on,
// their count in @total, and 7 as its return value.
void registerTestProcedure() {
    static const bool done = [] {
        server::ProcedureDef def;
        def.name = "SORT_TEST";
        def.parameters = {{"@group", values::Type::Integer, 0, std::nullopt, false},
                          {"@label", values::Type::Text, 10, Value(std::string("-")), false},
                          {"@total", values::Type::Integer, 0, Value(), true}};
        def.body = [](server::ProcedureContext& ctx) {
            Value group = ctx.arg("@group");
            values::BatchResult r = ctx.run(
                "SELECT id_mark, id_student, m1, ? AS label FROM mark WHERE id_student >= ? "
                "ORDER BY id_mark",
                std::vector<Value>{ctx.arg("@label"), group});
            auto count = static_cast<std::int64_t>(r.resultSets.at(0).rows.size());
            ctx.addResultSet(std::move(r.resultSets.at(0)));
            ctx.setOutput("@total", Value(count));
            ctx.setReturnValue(7);
        };
        server::globalRegistry().addProcedure(std::move(def));
        return true;
    }();
    (void)done;
}

class Embedded : public DbTest {
  protected:
    void SetUp() override {
        registerTestProcedure();
        DbTest::SetUp();
    }
};

TEST_P(Embedded, ProcedureDatasetGetsRowsReturnAndOutputValues) {
    db::Dataset proc(&conn);
    proc.setProcedureName("SORT_TEST;1");
    db::Parameters& p = proc.parameters();
    p.add("@RETURN_VALUE", db::Type::Integer, db::ParamDirection::ReturnValue, 0, false, Value(0));
    p.add("@group", db::Type::Integer, db::ParamDirection::Input, 0, true, Value(0));
    p.add("@label", db::Type::Text, db::ParamDirection::Input, 10, true, Value());
    p.add("@total", db::Type::Integer, db::ParamDirection::InputOutput, 0, true, Value());
    proc.param("@group").setValue(Value(std::string("2")));
    proc.param(2).setValue(Value(std::string("it's")));
    proc.open();
    EXPECT_EQ(proc.recordCount(), 3);
    EXPECT_EQ(proc.field("label").asString(), "it's");
    EXPECT_EQ(proc.param("@RETURN_VALUE").value(), Value(7));
    EXPECT_EQ(proc.param("@total").value(), Value(3));

    // The mark sheet's way: rows of a procedure written back to their table.
    proc.setUpdateTable("mark");
    proc.setKeyField("id_mark");
    proc.edit();
    proc.field("m1").setValue(Value(31.0));
    proc.post();
    EXPECT_EQ(scalar("SELECT m1 FROM mark WHERE id_student = 2"), Value(31.0));
    proc.close();

    db::Dataset unknown(&conn);
    unknown.setProcedureName("NO_SUCH_PROC");
    EXPECT_THROW_MSG(unknown.open(), db::Error, "Could not find stored procedure 'NO_SUCH_PROC'.");
    EXPECT_FALSE(unknown.active());
    proc.param("@group").setValue(Value(9));
    EXPECT_EQ(proc.execSql(), -1);
    EXPECT_EQ(proc.param("@total").value(), Value(1));
}

TEST_P(Embedded, QueryCallingAProcedureTakesTheDeclaredParameters) {
    db::Dataset forms(&conn);
    forms.setSql("EXEC SORT_TEST");
    forms.parameters().add("@group", db::Type::Integer, db::ParamDirection::Input, 0, true,
                           Value(3));
    forms.parameters().add("@label", db::Type::Text, db::ParamDirection::Input, 10, true,
                           Value(std::string("O'Neil")));
    forms.open();
    EXPECT_EQ(forms.recordCount(), 2);
    EXPECT_EQ(forms.field("label").asString(), "O'Neil");
}

TEST_P(Embedded, CommandTimeOutStopsALongStatement) {
    conn.execute("CREATE TABLE n (x int)");
    for (int i = 0; i < 10; ++i)
        conn.execute("INSERT INTO n (x) VALUES (" + std::to_string(i) + ")");
    conn.execute("CREATE TABLE big (x int)");
    conn.execute("INSERT INTO big (x) SELECT a.x FROM n a CROSS JOIN n b CROSS JOIN n c");
    db::Dataset slow(&conn);
    slow.setSql("SELECT COUNT(*) AS c FROM big a CROSS JOIN big b CROSS JOIN big c");
    slow.setCommandTimeout(1);
    EXPECT_THROW_MSG(slow.open(), db::Error, "Query timeout expired");
    EXPECT_FALSE(slow.active());
    // The connection is still usable.
    EXPECT_EQ(conn.execute("SELECT COUNT(*) FROM big").resultSets.at(0).rows.at(0).at(0),
              Value(1000));
}

TEST_P(Embedded, RefusedLoginCarriesTheServersText) {
    db::Connection other;
    std::string wrong = connectionString;
    wrong.replace(wrong.find("Password=secret"), 15, "Password=wrong");
    EXPECT_THROW_MSG(other.open(wrong), db::Error, "Login failed for user 'tester'.");
    EXPECT_FALSE(other.isOpen());
    EXPECT_EQ(conn.kind(), db::Connection::Kind::Embedded);
}

INSTANTIATE_TEST_SUITE_P(Backends, Embedded, testing::Values(BackendKind::Embedded), backendName);

}  // namespace

#endif
