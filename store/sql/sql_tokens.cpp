#include "store/sql/sql_tokens.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "store/faults.h"

namespace dalvon::sql {
namespace {

// Character classes by table: the <cctype> ones follow the C locale, and a query is scanned
// once per row of an update.
enum CharClass : uint8_t { kDigit = 1, kNameStart = 2, kBlank = 4, kSymbol = 8 };

constexpr std::array<uint8_t, 256> makeClasses() {
    std::array<uint8_t, 256> classes{};
    for (int c = '0'; c <= '9'; ++c)
        classes[c] = kDigit;
    for (int c = 'a'; c <= 'z'; ++c)
        classes[c] = kNameStart;
    for (int c = 'A'; c <= 'Z'; ++c)
        classes[c] = kNameStart;
    classes['_'] = kNameStart;
    // Bytes of multi-byte UTF-8 characters count as letters, so "Größe" is one name.
    for (int c = 0x80; c <= 0xff; ++c)
        classes[c] = kNameStart;
    for (char c : {' ', '\t', '\n', '\v', '\f', '\r'})
        classes[static_cast<unsigned char>(c)] = kBlank;
    for (char c : {'.', ',', '(', ')', '=', '*', ';', '-', '+'})
        classes[static_cast<unsigned char>(c)] = kSymbol;
    return classes;
}

constexpr std::array<uint8_t, 256> kClasses = makeClasses();

bool is(char c, uint8_t classes) {
    return (kClasses[static_cast<unsigned char>(c)] & classes) != 0;
}
bool isDigit(char c) {
    return is(c, kDigit);
}
bool isNameStart(char c) {
    return is(c, kNameStart);
}

// Past the name that begins at `at`.
const char* skipName(const char* at, const char* end) {
    do {
        ++at;
    } while (at < end && is(*at, kNameStart | kDigit));
    return at;
}

// A digit, or a '.' before a digit, begins a number.
bool startsNumber(const char* at, const char* end) {
    return isDigit(*at) || (*at == '.' && at + 1 < end && isDigit(at[1]));
}

}  // namespace

Token TokenScanner::next() {
    // Local positions: a member would be stored back at every character.
    const char* at = m_text.data() + m_pos;
    const char* end = m_text.data() + m_text.size();
    while (at < end && is(*at, kBlank))
        ++at;
    m_pos = static_cast<size_t>(at - m_text.data());
    if (m_pos >= m_text.size())
        return Token{};
    char c = m_text[m_pos];
    if (c == '"')
        return quoted('"', TokenKind::Text, "text literal");
    if (c == '[')
        return quoted(']', TokenKind::Name, "bracketed name");
    if (startsNumber(at, end))
        return number();
    if (isNameStart(c)) {
        const char* start = at;
        at = skipName(at, end);
        m_pos = static_cast<size_t>(at - m_text.data());
        return Token{TokenKind::Name, std::string_view(start, static_cast<size_t>(at - start)), 0,
                     false};
    }
    if (is(c, kSymbol)) {
        ++m_pos;
        return Token{TokenKind::Symbol, m_text.substr(m_pos - 1, 1), 0, false};
    }
    fail("unexpected character '" + std::string(1, c) + "'");
}

Token TokenScanner::nextLiteral() {
    const char* begin = m_text.data();
    const char* end = begin + m_text.size();
    const char* at = begin + m_pos;
    while (at < end) {
        if (isNameStart(*at)) {
            at = skipName(at, end);
            continue;
        }
        if (is(*at, kBlank | kSymbol) && !startsNumber(at, end)) {
            ++at;
            continue;
        }
        // Literals, bracketed names and anything unexpected are read as next() reads them.
        m_pos = static_cast<size_t>(at - begin);
        Token token = next();
        if (token.kind == TokenKind::Text || token.kind == TokenKind::Number)
            return token;
        at = begin + m_pos;
    }
    m_pos = m_text.size();
    return Token{};
}

Token TokenScanner::quoted(char close, TokenKind kind, const char* what) {
    size_t end = m_text.find(close, m_pos + 1);
    if (end == std::string_view::npos)
        fail(std::string("unterminated ") + what);
    if (kind == TokenKind::Name && end == m_pos + 1)
        fail("empty bracketed name");  // "[]" names nothing
    Token token{kind, m_text.substr(m_pos + 1, end - m_pos - 1), 0, false};
    token.bracketed = kind == TokenKind::Name;
    m_pos = end + 1;
    return token;
}

Token TokenScanner::number() {
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

void TokenScanner::fail(const std::string& detail) const {
    throw faults::syntaxError(detail, std::string(m_text));
}

std::vector<Token> tokenize(std::string_view text) {
    std::vector<Token> tokens;
    tokens.reserve(text.size() / 4 + 2);
    TokenScanner scanner(text);
    do {
        tokens.push_back(scanner.next());
    } while (tokens.back().kind != TokenKind::End);
    return tokens;
}

}  // namespace dalvon::sql
