#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/database.h"
#include "store/jet/format/jet_file.h"

namespace dalvon::jet {

// Column type codes as the table definition stores them.
enum ColumnType : uint8_t {
    kBoolean = 0x01,
    kByte = 0x02,
    kInteger = 0x03,
    kLong = 0x04,
    kCurrency = 0x05,
    kSingle = 0x06,
    kDouble = 0x07,
    kDateTime = 0x08,
    kBinary = 0x09,
    kText = 0x0A,
    kOle = 0x0B,
    kMemo = 0x0C,
    kGuid = 0x0F,
    kDecimal = 0x10,
};

// The "Type" the classic engine reports for a Decimal field (it has no FieldType entry).
inline constexpr int kDecimalFieldType = 20;

struct JetColumn {
    std::string name;
    uint8_t type = 0;
    uint16_t number = 0;       // position in the row's null mask
    uint16_t varIndex = 0;     // slot in the row's variable-offset table
    uint16_t fixedOffset = 0;  // start in the row's fixed area
    uint16_t length = 0;       // bytes
    bool fixed = false;
    uint8_t scale = 0;          // Decimal only
    uint8_t flags = 0;          // descriptor flags (0x04 AutoNumber)
    bool compressible = false;  // Jet 4 Text and Memo: compressed text allowed
};

// Bytes a column's value takes in the row's fixed area (0 for Yes/No, which lives in the
// null mask).
size_t fixedWidth(const JetColumn& column);

struct JetTableDef {
    std::string name;
    uint32_t page = 0;
    uint16_t maxColumns = 0;         // deleted columns included
    uint16_t varColumns = 0;         // deleted ones included
    RowPointer ownedPages;           // usage map of the pages holding the table's rows
    RowPointer freePages;            // usage map of the owned pages with free space
    uint32_t realIndexes = 0;        // physical indexes
    std::vector<JetColumn> columns;  // live columns, in column-number order
};

// Reads the definition starting at `page` (following continuation pages); Fault 3343 when it
// is damaged. `name` is used in fault texts only.
JetTableDef readTableDef(const JetFile& file, uint32_t page, const std::string& name);

// The definition's bytes: the first page whole, then bytes 8... of each continuation page, cut
// at the stored length. `pages`, when given, receives the pages of the chain in order. Fault
// 3343 when a page is no definition page, the chain loops or the length exceeds the pages.
std::vector<uint8_t> readDefinitionBytes(const JetFile& file, uint32_t page,
                                         const std::string& name,
                                         std::vector<uint32_t>* pages = nullptr);

// The field as the classic engine reports it (Text sizes in characters).
FieldDef fieldDefOf(const JetFile& file, const JetColumn& column);

}  // namespace dalvon::jet
