#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "store/database.h"
#include "tests/support/fault_of.h"
#include "tests/support/temp_folder.h"

namespace dalvon::testing {

// Paths map 1:1: the "Windows" path handed to the engine is the host path itself. Enough for
// the engine, which only asks whether a file exists and where it is.
class HostFileSystem : public FileSystem {
public:
    bool fileExists(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override;
    void writeFileAtomic(const std::string& path, const std::string& bytes) override;
    void copyFile(const std::string& from, const std::string& to) override;
    void appendLine(const std::string& path, const std::string& text) override;
    std::optional<FileTimes> readTimes(const std::string&) override { return std::nullopt; }
    bool writeTimes(const std::string&, const FileTimes&) override { return false; }
    std::string hostPath(const std::string& path) override { return path; }
    std::string windowsPath(const std::string& hostPath) override { return hostPath; }
    // Folders, locks and leftovers are none of the engine's business.
    void createFolder(const std::string&) override {}
    std::vector<std::string> listFolder(const std::string&) override { return {}; }
    void removeFile(const std::string&) override {}
    int removeLeftovers(const std::string&) override { return 0; }
    LockAttempt tryLock(const std::string&) override { return {}; }
};

// A temp folder with database files made and inspected through the sqlite3 library directly,
// and the program's database engine over them.
class StoreTest : public ::testing::Test {
protected:
    StoreTest();
    ~StoreTest() override;

    std::string path(const std::string& name) const { return (m_dir.path() / name).string(); }
    // Creates (or replaces) a SQLite file from an SQL script; returns its path.
    std::string makeDatabase(const std::string& name, const std::string& script);
    // Rows of a query run by the sqlite3 library on the file; values as text, "NULL" for Null.
    std::vector<std::vector<std::string>> rows(const std::string& file, const std::string& sql);
    std::string readBytes(const std::string& file) const;
    void writeBytes(const std::string& file, const std::string& bytes) const;

    std::unique_ptr<Database> open(const std::string& file) { return m_engine->open(file); }
    // All rows of a record set from the first, values as text ("Null" for Null).
    static std::vector<std::vector<std::string>> readAll(Recordset& set);

    HostFileSystem m_files;
    std::unique_ptr<DatabaseEngine> m_engine;

private:
    TempFolder m_dir{"store_test"};
};

}  // namespace dalvon::testing
