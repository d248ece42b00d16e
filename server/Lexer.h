#pragma once

// The T-SQL lexer: turns a batch text into tokens. It knows SQL Server's lexical rules
// (bracketed and double-quoted names, '' inside literals, N'' literals, @variables,
// -- and nested /* */ comments) and nothing about the grammar.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace server {

enum class TokenKind {
    End,
    Word,         // a keyword or a plain name; `text` as written
    QuotedName,   // [name] or "name"; `text` is the name without quotes
    Variable,     // @name or @@name; `text` includes the @ signs
    String,       // 'text' or N'text'; `text` is the value, quotes undoubled
    Integer,      // digits only
    Decimal,      // digits with a point or an exponent
    Placeholder,  // ?
    Symbol,       // operators and punctuation; `text` is the symbol
};

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;
    std::uint32_t offset = 0;  // byte offset in the batch, for statement boundaries
    // Whether this word is `name` (keywords compare without regard to letter case).
    bool is(std::string_view word) const;
    bool isSymbol(std::string_view symbol) const {
        return kind == TokenKind::Symbol && text == symbol;
    }
};

class Lexer {
  public:
    // Splits the whole text; throws Error for an unclosed literal, name or comment.
    static std::vector<Token> tokenize(std::string_view text);
};

// The text SQL Server names in "Incorrect syntax near '...'." for a token.
std::string tokenDisplay(const Token& token);

}  // namespace server
