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
#include "tests/support/fault_of.h"
#include "tests/support/temp_folder.h"

namespace dalvon::testing {

// The real file system of this system with drive letters standing for host folders; on
// Windows, where the drives are the system's own, through a wrapper that rewrites the drive
// part of each path (a drive for "/" is the POSIX root and left out there).
std::unique_ptr<FileSystem> makeFileSystemWithDrives(std::vector<Drive> drives);

// The real file system on a fresh temp folder: D: is the folder, C: a folder inside it that
// does not exist yet.
class TempDrive {
    TempFolder m_folder;  // first, so that it goes after the file system

public:
    TempDrive()
        : root(m_folder.path()),
          m_files(makeFileSystemWithDrives({{'C', utf8FromPath(root / "c" / "dalvon")},
                                            {'D', utf8FromPath(root)},
                                            {'Z', "/"}})) {}
    FileSystem& files() { return *m_files; }
    std::filesystem::path host(const std::string& path) {
        std::filesystem::path host = root;
        const WindowsPathParts parts = splitWindowsPath(path).value();
        for (const std::string& component : parts.components)
            host /= component;
        return host;
    }

    const std::filesystem::path root;

private:
    std::unique_ptr<FileSystem> m_files;
};

}  // namespace dalvon::testing
