#pragma once

#include <filesystem>
#include <memory>

#include "platform/file_system.h"
#include "store/database.h"

namespace dalvon::testing {

// A database file on the host opened through the program's engine, with the file system and
// the engine it reads through kept alive as long as the database.
struct HostDatabase {
    explicit HostDatabase(const std::filesystem::path& file)
        : files(makeHostFileSystem()),
          engine(makeDatabaseEngine(*files)),
          database(engine->open(files->windowsPath(file.string()))) {}

    Database* operator->() const { return database.get(); }
    Database& operator*() const { return *database; }

    std::unique_ptr<FileSystem> files;
    std::unique_ptr<DatabaseEngine> engine;
    std::unique_ptr<Database> database;
};

}  // namespace dalvon::testing
