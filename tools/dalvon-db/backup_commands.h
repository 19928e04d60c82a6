#pragma once

#include <string>
#include <vector>

#include "tools/dalvon-db/db_commands.h"

namespace dalvon::db_tool {

// An installation's component database, found as the program finds it from its Config folder.
struct Installation {
    std::string base;       // Windows path
    std::string component;  // the component's name
    std::string database;   // Windows path of the component database
};

// The installation in the host folder `hostFolder`; Fault 76 when it is no folder.
Installation installationAt(CommandContext& context, const std::string& hostFolder);

// `backups INSTALLATION`: the backups of the installation's component database, oldest first,
// one host path a line.
int listBackups(CommandContext& context, const std::vector<std::string>& arguments);

// `restore INSTALLATION [NAME]`: replaces the component database by the backup NAME (the
// newest when none is named) in one atomic step, after keeping the replaced file as a backup.
// Refused while the program runs on the installation.
int restoreBackup(CommandContext& context, const std::vector<std::string>& arguments);

}  // namespace dalvon::db_tool
