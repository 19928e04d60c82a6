#pragma once

#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "platform/drive_map.h"
#include "platform/fault.h"
#include "platform/file_system.h"

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

// The real file system on a fresh temp folder: D: is the folder, C: a folder inside it that
// does not exist yet, Z: the host root.
class TempDrive {
public:
    TempDrive() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dalvon-XXXXXX").string();
        root = mkdtemp(pattern.data());
        m_files = makePosixFileSystem(
            {{'C', (root / "c" / "dalvon").string()}, {'D', root.string()}, {'Z', "/"}});
    }
    ~TempDrive() {
        std::error_code ignored;
        std::filesystem::remove_all(root, ignored);
    }
    FileSystem& files() { return *m_files; }
    std::filesystem::path host(const std::string& path) {
        return mapToHost({{'D', root.string()}}, path);
    }

    std::filesystem::path root;

private:
    std::unique_ptr<FileSystem> m_files;
};

}  // namespace dalvon::testing
