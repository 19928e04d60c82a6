#include <sys/stat.h>

#include <map>
#include <utility>

#include "store/database.h"
#include "store/faults.h"
#include "store/open_mode.h"
#include "store/sqlite/sqlite_connection.h"
#include "store/sqlite/sqlite_integrity.h"
#include "store/sqlite/sqlite_storage.h"
#include "store/store_backend.h"
#include "store/tables/table_database.h"
#include "store/tables/table_file.h"

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

    std::unique_ptr<Database> open(const std::string& hostPath, const std::string& displayPath,
                                   const Fault* writeRefusal) override {
        std::shared_ptr<tables::TableFile> file = openFile(hostPath, displayPath);
        if (writeRefusal)
            file->refuseWrites(*writeRefusal);
        return tables::makeDatabase(std::move(file));
    }

    std::optional<std::string> recoveredContent(const std::string& hostPath,
                                                const std::string& displayPath) override {
        return sqlite::recoveredContent(hostPath, displayPath);
    }

    std::string damage(const std::string& hostPath) override {
        return sqlite::integrityDamage(hostPath);
    }

    // Another program's SQLite connection leaves no trace that tells it from a crashed one.
    std::string heldOpen(const std::string&) override { return {}; }

    void flushAll() override {
        for (auto it = m_files.begin(); it != m_files.end();) {
            auto file = it->second.lock();
            if (!file || !file->isOpen()) {
                it = m_files.erase(it);
                continue;
            }
            file->commit();
            ++it;
        }
    }

private:
    std::shared_ptr<tables::TableFile> openFile(const std::string& hostPath,
                                                const std::string& displayPath) {
        FileKey key = fileKey(hostPath, displayPath);
        auto found = m_files.find(key);
        if (found != m_files.end()) {
            if (auto file = found->second.lock(); file && file->isOpen())
                return file;
        }
        sqlite::checkIntegrity(hostPath, displayPath);
        auto file = std::make_shared<tables::TableFile>(
            sqlite::makeStorage(sqlite::Connection::open(hostPath, displayPath, m_readOnly)),
            displayPath, faults::Wording::Store);
        m_files[key] = file;
        return file;
    }

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
    std::map<FileKey, std::weak_ptr<tables::TableFile>> m_files;
};

}  // namespace

std::unique_ptr<StoreBackend> makeSqliteBackend(OpenMode mode) {
    return std::make_unique<SqliteBackend>(mode);
}

}  // namespace dalvon
