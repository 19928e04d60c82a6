#pragma once

#include <memory>

#include "store/storage.h"

namespace dalvon::sqlite {

class Connection;

// The storage interface over a connection; the storage holds the connection open until it is
// destroyed, which commits.
std::unique_ptr<Storage> makeStorage(std::shared_ptr<Connection> connection);

}  // namespace dalvon::sqlite
