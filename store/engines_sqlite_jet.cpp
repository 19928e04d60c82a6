// The store of the Linux build: SQLite (the default for new files) and Jet.
#include "store/database.h"
#include "store/sqlite/sqlite_script.h"
#include "store/store_backend.h"

namespace dalvon {

std::vector<std::unique_ptr<StoreBackend>> makeStoreBackends(FileSystem& files, OpenMode mode) {
    std::vector<std::unique_ptr<StoreBackend>> backends;
    backends.push_back(makeSqliteBackend(files, mode));
    backends.push_back(makeJetBackend(files));
    return backends;
}

void createEmptyDatabase(const std::string& hostPath) {
    sqlite::createEmptyFile(hostPath);
}

}  // namespace dalvon
