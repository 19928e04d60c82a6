#pragma once

#include <map>
#include <string>

#include "tools/dalvon-db/table_diff.h"

namespace dalvon::db_tool {

// Before the takeover, the update renames each variable of the previous table that carries the
// other system's form of a generated name (VisiWin 32 against VisiWin Studio, the patterns of
// Source_DEFS) to the generated name (VarNameInQuelleErsetzen), so that its limits are carried
// over. A backup holds the names from before that renaming.
//
// The renaming that `newRows` (a rebuilt PRESET_DEFS, with its "var_name" and "part") implies
// under the patterns of `sourceDefs` (a Source_DEFS: "System", "Var_Name", "Part"): upper-cased
// other-system name -> generated name. The system the update generated for is the one whose
// patterns more of the rows' names fit. Empty when a table lacks one of those fields.
std::map<std::string, std::string> otherSystemNames(const TableRows& sourceDefs,
                                                    const TableRows& newRows);

}  // namespace dalvon::db_tool
