#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "store/database.h"

namespace dalvon::jet_test {

// The sample folder (../shared/testdata/jet beside the clone) and its .mdb files, sorted.
std::filesystem::path samplesDir();
bool haveSamples();
std::vector<std::filesystem::path> sampleFiles();
std::filesystem::path sample(const std::string& name);

// True when Debian's mdbtools are on the PATH.
bool haveMdbTools();
// Runs a shell command and returns its standard output.
std::string runCommand(const std::string& command);
std::string shellQuote(const std::string& text);

// Opens a file with the Jet engine; the host path is also the display path.
std::unique_ptr<Database> openJet(const std::filesystem::path& file);

// All values of a table, row by row, through a record set.
std::vector<std::vector<Variant>> readAll(Database& db, const std::string& table);

// An OLE date as "yyyy-mm-dd hh:mm:ss", rounded to the second.
std::string formatOleDate(double oleDays);

// A temporary folder removed with the object.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace dalvon::jet_test

#define DALVON_REQUIRE_SAMPLES()                                                      \
    do {                                                                              \
        if (!::dalvon::jet_test::haveSamples()) {                                     \
            GTEST_SKIP() << "no Jet samples at " << ::dalvon::jet_test::samplesDir(); \
        }                                                                             \
    } while (false)
