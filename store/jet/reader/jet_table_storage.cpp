#include "store/jet/reader/jet_table_storage.h"

#include "store/jet/format/jet_text.h"
#include "store/jet/reader/jet_table_def.h"

namespace dalvon::jet {
namespace {

// Field positions of the two versions' definitions (only what this file reads).
struct StorageLayout {
    size_t rowCount, liveColumns, logicalIndexes, realIndexes, ownedMap, freeMap, headerLength;
    size_t realIndexEntry, descriptorLength, columnNumber, sortOrder;
    size_t indexLength, indexColumns, indexMap, indexRoot, indexFlags;
    size_t logicalLength, logicalRealIndex, logicalKind;
};

constexpr StorageLayout kJet4 = {16, 45, 47, 51, 55, 59, 63, 12, 25, 5,
                                 11, 52, 4,  34, 38, 46, 28, 8,  23};
constexpr StorageLayout kJet3 = {12, 25, 27, 31, 35, 39, 43, 8, 18, 1,
                                 9,  39, 0,  30, 34, 38, 20, 4, 19};

constexpr size_t kIndexColumnSlots = 10;
constexpr uint16_t kUnusedColumn = 0xFFFF;

// A name as the definition stores it; advances `offset` past it.
std::string readName(const JetFile& file, Bytes def, size_t& offset) {
    if (file.isJet4()) {
        const uint16_t length = readU16(file, def, offset);
        Bytes text = readRange(file, def, offset + 2, length);
        offset += 2 + size_t{length};
        return decodeUcs2(text);
    }
    const uint8_t length = readU8(file, def, offset);
    Bytes text = readRange(file, def, offset + 1, length);
    offset += 1 + size_t{length};
    return decodeCodePageText(text, file.codePage());
}

JetIndexDef readIndex(const JetFile& file, Bytes d, const StorageLayout& at) {
    JetIndexDef index;
    for (size_t slot = 0; slot < kIndexColumnSlots; ++slot) {
        const size_t where = at.indexColumns + slot * 3;
        const uint16_t number = readU16(file, d, where);
        if (number != kUnusedColumn)
            index.columns.push_back({number, (readU8(file, d, where + 2) & 0x01) != 0});
    }
    index.usageMap = readRowPointer(file, d, at.indexMap);
    index.rootPage = readU32(file, d, at.indexRoot);
    index.flags = readU8(file, d, at.indexFlags);
    return index;
}

// Logical index definitions and their names; each physical index takes the first name that
// uses it. Returns the offset after the names.
size_t nameIndexes(const JetFile& file, Bytes def, size_t offset, uint32_t logicalCount,
                   const StorageLayout& at, JetTableStorage& storage) {
    std::vector<JetIndexDef>& indexes = storage.indexes;
    for (uint32_t i = 0; i < logicalCount; ++i) {
        storage.logicalIndexes.push_back({{},
                                          readU32(file, def, offset + at.logicalRealIndex),
                                          readU8(file, def, offset + at.logicalKind)});
        offset += at.logicalLength;
    }
    for (JetLogicalIndex& logical : storage.logicalIndexes) {
        logical.name = readName(file, def, offset);
        if (logical.physical < indexes.size() && indexes[logical.physical].name.empty())
            indexes[logical.physical].name = logical.name;
    }
    for (size_t i = 0; i < indexes.size(); ++i) {
        if (indexes[i].name.empty())
            indexes[i].name = "#" + std::to_string(i);
    }
    return offset;
}

void readLongValueMaps(const JetFile& file, Bytes def, size_t offset, JetTableStorage& storage) {
    for (uint16_t column = readU16(file, def, offset); column != kUnusedColumn;
         column = readU16(file, def, offset)) {
        storage.longValues.push_back(
            {column, readRowPointer(file, def, offset + 2), readRowPointer(file, def, offset + 6)});
        offset += 10;
    }
}

}  // namespace

uint32_t JetTableStorage::sortOrderOf(uint16_t column) const {
    for (const auto& [number, order] : sortOrders) {
        if (number == column)
            return order;
    }
    return 0;
}

JetTableStorage readTableStorage(const JetFile& file, uint32_t page, const std::string& name) {
    const StorageLayout& at = file.isJet4() ? kJet4 : kJet3;
    JetTableStorage storage;
    const std::vector<uint8_t> buffer =
        readDefinitionBytes(file, page, name, &storage.definitionPages);
    Bytes def(buffer);
    storage.rowCount = readU32(file, def, at.rowCount);
    storage.ownedPages = readRowPointer(file, def, at.ownedMap);
    storage.freePages = readRowPointer(file, def, at.freeMap);
    const uint16_t columns = readU16(file, def, at.liveColumns);
    const uint32_t logicalCount = readU32(file, def, at.logicalIndexes);
    const uint32_t realCount = readU32(file, def, at.realIndexes);
    size_t offset = at.headerLength + size_t{realCount} * at.realIndexEntry;
    for (uint16_t i = 0; i < columns; ++i) {
        Bytes d = readRange(file, def, offset, at.descriptorLength);
        storage.sortOrders.emplace_back(readU16(file, d, at.columnNumber),
                                        readU32(file, d, at.sortOrder));
        offset += at.descriptorLength;
    }
    for (uint16_t i = 0; i < columns; ++i)
        readName(file, def, offset);
    for (uint32_t i = 0; i < realCount; ++i) {
        storage.indexes.push_back(
            readIndex(file, readRange(file, def, offset, at.indexLength), at));
        offset += at.indexLength;
    }
    offset = nameIndexes(file, def, offset, logicalCount, at, storage);
    readLongValueMaps(file, def, offset, storage);
    return storage;
}

}  // namespace dalvon::jet
