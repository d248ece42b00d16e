#include "Parser.h"

#include <algorithm>
#include <array>

#include "Engine.h"

namespace server {

using namespace ast;

namespace {

std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

// Words that end an expression or a name list: they can never be an implicit alias.
constexpr std::array reservedWords = {
    "ADD",      "ALL",         "ALTER",    "AND",       "ANY",        "AS",        "ASC",
    "BEGIN",    "BETWEEN",     "BREAK",    "BY",        "CASE",       "CHECK",     "COLLATE",
    "COMMIT",   "CONSTRAINT",  "CONTINUE", "CONVERT",   "CREATE",     "CROSS",     "CURRENT",
    "DECLARE",  "DEFAULT",     "DELETE",   "DESC",      "DISTINCT",   "DROP",      "ELSE",
    "END",      "EXCEPT",      "EXEC",     "EXECUTE",   "EXISTS",     "FOR",       "FOREIGN",
    "FROM",     "FULL",        "GO",       "GOTO",      "GROUP",      "HAVING",    "IDENTITY",
    "IF",       "IN",          "INDEX",    "INNER",     "INSERT",     "INTERSECT", "INTO",
    "IS",       "JOIN",        "KEY",      "LEFT",      "LIKE",       "NOT",       "NULL",
    "OF",       "OFF",         "ON",       "OPTION",    "OR",         "ORDER",     "OUTER",
    "PERCENT",  "PRIMARY",     "PRINT",    "PROCEDURE", "REFERENCES", "RETURN",    "RIGHT",
    "ROLLBACK", "SELECT",      "SET",      "SOME",      "TABLE",      "THEN",      "TOP",
    "TRAN",     "TRANSACTION", "TRUNCATE", "UNION",     "UNIQUE",     "UPDATE",    "USE",
    "VALUES",   "VIEW",        "WHEN",     "WHERE",     "WHILE",      "WITH",
};

bool isReserved(const Token& t) {
    if (t.kind != TokenKind::Word) return false;
    return std::any_of(reservedWords.begin(), reservedWords.end(),
                       [&](const char* w) { return t.is(w); });
}

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

class ParserImpl {
  public:
    explicit ParserImpl(std::string_view text) : tokens_(Lexer::tokenize(text)) {}

    Batch parseBatch() {
        Batch batch;
        while (true) {
            while (peek().isSymbol(";")) advance();
            if (peek().kind == TokenKind::End) break;
            batch.statements.push_back(parseStatement());
        }
        batch.placeholders = placeholders_;
        return batch;
    }

  private:
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    int placeholders_ = 0;
    int depth_ = 0;

    const Token& peek(std::size_t ahead = 0) const {
        std::size_t i = std::min(pos_ + ahead, tokens_.size() - 1);
        return tokens_[i];
    }
    const Token& advance() {
        const Token& t = tokens_[pos_];
        if (pos_ + 1 < tokens_.size()) ++pos_;
        return t;
    }
    bool accept(std::string_view word) {
        if (peek().is(word)) {
            advance();
            return true;
        }
        return false;
    }
    bool acceptSymbol(std::string_view s) {
        if (peek().isSymbol(s)) {
            advance();
            return true;
        }
        return false;
    }
    [[noreturn]] void fail() const { fail(peek()); }
    [[noreturn]] void fail(const Token& at) const {
        const Token* t = &at;
        if (t->kind == TokenKind::End && pos_ > 0) t = &tokens_[pos_ - 1];
        if (t->kind == TokenKind::End) throw Error("Incorrect syntax near ''.");
        if (isReserved(*t)) throw Error("Incorrect syntax near the keyword '" + t->text + "'.");
        throw Error("Incorrect syntax near '" + tokenDisplay(*t) + "'.");
    }
    void expect(std::string_view word) {
        if (!accept(word)) fail();
    }
    void expectSymbol(std::string_view s) {
        if (!acceptSymbol(s)) fail();
    }
    bool isName(const Token& t) const {
        return t.kind == TokenKind::QuotedName || (t.kind == TokenKind::Word && !isReserved(t));
    }
    std::string expectName() {
        if (!isName(peek())) fail();
        return advance().text;
    }

    // Guards the recursion so a hostile text cannot exhaust the stack.
    struct DepthGuard {
        ParserImpl& p;
        explicit DepthGuard(ParserImpl& parser) : p(parser) {
            if (++p.depth_ > 200) {
                --p.depth_;
                throw Error(
                    "Some part of your SQL statement is nested too deeply. "
                    "Rewrite the query or break it up into smaller queries.");
            }
        }
        ~DepthGuard() { --p.depth_; }
    };

    bool startsStatement(const Token& t) const {
        static constexpr std::array words = {"SELECT",  "INSERT",  "UPDATE",   "DELETE", "EXEC",
                                             "EXECUTE", "DECLARE", "SET",      "CREATE", "DROP",
                                             "BEGIN",   "COMMIT",  "ROLLBACK", "RETURN", "IF",
                                             "PRINT",   "END",     "ELSE",     "WITH"};
        return std::any_of(words.begin(), words.end(), [&](const char* w) { return t.is(w); });
    }

    // Object names: [catalog.][schema.]name; the catalog must be QOR, the schema dbo.
    void parseObjectName(std::string& name, std::string& written) {
        std::vector<std::string> parts;
        parts.push_back(expectName());
        while (peek().isSymbol(".")) {
            advance();
            if (peek().isSymbol(".")) {
                parts.push_back("");  // qor..x
                continue;
            }
            parts.push_back(expectName());
        }
        written.clear();
        for (std::size_t i = 0; i < parts.size(); ++i) written += (i ? "." : "") + parts[i];
        if (parts.size() > 3) throw Error("Invalid object name '" + written + "'.");
        bool ok = true;
        if (parts.size() >= 2) {
            const std::string& schema = parts[parts.size() - 2];
            if (!schema.empty() && lower(schema) != "dbo") ok = false;
        }
        if (parts.size() == 3 && lower(parts[0]) != "qor") ok = false;
        if (!ok) throw Error("Invalid object name '" + written + "'.");
        name = parts.back();
    }

    StatementPtr parseStatement() {
        DepthGuard guard(*this);
        auto st = std::make_unique<Statement>();
        st->offset = peek().offset;
        const Token& t = peek();
        if (t.is("SELECT") || t.isSymbol("(")) {
            st->kind = Statement::Kind::Select;
            st->select = parseSelect();
        } else if (t.is("INSERT")) {
            parseInsert(*st);
        } else if (t.is("UPDATE")) {
            parseUpdate(*st);
        } else if (t.is("DELETE")) {
            parseDelete(*st);
        } else if (t.is("EXEC") || t.is("EXECUTE")) {
            parseExec(*st);
        } else if (t.is("DECLARE")) {
            parseDeclare(*st);
        } else if (t.is("SET")) {
            parseSet(*st);
        } else if (t.is("CREATE")) {
            parseCreate(*st);
        } else if (t.is("DROP")) {
            parseDrop(*st);
        } else if (t.is("BEGIN")) {
            advance();
            if (accept("TRAN") || accept("TRANSACTION")) {
                st->kind = Statement::Kind::Begin;
                if (isName(peek())) advance();
            } else {
                st->kind = Statement::Kind::Block;
                while (!peek().is("END")) {
                    if (peek().kind == TokenKind::End) fail();
                    if (acceptSymbol(";")) continue;
                    st->body.push_back(parseStatement());
                }
                advance();
            }
        } else if (t.is("COMMIT") || t.is("ROLLBACK")) {
            st->kind = t.is("COMMIT") ? Statement::Kind::Commit : Statement::Kind::Rollback;
            advance();
            if (accept("TRAN") || accept("TRANSACTION") || accept("WORK")) {
                if (isName(peek()) && !startsStatement(peek())) advance();
            }
        } else if (t.is("RETURN")) {
            advance();
            st->kind = Statement::Kind::Return;
            if (peek().kind != TokenKind::End && !peek().isSymbol(";") && !startsStatement(peek()))
                st->value = parseExpr();
        } else if (t.is("PRINT")) {
            advance();
            st->kind = Statement::Kind::Print;
            st->value = parseExpr();
        } else if (t.is("IF")) {
            advance();
            st->kind = Statement::Kind::If;
            st->condition = parseExpr();
            st->body.push_back(parseStatement());
            while (peek().isSymbol(";")) advance();
            if (accept("ELSE")) st->body.push_back(parseStatement());
        } else {
            fail();
        }
        return st;
    }

    // ---- SELECT -------------------------------------------------------------------

    SelectPtr parseSelect() {
        DepthGuard guard(*this);
        auto sel = std::make_unique<Select>();
        sel->cores.push_back(parseCore());
        while (true) {
            if (peek().is("UNION")) {
                advance();
                sel->setOps.push_back(accept("ALL") ? "UNION ALL" : "UNION");
            } else if (peek().is("EXCEPT")) {
                advance();
                sel->setOps.push_back("EXCEPT");
            } else if (peek().is("INTERSECT")) {
                advance();
                sel->setOps.push_back("INTERSECT");
            } else {
                break;
            }
            sel->cores.push_back(parseCore());
        }
        if (accept("ORDER")) {
            expect("BY");
            do {
                OrderItem item;
                item.expr = parseExpr();
                if (accept("DESC"))
                    item.descending = true;
                else
                    accept("ASC");
                sel->orderBy.push_back(std::move(item));
            } while (acceptSymbol(","));
        }
        return sel;
    }

    SelectCore parseCore() {
        SelectCore core;
        if (peek().isSymbol("(")) {
            advance();
            core.parenthesized = parseSelect();
            expectSymbol(")");
            return core;
        }
        expect("SELECT");
        if (accept("DISTINCT"))
            core.distinct = true;
        else
            accept("ALL");
        if (accept("TOP")) {
            if (acceptSymbol("(")) {
                core.top = parseExpr();
                expectSymbol(")");
            } else {
                core.top = parsePrimary();
            }
            if (accept("PERCENT")) core.topPercent = true;
            if (accept("WITH")) expect("TIES");
        }
        do {
            core.items.push_back(parseSelectItem());
        } while (acceptSymbol(","));
        if (accept("FROM")) {
            do {
                core.from.push_back(parseTableSource());
            } while (acceptSymbol(","));
        }
        if (accept("WHERE")) core.where = parseExpr();
        if (accept("GROUP")) {
            expect("BY");
            do {
                core.groupBy.push_back(parseExpr());
            } while (acceptSymbol(","));
        }
        if (accept("HAVING")) core.having = parseExpr();
        return core;
    }

    static bool isAssignOp(const Token& t) {
        return t.kind == TokenKind::Symbol && (t.text == "=" || t.text == "+=" || t.text == "-=" ||
                                               t.text == "*=" || t.text == "/=");
    }

    SelectItem parseSelectItem() {
        SelectItem item;
        const Token& t = peek();
        if (t.kind == TokenKind::Variable && isAssignOp(peek(1))) {
            item.assignTo = lower(advance().text);
            item.assignOp = advance().text;
            item.expr = parseExpr();
            return item;
        }
        if ((isName(t) || t.kind == TokenKind::String) && peek(1).isSymbol("=")) {
            item.alias = advance().text;
            advance();
            item.expr = parseExpr();
            return item;
        }
        if (t.isSymbol("*")) {
            advance();
            item.expr = std::make_unique<Expr>();
            item.expr->kind = ExprKind::Star;
            return item;
        }
        item.expr = parseExpr();
        if (accept("AS")) {
            if (peek().kind == TokenKind::String || isName(peek()))
                item.alias = advance().text;
            else
                fail();
        } else if (isName(peek()) || peek().kind == TokenKind::String) {
            item.alias = advance().text;
        }
        return item;
    }

    TableRefPtr parseTableSource() {
        DepthGuard guard(*this);
        TableRefPtr left = parseTablePrimary();
        while (true) {
            std::string type;
            if (peek().is("JOIN")) {
                type = "INNER";
            } else if (peek().is("INNER") && peek(1).is("JOIN")) {
                advance();
                type = "INNER";
            } else if ((peek().is("LEFT") || peek().is("RIGHT") || peek().is("FULL")) &&
                       (peek(1).is("JOIN") || (peek(1).is("OUTER") && peek(2).is("JOIN")))) {
                type = upper(advance().text);
                accept("OUTER");
            } else if (peek().is("CROSS") && peek(1).is("JOIN")) {
                advance();
                type = "CROSS";
            } else {
                break;
            }
            expect("JOIN");
            auto join = std::make_unique<TableRef>();
            join->kind = TableRef::Kind::Join;
            join->joinType = type;
            join->left = std::move(left);
            join->right = parseTablePrimary();
            if (type != "CROSS") {
                expect("ON");
                join->on = parseExpr();
            }
            left = std::move(join);
        }
        return left;
    }

    TableRefPtr parseTablePrimary() {
        auto ref = std::make_unique<TableRef>();
        if (peek().isSymbol("(")) {
            advance();
            if (peek().is("SELECT") || peek().isSymbol("(")) {
                // a derived table, possibly a parenthesized compound
                std::size_t save = pos_;
                if (peek().isSymbol("(")) {
                    // could be a nested join in parentheses: try a select first
                    try {
                        ref->kind = TableRef::Kind::Subquery;
                        ref->select = parseSelect();
                    } catch (const Error&) {
                        pos_ = save;
                        TableRefPtr inner = parseTableSource();
                        expectSymbol(")");
                        return inner;
                    }
                } else {
                    ref->kind = TableRef::Kind::Subquery;
                    ref->select = parseSelect();
                }
                expectSymbol(")");
            } else {
                TableRefPtr inner = parseTableSource();
                expectSymbol(")");
                return inner;
            }
        } else {
            parseObjectName(ref->name, ref->written);
            if (acceptSymbol("(")) {
                ref->kind = TableRef::Kind::Function;
                if (!peek().isSymbol(")")) {
                    do {
                        ref->args.push_back(parseExpr());
                    } while (acceptSymbol(","));
                }
                expectSymbol(")");
            }
        }
        if (accept("AS"))
            ref->alias = expectName();
        else if (isName(peek()))
            ref->alias = advance().text;
        if (ref->kind == TableRef::Kind::Subquery && ref->alias.empty()) fail();
        if (peek().is("WITH") && peek(1).isSymbol("(")) {
            // table hints such as WITH (NOLOCK) mean nothing on a single-file server
            advance();
            advance();
            while (!peek().isSymbol(")")) {
                if (peek().kind == TokenKind::End) fail();
                advance();
            }
            advance();
        }
        return ref;
    }

    // ---- expressions --------------------------------------------------------------

    ExprPtr make(ExprKind kind, std::string text = {}) {
        auto e = std::make_unique<Expr>();
        e->kind = kind;
        e->text = std::move(text);
        return e;
    }

    ExprPtr binary(std::string op, ExprPtr a, ExprPtr b) {
        auto e = make(ExprKind::Binary, std::move(op));
        e->args.push_back(std::move(a));
        e->args.push_back(std::move(b));
        return e;
    }

    ExprPtr parseExpr() {
        DepthGuard guard(*this);
        return parseOr();
    }

    ExprPtr parseOr() {
        ExprPtr e = parseAnd();
        while (accept("OR")) e = binary("OR", std::move(e), parseAnd());
        return e;
    }

    ExprPtr parseAnd() {
        ExprPtr e = parseNot();
        while (accept("AND")) e = binary("AND", std::move(e), parseNot());
        return e;
    }

    ExprPtr parseNot() {
        if (accept("NOT")) {
            DepthGuard guard(*this);
            auto e = make(ExprKind::Unary, "NOT");
            e->args.push_back(parseNot());
            return e;
        }
        return parsePredicate();
    }

    ExprPtr parsePredicate() {
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
                (t.text == "=" || t.text == "<>" || t.text == "!=" || t.text == "<" ||
                 t.text == ">" || t.text == "<=" || t.text == ">=" || t.text == "!<" ||
                 t.text == "!>")) {
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

    ExprPtr parseAdditive() {
        ExprPtr e = parseMultiplicative();
        while (true) {
            const Token& t = peek();
            if (t.kind == TokenKind::Symbol && (t.text == "+" || t.text == "-" || t.text == "&" ||
                                                t.text == "|" || t.text == "^")) {
                std::string op = advance().text;
                e = binary(op, std::move(e), parseMultiplicative());
            } else {
                break;
            }
        }
        return e;
    }

    ExprPtr parseMultiplicative() {
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

    ExprPtr parseUnary() {
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

    TypeName parseType() {
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
            throw Error("Column, parameter, or variable #1: Cannot find data type " + type.name +
                        ".");
        return type;
    }

    std::string parseDatePart() {
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

    ExprPtr parsePrimary() {
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
                    throw Error("The " + lower(fn) + " function requires " +
                                std::to_string(want + 1) + " argument(s).");
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

    ExprPtr parseFunction(std::string name) {
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

    ExprPtr parseCase() {
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

    // ---- data changes -----------------------------------------------------------

    void parseInsert(Statement& st) {
        st.kind = Statement::Kind::Insert;
        advance();
        accept("INTO");
        parseObjectName(st.table, st.tableWritten);
        if (peek().isSymbol("(") && !peek(1).is("SELECT")) {
            advance();
            do {
                st.columns.push_back(expectName());
            } while (acceptSymbol(","));
            expectSymbol(")");
        }
        if (accept("VALUES")) {
            do {
                expectSymbol("(");
                std::vector<ExprPtr> row;
                do {
                    if (peek().is("DEFAULT")) {
                        advance();
                        row.push_back(nullptr);
                    } else {
                        row.push_back(parseExpr());
                    }
                } while (acceptSymbol(","));
                expectSymbol(")");
                st.rows.push_back(std::move(row));
            } while (acceptSymbol(","));
        } else if (peek().is("SELECT") || peek().isSymbol("(")) {
            st.select = parseSelect();
        } else if (accept("DEFAULT")) {
            expect("VALUES");
            st.defaultValues = true;
        } else {
            fail();
        }
    }

    void parseTop(Statement& st) {
        if (accept("TOP")) {
            expectSymbol("(");
            st.top = parseExpr();
            expectSymbol(")");
        }
    }

    void parseUpdate(Statement& st) {
        st.kind = Statement::Kind::Update;
        advance();
        parseTop(st);
        parseObjectName(st.table, st.tableWritten);
        expect("SET");
        do {
            std::string column;
            if (peek().kind == TokenKind::Variable) {
                column = lower(advance().text);
            } else {
                column = expectName();
                while (acceptSymbol(".")) column = expectName();  // t.col, dbo.t.col
            }
            const Token& op = peek();
            if (!isAssignOp(op)) fail();
            std::string opText = advance().text;
            ExprPtr value;
            if (opText != "=") {
                auto col = make(ExprKind::Column);
                col->names.push_back(column);
                value = binary(opText.substr(0, 1), std::move(col), parseExpr());
            } else if (peek().is("DEFAULT")) {
                advance();
                value = nullptr;
            } else {
                value = parseExpr();
            }
            st.assignments.emplace_back(column, std::move(value));
        } while (acceptSymbol(","));
        if (accept("FROM")) {
            do {
                st.from.push_back(parseTableSource());
            } while (acceptSymbol(","));
        }
        if (accept("WHERE")) st.where = parseExpr();
    }

    void parseDelete(Statement& st) {
        st.kind = Statement::Kind::Delete;
        advance();
        parseTop(st);
        accept("FROM");
        parseObjectName(st.table, st.tableWritten);
        if (accept("FROM")) {
            do {
                st.from.push_back(parseTableSource());
            } while (acceptSymbol(","));
        }
        if (accept("WHERE")) st.where = parseExpr();
    }

    void parseExec(Statement& st) {
        st.kind = Statement::Kind::Exec;
        advance();
        if (peek().kind == TokenKind::Variable && peek(1).isSymbol("=")) {
            st.returnVariable = lower(advance().text);
            advance();
        }
        parseObjectName(st.procedure, st.procedureWritten);
        if (peek().isSymbol(";") && peek(1).kind == TokenKind::Integer) {
            advance();
            st.procedureNumber = std::stoi(advance().text.substr(0, 9));
            st.procedureWritten += ";" + std::to_string(st.procedureNumber);
        }
        auto atArgEnd = [&] {
            const Token& t = peek();
            return t.kind == TokenKind::End || t.isSymbol(";") ||
                   (t.kind == TokenKind::Word && startsStatement(t));
        };
        if (atArgEnd()) return;
        do {
            ProcArg arg;
            if (peek().kind == TokenKind::Variable && peek(1).isSymbol("=")) {
                arg.name = lower(advance().text);
                advance();
            }
            if (peek().is("DEFAULT")) {
                advance();
            } else if (peek().kind == TokenKind::Word && !isReserved(peek()) &&
                       !peek(1).isSymbol("(") && !peek(1).isSymbol(".")) {
                // EXEC p abc: a bare word is a character string, as in SQL Server
                arg.value = make(ExprKind::String, advance().text);
            } else {
                arg.value = parseExpr();
            }
            if (accept("OUTPUT") || accept("OUT")) arg.output = true;
            st.args.push_back(std::move(arg));
        } while (acceptSymbol(","));
    }

    void parseDeclare(Statement& st) {
        st.kind = Statement::Kind::Declare;
        advance();
        do {
            if (peek().kind != TokenKind::Variable) fail();
            Declaration d;
            d.name = lower(advance().text);
            accept("AS");
            d.type = parseType();
            if (acceptSymbol("=")) d.init = parseExpr();
            st.declarations.push_back(std::move(d));
        } while (acceptSymbol(","));
    }

    void parseSet(Statement& st) {
        advance();
        if (peek().kind == TokenKind::Variable) {
            st.kind = Statement::Kind::SetVariable;
            st.variable = lower(advance().text);
            if (!isAssignOp(peek())) fail();
            st.assignOp = advance().text;
            st.value = parseExpr();
            return;
        }
        st.kind = Statement::Kind::SetOption;
        if (peek().kind != TokenKind::Word) fail();
        st.option = upper(advance().text);
        if (st.option == "TRANSACTION") {
            // SET TRANSACTION ISOLATION LEVEL ...: one writer at a time anyway
            expect("ISOLATION");
            expect("LEVEL");
            while (peek().kind == TokenKind::Word && !startsStatement(peek())) advance();
            return;
        }
        const Token& v = peek();
        if (v.kind == TokenKind::Word || v.kind == TokenKind::Integer ||
            v.kind == TokenKind::String || v.kind == TokenKind::QuotedName) {
            st.optionValue = upper(advance().text);
        } else {
            fail();
        }
    }

    void parseCreate(Statement& st) {
        advance();
        if (accept("TABLE")) {
            st.kind = Statement::Kind::CreateTable;
            parseObjectName(st.table, st.tableWritten);
            expectSymbol("(");
            do {
                if (peek().is("CONSTRAINT")) {
                    advance();
                    expectName();
                }
                if (accept("PRIMARY")) {
                    expect("KEY");
                    accept("CLUSTERED") || accept("NONCLUSTERED");
                    st.primaryKey = parseNameList();
                    continue;
                }
                if (accept("UNIQUE")) {
                    accept("CLUSTERED") || accept("NONCLUSTERED");
                    TableConstraint c;
                    c.kind = TableConstraint::Kind::Unique;
                    c.columns = parseNameList();
                    st.constraints.push_back(std::move(c));
                    continue;
                }
                if (accept("FOREIGN")) {
                    expect("KEY");
                    TableConstraint c;
                    c.kind = TableConstraint::Kind::ForeignKey;
                    c.columns = parseNameList();
                    expect("REFERENCES");
                    std::string written;
                    parseObjectName(c.references, written);
                    if (peek().isSymbol("(")) c.referencesColumns = parseNameList();
                    st.constraints.push_back(std::move(c));
                    continue;
                }
                if (accept("CHECK")) {
                    TableConstraint c;
                    c.kind = TableConstraint::Kind::Check;
                    expectSymbol("(");
                    c.check = parseExpr();
                    expectSymbol(")");
                    st.constraints.push_back(std::move(c));
                    continue;
                }
                ColumnDef col;
                col.name = expectName();
                col.type = parseType();
                while (true) {
                    if (accept("IDENTITY")) {
                        col.identity = true;
                        if (acceptSymbol("(")) {
                            while (!peek().isSymbol(")")) {
                                if (peek().kind == TokenKind::End) fail();
                                advance();
                            }
                            advance();
                        }
                    } else if (accept("NOT")) {
                        expect("NULL");
                        col.notNull = true;
                    } else if (accept("NULL")) {
                    } else if (accept("PRIMARY")) {
                        expect("KEY");
                        accept("CLUSTERED") || accept("NONCLUSTERED");
                        col.primaryKey = true;
                    } else if (accept("UNIQUE")) {
                        col.unique = true;
                    } else if (accept("DEFAULT")) {
                        col.defaultValue = parseUnary();
                    } else if (accept("CONSTRAINT")) {
                        expectName();
                    } else if (accept("REFERENCES")) {
                        std::string written;
                        parseObjectName(col.references, written);
                        if (acceptSymbol("(")) {
                            col.referencesColumn = expectName();
                            expectSymbol(")");
                        }
                    } else if (accept("CHECK")) {
                        expectSymbol("(");
                        col.check = parseExpr();
                        expectSymbol(")");
                    } else if (accept("COLLATE")) {
                        expectName();
                    } else {
                        break;
                    }
                }
                st.columnDefs.push_back(std::move(col));
            } while (acceptSymbol(","));
            expectSymbol(")");
            return;
        }
        if (accept("VIEW")) {
            st.kind = Statement::Kind::CreateView;
            parseObjectName(st.table, st.tableWritten);
            expect("AS");
            st.select = parseSelect();
            return;
        }
        bool unique = accept("UNIQUE");
        accept("CLUSTERED") || accept("NONCLUSTERED");
        if (accept("INDEX")) {
            st.kind = Statement::Kind::CreateIndex;
            st.unique = unique;
            st.indexName = expectName();
            expect("ON");
            parseObjectName(st.table, st.tableWritten);
            expectSymbol("(");
            do {
                st.columns.push_back(expectName());
                accept("ASC") || accept("DESC");
            } while (acceptSymbol(","));
            expectSymbol(")");
            return;
        }
        fail();
    }

    // ( name [ASC|DESC], ... )
    std::vector<std::string> parseNameList() {
        std::vector<std::string> names;
        expectSymbol("(");
        do {
            names.push_back(expectName());
            accept("ASC") || accept("DESC");
        } while (acceptSymbol(","));
        expectSymbol(")");
        return names;
    }

    void parseDrop(Statement& st) {
        advance();
        st.kind = Statement::Kind::Drop;
        if (accept("TABLE"))
            st.dropKind = "TABLE";
        else if (accept("VIEW"))
            st.dropKind = "VIEW";
        else if (accept("INDEX"))
            st.dropKind = "INDEX";
        else
            fail();
        if (peek().is("IF") && peek(1).is("EXISTS")) {
            advance();
            advance();
            st.ifExists = true;
        }
        parseObjectName(st.table, st.tableWritten);
        if (st.dropKind == "INDEX" && accept("ON")) {
            std::string table, written;
            parseObjectName(table, written);
        }
    }
};

}  // namespace

Batch Parser::parse(std::string_view text) {
    return ParserImpl(text).parseBatch();
}

int Parser::typeCategory(const std::string& n) {
    static constexpr std::array ints = {"INT", "INTEGER", "BIGINT", "SMALLINT", "TINYINT", "BIT"};
    static constexpr std::array floats = {"FLOAT", "REAL",       "DECIMAL", "NUMERIC",
                                          "MONEY", "SMALLMONEY", "DOUBLE",  "DEC"};
    static constexpr std::array texts = {"CHAR", "VARCHAR", "NCHAR",   "NVARCHAR",
                                         "TEXT", "NTEXT",   "SYSNAME", "UNIQUEIDENTIFIER"};
    static constexpr std::array dates = {"DATETIME", "DATE", "SMALLDATETIME", "DATETIME2", "TIME"};
    auto in = [&](const auto& list) {
        return std::any_of(list.begin(), list.end(), [&](const char* w) { return n == w; });
    };
    if (in(ints)) return static_cast<int>(Type::Integer);
    if (in(floats)) return static_cast<int>(Type::Float);
    if (in(texts)) return static_cast<int>(Type::Text);
    if (in(dates)) return static_cast<int>(Type::DateTime);
    return 0;
}

}  // namespace server
