#pragma once

#include <string>
#include <vector>

#include "tools/dalvon-db/db_commands.h"

namespace dalvon::db_tool {

// `convert [--format sqlite|jet4] [--template EMPTY] IN OUT`: copies every user table of IN
// (any store file) into a new SQLite file OUT, or a Jet 4 file made from nothing or from a copy
// of EMPTY, with the same fields and rows. OUT must not exist; it is written beside itself under a
// temp name and renamed when complete, so a failure leaves no OUT behind. Decimal fields, which the
// SQLite store has no type for, become Double.
int convertDatabase(CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace dalvon::db_tool
