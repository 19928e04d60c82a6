#include "tests/jet/jet_tiny_database.h"

#include <string>

#include "tests/jet/jet_image.h"

namespace dalvon::jet_test {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr uint32_t kTablesId = 0x0F000001;

struct Column {
    std::u16string name;
    uint8_t type;
    uint16_t number, varIndex, fixedOffset, length;
};

struct Definition {
    uint8_t tableType;
    uint32_t rowCount;
    std::vector<Column> columns;
    uint16_t varColumns;
    uint32_t ownedMap, freeMap;  // row << 0 | page << 8, as stored
    bool indexed;                // one unique index on column 0
    uint32_t indexMap = 0, indexRoot = 0;
};

Bytes repeat(size_t count, uint8_t value) {
    return Bytes(count, value);
}

Bytes descriptor(const Column& c) {
    const bool fixed = c.type != 0x0A;
    const Bytes sort = c.type == 0x0A ? Bytes{0x09, 0x04, 0x00, 0x00} : repeat(4, 0);
    return concat({{c.type},
                   le32(1625),
                   le16(c.number),
                   le16(c.varIndex),
                   le16(c.number),
                   sort,
                   {static_cast<uint8_t>(fixed ? 0x03 : 0x02), 0},
                   le32(0),
                   le16(c.fixedOffset),
                   le16(c.length)});
}

Bytes indexDefinitions(const Definition& d) {
    if (!d.indexed)
        return {};
    Bytes columns = concat({le16(0), {0x01}});
    for (int slot = 1; slot < 10; ++slot)
        columns = concat({columns, le16(0xFFFF), {0}});
    const Bytes physical = concat(
        {le32(1923), columns, le32(d.indexMap), le32(d.indexRoot), le32(0), {0x89}, repeat(5, 0)});
    const Bytes logical =
        concat({le32(1625), le32(0), le32(0), {0}, le32(0xFFFFFFFF), le32(0), {0, 0, 1}, le32(0)});
    const std::u16string name = u"PrimaryKey";
    return concat({physical, logical, le16(static_cast<uint16_t>(name.size() * 2)), ucs2(name)});
}

Bytes definition(const Definition& d) {
    const uint32_t indexes = d.indexed ? 1 : 0;
    Bytes body = concat({{d.tableType},
                         le16(static_cast<uint16_t>(d.columns.size())),
                         le16(d.varColumns),
                         le16(static_cast<uint16_t>(d.columns.size())),
                         le32(indexes),
                         le32(indexes),
                         le32(d.ownedMap),
                         le32(d.freeMap),
                         repeat(12 * indexes, 0)});
    for (const Column& c : d.columns)
        body = concat({body, descriptor(c)});
    for (const Column& c : d.columns)
        body = concat({body, le16(static_cast<uint16_t>(c.name.size() * 2)), ucs2(c.name)});
    body = concat({body, indexDefinitions(d), le16(0xFFFF)});
    const auto length = static_cast<uint32_t>(40 + body.size());
    return concat({{0x02, 0x01},
                   le16(0),
                   le32(0),
                   le32(length),
                   le32(1625),
                   le32(d.rowCount),
                   le32(0),
                   {1},
                   repeat(15, 0),
                   body});
}

Bytes catalogRow(uint32_t id, uint32_t parent, uint16_t type, uint32_t flags,
                 const std::u16string& name) {
    const Bytes text = ucs2(name);
    const auto end = static_cast<uint16_t>(16 + text.size());
    return concat({le16(5),
                   le32(id),
                   le32(parent),
                   le16(type),
                   le32(flags),
                   text,
                   le16(end),
                   le16(16),
                   le16(1),
                   {0x1F}});
}

// An inline usage map marking `pages` (all below 512).
Bytes inlineMap(std::initializer_list<uint32_t> pages) {
    Bytes row = concat({{0}, le32(0), repeat(64, 0)});
    for (uint32_t page : pages)
        row[5 + page / 8] |= static_cast<uint8_t>(1 << page % 8);
    return row;
}

Bytes globalMap() {
    Bytes row = concat({{0}, le32(0), repeat(64, 0)});
    for (uint32_t page = TinyLayout::kPages; page < 512; ++page)
        row[5 + page / 8] |= static_cast<uint8_t>(1 << page % 8);
    return row;
}

// Page `number` as a fresh page of `type` filled with garbage (the image starts with three
// pages; later ones are appended in order).
size_t freshPage(JetImage& image, uint32_t number, uint8_t type) {
    const size_t base = size_t{number} * image.pageSize();
    if (base >= image.bytes().size())
        image.addPage(type);
    image.put(base, concat({{type, 0x01}, repeat(image.pageSize() - 2, 0xEE)}));
    return base;
}

void putDataPage(JetImage& image, uint32_t number, uint32_t owner, const std::vector<Bytes>& rows) {
    const size_t base = freshPage(image, number, 0x01);
    image.put(base + 4, concat({le32(owner), le32(0), le16(static_cast<uint16_t>(rows.size()))}));
    size_t end = image.pageSize();
    for (size_t i = 0; i < rows.size(); ++i) {
        end -= rows[i].size();
        image.put(base + end, rows[i]);
        image.put(base + 14 + 2 * i, le16(static_cast<uint16_t>(end)));
    }
    image.put(base + 2, le16(static_cast<uint16_t>(end - 14 - 2 * rows.size())));
}

void putDefinitionPage(JetImage& image, uint32_t number, const Bytes& def) {
    image.put(freshPage(image, number, 0x02), def);
}

void putIndexLeaf(JetImage& image, uint32_t number, uint32_t owner,
                  const std::vector<Bytes>& entries) {
    const size_t base = freshPage(image, number, 0x04);
    image.put(base + 4, concat({le32(owner), repeat(0x1E0 - 8, 0)}));
    size_t end = 0;
    for (const Bytes& entry : entries) {
        image.put(base + 0x1E0 + end, entry);
        end += entry.size();
        *image.at(number, 0x1B + end / 8) |= static_cast<uint8_t>(1 << end % 8);
    }
    image.put(base + 2, le16(static_cast<uint16_t>(image.pageSize() - 0x1E0 - end)));
}

Bytes itemEntry(uint32_t id, uint8_t row) {
    const uint32_t key = id ^ 0x80000000;
    return {0x7F,
            static_cast<uint8_t>(key >> 24),
            static_cast<uint8_t>(key >> 16),
            static_cast<uint8_t>(key >> 8),
            static_cast<uint8_t>(key),
            0,
            0,
            static_cast<uint8_t>(TinyLayout::kItemsRowsPage),
            row};
}

}  // namespace

std::vector<uint8_t> tinyJet4Database() {
    using L = TinyLayout;
    JetImage image(true);
    putDataPage(image, 1, 1, {globalMap()});
    const Definition catalog{0x53,
                             3,
                             {{u"Id", 0x04, 0, 0, 0, 4},
                              {u"ParentId", 0x04, 1, 0, 4, 4},
                              {u"Type", 0x03, 2, 0, 8, 2},
                              {u"Flags", 0x04, 3, 0, 10, 4},
                              {u"Name", 0x0A, 4, 0, 0, 510}},
                             1,
                             L::kMapRowsPage << 8 | 0,
                             L::kMapRowsPage << 8 | 1,
                             false};
    putDefinitionPage(image, 2, definition(catalog));
    putDataPage(image, L::kMapRowsPage, 0,
                {inlineMap({L::kCatalogRowsPage}), inlineMap({L::kCatalogRowsPage}),
                 inlineMap({L::kItemsRowsPage}), inlineMap({L::kItemsRowsPage}),
                 inlineMap({L::kItemsIndexPage})});
    putDataPage(image, L::kCatalogRowsPage, 2,
                {catalogRow(kTablesId, 0x0F000000, 3, 0, u"Tables"),
                 catalogRow(2, kTablesId, 1, 0x80000000, u"MSysObjects"),
                 catalogRow(L::kItemsDefinitionPage, kTablesId, 1, 0, u"Items")});
    Definition items{
        0x4E, 3, {{u"Id", 0x04, 0, 0, 0, 4}}, 0, L::kMapRowsPage << 8 | 2, L::kMapRowsPage << 8 | 3,
        true};
    items.indexMap = L::kMapRowsPage << 8 | 4;
    items.indexRoot = L::kItemsIndexPage;
    putDefinitionPage(image, L::kItemsDefinitionPage, definition(items));
    putDataPage(image, L::kItemsRowsPage, L::kItemsDefinitionPage,
                {concat({le16(1), le32(3), {1}}), concat({le16(1), le32(1), {1}}),
                 concat({le16(1), le32(2), {1}})});
    putIndexLeaf(image, L::kItemsIndexPage, L::kItemsDefinitionPage,
                 {itemEntry(1, 1), itemEntry(2, 2), itemEntry(3, 0)});
    return image.bytes();
}

}  // namespace dalvon::jet_test
