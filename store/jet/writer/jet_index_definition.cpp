#include "store/jet/writer/jet_index_definition.h"
#include "store/jet/format/jet_layout.h"

#include <cstring>

#include "store/faults.h"
#include "store/jet/format/jet_value_codec.h"
#include "store/jet/reader/jet_index.h"
#include "store/jet/reader/jet_table_def.h"
#include "store/jet/writer/jet_data_page.h"
#include "store/jet/writer/jet_definition.h"
#include "store/jet/writer/jet_index_page_writer.h"
#include "store/jet/writer/jet_map_writer.h"

namespace dalvon::jet {
namespace {

constexpr size_t kHeaderLength = 63;
constexpr size_t kDescriptorLength = 25;
constexpr size_t kRealIndexCountLength = 12;
constexpr size_t kKeySlots = 10;
constexpr uint32_t kPhysicalMagic = 1923;
constexpr uint32_t kLogicalMagic = 1625;
constexpr uint8_t kUnique = 0x01, kRequired = 0x08, kAlwaysSet = 0x80;

void append(std::vector<uint8_t>& out, uint32_t value, size_t bytes) {
    for (size_t i = 0; i < bytes; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

[[noreturn]] void refuse(const std::string& why) {
    throw faults::readOnlyDatabase(" (" + why + ")");
}

// Field types whose keys the encoder knows (jet_index_key.h).
bool keyable(int type) {
    switch (static_cast<FieldType>(type)) {
        case FieldType::Binary:
        case FieldType::LongBinary:
        case FieldType::Guid:
            return false;
        default:
            return type != kDecimalFieldType;
    }
}

void checkIndex(const NewIndex& index, const std::string& table,
                const std::vector<FieldDef>& fields) {
    checkFieldName(index.name);
    const std::string what = "Index '" + index.name + "' of table '" + table + "'";
    if (index.columns.empty() || index.columns.size() > kKeySlots)
        refuse(what + " needs one to ten columns.");
    for (const auto& [position, ascending] : index.columns) {
        if (position >= fields.size())
            refuse(what + " names a field the table lacks.");
        if (!keyable(fields[position].type)) {
            refuse(what + " is keyed on the " + fieldTypeName(fields[position].type) + " field '" +
                   fields[position].name + "', whose keys this program does not write.");
        }
    }
}

std::vector<uint8_t> physicalIndex(const NewIndex& index, RowPointer map, uint32_t root) {
    std::vector<uint8_t> bytes;
    append(bytes, kPhysicalMagic, 4);
    for (size_t slot = 0; slot < kKeySlots; ++slot) {
        if (slot >= index.columns.size()) {
            append(bytes, 0xFFFF, 2);
            bytes.push_back(0);
            continue;
        }
        const auto [position, ascending] = index.columns[slot];
        append(bytes, static_cast<uint32_t>(position), 2);
        bytes.push_back(ascending ? 0x01 : 0x00);
    }
    append(bytes, map.page << 8 | map.row, 4);
    append(bytes, root, 4);
    append(bytes, 0, 4);
    const bool unique = index.primary || index.unique;
    bytes.push_back(static_cast<uint8_t>(kAlwaysSet | (unique ? kUnique : 0) |
                                         (index.primary ? kRequired : 0)));
    bytes.insert(bytes.end(), 5, 0);
    return bytes;
}

std::vector<uint8_t> logicalIndex(const NewIndex& index, uint32_t number) {
    std::vector<uint8_t> bytes;
    append(bytes, kLogicalMagic, 4);
    append(bytes, number, 4);
    append(bytes, number, 4);  // its physical index
    bytes.push_back(0);
    append(bytes, 0xFFFFFFFF, 4);  // no related index
    append(bytes, 0, 4);
    bytes.push_back(0);
    bytes.push_back(0);
    bytes.push_back(index.primary ? 1 : 0);
    append(bytes, 0, 4);
    return bytes;
}

// The row of a new inline page map marking the index's root, on a data page of page maps.
RowPointer newIndexMap(PageSpace& space, uint32_t definitionPage, uint32_t& mapPage,
                       uint32_t root) {
    const auto row = emptyInlineMap(definitionPage);
    if (mapPage == 0 || !datapage::fits(space.write(mapPage), row.size())) {
        mapPage = space.allocate();
        datapage::initialise(space.write(mapPage), 0);
    }
    const RowPointer map{mapPage, datapage::append(space.write(mapPage), row)};
    setMapPage(space, map, root, true);
    return map;
}

}  // namespace

void addIndexes(PageSpace& space, uint32_t definitionPage, std::vector<uint8_t>& definition,
                const std::string& table, const std::vector<FieldDef>& fields,
                const std::vector<NewIndex>& indexes) {
    for (const NewIndex& index : indexes)
        checkIndex(index, table, fields);
    if (indexes.empty())
        return;
    const size_t columnCount = fields.size();
    size_t namesEnd = kHeaderLength + columnCount * kDescriptorLength;
    for (size_t i = 0; i < columnCount; ++i)
        namesEnd += 2 + (definition[namesEnd] | definition[namesEnd + 1] << 8);
    std::vector<uint8_t> physical, logical, names;
    uint32_t mapPage = 0;
    for (size_t i = 0; i < indexes.size(); ++i) {
        const uint32_t root = space.allocate();
        IndexPage page;
        page.number = root;
        page.type = kIndexLeafPage;
        page.tablePage = definitionPage;
        writeIndexPage(space, page);
        const RowPointer map = newIndexMap(space, definitionPage, mapPage, root);
        const auto p = physicalIndex(indexes[i], map, root);
        physical.insert(physical.end(), p.begin(), p.end());
        const auto l = logicalIndex(indexes[i], static_cast<uint32_t>(i));
        logical.insert(logical.end(), l.begin(), l.end());
        const auto name = ucs2Bytes(indexes[i].name);
        append(names, static_cast<uint32_t>(name.size()), 2);
        names.insert(names.end(), name.begin(), name.end());
    }
    std::vector<uint8_t> tail(definition.begin() + static_cast<long>(namesEnd), definition.end());
    definition.resize(namesEnd);
    definition.insert(definition.end(), physical.begin(), physical.end());
    definition.insert(definition.end(), logical.begin(), logical.end());
    definition.insert(definition.end(), names.begin(), names.end());
    definition.insert(definition.end(), tail.begin(), tail.end());
    definition.insert(definition.begin() + kHeaderLength, indexes.size() * kRealIndexCountLength,
                      0);
    put32(&definition[47], static_cast<uint32_t>(indexes.size()));
    put32(&definition[51], static_cast<uint32_t>(indexes.size()));
    put32(&definition[8], static_cast<uint32_t>(definition.size()));
}

}  // namespace dalvon::jet
