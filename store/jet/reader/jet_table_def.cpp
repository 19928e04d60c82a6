#include "store/jet/reader/jet_table_def.h"

#include <algorithm>
#include <set>

#include "store/jet/format/jet_text.h"

namespace dalvon::jet {
namespace {

// Where the definition's fields sit; the two versions differ only in positions and widths.
struct TdefLayout {
    size_t maxColumns, varColumns, liveColumns, realIndexes, ownedMap, headerLength;
    size_t realIndexEntry, descriptorLength;
    size_t number, varIndex, scale, flags, fixedOffset, length;
};

constexpr TdefLayout kJet4 = {41, 43, 45, 51, 55, 63, 12, 25, 5, 7, 12, 15, 21, 23};
constexpr TdefLayout kJet3 = {21, 23, 25, 31, 35, 43, 8, 18, 1, 3, 12, 13, 14, 16};

JetColumn readDescriptor(const JetFile& file, Bytes d, const TdefLayout& at) {
    JetColumn column;
    column.type = readU8(file, d, 0);
    column.number = readU16(file, d, at.number);
    column.varIndex = readU16(file, d, at.varIndex);
    column.scale = readU8(file, d, at.scale);
    column.flags = readU8(file, d, at.flags);
    column.fixed = (column.flags & 0x01) != 0;
    column.compressible = file.isJet4() && (readU8(file, d, at.flags + 1) & 0x01) != 0;
    column.fixedOffset = readU16(file, d, at.fixedOffset);
    column.length = readU16(file, d, at.length);
    return column;
}

// Reads the column names that follow the descriptors; returns the offset after the last one.
size_t readNames(const JetFile& file, Bytes def, size_t offset, std::vector<JetColumn>& columns) {
    for (auto& column : columns) {
        if (file.isJet4()) {
            const uint16_t length = readU16(file, def, offset);
            column.name = decodeUcs2(readRange(file, def, offset + 2, length));
            offset += 2 + size_t{length};
        } else {
            const uint8_t length = readU8(file, def, offset);
            column.name =
                decodeCodePageText(readRange(file, def, offset + 1, length), file.codePage());
            offset += 1 + size_t{length};
        }
    }
    return offset;
}

}  // namespace

std::vector<uint8_t> readDefinitionBytes(const JetFile& file, uint32_t first,
                                         const std::string& name, std::vector<uint32_t>* pages) {
    std::vector<uint8_t> buffer;
    std::set<uint32_t> seen;
    for (uint32_t current = first; current != 0;) {
        if (!seen.insert(current).second) {
            file.damaged("The definition of table '" + name + "' loops over its pages.");
        }
        Bytes bytes = file.page(current, 0x02, "the definition of table '" + name + "'");
        if (pages)
            pages->push_back(current);
        buffer.insert(buffer.end(), bytes.begin() + (buffer.empty() ? 0 : 8), bytes.end());
        current = readU32(file, bytes, 4);
    }
    const uint32_t length = readU32(file, buffer, 8);
    if (length > buffer.size()) {
        file.damaged("The definition of table '" + name + "' is longer than its pages.");
    }
    buffer.resize(length);
    return buffer;
}

JetTableDef readTableDef(const JetFile& file, uint32_t page, const std::string& name) {
    const TdefLayout& at = file.isJet4() ? kJet4 : kJet3;
    const std::vector<uint8_t> buffer = readDefinitionBytes(file, page, name);
    Bytes def(buffer);
    JetTableDef table;
    table.name = name;
    table.page = page;
    table.maxColumns = readU16(file, def, at.maxColumns);
    table.varColumns = readU16(file, def, at.varColumns);
    table.ownedPages = readRowPointer(file, def, at.ownedMap);
    table.freePages = readRowPointer(file, def, at.ownedMap + 4);
    const uint16_t liveColumns = readU16(file, def, at.liveColumns);
    table.realIndexes = readU32(file, def, at.realIndexes);
    size_t offset = at.headerLength + size_t{table.realIndexes} * at.realIndexEntry;
    for (uint16_t i = 0; i < liveColumns; ++i) {
        table.columns.push_back(
            readDescriptor(file, readRange(file, def, offset, at.descriptorLength), at));
        offset += at.descriptorLength;
    }
    readNames(file, def, offset, table.columns);
    std::stable_sort(table.columns.begin(), table.columns.end(),
                     [](const JetColumn& a, const JetColumn& b) { return a.number < b.number; });
    return table;
}

FieldDef fieldDefOf(const JetFile& file, const JetColumn& column) {
    switch (column.type) {
        case kBoolean:
            return {column.name, 1, 1};
        case kByte:
            return {column.name, 2, 1};
        case kInteger:
            return {column.name, 3, 2};
        case kLong:
            return {column.name, 4, 4};
        case kCurrency:
            return {column.name, 5, 8};
        case kSingle:
            return {column.name, 6, 4};
        case kDouble:
            return {column.name, 7, 8};
        case kDateTime:
            return {column.name, 8, 8};
        case kText:
            return {column.name, 10, file.isJet4() ? column.length / 2 : column.length};
        case kOle:
            return {column.name, 11, 0};
        case kMemo:
            return {column.name, 12, 0};
        case kGuid:
            return {column.name, 15, 16};
        case kDecimal:
            return {column.name, kDecimalFieldType, 16};
        default:
            return {column.name, column.type, column.length};
    }
}

size_t fixedWidth(const JetColumn& column) {
    switch (column.type) {
        case kBoolean:
            return 0;
        case kByte:
            return 1;
        case kInteger:
            return 2;
        case kLong:
        case kSingle:
            return 4;
        case kCurrency:
        case kDouble:
        case kDateTime:
            return 8;
        case kGuid:
            return 16;
        case kDecimal:
            return 17;
        default:
            return column.length;
    }
}

}  // namespace dalvon::jet
