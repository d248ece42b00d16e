#include "formula/DirectReader.h"

#include "formula/NumberLiteral.h"

namespace formula {

namespace {

bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || c == '_';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Names the recogniser may read as literals: PI, and E followed by digits only.
bool readsAsLiteral(std::string_view name) {
    if (name == "PI") return true;
    if (name.size() < 2 || name[0] != 'E') return false;
    for (char c : name.substr(1))
        if (!isDigit(c)) return false;
    return true;
}

// The recogniser looks for DIV and MOD anywhere, inside names too.
bool holdsWord(std::string_view name) {
    for (std::size_t i = 0; i + 2 < name.size(); ++i) {
        const char c = name[i];
        if ((c == 'D' && name[i + 1] == 'I' && name[i + 2] == 'V') ||
            (c == 'M' && name[i + 1] == 'O' && name[i + 2] == 'D'))
            return true;
    }
    return false;
}

}  // namespace

int DirectReader::read(std::string_view text, const VariableTable& variables,
                       const FunctionTable& oneArgument, const FunctionTable& twoArguments) {
    if (text.empty() || text.size() > kMaxLength) return -1;
    variables_ = &variables;
    one_ = &oneArgument;
    two_ = &twoArguments;
    terms_.clear();
    if (!tokenize(text)) return -1;
    return sum(0, static_cast<int>(tokens_.size()));
}

bool DirectReader::tokenize(std::string_view text) {
    tokens_.clear();
    open_.clear();
    const std::size_t n = text.size();
    for (std::size_t i = 0; i < n;) {
        const char c = text[i];
        Token t{tOperand, -1, -1, nullptr, nullptr};
        if (isLetter(c)) {
            std::size_t k = i + 1;
            while (k < n && (isLetter(text[k]) || isDigit(text[k]))) ++k;
            const std::string_view name = text.substr(i, k - i);
            if (holdsWord(name)) return false;
            if (k < n && text[k] == '(') {
                const Routine* one = one_->find(name);
                const Routine* two = two_->find(name);
                if (!one && !two) return false;
                t.type = tCall;
                t.one = one ? *one : nullptr;
                t.two = two ? *two : nullptr;
            } else {
                if (readsAsLiteral(name)) return false;
                // E+1 and E-1 are literals to the recogniser (nought times ten to the
                // first); E+X is a sum.
                if (name == "E" && k + 1 < n && (text[k] == '+' || text[k] == '-') &&
                    isDigit(text[k + 1]))
                    return false;
                double* const* cell = variables_->find(name);
                if (!cell) return false;
                t.term = static_cast<std::int32_t>(terms_.size());
                terms_.push_back(Term{});
                terms_.back().kind = kVariable;
                terms_.back().cell = *cell;
            }
            i = k;
        } else if (isDigit(c)) {
            std::size_t k = i + 1;
            while (k < n && isDigit(text[k])) ++k;
            if (k < n && text[k] == '.') {
                ++k;
                if (k == n || !isDigit(text[k])) return false;
                while (k < n && isDigit(text[k])) ++k;
            }
            // 2E5, 2A, 1.2.3: exponents and runs the recogniser reads its own way.
            if (k < n && (isLetter(text[k]) || text[k] == '.')) return false;
            double value = 0;
            if (!readNumber(text.substr(i, k - i), true, &value)) return false;
            t.term = static_cast<std::int32_t>(terms_.size());
            terms_.push_back(Term{});
            terms_.back().kind = kConstant;
            terms_.back().constant = value;
            i = k;
        } else {
            switch (c) {
                case '+':
                    t.type = tPlus;
                    break;
                case '-':
                    t.type = tMinus;
                    break;
                case '*':
                    t.type = tTimes;
                    break;
                case '/':
                    t.type = tSlash;
                    break;
                case '^':
                    t.type = tPower;
                    break;
                case '(':
                    t.type = tOpen;
                    open_.push_back(static_cast<int>(tokens_.size()));
                    break;
                case ')':
                    if (open_.empty()) return false;
                    t.type = tClose;
                    t.match = open_.back();
                    tokens_[static_cast<std::size_t>(open_.back())].match =
                        static_cast<std::int32_t>(tokens_.size());
                    open_.pop_back();
                    break;
                case ',':
                    t.type = tComma;
                    break;
                default:
                    return false;
            }
            ++i;
        }
        tokens_.push_back(t);
    }
    return open_.empty();
}

int DirectReader::term(std::uint8_t kind, int left, int right, Routine function) {
    Term t;
    t.kind = kind;
    t.left = left;
    t.right = right;
    t.function = function;
    terms_.push_back(t);
    return static_cast<int>(terms_.size()) - 1;
}

// The levels of a formula, each over tokens [b, e) that hold none of the operators of
// the levels above at the top level. Each level looks for its own operator from the
// side where the split lies and stops at the first it meets, so a long chain of one
// operator is read in time proportional to its length.

// Any expression: split at the first '+'.
int DirectReader::sum(int b, int e) {
    if (e - b == 1) return operand(b, e);
    for (int k = b; k < e; k = next(k)) {
        if (tokens_[static_cast<std::size_t>(k)].type != tPlus) continue;
        if (k == b) return -1;
        const int left = difference(b, k);
        if (left < 0) return -1;
        const int right = sum(k + 1, e);
        return right < 0 ? -1 : term(kAdd, left, right);
    }
    return difference(b, e);
}

// No '+': split at the last '-'.
int DirectReader::difference(int b, int e) {
    if (e - b == 1) return operand(b, e);
    for (int k = e - 1; k >= b; k = previous(k)) {
        if (tokens_[static_cast<std::size_t>(k)].type != tMinus) continue;
        if (k == b || k == e - 1) return -1;
        const int left = difference(b, k);
        if (left < 0) return -1;
        const int right = product(k + 1, e);
        return right < 0 ? -1 : term(kSubtract, left, right);
    }
    return product(b, e);
}

// No '+' or '-': split at the first '*'.
int DirectReader::product(int b, int e) {
    if (e - b == 1) return operand(b, e);
    for (int k = b; k < e; k = next(k)) {
        if (tokens_[static_cast<std::size_t>(k)].type != tTimes) continue;
        if (k == b) return -1;
        const int left = quotient(b, k);
        if (left < 0) return -1;
        const int right = product(k + 1, e);
        return right < 0 ? -1 : term(kMultiply, left, right);
    }
    return quotient(b, e);
}

// Only '/' and '^': split at the last '/'.
int DirectReader::quotient(int b, int e) {
    if (e - b == 1) return operand(b, e);
    for (int k = e - 1; k >= b; k = previous(k)) {
        if (tokens_[static_cast<std::size_t>(k)].type != tSlash) continue;
        if (k == b || k == e - 1) return -1;
        const int left = quotient(b, k);
        if (left < 0) return -1;
        const int right = power(k + 1, e);
        return right < 0 ? -1 : term(kDivide, left, right);
    }
    return power(b, e);
}

// Only '^': an operand, or two joined by the one '^'.
int DirectReader::power(int b, int e) {
    if (e - b == 1) return operand(b, e);
    int at = -1;
    for (int k = b; k < e; k = next(k)) {
        if (tokens_[static_cast<std::size_t>(k)].type != tPower) continue;
        if (at >= 0) return -1;  // A^B^C is no formula
        at = k;
    }
    if (at < 0) return operand(b, e);
    const int left = operand(b, at);
    if (left < 0) return -1;
    const int right = operand(at + 1, e);
    if (right < 0) return -1;
    const int t = term(kRealPower, left, right);
    // Only an exponent written as a bare number decides the power's kind.
    const Term& exponent = terms_[static_cast<std::size_t>(right)];
    if (tokens_[static_cast<std::size_t>(at + 1)].type == tOperand && exponent.kind == kConstant) {
        Term& p = terms_[static_cast<std::size_t>(t)];
        p.exponentIsNumber = true;
        p.constant = exponent.constant;
    }
    return t;
}

// A variable, a number, a bracketed expression or a call, spanning [b, e) exactly.
int DirectReader::operand(int b, int e) {
    if (b >= e) return -1;
    const Token& first = tokens_[static_cast<std::size_t>(b)];
    if (first.type == tOperand) return e - b == 1 ? first.term : -1;
    if (first.type == tOpen) return first.match == e - 1 ? sum(b + 1, e - 1) : -1;
    if (first.type != tCall) return -1;
    const int open = b + 1;  // a name is a call only when a bracket follows it
    if (tokens_[static_cast<std::size_t>(open)].match != e - 1) return -1;
    int comma = -1;
    for (int k = open + 1; k < e - 1; k = next(k)) {
        if (tokens_[static_cast<std::size_t>(k)].type != tComma) continue;
        if (comma >= 0) return -1;
        comma = k;
    }
    if (comma < 0) {
        if (!first.one) return -1;
        const int argument = sum(open + 1, e - 1);
        return argument < 0 ? -1 : term(kFunction1, argument, -1, first.one);
    }
    if (!first.two) return -1;
    const int left = sum(open + 1, comma);
    if (left < 0) return -1;
    const int right = sum(comma + 1, e - 1);
    return right < 0 ? -1 : term(kFunction2, left, right, first.two);
}

}  // namespace formula
