#include <fstream>
#include <utility>
#include <vector>

#include "platform/file_system.h"
#include "store/database.h"
#include "store/faults.h"
#include "store/open_mode.h"
#include "store/sqlite/sqlite_script.h"
#include "store/store_backend.h"

namespace dalvon {
namespace {

class ContentDispatchEngine : public DatabaseEngine {
public:
    ContentDispatchEngine(FileSystem& files, OpenMode mode) : m_files(files) {
        m_backends.push_back(makeSqliteBackend(mode));
        m_backends.push_back(makeJetBackend());
    }

    std::unique_ptr<Database> open(const std::string& path) override {
        if (!m_files.fileExists(path)) {
            throw faults::couldNotFindFile(path);
        }
        std::string host = m_files.hostPath(path);
        std::string header = readHeader(host);
        for (auto& backend : m_backends) {
            if (backend->recognises(header))
                return backend->open(host, path);
        }
        throw faults::unrecognizedFormat(path);
    }

    void flushAll() override {
        for (auto& backend : m_backends)
            backend->flushAll();
    }

private:
    static std::string readHeader(const std::string& hostPath) {
        std::ifstream in(hostPath, std::ios::binary);
        std::string header(128, '\0');
        in.read(header.data(), static_cast<std::streamsize>(header.size()));
        header.resize(static_cast<size_t>(in.gcount()));
        return header;
    }

    FileSystem& m_files;
    std::vector<std::unique_ptr<StoreBackend>> m_backends;
};

}  // namespace

std::unique_ptr<DatabaseEngine> makeDatabaseEngine(FileSystem& files, OpenMode mode) {
    return std::make_unique<ContentDispatchEngine>(files, mode);
}

std::unique_ptr<DatabaseEngine> makeDatabaseEngine(FileSystem& files) {
    return makeDatabaseEngine(files, OpenMode::ReadWrite);
}

void createEmptyDatabase(const std::string& hostPath) {
    sqlite::createEmptyFile(hostPath);
}

}  // namespace dalvon
