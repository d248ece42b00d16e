#include "formula/Compiler.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "formula/DirectReader.h"
#include "formula/Errors.h"
#include "formula/NumberLiteral.h"
#include "formula/Routines.h"

namespace formula {

namespace {

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
constexpr std::array<Form, 12> kPlusLeft = {fVariable, fNumber, fBracket, fNegation,
                                            fMinus,    fTimes,  fDiv,     fMod,
                                            fSlash,    fPower,  fCall1,   fCall2};
constexpr std::array<Form, 12> kPlusRight = {fVariable, fNumber, fBracket, fPlus,  fMinus, fTimes,
                                             fDiv,      fMod,    fSlash,   fPower, fCall1, fCall2};
constexpr std::array<Form, 10> kMinusRight = {fVariable, fNumber, fBracket, fTimes, fDiv,
                                              fMod,      fSlash,  fPower,   fCall1, fCall2};
constexpr std::array<Form, 10> kTimesLeft = {fVariable, fNumber, fBracket, fNegation, fDiv,
                                             fMod,      fSlash,  fPower,   fCall1,    fCall2};
constexpr std::array<Form, 6> kDivisionRight = {fVariable, fNumber, fBracket,
                                                fPower,    fCall1,  fCall2};
constexpr std::array<Form, 5> kPowerLeft = {fVariable, fNumber, fBracket, fCall1, fCall2};
constexpr std::array<Form, 5> kPowerRight = {fNumber, fVariable, fBracket, fCall1, fCall2};

// The character a one-character operator form splits at.
constexpr char kOperatorOf[kFormCount] = {0, 0, 0, 0, '+', '-', '*', 0, 0, '/', '^', 0, 0, 0};

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

constexpr Sides kSidesOf[kFormCount] = {
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
            for (auto& e : table_) e.stamp = 0;
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
        const std::uint32_t key = keyOf(b, e);
        if (denseMode_) {
            const Slot& en = dense_[key];
            if (en.stamp != stamp_ || !(en.known & bit)) return -1;
            return (en.value & bit) ? 1 : 0;
        }
        for (std::uint32_t i = hash(key) & mask_;; i = (i + 1) & mask_) {
            const Entry& en = table_[i];
            if (en.stamp != stamp_) return -1;
            if (en.key == key) return (en.known & bit) ? ((en.value & bit) ? 1 : 0) : -1;
        }
    }

    void put(int b, int e, Form f, bool v) {
        const auto bit = static_cast<std::uint16_t>(1u << f);
        const std::uint32_t key = keyOf(b, e);
        if (denseMode_) {
            Slot& en = dense_[key];
            if (en.stamp != stamp_) en = Slot{stamp_, 0, 0, Detail{}};
            en.known |= bit;
            if (v) en.value |= bit;
            return;
        }
        if ((used_ + 1) * 2 > table_.size()) grow();
        for (std::uint32_t i = hash(key) & mask_;; i = (i + 1) & mask_) {
            Entry& en = table_[i];
            if (en.stamp != stamp_) {
                en = Entry{key, stamp_, bit, static_cast<std::uint16_t>(v ? bit : 0), Detail{}};
                ++used_;
                return;
            }
            if (en.key == key) {
                en.known |= bit;
                if (v) en.value |= bit;
                return;
            }
        }
    }

    // The detail of a range whose answers are known (put() came first).
    void putDetail(int b, int e, const Detail& d) {
        if (Detail* slot = detailSlot(b, e)) *slot = d;
    }
    const Detail* detail(int b, int e) { return detailSlot(b, e); }

  private:
    Detail* detailSlot(int b, int e) {
        const std::uint32_t key = keyOf(b, e);
        if (denseMode_) {
            Slot& en = dense_[key];
            return en.stamp == stamp_ ? &en.detail : nullptr;
        }
        for (std::uint32_t i = hash(key) & mask_;; i = (i + 1) & mask_) {
            Entry& en = table_[i];
            if (en.stamp != stamp_) return nullptr;
            if (en.key == key) return &en.detail;
        }
    }

    struct Slot {
        std::uint32_t stamp = 0;
        std::uint16_t known = 0;
        std::uint16_t value = 0;
        Detail detail;
    };
    struct Entry {
        std::uint32_t key = 0;
        std::uint32_t stamp = 0;
        std::uint16_t known = 0;
        std::uint16_t value = 0;
        Detail detail;
    };

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
            if (en.stamp != stamp_) continue;
            for (std::uint32_t i = hash(en.key) & mask_;; i = (i + 1) & mask_) {
                if (table_[i].stamp != stamp_) {
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
    kSearched
};

constexpr std::uint8_t kNotSearched = 0xFF;

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
constexpr std::array<std::uint8_t, 256> kSearchSlot = searchSlots();

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
    Memo memo;
    std::vector<BuildOp> ops;
    DirectReader reader;
};

thread_local Scratch scratch;

}  // namespace

class Compiler {
  public:
    Compiler(const VariableTable& vars, const FunctionTable& f1, const FunctionTable& f2,
             bool pascal, Program& out)
        : vars_(vars), f1_(f1), f2_(f2), pascal_(pascal), out_(out), s_(scratch) {}

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

    // Variable names are identifiers, so only a range that is one run of identifier
    // characters starting with a letter or '_' is looked up; the answer for the
    // range starting at b is kept, as the same operand is asked for again and again.
    double* variable(int b, int e) const {
        if (e <= b) return nullptr;
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
    std::array<int, kMaxLevel + 1> counter_{};
    // Only the slots a compilation fills are read, so this is left uninitialised.
    std::array<std::array<int, kMaxSlots + 1>, kMaxLevel + 1> slotOp_;
};

bool Compiler::number(int b, int e, double* value) {
    if (e <= b) return false;
    // Most ranges asked about start with something no literal starts with.
    const char c0 = at(b);
    if (!((c0 >= '0' && c0 <= '9') || c0 == '.' || c0 == '-' || c0 == '+' || c0 == 'E' ||
          c0 == 'P'))
        return false;
    return readNumber(text_.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b)),
                      pascal_, value);
}

bool Compiler::negation(int b, int e, Found* found) {
    if (e - b < 1 || at(b) != '-') return false;
    int rb = b + 1, re = e;
    if (found) found->left = Range::of(rb, re);
    if (is(fBracket, rb, re)) {
        if (found) {
            strip(rb, re);
            found->left = Range::of(rb, re);
        }
        return true;
    }
    return is(fVariable, rb, re) || is(fPower, rb, re) || is(fCall1, rb, re) || is(fCall2, rb, re);
}

// Splitting at a one-character operator: occurrences from left to right; one at
// the first or last position ends the search at once.
bool Compiler::split(char op, Form form, int b, int e, Found* found) {
    for (int i = b; i < e;) {
        const int pos = find(op, i, e);
        if (pos < 0 || pos == b || pos == e - 1) return false;
        if (acceptSplit(form, b, pos, pos + 1, e, found)) return true;
        i = pos + 1;
    }
    return false;
}

// Splitting at DIV or MOD: an occurrence at the very start is skipped.
bool Compiler::splitWord(Searched word, Form form, int b, int e, Found* found) {
    for (int i = b;;) {
        const int pos = findWord(word, i, e);
        if (pos < 0) return false;
        if (pos != b && acceptSplit(form, b, pos, pos + 3, e, found)) return true;
        i = pos + 1;
    }
}

// Both parts are written before they are tested; a part that is a bracketed
// expression is replaced by its stripped inner text.
bool Compiler::acceptSplit(Form form, int lb, int le, int rb, int re, Found* found) {
    if (found) {
        found->left = Range::of(lb, le);
        found->right = Range::of(rb, re);
    }
    if (!balanced(lb, le) || !balanced(rb, re)) return false;
    const Sides& sd = kSidesOf[form];
    const Form lf = firstOf(sd.left, sd.leftCount, lb, le);
    if (lf == kFormCount) return false;
    if (found && lf == fBracket) {
        strip(lb, le);
        found->left = Range::of(lb, le);
    }
    const Form rf = firstOf(sd.right, sd.rightCount, rb, re);
    if (rf == kFormCount) return false;
    if (found) {
        if (rf == fBracket) {
            strip(rb, re);
            found->right = Range::of(rb, re);
        }
        found->exponentIsNumber = rf == fNumber;
        if (rf == fNumber) number(rb, re, &found->constant);
    }
    lastDetail_ = Detail{static_cast<std::int16_t>(le), form, lf, rf};
    return true;
}

bool Compiler::call1(int b, int e, Found* found) {
    const int open = find('(', b, e);
    if (open <= b) return false;
    const Routine* routine =
        f1_.find(text_.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(open - b)));
    if (!routine || at(e - 1) != ')') return false;
    if (found) found->left = Range::of(open + 1, e - 1);
    if (!is(fBracket, open, e)) return false;
    if (found) {
        int ab = open + 1, ae = e - 1;
        strip(ab, ae);
        found->left = Range::of(ab, ae);
        found->function = *routine;
    }
    return true;
}

// Two-argument call: the first comma whose both sides are expressions separates
// the arguments (nested calls such as MAX(MIN(A,B),C) work).
bool Compiler::call2(int b, int e, Found* found) {
    const int open = find('(', b, e);
    if (open <= b || at(e - 1) != ')') return false;
    const Routine* routine =
        f2_.find(text_.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(open - b)));
    if (!routine) return false;
    const int ab = open + 1, ae = e - 1;
    for (int i = ab; i < ae;) {
        const int comma = find(',', i, ae);
        if (comma < 0 || comma == ab || comma == ae - 1) return false;
        if (found) found->left = Range::of(ab, comma);
        if (is(fValid, ab, comma)) {
            if (found) found->right = Range::of(comma + 1, ae);
            if (is(fValid, comma + 1, ae)) {
                if (found) {
                    // An argument that is a bracketed expression is taken by its inner
                    // text, as operands of the operators are.
                    int lb = ab, le = comma, rb = comma + 1, re = ae;
                    strip(lb, le);
                    strip(rb, re);
                    found->left = Range::of(lb, le);
                    found->right = Range::of(rb, re);
                    found->function = *routine;
                }
                lastDetail_ = Detail{static_cast<std::int16_t>(comma), fCall2, fValid, fValid};
                return true;
            }
        }
        i = comma + 1;
    }
    return false;
}

// Classifies a term, trying the forms in their fixed order; the texts written on
// the way are what a syntax error reports.
bool Compiler::classify(int b, int e, Found& f) {
    if ((f.cell = variable(b, e))) {
        f.kind = kVariable;
        return true;
    }
    if (number(b, e, &f.constant)) {
        f.kind = kConstant;
        return true;
    }
    // The remembered answers tell which form holds; only that form is run again
    // for its parts. The texts the forms write on the way matter only when none
    // holds, so that case replays every form for the message.
    static constexpr Form order[] = {fNegation, fPlus,  fMinus, fTimes, fDiv,
                                     fMod,      fSlash, fPower, fCall1, fCall2};
    for (Form g : order)
        if (is(g, b, e)) return classifyAs(g, b, e, f);
    for (Form g : order) classifyAs(g, b, e, f);
    return false;
}

// Fills a term's parts from what the recognition remembered of its range.
bool Compiler::fromDetail(Form g, int b, int e, Found& f) {
    // A copy: stripping below may add to the memo and move its entries.
    const Detail* found = s_.memo.detail(b, e);
    if (!found || found->form != g) return false;
    const Detail detail = *found;
    const Detail* d = &detail;
    int lb = b, le = d->pos;
    int rb = d->pos + ((g == fDiv || g == fMod) ? 3 : 1), re = e;
    if (g == fCall2) {
        lb = find('(', b, e) + 1;
        re = e - 1;
        f.function = *f2_.find(
            text_.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(lb - 1 - b)));
        strip(lb, le);
        strip(rb, re);
    } else {
        if (d->left == fBracket) strip(lb, le);
        if (d->right == fBracket) strip(rb, re);
        f.exponentIsNumber = d->right == fNumber;
        if (f.exponentIsNumber) number(rb, re, &f.constant);
    }
    f.left = Range::of(lb, le);
    f.right = Range::of(rb, re);
    return true;
}

bool Compiler::classifyAs(Form g, int b, int e, Found& f) {
    if (g != fNegation && g != fCall1 && fromDetail(g, b, e, f)) return finishKind(g, f);
    bool ok = false;
    switch (g) {
        case fNegation:
            ok = negation(b, e, &f);
            break;
        case fPlus:
            ok = split('+', fPlus, b, e, &f);
            break;
        case fMinus:
            ok = split('-', fMinus, b, e, &f);
            break;
        case fTimes:
            ok = split('*', fTimes, b, e, &f);
            break;
        case fDiv:
            ok = splitWord(sDiv, fDiv, b, e, &f);
            break;
        case fMod:
            ok = splitWord(sMod, fMod, b, e, &f);
            break;
        case fSlash:
            ok = split('/', fSlash, b, e, &f);
            break;
        case fPower:
            ok = split('^', fPower, b, e, &f);
            break;
        case fCall1:
            ok = call1(b, e, &f);
            break;
        case fCall2:
            ok = call2(b, e, &f);
            break;
        default:
            break;
    }
    return ok && finishKind(g, f);
}

// The operation kind of a term of form g; a power's kind follows from its exponent.
bool Compiler::finishKind(Form g, Found& f) {
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

void Compiler::syntaxError(int b, int e, const Found& f) const {
    auto piece = [this](const Range& r) {
        return r.blank ? std::string(" ")
                       : std::string(text_.substr(static_cast<std::size_t>(r.b),
                                                  static_cast<std::size_t>(r.e - r.b)));
    };
    std::string message = kMsgSyntaxHead;
    message += '\r';
    if (f.left.blank && f.right.blank) {
        message += text_.substr(static_cast<std::size_t>(b), static_cast<std::size_t>(e - b));
    } else {
        message += piece(f.left);
        message += '\r';
        message += piece(f.right);
    }
    throw ESyntaxError(message);
}

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
    }
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
