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
    return expression(0, static_cast<int>(tokens_.size()));
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
                // E+1 and E-1 are literals to the recogniser.
                if (name == "E" && k < n && (text[k] == '+' || text[k] == '-')) return false;
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

// An expression over tokens [b, e). One look over its top-level tokens finds where
// it splits: at the first '+'; without one at the last '-'; without either at the
// first '*'; then at the last '/'; then at the one '^'. Each part is read the same
// way, and lacks the operators that would have split it higher up, so the part
// before a '+' reads as a chain of '-', the part after a '*' as a product, and so on.
int DirectReader::expression(int b, int e) {
    if (e - b == 1) return operand(b, e);
    int plus = -1, minus = -1, times = -1, slash = -1, power = -1, powers = 0;
    for (int k = b; k < e; k = next(k)) {
        switch (tokens_[static_cast<std::size_t>(k)].type) {
            case tPlus:
                if (plus < 0) plus = k;
                break;
            case tMinus:
                minus = k;
                break;
            case tTimes:
                if (times < 0) times = k;
                break;
            case tSlash:
                slash = k;
                break;
            case tPower:
                power = k;
                ++powers;
                break;
            default:
                break;
        }
    }
    if (plus >= 0) return operation(kAdd, b, plus, e);
    if (minus >= 0) return operation(kSubtract, b, minus, e);
    if (times >= 0) return operation(kMultiply, b, times, e);
    if (slash >= 0) return operation(kDivide, b, slash, e);
    if (powers == 0) return operand(b, e);
    if (powers > 1) return -1;  // A^B^C is no formula
    const int t = operation(kRealPower, b, power, e);
    if (t < 0) return -1;
    // Only an exponent written as a bare number decides the power's kind.
    const Token& exponent = tokens_[static_cast<std::size_t>(power + 1)];
    if (exponent.type == tOperand) {
        Term& p = terms_[static_cast<std::size_t>(t)];
        const Term& x = terms_[static_cast<std::size_t>(p.right)];
        if (x.kind == kConstant) {
            p.exponentIsNumber = true;
            p.constant = x.constant;
        }
    }
    return t;
}

// The operation at token `at` over the parts before and after it.
int DirectReader::operation(std::uint8_t kind, int b, int at, int e) {
    if (at == b || at == e - 1) return -1;
    const int left = expression(b, at);
    if (left < 0) return -1;
    const int right = expression(at + 1, e);
    if (right < 0) return -1;
    return term(kind, left, right);
}

// A variable, a number, a bracketed expression or a call, spanning [b, e) exactly.
int DirectReader::operand(int b, int e) {
    if (b >= e) return -1;
    const Token& first = tokens_[static_cast<std::size_t>(b)];
    if (first.type == tOperand) return e - b == 1 ? first.term : -1;
    if (first.type == tOpen) return first.match == e - 1 ? expression(b + 1, e - 1) : -1;
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
        const int argument = expression(open + 1, e - 1);
        return argument < 0 ? -1 : term(kFunction1, argument, -1, first.one);
    }
    if (!first.two) return -1;
    const int left = expression(open + 1, comma);
    if (left < 0) return -1;
    const int right = expression(comma + 1, e - 1);
    return right < 0 ? -1 : term(kFunction2, left, right, first.two);
}

}  // namespace formula
