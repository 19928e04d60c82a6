#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/drive_map.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/host_path.h"

namespace dalvon::testing {

// The fault number `action` throws, 0 when it throws none; its text goes to `text`.
inline int faultNumber(const std::function<void()>& action, std::string* text = nullptr) {
    try {
        action();
    } catch (const Fault& fault) {
        if (text != nullptr)
            *text = fault.description();
        return fault.number();
    }
    return 0;
}

// A new, empty folder of its own in the system's temp folder.
std::filesystem::path makeTempFolder();

// The real file system of this system with drive letters standing for host folders; on
// Windows, where the drives are the system's own, through a wrapper that rewrites the drive
// part of each path (a drive for "/" is the POSIX root and left out there).
std::unique_ptr<FileSystem> makeFileSystemWithDrives(std::vector<Drive> drives);

// The real file system on a fresh temp folder: D: is the folder, C: a folder inside it that
// does not exist yet.
class TempDrive {
public:
    TempDrive()
        : root(makeTempFolder()),
          m_files(makeFileSystemWithDrives({{'C', utf8FromPath(root / "c" / "dalvon")},
                                            {'D', utf8FromPath(root)},
                                            {'Z', "/"}})) {}
    ~TempDrive() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    FileSystem& files() { return *m_files; }
    std::filesystem::path host(const std::string& path) {
        std::filesystem::path host = root;
        const WindowsPathParts parts = splitWindowsPath(path).value();
        for (const std::string& component : parts.components)
            host /= component;
        return host;
    }

    std::filesystem::path root;

private:
    std::unique_ptr<FileSystem> m_files;
};

}  // namespace dalvon::testing
