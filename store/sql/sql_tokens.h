#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dalvon::sql {

enum class TokenKind { Name, Text, Number, Symbol, End };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string_view text;   // name (without brackets), text literal, number as written, symbol;
                             // a view into the tokenized text
    double number = 0;       // value of a Number
    bool bracketed = false;  // a [name] is never a keyword
};

// Splits a query into tokens (which point into `text`), closed by one End token. Symbols are single
// characters of
// ".,()=*;-+". A text literal runs from a double quote to the next one, without escapes.
// Throws Fault 3075 (quoting `text`) for an unterminated literal or a character outside the
// subset.
std::vector<Token> tokenize(std::string_view text);

// Reads the tokens of a query one at a time, as tokenize does.
class TokenScanner {
public:
    // Reads from `from` on, which must be where a token may begin (0, or right after a token).
    explicit TokenScanner(std::string_view text, size_t from = 0) : m_text(text), m_pos(from) {}
    // The next token; an End token once the text is used up.
    Token next();
    // The next literal (Text or Number token), passing over the tokens between as next() would;
    // an End token once the text is used up.
    Token nextLiteral();

private:
    Token quoted(char close, TokenKind kind, const char* what);
    Token number();
    [[noreturn]] void fail(const std::string& detail) const;

    std::string_view m_text;
    size_t m_pos;
};

}  // namespace dalvon::sql
