#pragma once

#include <memory>

#include "store/database.h"

namespace dalvon::sqlite {

class Connection;

// A Database handle over a shared connection; closing the last handle of a file commits.
std::unique_ptr<Database> makeDatabase(std::shared_ptr<Connection> connection);

}  // namespace dalvon::sqlite
