// A build without SQLite (Windows) makes the installation's databases as Jet 4 files from the
// fixtures' SQL scripts, read by a loader of the statements the fixtures use. Queries in SQL
// need SQLite: tests that make them stay on Linux (tests/CMakeLists.txt).
#include <filesystem>
#include <stdexcept>

#include "tests/support/fixture_script.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {

namespace fs = std::filesystem;

void TestInstallation::makeDatabase(const std::string& windowsPath, const std::string& sqlScript) {
    if (m_format != DatabaseFormat::Jet4)
        throw std::logic_error("this build has no SQLite to make a SQLite database");
    fs::path path = host(windowsPath);
    fs::create_directories(path.parent_path());
    fs::remove(path);
    makeJetDatabase(path, sqlScript);
}

std::vector<std::vector<std::string>> TestInstallation::query(const std::string&,
                                                              const std::string&) const {
    throw std::logic_error("this build has no SQLite to run the fixture's query");
}

}  // namespace dalvon::testing
