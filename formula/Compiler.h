#pragma once

// The formula compiler. It does not tokenise: it classifies a text by trying a
// fixed sequence of forms, splitting at operator characters and recursing into the
// parts. The order of the forms and the operands allowed on each side of each
// operator make up the grammar, precedence and associativity included. Stored
// grading rules are read by exactly this recogniser, so every grouping, acceptance
// and rejection here is deliberate, the surprising ones too (`-A-B` and `A*-B` are
// rejected, `E+1` is a literal, `+` and `*` group to the right).
//
// The recogniser is thorough rather than quick, and every row of a mark sheet
// compiles its rule's formulas again. The plain formulas rules are made of are
// therefore read in one pass (DirectReader.h), to the same terms the recogniser would
// find; the recogniser takes every other text and gives every error.

#include <string_view>

#include "formula/NameTable.h"
#include "formula/Program.h"

namespace formula {

// Compiles `text` into `out` (whose previous contents are released first). On any
// error `out` is left empty and the error is raised.
void CompileExpression(std::string_view text, const VariableTable& variables,
                       const FunctionTable& oneArgument, const FunctionTable& twoArguments,
                       bool pascalNumberFormat, Program& out);

// Limits of the operation table: 21 rows (levels 0 to 20) of 50 slots.
inline constexpr int kMaxLevel = 20;
inline constexpr int kMaxSlots = 50;

// Guards of our own against texts no grading rule comes near (a rule's formula is
// a line, not a page): the recogniser recurses into parts and remembers its answers
// per part, so the text's length and the depth of recursion are bounded to keep the
// stack, the memory and the time small whatever is typed. Both raise
// "Expression is too complex".
inline constexpr int kMaxRecognitionDepth = 3000;
inline constexpr std::size_t kMaxTextLength = 1024;

}  // namespace formula
