// On Windows the drives are the system's own: D: and C: of the tests are folders in the temp
// folder, reached through a wrapper that rewrites the drive part of each path, and back.
#include <windows.h>

#include <algorithm>
#include <random>
#include <vector>

#include "platform/fakes/faulty_file_system.h"
#include "platform/text.h"
#include "tests/platform/platform_fixture.h"
#include "tests/platform/wine.h"

namespace dalvon::testing {
namespace {

class RootedFileSystem : public ForwardingFileSystem {
public:
    RootedFileSystem(std::unique_ptr<FileSystem> real, std::vector<Drive> roots)
        : ForwardingFileSystem(*real), m_real(std::move(real)), m_roots(std::move(roots)) {
        // The longest folder first, so that C: inside D: maps back to C:.
        std::sort(m_roots.begin(), m_roots.end(), [](const Drive& a, const Drive& b) {
            return a.hostFolder.size() > b.hostFolder.size();
        });
    }

    bool fileExists(const std::string& path) override { return m_real->fileExists(real(path)); }
    std::optional<std::string> readFile(const std::string& path) override {
        return m_real->readFile(real(path));
    }
    std::optional<std::string> readRange(const std::string& path, uint64_t offset,
                                         size_t length) override {
        return m_real->readRange(real(path), offset, length);
    }
    std::optional<FileInfo> fileInfo(const std::string& path) override {
        return m_real->fileInfo(real(path));
    }
    void writeFileAtomic(const std::string& path, const std::string& bytes) override {
        m_real->writeFileAtomic(real(path), bytes);
    }
    void copyFile(const std::string& from, const std::string& to) override {
        m_real->copyFile(real(from), real(to));
    }
    void appendLine(const std::string& path, const std::string& text) override {
        m_real->appendLine(real(path), text);
    }
    std::optional<FileTimes> readTimes(const std::string& path) override {
        return m_real->readTimes(real(path));
    }
    bool writeTimes(const std::string& path, const FileTimes& times) override {
        return m_real->writeTimes(real(path), times);
    }
    void createFolder(const std::string& path) override { m_real->createFolder(real(path)); }
    std::vector<std::string> listFolder(const std::string& path) override {
        return m_real->listFolder(real(path));
    }
    void removeFile(const std::string& path) override { m_real->removeFile(real(path)); }
    int removeLeftovers(const std::string& folder) override {
        return m_real->removeLeftovers(real(folder));
    }
    LockAttempt tryLock(const std::string& path) override { return m_real->tryLock(real(path)); }
    std::string hostPath(const std::string& path) override { return m_real->hostPath(real(path)); }
    std::string windowsPath(const std::string& hostPath) override {
        std::string path = m_real->windowsPath(hostPath);
        for (const Drive& drive : m_roots) {
            const std::string& folder = drive.hostFolder;
            if (path.size() >= folder.size() &&
                equalsIgnoreCase(path.substr(0, folder.size()), folder) &&
                (path.size() == folder.size() || path[folder.size()] == '\\'))
                return std::string(1, drive.letter) + ":" + path.substr(folder.size());
        }
        return path;
    }

private:
    std::string real(const std::string& path) const {
        std::optional<WindowsPathParts> parts = splitWindowsPath(path);
        if (!parts)
            return path;
        for (const Drive& drive : m_roots) {
            if (drive.letter != parts->drive)
                continue;
            std::string native = drive.hostFolder;
            for (const std::string& component : parts->components)
                native += "\\" + component;
            return native;
        }
        return path;
    }

    std::unique_ptr<FileSystem> m_real;
    std::vector<Drive> m_roots;
};

}  // namespace

bool runningUnderWine() {
    HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::filesystem::path makeTempFolder() {
    std::random_device random;
    for (;;) {
        std::filesystem::path folder =
            std::filesystem::temp_directory_path() /
            ("dalvon-" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(random()));
        if (std::filesystem::create_directory(folder))
            return folder;
    }
}

std::unique_ptr<FileSystem> makeFileSystemWithDrives(std::vector<Drive> drives) {
    std::unique_ptr<FileSystem> real = makeSystemFileSystem();
    std::vector<Drive> roots;
    for (Drive& drive : drives) {
        if (drive.hostFolder != "/")
            roots.push_back({drive.letter, real->windowsPath(drive.hostFolder)});
    }
    return std::make_unique<RootedFileSystem>(std::move(real), std::move(roots));
}

}  // namespace dalvon::testing
