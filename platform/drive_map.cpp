#include "platform/drive_map.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "platform/fault.h"

namespace dalvon {
namespace {

std::string_view trimmed(std::string_view text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

// "/srv/c/" -> "/srv/c"; the root stays "/".
std::string withoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

Fault malformedEntry(std::string_view entry) {
    return faults::invalidCall(std::string(kDrivesVariable) + ": malformed entry '" +
                               std::string(entry) +
                               "', expected a drive letter, '=' and an absolute folder");
}

Drive parseEntry(std::string_view entry) {
    size_t equals = entry.find('=');
    if (equals == std::string_view::npos)
        throw malformedEntry(entry);
    std::string_view letter = trimmed(entry.substr(0, equals));
    std::string_view folder = trimmed(entry.substr(equals + 1));
    if (letter.size() != 1 || !std::isalpha(static_cast<unsigned char>(letter[0])) ||
        folder.empty() || folder[0] != '/') {
        throw malformedEntry(entry);
    }
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter[0])));
    return {upper, withoutTrailingSlash(std::string(folder))};
}

void setDrive(std::vector<Drive>& drives, Drive drive) {
    for (Drive& existing : drives) {
        if (existing.letter == drive.letter) {
            existing.hostFolder = std::move(drive.hostFolder);
            return;
        }
    }
    drives.push_back(std::move(drive));
}

// Is `path` the folder itself or inside it?
bool isWithin(const std::string& path, const std::string& folder) {
    if (folder == "/")
        return !path.empty() && path[0] == '/';
    return path.compare(0, folder.size(), folder) == 0 &&
           (path.size() == folder.size() || path[folder.size()] == '/');
}

}  // namespace

std::string defaultDriveC(const char* xdgDataHome, const char* home) {
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        return withoutTrailingSlash(xdgDataHome) + "/dalvon/c";
    }
    std::string homeFolder = home != nullptr && home[0] == '/' ? home : "/";
    std::string base = withoutTrailingSlash(homeFolder);
    return (base == "/" ? "" : base) + "/.local/share/dalvon/c";
}

std::vector<Drive> parseDriveTable(std::string_view overrides, const std::string& driveC) {
    std::vector<Drive> drives = {{'C', withoutTrailingSlash(driveC)}, {'Z', "/"}};
    while (!overrides.empty()) {
        size_t end = overrides.find(';');
        std::string_view entry = trimmed(overrides.substr(0, end));
        if (!entry.empty())
            setDrive(drives, parseEntry(entry));
        overrides = end == std::string_view::npos ? std::string_view() : overrides.substr(end + 1);
    }
    std::sort(drives.begin(), drives.end(),
              [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    return drives;
}

const Drive* findDrive(const std::vector<Drive>& drives, char letter) {
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    for (const Drive& drive : drives) {
        if (drive.letter == upper)
            return &drive;
    }
    return nullptr;
}

std::optional<WindowsPathParts> splitWindowsPath(std::string_view path) {
    if (path.size() < 2 || path[1] != ':' || !std::isalpha(static_cast<unsigned char>(path[0]))) {
        return std::nullopt;
    }
    WindowsPathParts parts{static_cast<char>(std::toupper(static_cast<unsigned char>(path[0]))),
                           {}};
    std::string_view rest = path.substr(2);
    while (!rest.empty()) {
        size_t end = rest.find_first_of("\\/");
        std::string_view component = rest.substr(0, end);
        if (component == "..") {
            if (!parts.components.empty())
                parts.components.pop_back();
        } else if (!component.empty() && component != ".") {
            parts.components.emplace_back(component);
        }
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    }
    return parts;
}

std::string mapToHost(const std::vector<Drive>& drives, const std::string& windowsPath) {
    std::optional<WindowsPathParts> parts = splitWindowsPath(windowsPath);
    const Drive* drive = parts ? findDrive(drives, parts->drive) : nullptr;
    if (drive == nullptr)
        throw faults::pathNotFound(windowsPath);
    std::string host = drive->hostFolder;
    for (const std::string& component : parts->components) {
        if (host.back() != '/')
            host += '/';
        host += component;
    }
    return host;
}

std::string mapToWindows(const std::vector<Drive>& drives, const std::string& hostPath) {
    std::string path = withoutTrailingSlash(hostPath);
    const Drive* best = nullptr;
    for (const Drive& drive : drives) {
        if (isWithin(path, drive.hostFolder) &&
            (best == nullptr || drive.hostFolder.size() > best->hostFolder.size())) {
            best = &drive;
        }
    }
    if (best == nullptr)
        throw faults::pathNotFound(hostPath);
    std::string windows = std::string(1, best->letter) + ":";
    std::string rest = best->hostFolder == "/" ? path : path.substr(best->hostFolder.size());
    for (char c : rest)
        windows += c == '/' ? '\\' : c;
    return windows == std::string(1, best->letter) + ":\\" ? windows.substr(0, 2) : windows;
}

}  // namespace dalvon
