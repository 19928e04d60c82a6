#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dalvon::sql {

// A field named in a query, optionally qualified by its table ("PRESET_DEFS.ID").
struct FieldRef {
    std::string table;  // empty when unqualified
    std::string name;
    bool operator==(const FieldRef&) const = default;
};

// A literal of a comparison: a text in double quotes or an unquoted decimal number.
struct Literal {
    enum class Kind { Text, Number };
    Kind kind = Kind::Text;
    std::string text;   // the text, or the number as written
    double number = 0;  // the number's value (Kind::Number only)
    bool operator==(const Literal&) const = default;
};

// One `field = literal` comparison of the WHERE clause.
struct Condition {
    FieldRef field;
    Literal value;
    bool operator==(const Condition&) const = default;
};

struct OrderKey {
    FieldRef field;
    bool descending = false;
    bool operator==(const OrderKey&) const = default;
};

// A query of the subset the program issues:
//   SELECT { T.* | * | field [, field ...] } FROM table
//   [WHERE comparison [AND comparison ...]] [ORDER BY field [ASC|DESC] [, ...]] [;]
// where each comparison is `field = literal` with any number of parentheses around the
// comparison, the field and the literal. Keywords and identifiers match without regard to case.
struct Query {
    bool selectAll = false;        // `*` or `T.*`
    std::string selectAllTable;    // the T of `T.*`, empty for a bare `*`
    std::vector<FieldRef> fields;  // the selected fields when not selectAll
    std::string table;             // the FROM table
    std::vector<Condition> where;  // joined by AND; empty without WHERE
    std::vector<OrderKey> orderBy;
};

// True when two identifiers (keywords, table or field names) are the same without regard to
// case, as equalsIgnoreCase compares.
bool sameName(std::string_view a, std::string_view b);

// Parses `text`. Throws Fault 3131 "Syntax error in FROM clause." for a missing or malformed
// FROM clause and Fault 3075 for any other syntax error; both descriptions quote `text`.
Query parse(std::string_view text);

}  // namespace dalvon::sql
