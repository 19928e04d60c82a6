// The installation's databases made from SQL scripts, and queried, by SQLite itself.
#include <filesystem>

#include "store/database.h"
#include "store/jet/writer/jet_create.h"
#include "store/sqlite/sqlite_script.h"
#include "store/table_copy.h"
#include "tests/support/host_database.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

// Every table of one file into another (an empty database), as dalvon-db convert copies them.
void copyAllTables(const fs::path& from, const fs::path& to) {
    HostDatabase source(from);
    HostDatabase target(to);
    for (const std::string& table : source->tableNames())
        copyTable(*source, *target, table);
    target->close();
    source->close();
}

}  // namespace

void TestInstallation::makeDatabase(const std::string& windowsPath, const std::string& sqlScript) {
    fs::path path = host(windowsPath);
    fs::create_directories(path.parent_path());
    fs::remove(path);
    if (m_format == DatabaseFormat::Sqlite) {
        sqlite::runScript(path.string(), sqlScript);
        return;
    }
    fs::path script = m_root / "script.sqlite";
    fs::remove(script);
    sqlite::runScript(script.string(), sqlScript);
    jet::createDatabase(path.string());
    copyAllTables(script, path);
    fs::remove(script);
}

std::vector<std::vector<std::string>> TestInstallation::query(const std::string& windowsPath,
                                                              const std::string& sql) const {
    fs::path path = host(windowsPath);
    if (!isJetFile(path))
        return sqlite::queryAsText(path.string(), sql);
    fs::path copy = m_root / "query.sqlite";
    fs::remove(copy);
    createEmptyDatabase(copy.string());
    copyAllTables(path, copy);
    auto rows = sqlite::queryAsText(copy.string(), sql);
    fs::remove(copy);
    return rows;
}

}  // namespace dalvon::testing
