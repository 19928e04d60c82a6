#pragma once

#include <memory>

namespace dalvon {

class DatabaseEngine;
class FileSystem;

// How an engine opens files. ReadOnly is for tools that only look: a file is never written,
// and its journal mode is left as it is.
enum class OpenMode { ReadWrite, ReadOnly };

// The engine of makeDatabaseEngine, opening every file in `mode`.
std::unique_ptr<DatabaseEngine> makeDatabaseEngine(FileSystem& files, OpenMode mode);

}  // namespace dalvon
