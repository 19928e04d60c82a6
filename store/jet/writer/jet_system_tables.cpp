#include "store/jet/writer/jet_system_tables.h"
#include "store/jet/format/jet_layout.h"

#include <cstring>

#include "store/jet/writer/jet_definition.h"

namespace dalvon::jet {
namespace {

constexpr size_t kHeaderLength = 63;
constexpr size_t kIndexCountLength = 12;
constexpr size_t kDescriptorLength = 25;
constexpr uint32_t kPhysicalMagic = 1923;
constexpr uint32_t kLogicalMagic = 1625;
constexpr uint8_t kSystemTable = 0x53;
constexpr uint8_t kSystemColumn = 0x10;
constexpr uint8_t kAscending = 0x01;
constexpr uint8_t kSystemBinary = 0x09;
constexpr uint16_t kSystemBinaryLength = 510;
constexpr uint8_t kCascadeNone = 0x04;  // what the classic engine writes for a plain index

void append16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void append32(std::vector<uint8_t>& out, uint32_t value) {
    append16(out, value);
    append16(out, value >> 16);
}

FieldDef field(const char* name, FieldType type, int32_t size = 0) {
    return {name, static_cast<int>(type), size};
}

std::vector<uint8_t> physicalIndex(const SystemIndex& index, RowPointer map, uint32_t root) {
    std::vector<uint8_t> out;
    append32(out, kPhysicalMagic);
    for (size_t i = 0; i < 10; ++i) {
        append16(out, i < index.columns.size() ? index.columns[i] : 0xFFFF);
        out.push_back(i < index.columns.size() ? kAscending : 0);
    }
    out.push_back(map.row);
    out.push_back(static_cast<uint8_t>(map.page));
    append16(out, map.page >> 8);
    append32(out, root);
    append32(out, 0);
    out.push_back(index.flags);
    out.insert(out.end(), 5, 0);
    return out;
}

std::vector<uint8_t> logicalIndex(uint32_t number, const SystemIndex& index) {
    std::vector<uint8_t> out;
    append32(out, kLogicalMagic);
    append32(out, number);
    append32(out, number);  // each logical index has its own physical one
    out.push_back(0);
    append32(out, 0xFFFFFFFF);  // no related index
    append32(out, 0);
    out.push_back(kCascadeNone);
    out.push_back(kCascadeNone);
    out.push_back(index.primaryKey ? 1 : 0);
    append32(out, 0);
    return out;
}

// System columns carry the hidden flag, no text compression and the General sort order; their
// Binary columns take 510 bytes, twice what a user's Binary field may hold.
void markSystemColumns(std::vector<uint8_t>& def, size_t count) {
    def[40] = kSystemTable;
    for (size_t i = 0; i < count; ++i) {
        uint8_t* d = def.data() + kHeaderLength + i * kDescriptorLength;
        d[9] = d[10] = 0;
        d[11] = 0x09;
        d[12] = 0x04;
        d[13] = d[14] = 0;
        d[15] |= kSystemColumn;
        d[16] = 0;
        if (d[0] == kSystemBinary) {
            d[23] = static_cast<uint8_t>(kSystemBinaryLength);
            d[24] = static_cast<uint8_t>(kSystemBinaryLength >> 8);
        }
    }
}

size_t namesEnd(const SystemTable& table) {
    size_t at = kHeaderLength + table.fields.size() * kDescriptorLength;
    for (const auto& f : table.fields)
        at += 2 + 2 * f.name.size();  // ASCII names in UCS-2
    return at;
}

}  // namespace

const std::vector<SystemTable>& systemTables() {
    using T = FieldType;
    static const std::vector<SystemTable> kTables = {
        {"MSysObjects",
         2,
         {field("Id", T::Long), field("ParentId", T::Long), field("Name", T::Text, 255),
          field("Type", T::Integer), field("DateCreate", T::Date), field("DateUpdate", T::Date),
          field("Owner", T::Binary, 255), field("Flags", T::Long), field("Database", T::Memo),
          field("Connect", T::Memo), field("ForeignName", T::Text, 255),
          field("RmtInfoShort", T::Binary, 255), field("RmtInfoLong", T::LongBinary),
          field("Lv", T::LongBinary), field("LvProp", T::LongBinary),
          field("LvModule", T::LongBinary), field("LvExtra", T::LongBinary)},
         {{"ParentIdName", {1, 2}, 0x81, false}, {"Id", {0}, 0x81, true}}},
        {"MSysACEs",
         3,
         {field("ObjectId", T::Long), field("SID", T::Binary, 255), field("ACM", T::Long),
          field("FInheritable", T::Boolean)},
         {{"ObjectId", {0}, 0x88, false}}},
        {"MSysQueries",
         4,
         {field("ObjectId", T::Long), field("Attribute", T::Byte), field("Order", T::Binary, 255),
          field("Name1", T::Text, 255), field("Name2", T::Text, 255), field("Expression", T::Memo),
          field("Flag", T::Integer), field("LvExtra", T::Long)},
         {{"ObjectIdAttribute", {0, 1, 2}, 0x81, false}}},
        {"MSysRelationships",
         5,
         {field("szRelationship", T::Text, 255), field("grbit", T::Long), field("ccolumn", T::Long),
          field("icolumn", T::Long), field("szObject", T::Text, 255),
          field("szColumn", T::Text, 255), field("szReferencedObject", T::Text, 255),
          field("szReferencedColumn", T::Text, 255)},
         {{"szRelationship", {0}, 0x82, false},
          {"szObject", {4}, 0x82, false},
          {"szReferencedObject", {6}, 0x82, false}}},
    };
    return kTables;
}

std::vector<uint8_t> buildSystemDefinition(const SystemTable& table,
                                           const std::vector<RowPointer>& maps,
                                           const std::vector<uint32_t>& roots) {
    const size_t tableMaps = maps.size() - table.indexes.size();
    std::vector<uint8_t> def = buildDefinition(
        table.fields, std::vector<RowPointer>(maps.begin(), maps.begin() + tableMaps));
    markSystemColumns(def, table.fields.size());
    std::vector<uint8_t> block;
    for (size_t i = 0; i < table.indexes.size(); ++i) {
        const auto entry = physicalIndex(table.indexes[i], maps[tableMaps + i], roots[i]);
        block.insert(block.end(), entry.begin(), entry.end());
    }
    for (size_t i = 0; i < table.indexes.size(); ++i) {
        const auto entry = logicalIndex(static_cast<uint32_t>(i), table.indexes[i]);
        block.insert(block.end(), entry.begin(), entry.end());
    }
    for (const auto& index : table.indexes) {
        append16(block, 2 * index.name.size());
        for (char c : index.name)
            append16(block, static_cast<uint8_t>(c));
    }
    const auto at = def.begin() + static_cast<long>(namesEnd(table));
    def.insert(at, block.begin(), block.end());
    def.insert(def.begin() + kHeaderLength, kIndexCountLength * table.indexes.size(), 0);
    put32(&def[47], static_cast<uint32_t>(table.indexes.size()));
    put32(&def[51], static_cast<uint32_t>(table.indexes.size()));
    put32(&def[8], static_cast<uint32_t>(def.size()));
    return def;
}

}  // namespace dalvon::jet
