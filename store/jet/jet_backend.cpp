#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <memory>
#include <utility>

#include "store/database.h"
#include "store/faults.h"
#include "store/jet/jet_check.h"
#include "store/jet/jet_file.h"
#include "store/jet/jet_writer.h"
#include "store/storage.h"
#include "store/store_backend.h"
#include "store/tables/table_database.h"
#include "store/tables/table_file.h"

namespace dalvon {
namespace {

// Opens Access files, one shared image per file: two opens of the same file see each other's
// writes, which reach the file together when the last handle closes (or at flushAll).
class JetBackend : public StoreBackend {
public:
    bool recognises(std::string_view header) const override {
        return jet::JetFile::recognises(header);
    }

    std::unique_ptr<Database> open(const std::string& hostPath, const std::string& displayPath,
                                   const Fault* writeRefusal) override {
        std::shared_ptr<tables::TableFile> file = openFile(hostPath, displayPath);
        if (writeRefusal)
            file->refuseWrites(*writeRefusal);
        return tables::makeDatabase(std::move(file));
    }

    // Every commit puts a whole new file in place: the bytes on disk are the content.
    std::optional<std::string> recoveredContent(const std::string&, const std::string&) override {
        return std::nullopt;
    }

    std::string damage(const std::string& hostPath) override {
        try {
            jet::JetCheckReport report = jet::checkJetFileReport(hostPath);
            if (report.problems.empty())
                return {};
            return report.problems.front() +
                   (report.problems.size() > 1
                        ? " (and " + std::to_string(report.problems.size() - 1) + " more)"
                        : "");
        } catch (const Fault& fault) {
            return fault.description();
        }
    }

    std::string heldOpen(const std::string& hostPath) override {
        std::string lock = jet::lockFileBeside(hostPath);
        return lock.empty() ? lock : "its lock file '" + lock + "' is there";
    }

    void flushAll() override {
        for (auto it = m_files.begin(); it != m_files.end();) {
            auto file = it->second.file.lock();
            if (!file || !file->isOpen()) {
                it = m_files.erase(it);
                continue;
            }
            file->commit();
            // A commit puts a new file in place of the old one.
            it->second.identity = fileKey(it->first, file->displayPath());
            ++it;
        }
    }

private:
    std::shared_ptr<tables::TableFile> openFile(const std::string& hostPath,
                                                const std::string& displayPath) {
        FileKey identity = fileKey(hostPath, displayPath);
        std::string path = std::filesystem::weakly_canonical(hostPath).string();
        auto found = m_files.find(path);
        if (found != m_files.end() && found->second.identity == identity) {
            if (auto file = found->second.file.lock(); file && file->isOpen())
                return file;
        }
        auto file = std::make_shared<tables::TableFile>(openJetStorage(hostPath, displayPath),
                                                        displayPath, faults::Wording::Jet);
        m_files[path] = Entry{file, identity};
        return file;
    }

    // Writes reach the file as a new file put in its place, so an open file is known by its
    // path; its device and inode tell whether something else has replaced it since.
    using FileKey = std::pair<dev_t, ino_t>;
    struct Entry {
        std::weak_ptr<tables::TableFile> file;
        FileKey identity;
    };

    static FileKey fileKey(const std::string& hostPath, const std::string& displayPath) {
        struct stat info {};
        if (::stat(hostPath.c_str(), &info) != 0)
            throw faults::couldNotFindFile(displayPath);
        return {info.st_dev, info.st_ino};
    }

    std::map<std::string, Entry> m_files;  // by canonical path
};

}  // namespace

std::unique_ptr<StoreBackend> makeJetBackend() {
    return std::make_unique<JetBackend>();
}

}  // namespace dalvon
