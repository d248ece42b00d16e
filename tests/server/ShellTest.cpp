// qor28-sql, the shell of the embedded database, run as a program: what it prints and
// its exit status.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "BatchScript.h"
#include "ServerFixture.h"

namespace servertest {
namespace {

struct Outcome {
    std::string out;
    int status = -1;
};

std::string quoted(const std::string& path) {
    std::ostringstream s;
    s << '\'' << path << '\'';
    return s.str();
}

Outcome shell(const std::string& args, const std::string& input, const TempDir& dir) {
    std::string in = dir.file("input.sql");
    std::ofstream(in, std::ios::binary) << input;
    std::ostringstream command_;
    command_ << QOR28_SQL << ' ' << args << " < '" << in << "' 2>/dev/null";
    std::string command = command_.str();
    Outcome o;
    FILE* p = popen(command.c_str(), "r");
    if (!p) return o;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) o.out.append(buf, n);
    int status = pclose(p);
    o.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return o;
}

TEST(Shell, CreatesRunsBatchesAndPrintsOnlyResults) {
    TempDir dir;
    std::string db = quoted(dir.file("shell.db"));
    EXPECT_EQ(shell("--create " + db + " -U sa -P pw", "", dir).status, 0);
    Outcome o =
        shell(db + " -U sa -P pw",
              "CREATE TABLE t (id int, name varchar(20), m float, d datetime)\n"
              "GO\n"
              "INSERT INTO t VALUES (1, 'Иванов', 12.5, '2024-12-25'), (2, NULL, NULL, NULL)\n"
              "select id, name from t order by id\n"
              "select m, d, 'a' + 'b' from t where id = 1\n"
              "go\n"
              "select count(*) as n from t\n",
              dir);
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out,
              "id\tname\n1\tИванов\n2\tNULL\n"
              "m\td\t\n12.5\t2024-12-25 00:00:00.000\tab\n"
              "n\n2\n");
}

TEST(Shell, ErrorsAreOneLineAndSetTheExitStatus) {
    TempDir dir;
    std::string db = quoted(dir.file("shell.db"));
    shell("--create " + db + " -U sa -P pw", "", dir);
    Outcome o = shell(db + " -U sa -P pw", "select * from nope\nGO\nselect 1 as one\n", dir);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "Msg: Invalid object name 'nope'.\none\n1\n");
    o = shell(db + " -U sa -P wrong", "select 1\n", dir);
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.out, "Msg: Login failed for user 'sa'.\n");
    o = shell("--create " + db + " -U sa -P pw", "", dir);
    EXPECT_EQ(o.status, 1);
}

TEST(BatchScript, SplitsAtGoLines) {
    EXPECT_EQ(server::BatchScript::split("select 1\nGO\n  go  \r\nselect 2\nselect 3\nGOTO x\ngo"),
              (std::vector<std::string>{"select 1\n", "select 2\nselect 3\nGOTO x\n"}));
    EXPECT_EQ(server::BatchScript::split("select 1"), std::vector<std::string>{"select 1\n"});
    EXPECT_TRUE(server::BatchScript::split(" \nGO\n").empty());
}

}  // namespace
}  // namespace servertest
