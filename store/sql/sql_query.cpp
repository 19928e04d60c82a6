#include "store/sql/sql_query.h"

#include <array>
#include <cctype>
#include <optional>
#include <utility>

#include "platform/text.h"
#include "store/faults.h"
#include "store/sql/sql_tokens.h"

namespace dalvon::sql {
namespace {

constexpr std::array<std::string_view, 8> kReservedWords = {"SELECT", "FROM", "WHERE", "AND",
                                                            "OR",     "NOT",  "ORDER", "BY"};

bool isReserved(const Token& token) {
    if (token.kind != TokenKind::Name || token.bracketed)
        return false;
    for (std::string_view word : kReservedWords) {
        if (sameName(token.text, word))
            return true;
    }
    return false;
}

// A WHERE expression before it is checked to be a list of `field = literal` comparisons.
struct Node {
    enum class Kind { And, Equals, Field, Value };
    Kind kind = Kind::Field;
    std::vector<Node> children;
    FieldRef field;
    Literal value;
};

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text), m_tokens(tokenize(text)) {}

    Query parseQuery() {
        Query query;
        if (!takeKeyword("SELECT"))
            fail("the query does not begin with SELECT");
        parseSelectList(query);
        if (!takeKeyword("FROM"))
            failFrom("FROM was expected after the selected fields");
        if (!isName(peek()) || isReserved(peek()))
            failFrom("a table name was expected after FROM");
        query.table = std::string(take().text);
        if (takeKeyword("WHERE"))
            collectConditions(parseExpression(), query.where);
        if (takeKeyword("ORDER")) {
            if (!takeKeyword("BY"))
                fail("BY was expected after ORDER");
            parseOrderList(query.orderBy);
        }
        takeSymbol(';');
        if (peek().kind != TokenKind::End) {
            bool inFrom = query.where.empty() && query.orderBy.empty();
            std::string detail =
                "unexpected '" + std::string(peek().text) + "' after the table name";
            if (inFrom)
                failFrom(detail);
            fail("unexpected '" + std::string(peek().text) + "' at the end of the query");
        }
        return query;
    }

private:
    void parseSelectList(Query& query) {
        if (takeSymbol('*')) {
            query.selectAll = true;
            return;
        }
        if (isName(peek()) && !isReserved(peek()) && peekSymbol(1, '.') && peekSymbol(2, '*')) {
            query.selectAll = true;
            query.selectAllTable = std::string(take().text);
            m_position += 2;
            return;
        }
        do {
            query.fields.push_back(parseFieldRef("a field name was expected in the select list"));
        } while (takeSymbol(','));
    }

    void parseOrderList(std::vector<OrderKey>& keys) {
        do {
            OrderKey key{parseFieldRef("a field name was expected after ORDER BY"), false};
            if (takeKeyword("DESC")) {
                key.descending = true;
            } else {
                takeKeyword("ASC");
            }
            keys.push_back(std::move(key));
        } while (takeSymbol(','));
    }

    FieldRef parseFieldRef(const std::string& expectation) {
        if (!isName(peek()) || isReserved(peek()))
            fail(expectation);
        FieldRef ref{"", std::string(take().text)};
        if (takeSymbol('.')) {
            if (!isName(peek()) || isReserved(peek())) {
                fail("a field name was expected after '" + ref.name + ".'");
            }
            ref.table = std::move(ref.name);
            ref.name = std::string(take().text);
        }
        return ref;
    }

    Node parseExpression() {
        Node first = parseTerm();
        if (!isKeyword(peek(), "AND"))
            return first;
        Node all{Node::Kind::And, {}, {}, {}};
        all.children.push_back(std::move(first));
        while (takeKeyword("AND"))
            all.children.push_back(parseTerm());
        return all;
    }

    Node parseTerm() {
        Node left = parseOperand();
        if (!takeSymbol('='))
            return left;
        Node equals{Node::Kind::Equals, {}, {}, {}};
        equals.children.push_back(std::move(left));
        equals.children.push_back(parseOperand());
        return equals;
    }

    Node parseOperand() {
        if (takeSymbol('(')) {
            // The program nests three deep; a hostile text must not exhaust the stack.
            if (++m_depth > kMaxNesting)
                fail("parentheses nested too deeply");
            Node inner = parseExpression();
            if (!takeSymbol(')'))
                fail(describeMissing("')'"));
            --m_depth;
            return inner;
        }
        const Token& token = peek();
        if (token.kind == TokenKind::Text) {
            return valueNode(Literal{Literal::Kind::Text, std::string(take().text), 0});
        }
        if (token.kind == TokenKind::Number || token.kind == TokenKind::Symbol) {
            if (auto number = parseNumber())
                return valueNode(*number);
        }
        if (isName(token) && !isReserved(token)) {
            return Node{Node::Kind::Field, {}, parseFieldRef(""), {}};
        }
        fail(describeMissing("a field or a value"));
    }

    std::optional<Literal> parseNumber() {
        size_t start = m_position;
        std::string sign;
        if (peekSymbol(0, '-') || peekSymbol(0, '+'))
            sign = std::string(take().text);
        if (peek().kind != TokenKind::Number) {
            m_position = start;
            return std::nullopt;
        }
        const Token& digits = take();
        return Literal{Literal::Kind::Number, sign + std::string(digits.text),
                       sign == "-" ? -digits.number : digits.number};
    }

    static Node valueNode(Literal value) {
        return Node{Node::Kind::Value, {}, {}, std::move(value)};
    }

    void collectConditions(const Node& node, std::vector<Condition>& out) {
        switch (node.kind) {
            case Node::Kind::And:
                for (const Node& child : node.children)
                    collectConditions(child, out);
                return;
            case Node::Kind::Equals: {
                const Node& a = node.children[0];
                const Node& b = node.children[1];
                if (a.kind == Node::Kind::Field && b.kind == Node::Kind::Value) {
                    out.push_back(Condition{a.field, b.value});
                    return;
                }
                if (a.kind == Node::Kind::Value && b.kind == Node::Kind::Field) {
                    out.push_back(Condition{b.field, a.value});
                    return;
                }
                fail("only the comparison of a field with a value is supported");
            }
            default:
                fail("a comparison 'field = value' was expected");
        }
    }

    std::string describeMissing(const std::string& what) const {
        const Token& token = peek();
        if (token.kind == TokenKind::End)
            return what + " was expected at the end of the query";
        return what + " was expected before '" + std::string(token.text) + "'";
    }

    const Token& peek() const { return m_tokens[m_position]; }
    const Token& take() { return m_tokens[m_position++]; }
    static bool isName(const Token& token) { return token.kind == TokenKind::Name; }
    static bool isKeyword(const Token& token, std::string_view word) {
        return token.kind == TokenKind::Name && !token.bracketed && sameName(token.text, word);
    }
    bool peekSymbol(size_t ahead, char symbol) const {
        size_t index = m_position + ahead;
        return index < m_tokens.size() && m_tokens[index].kind == TokenKind::Symbol &&
               m_tokens[index].text[0] == symbol;
    }
    bool takeSymbol(char symbol) {
        if (!peekSymbol(0, symbol))
            return false;
        ++m_position;
        return true;
    }
    bool takeKeyword(std::string_view word) {
        if (!isKeyword(peek(), word))
            return false;
        ++m_position;
        return true;
    }

    [[noreturn]] void fail(const std::string& detail) const {
        throw faults::syntaxError(detail, std::string(m_text));
    }
    [[noreturn]] void failFrom(const std::string& detail) const {
        throw faults::fromClauseError(detail, std::string(m_text));
    }

    std::string_view m_text;
    std::vector<Token> m_tokens;
    size_t m_position = 0;
    static constexpr int kMaxNesting = 64;
    int m_depth = 0;
};

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
    return equalsIgnoreCase(a, b);
}

Query parse(std::string_view text) {
    return Parser(text).parseQuery();
}

}  // namespace dalvon::sql
