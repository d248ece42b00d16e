// How texts are recognised: groupings, acceptances and rejections, limits and the
// exact error classes and messages.

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <typeinfo>
#include <vector>

#include "ProgramText.h"
#include "formula/Compiler.h"
#include "formula/TParser.h"

namespace formula {
namespace {

using testing::programText;

// A parser with A..T built in and M1, M2, DOP registered.
struct Fixture {
    TParser parser;
    Fixture() {
        parser.SetVariable("m1", 1);
        parser.SetVariable("m2", 2);
        parser.SetVariable("dop", 3);
    }
    std::string grouping(const std::string& text) {
        parser.setExpression(text);
        return programText(parser);
    }
};

struct Grouping {
    const char* text;
    const char* grouped;
};

void PrintTo(const Grouping& c, std::ostream* os) {
    *os << c.text;
}

class GroupingTest : public ::testing::TestWithParam<Grouping> {};

TEST_P(GroupingTest, CompilesToTheExpectedTree) {
    Fixture f;
    EXPECT_EQ(f.grouping(GetParam().text), GetParam().grouped) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, GroupingTest,
    ::testing::Values(
        Grouping{"A+B*C", "(A+(B*C))"}, Grouping{"(A+B)*C", "((A+B)*C)"},
        Grouping{"((A+B))", "(A+B)"}, Grouping{"A-B-C", "((A-B)-C)"},
        Grouping{"A/B/C", "((A/B)/C)"}, Grouping{"A+B+C", "(A+(B+C))"},
        Grouping{"A*B*C", "(A*(B*C))"}, Grouping{"A+B-C", "(A+(B-C))"},
        Grouping{"A-B+C", "((A-B)+C)"}, Grouping{"A*B/C", "(A*(B/C))"},
        Grouping{"A/B*C", "((A/B)*C)"}, Grouping{"-A+B", "((-A)+B)"}, Grouping{"-A*B", "((-A)*B)"},
        Grouping{"-A^2", "(-(A^2))"}, Grouping{"-(A+B)", "(-(A+B))"},
        Grouping{"(-A)-B", "((-A)-B)"}, Grouping{"A*(-B)", "(A*(-B))"}, Grouping{"A*-2", "(A*-2)"},
        Grouping{"A--2", "(A--2)"}, Grouping{"A+B*C-D/E", "(A+((B*C)-(D/E)))"},
        Grouping{"7DIV2", "(7DIV2)"}, Grouping{"7DIV2*A", "((7DIV2)*A)"},
        Grouping{"A/BDIVC", "((A/B)DIVC)"}, Grouping{"(A)MOD(B)", "(AMODB)"},
        Grouping{"m1+M2+dop", "(M1+(M2+DOP))"}, Grouping{"MAX(A,B)", "F(A,B)"},
        Grouping{"MIN(MAX(A,B),C)", "F(F(A,B),C)"}, Grouping{"SIN(X)^2", "(F(X)^2)"},
        Grouping{"SQRT((X))", "F(X)"}, Grouping{"MAX((A+B),(C))", "F((A+B),C)"},
        Grouping{"A^2.5", "(A^2.5)"}, Grouping{"A^-1", "(A^-1)"}, Grouping{"A^(2)", "(A^2)"},
        Grouping{"M1", "M1"}, Grouping{"5", "5"}, Grouping{"PI", "3.141592653589793"},
        Grouping{"-PI", "-3.141592653589793"}, Grouping{"2*pi", "(2*3.141592653589793)"},
        // A literal needs no mantissa digits and numbers are tried first: E+1 is 0.
        Grouping{"E+1", "0"}, Grouping{"(E+1)*2", "(0*2)"}, Grouping{"1+E", "(1+E)"},
        Grouping{"E-A", "(E-A)"}, Grouping{"E+X", "(E+X)"}, Grouping{"E-1-A", "(0-A)"},
        Grouping{".", "0"}, Grouping{"E5", "0"}, Grouping{" A+B ", "(A+B)"},
        Grouping{"1.5E+2", "150"},
        // signs and chains whose splits the recogniser rules out by the
        // operators at a range's depth
        Grouping{"A-B*--2^2*C", "(A-(B*((-(-(2^2)))*C)))"}, Grouping{"A-B*-1E-2", "(A-(B*-0.01))"},
        Grouping{"(A)-B/-2^-2", "(A-(B/(-(2^-2))))"}, Grouping{"A/B/C*D/E", "(((A/B)/C)*(D/E))"},
        Grouping{"(A-B)DIV-2MOD(C)", "(((A-B)DIV-2)MODC)"}, Grouping{"A-E-1*B", "(A-(E-(1*B)))"},
        Grouping{"A---E-2^2*C", "(A-((-(-(E-(2^2))))*C))"}, Grouping{"A--E-2*C", "(A-(-0*C))"},
        Grouping{"A-+E-2", "(A-0)"}, Grouping{"ADIVB-E+A/E-2", "(((ADIVB)-E)+((A/E)-2))"},
        // E as the variable next to signs: a sign after an E that a digit does not
        // follow is no exponent's, whatever stands before the E
        Grouping{"A*E-E*B", "((A*E)-(E*B))"}, Grouping{"2*E-E", "((2*E)-E)"},
        Grouping{"E+E-E*E", "(E+(E-(E*E)))"}, Grouping{"E-E*E-E*E", "((E-(E*E))-(E*E))"},
        Grouping{"A*E-2", "((A*E)-2)"}, Grouping{"A*E-2-B", "(((A*E)-2)-B)"},
        Grouping{"E+E-E+E-E", "(E+((E-E)+(E-E)))"},
        // identifier runs that hold DIV and MOD
        Grouping{"ADIVBDIVC", "((ADIVB)DIVC)"}, Grouping{"M1DIVM2MODDOP", "((M1DIVM2)MODDOP)"}));

// The power's kind follows from its exponent.
TEST(CompilerTest, PowerKinds) {
    const struct {
        const char* text;
        std::uint8_t kind;
        std::size_t ownedCells;  // result cells plus constant cells
    } cases[] = {
        {"A^2", kSquare, 1},        {"A^3", kCube, 1},
        {"A^4", kFourth, 1},        {"A^5", kIntPower, 2},
        {"A^-1", kIntPower, 2},     {"A^0", kIntPower, 2},
        {"A^2.5", kRealPower, 2},   {"A^(2)", kRealPower, 2},
        {"A^B", kRealPower, 1},     {"A^4294967298", kRealPower, 2},
        {"A^1E300", kRealPower, 2}, {"A^SQRT(4)", kRealPower, 3},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.parser.setExpression(c.text);
        const Program& p = f.parser.program();
        ASSERT_FALSE(p.empty()) << c.text;
        const OperationRecord& root = p[p.size() - 1];
        EXPECT_EQ(root.kind, c.kind) << c.text;
        EXPECT_EQ(p.ownedCellCount(), c.ownedCells) << c.text;
        if (c.kind >= kSquare && c.kind <= kFourth) {
            EXPECT_EQ(root.second, nullptr) << c.text;
        }
    }
}

TEST(CompilerTest, ProgramRunsDeepestOperationsFirst) {
    Fixture f;
    f.parser.setExpression("A+B*C");
    const Program& p = f.parser.program();
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].kind, kMultiply);
    EXPECT_EQ(p[1].kind, kAdd);
    EXPECT_EQ(p[0].next, &p[1]);
    EXPECT_EQ(p[1].next, nullptr);
    EXPECT_EQ(p[1].second, p[0].result);  // the product feeds the sum
    // A lone variable compiles to one pass-through step reading its cell.
    f.parser.setExpression("M1");
    ASSERT_EQ(f.parser.program().size(), 1u);
    EXPECT_EQ(f.parser.program()[0].kind, kVariable);
    EXPECT_EQ(f.parser.program()[0].result, f.parser.program()[0].first);
}

struct Failure {
    const char* text;
    const char* errorClass;
    const char* message;
};

void PrintTo(const Failure& c, std::ostream* os) {
    *os << c.text;
}

class FailureTest : public ::testing::TestWithParam<Failure> {};

TEST_P(FailureTest, RaisesTheExactError) {
    Fixture f;
    const Failure& c = GetParam();
    try {
        f.parser.setExpression(c.text);
        FAIL() << c.text << " compiled";
    } catch (const EMathParserError& e) {
        EXPECT_STREQ(e.className(), c.errorClass) << c.text;
        EXPECT_EQ(e.message(), c.message) << c.text;
    }
    EXPECT_TRUE(f.parser.program().empty());
    EXPECT_EQ(f.parser.Value(), 0);
    EXPECT_EQ(f.parser.Expression(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Rejections, FailureTest,
    ::testing::Values(
        Failure{"A*-B", "ESyntaxError", "Error parsing expression:\rA\r-B"},
        Failure{"-A-B", "ESyntaxError", "Error parsing expression:\rA-B\r "},
        Failure{"-2-A", "ESyntaxError", "Error parsing expression:\r2-A\r "},
        Failure{"A--B", "ESyntaxError", "Error parsing expression:\rA-\rB"},
        Failure{"A^B^C", "ESyntaxError", "Error parsing expression:\rA^B\rC"},
        Failure{"SIN(X,Y)", "ESyntaxError", "Error parsing expression:\rX,Y\r "},
        Failure{"MAX(A)", "ESyntaxError", "Error parsing expression:\rMAX(A)"},
        Failure{"FOO(X)", "ESyntaxError", "Error parsing expression:\rFOO(X)"},
        Failure{"m13", "ESyntaxError", "Error parsing expression:\rM13"},
        Failure{"   ", "ESyntaxError", "Error parsing expression:\r"},
        Failure{")A+B(", "ESyntaxError", "Error parsing expression:\r)A\rB("},
        Failure{"7DIV", "ESyntaxError", "Error parsing expression:\r7\r"},
        Failure{"A+", "ESyntaxError", "Error parsing expression:\rA+"},
        Failure{"()", "ESyntaxError", "Error parsing expression:\r()"},
        Failure{"-", "ESyntaxError", "Error parsing expression:\r\r "},
        Failure{"1E", "ESyntaxError", "Error parsing expression:\r1E"},
        Failure{"MAX(,A)", "ESyntaxError", "Error parsing expression:\rMAX(,A)"},
        Failure{"1E999", "ESyntaxError", "Error parsing expression:\r1E999"},
        // chains failing at their end: the texts are those of the last
        // operator tried, the form tried last that has one inside
        Failure{"E+E-E+E-/", "ESyntaxError", "Error parsing expression:\rE+E-E+E\r/"},
        Failure{"E-E*E-E*E/", "ESyntaxError", "Error parsing expression:\rE-E*E-E\rE/"},
        Failure{"A+B+C+D+", "ESyntaxError", "Error parsing expression:\rA+B+C\rD+"},
        Failure{"A*-B*-C*-D/", "ESyntaxError", "Error parsing expression:\rA*-B*-C\r-D/"},
        Failure{"M1DIVM1DIVM1/", "ESyntaxError", "Error parsing expression:\rM1DIVM1\rM1/"},
        Failure{"A-B-C-D*", "ESyntaxError", "Error parsing expression:\rA-B-C\rD*"},
        Failure{"A + B", "EExpressionHasBlanks", "Expression has blanks"},
        Failure{"(A+B", "EMissMatchingBracket", "Missing brackets in expression"},
        Failure{"A+B)", "EMissMatchingBracket", "Missing brackets in expression"}));

std::string repeat(const std::string& piece, int n, const std::string& sep = "") {
    std::string s;
    for (int i = 0; i < n; ++i) s += (i ? sep : "") + piece;
    return s;
}

std::string nested(const std::string& function, int n) {
    return repeat(function + "(", n) + "X" + repeat(")", n);
}

std::string balancedSum(int n) {
    return n == 1 ? "X" : "(" + balancedSum(n / 2) + ")+(" + balancedSum(n / 2) + ")";
}

// Plain formulas are read directly, everything else by the recogniser; a parser with
// the locale's number format always uses the recogniser (in the "C" locale its point
// is the same; its literals need a mantissa digit, so texts such as E-1 are left out
// here). Both must give the same program, operation by operation, or the same error.
std::string programShape(const TCustomParser& parser) {
    std::string shape = programText(parser) + " cells " +
                        std::to_string(parser.program().ownedCellCount()) + " kinds";
    for (std::size_t i = 0; i < parser.program().size(); ++i)
        shape += " " + std::to_string(parser.program()[i].kind);
    return shape;
}

std::string compiled(TParser& parser, const std::string& text) {
    try {
        parser.setExpression(text);
        return programShape(parser);
    } catch (const EMathParserError& e) {
        return std::string(e.className()) + ": " + e.message();
    }
}

TEST(CompilerTest, DirectReadingAgreesWithTheRecogniser) {
    std::setlocale(LC_NUMERIC, "C");
    // Rules' formulas, each grouping rule, the texts next to what the direct reading
    // leaves to the recogniser, and rejections.
    std::vector<std::string> texts = {"m1+m2+dop",
                                      "(M1+M2+M3)*100/60",
                                      "MIN(M1+M2+M3+M4+DOP,100)",
                                      "A-B-C",
                                      "A-B+C-D",
                                      "A+B-C+D",
                                      "A*B*C",
                                      "A/B/C",
                                      "A*B/C*D/E",
                                      "A/B*C/D",
                                      "A^2*B",
                                      "A/B^3",
                                      "A^2^3",
                                      "A^4+B^5",
                                      "A^(2)",
                                      "A^2.5",
                                      "A^SQRT(4)",
                                      "(A)^(B)",
                                      "((A+B))*((C))",
                                      "SIN(X)^2+COS(X)^2",
                                      "MAX(MIN(A,B),C)",
                                      "MAX((A+B),(C))",
                                      "SQRT(((X)))",
                                      "X_1+_Q*2",
                                      "0.25*M1+007",
                                      "E*2+T",
                                      "E+X-E",
                                      "E+1.5",
                                      "MAX(A,B,C)",
                                      "SIN(A,B)",
                                      "MIN(A)",
                                      "A+",
                                      "*A",
                                      "A**B",
                                      "(A+B)(C)",
                                      "A(B)",
                                      "M13+1",
                                      "1.5.5",
                                      "2A"};
    auto chain = [](const char* op, int n) { return repeat("M1", n, op); };
    for (const char* op : {"+", "-", "*", "/"}) {
        texts.push_back(chain(op, 21));
        texts.push_back(chain(op, 22));
    }
    texts.push_back(nested("SQRT", 20));
    texts.push_back(nested("SQRT", 21));
    texts.push_back(balancedSum(64));
    texts.push_back(balancedSum(128));
    for (const std::string& text : texts) {
        Fixture direct, recognised;
        direct.parser.SetVariable("X_1", 1);
        direct.parser.SetVariable("_Q", 1);
        recognised.parser.SetVariable("X_1", 1);
        recognised.parser.SetVariable("_Q", 1);
        recognised.parser.setPascalNumberformat(false);
        EXPECT_EQ(compiled(direct.parser, text), compiled(recognised.parser, text))
            << text.substr(0, 60);
    }
}

TEST(CompilerTest, NestingAndComplexityLimits) {
    const struct {
        std::string text;
        const char* errorClass;  // nullptr: compiles
    } cases[] = {
        {nested("SQRT", 20), nullptr},
        {nested("SQRT", 21), "ETooManyNestings"},
        {repeat("X", 21, "+"), nullptr},
        {repeat("X", 22, "+"), "ETooManyNestings"},
        {repeat("X", 21, "-"), nullptr},
        {repeat("X", 22, "*"), "ETooManyNestings"},
        {balancedSum(64), nullptr},
        {balancedSum(128), "EExpressionTooComplex"},
        // Our own bound on the length of a formula.
        {repeat("(", 600) + "X" + repeat(")", 600), "EExpressionTooComplex"},
    };
    for (const auto& c : cases) {
        Fixture f;
        f.parser.setX(1);
        if (!c.errorClass) {
            EXPECT_NO_THROW(f.parser.setExpression(c.text)) << c.text.substr(0, 60);
            continue;
        }
        try {
            f.parser.setExpression(c.text);
            ADD_FAILURE() << c.text.substr(0, 60) << " compiled";
        } catch (const EMathParserError& e) {
            EXPECT_STREQ(e.className(), c.errorClass) << c.text.substr(0, 60);
            EXPECT_EQ(e.message(), std::string(c.errorClass) == "ETooManyNestings"
                                       ? "Expression contains too many nestings"
                                       : "Expression is too complex");
        }
    }
}

TEST(CompilerTest, ValueOfDeepAndWideFormulas) {
    Fixture f;
    f.parser.setX(2);
    f.parser.setExpression(repeat("X", 21, "+"));
    EXPECT_EQ(f.parser.Value(), 42);
    f.parser.setExpression(balancedSum(64));
    EXPECT_EQ(f.parser.Value(), 128);
    f.parser.setExpression(nested("ABS", 20));
    EXPECT_EQ(f.parser.Value(), 2);
}

// Texts that defeat a naive backtracking recogniser finish promptly here; the
// answers are memoised per part of the text.
TEST(CompilerTest, AdversarialTextsStayBounded) {
    Fixture f;
    const std::string texts[] = {
        repeat("X", 500, "-"),
        repeat("X*X", 250, "-"),
        repeat("MAX(X-X,", 120) + "X" + repeat(")", 120),
        repeat("(X-", 250) + "X" + repeat(")", 250),
        repeat("-(", 300) + "X" + repeat(")", 300),
        repeat("E+E-", 255) + "/",
        repeat("E-E*", 255) + "/",
        repeat("M1DIV", 200) + "/",
    };
    for (const std::string& t : texts) {
        EXPECT_THROW(f.parser.setExpression(t), EMathParserError) << t.substr(0, 40);
        EXPECT_TRUE(f.parser.program().empty());
    }
}

// A long chain failing at its end names the same two parts as a short one: the
// texts around the last operator of the last form tried that has one inside.
TEST(CompilerTest, LongChainsNameThePartsAroundTheLastOperator) {
    const struct {
        std::string text;
        std::string left, right;
    } cases[] = {
        {repeat("E+E-", 254) + "E+E/", repeat("E+E-", 253) + "E+E", "E+E/"},
        {repeat("E-E*", 254) + "E-E/", repeat("E-E*", 253) + "E-E", "E-E/"},
        {repeat("A-", 400) + "A*", repeat("A-", 399) + "A", "A*"},
    };
    for (const auto& c : cases) {
        Fixture f;
        try {
            f.parser.setExpression(c.text);
            ADD_FAILURE() << c.text.substr(0, 40) << " compiled";
        } catch (const ESyntaxError& e) {
            EXPECT_EQ(e.message(), "Error parsing expression:\r" + c.left + "\r" + c.right)
                << c.text.substr(0, 40);
        }
    }
}

}  // namespace
}  // namespace formula
