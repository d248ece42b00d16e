#include "Lexer.h"

#include "Engine.h"

namespace server {

namespace {

bool isWordStart(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '#' || c >= 0x80;
}

bool isWordChar(unsigned char c) {
    return isWordStart(c) || (c >= '0' && c <= '9') || c == '$' || c == '@';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

bool Token::is(std::string_view word) const {
    if (kind != TokenKind::Word || text.size() != word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        char a = text[i];
        if (a >= 'a' && a <= 'z') a = static_cast<char>(a - 'a' + 'A');
        char b = word[i];
        if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return true;
}

std::vector<Token> Lexer::tokenize(std::string_view s) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    const std::size_t n = s.size();
    auto push = [&](TokenKind kind, std::string text, std::size_t at) {
        tokens.push_back(Token{kind, std::move(text), static_cast<std::uint32_t>(at)});
    };
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v') {
            ++i;
            continue;
        }
        if (c == '-' && i + 1 < n && s[i + 1] == '-') {
            while (i < n && s[i] != '\n') ++i;
            continue;
        }
        if (c == '/' && i + 1 < n && s[i + 1] == '*') {
            // SQL Server nests block comments.
            int depth = 0;
            std::size_t j = i;
            while (j < n) {
                if (s[j] == '/' && j + 1 < n && s[j + 1] == '*') {
                    ++depth;
                    j += 2;
                } else if (s[j] == '*' && j + 1 < n && s[j + 1] == '/') {
                    --depth;
                    j += 2;
                    if (depth == 0) break;
                } else {
                    ++j;
                }
            }
            if (depth != 0) throw Error("Missing end comment mark '*/'.");
            i = j;
            continue;
        }
        const std::size_t start = i;
        if (c == '\'' || ((c == 'N' || c == 'n') && i + 1 < n && s[i + 1] == '\'')) {
            if (c != '\'') ++i;
            ++i;
            std::string value;
            bool closed = false;
            while (i < n) {
                if (s[i] == '\'') {
                    if (i + 1 < n && s[i + 1] == '\'') {
                        value += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += s[i++];
            }
            if (!closed)
                throw Error("Unclosed quotation mark after the character string '" + value + "'.");
            push(TokenKind::String, std::move(value), start);
            continue;
        }
        if (c == '[' || c == '"') {
            const char close = c == '[' ? ']' : '"';
            ++i;
            std::string value;
            bool closed = false;
            while (i < n) {
                if (s[i] == close) {
                    if (i + 1 < n && s[i + 1] == close) {
                        value += close;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                value += s[i++];
            }
            if (!closed)
                throw Error("Unclosed quotation mark after the character string '" + value + "'.");
            push(TokenKind::QuotedName, std::move(value), start);
            continue;
        }
        if (c == '@') {
            ++i;
            if (i < n && s[i] == '@') ++i;
            while (i < n && isWordChar(static_cast<unsigned char>(s[i]))) ++i;
            push(TokenKind::Variable, std::string(s.substr(start, i - start)), start);
            continue;
        }
        if (isDigit(static_cast<char>(c)) || (c == '.' && i + 1 < n && isDigit(s[i + 1]))) {
            bool decimal = false;
            while (i < n && isDigit(s[i])) ++i;
            if (i < n && s[i] == '.') {
                decimal = true;
                ++i;
                while (i < n && isDigit(s[i])) ++i;
            }
            if (i < n && (s[i] == 'e' || s[i] == 'E')) {
                std::size_t j = i + 1;
                if (j < n && (s[j] == '+' || s[j] == '-')) ++j;
                if (j < n && isDigit(s[j])) {
                    decimal = true;
                    i = j;
                    while (i < n && isDigit(s[i])) ++i;
                }
            }
            push(decimal ? TokenKind::Decimal : TokenKind::Integer,
                 std::string(s.substr(start, i - start)), start);
            continue;
        }
        if (isWordStart(c)) {
            while (i < n && isWordChar(static_cast<unsigned char>(s[i]))) ++i;
            push(TokenKind::Word, std::string(s.substr(start, i - start)), start);
            continue;
        }
        if (c == '?') {
            ++i;
            push(TokenKind::Placeholder, "?", start);
            continue;
        }
        static constexpr std::string_view twoChar[] = {"<>", "!=", "<=", ">=", "!<",
                                                       "!>", "+=", "-=", "*=", "/="};
        bool matched = false;
        if (i + 1 < n) {
            for (std::string_view op : twoChar) {
                if (s.substr(i, 2) == op) {
                    push(TokenKind::Symbol, std::string(op), start);
                    i += 2;
                    matched = true;
                    break;
                }
            }
        }
        if (matched) continue;
        ++i;
        push(TokenKind::Symbol, std::string(1, static_cast<char>(c)), start);
    }
    push(TokenKind::End, "", n);
    return tokens;
}

std::string tokenDisplay(const Token& token) {
    switch (token.kind) {
        case TokenKind::String:
            return token.text;
        case TokenKind::QuotedName:
            return token.text;
        default:
            return token.text;
    }
}

}  // namespace server
