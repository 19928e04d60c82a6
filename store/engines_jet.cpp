// The store of a build without SQLite (Windows): Jet alone. A SQLite file is still recognised
// by its header, so that opening one says what the build lacks instead of "unrecognized format".
#include <optional>
#include <string_view>

#include "platform/fault.h"
#include "store/database.h"
#include "store/faults.h"
#include "store/jet/writer/jet_create.h"
#include "store/storage.h"
#include "store/store_backend.h"

namespace dalvon {
namespace {

constexpr std::string_view kSqliteHeader{"SQLite format 3\0", 16};

Fault sqliteNotInThisBuild(const std::string& path) {
    return faults::unrecognizedFormat(
        path, "It is a SQLite database; this build reads Access (.mdb) files only.");
}

class SqliteRefusal : public StoreBackend {
public:
    bool recognises(std::string_view header) const override {
        return header.substr(0, kSqliteHeader.size()) == kSqliteHeader;
    }
    std::unique_ptr<Storage> openStorage(const std::string& path) override {
        throw sqliteNotInThisBuild(path);
    }
    faults::Wording wording() const override { return faults::Wording::Jet; }
    std::optional<std::string> recoveredContent(const std::string&) override {
        return std::nullopt;
    }
    std::string damage(const std::string& path) override { throw sqliteNotInThisBuild(path); }
    std::string heldOpen(const std::string&) override { return {}; }
};

}  // namespace

std::vector<std::unique_ptr<StoreBackend>> makeStoreBackends(FileSystem& files, OpenMode) {
    std::vector<std::unique_ptr<StoreBackend>> backends;
    backends.push_back(makeJetBackend(files));
    backends.push_back(std::make_unique<SqliteRefusal>());
    return backends;
}

void createEmptyDatabase(const std::string& hostPath) {
    jet::createDatabase(hostPath);
}

}  // namespace dalvon
