#pragma once

// A one-pass reading of the formulas teachers actually write: marks, plain numbers,
// + - * / ^, brackets and function calls, every operator between two operands. For
// such a text the recogniser's choices reduce to fixed rules:
//   - a top-level '+' splits at its first occurrence (the part before it is a chain
//     of '-', the part after it any expression): `+` groups to the right;
//   - without '+', a top-level '-' splits at its last occurrence: left to right;
//   - within a term, a top-level '*' splits at its first occurrence, the part before
//     it a chain of '/' (`A*B/C` is A*(B/C), `A/B*C` is (A/B)*C);
//   - a chain of '/' splits at its last occurrence, over powers and operands;
//   - '^' joins two operands, never a third;
//   - a bracketed operand is its inner expression; a call takes a single argument
//     or, for a two-argument function, two separated by its one top-level comma.
// Anything else (a sign before an operand, a literal with an exponent or without
// digits before its point, PI, names that read as literals such as E5, the words DIV
// and MOD, E followed by a sign and a digit, names not registered, the locale's number
// format, long texts) is left to the recogniser, which also gives every error. Where
// this reading answers, its terms are the ones the recogniser would find; the
// compiler tests hold the two side by side.

#include <cstdint>
#include <string_view>
#include <vector>

#include "formula/NameTable.h"
#include "formula/Program.h"

namespace formula {

// One term of a formula: an operand (kVariable with its cell, kConstant with its
// value) or an operation with the indices of its operand terms.
struct Term {
    std::uint8_t kind = kVariable;
    bool exponentIsNumber = false;  // a power whose exponent is written as a plain number
    std::int32_t left = -1;
    std::int32_t right = -1;
    double* cell = nullptr;
    double constant = 0;  // a constant's value, or a power's numeric exponent
    Routine function = nullptr;
};

class DirectReader {
  public:
    // Texts longer than this go to the recogniser.
    static constexpr std::size_t kMaxLength = 256;

    // Reads a prepared text (upper case, trimmed, without blanks, brackets counted
    // equal). Returns the root term, or -1 when the text is not one this reading
    // covers. A power's kind is left as kRealPower; the caller decides it from the
    // exponent as the recogniser does.
    int read(std::string_view text, const VariableTable& variables,
             const FunctionTable& oneArgument, const FunctionTable& twoArguments);

    const Term& operator[](int i) const { return terms_[static_cast<std::size_t>(i)]; }

  private:
    enum TokenType : std::uint8_t {
        tOperand,  // a variable or a number, already a term
        tCall,     // a function name, always followed by tOpen
        tPlus,
        tMinus,
        tTimes,
        tSlash,
        tPower,
        tOpen,
        tClose,
        tComma,
    };
    struct Token {
        TokenType type;
        std::int32_t term;   // tOperand: its term
        std::int32_t match;  // tOpen and tClose: the index of the other
        Routine one;         // tCall: the functions of that name
        Routine two;
    };

    bool tokenize(std::string_view text);
    // Tokens are walked at the top level only: a bracket is passed with its contents.
    int next(int k) const {
        const Token& t = tokens_[static_cast<std::size_t>(k)];
        return t.type == tOpen ? t.match + 1 : k + 1;
    }
    int previous(int k) const {
        const Token& t = tokens_[static_cast<std::size_t>(k)];
        return t.type == tClose ? t.match - 1 : k - 1;
    }
    int sum(int b, int e);
    int difference(int b, int e);
    int product(int b, int e);
    int quotient(int b, int e);
    int power(int b, int e);
    int operand(int b, int e);
    int term(std::uint8_t kind, int left, int right, Routine function = nullptr);

    const VariableTable* variables_ = nullptr;
    const FunctionTable* one_ = nullptr;
    const FunctionTable* two_ = nullptr;
    std::vector<Token> tokens_;
    std::vector<Term> terms_;
    std::vector<int> open_;  // unmatched '(' while tokenizing
};

}  // namespace formula
