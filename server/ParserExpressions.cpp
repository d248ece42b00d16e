// The parser's expressions, by precedence from OR down to the primaries (literals,
// names, CAST/CONVERT, date functions, calls, CASE), and type names.

#include "ParserInternal.h"

namespace server::parser_internal {

namespace {

struct DatePartName {
    const char* alias;
    const char* part;
};
constexpr DatePartName datePartNames[] = {
    {"YEAR", "year"},
    {"YY", "year"},
    {"YYYY", "year"},
    {"QUARTER", "quarter"},
    {"QQ", "quarter"},
    {"Q", "quarter"},
    {"MONTH", "month"},
    {"MM", "month"},
    {"M", "month"},
    {"DAYOFYEAR", "dayofyear"},
    {"DY", "dayofyear"},
    {"Y", "dayofyear"},
    {"DAY", "day"},
    {"DD", "day"},
    {"D", "day"},
    {"WEEK", "week"},
    {"WK", "week"},
    {"WW", "week"},
    {"WEEKDAY", "weekday"},
    {"DW", "weekday"},
    {"HOUR", "hour"},
    {"HH", "hour"},
    {"MINUTE", "minute"},
    {"MI", "minute"},
    {"N", "minute"},
    {"SECOND", "second"},
    {"SS", "second"},
    {"S", "second"},
    {"MILLISECOND", "millisecond"},
    {"MS", "millisecond"},
};

}  // namespace

ExprPtr ParserImpl::make(ExprKind kind, std::string text) {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->text = std::move(text);
    return e;
}

ExprPtr ParserImpl::binary(std::string op, ExprPtr a, ExprPtr b) {
    auto e = make(ExprKind::Binary, std::move(op));
    e->args.push_back(std::move(a));
    e->args.push_back(std::move(b));
    return e;
}

ExprPtr ParserImpl::parseExpr() {
    DepthGuard guard(*this);
    return parseOr();
}

ExprPtr ParserImpl::parseOr() {
    ExprPtr e = parseAnd();
    while (accept("OR")) e = binary("OR", std::move(e), parseAnd());
    return e;
}

ExprPtr ParserImpl::parseAnd() {
    ExprPtr e = parseNot();
    while (accept("AND")) e = binary("AND", std::move(e), parseNot());
    return e;
}

ExprPtr ParserImpl::parseNot() {
    if (accept("NOT")) {
        DepthGuard guard(*this);
        auto e = make(ExprKind::Unary, "NOT");
        e->args.push_back(parseNot());
        return e;
    }
    return parsePredicate();
}

ExprPtr ParserImpl::parsePredicate() {
    if (peek().is("EXISTS")) {
        advance();
        expectSymbol("(");
        auto e = make(ExprKind::Exists);
        e->select = parseSelect();
        expectSymbol(")");
        return e;
    }
    ExprPtr left = parseAdditive();
    while (true) {
        const Token& t = peek();
        if (t.kind == TokenKind::Symbol &&
            (t.text == "=" || t.text == "<>" || t.text == "!=" || t.text == "<" || t.text == ">" ||
             t.text == "<=" || t.text == ">=" || t.text == "!<" || t.text == "!>")) {
            std::string op = advance().text;
            if (op == "!=") op = "<>";
            if (op == "!<") op = ">=";
            if (op == "!>") op = "<=";
            left = binary(op, std::move(left), parseAdditive());
            continue;
        }
        bool negated = false;
        std::size_t save = pos_;
        if (peek().is("NOT")) {
            advance();
            negated = true;
        }
        if (accept("IS")) {
            if (negated) fail();
            auto e = make(ExprKind::IsNull);
            e->negated = accept("NOT");
            expect("NULL");
            e->args.push_back(std::move(left));
            left = std::move(e);
            continue;
        }
        if (accept("BETWEEN")) {
            auto e = make(ExprKind::Between);
            e->negated = negated;
            e->args.push_back(std::move(left));
            e->args.push_back(parseAdditive());
            expect("AND");
            e->args.push_back(parseAdditive());
            left = std::move(e);
            continue;
        }
        if (accept("IN")) {
            expectSymbol("(");
            if (peek().is("SELECT")) {
                auto e = make(ExprKind::InSelect);
                e->negated = negated;
                e->args.push_back(std::move(left));
                e->select = parseSelect();
                expectSymbol(")");
                left = std::move(e);
            } else {
                auto e = make(ExprKind::InList);
                e->negated = negated;
                e->args.push_back(std::move(left));
                do {
                    e->args.push_back(parseExpr());
                } while (acceptSymbol(","));
                expectSymbol(")");
                left = std::move(e);
            }
            continue;
        }
        if (accept("LIKE")) {
            auto e = make(ExprKind::Like);
            e->negated = negated;
            e->args.push_back(std::move(left));
            e->args.push_back(parseAdditive());
            if (accept("ESCAPE")) e->args.push_back(parseAdditive());
            left = std::move(e);
            continue;
        }
        pos_ = save;
        break;
    }
    return left;
}

ExprPtr ParserImpl::parseAdditive() {
    ExprPtr e = parseMultiplicative();
    while (true) {
        const Token& t = peek();
        if (t.kind == TokenKind::Symbol &&
            (t.text == "+" || t.text == "-" || t.text == "&" || t.text == "|" || t.text == "^")) {
            std::string op = advance().text;
            e = binary(op, std::move(e), parseMultiplicative());
        } else {
            break;
        }
    }
    return e;
}

ExprPtr ParserImpl::parseMultiplicative() {
    ExprPtr e = parseUnary();
    while (true) {
        const Token& t = peek();
        if (t.kind == TokenKind::Symbol && (t.text == "*" || t.text == "/" || t.text == "%")) {
            std::string op = advance().text;
            e = binary(op, std::move(e), parseUnary());
        } else {
            break;
        }
    }
    return e;
}

ExprPtr ParserImpl::parseUnary() {
    const Token& t = peek();
    if (t.kind == TokenKind::Symbol && (t.text == "-" || t.text == "+" || t.text == "~")) {
        DepthGuard guard(*this);
        std::string op = advance().text;
        ExprPtr operand = parseUnary();
        if (op == "-" && !operand->parenthesized &&
            (operand->kind == ExprKind::Integer || operand->kind == ExprKind::Decimal) &&
            operand->text[0] != '-') {
            operand->text = "-" + operand->text;
            return operand;
        }
        if (op == "+") return operand;
        auto e = make(ExprKind::Unary, op);
        e->args.push_back(std::move(operand));
        return e;
    }
    return parsePrimary();
}

TypeName ParserImpl::parseType() {
    TypeName type;
    if (peek().kind != TokenKind::Word && peek().kind != TokenKind::QuotedName) fail();
    type.name = upper(advance().text);
    if (type.name == "DOUBLE" && peek().is("PRECISION")) advance();
    if (type.name == "CHARACTER" && peek().is("VARYING")) {
        advance();
        type.name = "VARCHAR";
    }
    if (acceptSymbol("(")) {
        if (accept("MAX")) {
            type.length = -1;
        } else {
            if (peek().kind != TokenKind::Integer) fail();
            type.length = std::stoi(advance().text.substr(0, 9));
            if (acceptSymbol(",")) {
                if (peek().kind != TokenKind::Integer) fail();
                type.scale = std::stoi(advance().text.substr(0, 9));
            }
        }
        expectSymbol(")");
    }
    if (Parser::typeCategory(type.name) == 0)
        throw Error("Column, parameter, or variable #1: Cannot find data type " + type.name + ".");
    return type;
}

std::string ParserImpl::parseDatePart() {
    const Token& t = peek();
    std::string word;
    if (t.kind == TokenKind::Word || t.kind == TokenKind::QuotedName) word = upper(t.text);
    for (const auto& d : datePartNames) {
        if (word == d.alias) {
            advance();
            return d.part;
        }
    }
    if (t.kind == TokenKind::Word || t.kind == TokenKind::QuotedName)
        throw Error("'" + t.text + "' is not a recognized datepart option.");
    fail();
}

ExprPtr ParserImpl::parsePrimary() {
    DepthGuard guard(*this);
    const Token& t = peek();
    switch (t.kind) {
        case TokenKind::Integer: {
            advance();
            return make(ExprKind::Integer, t.text);
        }
        case TokenKind::Decimal: {
            advance();
            return make(ExprKind::Decimal, t.text);
        }
        case TokenKind::String: {
            advance();
            return make(ExprKind::String, t.text);
        }
        case TokenKind::Placeholder: {
            advance();
            auto e = make(ExprKind::Placeholder);
            e->index = placeholders_++;
            return e;
        }
        case TokenKind::Variable: {
            advance();
            return make(ExprKind::Variable, lower(t.text));
        }
        case TokenKind::Symbol:
            if (t.text == "(") {
                advance();
                if (peek().is("SELECT")) {
                    auto e = make(ExprKind::Subquery);
                    e->select = parseSelect();
                    expectSymbol(")");
                    return e;
                }
                ExprPtr e = parseExpr();
                expectSymbol(")");
                e->parenthesized = true;
                return e;
            }
            fail();
        case TokenKind::End:
            fail();
        case TokenKind::Word:
        case TokenKind::QuotedName:
            break;
    }
    if (t.kind == TokenKind::Word) {
        if (t.is("NULL")) {
            advance();
            return make(ExprKind::Null);
        }
        if (t.is("CASE")) return parseCase();
        if (t.is("CAST") && peek(1).isSymbol("(")) {
            advance();
            advance();
            auto e = make(ExprKind::Cast);
            e->args.push_back(parseExpr());
            expect("AS");
            e->type = parseType();
            expectSymbol(")");
            return e;
        }
        if (t.is("CONVERT") && peek(1).isSymbol("(")) {
            advance();
            advance();
            auto e = make(ExprKind::Cast);
            e->type = parseType();
            expectSymbol(",");
            e->args.push_back(parseExpr());
            if (acceptSymbol(",")) e->args.push_back(parseExpr());
            expectSymbol(")");
            return e;
        }
        if ((t.is("DATEPART") || t.is("DATEADD") || t.is("DATEDIFF") || t.is("DATENAME")) &&
            peek(1).isSymbol("(")) {
            std::string fn = upper(t.text);
            advance();
            advance();
            auto e = make(ExprKind::DatePart, parseDatePart());
            e->names.push_back(fn);
            while (acceptSymbol(",")) e->args.push_back(parseExpr());
            expectSymbol(")");
            std::size_t want = fn == "DATEPART" || fn == "DATENAME" ? 1 : 2;
            if (e->args.size() != want)
                throw Error("The " + lower(fn) + " function requires " + std::to_string(want + 1) +
                            " argument(s).");
            return e;
        }
        if (isReserved(t) && !t.is("LEFT") && !t.is("RIGHT")) fail();
    }
    // a name: column, qualified column, t.*, or a function call
    std::vector<std::string> names;
    names.push_back(advance().text);
    if (peek().isSymbol("(") && names.size() == 1 && t.kind == TokenKind::Word)
        return parseFunction(upper(names[0]));
    while (peek().isSymbol(".")) {
        advance();
        if (peek().isSymbol("*")) {
            advance();
            auto e = make(ExprKind::Star);
            e->names = std::move(names);
            return e;
        }
        if (peek().isSymbol(".")) {
            names.push_back("");
            continue;
        }
        if (!isName(peek())) fail();
        names.push_back(advance().text);
    }
    if (names.size() > 4) fail();
    auto e = make(ExprKind::Column);
    e->names = std::move(names);
    return e;
}

ExprPtr ParserImpl::parseFunction(std::string name) {
    expectSymbol("(");
    auto e = make(ExprKind::Function, std::move(name));
    if (acceptSymbol(")")) return e;
    if (peek().isSymbol("*")) {
        advance();
        e->star = true;
        expectSymbol(")");
        return e;
    }
    if (accept("DISTINCT"))
        e->distinct = true;
    else
        accept("ALL");
    do {
        e->args.push_back(parseExpr());
    } while (acceptSymbol(","));
    expectSymbol(")");
    return e;
}

ExprPtr ParserImpl::parseCase() {
    advance();
    auto e = make(ExprKind::Case);
    if (!peek().is("WHEN")) {
        e->hasOperand = true;
        e->args.push_back(parseExpr());
    }
    if (!peek().is("WHEN")) fail();
    while (accept("WHEN")) {
        e->args.push_back(parseExpr());
        expect("THEN");
        e->args.push_back(parseExpr());
    }
    if (accept("ELSE")) {
        e->hasElse = true;
        e->args.push_back(parseExpr());
    }
    expect("END");
    return e;
}

}  // namespace server::parser_internal
