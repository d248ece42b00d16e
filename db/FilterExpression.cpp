#include "db/FilterExpression.h"

#include <cctype>
#include <charconv>

#include "db/Error.h"

namespace db {

struct FilterExpression::Node {
    enum Kind { And, Or, Compare } kind = Compare;
    std::unique_ptr<Node> left, right;
    std::string field;
    int index = -1;
    std::string op;
    Value literal;
};

namespace {

class Parser {
  public:
    explicit Parser(const std::string& text) : s_(text) {}

    std::unique_ptr<FilterExpression::Node> parse() {
        skipBlanks();
        if (pos_ == s_.size()) return nullptr;
        auto node = orExpr();
        skipBlanks();
        if (pos_ != s_.size()) fail("unexpected text");
        return node;
    }

  private:
    using NodePtr = std::unique_ptr<FilterExpression::Node>;

    [[noreturn]] void fail(const std::string& what) const {
        throw Error("Invalid filter \"" + s_ + "\": " + what + " at position " +
                    std::to_string(pos_ + 1));
    }

    void skipBlanks() {
        while (pos_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[pos_]))) ++pos_;
    }

    bool keyword(const char* word) {
        skipBlanks();
        std::size_t n = std::char_traits<char>::length(word);
        if (s_.size() - pos_ < n) return false;
        for (std::size_t k = 0; k < n; ++k)
            if (std::tolower(static_cast<unsigned char>(s_[pos_ + k])) != word[k]) return false;
        if (pos_ + n < s_.size() && isNameChar(s_[pos_ + n])) return false;
        pos_ += n;
        return true;
    }

    static bool isNameChar(char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 0x80 || std::isalnum(u) || c == '_';
    }

    NodePtr join(FilterExpression::Node::Kind kind, NodePtr l, NodePtr r) {
        auto n = std::make_unique<FilterExpression::Node>();
        n->kind = kind;
        n->left = std::move(l);
        n->right = std::move(r);
        return n;
    }

    NodePtr orExpr() {
        auto node = andExpr();
        while (keyword("or")) node = join(FilterExpression::Node::Or, std::move(node), andExpr());
        return node;
    }

    NodePtr andExpr() {
        auto node = term();
        while (keyword("and")) node = join(FilterExpression::Node::And, std::move(node), term());
        return node;
    }

    NodePtr term() {
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '(') {
            ++pos_;
            auto node = orExpr();
            skipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != ')') fail("missing ')'");
            ++pos_;
            return node;
        }
        auto n = std::make_unique<FilterExpression::Node>();
        n->field = fieldName();
        n->op = compareOp();
        n->literal = literal();
        return n;
    }

    std::string fieldName() {
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '[') {
            std::size_t end = s_.find(']', pos_);
            if (end == std::string::npos) fail("missing ']'");
            std::string name = s_.substr(pos_ + 1, end - pos_ - 1);
            pos_ = end + 1;
            return name;
        }
        std::size_t start = pos_;
        while (pos_ < s_.size() && isNameChar(s_[pos_])) ++pos_;
        if (pos_ == start) fail("field name expected");
        return s_.substr(start, pos_ - start);
    }

    std::string compareOp() {
        skipBlanks();
        for (const char* op : {"<>", "<=", ">=", "=", "<", ">"}) {
            std::size_t n = std::char_traits<char>::length(op);
            if (s_.compare(pos_, n, op) == 0) {
                pos_ += n;
                return op;
            }
        }
        fail("comparison operator expected");
    }

    Value literal() {
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '\'') {
            std::string text;
            ++pos_;
            for (;;) {
                if (pos_ >= s_.size()) fail("unterminated text");
                if (s_[pos_] == '\'') {
                    if (pos_ + 1 < s_.size() && s_[pos_ + 1] == '\'') {
                        text += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    return text;
                }
                text += s_[pos_++];
            }
        }
        if (keyword("null")) return Value();
        std::size_t start = pos_;
        if (pos_ < s_.size() && (s_[pos_] == '-' || s_[pos_] == '+')) ++pos_;
        while (pos_ < s_.size() &&
               (std::isdigit(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '.'))
            ++pos_;
        std::string number = s_.substr(start, pos_ - start);
        std::int64_t i = 0;
        auto r = std::from_chars(number.data(), number.data() + number.size(), i);
        if (!number.empty() && r.ec == std::errc() && r.ptr == number.data() + number.size())
            return i;
        double d = 0;
        auto r2 = std::from_chars(number.data(), number.data() + number.size(), d);
        if (!number.empty() && r2.ec == std::errc() && r2.ptr == number.data() + number.size())
            return d;
        pos_ = start;
        fail("value expected");
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

void bindNode(FilterExpression::Node* n, const std::function<int(const std::string&)>& index) {
    if (!n) return;
    if (n->kind == FilterExpression::Node::Compare) {
        n->index = index(n->field);
        return;
    }
    bindNode(n->left.get(), index);
    bindNode(n->right.get(), index);
}

bool evaluate(const FilterExpression::Node* n, const std::vector<Value>& row) {
    switch (n->kind) {
        case FilterExpression::Node::And:
            return evaluate(n->left.get(), row) && evaluate(n->right.get(), row);
        case FilterExpression::Node::Or:
            return evaluate(n->left.get(), row) || evaluate(n->right.get(), row);
        default:
            break;
    }
    const Value& v = row.at(static_cast<std::size_t>(n->index));
    // "= NULL" and "<> NULL" test for emptiness; any other comparison with NULL fails.
    if (isNull(n->literal)) {
        if (n->op == "=") return isNull(v);
        if (n->op == "<>") return !isNull(v);
        return false;
    }
    if (isNull(v)) return n->op == "<>";
    int c = compareValues(v, n->literal);
    if (n->op == "=") return c == 0;
    if (n->op == "<>") return c != 0;
    if (n->op == "<") return c < 0;
    if (n->op == ">") return c > 0;
    if (n->op == "<=") return c <= 0;
    return c >= 0;
}

}  // namespace

FilterExpression::FilterExpression(const std::string& text) : root_(Parser(text).parse()) {}
FilterExpression::FilterExpression() = default;
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

void FilterExpression::bind(const std::function<int(const std::string&)>& fieldIndex) {
    bindNode(root_.get(), fieldIndex);
}

bool FilterExpression::matches(const std::vector<Value>& row) const {
    return !root_ || evaluate(root_.get(), row);
}

}  // namespace db
