#pragma once

#include <string>
#include <vector>

#include "tools/dalvon-db/db_commands.h"

namespace dalvon::db_tool {

// Exit statuses of `diff`, as diff(1) and cmp(1) have them.
inline constexpr int kDiffSame = 0;
inline constexpr int kDiffDiffer = 1;
inline constexpr int kDiffTrouble = 2;  // a wrong command line, or a file or table not read

// `diff [--format text|json] [--key FIELDS] [--fields FIELDS] OLD NEW [TABLE]` and
// `diff --installation DIR [BACKUP]`: compares two versions of a table (PRESET_DEFS by
// default) row by row as the update's takeover matches them (see table_diff.h) and reports
// per machine type what was not carried over, what is new, what changed and how many rows are
// the same. Returns kDiffSame or kDiffDiffer; throws UsageError for a wrong command line and
// Fault for a file, table or field that is not there (both give kDiffTrouble).
int diffCommand(CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace dalvon::db_tool
