// Compiling a formula: preparing its text, placing its terms in the operation table
// (from the direct reading or the recogniser) and linking the program's steps.

#include "formula/Compiler.h"

#include <algorithm>
#include <clocale>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formula/CompilerInternal.h"
#include "formula/DirectReader.h"
#include "formula/Errors.h"
#include "formula/Routines.h"

namespace formula {

namespace {

thread_local Scratch scratch;

}  // namespace

Compiler::Compiler(const VariableTable& vars, const FunctionTable& f1, const FunctionTable& f2,
                   bool pascal, Program& out)
    : vars_(vars), f1_(f1), f2_(f2), pascal_(pascal), out_(out), s_(scratch) {}

void Compiler::build(int b, int e, int level, int position, int side) {
    Found f;
    if (!classify(b, e, f)) {
        // Only the whole formula can fail here: every part was accepted before it
        // became a term.
        if (level == 0) syntaxError(b, e, f);
        throw EParserInternalError(kMsgInternal);
    }
    if (f.kind == kVariable) {
        deliver(level, position, side, f.cell);
        return;
    }
    if (f.kind == kConstant) {
        deliver(level, position, side, newCell(f.constant));
        return;
    }
    const int slot = addOperation(f.kind, f.function, level, position, side);
    const int child = level + 1;
    if (takesOneOperand(f.kind)) {
        ++counter_[child];
        build(f.left.b, f.left.e, child, slot, 1);
        return;
    }
    const Range right = f.right;
    build(f.left.b, f.left.e, child, slot, 1);
    // The right child takes the same slot: the row's counter has not moved.
    build(right.b, right.e, child, slot, 2);
    ++counter_[child];
}

// The same placement as build(), for the terms the direct reading found.
void Compiler::place(int index, int level, int position, int side) {
    const Term& t = s_.reader[index];
    if (t.kind == kVariable) {
        deliver(level, position, side, t.cell);
        return;
    }
    if (t.kind == kConstant) {
        deliver(level, position, side, newCell(t.constant));
        return;
    }
    std::uint8_t kind = t.kind;
    if (kind == kRealPower) {
        Found f;
        f.exponentIsNumber = t.exponentIsNumber;
        f.constant = t.constant;
        finishKind(fPower, f);
        kind = f.kind;
    }
    const int slot = addOperation(kind, t.function, level, position, side);
    const int child = level + 1;
    if (takesOneOperand(kind)) {
        ++counter_[child];
        place(t.left, child, slot, 1);
        return;
    }
    place(t.left, child, slot, 1);
    place(t.right, child, slot, 2);
    ++counter_[child];
}

// Puts an operation in the next row's next slot, its result cell delivered to the
// slot of the term above; returns its slot.
int Compiler::addOperation(std::uint8_t kind, Routine function, int level, int position, int side) {
    const int child = level + 1;
    if (child > kMaxLevel) throw ETooManyNestings(kMsgTooManyNestings);
    const int slot = counter_[child] + 1;
    if (slot > kMaxSlots) throw EExpressionTooComplex(kMsgTooComplex);

    BuildOp op;
    op.rec.kind = kind;
    op.rec.routine = (kind == kFunction1 || kind == kFunction2) ? function : routineOfKind(kind);
    op.rec.result = newCell(0.0);
    op.row = static_cast<std::uint8_t>(child);
    op.slot = static_cast<std::uint8_t>(slot);
    slotOp_[child][slot] = static_cast<int>(s_.ops.size());
    s_.ops.push_back(op);
    deliver(level, position, side, op.rec.result);
    if (child > deepest_) deepest_ = child;
    return slot;
}

// The tables the recogniser consults: identifier runs, the variables found so far,
// the next occurrence of each searched character or word, the memo.
void Compiler::prepareRecognition() {
    char separator = '.';
    if (!pascal_) {
        const char* dp = std::localeconv()->decimal_point;
        separator = (dp && *dp) ? *dp : '.';
    }
    // Where a sign may stand inside an operand of '-' (other than at its first four
    // positions): right after '*', '/', '^', DIV or MOD (a number's sign, a
    // negation); right after such a negation (the sign of the number it negates); or
    // right after the E of a number: one whose E follows a digit or the separator, or
    // starts the number at such a place, and whose sign a digit follows (an exponent
    // has digits, so in E-E or 2E+M1 the sign is no exponent's). Any other sign is a
    // binary operator.
    const auto afterOperator = [this](std::size_t i) {
        const char p = text_[i];
        return p == '*' || p == '/' || p == '^' || p == 'V' || p == 'D';
    };
    const auto startsNumber = [&](std::size_t i) {  // a sign at i
        return (i > 0 && afterOperator(i - 1)) ||
               (i > 1 && text_[i - 1] == '-' && afterOperator(i - 2));
    };
    const auto operandSign = [&](std::size_t i) {
        if (startsNumber(i)) return true;
        if (i < 2 || text_[i - 1] != 'E') return false;
        if (i + 1 >= text_.size() || text_[i + 1] < '0' || text_[i + 1] > '9') return false;
        const char p = text_[i - 2];
        return (p >= '0' && p <= '9') || p == '.' || p == separator || afterOperator(i - 2) ||
               ((p == '+' || p == '-') && startsNumber(i - 2));
    };
    // The characters an operand can end with (a name's or number's, ')' or the
    // separator) and start with (a name's or number's, '(', a sign or the separator).
    const auto nameChar = [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    };
    const auto mayEnd = [&](char c) {
        return nameChar(c) || c == ')' || c == '.' || c == separator;
    };
    const auto mayStart = [&](char c) {
        return nameChar(c) || c == '(' || c == '-' || c == '+' || c == '.' || c == separator;
    };
    const std::size_t len = text_.size();
    const int n = static_cast<int>(len);
    s_.net.resize(len + 1);
    s_.net[0] = 0;
    for (std::size_t i = 0; i < len; ++i)
        s_.net[i + 1] = s_.net[i] + (text_[i] == '(') - (text_[i] == ')');
    s_.identEnd.resize(len + 1);
    s_.varEnd.assign(len + 1, -1);
    s_.varCell.resize(len + 1);
    s_.identEnd[len] = n;
    for (std::size_t i = len; i-- > 0;) {
        const char c = text_[i];
        const bool ident = (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
        s_.identEnd[i] = ident ? s_.identEnd[i + 1] : static_cast<int>(i);
    }
    width_ = len + 1;
    s_.next.resize(kSearched * width_);
    int* nx = s_.next.data();
    for (std::size_t k = 0; k < kSearched; ++k) nx[len * kSearched + k] = n;
    for (std::size_t i = len; i-- > 0;) {
        int* row = nx + i * kSearched;
        std::memcpy(row, row + kSearched, sizeof(int) * kSearched);
        const char c = text_[i];
        const auto at = static_cast<int>(i);
        if (const std::uint8_t slot = kSearchSlot[static_cast<unsigned char>(c)];
            slot != kNotSearched)
            row[slot] = at;
        else if (c == 'D' && text_.substr(i, 3) == "DIV")
            row[sDiv] = at;
        else if (c == 'M' && text_.substr(i, 3) == "MOD")
            row[sMod] = at;
        if ((c == '+' || c == '-') && i > 0 && !operandSign(i)) row[sSign] = at;
        if ((c == '+' || c == '-') && i > 0 && i + 1 < len && mayEnd(text_[i - 1]) &&
            mayStart(text_[i + 1]))
            row[c == '+' ? sPlusAt : sMinusAt] = at;
    }
    // The same table per bracket depth: position i's row is filled from the last
    // occurrences seen at depth net[i] (an operator at i lies at depth net[i]).
    int low = 0, high = 0;
    for (std::size_t i = 0; i <= len; ++i) {
        low = std::min(low, s_.net[i]);
        high = std::max(high, s_.net[i]);
    }
    s_.level.resize(kSearched * width_);
    s_.lastAtDepth.assign(static_cast<std::size_t>(high - low + 1) * kSearched, n);
    int* lv = s_.level.data();
    for (std::size_t k = 0; k < kSearched; ++k) lv[len * kSearched + k] = n;
    for (std::size_t i = len; i-- > 0;) {
        int* last = s_.lastAtDepth.data() + static_cast<std::size_t>(s_.net[i] - low) * kSearched;
        const int* row = nx + i * kSearched;
        for (std::size_t k = 0; k < kSearched; ++k)
            if (row[k] == static_cast<int>(i)) last[k] = static_cast<int>(i);
        std::memcpy(lv + i * kSearched, last, sizeof(int) * kSearched);
    }
    // And the last occurrences before each position, at its depth, from the left.
    s_.before.resize(kSearched * width_);
    std::fill(s_.lastAtDepth.begin(), s_.lastAtDepth.end(), -1);
    int* bf = s_.before.data();
    for (std::size_t i = 0; i <= len; ++i) {
        int* last = s_.lastAtDepth.data() + static_cast<std::size_t>(s_.net[i] - low) * kSearched;
        std::memcpy(bf + i * kSearched, last, sizeof(int) * kSearched);
        if (i == len) break;
        const int* row = nx + i * kSearched;
        for (std::size_t k = 0; k < kSearched; ++k)
            if (row[k] == static_cast<int>(i)) last[k] = static_cast<int>(i);
    }
    plainNames_ = true;
    const auto plain = [](std::string_view name) {
        for (const char c : name)
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_')) return false;
        return true;
    };
    for (const auto& entry : f1_) plainNames_ = plainNames_ && plain(entry.first);
    for (const auto& entry : f2_) plainNames_ = plainNames_ && plain(entry.first);
    if (std::strchr("()*/^", separator)) plainNames_ = false;
    const auto wordless = [](std::string_view name) {
        return name.find("DIV") == std::string_view::npos &&
               name.find("MOD") == std::string_view::npos;
    };
    plainWords_ = !std::strchr("DIVMO", separator);
    for (const auto& entry : vars_) plainWords_ = plainWords_ && wordless(entry.first);
    for (const auto& entry : f1_) plainWords_ = plainWords_ && wordless(entry.first);
    for (const auto& entry : f2_) plainWords_ = plainWords_ && wordless(entry.first);
    s_.memo.reset(text_.size());
}

void Compiler::compile(std::string_view input) {
    // Preparation: upper case (ASCII), outer blanks trimmed, no blank inside,
    // bracket counts equal, enclosing brackets stripped.
    std::size_t first = 0, last = input.size();
    while (first < last && input[first] == ' ') ++first;
    while (last > first && input[last - 1] == ' ') --last;
    const std::size_t len = last - first;
    std::string& t = s_.text;
    t.resize(len);
    char* const prepared = t.data();
    const char* const source = input.data() + first;
    bool blank = false;
    int net = 0;
    for (std::size_t i = 0; i < len; ++i) {
        const char c = upperAscii(source[i]);
        prepared[i] = c;
        blank |= c == ' ';
        net += (c == '(') - (c == ')');
    }
    text_ = std::string_view(prepared, len);
    if (blank) throw EExpressionHasBlanks(kMsgHasBlanks);
    if (net != 0) throw EMissMatchingBracket(kMsgMissingBrackets);
    if (len > kMaxTextLength) throw EExpressionTooComplex(kMsgTooComplex);

    // A term stands for a non-empty part of the text, so there are never more terms
    // (hence constant and result cells) than characters.
    out_.cells_.reserve(text_.size() + 2);
    s_.ops.clear();
    s_.ops.reserve(text_.size() + 2);

    // Row 0 holds the placeholder that receives the root's value.
    BuildOp placeholder;
    placeholder.rec.kind = kVariable;
    placeholder.rec.routine = routineOfKind(kVariable);
    s_.ops.push_back(placeholder);
    counter_.fill(0);
    counter_[0] = 1;
    slotOp_[0][1] = 0;
    deepest_ = 0;

    // The formulas of grading rules are read directly; whatever that reading does not
    // cover goes through the recogniser.
    const int root = pascal_ ? s_.reader.read(text_, vars_, f1_, f2_) : -1;
    if (root >= 0) {
        place(root, 0, 1, 1);
    } else {
        prepareRecognition();
        int b = 0, e = static_cast<int>(len);
        strip(b, e);
        build(b, e, 0, 1, 1);
    }

    if (deepest_ == 0) {
        OperationRecord rec = s_.ops[0].rec;
        rec.result = rec.first;
        out_.ops_.push_back(rec);
        return;
    }
    // Link: the operations of the deepest row first, row 1 (the root's) last.
    out_.ops_.reserve(s_.ops.size() - 1);
    for (int row = deepest_; row >= 1; --row)
        for (const BuildOp& op : s_.ops)
            if (op.row == row) out_.ops_.push_back(op.rec);
    for (std::size_t i = 0; i + 1 < out_.ops_.size(); ++i) out_.ops_[i].next = &out_.ops_[i + 1];
}

void CompileExpression(std::string_view text, const VariableTable& variables,
                       const FunctionTable& oneArgument, const FunctionTable& twoArguments,
                       bool pascalNumberFormat, Program& out) {
    Release(out);
    Compiler compiler(variables, oneArgument, twoArguments, pascalNumberFormat, out);
    try {
        compiler.compile(text);
    } catch (...) {
        Release(out);
        throw;
    }
}

void Release(Program& program) {
    // Constant and result cells live in one block owned by the program, so each is
    // freed exactly once and a variable cell never is. The capacity is kept for the
    // next compilation.
    program.ops_.clear();
    program.cells_.clear();
}

}  // namespace formula
