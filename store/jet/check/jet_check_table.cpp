#include <algorithm>
#include <cstring>

#include "store/jet/format/jet_catalog_ids.h"
#include "store/jet/check/jet_check_parts.h"
#include "store/jet/format/jet_layout.h"

namespace dalvon::jet::check {
namespace {

constexpr size_t kMaxRowsPerPage = 255;

std::string pageLabel(const std::string& owner, uint32_t page) {
    return owner + ", page " + std::to_string(page) + ": ";
}

// Type and free-space value of a data page; false when the page is no data page.
bool checkDataPage(CheckContext& context, uint32_t number, const std::string& owner) {
    Bytes page = context.file.page(number);
    if (page[0] != kDataPage) {
        context.problem(pageLabel(owner, number) + "page type " + std::to_string(page[0]) +
                        " where a data page belongs");
        return false;
    }
    uint16_t expected = 0;
    try {
        expected = expectedDataFreeSpace(context.file, page);
    } catch (const std::exception& error) {
        context.problem(pageLabel(owner, number) + damageOf(error));
        return false;
    }
    const uint16_t stated = readU16(context.file, page, 2);
    if (stated != expected) {
        context.problem(pageLabel(owner, number) + "free space stated as " +
                        std::to_string(stated) + ", the rows leave " + std::to_string(expected));
    }
    return true;
}

void checkSubset(CheckContext& context, const MapPages& free, const MapPages& owned,
                 const std::string& owner) {
    for (uint32_t page : free.pages) {
        if (!std::binary_search(owned.pages.begin(), owned.pages.end(), page)) {
            context.problem(pageLabel(owner, page) +
                            "marked as having free space but not owned by it");
        }
    }
}

// The data pages of the table that pass their checks, ready for the row scan.
std::vector<uint32_t> checkRowPages(CheckContext& context, const CheckedTable& table) {
    const std::string owner = tableLabel(table.name);
    const MapPages owned = claimMap(context, table.storage.ownedPages, owner);
    std::vector<uint32_t> usable;
    for (uint32_t number : owned.pages) {
        context.owners.claim(number, "the rows of " + owner);
        if (!checkDataPage(context, number, owner))
            continue;
        const uint32_t back = readU32(context.file, context.file.page(number), 4);
        if (back != table.page) {
            context.problem(pageLabel(owner, number) + "names table definition page " +
                            std::to_string(back) + " instead of " + std::to_string(table.page));
            continue;
        }
        usable.push_back(number);
    }
    checkSubset(context, claimMap(context, table.storage.freePages, owner + " (free space)"), owned,
                owner);
    return usable;
}

std::string columnName(const JetTableDef& def, uint16_t number) {
    for (const JetColumn& column : def.columns) {
        if (column.number == number)
            return column.name;
    }
    return "#" + std::to_string(number);
}

void checkLongValuePages(CheckContext& context, const CheckedTable& table) {
    for (const JetLongValueMaps& maps : table.storage.longValues) {
        const std::string owner =
            tableLabel(table.name) + ", column '" + columnName(table.def, maps.column) + "'";
        if (maps.ownedPages.page == 0)
            continue;
        const MapPages owned = claimMap(context, maps.ownedPages, owner);
        for (uint32_t number : owned.pages) {
            context.owners.claim(number, "the long values of " + owner);
            if (checkDataPage(context, number, owner) &&
                std::memcmp(context.file.page(number).data() + 4, "LVAL", 4) != 0) {
                context.problem(pageLabel(owner, number) + "a long-value page without \"LVAL\"");
            }
        }
        if (maps.freePages.page != 0)
            checkSubset(context, claimMap(context, maps.freePages, owner + " (free space)"), owned,
                        owner);
    }
}

void scanPage(CheckContext& context, CheckedTable& table, uint32_t number) {
    const JetFile& file = context.file;
    const uint16_t count = file.rowCount(file.page(number));
    if (count > kMaxRowsPerPage) {
        context.problem(pageLabel(tableLabel(table.name), number) + std::to_string(count) +
                        " row slots, more than a page may hold");
    }
    for (uint16_t slot = 0; slot < count && slot <= 0xFF; ++slot) {
        const RowPointer at{number, static_cast<uint8_t>(slot)};
        try {
            if (std::optional<Bytes> row = liveRowAt(file, at))
                table.rows.push_back({at, decodeRow(file, table.def, *row)});
        } catch (const std::exception& error) {
            context.problem(pageLabel(tableLabel(table.name), number) + "row " +
                            std::to_string(slot) + ": " + damageOf(error));
        }
    }
}

void checkRows(CheckContext& context, CheckedTable& table, const std::vector<uint32_t>& pages) {
    for (uint32_t number : pages)
        scanPage(context, table, number);
    if (table.rows.size() != table.storage.rowCount) {
        // Access leaves the counts of its own system tables behind their rows at times, but
        // not the catalog's: every sample's is exact, so a wrong one is a change gone wrong.
        const bool lenient = table.name.rfind("MSys", 0) == 0 && table.page != kCatalogPage;
        auto& list = lenient ? context.report.warnings : context.report.problems;
        list.push_back(tableLabel(table.name) + ", definition page " + std::to_string(table.page) +
                       ": row count " + std::to_string(table.storage.rowCount) +
                       ", but a scan finds " + std::to_string(table.rows.size()) + " rows");
    }
}

void claimDefinition(CheckContext& context, const CheckedTable& table) {
    for (uint32_t page : table.storage.definitionPages)
        context.owners.claim(page, "the definition of " + tableLabel(table.name));
}

void checkIndexes(CheckContext& context, const CheckedTable& table) {
    for (const JetIndexDef& index : table.storage.indexes) {
        try {
            checkIndex(context, table, index);
        } catch (const std::exception& error) {
            context.problem(tableLabel(table.name) + ", index '" + index.name +
                            "': " + damageOf(error));
        }
        ++context.report.indexes;
    }
}

}  // namespace

MapPages claimMap(CheckContext& context, RowPointer where, const std::string& owner) {
    MapPages map = readMap(context.file, where);
    context.owners.claimMapRows(map.rowPage);
    for (uint32_t bitmap : map.bitmapPages)
        context.owners.claim(bitmap, "the page map of " + owner);
    if (map.beyondEnd > 0) {
        context.problem(owner + ": its page map marks " + std::to_string(map.beyondEnd) +
                        " pages past the end of the file");
    }
    return map;
}

std::string tableLabel(const std::string& name) {
    return "table '" + name + "'";
}

uint16_t expectedDataFreeSpace(const JetFile& file, Bytes page) {
    const uint16_t count = file.rowCount(page);
    size_t lowest = file.pageSize();
    for (uint16_t slot = 0; slot < count; ++slot)
        lowest = std::min<size_t>(lowest, file.rowSlot(page, slot) & 0x1FFF);
    const size_t slotsEnd = (file.isJet4() ? 14 : 10) + size_t{count} * 2;
    return static_cast<uint16_t>(lowest > slotsEnd ? lowest - slotsEnd : 0);
}

void checkTable(CheckContext& context, const std::string& name, uint32_t definitionPage) {
    CheckedTable table;
    table.name = name;
    table.page = definitionPage;
    ++context.report.tables;
    try {
        table.storage = readTableStorage(context.file, definitionPage, name);
        claimDefinition(context, table);
        table.def = readTableDef(context.file, definitionPage, name);
        const std::vector<uint32_t> pages = checkRowPages(context, table);
        checkLongValuePages(context, table);
        checkRows(context, table, pages);
    } catch (const std::exception& error) {
        context.problem(tableLabel(name) + ", definition page " + std::to_string(definitionPage) +
                        ": " + damageOf(error));
        return;
    }
    checkIndexes(context, table);
}

}  // namespace dalvon::jet::check
