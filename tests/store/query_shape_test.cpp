#include "store/tables/query_shape.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/store/store_fixture.h"

namespace dalvon::tables {
namespace {

using dalvon::testing::faultOf;

struct Scanned {
    std::string shape;
    std::vector<std::string> literals;  // kind letter and text
    bool operator==(const Scanned&) const = default;
};

Scanned scannedBy(ShapeScanner& scanner, const std::string& text) {
    const QueryShape& shape = scanner.scan(text);
    Scanned result{shape.shape, {}};
    for (const sql::Token& token : shape.literals) {
        result.literals.push_back((token.kind == sql::TokenKind::Text ? "T:" : "N:") +
                                  std::string(token.text));
    }
    return result;
}

// A scanner that goes on from the text before must find what a fresh one finds.
TEST(QueryShapeTest, EachTextScansAsIfItWereTheFirst) {
    const std::vector<std::string> texts = {
        "SELECT * FROM T WHERE a = 12 AND b = \"x\"",
        "SELECT * FROM T WHERE a = 123 AND b = \"x\"",  // a number that grows
        "SELECT * FROM T WHERE a = 12 AND b = \"xy\"",
        "SELECT * FROM T WHERE a = 12 AND b = \"x\" AND c = -4",
        "SELECT * FROM T WHERE a = 12",
        "SELECT * FROM T WHERE a = 12x",  // refused
        "SELECT * FROM T WHERE a = 12",
        "SELECT * FROM T WHERE a = 1.5e3 AND b = .5",
        "SELECT * FROM T WHERE a = 1.5e3 AND b = .5x1",  // refused: a number runs into a name
        "SELECT * FROM T WHERE a = \"1\" AND b = \"2\"",
        "SELECT * FROM T WHERE a = \"1\" AND b = \"2",  // refused: unterminated
        "SELECT * FROM T WHERE a = \"1\" AND b = \"2\"",
        "SELECT * FROM U",
        "",
        "SELECT * FROM T WHERE a = \"\"",
    };
    ShapeScanner going;
    for (const std::string& text : texts) {
        ShapeScanner fresh;
        std::string freshFault, goingFault;
        Scanned expected, got;
        int32_t freshNumber = faultOf([&] { expected = scannedBy(fresh, text); }, &freshFault);
        int32_t goingNumber = faultOf([&] { got = scannedBy(going, text); }, &goingFault);
        EXPECT_EQ(goingNumber, freshNumber) << text;
        EXPECT_EQ(goingFault, freshFault) << text;
        EXPECT_EQ(got, expected) << text;
    }
    // Literals that differ only in their content give one shape.
    ShapeScanner scanner;
    std::string first = scanner.scan("SELECT * FROM T WHERE a = 1 AND b = \"x\"").shape;
    EXPECT_EQ(scanner.scan("SELECT * FROM T WHERE a = 22 AND b = \"yz\"").shape, first);
    EXPECT_NE(scanner.scan("SELECT * FROM T WHERE a = \"1\" AND b = \"x\"").shape, first);
}

}  // namespace
}  // namespace dalvon::tables
