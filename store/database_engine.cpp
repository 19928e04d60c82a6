#include <fstream>
#include <utility>
#include <vector>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "store/database.h"
#include "store/open_mode.h"
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
            throw Fault(3024, "DAO.Workspace", "Could not find file '" + path + "'.");
        }
        std::string host = m_files.hostPath(path);
        std::string header = readHeader(host);
        for (auto& backend : m_backends) {
            if (backend->recognises(header))
                return backend->open(host, path);
        }
        throw Fault(3343, "DAO.Workspace", "Unrecognized database format '" + path + "'.");
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

}  // namespace dalvon
