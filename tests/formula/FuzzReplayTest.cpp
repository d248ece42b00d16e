// Every formula text the fuzz runs ever found crashing or slow compiles or fails with a
// formula error, each well within a bound that only a stall exceeds.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "formula/TParser.h"

namespace formula {
namespace {

constexpr double kStallSeconds = 5.0;

TEST(FormulaFuzzRegressions, EveryKeptTextCompilesOrFailsWithoutStalling) {
    TParser parser;
    for (const char* name :
         {"m1", "m2", "m3", "m4", "m5", "m6", "m7", "m8", "m9", "m10", "m11", "m12", "dop", "dop2"})
        parser.SetVariable(name, 3);
    int inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(QOR28_FORMULA_REGRESSIONS)) {
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        const auto start = std::chrono::steady_clock::now();
        try {
            parser.setExpression(text.str());
            (void)parser.Value();
        } catch (const Exception&) {
        }
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took.count(), kStallSeconds) << entry.path().filename();
        ++inputs;
    }
    EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace formula
