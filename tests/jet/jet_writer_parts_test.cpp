// The writer's building blocks on hand-made images: they need no sample files.
#include <gtest/gtest.h>

#include "store/jet/format/jet_index_key.h"
#include "store/jet/format/jet_row_codec.h"
#include "store/jet/format/jet_text.h"
#include "store/jet/format/jet_value_codec.h"
#include "store/jet/reader/jet_index_leaf.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/reader/jet_usage_map.h"
#include "store/jet/writer/jet_data_page.h"
#include "store/jet/writer/jet_map_writer.h"
#include "store/jet/writer/jet_page_space.h"
#include "tests/jet/jet_image.h"

namespace dalvon::jet_test {
namespace {

using jet::RowPointer;

std::vector<uint8_t> hex(const std::string& text) {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i + 1 < text.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    return bytes;
}

TEST(JetWriterParts, TextIsCompressedOnlyWhereItMayBe) {
    struct Case {
        std::string text;
        bool compressible;
        std::string stored;
    };
    const std::vector<Case> cases = {
        {"abc", true, "fffe616263"},
        {"ab", true, "61006200"},
        {"abc", false, "610062006300"},
        {"Gr\xC3\xBC\xC3\x9F", true, "fffe4772fcdf"},
        {"a\xE2\x82\xAC", true, "6100ac20"},
        {"", true, ""},
        // One byte holds up to U+00FF: U+0100 is the first character that keeps text whole.
        {"\xC3\xBF\xC3\xBF\xC3\xBF", true, "fffeffffff"},
        {"\xC4\x80\xC4\x80\xC4\x80", true, "000100010001"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto stored = jet::encodeJet4Text(c.text, c.compressible);
        EXPECT_EQ(stored, hex(c.stored));
        EXPECT_EQ(jet::decodeJet4Text(stored), c.text);
    }
    const std::string longText(1025, 'x');
    EXPECT_EQ(jet::encodeJet4Text(longText, true).size(), 2050u) << "over 1024 characters";
}

// Keys as the catalog indexes of the empty template and the index pages of the samples hold
// them (the accented, unprintable, ¥, Cyrillic, Greek and CJK rows from testUnicodeCompV2003.mdb,
// General 97 names from test2V1997.mdb); characters no sample shows and other sort orders give
// no key.
TEST(JetWriterParts, KeysEncodeAsRealIndexesStoreThem) {
    using jet::KeyColumn;
    const uint32_t general = 0x0409;
    struct Case {
        KeyColumn column;
        Variant value;
        std::string key;  // empty: not covered
    };
    const std::vector<Case> cases = {
        {{0x04, true, 0}, Variant::longValue(2), "7f80000002"},
        {{0x04, true, 0}, Variant::longValue(0x0F000001), "7f8f000001"},
        {{0x04, true, 0}, Variant::longValue(INT32_MIN), "7f00000000"},
        {{0x04, false, 0}, Variant::longValue(19), "807fffffec"},
        {{0x04, false, 0}, Variant::null(), "ff"},
        {{0x0A, true, general},
         Variant::string("DataAccessPages"),
         "7f4f4a6d4a4a4d4d516b6b664a55516b0100"},
        {{0x07, true, 0}, Variant::doubleValue(-1.0), "7f400fffffffffffff"},
        {{0x0A, true, general},
         Variant::string("\xC3\xA4\xC3\xA4kk\xC3\xB6si\xC3\xA4"),
         "7f4a4a5c5c646b594a01131302021302021300"},
        {{0x0A, true, general},
         Variant::string("3L9\x1D"
                         "52\x02_AB(\xC2\xA5\x05!!V"),
         "7f3c5e48403a2b034a4c1434a9090971010101018013061a801b0604802f060700"},
        {{0x0A, false, general}, Variant::string("Tables"), "8092b5b3a1ae94feff00"},
        {{0x0A, true, general}, Variant::string("\xD0\x9C\xD0\xB8\xD1\x80"), "7f7943793b79480100"},
        {{0x0A, true, general},
         Variant::string("\xCF\xB0\xCE\xB1\xE1\xBD\xB6 \xCF\x84\xE1\xBD\xB9\xCF\x84' "
                         "\xE1\xBC\x90\xCE\xB3\xE1\xBD\xBC \xCE\x9A\xE1\xBD\xBB\xCF\xB0"
                         "\xCE\xBB\xCF\x89\xCF\x80\xCE\xB1"),
         "7f7915790c07791e791e07790e077915791579167923791b790c01"
         "0302020202020202020301010180"
         "1b068000"},
        {{0x0A, true, general},
         Variant::string("\xE6\xBC\xA2\xE5\xAD\x97\xE4\xBB\xAE\xE5\x90\x8D\xE4\xBA\xA4"
                         "\xE3\x81\x98\xE3\x82\x8A\xE6\x96\x87"),
         "7fc0b6acaca00da5479fbe7f137f43b6f6010202020202030101ff0280ff8000"},
        {{0x0A, true, general}, Variant::string("\xD0\x96"), ""},
        {{0x0A, true, 0x04E40409},
         Variant::string("MSP_Projects1"),
         "7f6f76732c7375726b6662777657"
         "00"},
        {{0x0A, true, 0x04E40409}, Variant::string("View"), ""},
        {{0x0A, false, 0x04E40409}, Variant::string("Tables"), ""},
        {{0x0A, true, 0x0407}, Variant::string("Tables"), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toTextOrEmpty());
        EXPECT_EQ(jet::encodeIndexKey({c.column}, {c.value}).value_or(std::vector<uint8_t>{}),
                  hex(c.key));
        if (c.column.type == 0x04 && c.column.ascending && !c.value.isNull()) {
            EXPECT_EQ(jet::longKey(c.value.toLong()), hex(c.key));
        }
        if (c.column.sortOrder == general && c.column.ascending && !c.key.empty()) {
            EXPECT_EQ(jet::textKey(c.value.asString()), hex(c.key));
        }
    }
    EXPECT_EQ(jet::textKey("TableUnique1_temp"), hex("7f6d4a4c5e516f6259686f51382b036d5160660100"));
    EXPECT_EQ(jet::textKey("ab  "), jet::textKey("AB"));
    EXPECT_EQ(jet::textKey("a-b"), hex("7f4a4c01010101800b068200"));
    EXPECT_FALSE(jet::textKeyKnows("\xE4\xB8\x80"));
    EXPECT_EQ(jet::leafEntry({0x7F}, RowPointer{0x0E, 8}), hex("7f00000e08"));
    EXPECT_EQ(jet::entryRow(hex("7f00000e08")), (RowPointer{0x0E, 8}));
}

jet::JetTableDef sampleTable() {
    jet::JetTableDef table;
    table.name = "T";
    table.maxColumns = 6;  // column 3 was deleted
    table.varColumns = 3;  // var slot 1 was deleted
    table.columns = {
        {"Id", jet::kLong, 0, 0, 0, 4, true},        {"On", jet::kBoolean, 1, 0, 0, 1, true},
        {"Name", jet::kText, 2, 0, 0, 20, false},    {"Notes", jet::kMemo, 4, 2, 0, 0, false},
        {"Price", jet::kCurrency, 5, 0, 4, 8, true},
    };
    return table;
}

TEST(JetWriterParts, RowsRoundTripThroughTheReader) {
    const auto table = sampleTable();
    const std::vector<std::vector<Variant>> rows = {
        {Variant::longValue(7), Variant::boolean(true), Variant::string("abc"),
         Variant::string("memo"), Variant::currency(123456)},
        {Variant::null(), Variant::boolean(false), Variant::null(), Variant::null(),
         Variant::null()},
        {Variant::longValue(-1), Variant::boolean(false), Variant::string(""),
         Variant::string(std::string(64, 'm')), Variant::currency(-5)},
    };
    JetImage image(true);
    const auto file = image.file();
    for (const auto& values : rows) {
        std::vector<jet::StoredValue> stored;
        for (size_t i = 0; i < values.size(); ++i) {
            const auto& column = table.columns[i];
            if (column.type == jet::kBoolean) {
                stored.push_back({values[i].asBoolean(), {}});
            } else if (values[i].isNull()) {
                stored.push_back({});
            } else if (column.type == jet::kMemo) {
                const auto data = jet::encodeValue(column, values[i]);
                auto header = concat({le32(0x80000000u | static_cast<uint32_t>(data.size())),
                                      le32(0), le32(0), data});
                stored.push_back({true, header});
            } else {
                stored.push_back({true, jet::encodeValue(column, values[i])});
            }
        }
        for (size_t minLength : {size_t{0}, size_t{200}}) {
            const auto bytes = jet::assembleRow(table, stored, minLength);
            EXPECT_GE(bytes.size(), minLength);
            EXPECT_EQ(jet::decodeRow(file, table, bytes), values);
            const auto split = jet::splitRow(file, table, bytes);
            for (size_t i = 0; i < split.size(); ++i) {
                EXPECT_EQ(split[i].present, stored[i].present) << i;
                EXPECT_EQ(split[i].bytes, stored[i].bytes) << i;
            }
        }
    }
}

// An image whose global map (page 1) marks pages 5 and 6 free; page 3 holds two map rows.
struct SmallImage {
    SmallImage() {
        std::vector<uint8_t> global(69, 0);
        global[5] = 0x60;  // pages 5 and 6
        for (size_t i = 6; i < 69; ++i)
            global[i] = 0xFF;  // beyond the end of the file
        const size_t page1 = 4096;
        image.put(page1, concat({{0x01, 0x01},
                                 le16(4096 - 14 - 2 - 69),
                                 le32(1),
                                 le32(0),
                                 le16(1),
                                 le16(4096 - 69)}));
        image.put(page1 + 4096 - 69, global);
        *image.at(2, 0) = 0x02;
        image.addDataPage(0, {jet::emptyInlineMap(0), jet::emptyInlineMap(0)});
        image.addPage(0x01);
        image.addPage(0x01);
        image.addPage(0x01);
    }
    JetImage image{true};
};

TEST(JetWriterParts, PagesComeFromTheGlobalMapThenTheEnd) {
    SmallImage small;
    auto file = small.image.file();
    jet::PageSpace space(file);
    space.begin();
    EXPECT_EQ(space.allocate(), 5u);
    EXPECT_EQ(space.allocate(), 6u);
    EXPECT_EQ(space.allocate(), 7u) << "appended";
    EXPECT_EQ(file.pageCount(), 8u);
    EXPECT_FALSE(space.isFree(5));
    EXPECT_FALSE(space.isFree(7));
    space.release(5);
    EXPECT_TRUE(space.isFree(5));
    EXPECT_EQ(space.allocate(), 5u);
    space.rollback();
    EXPECT_EQ(file.pageCount(), 7u);
    EXPECT_TRUE(space.isFree(5));
    EXPECT_TRUE(space.dirtyPages().empty());
    // Past the 512 pages the map row covers, the row grows.
    space.begin();
    for (int i = 0; i < 600; ++i)
        space.allocate();
    EXPECT_EQ(file.pageCount(), 605u);
    EXPECT_FALSE(space.isFree(604));
    EXPECT_TRUE(space.isFree(605));
    EXPECT_GE(file.row({1, 0}).size(), 5u + 605 / 8);
}

TEST(JetWriterParts, UsageMapsMoveTheirWindowAndBecomeReferenceMaps) {
    SmallImage small;
    auto file = small.image.file();
    jet::PageSpace space(file);
    for (int i = 0; i < 1200; ++i)
        file.appendPage();
    const RowPointer map{3, 0};
    const RowPointer other{3, 1};
    jet::setMapPage(space, map, 10, true);
    jet::setMapPage(space, map, 500, true);
    EXPECT_EQ(jet::usageMapPages(file, map, "t"), (std::vector<uint32_t>{10, 500}));
    jet::setMapPage(space, map, 10, false);
    jet::setMapPage(space, map, 900, true);  // the window moves to start at 496
    EXPECT_EQ(file.row(map)[0], 0);
    EXPECT_EQ(jet::usageMapPages(file, map, "t"), (std::vector<uint32_t>{500, 900}));
    jet::setMapPage(space, map, 1100, true);  // 500..1100 fits no window
    EXPECT_EQ(file.row(map)[0], 1);
    EXPECT_EQ(jet::usageMapPages(file, map, "t"), (std::vector<uint32_t>{500, 900, 1100}));
    jet::setMapPage(space, map, 900, false);
    EXPECT_EQ(jet::usageMapPages(file, map, "t"), (std::vector<uint32_t>{500, 1100}));
    EXPECT_EQ(jet::mapBitmapPages(file, map).size(), 1u);
    EXPECT_TRUE(jet::usageMapPages(file, other, "t").empty()) << "the neighbour row is untouched";
}

TEST(JetWriterParts, DataPagesHoldAtMost255Rows) {
    std::vector<uint8_t> page(4096);
    jet::datapage::initialise(page.data(), 9);
    EXPECT_EQ(jet::datapage::freeSpace(page.data()), 4082);
    const std::vector<uint8_t> row(4, 0xAB);
    for (int i = 0; i < 255; ++i) {
        ASSERT_TRUE(jet::datapage::fits(page.data(), row.size()));
        jet::datapage::append(page.data(), row);
    }
    EXPECT_FALSE(jet::datapage::fits(page.data(), row.size()));
    EXPECT_EQ(jet::datapage::freeSpace(page.data()), 4082 - 255 * 6);
    const std::vector<uint8_t> longer(10, 0xCD);
    ASSERT_TRUE(jet::datapage::replace(page.data(), 3, longer));
    const auto [start, end] = jet::datapage::extent(page.data(), 3);
    EXPECT_EQ(std::vector<uint8_t>(page.begin() + static_cast<long>(start),
                                   page.begin() + static_cast<long>(end)),
              longer);
    EXPECT_EQ(jet::datapage::freeSpace(page.data()), 4082 - 255 * 6 - 6);
    EXPECT_FALSE(jet::datapage::replace(page.data(), 3, std::vector<uint8_t>(3000)));
}

}  // namespace
}  // namespace dalvon::jet_test
