#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

namespace dalvon::testing {

// A new, empty folder of its own in the system's temp folder (tests/platform/temp_drive_*.cpp).
std::filesystem::path makeTempFolder();

// A fresh folder below the system's temp folder, removed with all it holds when the object goes.
class TempFolder {
public:
    explicit TempFolder(const std::string& = {}) : m_path(makeTempFolder()) {
        if (m_path.empty())
            throw std::runtime_error("no temp folder");
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace dalvon::testing
