#include "store/jet/writer/jet_definition.h"
#include "store/jet/format/jet_layout.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "platform/text.h"
#include "store/faults.h"
#include "store/jet/format/jet_value_codec.h"

namespace dalvon::jet {
namespace {

constexpr size_t kHeaderLength = 63;
constexpr size_t kIndexCountLength = 12;
constexpr size_t kDescriptorLength = 25;
constexpr size_t kPhysicalIndexLength = 52;
constexpr size_t kLogicalIndexLength = 28;
constexpr size_t kContinuationHeader = 8;
constexpr uint32_t kMagic = 1625;
constexpr size_t kMaxNameCharacters = 64;

void append16(std::vector<uint8_t>& out, size_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void append32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t pointerValue(RowPointer at) {
    return at.page << 8 | at.row;
}

// Skips `count` length-prefixed UCS-2 names from `offset`; returns the offset after them.
size_t skipNames(const JetFile& file, Bytes def, size_t offset, size_t count,
                 std::vector<size_t>* starts = nullptr) {
    for (size_t i = 0; i < count; ++i) {
        if (starts)
            starts->push_back(offset);
        offset += 2 + size_t{readU16(file, def, offset)};
    }
    return offset;
}

PhysicalIndex readPhysicalIndex(const JetFile& file, Bytes entry) {
    PhysicalIndex index;
    for (size_t k = 0; k < 10; ++k) {
        const uint16_t column = readU16(file, entry, 4 + 3 * k);
        if (column != 0xFFFF)
            index.columns.push_back(column);
    }
    index.map = readRowPointer(file, entry, 34);
    index.root = readU32(file, entry, 38);
    index.flags = readU8(file, entry, 46);
    return index;
}

struct NewColumn {
    uint8_t type = 0;
    uint16_t length = 0;
    bool fixed = true;
};

NewColumn columnFor(const FieldDef& field) {
    switch (static_cast<FieldType>(field.type)) {
        case FieldType::Boolean:
            return {kBoolean, 1, true};
        case FieldType::Byte:
            return {kByte, 1, true};
        case FieldType::Integer:
            return {kInteger, 2, true};
        case FieldType::Long:
            return {kLong, 4, true};
        case FieldType::Currency:
            return {kCurrency, 8, true};
        case FieldType::Single:
            return {kSingle, 4, true};
        case FieldType::Double:
            return {kDouble, 8, true};
        case FieldType::Date:
            return {kDateTime, 8, true};
        case FieldType::Guid:
            return {kGuid, 16, true};
        case FieldType::Text:
            return {kText, static_cast<uint16_t>(2 * std::clamp(field.size, 1, 255)), false};
        case FieldType::Binary:
            return {kBinary, static_cast<uint16_t>(std::clamp(field.size, 1, 255)), false};
        case FieldType::Memo:
            return {kMemo, 0, false};
        case FieldType::LongBinary:
            return {kOle, 0, false};
    }
    throw faults::readOnlyDatabase(
        " (Field '" + field.name +
        "' has a type this program does not create: " + std::to_string(field.type) + ".)");
}

void checkNames(const std::vector<FieldDef>& fields) {
    std::set<std::string> seen;
    for (const auto& field : fields) {
        checkFieldName(field.name);
        if (!seen.insert(upperCase(field.name)).second) {
            throw faults::fieldDefinedTwice(field.name);
        }
    }
}

std::vector<uint8_t> descriptor(const NewColumn& column, uint16_t number, uint16_t varIndex,
                                uint16_t fixedOffset) {
    std::vector<uint8_t> d(kDescriptorLength, 0);
    d[0] = column.type;
    put32(&d[1], kMagic);
    put16(&d[5], number);
    put16(&d[7], varIndex);
    put16(&d[9], number);
    if (column.type == kText || column.type == kMemo) {
        d[11] = 0x09;  // General sort order (LCID 1033), version 0
        d[12] = 0x04;
        d[16] = 0x01;  // compressed text allowed
    }
    d[15] = static_cast<uint8_t>(column.fixed ? 0x03 : 0x02);
    put16(&d[21], fixedOffset);
    put16(&d[23], column.length);
    return d;
}

}  // namespace

void checkFieldName(const std::string& name) {
    if (name.empty() || characterCount(name) > kMaxNameCharacters) {
        throw faults::invalidName(name, {});
    }
}

void replaceColumnName(const JetFile& file, Definition& definition, uint16_t column,
                       const std::string& name) {
    const DefinitionParts parts = parseDefinition(file, definition.bytes);
    for (size_t i = 0; i < parts.nameColumns.size(); ++i) {
        if (parts.nameColumns[i] != column)
            continue;
        const auto at = static_cast<long>(parts.nameOffsets[i]);
        const long oldLength = 2 + readU16(file, definition.bytes, parts.nameOffsets[i]);
        std::vector<uint8_t> entry = ucs2Bytes(name);
        entry.insert(entry.begin(),
                     {static_cast<uint8_t>(entry.size()), static_cast<uint8_t>(entry.size() >> 8)});
        definition.bytes.erase(definition.bytes.begin() + at,
                               definition.bytes.begin() + at + oldLength);
        definition.bytes.insert(definition.bytes.begin() + at, entry.begin(), entry.end());
        return;
    }
}

bool isLongValueType(int fieldType) {
    return fieldType == static_cast<int>(FieldType::Memo) ||
           fieldType == static_cast<int>(FieldType::LongBinary);
}

Definition loadDefinition(const JetFile& file, uint32_t firstPage) {
    Definition def;
    def.bytes =
        readDefinitionBytes(file, firstPage, "at page " + std::to_string(firstPage), &def.pages);
    if (def.bytes.size() < kHeaderLength)
        file.damaged("A table definition is shorter than its header.");
    return def;
}

DefinitionParts parseDefinition(const JetFile& file, Bytes def) {
    DefinitionParts parts;
    const uint16_t liveColumns = readU16(file, def, 45);
    const uint32_t logical = readU32(file, def, 47);
    const uint32_t physical = readU32(file, def, 51);
    size_t offset = kHeaderLength + size_t{physical} * kIndexCountLength;
    for (uint16_t i = 0; i < liveColumns; ++i) {
        const size_t at = offset + i * size_t{kDescriptorLength};
        parts.nameColumns.push_back(readU16(file, def, at + 5));
        parts.sortOrders[parts.nameColumns.back()] = readU32(file, def, at + 11);
    }
    offset = skipNames(file, def, offset + size_t{liveColumns} * kDescriptorLength, liveColumns,
                       &parts.nameOffsets);
    for (uint32_t i = 0; i < physical; ++i) {
        parts.indexes.push_back(
            readPhysicalIndex(file, readRange(file, def, offset, kPhysicalIndexLength)));
        offset += kPhysicalIndexLength;
    }
    offset = skipNames(file, def, offset + size_t{logical} * kLogicalIndexLength, logical);
    while (offset + 2 <= def.size()) {
        const uint16_t column = readU16(file, def, offset);
        if (column == 0xFFFF)
            break;
        parts.longValueMaps[column] = {readRowPointer(file, def, offset + 2),
                                       readRowPointer(file, def, offset + 6)};
        offset += 10;
    }
    return parts;
}

void storeDefinition(PageSpace& space, Definition& def) {
    const size_t perContinuation = kPageSize - kContinuationHeader;
    const size_t rest = def.bytes.size() > kPageSize ? def.bytes.size() - kPageSize : 0;
    const size_t needed = 1 + (rest + perContinuation - 1) / perContinuation;
    while (def.pages.size() > needed) {
        space.release(def.pages.back());
        def.pages.pop_back();
    }
    while (def.pages.size() < needed)
        def.pages.push_back(space.allocate());
    put32(def.bytes.data() + 8, static_cast<uint32_t>(def.bytes.size()));
    size_t from = 0;
    for (size_t i = 0; i < def.pages.size(); ++i) {
        uint8_t* page = space.write(def.pages[i]);
        const size_t headerLength = i == 0 ? 0 : kContinuationHeader;
        const size_t take = std::min(def.bytes.size() - from, kPageSize - headerLength);
        if (i > 0) {
            std::memset(page, 0, kPageSize);
            page[0] = 0x02;
            page[1] = 0x01;
        }
        std::memcpy(page + headerLength, def.bytes.data() + from, take);
        from += take;
        const size_t used = headerLength + take;
        put16(page + 2, used + 8 <= kPageSize ? kPageSize - used - 8 : 0);
        put32(page + 4, i + 1 < def.pages.size() ? def.pages[i + 1] : 0);
    }
}

std::vector<uint8_t> buildDefinition(const std::vector<FieldDef>& fields,
                                     const std::vector<RowPointer>& maps) {
    checkNames(fields);
    std::vector<NewColumn> columns;
    for (const auto& field : fields)
        columns.push_back(columnFor(field));
    std::vector<uint8_t> def(kHeaderLength, 0);
    def[0] = 0x02;
    def[1] = 0x01;
    put32(&def[12], kMagic);
    def[24] = 1;
    def[40] = 0x4E;
    const auto count = static_cast<uint16_t>(columns.size());
    uint16_t varCount = 0;
    for (const auto& column : columns)
        varCount = static_cast<uint16_t>(varCount + (column.fixed ? 0 : 1));
    put16(&def[41], count);
    put16(&def[43], varCount);
    put16(&def[45], count);
    put32(&def[55], pointerValue(maps.at(0)));
    put32(&def[59], pointerValue(maps.at(1)));
    uint16_t fixedOffset = 0;
    uint16_t ordinaryVar = 0;
    uint16_t longVar = 0;
    uint16_t nextOrdinary = 0;
    for (const auto& column : columns)
        ordinaryVar = static_cast<uint16_t>(ordinaryVar + (!column.fixed && column.length > 0));
    for (uint16_t i = 0; i < count; ++i) {
        const NewColumn& column = columns[i];
        uint16_t varIndex = 0;
        uint16_t offset = 0;
        if (!column.fixed) {
            varIndex =
                column.length > 0 ? nextOrdinary++ : static_cast<uint16_t>(ordinaryVar + longVar++);
        } else if (column.type != kBoolean) {
            offset = fixedOffset;
            fixedOffset = static_cast<uint16_t>(fixedOffset + column.length);
        }
        const auto d = descriptor(column, i, varIndex, offset);
        def.insert(def.end(), d.begin(), d.end());
    }
    for (const auto& field : fields) {
        const auto name = ucs2Bytes(field.name);
        append16(def, name.size());
        def.insert(def.end(), name.begin(), name.end());
    }
    size_t nextMap = 2;
    for (uint16_t i = 0; i < count; ++i) {
        if (!isLongValueType(fields[i].type))
            continue;
        append16(def, i);
        append32(def, pointerValue(maps.at(nextMap++)));
        append32(def, pointerValue(maps.at(nextMap++)));
    }
    append16(def, 0xFFFF);
    put32(&def[8], static_cast<uint32_t>(def.size()));
    return def;
}

}  // namespace dalvon::jet
