#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/jet/writer/jet_page_space.h"
#include "store/jet/reader/jet_table_def.h"

namespace dalvon::jet {

// A Jet 4 table definition as bytes (the first page whole, then bytes 8... of each continuation
// page, cut at its stored length), with what the writer needs beyond the reader's view.
struct Definition {
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> pages;  // first page, then the continuation pages in order
};

struct PhysicalIndex {
    std::vector<uint16_t> columns;  // column numbers
    RowPointer map;                 // usage map of its pages
    uint32_t root = 0;
    uint8_t flags = 0;  // 0x01 unique
};

struct LongValueMaps {
    RowPointer owned;
    RowPointer free;
};

struct DefinitionParts {
    std::vector<PhysicalIndex> indexes;
    std::map<uint16_t, LongValueMaps> longValueMaps;  // by column number
    std::vector<size_t>
        nameOffsets;  // where each column name's length field sits, descriptor order
    std::vector<uint16_t> nameColumns;        // column number of each name, descriptor order
    std::map<uint16_t, uint32_t> sortOrders;  // by column number: LCID, unknown, version
};

inline constexpr size_t kRowCountOffset = 16;
inline constexpr size_t kAutoNumberOffset = 20;

Definition loadDefinition(const JetFile& file, uint32_t firstPage);
DefinitionParts parseDefinition(const JetFile& file, Bytes definition);

// Writes the definition over its pages: continuation pages are reused in order, allocated when
// it grew and released when it shrank; each page gets its free-space value.
void storeDefinition(PageSpace& space, Definition& definition);

// The definition of a new table with `fields` (column numbers in order, fixed columns packed in
// order, ordinary variable columns before long values) and no index. `maps` are the row
// pointers of its usage maps: owned, free, then two per long-value column in column order.
// Fault 3027 for a field type this program does not create, 3125 for a bad field name.
std::vector<uint8_t> buildDefinition(const std::vector<FieldDef>& fields,
                                     const std::vector<RowPointer>& maps);

// Fault 3125 when `name` is no valid field name (empty, or longer than 64 characters).
void checkFieldName(const std::string& name);

// Replaces the name of column number `column` in the definition's bytes (its length may change).
void replaceColumnName(const JetFile& file, Definition& definition, uint16_t column,
                       const std::string& name);

// True for the field types whose values live in long values (Memo, OLE).
bool isLongValueType(int fieldType);

}  // namespace dalvon::jet
