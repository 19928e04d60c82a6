#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
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
        std::string host = existingHostPath(path);
        auto refusal = m_writeRefusals.find(canonical(host));
        const Fault* writeRefusal = refusal == m_writeRefusals.end() ? nullptr : &refusal->second;
        return backendFor(host, path).open(host, path, writeRefusal);
    }

    void flushAll() override {
        for (auto& backend : m_backends)
            backend->flushAll();
    }

    std::string committedContent(const std::string& path) override {
        std::string host = existingHostPath(path);
        if (StoreBackend* backend = recognising(host)) {
            if (std::optional<std::string> content = backend->recoveredContent(host, path))
                return *content;
        }
        std::optional<std::string> bytes = m_files.readFile(path);
        if (!bytes)
            throw faults::couldNotFindFile(path);
        return *bytes;
    }

    void checkCopy(const std::string& from, const std::string& to) override {
        std::string host = existingHostPath(from);
        std::string damage = backendFor(host, from).damage(host);
        if (!damage.empty())
            throw faults::databaseCorrupt(from, " (" + damage + ")");
        if (!m_files.fileExists(to))
            return;
        std::string target = m_files.hostPath(to);
        if (StoreBackend* backend = recognising(target)) {
            std::string holder = backend->heldOpen(target);
            if (!holder.empty())
                throw faults::pathAccess(to, "in use by another program: " + holder);
        }
    }

    void refuseWrites(const std::string& path, const Fault& reason) override {
        m_writeRefusals.insert_or_assign(canonical(m_files.hostPath(path)), reason);
    }

private:
    std::string existingHostPath(const std::string& path) {
        if (!m_files.fileExists(path))
            throw faults::couldNotFindFile(path);
        return m_files.hostPath(path);
    }

    StoreBackend* recognising(const std::string& hostPath) {
        std::string header = readHeader(hostPath);
        for (auto& backend : m_backends) {
            if (backend->recognises(header))
                return backend.get();
        }
        return nullptr;
    }

    StoreBackend& backendFor(const std::string& hostPath, const std::string& path) {
        if (StoreBackend* backend = recognising(hostPath))
            return *backend;
        throw faults::unrecognizedFormat(path);
    }

    static std::string canonical(const std::string& hostPath) {
        std::error_code error;
        std::filesystem::path path = std::filesystem::weakly_canonical(hostPath, error);
        return error ? hostPath : path.string();
    }

    static std::string readHeader(const std::string& hostPath) {
        std::ifstream in(hostPath, std::ios::binary);
        std::string header(128, '\0');
        in.read(header.data(), static_cast<std::streamsize>(header.size()));
        header.resize(static_cast<size_t>(in.gcount()));
        return header;
    }

    FileSystem& m_files;
    std::vector<std::unique_ptr<StoreBackend>> m_backends;
    std::map<std::string, Fault> m_writeRefusals;  // by canonical host path
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
