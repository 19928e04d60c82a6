#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "store/jet/format/jet_file.h"

namespace dalvon {
class FileSystem;
}

namespace dalvon::jet {

// The structural check of a Jet file. It reads only; the file is never changed.
//
// Checked (Jet 4 and Jet 3):
// - every page has exactly one owner: the header, the global usage map's page, a table's
//   definition chain, a table's data pages (its owned-pages map), an index's pages, a Memo/OLE
//   column's long-value pages, the pages holding usage-map rows, a reference map's bitmap
//   pages; or it is marked free in the global usage map (page 1, row 0). An owned page marked
//   free, or owned twice, is a problem. A page with no owner that is not marked free is a
//   problem when it names a live table (a data or index page the table's maps lost); otherwise
//   it is counted as leaked (Access leaves such pages; compacting reclaims them);
// - page types of each owner's pages, the table back pointer of data and index pages, "LVAL" on
//   long-value pages, every free-space map within its owned-pages map;
// - the free-space value of every owned data page, and of every index page;
// - each table's row count against the live rows a scan finds (a warning for system tables);
// - each index: its tree (pages reached once, node entries equal to their child's last entry,
//   leaf sibling links), its pages against its usage map, entries strictly ascending, one entry
//   per live row (none for an all-NULL key of an ignore-nulls index) pointing at that row, and
//   each entry's key equal to the row's encoded key.
// Not checked: keys that encodeIndexKey does not cover (jet_index_key.h), among them every Jet 3
// text key; such an index still has its row pointers, order and tree checked, and is listed in
// `notChecked`. Long-value chains are followed only as far as reading the rows needs; catalog
// index statistics, the AutoNumber value and the definition pages' free-space values are not
// checked.
struct JetCheckReport {
    std::vector<std::string> problems;    // one line each, naming the table and page
    std::vector<std::string> notChecked;  // one line each: what could not be judged and why
    // Findings that Access itself leaves in files it writes, so they do not fail the check: a
    // system table (MSys...) whose row count differs from its rows. A test that writes a file
    // can compare these with the original's.
    std::vector<std::string> warnings;
    size_t tables = 0;
    size_t indexes = 0;
    size_t leakedPages = 0;
};

JetCheckReport checkJet(const JetFile& file);

// Reads the file at `path` (Windows form, through `files`) and checks it. Fault 3051 when it
// cannot be read, Fault 3343 when it is no Jet 3 / Jet 4 database (or its pages are encoded).
JetCheckReport checkJetFileReport(FileSystem& files, const std::string& path);
// The same on a host file, for tools and tests.
JetCheckReport checkJetFileReport(const std::string& hostPath);

// The problems checkJetFileReport finds; empty for a sound file. Meant for tests that write a
// Jet file and want it checked in-process.
std::vector<std::string> checkJetFile(const std::string& hostPath);

}  // namespace dalvon::jet
