#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "store/sql/sql_tokens.h"

namespace dalvon::tables {

// A query's shape and its literals in the order written. The shape is the text with each
// literal's content left out: a text literal stays as "", a number becomes a byte that the
// scanner accepts nowhere outside a literal. Queries of one shape differ in literals only.
struct QueryShape {
    std::string shape;
    std::vector<sql::Token> literals;  // views into the scanned text
};

// Scans queries for their shapes. The program sends one query per row that differs from the
// one before only from some literal on, so the scanner keeps the last text and goes on from the
// last literal that begins before the first difference.
class ShapeScanner {
public:
    // Fault 3075 for a text the tokenizer refuses. The result lives until the next call; its
    // literals point into the scanner's own copy of `text`.
    const QueryShape& scan(std::string_view text);

private:
    // Where the scan stood right after a literal.
    struct After {
        size_t position;  // in the text
        size_t copied;    // text before this is in the shape
        size_t shape;     // the shape's length
    };

    void scanFrom(const After& resume);

    std::string m_text;  // the last text scanned
    QueryShape m_last;
    std::vector<After> m_after;  // one per literal
};

}  // namespace dalvon::tables
