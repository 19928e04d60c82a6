#include <memory>

#include "platform/file_system.h"
#include "store/faults.h"
#include "store/open_mode.h"
#include "store/sqlite/sqlite_connection.h"
#include "store/sqlite/sqlite_integrity.h"
#include "store/sqlite/sqlite_storage.h"
#include "store/storage.h"
#include "store/store_backend.h"

namespace dalvon {
namespace {

constexpr std::string_view kSqliteHeader{"SQLite format 3\0", 16};

// SQLite files. SQLite reads and writes them itself; the file system only says where they are.
class SqliteBackend : public StoreBackend {
public:
    SqliteBackend(FileSystem& files, OpenMode mode)
        : m_files(files), m_readOnly(mode == OpenMode::ReadOnly) {}

    bool recognises(std::string_view header) const override {
        return header.substr(0, kSqliteHeader.size()) == kSqliteHeader;
    }

    std::unique_ptr<Storage> openStorage(const std::string& path) override {
        std::string host = m_files.hostPath(path);
        sqlite::checkIntegrity(host, path);
        return sqlite::makeStorage(sqlite::Connection::open(host, path, m_readOnly));
    }

    faults::Wording wording() const override { return faults::Wording::Store; }

    std::optional<std::string> recoveredContent(const std::string& path) override {
        return sqlite::recoveredContent(m_files.hostPath(path), path);
    }

    std::string damage(const std::string& path) override {
        return sqlite::integrityDamage(m_files.hostPath(path));
    }

    // Another program's SQLite connection leaves no trace that tells it from a crashed one.
    std::string heldOpen(const std::string&) override { return {}; }

private:
    FileSystem& m_files;
    bool m_readOnly;
};

}  // namespace

std::unique_ptr<StoreBackend> makeSqliteBackend(FileSystem& files, OpenMode mode) {
    return std::make_unique<SqliteBackend>(files, mode);
}

}  // namespace dalvon
