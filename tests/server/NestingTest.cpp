// Deeply bracketed FROM clauses: every shape gets its answer (rows, a syntax error or
// the nesting error) at once, however many brackets it has, and every input the fuzz
// runs ever found crashing or slow is replayed.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "ServerFixture.h"
#include "Translator.h"

namespace servertest {
namespace {

const std::string kTooDeep =
    "Some part of your SQL statement is nested too deeply. Rewrite the query or break it up "
    "into smaller queries.";

std::string open(int n) {
    return std::string(static_cast<std::size_t>(n), '(');
}
std::string close(int n) {
    return std::string(static_cast<std::size_t>(n), ')');
}

// n brackets, each closing one more join of a_year on its key.
std::string joins(int n) {
    std::string s = "SELECT COUNT(*) FROM " + open(n) + "a_year a0";
    for (int k = 1; k <= n; ++k) {
        const std::string a = "a" + std::to_string(k);
        s += " JOIN a_year " + a + " ON " + a + ".id_a_year = a0.id_a_year)";
    }
    return s;
}

// Three selects, each behind n brackets in the FROM of the one before, as the fuzz run
// found them.
std::string levels(int n) {
    return "SELECT x FROM " + open(n) + "SELECT 7 x FROM " + open(n) + "SELECT 8 x FROM " +
           open(n) + "SELECT 9 y WHERE 1 IN (1)";
}

struct Shape {
    const char* name;
    std::string batch;
    std::string answer;  // the first row, or the error
};

class NestingTest : public ServerTest {
  protected:
    std::string answer(const std::string& batch) {
        try {
            auto r = engine_->execute(batch);
            if (r.resultSets.empty() || r.resultSets[0].rows.empty()) return "(no rows)";
            return rowTexts(r.resultSets[0]).at(0);
        } catch (const server::Error& e) {
            return e.what();
        }
    }
};

TEST_F(NestingTest, EveryShapeGetsItsAnswer) {
    const std::string years = answer("SELECT COUNT(*) FROM a_year");
    const Shape shapes[] = {
        // 40 brackets: the statements run
        {"before SELECT", "SELECT x FROM " + open(40) + "SELECT 7 x" + close(40) + " d", "7"},
        {"before a table", "SELECT COUNT(*) FROM " + open(40) + "a_year" + close(40), years},
        {"around joins", joins(40), years},
        {"a derived table in a join",
         "SELECT COUNT(*) FROM " + open(40) + "a_year a JOIN (SELECT 7 x) d ON 1 = 1" + close(40),
         years},
        // unbalanced either way, and a derived table that cannot stand in brackets
        {"one closing too few", "SELECT x FROM " + open(40) + "SELECT 7 x" + close(39) + " d",
         "Incorrect syntax near 'd'."},
        {"one closing too many", "SELECT x FROM " + open(40) + "SELECT 7 x" + close(41) + " d",
         "Incorrect syntax near ')'."},
        {"a table, one closing too few", "SELECT COUNT(*) FROM " + open(40) + "a_year" + close(39),
         "Incorrect syntax near ')'."},
        {"only closings", "SELECT COUNT(*) FROM a_year" + close(200), "Incorrect syntax near ')'."},
        {"a bracketed derived table first",
         "SELECT COUNT(*) FROM " + open(40) + "(SELECT 7 x) d JOIN a_year a ON 1 = 1" + close(40),
         "Incorrect syntax near 'd'."},
        {"three levels unclosed", levels(40), "Incorrect syntax near ')'."},
        // 200 brackets: the nesting limit, whatever follows them
        {"200 before SELECT", "SELECT x FROM " + open(200) + "SELECT 7 x" + close(200) + " d",
         kTooDeep},
        {"200 before a table", "SELECT COUNT(*) FROM " + open(200) + "a_year" + close(200),
         kTooDeep},
        {"200 around joins", joins(200), kTooDeep},
        {"200 unclosed", "SELECT x FROM " + open(200) + "SELECT 7 x", kTooDeep},
        {"200 a closing too many", "SELECT x FROM " + open(200) + "SELECT 7 x" + close(201) + " d",
         kTooDeep},
        {"200 on three levels", levels(200), kTooDeep},
    };
    for (const Shape& s : shapes) EXPECT_EQ(answer(s.batch), s.answer) << s.name;
}

TEST_F(NestingTest, TheFoundBatchIsASyntaxError) {
    std::ifstream in(std::string(QOR28_FUZZ_REGRESSIONS) + "/slow_from_brackets.sql",
                     std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    ASSERT_EQ(text.str().size(), 377u);
    EXPECT_EQ(answer(text.str()), "Incorrect syntax near '3'.");
}

// Each kept input gets its translation or its error well within this; only a stall (the
// found batch took 20 seconds) exceeds it, even under the sanitizers.
constexpr double kStallSeconds = 5.0;

TEST(FuzzRegressions, EveryKeptInputTranslatesOrFailsWithoutStalling) {
    server::NoSchema schema;
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QOR28_FUZZ_REGRESSIONS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const auto start = std::chrono::steady_clock::now();
        try {
            server::Translator::translate(text.str(), schema);
        } catch (const server::Error&) {
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took.count(), kStallSeconds) << entry.path().filename();
        ++inputs;
    }
    EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace servertest
