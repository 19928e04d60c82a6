#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "store/database.h"
#include "store/faults.h"
#include "store/open_mode.h"
#include "store/store_backend.h"
#include "store/tables/table_database.h"
#include "store/tables/table_file.h"

namespace dalvon {
namespace {

// The one owner of open database files: a file is known by its identity, so that two
// spellings of one path share one TableFile (and see each other's writes), while a file put in
// place of another under the same name is a new one. The engine that recognises a file's first
// bytes opens its storage.
class ContentDispatchEngine : public DatabaseEngine {
public:
    ContentDispatchEngine(FileSystem& files, OpenMode mode)
        : m_files(files), m_backends(makeStoreBackends(files, mode)) {}

    std::unique_ptr<Database> open(const std::string& path) override {
        FileInfo info = existing(path);
        std::erase_if(m_open, [](const OpenFile& open) {
            auto file = open.file.lock();
            return !file || !file->isOpen();
        });
        for (const OpenFile& open : m_open) {
            if (sameFile(open.info, info))
                return tables::makeDatabase(open.file.lock());
        }
        StoreBackend& backend = backendFor(path);
        auto file =
            std::make_shared<tables::TableFile>(backend.openStorage(path), path, backend.wording());
        for (const auto& [refused, reason] : m_writeRefusals) {
            if (sameFile(refused, info))
                file->refuseWrites(reason);
        }
        m_open.push_back({info, file});
        return tables::makeDatabase(std::move(file));
    }

    void flushAll() override {
        for (OpenFile& open : m_open) {
            auto file = open.file.lock();
            if (!file || !file->isOpen())
                continue;
            file->commit();
            // A commit may put a new file in place of the old one.
            if (std::optional<FileInfo> now = m_files.fileInfo(file->displayPath()))
                open.info = *now;
        }
    }

    std::string committedContent(const std::string& path) override {
        existing(path);
        if (StoreBackend* backend = recognising(path)) {
            if (std::optional<std::string> content = backend->recoveredContent(path))
                return *content;
        }
        std::optional<std::string> bytes = m_files.readFile(path);
        if (!bytes)
            throw faults::couldNotFindFile(path);
        return *bytes;
    }

    void checkCopy(const std::string& from, const std::string& to) override {
        existing(from);
        std::string damage = backendFor(from).damage(from);
        if (!damage.empty())
            throw faults::databaseCorrupt(from, " (" + damage + ")");
        if (!m_files.fileExists(to))
            return;
        if (StoreBackend* backend = recognising(to)) {
            std::string holder = backend->heldOpen(to);
            if (!holder.empty())
                throw faults::pathAccess(to, "in use by another program: " + holder);
        }
    }

    void refuseWrites(const std::string& path, const Fault& reason) override {
        if (std::optional<FileInfo> info = m_files.fileInfo(path))
            m_writeRefusals.emplace_back(*info, reason);
    }

private:
    struct OpenFile {
        FileInfo info;
        std::weak_ptr<tables::TableFile> file;
    };

    static bool sameFile(const FileInfo& a, const FileInfo& b) {
        return a.device == b.device && a.file == b.file;
    }

    FileInfo existing(const std::string& path) {
        std::optional<FileInfo> info = m_files.fileInfo(path);
        if (!info)
            throw faults::couldNotFindFile(path);
        return *info;
    }

    StoreBackend* recognising(const std::string& path) {
        std::string header;
        try {
            header = m_files.readRange(path, 0, 128).value_or("");
        } catch (const Fault&) {
            return nullptr;  // an unreadable file is no database of any engine
        }
        for (auto& backend : m_backends) {
            if (backend->recognises(header))
                return backend.get();
        }
        return nullptr;
    }

    StoreBackend& backendFor(const std::string& path) {
        if (StoreBackend* backend = recognising(path))
            return *backend;
        throw faults::unrecognizedFormat(path);
    }

    FileSystem& m_files;
    std::vector<std::unique_ptr<StoreBackend>> m_backends;
    std::vector<OpenFile> m_open;
    std::vector<std::pair<FileInfo, Fault>> m_writeRefusals;
};

}  // namespace

std::unique_ptr<DatabaseEngine> makeDatabaseEngine(FileSystem& files, OpenMode mode) {
    return std::make_unique<ContentDispatchEngine>(files, mode);
}

std::unique_ptr<DatabaseEngine> makeDatabaseEngine(FileSystem& files) {
    return makeDatabaseEngine(files, OpenMode::ReadWrite);
}

}  // namespace dalvon
