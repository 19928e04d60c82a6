// A build without SQLite (Windows) has nothing to make the fixture's SQLite files with: the tests
// that need them stay on Linux (tests/store/CMakeLists.txt).
#include <stdexcept>

#include "tests/store/store_fixture.h"

namespace dalvon::testing {

std::string StoreTest::makeDatabase(const std::string&, const std::string&) {
    throw std::logic_error("this build has no SQLite to make the fixture's database");
}

std::vector<std::vector<std::string>> StoreTest::rows(const std::string&, const std::string&) {
    throw std::logic_error("this build has no SQLite to query the fixture's database");
}

}  // namespace dalvon::testing
