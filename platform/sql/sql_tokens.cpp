#include "platform/sql/sql_tokens.h"

#include <charconv>

#include "platform/fault.h"

namespace dalvon::sql {
namespace {

// ASCII classes by hand: the <cctype> ones follow the C locale.
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isNameStart(char c) {
    // Bytes of multi-byte UTF-8 characters count as letters, so "Größe" is one name.
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
           static_cast<unsigned char>(c) >= 0x80;
}
bool isNamePart(char c) {
    return isNameStart(c) || isDigit(c);
}
bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

class Tokenizer {
public:
    explicit Tokenizer(std::string_view text) : m_text(text) {}

    std::vector<Token> run() {
        std::vector<Token> tokens;
        tokens.reserve(m_text.size() / 4 + 2);
        while (skipBlanks())
            tokens.push_back(next());
        tokens.push_back(Token{});
        return tokens;
    }

private:
    bool skipBlanks() {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos]))
            ++m_pos;
        return m_pos < m_text.size();
    }

    Token next() {
        char c = m_text[m_pos];
        if (c == '"')
            return quoted('"', TokenKind::Text, "text literal");
        if (c == '[')
            return quoted(']', TokenKind::Name, "bracketed name");
        if (isDigit(c) || (c == '.' && m_pos + 1 < m_text.size() && isDigit(m_text[m_pos + 1]))) {
            return number();
        }
        if (isNameStart(c)) {
            size_t start = m_pos;
            while (m_pos < m_text.size() && isNamePart(m_text[m_pos]))
                ++m_pos;
            return Token{TokenKind::Name, m_text.substr(start, m_pos - start), 0, false};
        }
        if (std::string_view(".,()=*;-+").find(c) != std::string_view::npos) {
            ++m_pos;
            return Token{TokenKind::Symbol, m_text.substr(m_pos - 1, 1), 0, false};
        }
        fail("unexpected character '" + std::string(1, c) + "'");
    }

    Token quoted(char close, TokenKind kind, const char* what) {
        size_t end = m_text.find(close, m_pos + 1);
        if (end == std::string_view::npos)
            fail(std::string("unterminated ") + what);
        Token token{kind, m_text.substr(m_pos + 1, end - m_pos - 1), 0, false};
        token.bracketed = kind == TokenKind::Name;
        m_pos = end + 1;
        return token;
    }

    Token number() {
        size_t start = m_pos;
        while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
            ++m_pos;
        if (m_pos < m_text.size() && m_text[m_pos] == '.') {
            ++m_pos;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                ++m_pos;
        }
        if (m_pos < m_text.size() && (m_text[m_pos] == 'e' || m_text[m_pos] == 'E')) {
            size_t mark = m_pos++;
            if (m_pos < m_text.size() && (m_text[m_pos] == '+' || m_text[m_pos] == '-'))
                ++m_pos;
            if (m_pos >= m_text.size() || !isDigit(m_text[m_pos]))
                m_pos = mark;
            while (m_pos < m_text.size() && isDigit(m_text[m_pos]))
                ++m_pos;
        }
        if (m_pos < m_text.size() && isNameStart(m_text[m_pos])) {
            fail("a number runs into a name");
        }
        std::string_view written = m_text.substr(start, m_pos - start);
        // from_chars ignores the C locale, which a window toolkit may have set to a comma.
        double value = 0;
        std::from_chars(written.data(), written.data() + written.size(), value);
        return Token{TokenKind::Number, written, value, false};
    }

    [[noreturn]] void fail(const std::string& detail) const {
        throw Fault(
            3075, "DAO.Database",
            "Syntax error (" + detail + ") in query expression '" + std::string(m_text) + "'.");
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

}  // namespace

std::vector<Token> tokenize(std::string_view text) {
    return Tokenizer(text).run();
}

}  // namespace dalvon::sql
