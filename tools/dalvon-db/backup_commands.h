#pragma once

#include <string>
#include <vector>

#include "tools/dalvon-db/db_commands.h"

namespace dalvon::db_tool {

// `backups INSTALLATION`: the backups of the installation's component database, oldest first,
// one host path a line.
int listBackups(CommandContext& context, const std::vector<std::string>& arguments);

// `restore INSTALLATION [NAME]`: replaces the component database by the backup NAME (the
// newest when none is named) in one atomic step, after keeping the replaced file as a backup.
// Refused while the program runs on the installation.
int restoreBackup(CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace dalvon::db_tool
