// The parser component as its callers use it: variables, Expression, Value,
// the error handler and the lifetime of cells.

#include <gtest/gtest.h>

#include <clocale>
#include <memory>
#include <string>

#include "formula/TParser.h"
#include "tests/support/ThrowMessage.h"

namespace formula {
namespace {

TEST(ParserTest, ValueIsZeroWithoutProgram) {
    TParser p;
    EXPECT_EQ(p.Value(), 0);
    p.setExpression("A+1");
    EXPECT_EQ(p.Value(), 1);
    p.setExpression("");
    EXPECT_TRUE(p.program().empty());
    EXPECT_EQ(p.Value(), 0);
    EXPECT_EQ(p.Expression(), "");
}

TEST(ParserTest, VariablesAreBoundByCell) {
    TParser p;
    p.SetVariable("m1", 40);
    p.SetVariable("M2", 30);
    p.setExpression("m1+m2");
    EXPECT_EQ(p.Value(), 70);
    p.SetVariable("m1", 50);  // no new compilation
    EXPECT_EQ(p.Value(), 80);
    // Registering again returns the same cell; names are matched in any case.
    double* cell = p.SetVariable("M1", 1);
    EXPECT_EQ(cell, p.SetVariable("m1", 2));
    EXPECT_EQ(*cell, 2);
}

TEST(ParserTest, SingleLetterCellsArePublished) {
    TParser p;
    p.SetVariable("x", 2);
    EXPECT_EQ(p.getX(), 2);
    p.setX(3);
    p.setExpression("X*X");
    EXPECT_EQ(p.Value(), 9);
    // Each letter is its own cell.
    p.setA(1), p.setB(2), p.setC(3), p.setD(4), p.setE(5), p.setY(6), p.setT(7);
    p.setExpression("A+B*10+C*100+D*1000+E*10000+Y*100000+T*1000000+X*10000000");
    EXPECT_EQ(p.Value(), 37654321);
}

TEST(ParserTest, BadNamesAreRefusedAndChangeNothing) {
    TParser p;
    const std::size_t before = p.variables().size();
    const struct {
        const char* name;
        const char* message;
    } bad[] = {{"1X", "1X"}, {"m-1", "M-1"}, {"", ""}, {"d\xd0\xbe", "D\xd0\xbe"}, {"a b", "A B"}};
    for (const auto& b : bad) {
        EXPECT_THROW_MSG(p.SetVariable(b.name, 1), EBadName, b.message);
    }
    EXPECT_EQ(p.variables().size(), before);
    p.SetVariable("_K", 4);
    p.setExpression("_k*2");
    EXPECT_EQ(p.Value(), 8);
}

TEST(ParserTest, UnregisteredNameFailsToCompile) {
    TParser p;
    EXPECT_THROW_MSG(p.setExpression("M13"), ESyntaxError, "Error parsing expression:\rM13");
    EXPECT_EQ(p.Expression(), "M13");
    EXPECT_EQ(p.Value(), 0);
}

TEST(ParserTest, ErrorHandlerReceivesCompilationErrors) {
    TParser p;
    p.setExpression("A+1");  // a previous program must not survive the failure
    int calls = 0;
    std::string seenClass, seenMessage;
    TCustomParser* seenSender = nullptr;
    p.OnParserError = [&](TCustomParser& sender, EMathParserError& e) {
        ++calls;
        seenSender = &sender;
        seenClass = e.className();
        seenMessage = e.message();
    };
    EXPECT_NO_THROW(p.setExpression("M13"));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(seenSender, &p);
    EXPECT_EQ(seenClass, "ESyntaxError");
    EXPECT_EQ(seenMessage, "Error parsing expression:\rM13");
    EXPECT_EQ(p.Expression(), "M13");
    EXPECT_EQ(p.Value(), 0);
    EXPECT_NO_THROW(p.setExpression("(A"));
    EXPECT_EQ(seenClass, "EMissMatchingBracket");
    // Arithmetic faults are not compilation errors: they reach the reader.
    p.setExpression("1/A");
    EXPECT_THROW_MSG((void)p.Value(), EZeroDivide, "Floating point division by zero");
    EXPECT_EQ(calls, 2);
}

TEST(ParserTest, EveryAssignmentRecompiles) {
    TParser p;
    p.SetVariable("m1", 10);
    p.setExpression("M1*2");
    const auto first = p.Value();
    p.setExpression("M1*2");
    EXPECT_EQ(p.Value(), first);
    EXPECT_EQ(p.Value(), 20);
}

TEST(ParserTest, NumberFormatFlag) {
    TParser p;
    EXPECT_TRUE(p.PascalNumberformat());
    p.setExpression("1.5+1");
    EXPECT_EQ(p.Value(), 2.5);
    // With the flag cleared, literals follow the C library's locale; in the "C"
    // locale that is the point as well, and digits are required.
    std::setlocale(LC_NUMERIC, "C");
    p.setPascalNumberformat(false);
    p.setExpression("1.5+1");
    EXPECT_EQ(p.Value(), 2.5);
    EXPECT_THROW_MSG(p.setExpression("."), ESyntaxError, "Error parsing expression:\r.");
}

// Compiling, failing, recompiling and destroying, again and again: under the
// sanitizers this shows that every cell is freed once and a variable cell never
// by a program.
TEST(ParserTest, ReleaseFreesEachCellOnce) {
    auto p = std::make_unique<TParser>();
    double* m1 = p->SetVariable("m1", 3);
    const char* texts[] = {"M1+M1*M1",  "(M1+2)*(M1+2)", "MAX(M1,M1)", "M1",     "5",
                           "M1^2+M1^7", "-M1",           "A*-B",       "M1/0+1", "SQRT(M1)*PI"};
    for (int round = 0; round < 50; ++round) {
        for (const char* t : texts) {
            try {
                p->setExpression(t);
                (void)p->Value();
            } catch (const Exception&) {
            }
        }
    }
    p->setExpression("M1");
    EXPECT_EQ(p->Value(), 3);
    *m1 = 4;  // the variable's cell outlives every released program
    EXPECT_EQ(p->Value(), 4);
    p.reset();
}

}  // namespace
}  // namespace formula
