#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "store/database.h"
#include "tests/support/fault_of.h"
#include "tests/support/temp_folder.h"

namespace dalvon::testing {

// A temp folder with database files made and inspected through the sqlite3 library directly,
// and the program's database engine over them.
class StoreTest : public ::testing::Test {
protected:
    StoreTest();
    ~StoreTest() override;

    // The path the engine takes (Windows form) of a file in the temp folder, and the host path
    // of such a path (for SQLite and the file system's own functions).
    std::string path(const std::string& name) const {
        return m_files->windowsPath(utf8FromPath(m_dir.path() / name));
    }
    std::string host(const std::string& path) const { return m_files->hostPath(path); }
    // Creates (or replaces) a SQLite file from an SQL script; returns its path.
    std::string makeDatabase(const std::string& name, const std::string& script);
    // Rows of a query run by the sqlite3 library on the file; values as text, "NULL" for Null.
    std::vector<std::vector<std::string>> rows(const std::string& file, const std::string& sql);
    std::string readBytes(const std::string& file) const;
    void writeBytes(const std::string& file, const std::string& bytes) const;

    std::unique_ptr<Database> open(const std::string& file) { return m_engine->open(file); }
    // All rows of a record set from the first, values as text ("Null" for Null).
    static std::vector<std::vector<std::string>> readAll(Recordset& set);

private:
    TempFolder m_dir{"store_test"};

protected:
    std::unique_ptr<FileSystem> m_files = makeHostFileSystem();
    std::unique_ptr<DatabaseEngine> m_engine = makeDatabaseEngine(*m_files);
};

}  // namespace dalvon::testing
