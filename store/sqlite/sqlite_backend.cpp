#include <sys/stat.h>

#include <map>
#include <utility>

#include "store/database.h"
#include "store/faults.h"
#include "store/open_mode.h"
#include "store/sqlite/sqlite_connection.h"
#include "store/sqlite/sqlite_database.h"
#include "store/sqlite/sqlite_integrity.h"
#include "store/store_backend.h"

namespace dalvon {
namespace {

constexpr std::string_view kSqliteHeader{"SQLite format 3\0", 16};

// Opens SQLite files, one shared connection per file: two opens of the same file see each
// other's writes at once and never wait for each other.
class SqliteBackend : public StoreBackend {
public:
    explicit SqliteBackend(OpenMode mode) : m_readOnly(mode == OpenMode::ReadOnly) {}

    bool recognises(std::string_view header) const override {
        return header.substr(0, kSqliteHeader.size()) == kSqliteHeader;
    }

    std::unique_ptr<Database> open(const std::string& hostPath,
                                   const std::string& displayPath) override {
        FileKey key = fileKey(hostPath, displayPath);
        auto found = m_connections.find(key);
        if (found != m_connections.end()) {
            if (auto connection = found->second.lock(); connection && connection->isOpen()) {
                return sqlite::makeDatabase(std::move(connection));
            }
        }
        sqlite::checkIntegrity(hostPath, displayPath);
        auto connection = sqlite::Connection::open(hostPath, displayPath, m_readOnly);
        m_connections[key] = connection;
        return sqlite::makeDatabase(std::move(connection));
    }

    void flushAll() override {
        for (auto it = m_connections.begin(); it != m_connections.end();) {
            auto connection = it->second.lock();
            if (!connection || !connection->isOpen()) {
                it = m_connections.erase(it);
                continue;
            }
            connection->commit();
            ++it;
        }
    }

private:
    // A file is known by device and inode, so that two spellings of one path share a
    // connection and a file replaced under the same name does not.
    using FileKey = std::pair<dev_t, ino_t>;

    static FileKey fileKey(const std::string& hostPath, const std::string& displayPath) {
        struct stat info {};
        if (::stat(hostPath.c_str(), &info) != 0) {
            throw faults::couldNotFindFile(displayPath);
        }
        return {info.st_dev, info.st_ino};
    }

    bool m_readOnly;
    std::map<FileKey, std::weak_ptr<sqlite::Connection>> m_connections;
};

}  // namespace

std::unique_ptr<StoreBackend> makeSqliteBackend(OpenMode mode) {
    return std::make_unique<SqliteBackend>(mode);
}

}  // namespace dalvon
