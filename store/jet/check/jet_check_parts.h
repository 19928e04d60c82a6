#pragma once

// The pieces of the structural check (jet_check.h), shared by its source files.

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "store/jet/check/jet_check.h"
#include "store/jet/format/jet_file.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/reader/jet_table_def.h"
#include "store/jet/reader/jet_table_storage.h"

namespace dalvon::jet::check {

// A usage map as stored: the page holding its row, its bitmap pages (reference maps), the pages
// it marks inside the file, and how many it marks past the end. Unlike usageMapPages it keeps
// going past the end, which the global map does by design.
struct MapPages {
    uint32_t rowPage = 0;
    std::vector<uint32_t> bitmapPages;
    std::vector<uint32_t> pages;
    size_t beyondEnd = 0;
};

// Fault 3343 when the map row is missing or of an unknown kind or a bitmap page is no bitmap.
MapPages readMap(const JetFile& file, RowPointer map);

// Who owns each page. A second owner of a page is a problem, except that the pages holding
// usage-map rows are shared by every map whose row they hold.
class PageOwners {
public:
    PageOwners(uint32_t pageCount, std::vector<std::string>& problems);

    void claim(uint32_t page, const std::string& owner);
    void claimMapRows(uint32_t page);
    bool owned(uint32_t page) const { return !m_owner[page].empty(); }
    const std::string& ownerOf(uint32_t page) const { return m_owner[page]; }

private:
    std::vector<std::string> m_owner;
    std::vector<std::string>& m_problems;
};

// A live row found by a scan: where its index entries point (the slot a moved row keeps) and
// its values.
struct ScannedRow {
    RowPointer at;
    Row values;
};

// One table as the checks see it.
struct CheckedTable {
    std::string name;
    uint32_t page = 0;
    JetTableDef def;
    JetTableStorage storage;
    std::vector<ScannedRow> rows;
};

struct CheckContext {
    const JetFile& file;
    JetCheckReport& report;
    PageOwners& owners;

    void problem(const std::string& text) { report.problems.push_back(text); }
};

// Reads a map, claims the pages that store it (its row's page, its bitmap pages) and reports
// marks past the end of the file as a problem of `owner`.
MapPages claimMap(CheckContext& context, RowPointer where, const std::string& owner);

// Every check of one table and its indexes; faults while reading it become problems.
void checkTable(CheckContext& context, const std::string& name, uint32_t definitionPage);

// The checks of one index of a table whose rows were scanned.
void checkIndex(CheckContext& context, const CheckedTable& table, const JetIndexDef& index);

// "table 'T'", the prefix of every problem about a table.
std::string tableLabel(const std::string& name);

// The free-space value a data page should state: from the end of its slot table to its lowest
// row start.
uint16_t expectedDataFreeSpace(const JetFile& file, Bytes page);

}  // namespace dalvon::jet::check
