// A build without SQLite (Windows) has nothing to run the fixtures' SQL scripts: tests that
// make databases stay on Linux (tests/CMakeLists.txt).
#include <stdexcept>

#include "tests/support/test_installation.h"

namespace dalvon::testing {

void TestInstallation::makeDatabase(const std::string&, const std::string&) {
    throw std::logic_error("this build has no SQLite to run the fixture's SQL script");
}

std::vector<std::vector<std::string>> TestInstallation::query(const std::string&,
                                                              const std::string&) const {
    throw std::logic_error("this build has no SQLite to run the fixture's query");
}

}  // namespace dalvon::testing
