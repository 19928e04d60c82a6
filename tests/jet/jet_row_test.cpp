// Decoding of every value kind and storage form on rows built byte by byte, and the pure
// decoders: text forms, GUIDs and the header mask keystream.
#include "store/jet/reader/jet_row.h"

#include <gtest/gtest.h>

#include <cstring>

#include "store/jet/format/jet_text.h"
#include "tests/jet/jet_image.h"

namespace dalvon::jet_test {
namespace {

using jet::JetColumn;
using jet::JetTableDef;

std::vector<uint8_t> bytesOf(auto value) {
    std::vector<uint8_t> out(sizeof value);
    std::memcpy(out.data(), &value, sizeof value);
    return out;
}

// A Jet 4 row: column count, fixed area, variable values, trailer and null mask.
std::vector<uint8_t> jet4Row(uint16_t columns, const std::vector<uint8_t>& fixed,
                             const std::vector<std::vector<uint8_t>>& vars, uint32_t present,
                             bool trailer = true) {
    std::vector<uint8_t> row = concat({le16(columns), fixed});
    std::vector<uint16_t> offsets;
    for (const auto& value : vars) {
        offsets.push_back(static_cast<uint16_t>(row.size()));
        row.insert(row.end(), value.begin(), value.end());
    }
    if (trailer) {
        row = concat({row, le16(static_cast<uint16_t>(row.size()))});
        for (auto it = offsets.rbegin(); it != offsets.rend(); ++it)
            row = concat({row, le16(*it)});
        row = concat({row, le16(static_cast<uint16_t>(vars.size()))});
    }
    for (size_t i = 0; i < (columns + 7u) / 8; ++i)
        row.push_back(static_cast<uint8_t>(present >> (8 * i)));
    return row;
}

JetColumn fixedColumn(uint8_t type, uint16_t number = 0, uint16_t offset = 0) {
    return {"f" + std::to_string(number), type, number, 0, offset, 0, true};
}

JetColumn varColumn(uint8_t type, uint16_t number, uint16_t varIndex) {
    return {"v" + std::to_string(number), type, number, varIndex};
}

JetTableDef tableOf(std::vector<JetColumn> columns, uint16_t varColumns) {
    JetTableDef table;
    table.name = "T";
    table.columns = std::move(columns);
    table.varColumns = varColumns;
    return table;
}

Variant decodeOne(const jet::JetFile& file, const JetColumn& column,
                  const std::vector<uint8_t>& row) {
    return jet::decodeRow(file, tableOf({column}, column.fixed ? 0 : 1), row)[0];
}

TEST(JetRowDecoding, FixedKindsGiveVariantsOfTheirKind) {
    JetImage image(true);
    const auto file = image.file();
    const std::vector<uint8_t> guid = {0x78, 0x56, 0x34, 0x12, 0xBC, 0x9A, 0xF0, 0xDE,
                                       0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    // Decimal: sign, then the magnitude as four 32-bit words, most significant first.
    const auto decimal = concat({{1}, le32(0), le32(0), le32(0), le32(12345)});
    struct Case {
        uint8_t type;
        std::vector<uint8_t> stored;
        Variant expected;
    };
    const std::vector<Case> cases = {
        {jet::kByte, {0xFE}, Variant::byte(254)},
        {jet::kInteger, bytesOf(int16_t{-2}), Variant::integer(-2)},
        {jet::kLong, bytesOf(int32_t{-123456789}), Variant::longValue(-123456789)},
        {jet::kCurrency, bytesOf(int64_t{-1234567890123}), Variant::currency(-1234567890123)},
        {jet::kSingle, bytesOf(1.5f), Variant::single(1.5f)},
        {jet::kDouble, bytesOf(-444.555), Variant::doubleValue(-444.555)},
        {jet::kDateTime, bytesOf(-1.25), Variant::date(-1.25)},
        {jet::kGuid, guid, Variant::string("{12345678-9ABC-DEF0-0123-456789ABCDEF}")},
        {jet::kDecimal, decimal, Variant::doubleValue(-123.45)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.type));
        JetColumn column = fixedColumn(c.type);
        column.scale = 2;
        EXPECT_EQ(decodeOne(file, column, jet4Row(1, c.stored, {}, 1, false)), c.expected);
        EXPECT_EQ(decodeOne(file, column, jet4Row(1, c.stored, {}, 0, false)), Variant::null());
    }
}

TEST(JetRowDecoding, BooleanIsTheNullMaskBitAndNeverNull) {
    JetImage image(true);
    const auto file = image.file();
    const auto table = tableOf({fixedColumn(jet::kBoolean, 0), fixedColumn(jet::kBoolean, 9)}, 0);
    const auto both = jet::decodeRow(file, table, jet4Row(10, {}, {}, 0x201, false));
    EXPECT_EQ(both, (jet::Row{Variant::boolean(true), Variant::boolean(true)}));
    const auto neither = jet::decodeRow(file, table, jet4Row(10, {}, {}, 0, false));
    EXPECT_EQ(neither, (jet::Row{Variant::boolean(false), Variant::boolean(false)}));
    // A row written before column 9 existed stores only one mask byte.
    const auto older = jet::decodeRow(file, table, jet4Row(1, {}, {}, 1, false));
    EXPECT_EQ(older, (jet::Row{Variant::boolean(true), Variant::boolean(false)}));
}

TEST(JetRowDecoding, TextInEveryStoredForm) {
    JetImage image(true);
    const auto file = image.file();
    const auto column = varColumn(jet::kText, 0, 0);
    const std::vector<std::pair<std::vector<uint8_t>, std::string>> cases = {
        {ucs2(u"Grüße"), "Grüße"},
        {{0xFF, 0xFE, 'a', 'b', 'c'}, "abc"},
        // Compressed: one-byte run, a 00 switch to UCS-2 for a Cyrillic letter, and back.
        {{0xFF, 0xFE, 'x', 0x00, 0x1C, 0x04, 0x00, 'y'}, "xМy"},
        {ucs2(u"\U0001F600"), "\U0001F600"},
        {{}, ""},
    };
    for (const auto& [stored, expected] : cases) {
        EXPECT_EQ(decodeOne(file, column, jet4Row(1, {}, {stored}, 1)), Variant::string(expected));
    }
    EXPECT_EQ(decodeOne(file, column, jet4Row(1, {}, {ucs2(u"x")}, 0)), Variant::null());
}

TEST(JetRowDecoding, ColumnsTheRowDoesNotStoreAreNull) {
    JetImage image(true);
    const auto file = image.file();
    // Column 2 was added after the row was written: neither mask nor offset table covers it.
    const auto table = tableOf(
        {varColumn(jet::kText, 0, 0), fixedColumn(jet::kLong, 1, 0), varColumn(jet::kText, 2, 1)},
        2);
    const auto row = jet4Row(2, bytesOf(int32_t{7}), {ucs2(u"a")}, 3);
    EXPECT_EQ(jet::decodeRow(file, table, row),
              (jet::Row{Variant::string("a"), Variant::longValue(7), Variant::null()}));
    // A deleted column keeps its number and variable slot; the live ones around it still read.
    const auto gap = tableOf({varColumn(jet::kText, 0, 0), varColumn(jet::kText, 2, 2)}, 3);
    const auto stored = jet4Row(3, {}, {ucs2(u"a"), ucs2(u"gone"), ucs2(u"c")}, 7);
    EXPECT_EQ(jet::decodeRow(file, gap, stored),
              (jet::Row{Variant::string("a"), Variant::string("c")}));
}

TEST(JetRowDecoding, LongValuesInlineOnOneRowAndChained) {
    JetImage image(true);
    const std::string big(6000, 'm');
    const std::vector<uint8_t> bigBytes(big.begin(), big.end());
    const auto piece1 = std::vector<uint8_t>(bigBytes.begin(), bigBytes.begin() + 4000);
    const auto piece2 = std::vector<uint8_t>(bigBytes.begin() + 4000, bigBytes.end());
    const uint32_t second = 4;
    image.addDataPage(0, {ucs2(u"one row"), concat({le32(second << 8), piece1})});  // page 3
    image.addDataPage(0, {concat({le32(0), piece2})});                              // page 4
    const auto file = image.file();
    const auto memo = varColumn(jet::kMemo, 0, 0);
    const auto ole = varColumn(jet::kOle, 0, 0);
    const auto inlineValue = concat({le32(0x80000000u | 3), le32(0), le32(0), {1, 2, 3}});
    const auto oneRow = concat({le32(0x40000000u | 14), le32(3u << 8), le32(0)});
    const auto chain = concat({le32(6000), le32(3u << 8 | 1), le32(0)});
    EXPECT_EQ(decodeOne(file, ole, jet4Row(1, {}, {inlineValue}, 1)), Variant::binary({1, 2, 3}));
    EXPECT_EQ(decodeOne(file, memo, jet4Row(1, {}, {oneRow}, 1)), Variant::string("one row"));
    EXPECT_EQ(decodeOne(file, ole, jet4Row(1, {}, {chain}, 1)), Variant::binary(bigBytes));
    EXPECT_EQ(decodeOne(file, memo, jet4Row(1, {}, {{}}, 1)), Variant::string(""));
}

TEST(JetRowDecoding, Jet3RowsPastByte256UseTheJumpTable) {
    JetImage image(false);
    const auto file = image.file();
    // ncols, 300 + 3 bytes of data, offsets eod/1/0, one jump entry (column 1), count, mask.
    std::vector<uint8_t> row = {2};
    row.insert(row.end(), 300, 'a');
    row.insert(row.end(), {'x', 'y', 'z'});
    row.insert(row.end(), {static_cast<uint8_t>(304 & 0xFF), static_cast<uint8_t>(301 & 0xFF), 1});
    row.insert(row.end(), {1, 2, 0x03});
    ASSERT_EQ(row.size(), 310u);
    const auto table = tableOf({varColumn(jet::kText, 0, 0), varColumn(jet::kText, 1, 1)}, 2);
    EXPECT_EQ(jet::decodeRow(file, table, row),
              (jet::Row{Variant::string(std::string(300, 'a')), Variant::string("xyz")}));
}

TEST(JetRowDecoding, Jet3TextIsWindows1252) {
    JetImage image(false);
    const auto file = image.file();
    const std::vector<uint8_t> row = {1, 0xC4, 0x80, 'x', 4, 1, 1, 0x01};
    EXPECT_EQ(decodeOne(file, varColumn(jet::kText, 0, 0), row), Variant::string("Ä€x"));
}

// A table on pages 4 and 5 (and a stranger's page 6) with deleted and moved rows.
JetImage tableImage(std::vector<uint8_t> mapRow, bool withBitmapPage, uint8_t pages) {
    JetImage image(true);
    image.addDataPage(0, {mapRow});  // page 3
    const auto text = [](char16_t c) { return jet4Row(1, {}, {ucs2(std::u16string(1, c))}, 1); };
    image.addDataPage(99, {text(u'a'), text(u'x'), concat({{0}, {5, 0, 0}}), text(u'y')},
                      {0, 0x8000, 0x4000, 0xC000});
    image.addDataPage(99, {text(u'b'), text(u'c')}, {0x8000, 0});
    image.addDataPage(77, {text(u'z')});
    if (withBitmapPage) {
        const uint32_t bitmap = image.addPage(0x05, 0);
        *image.at(bitmap, 4) = pages;
    }
    return image;
}

TEST(JetTableScan, FollowsMovedRowsSkipsDeletedOnesInBothMapKinds) {
    // Pages 4 and 5 are the table's; page 6 is another table's data page.
    for (uint8_t pages : {0x30, 0x70}) {
        std::vector<uint8_t> inlineMap = concat({{0}, le32(0), std::vector<uint8_t>(64, 0)});
        inlineMap[5] = pages;
        std::vector<uint8_t> referenceMap = concat({{1}, le32(7), std::vector<uint8_t>(64, 0)});
        for (const auto& image :
             {tableImage(inlineMap, false, pages), tableImage(referenceMap, true, pages)}) {
            const auto file = image.file();
            auto table = tableOf({varColumn(jet::kText, 0, 0)}, 1);
            table.page = 99;
            table.ownedPages = {3, 0};
            std::vector<std::string> values;
            try {
                for (const auto& row : jet::readTableRows(file, table))
                    values.push_back(row[0].asString());
            } catch (const Fault& fault) {
                // A claimed page of another table is damage, never a page to pass over.
                EXPECT_EQ(fault.number(), 3049);
                values = {"damage"};
            }
            const std::vector<std::string> expected =
                pages == 0x30 ? std::vector<std::string>{"a", "b", "c"}
                              : std::vector<std::string>{"damage"};
            EXPECT_EQ(values, expected);
        }
    }
}

TEST(JetText, DecodesEveryTextForm) {
    struct Case {
        std::vector<uint8_t> stored;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{'A', 0, 0xE4, 0}, "Aä"},
        {{0x3D, 0xD8, 0x00, 0xDE}, "\U0001F600"},        // surrogate pair
        {{0x3D, 0xD8, 'x', 0}, "\xEF\xBF\xBDx"},         // lone high surrogate
        {{'A', 0, 'B'}, "A"},                            // odd trailing byte dropped
        {{0xFF, 0xFE}, ""},                              // compressed, empty
        {{0xFF, 0xFE, 'h', 'i', 0, 0xAC, 0x20}, "hi€"},  // switch to UCS-2 and stay
        {{0xFF, 0xFE, 0, 'A', 0, 0, 'z'}, "Az"},         // UCS-2 first, then one-byte
        {{0xFF, 0xFE, 'a', 0, 0x42}, "a"},               // half a UCS-2 unit at the end
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jet::decodeJet4Text(c.stored), c.expected);
    }
}

TEST(JetText, Rc4KeystreamMatchesAPublishedVector) {
    const std::vector<uint8_t> key = {'K', 'e', 'y'};
    EXPECT_EQ(jet::rc4Keystream(key, 10),
              (std::vector<uint8_t>{0xEB, 0x9F, 0x77, 0x81, 0xB7, 0x34, 0xCA, 0x72, 0xA7, 0x19}));
}

}  // namespace
}  // namespace dalvon::jet_test
