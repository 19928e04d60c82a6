#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/drive_map.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "tests/support/fault_of.h"
#include "tests/support/temp_folder.h"

namespace dalvon::testing {

// The real file system on a fresh temp folder: D: is the folder, C: a folder inside it that
// does not exist yet, Z: the host root.
class TempDrive {
    TempFolder m_folder;  // first, so that it goes after the file system

public:
    TempDrive()
        : root(m_folder.path()),
          m_files(makePosixFileSystem(
              {{'C', (root / "c" / "dalvon").string()}, {'D', root.string()}, {'Z', "/"}})) {}
    FileSystem& files() { return *m_files; }
    std::filesystem::path host(const std::string& path) {
        return mapToHost({{'D', root.string()}}, path);
    }

    const std::filesystem::path root;

private:
    std::unique_ptr<FileSystem> m_files;
};

}  // namespace dalvon::testing
