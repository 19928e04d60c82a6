#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_system.h"

namespace dalvon {

// The name of the environment variable that overrides the drive table.
inline constexpr const char* kDrivesVariable = "DALVON_DRIVES";

// The default home of drive C: for a user: $XDG_DATA_HOME/dalvon/c when that variable holds an
// absolute path, otherwise <home>/.local/share/dalvon/c. Either argument may be null.
std::string defaultDriveC(const char* xdgDataHome, const char* home);

// The drive table: Z: = "/" and C: = `driveC`, overridden entry by entry by `overrides` in the
// form "C=/srv/c;D=/mnt/plant" (blanks around entries and a trailing ';' are fine, letters in
// any case). Sorted by letter. Throws Fault 5 naming DALVON_DRIVES for a malformed entry.
std::vector<Drive> parseDriveTable(std::string_view overrides, const std::string& driveC);

// The drive of a letter in the table, or nothing.
const Drive* findDrive(const std::vector<Drive>& drives, char letter);

// The components of a Windows path after its drive ("D:\a\\b\." -> a, b); "." is dropped and
// ".." removes the previous component, never going above the drive root.
struct WindowsPathParts {
    char drive;  // upper case
    std::vector<std::string> components;
};
// Nothing when the path has no drive letter ("\x", "x", "\\server\share").
std::optional<WindowsPathParts> splitWindowsPath(std::string_view path);

// The host path of a Windows path, exactly as spelt (no case resolution): drive folder plus the
// components joined with '/'. Throws Fault 76 "Path not found" for a path without a drive
// letter or on a drive the table does not map.
std::string mapToHost(const std::vector<Drive>& drives, const std::string& windowsPath);

// An absolute host path through the drive whose folder is its longest prefix
// ("/opt/plant/Config" -> "Z:\opt\plant\Config", "/" -> "Z:"). Throws Fault 76 when no drive
// holds it.
std::string mapToWindows(const std::vector<Drive>& drives, const std::string& hostPath);

}  // namespace dalvon
