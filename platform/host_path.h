#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace dalvon {

// std::filesystem paths from and to the program's UTF-8 texts. A path made from a plain
// std::string is read in the ANSI code page on Windows; through char8_t it is UTF-8 everywhere.
inline std::filesystem::path pathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace dalvon
