// The fixture's databases made and queried by the sqlite3 library itself.
#include <filesystem>

#include "store/sqlite/sqlite_script.h"
#include "tests/store/store_fixture.h"

namespace dalvon::testing {

std::string StoreTest::makeDatabase(const std::string& name, const std::string& script) {
    std::string file = path(name);
    std::filesystem::remove(host(file));
    sqlite::runScript(host(file), script);
    return file;
}

std::vector<std::vector<std::string>> StoreTest::rows(const std::string& file,
                                                      const std::string& sql) {
    return sqlite::queryAsText(host(file), sql);
}

}  // namespace dalvon::testing
