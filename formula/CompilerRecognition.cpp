// The recogniser: whether a range of the text takes a form and where it splits, and the
// classification of a term into its operation kind and parts, syntax errors included.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "formula/CompilerInternal.h"
#include "formula/Errors.h"
#include "formula/NumberLiteral.h"

namespace formula {

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
//
// Both parts of a split must have as many '(' as ')', so only an operator at the
// range's own bracket depth (net[pos] == net[b]) can split it; a question alone
// (no texts to write) visits just those, and a long text with many brackets no
// longer costs a test of every operator in every range. An operator at the first
// position is at that depth, and one at the last position is the last of all, so
// the search ends where it did. Writing the texts of a syntax error visits every
// occurrence, as the texts are those of the last one tried.
//
// A question alone also skips the positions mayTake() turns away without visiting
// them (takeSpan()), so a chain of operands costs the same at every length of range.
bool Compiler::split(char op, Form form, int b, int e, Found* found) {
    if (!found) {
        const auto k = static_cast<Searched>(kSearchSlot[static_cast<unsigned char>(op)]);
        const int first = findLevel(k, b, e);
        if (first < 0 || first == b || first == e - 1) return false;
        if (!balanced(b, e)) return false;  // the parts cannot both be balanced
        if (form == fPlus || form == fMinus) {
            // The first position where both parts hold, found by leaps: the next one
            // whose right part holds (nextSplit(), kept per end) and the next one from
            // there whose left part holds (nextLeftSplit(), kept per start), until the
            // two meet; the positions leapt over fail one part or the other. The walk
            // whose answer is kept already goes first: the right parts of the ranges
            // ending alike (a chain's suffixes) or the left parts of the ranges starting
            // alike (the prefixes the build asks about again).
            const bool minus = form == fMinus;
            const Span span = takeSpan(form, b, e, 1);
            for (int x = firstAtDepth(b, span.lo);;) {
                int l = 0, r = 0, kept = -2, scanned = 0;
                s_.memo.leftSplit(minus, b, x, &kept, &scanned);
                const bool leftKept = kept >= 0 || (kept == -1 && scanned >= e);
                if (leftKept && s_.memo.splitFrom(minus, x, e) == -2) {
                    l = nextLeftSplit(form, b, x, e);
                    if (l < 0 || l > span.hi) return false;
                    r = nextSplit(form, l, e);
                } else {
                    r = nextSplit(form, x, e);
                    if (r < 0 || r > span.hi) return false;
                    l = nextLeftSplit(form, b, r, e);
                }
                if (l < 0 || l > span.hi || r < 0 || r > span.hi) return false;
                if (l != r) {
                    x = std::max(l, r);
                    continue;
                }
                if (r == e - 1) return false;
                if (mayTake(form, b, r, r + 1, e) && acceptSplit(form, b, r, r + 1, e, nullptr))
                    return true;
                x = r + 1;
            }
        }
        const Span span = takeSpan(form, b, e, 1);
        for (int pos = findLevel(k, firstAtDepth(b, span.lo), e); pos >= 0 && pos <= span.hi;
             pos = findLevel(k, pos + 1, e)) {
            if (pos == e - 1) return false;
            if (mayTake(form, b, pos, pos + 1, e) && acceptSplit(form, b, pos, pos + 1, e, nullptr))
                return true;
        }
        return false;
    }
    if (s_.memo.get(b, e, form) == 0) {
        // Known to take no such split (a syntax error's texts are wanted): only the
        // texts of the last position tried remain, the last occurrence inside the
        // range, so only that one is tried; the others would only fill the memo.
        const int first = find(op, b, e);
        if (first < 0 || first == b || first == e - 1) return false;
        int pos = e - 2;
        while (at(pos) != op) --pos;
        return acceptSplit(form, b, pos, pos + 1, e, found);
    }
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
    if (!found) {  // as in split(): only the range's own bracket depth, within the span
        if (!balanced(b, e)) return false;
        const Span span = takeSpan(form, b, e, 3);
        for (int pos = findWordLevel(word, firstAtDepth(b, span.lo), e); pos >= 0 && pos <= span.hi;
             pos = findWordLevel(word, pos + 1, e))
            if (pos != b && mayTake(form, b, pos, pos + 3, e) &&
                acceptSplit(form, b, pos, pos + 3, e, nullptr))
                return true;
        return false;
    }
    if (s_.memo.get(b, e, form) == 0) {  // as in split(): the last occurrence but one at b
        for (int pos = e - 3; pos > b; --pos)
            if (s_.next[static_cast<std::size_t>(pos) * kSearched + word] == pos)
                return acceptSplit(form, b, pos, pos + 3, e, found);
        return false;
    }
    for (int i = b;;) {
        const int pos = findWord(word, i, e);
        if (pos < 0) return false;
        if (pos != b && acceptSplit(form, b, pos, pos + 3, e, found)) return true;
        i = pos + 1;
    }
}

// Whether a split at [le, rb) may hold, by the operators at the range's own depth
// alone. An operand of '*', '/', DIV or MOD on the left (a variable, number,
// negation, bracket, quotient, power or call) has no '*' at its own depth; one on the
// right of '/', DIV or MOD (a variable, number, bracket, power or call) has neither
// '*' nor '/', nor DIV or MOD unless a name holds one (plainWords_); an operand of '^'
// has no '^'; the right operand of '-' has no binary '+' or '-'. So of a chain A*B*C only the first
// '*' can split, and a '/' only when nothing but its right operand follows at that depth. A
// position turned away here would fail in acceptSplit() anyway; testing it would only add memo
// answers, which do not depend on the order they are found in (a text within the length bound never
// reaches the recursion limit), so programs and error texts stay the same. This
// holds while every function name is an identifier and the decimal separator is no
// operator or bracket (plainNames_).
bool Compiler::mayTake(Form form, int b, int le, int rb, int e) const {
    if (!plainNames_) return true;
    const auto none = [this](Searched k, int from, int to) { return findLevel(k, from, to) < 0; };
    // No binary sign at the depth past the first four positions (a negation, its
    // number's sign, an E and the exponent's sign: --E-2^2): so it is with every
    // operand of '*', '/', DIV, MOD and '^', and the right operand of '-'.
    const auto unsigned_ = [this](int from, int to) {
        int q = findLevel(sSign, from, to);
        while (q >= 0 && q <= from + 3) q = findLevel(sSign, q + 1, to);
        return q < 0;
    };
    switch (form) {
        case fTimes:
            return none(sTimes, b, le) && unsigned_(b, le) && unsigned_(rb, e);
        case fDiv:
        case fMod:
        case fSlash:
            return none(sTimes, b, le) && none(sTimes, rb, e) && none(sSlash, rb, e) &&
                   unsigned_(b, le) && unsigned_(rb, e) &&
                   (!plainWords_ ||
                    (findWordLevel(sDiv, rb, e) < 0 && findWordLevel(sMod, rb, e) < 0));
        case fPower:
            return none(sPower, b, le) && none(sPower, rb, e) && unsigned_(b, le) &&
                   unsigned_(rb, e);
        case fMinus:
            return unsigned_(rb, e);
        default:
            return true;
    }
}

// The split positions of a range with as many '(' as ')' that mayTake() can accept,
// read from the ends instead of tested one by one: a left operand with no '*' (or no
// '^') at the depth ends at the first one there, and one with no binary sign past its
// first four positions ends at the first such sign; a right operand with no '*', '/',
// DIV, MOD (or '^') starts past the last one, and one with no binary sign past its first four
// positions starts at most four characters before the last sign. Such a range's own
// depth is that of its end, which findLastLevel() looks at.
Compiler::Span Compiler::takeSpan(Form form, int b, int e, int width) const {
    Span span{b, e};
    if (!plainNames_) return span;
    bool leftTimes = false, leftPower = false, rightTimes = false, rightSlash = false,
         rightPower = false, leftSign = true;
    switch (form) {
        case fTimes:
            leftTimes = true;
            break;
        case fDiv:
        case fMod:
        case fSlash:
            leftTimes = rightTimes = rightSlash = true;
            break;
        case fPower:
            leftPower = rightPower = true;
            break;
        case fMinus:
            leftSign = false;
            break;
        default:
            return span;
    }
    const auto endsBefore = [&](Searched k) {
        const int q = findLevel(k, b, e);
        if (q >= 0) span.hi = std::min(span.hi, q);
    };
    const auto startsPast = [&](Searched k, int slack) {
        const int q = findLastLevel(k, b, e);
        if (q >= 0) span.lo = std::max(span.lo, q + 1 - width - slack);
    };
    if (leftTimes) endsBefore(sTimes);
    if (leftPower) endsBefore(sPower);
    if (leftSign) {
        int q = findLevel(sSign, b, e);
        while (q >= 0 && q <= b + 3) q = findLevel(sSign, q + 1, e);
        if (q >= 0) span.hi = std::min(span.hi, q);
    }
    if (rightTimes) startsPast(sTimes, 0);
    if (rightSlash) startsPast(sSlash, 0);
    if (rightSlash && plainWords_) {
        // past the last DIV and MOD that lie wholly inside the range
        for (const Searched word : {sDiv, sMod}) {
            const int q = findLastLevel(word, b, e);
            if (q >= 0 && q + 3 <= e) span.lo = std::max(span.lo, q + 1 - width);
        }
    }
    if (rightPower) startsPast(sPower, 0);
    startsPast(sSign, 4);  // every form here has an unsigned right operand
    return span;
}

// The first position at or after `from` at the depth of b; for a range [b, e) with
// as many '(' as ')' and from <= e, at most e.
int Compiler::firstAtDepth(int b, int from) const {
    const int depth = s_.net[static_cast<std::size_t>(b)];
    while (s_.net[static_cast<std::size_t>(from)] != depth) ++from;
    return from;
}

// The first '+' (or '-', by the form) at or after s, at the depth of s, that can split
// a range ending at e: what precedes it can end an operand (a name or number
// character, ')' or the separator), what follows can start one, and the right part
// [p + 1, e) is an operand of the operator; -1 when there is none. The right parts of
// the splits of every range ending at e are the same ranges, so the answer is kept
// per (s, e): a chain such as A+A+...+A/ is walked once, not once per range.
int Compiler::nextSplit(Form form, int s, int e) {
    const bool minus = form == fMinus;
    const int known = s_.memo.splitFrom(minus, s, e);
    if (known != -2) return known;
    const Sides& sd = kSidesOf[form];
    const Searched k = minus ? sMinusAt : sPlusAt;
    int q = findLevel(k, s, e);
    while (q >= 0 && firstOf(sd.right, sd.rightCount, q + 1, e) == kFormCount) {
        const int further = s_.memo.splitFrom(minus, q + 1, e);
        if (further != -2) {
            q = further;
            break;
        }
        q = findLevel(k, q + 1, e);
    }
    s_.memo.putSplitFrom(minus, s, e, q);
    return q;
}

// The first '+' (or '-') at or after s, at the depth of b, whose left part [b, p) is an
// operand of it (a '+' or '-' that can split); -1 when there is none before e. Kept per
// (b, s) with how far it was looked for, so a left part is asked about once whatever
// the end of the ranges it is asked for.
int Compiler::nextLeftSplit(Form form, int b, int s, int e) {
    const bool minus = form == fMinus;
    int found = -2, scanned = s;
    s_.memo.leftSplit(minus, b, s, &found, &scanned);
    if (found >= 0) return found < e ? found : -1;
    if (found == -1 && scanned >= e) return -1;
    const int from = found == -1 ? scanned : s;  // both at the depth of b
    const Sides& sd = kSidesOf[form];
    const Searched k = minus ? sMinusAt : sPlusAt;
    int q = findLevel(k, from, e);
    while (q >= 0 && firstOf(sd.left, sd.leftCount, b, q) == kFormCount) q = findLevel(k, q + 1, e);
    s_.memo.putLeftSplit(minus, b, s, q, q >= 0 ? q : e);
    return q;
}

// Both parts are written before they are tested; a part that is a bracketed
// expression is replaced by its stripped inner text.
//
// A question alone tests the right part first. The right parts of a range's splits
// all end where the range does, so few of them are ever asked about and most are
// answered already, while the left parts are new ranges; a left part is only worth
// its cost when the right one holds. The forms found are the same whichever part
// comes first (the memo's answers do not depend on the order they are found in).
inline bool Compiler::acceptSplit(Form form, int lb, int le, int rb, int re, Found* found) {
    if (!found) {
        if (!balanced(lb, le) || !balanced(rb, re)) return false;
        const Sides& sd = kSidesOf[form];
        const Form rf = firstOf(sd.right, sd.rightCount, rb, re);
        if (rf == kFormCount) return false;
        const Form lf = firstOf(sd.left, sd.leftCount, lb, le);
        if (lf == kFormCount) return false;
        lastDetail_ = Detail{static_cast<std::int16_t>(le), form, lf, rf};
        return true;
    }
    found->left = Range::of(lb, le);
    found->right = Range::of(rb, re);
    if (!balanced(lb, le) || !balanced(rb, re)) return false;
    const Sides& sd = kSidesOf[form];
    const Form lf = firstOf(sd.left, sd.leftCount, lb, le);
    if (lf == kFormCount) return false;
    if (lf == fBracket) {
        strip(lb, le);
        found->left = Range::of(lb, le);
    }
    const Form rf = firstOf(sd.right, sd.rightCount, rb, re);
    if (rf == kFormCount) return false;
    if (rf == fBracket) {
        strip(rb, re);
        found->right = Range::of(rb, re);
    }
    found->exponentIsNumber = rf == fNumber;
    if (rf == fNumber) number(rb, re, &found->constant);
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
inline bool Compiler::fromDetail(Form g, int b, int e, Found& f) {
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

}  // namespace formula
