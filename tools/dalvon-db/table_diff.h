#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/variant.h"
#include "store/database.h"

namespace dalvon {

class Database;

namespace db_tool {

// A field of the key and how the takeover writes it into its lookup query: as a quoted text
// literal, or unquoted as a number.
struct KeyField {
    std::string name;
    bool quoted = true;
};

// The takeover's key: "machine_type" and "var_name" quoted, "offset_or_bitno" unquoted.
std::vector<KeyField> takeoverKey();

// The limits the takeover carries over: "abs_min", "abs_max", "min", "max", "pass".
const std::vector<std::string>& limitFields();

// A whole table as the store reads it, in table order.
struct TableRows {
    std::vector<FieldDef> fields;
    std::vector<std::vector<Variant>> rows;
};

// Reads every row of `table`. Fault 3078 naming `fileLabel` when the file has no such table.
TableRows readTableRows(Database& database, const std::string& table, const std::string& fileLabel);

// A row as the diff shows it: its key values and its compared values, in the order of
// TableDiff::key and TableDiff::compared.
struct DiffRow {
    std::vector<Variant> key;
    std::vector<Variant> values;
};

// A previous row matched to a row of the new table whose compared values differ.
struct ChangedRow {
    std::vector<Variant> key;  // the new row's
    std::vector<Variant> oldValues;
    std::vector<Variant> newValues;
};

// The rows of one machine type (one value of the group field; all rows when there is none).
struct DiffGroup {
    Variant name;                     // the group field's value, as the first row has it
    std::vector<DiffRow> onlyOld;     // no row of the new table matches: not carried over
    std::vector<DiffRow> onlyNew;     // no previous row matches: new, with the values it got
    std::vector<ChangedRow> changed;  // matched, compared values differ
    int same = 0;                     // matched, compared values the same
};

struct DiffCounts {
    int onlyOld = 0;
    int onlyNew = 0;
    int changed = 0;
    int same = 0;
    bool differ() const { return onlyOld + onlyNew + changed > 0; }
};

// The comparison of two versions of a table.
struct TableDiff {
    std::vector<std::string> key;
    std::vector<std::string> compared;
    std::string groupField;  // empty when the rows are not grouped
    std::vector<DiffGroup> groups;
    int renamed = 0;  // old rows matched under the name DiffPlan::renames gives them

    DiffCounts counts() const;
};

// What to compare: the key (the takeover's by default) and the fields whose values are
// compared (empty: the limits when the key is the takeover's and both tables have them all,
// else every field both tables share outside the key). Rows are grouped by "machine_type" when
// both tables have it.
struct DiffPlan {
    std::vector<KeyField> key = takeoverKey();
    std::vector<std::string> compared;
    // Variable names the update renames in the previous table before its takeover (see
    // var_name_renames.h): an old row whose upper-cased "var_name" is here is matched under the
    // name it maps to.
    std::map<std::string, std::string> renames;
};

// Matches every row of `oldRows` to a row of `newRows` as the takeover does: the key values of
// the old row written into a query as the takeover writes them (a Null or a double quote in a
// text makes no valid query, so that row matches nothing), texts compared without regard to
// case, numbers by value, Null in the new table matching nothing; of several matching new rows
// the first in table order is the match. An old var_name in `plan.renames` is matched under the
// name the update renames it to. Fault 3265 naming the field and `oldLabel` or
// `newLabel` when a key or compared field is missing from a table.
TableDiff diffTables(const TableRows& oldRows, const TableRows& newRows, const DiffPlan& plan,
                     const std::string& oldLabel, const std::string& newLabel);

// True when two values are the same to the diff: both Null, numbers (and dates, true/false)
// of the same value, or the same text.
bool sameValue(const Variant& a, const Variant& b);

}  // namespace db_tool
}  // namespace dalvon
