// Values of compiled formulas, the routines' edge values and their faults.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "formula/Routines.h"
#include "formula/TParser.h"

namespace formula {
namespace {

struct Case {
    const char* text;
    double value;
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.text;
}

class ValueTest : public ::testing::TestWithParam<Case> {};

TEST_P(ValueTest, Evaluates) {
    TParser p;
    p.setA(10);
    p.setB(3);
    p.setC(2);
    p.setX(0.5);
    p.SetVariable("m1", 40);
    p.SetVariable("m2", 30);
    p.setExpression(GetParam().text);
    EXPECT_DOUBLE_EQ(static_cast<double>(p.Value()), GetParam().value) << GetParam().text;
}

const double kPi = 3.141592653589793;

INSTANTIATE_TEST_SUITE_P(
    Formulas, ValueTest,
    ::testing::Values(
        Case{"A-B-C", 5}, Case{"A+B*C", 16}, Case{"(A+B)*C", 26}, Case{"-A+B", -7},
        Case{"-A^2", -100}, Case{"A*-2", -20}, Case{"A--2", 12}, Case{"A^-1", 0.1}, Case{"2^0", 1},
        Case{"0^0", 1}, Case{"A^2.5", std::pow(10.0, 2.5)}, Case{"A^3", 1000}, Case{"A^4", 10000},
        Case{"2^10", 1024}, Case{"2^-2", 0.25}, Case{"(0-2)^3", -8}, Case{"0^2.5", 0},
        Case{"A^(2)", 100}, Case{"7DIV2", 3}, Case{"-7DIV2", -3}, Case{"7MOD-2", 1},
        Case{"-7MOD2", -1}, Case{"7.9DIV2", 3}, Case{"7.9MOD2.9", 1}, Case{"PI", kPi},
        Case{"-PI", -kPi}, Case{"2*PI", 2 * kPi}, Case{"m1+m2", 70}, Case{"MAX(A,B)", 10},
        Case{"MIN(A,B)", 3}, Case{"MIN(MAX(A,B),C)", 2},
        Case{"MAX(M1,M2)*0.4+C/2-(A-B)*3", 40 * 0.4 + 1 - 21}, Case{"HEAV(0)", 1},
        Case{"HEAV(0-1)", 0}, Case{"SIGN(0-5)", -1}, Case{"SIGN(0)", 0}, Case{"SIGN(A)", 1},
        Case{"ZERO(0)", 0}, Case{"ZERO(0.001)", 1}, Case{"ABS(0-A)", 10}, Case{"SQRT(16)", 4},
        Case{"LN(1)", 0}, Case{"EXP(0)", 1},
        Case{"SINH(1)", (std::exp(1.0) - std::exp(-1.0)) * 0.5},
        Case{"COSH(1)", (std::exp(1.0) + std::exp(-1.0)) * 0.5}, Case{"ARCTAN(1)", kPi / 4},
        Case{"SIN(X)^2+COS(X)^2", 1}, Case{"TAN(0)", 0}, Case{"SIN(1E19)", 0},
        Case{"COS(-1E19)", 0},
        // PH: x divided by 2/pi, less its nearest whole number (halves to even), times 2 pi.
        Case{"PH(1)", (1 / 0.6366197723675814 - 2) * 2 * kPi}, Case{"PH(0)", 0}, Case{"E+1", 0},
        Case{"5", 5}, Case{"-9223372036854775808DIV-1", 9223372036854775808.0},
        Case{"-9223372036854775808MOD-1", 0}));

struct Fault {
    const char* text;
    const char* errorClass;
    const char* message;
};

void PrintTo(const Fault& c, std::ostream* os) {
    *os << c.text;
}

class FaultTest : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultTest, RaisesOnRead) {
    TParser p;
    p.setA(5);
    p.setB(0);
    p.setExpression(GetParam().text);  // compiles fine
    try {
        (void)p.Value();
        FAIL() << GetParam().text << " evaluated";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.className(), GetParam().errorClass) << GetParam().text;
        EXPECT_EQ(e.message(), GetParam().message) << GetParam().text;
    }
    // The program stays; once the variables change it reads again.
    p.setA(0);
    p.setB(2);
    EXPECT_NO_THROW((void)p.Value()) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultTest,
    ::testing::Values(Fault{"A/B", "EZeroDivide", "Floating point division by zero"},
                      Fault{"B/B", "EInvalidOp", "Invalid floating point operation"},
                      Fault{"LN(B)", "EZeroDivide", "Floating point division by zero"},
                      Fault{"LN(B-1)", "EInvalidOp", "Invalid floating point operation"},
                      Fault{"SQRT(B-1)", "EInvalidOp", "Invalid floating point operation"},
                      Fault{"B^-1", "EZeroDivide", "Floating point division by zero"},
                      Fault{"B^(0-1)", "EZeroDivide", "Floating point division by zero"},
                      Fault{"B^-0.5", "EZeroDivide", "Floating point division by zero"},
                      Fault{"(B-A)^0.5", "EInvalidOp", "Invalid floating point operation"},
                      Fault{"EXP(1000*A)", "EOverflow", "Floating point overflow"},
                      Fault{"SINH(1000*A)", "EOverflow", "Floating point overflow"},
                      Fault{"(A*1E300)*(A*1E300)", "EOverflow", "Floating point overflow"},
                      Fault{"(A*1E300)^2", "EOverflow", "Floating point overflow"},
                      Fault{"A^1000", "EOverflow", "Floating point overflow"},
                      Fault{"ADIVB", "EDivByZero", "Division by zero"},
                      Fault{"AMOD(B-0.5)", "EDivByZero", "Division by zero"},
                      Fault{"(A*1E300)DIV2", "EInvalidOp", "Invalid floating point operation"}));

TEST(EvaluatorTest, IntegerPowerBeyondDoubleRangeInTheMiddle) {
    // The power is worked out wider than a double, so a tiny result does not fail on
    // an overflowing intermediate.
    TParser p;
    p.setA(10);
    p.setExpression("A^-400");
    EXPECT_EQ(p.Value(), 0);
    p.setExpression("A^-300");
    EXPECT_DOUBLE_EQ(static_cast<double>(p.Value()), 1e-300);
}

TEST(EvaluatorTest, RndDrawsTheFixedSequence) {
    resetRandom();
    TParser p;
    p.setExpression("RND(100)");
    std::uint32_t state = 0;
    for (int i = 0; i < 5; ++i) {
        state = state * 134775813u + 1u;
        EXPECT_DOUBLE_EQ(static_cast<double>(p.Value()), 100.0 * state / 4294967296.0);
    }
    p.setExpression("RND(-2.9)");  // int(x) truncates toward zero
    state = state * 134775813u + 1u;
    EXPECT_DOUBLE_EQ(static_cast<double>(p.Value()), -2.0 * state / 4294967296.0);
}

TEST(EvaluatorTest, RoundHalfEven) {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    // Besides halves of either sign: just below a half, the last halves a double
    // holds, whole numbers from 2^52 on, an infinity.
    const struct {
        double in, out;
    } cases[] = {{0.5, 0},
                 {1.5, 2},
                 {2.5, 2},
                 {-2.5, -2},
                 {-3.5, -4},
                 {4.6, 5},
                 {-4.4, -4},
                 {5.5, 6},
                 {4.5, 4},
                 {1e300, 1e300},
                 {-0.5, 0},
                 {-1.5, -2},
                 {-4.6, -5},
                 {0.49999999999999994, 0},
                 {4503599627370495.5, 4503599627370496},
                 {-4503599627370495.5, -4503599627370496},
                 {4503599627370497.0, 4503599627370497.0},
                 {-9007199254740993.0, -9007199254740993.0},
                 {kInf, kInf}};
    for (const auto& c : cases) EXPECT_EQ(roundHalfEven(c.in), c.out) << c.in;
    // A zero result keeps the sign nearest rounding gives it: -0.3 is -0, -0.5 goes to
    // the even neighbour 0 from below and is +0.
    EXPECT_TRUE(std::signbit(roundHalfEven(-0.3)));
    EXPECT_TRUE(std::signbit(roundHalfEven(-0.0)));
    EXPECT_FALSE(std::signbit(roundHalfEven(-0.5)));
    EXPECT_TRUE(std::isnan(roundHalfEven(std::numeric_limits<double>::quiet_NaN())));
}

TEST(EvaluatorTest, ConstantsAreNotFolded) {
    // Every evaluation recomputes, so a variable change shows at the next read.
    TParser p;
    p.setX(1);
    p.setExpression("2*PI*X");
    EXPECT_EQ(p.program().size(), 2u);
    EXPECT_DOUBLE_EQ(static_cast<double>(p.Value()), 2 * kPi);
    p.setX(2);
    EXPECT_DOUBLE_EQ(static_cast<double>(p.Value()), 4 * kPi);
}

}  // namespace
}  // namespace formula
