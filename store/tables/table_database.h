#pragma once

#include <memory>

#include "store/database.h"

namespace dalvon::tables {

class TableFile;

// A Database handle over a file shared by all handles on it; closing the last handle commits.
std::unique_ptr<Database> makeDatabase(std::shared_ptr<TableFile> file);

}  // namespace dalvon::tables
