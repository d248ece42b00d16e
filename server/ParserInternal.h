#pragma once

// What the parser's source files share: the ParserImpl class with its token cursor, and
// the case and keyword helpers its parts use. Only the Parser*.cpp files see it.

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Ast.h"
#include "Engine.h"
#include "Lexer.h"
#include "Parser.h"

namespace server::parser_internal {

using namespace ast;

inline std::string upper(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

inline std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

// Whether a token is a reserved word (see Parser.cpp), which is never a name.
bool isReserved(const Token& t);

class ParserImpl {
  public:
    explicit ParserImpl(std::string_view text);

    Batch parseBatch();

  private:
    // The deepest the recursion may go; deeper raises the nesting error below.
    static constexpr int kMaxDepth = 200;

    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
    int placeholders_ = 0;
    int depth_ = 0;
    // The deepest level reached, and whether the nesting error was raised (even when a
    // trial caught it), since the current select began: what its remembered answer
    // depends on (ParserMemo.cpp).
    int reached_ = 0;
    bool tooDeep_ = false;
    // How many trial readings of a bracket are under way. A select that fails during one
    // is remembered by its first token with its error, so a bracket read again after a
    // failed trial costs a look-up instead of a second failing reading.
    int trials_ = 0;
    struct Failure {
        int depth = 0;  // the depth it began at
        int span = 0;   // how much deeper it went
        bool tooDeep = false;
        std::string error;
    };
    std::unordered_map<std::size_t, Failure> failures_;
    // For each token, the first token at or after it that is not an opening bracket.
    std::vector<std::size_t> pastOpenings_;

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
            if (++p.depth_ > kMaxDepth) {
                --p.depth_;
                p.tooDeep_ = true;
                throw Error(
                    "Some part of your SQL statement is nested too deeply. "
                    "Rewrite the query or break it up into smaller queries.");
            }
            p.reached_ = std::max(p.reached_, p.depth_);
        }
        ~DepthGuard() { --p.depth_; }
    };

    // ---- statements (Parser.cpp) ------------------------------------------------------
    bool startsStatement(const Token& t) const;
    void parseObjectName(std::string& name, std::string& written);
    StatementPtr parseStatement();

    // ---- remembered failures (ParserMemo.cpp) ------------------------------------------
    SelectPtr parseSelect();
    bool knownToFail();
    // A remembered failure holds at another depth unless the depth limit took part in it.
    bool holds(const Failure& f) const {
        return f.tooDeep ? f.depth == depth_ : depth_ + f.span <= kMaxDepth;
    }

    // ---- SELECT (ParserSelect.cpp) ----------------------------------------------------
    SelectPtr readSelect();
    SelectCore parseCore();
    static bool isAssignOp(const Token& t);
    SelectItem parseSelectItem();
    TableRefPtr parseTableSource();
    TableRefPtr parseTablePrimary();

    // ---- expressions (ParserExpressions.cpp) ------------------------------------------
    ExprPtr make(ExprKind kind, std::string text = {});
    ExprPtr binary(std::string op, ExprPtr a, ExprPtr b);
    ExprPtr parseExpr();
    ExprPtr parseOr();
    ExprPtr parseAnd();
    ExprPtr parseNot();
    ExprPtr parsePredicate();
    ExprPtr parseAdditive();
    ExprPtr parseMultiplicative();
    ExprPtr parseUnary();
    TypeName parseType();
    std::string parseDatePart();
    ExprPtr parsePrimary();
    ExprPtr parseFunction(std::string name);
    ExprPtr parseCase();

    // ---- data changes (Parser.cpp) ----------------------------------------------------
    void parseInsert(Statement& st);
    void parseTop(Statement& st);
    void parseUpdate(Statement& st);
    void parseDelete(Statement& st);
    void parseExec(Statement& st);
    void parseDeclare(Statement& st);
    void parseSet(Statement& st);
    void parseCreate(Statement& st);
    std::vector<std::string> parseNameList();
    void parseDrop(Statement& st);
};

}  // namespace server::parser_internal
