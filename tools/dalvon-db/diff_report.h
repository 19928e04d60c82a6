#pragma once

#include <ostream>
#include <string>

#include "tools/dalvon-db/table_diff.h"

namespace dalvon::db_tool {

// What a diff compared: the two files (as the user named them) and the table.
struct DiffSubject {
    std::string oldFile;
    std::string newFile;
    std::string table;
};

// The diff for people: a heading, then per machine type its counts and the rows only in OLD
// (not carried over, with their values), only in NEW (with the values they got) and with other
// values (OLD -> NEW); rows that are the same are counted, not listed. Ends with the totals.
void writeDiffText(std::ostream& out, const DiffSubject& subject, const TableDiff& diff);

// The diff as one JSON object (one line): "old", "new", "table", "key", "compared",
// "groupField", "differ", "counts" {"notCarriedOver","new","changed","same"} and "groups", each
// with "name", "counts", "notCarriedOver" and "new" (objects of key and compared fields) and
// "changed" (objects with "key", "old" and "new").
void writeDiffJson(std::ostream& out, const DiffSubject& subject, const TableDiff& diff);

}  // namespace dalvon::db_tool
