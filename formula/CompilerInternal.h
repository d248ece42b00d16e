#pragma once

// The compiler's private parts, shared by its source files: the forms a text can take,
// the recogniser's tables and memo, and the Compiler class with its quick looks inline.

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formula/Compiler.h"
#include "formula/DirectReader.h"
#include "formula/Errors.h"
#include "formula/NameTable.h"
#include "formula/Program.h"

namespace formula {

// The forms a text can take. The recogniser memoises each (range, form) answer,
// so no range is examined twice for the same form and no text makes compilation
// exponential.
enum Form : std::uint8_t {
    fNumber,    // N
    fVariable,  // V
    fNegation,  // U
    fBracket,   // P
    fPlus,
    fMinus,
    fTimes,
    fDiv,
    fMod,
    fSlash,
    fPower,
    fCall1,  // F1
    fCall2,  // F2
    fValid,  // any expression
    kFormCount
};

// Operand forms allowed on each side of an operator, in the order they are tried.
inline constexpr std::array<Form, 12> kPlusLeft = {fVariable, fNumber, fBracket, fNegation,
                                                   fMinus,    fTimes,  fDiv,     fMod,
                                                   fSlash,    fPower,  fCall1,   fCall2};
inline constexpr std::array<Form, 12> kPlusRight = {fVariable, fNumber, fBracket, fPlus,
                                                    fMinus,    fTimes,  fDiv,     fMod,
                                                    fSlash,    fPower,  fCall1,   fCall2};
inline constexpr std::array<Form, 10> kMinusRight = {fVariable, fNumber, fBracket, fTimes, fDiv,
                                                     fMod,      fSlash,  fPower,   fCall1, fCall2};
inline constexpr std::array<Form, 10> kTimesLeft = {
    fVariable, fNumber, fBracket, fNegation, fDiv, fMod, fSlash, fPower, fCall1, fCall2};
inline constexpr std::array<Form, 6> kDivisionRight = {fVariable, fNumber, fBracket,
                                                       fPower,    fCall1,  fCall2};
inline constexpr std::array<Form, 5> kPowerLeft = {fVariable, fNumber, fBracket, fCall1, fCall2};
inline constexpr std::array<Form, 5> kPowerRight = {fNumber, fVariable, fBracket, fCall1, fCall2};

// The character a one-character operator form splits at.
inline constexpr char kOperatorOf[kFormCount] = {0, 0, 0,   0,   '+', '-', '*',
                                                 0, 0, '/', '^', 0,   0,   0};

struct Sides {
    const Form* left;
    std::size_t leftCount;
    const Form* right;
    std::size_t rightCount;
};

template <std::size_t L, std::size_t R>
constexpr Sides sides(const std::array<Form, L>& l, const std::array<Form, R>& r) {
    return {l.data(), L, r.data(), R};
}

inline constexpr Sides kSidesOf[kFormCount] = {
    {},
    {},
    {},
    {},
    sides(kPlusLeft, kPlusRight),       // +
    sides(kPlusLeft, kMinusRight),      // -
    sides(kTimesLeft, kMinusRight),     // *
    sides(kTimesLeft, kDivisionRight),  // DIV
    sides(kTimesLeft, kDivisionRight),  // MOD
    sides(kTimesLeft, kDivisionRight),  // /
    sides(kPowerLeft, kPowerRight),     // ^
};

// (range, form) answers of one compilation. Entries carry the compilation's stamp,
// so the tables are reused from one compilation to the next without clearing. A
// short text (every grading rule) uses a table indexed by the range directly; a
// longer one an open-addressing hash table.
// How a range was found to take a splitting form (or a two-argument call): where it
// splits and which forms its two parts took. Building the term later reuses it
// instead of searching again.
struct Detail {
    std::int16_t pos = -1;
    std::uint8_t form = kFormCount;
    std::uint8_t left = kFormCount;
    std::uint8_t right = kFormCount;
};

class Memo {
  public:
    static constexpr std::size_t kDenseLimit = 96;

    void reset(std::size_t textLength) {
        if (++stamp_ == 0) {
            for (auto& e : dense_) e.stamp = 0;
            for (auto& e : table_) e.slot.stamp = 0;
            stamp_ = 1;
        }
        width_ = static_cast<std::uint32_t>(textLength + 1);
        denseMode_ = textLength <= kDenseLimit;
        if (denseMode_) {
            const std::size_t want = std::size_t(width_) * width_;
            if (dense_.size() < want) dense_.resize(want);
            return;
        }
        used_ = 0;
        std::size_t want = 1024;
        while (want < textLength * 8) want <<= 1;
        if (table_.size() < want) {
            for (auto& e : dense_) e.stamp = 0;
            table_.assign(want, Entry{});
            stamp_ = 1;
        }
        mask_ = static_cast<std::uint32_t>(table_.size() - 1);
    }

    // Returns 1 or 0 for a known answer, -1 when unknown.
    int get(int b, int e, Form f) const {
        const auto bit = static_cast<std::uint16_t>(1u << f);
        const Slot* en = find(keyOf(b, e));
        if (!en || !(en->known & bit)) return -1;
        return (en->value & bit) ? 1 : 0;
    }

    void put(int b, int e, Form f, bool v) {
        const auto bit = static_cast<std::uint16_t>(1u << f);
        Slot& en = slot(keyOf(b, e));
        en.known |= bit;
        if (v) en.value |= bit;
    }

    // The detail of a range whose answers are known (put() came first).
    void putDetail(int b, int e, const Detail& d) {
        if (Detail* slot = detailSlot(b, e)) *slot = d;
    }
    const Detail* detail(int b, int e) { return detailSlot(b, e); }

    // The first '+' (minus: '-') from a range's start whose right part is an operand
    // of that operator (Compiler::nextSplit()): -2 when not known yet, -1 when there is
    // none.
    int splitFrom(bool minus, int b, int e) const {
        const Slot* en = find(keyOf(b, e));
        return en ? en->splitFrom[minus] - 2 : -2;
    }
    void putSplitFrom(bool minus, int b, int e, int pos) {
        slot(keyOf(b, e)).splitFrom[minus] = static_cast<std::int16_t>(pos + 2);
    }

    // Keyed by (b, s): the first '+' (minus: '-') from s whose left part [b, p) is an
    // operand of it (Compiler::nextLeftSplit()), and how far that was looked for.
    // found: the position, -1 when there is none before `scanned`, -2 when not known.
    void leftSplit(bool minus, int b, int s, int* found, int* scanned) const {
        *found = -2;
        if (const Slot* en = find(keyOf(b, s))) {
            *found = en->leftFound[minus] - 2;
            *scanned = en->leftScanned[minus];
        }
    }
    void putLeftSplit(bool minus, int b, int s, int found, int scanned) {
        Slot& en = slot(keyOf(b, s));
        en.leftFound[minus] = static_cast<std::int16_t>(found + 2);
        en.leftScanned[minus] = static_cast<std::int16_t>(scanned);
    }

  private:
    // What is known of one range in the current compile; a slot of an earlier compile
    // (another stamp) counts as empty.
    struct Slot {
        std::uint32_t stamp = 0;
        std::uint16_t known = 0;
        std::uint16_t value = 0;
        Detail detail;
        std::int16_t splitFrom[2] = {0, 0};  // splitFrom() + 2; 0: not known
        std::int16_t leftFound[2] = {0, 0};  // leftSplit(): found + 2; 0: not known
        std::int16_t leftScanned[2] = {0, 0};
    };
    // A slot of the hash table used for long texts, with the range it belongs to.
    struct Entry {
        std::uint32_t key = 0;
        Slot slot;
    };

    // The range's slot in the current compile, or null when nothing is known of it.
    const Slot* find(std::uint32_t key) const {
        if (denseMode_) {
            const Slot& en = dense_[key];
            return en.stamp == stamp_ ? &en : nullptr;
        }
        for (std::uint32_t i = hash(key) & mask_;; i = (i + 1) & mask_) {
            const Entry& en = table_[i];
            if (en.slot.stamp != stamp_) return nullptr;
            if (en.key == key) return &en.slot;
        }
    }
    // The range's slot, made empty for the current compile when it has none yet.
    Slot& slot(std::uint32_t key) {
        if (denseMode_) {
            Slot& en = dense_[key];
            if (en.stamp != stamp_) en = Slot{stamp_, 0, 0, Detail{}};
            return en;
        }
        if ((used_ + 1) * 2 > table_.size()) grow();
        for (std::uint32_t i = hash(key) & mask_;; i = (i + 1) & mask_) {
            Entry& en = table_[i];
            if (en.slot.stamp != stamp_) {
                en = Entry{key, Slot{stamp_, 0, 0, Detail{}}};
                ++used_;
                return en.slot;
            }
            if (en.key == key) return en.slot;
        }
    }
    Detail* detailSlot(int b, int e) {
        const Slot* en = find(keyOf(b, e));
        return en ? const_cast<Detail*>(&en->detail) : nullptr;
    }

    std::uint32_t keyOf(int b, int e) const {
        return static_cast<std::uint32_t>(b) * width_ + static_cast<std::uint32_t>(e);
    }
    static std::uint32_t hash(std::uint32_t k) { return k * 2654435761u >> 7; }

    void grow() {
        std::vector<Entry> old;
        old.swap(table_);
        table_.assign(old.size() * 2, Entry{});
        mask_ = static_cast<std::uint32_t>(table_.size() - 1);
        used_ = 0;
        for (const Entry& en : old) {
            if (en.slot.stamp != stamp_) continue;
            for (std::uint32_t i = hash(en.key) & mask_;; i = (i + 1) & mask_) {
                if (table_[i].slot.stamp != stamp_) {
                    table_[i] = en;
                    ++used_;
                    break;
                }
            }
        }
    }

    std::vector<Slot> dense_;
    std::vector<Entry> table_;
    std::uint32_t stamp_ = 0;
    std::uint32_t mask_ = 0;
    std::uint32_t width_ = 1;
    std::size_t used_ = 0;
    bool denseMode_ = true;
};

// What the table of next occurrences is kept for: the operator characters, the
// brackets and commas of calls, and the words DIV and MOD.
enum Searched : std::uint8_t {
    sPlus,
    sMinus,
    sTimes,
    sSlash,
    sPower,
    sOpen,
    sComma,
    sDiv,
    sMod,
    sSign,  // a '+' or '-' that cannot start an operand or an exponent (Compiler.cpp)
    // a '+' or '-' that can split: what precedes it can end an operand and what follows
    // can start one
    sPlusAt,
    sMinusAt,
    kSearched
};

inline constexpr std::uint8_t kNotSearched = 0xFF;

constexpr std::array<std::uint8_t, 256> searchSlots() {
    std::array<std::uint8_t, 256> t{};
    t.fill(kNotSearched);
    t['+'] = sPlus;
    t['-'] = sMinus;
    t['*'] = sTimes;
    t['/'] = sSlash;
    t['^'] = sPower;
    t['('] = sOpen;
    t[','] = sComma;
    return t;
}
inline constexpr std::array<std::uint8_t, 256> kSearchSlot = searchSlots();

// A text range [b, e) of the prepared text. The left and right texts of a term
// start as one blank; `blank` marks that.
struct Range {
    int b = 0;
    int e = 0;
    bool blank = true;
    static Range of(int b, int e) { return {b, e, false}; }
};

// One operation under construction, with its place in the operation table.
struct BuildOp {
    OperationRecord rec;
    std::uint8_t row = 0;
    std::uint8_t slot = 0;
};

// Scratch storage reused from one compilation to the next.
struct Scratch {
    std::string text;
    std::vector<int> net;  // net[i]: count of '(' minus ')' in text[0, i)
    // identEnd[i]: end of the run of identifier characters starting at i.
    std::vector<int> identEnd;
    // The variable found for the range starting at i, and that range's end (-1: none asked).
    std::vector<int> varEnd;
    std::vector<double*> varCell;
    // next[i * kSearched + k]: first position at or after i of what slot k
    // searches for, n when there is none.
    std::vector<int> next;
    // level[i * kSearched + k]: the same, at the bracket depth of position i
    // (net[pos] == net[i]); only there can a range starting at i split.
    std::vector<int> level;
    // before[i * kSearched + k]: the last position before i at the bracket depth of
    // position i, -1 when there is none.
    std::vector<int> before;
    std::vector<int> lastAtDepth;  // building `level` and `before`: per depth, per slot
    Memo memo;
    std::vector<BuildOp> ops;
    DirectReader reader;
};

class Compiler {
  public:
    // The scratch storage it works in is the compiling thread's own (Compiler.cpp).
    Compiler(const VariableTable& vars, const FunctionTable& f1, const FunctionTable& f2,
             bool pascal, Program& out);

    void compile(std::string_view input);

  private:
    // ---- recognition -------------------------------------------------------
    char at(int i) const { return text_[static_cast<std::size_t>(i)]; }
    bool balanced(int b, int e) const {
        return s_.net[static_cast<std::size_t>(e)] == s_.net[static_cast<std::size_t>(b)];
    }

    // The forms a range may take at all, by a quick look at its ends and at the
    // table of next occurrences; most ranges are turned away here, before any
    // name is looked up or the memo is consulted.
    std::uint16_t candidates(int b, int e) const {
        if (b >= e) return 0;
        const int len = e - b;
        const char c0 = at(b), cl = at(e - 1);
        const bool letter = c0 >= 'A' && c0 <= 'Z';
        std::uint32_t m = 0;
        if ((letter || c0 == '_') && s_.identEnd[static_cast<std::size_t>(b)] >= e)
            m |= 1u << fVariable;
        if ((c0 >= '0' && c0 <= '9') || c0 == '.' || c0 == '-' || c0 == '+' || c0 == 'E' ||
            c0 == 'P')
            m |= 1u << fNumber;
        if (c0 == '-' && len >= 2) m |= 1u << fNegation;
        if (len >= 3) {
            if (c0 == '(' && cl == ')') m |= 1u << fBracket;
            const int* row = s_.next.data() + static_cast<std::size_t>(b) * kSearched;
            auto inside = [&](int pos) { return pos > b && pos < e - 1; };
            if (inside(row[sPlus])) m |= 1u << fPlus;
            if (inside(row[sMinus])) m |= 1u << fMinus;
            if (inside(row[sTimes])) m |= 1u << fTimes;
            if (inside(row[sSlash])) m |= 1u << fSlash;
            if (inside(row[sPower])) m |= 1u << fPower;
            if (len >= 5) {
                // An occurrence at the very start is skipped, so look from b + 1.
                const int* after = row + kSearched;
                if (after[sDiv] + 3 <= e) m |= 1u << fDiv;
                if (after[sMod] + 3 <= e) m |= 1u << fMod;
            }
            if (len >= 4 && letter && cl == ')' && row[sOpen] < e)
                m |= (1u << fCall1) | (1u << fCall2);
        }
        if (m) m |= 1u << fValid;
        return static_cast<std::uint16_t>(m);
    }

    // One form: the quick look for that form alone, then the full answer.
    bool is(Form f, int b, int e) {
        switch (f) {
            case fNumber:
                return number(b, e, nullptr);
            case fVariable:
                return variable(b, e) != nullptr;
            case fNegation:
                if (e - b < 2 || at(b) != '-') return false;
                break;
            case fBracket:
                if (e - b < 3 || at(b) != '(' || at(e - 1) != ')') return false;
                break;
            case fPlus:
            case fMinus:
            case fTimes:
            case fSlash:
            case fPower:
                if (!interior(kOperatorOf[f], b, e)) return false;
                break;
            case fDiv:
            case fMod:
                if (e - b < 5) return false;
                break;
            case fCall1:
            case fCall2:
                if (e - b < 4 || at(e - 1) != ')' || !(at(b) >= 'A' && at(b) <= 'Z')) return false;
                break;
            default:
                if (b >= e) return false;
                break;
        }
        return resolve(f, b, e);
    }

    // Answers a form that passed the quick look.
    bool resolve(Form f, int b, int e) {
        if (f == fVariable) return variable(b, e) != nullptr;
        if (f == fNumber) return number(b, e, nullptr);
        const int known = s_.memo.get(b, e, f);
        if (known >= 0) return known != 0;
        if (++depth_ > kMaxRecognitionDepth) throw EExpressionTooComplex(kMsgTooComplex);
        const bool v = compute(f, b, e);
        --depth_;
        s_.memo.put(b, e, f, v);
        if (v && lastDetail_.form == f) s_.memo.putDetail(b, e, lastDetail_);
        return v;
    }

    bool compute(Form f, int b, int e) {
        switch (f) {
            case fNumber:
                return number(b, e, nullptr);
            case fVariable:
                return variable(b, e) != nullptr;
            case fNegation:
                return negation(b, e, nullptr);
            case fBracket:
                return e - b >= 2 && at(b) == '(' && at(e - 1) == ')' && is(fValid, b + 1, e - 1);
            case fPlus:
                return split('+', f, b, e, nullptr);
            case fMinus:
                return split('-', f, b, e, nullptr);
            case fTimes:
                return split('*', f, b, e, nullptr);
            case fSlash:
                return split('/', f, b, e, nullptr);
            case fPower:
                return split('^', f, b, e, nullptr);
            case fDiv:
                return splitWord(sDiv, f, b, e, nullptr);
            case fMod:
                return splitWord(sMod, f, b, e, nullptr);
            case fCall1:
                return call1(b, e, nullptr);
            case fCall2:
                return call2(b, e, nullptr);
            case fValid: {
                const std::uint16_t m = candidates(b, e);
                static constexpr Form order[] = {fNumber, fVariable, fNegation, fPlus,  fMinus,
                                                 fTimes,  fDiv,      fMod,      fSlash, fPower,
                                                 fCall2,  fCall1,    fBracket};
                for (Form g : order)
                    if ((m & (1u << g)) && resolve(g, b, e)) return true;
                return false;
            }
            default:
                return false;
        }
    }

    // Strips enclosing brackets while the whole range is a bracketed expression.
    void strip(int& b, int& e) {
        while (is(fBracket, b, e)) {
            ++b;
            --e;
        }
    }

    // What a classification found, and the texts it wrote on the way.
    struct Found {
        std::uint8_t kind = 0;
        Range left, right;
        double* cell = nullptr;  // variable cell (kind 0)
        double constant = 0;     // value (kind 1), or the power's exponent
        bool exponentIsNumber = false;
        Routine function = nullptr;  // kinds 14 and 15
    };

    // The first form of `list` that the range takes; kFormCount when none.
    Form firstOf(const Form* list, std::size_t n, int b, int e) {
        // Most operands are plain variables or numbers, and every list tries those
        // first: answer them before looking at the other forms at all.
        std::size_t i = 0;
        for (; i < n && (list[i] == fVariable || list[i] == fNumber); ++i)
            if (list[i] == fVariable ? variable(b, e) != nullptr : number(b, e, nullptr))
                return list[i];
        if (i == n) return kFormCount;
        const std::uint16_t m = candidates(b, e);
        if (!m) return kFormCount;
        for (; i < n; ++i)
            if ((m & (1u << list[i])) && resolve(list[i], b, e)) return list[i];
        return kFormCount;
    }

    // Whether the first occurrence of `op` in the range lies inside it: a split at
    // an operator character needs that, or its search ends at once.
    bool interior(char op, int b, int e) const {
        if (e - b < 3) return false;
        const int pos = find(op, b, e);
        return pos >= 0 && pos != b && pos != e - 1;
    }

    // Position of the first `c` in [b, e), or -1, from the table of next
    // occurrences built once per compilation.
    int find(char c, int b, int e) const {
        const int pos = s_.next[static_cast<std::size_t>(b) * kSearched +
                                kSearchSlot[static_cast<unsigned char>(c)]];
        return pos < e ? pos : -1;
    }
    int findWord(Searched w, int b, int e) const {
        const int pos = s_.next[static_cast<std::size_t>(b) * kSearched + w];
        return pos + 3 <= e ? pos : -1;
    }
    // The same searches, for occurrences at the bracket depth of position b only.
    int findLevel(Searched k, int b, int e) const {
        const int pos = s_.level[static_cast<std::size_t>(b) * kSearched + k];
        return pos < e ? pos : -1;
    }
    int findWordLevel(Searched w, int b, int e) const {
        const int pos = s_.level[static_cast<std::size_t>(b) * kSearched + w];
        return pos + 3 <= e ? pos : -1;
    }
    // The last occurrence in [b, e) at the bracket depth of position e, or -1; for a
    // range with as many '(' as ')' that is the range's own depth.
    int findLastLevel(Searched k, int b, int e) const {
        const int pos = s_.before[static_cast<std::size_t>(e) * kSearched + k];
        return pos >= b ? pos : -1;
    }

    // Variable names are identifiers, so only a range that is one run of identifier
    // characters starting with a letter or '_', and no longer than the longest name,
    // is looked up (a long run such as M1DIVM1DIV... holds many ranges); the answer
    // for the range starting at b is kept, as the same operand is asked for again and
    // again.
    double* variable(int b, int e) const {
        if (e <= b || static_cast<std::size_t>(e - b) > vars_.longest()) return nullptr;
        const auto ub = static_cast<std::size_t>(b);
        if (s_.identEnd[ub] < e) return nullptr;
        const char c = at(b);
        if (!((c >= 'A' && c <= 'Z') || c == '_')) return nullptr;
        if (s_.varEnd[ub] == e) return s_.varCell[ub];
        double* const* cell = vars_.find(text_.substr(ub, static_cast<std::size_t>(e - b)));
        s_.varEnd[ub] = e;
        s_.varCell[ub] = cell ? *cell : nullptr;
        return s_.varCell[ub];
    }

    bool number(int b, int e, double* value);
    bool negation(int b, int e, Found* found);
    bool split(char op, Form form, int b, int e, Found* found);
    bool splitWord(Searched word, Form form, int b, int e, Found* found);
    bool acceptSplit(Form form, int b, int mid, int rb, int e, Found* found);
    bool mayTake(Form form, int b, int le, int rb, int e) const;
    // The first and last split positions mayTake() can accept (a position range).
    struct Span {
        int lo;
        int hi;
    };
    Span takeSpan(Form form, int b, int e, int width) const;
    int firstAtDepth(int b, int from) const;
    int nextSplit(Form form, int s, int e);
    int nextLeftSplit(Form form, int b, int s, int e);
    bool call1(int b, int e, Found* found);
    bool call2(int b, int e, Found* found);
    bool classify(int b, int e, Found& found);
    bool classifyAs(Form form, int b, int e, Found& found);
    bool fromDetail(Form form, int b, int e, Found& found);
    bool finishKind(Form form, Found& found);

    // ---- building ----------------------------------------------------------
    void prepareRecognition();
    void build(int b, int e, int level, int position, int side);
    void place(int term, int level, int position, int side);
    int addOperation(std::uint8_t kind, Routine function, int level, int position, int side);
    static bool takesOneOperand(std::uint8_t kind) {
        return kind == kNegate || kind == kSquare || kind == kCube || kind == kFourth ||
               kind == kFunction1;
    }
    double* newCell(double v) {
        if (out_.cells_.size() == out_.cells_.capacity())
            throw EParserInternalError(kMsgInternal);  // capacity is reserved up front
        out_.cells_.push_back(v);
        return &out_.cells_.back();
    }
    void deliver(int level, int position, int side, double* cell) {
        OperationRecord& target = s_.ops[static_cast<std::size_t>(slotOp_[level][position])].rec;
        (side == 1 ? target.first : target.second) = cell;
    }
    [[noreturn]] void syntaxError(int b, int e, const Found& found) const;

    const VariableTable& vars_;
    const FunctionTable& f1_;
    const FunctionTable& f2_;
    const bool pascal_;
    Program& out_;
    Scratch& s_;
    std::string_view text_;
    std::size_t width_ = 1;  // text length + 1
    int depth_ = 0;
    int deepest_ = 0;
    Detail lastDetail_;  // what the last successful split or call found
    // Every function name an identifier and the decimal separator no operator or
    // bracket: what mayTake() relies on (prepareRecognition() sets it).
    bool plainNames_ = false;
    // No variable or function name holds DIV or MOD, and the decimal separator is none
    // of their letters: then neither word lies inside a name or a number (mayTake()).
    bool plainWords_ = false;
    std::array<int, kMaxLevel + 1> counter_{};
    // Only the slots a compilation fills are read, so this is left uninitialised.
    std::array<std::array<int, kMaxSlots + 1>, kMaxLevel + 1> slotOp_;
};

// The operation kind of a term of form g; a power's kind follows from its exponent.
inline bool Compiler::finishKind(Form g, Found& f) {
    switch (g) {
        case fNegation:
            f.kind = kNegate;
            break;
        case fPlus:
            f.kind = kAdd;
            break;
        case fMinus:
            f.kind = kSubtract;
            break;
        case fTimes:
            f.kind = kMultiply;
            break;
        case fDiv:
            f.kind = kDiv;
            break;
        case fMod:
            f.kind = kMod;
            break;
        case fSlash:
            f.kind = kDivide;
            break;
        case fCall1:
            f.kind = kFunction1;
            break;
        case fCall2:
            f.kind = kFunction2;
            break;
        case fPower: {
            f.kind = kRealPower;
            const double v = f.constant;
            if (f.exponentIsNumber && std::fabs(v) < 9223372036854775808.0) {
                const auto t = static_cast<std::int64_t>(v);
                const auto low = static_cast<std::int32_t>(static_cast<std::uint32_t>(t));
                if (static_cast<double>(low) == v)
                    f.kind = low == 2 ? kSquare : low == 3 ? kCube : low == 4 ? kFourth : kIntPower;
            }
            break;
        }
        default:
            return false;
    }
    return true;
}

}  // namespace formula
