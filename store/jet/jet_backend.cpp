#include <memory>

#include "platform/file_system.h"
#include "store/faults.h"
#include "store/jet/check/jet_check.h"
#include "store/jet/format/jet_file.h"
#include "store/jet/writer/jet_writer.h"
#include "store/storage.h"
#include "store/store_backend.h"

namespace dalvon {
namespace {

// Access files: read whole into memory, written natively (Jet 4), checked structurally.
class JetBackend : public StoreBackend {
public:
    explicit JetBackend(FileSystem& files) : m_files(files) {}

    bool recognises(std::string_view header) const override {
        return jet::JetFile::recognises(header);
    }

    std::unique_ptr<Storage> openStorage(const std::string& path) override {
        return openJetStorage(m_files, path);
    }

    faults::Wording wording() const override { return faults::Wording::Jet; }

    // Every commit puts a whole new file in place: the bytes on disk are the content.
    std::optional<std::string> recoveredContent(const std::string&) override {
        return std::nullopt;
    }

    std::string damage(const std::string& path) override {
        try {
            jet::JetCheckReport report = jet::checkJetFileReport(m_files, path);
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

    std::string heldOpen(const std::string& path) override {
        std::string lock = jet::lockFileBeside(m_files, path);
        return lock.empty() ? lock : "its lock file '" + lock + "' is there";
    }

private:
    FileSystem& m_files;
};

}  // namespace

std::unique_ptr<StoreBackend> makeJetBackend(FileSystem& files) {
    return std::make_unique<JetBackend>(files);
}

}  // namespace dalvon
