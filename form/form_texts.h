#pragma once

#include <string>

namespace dalvon {

struct Control;

// Keys of the language file. `inArray` adds the control's index after its name.
std::string captionKey(const Control& control, bool inArray);
std::string toolTipKey(const Control& control, bool inArray);
std::string helpKey(int helpId);

// An info text with every "<CRLF>" marker (any letter case) turned into CR LF.
std::string expandLineMarkers(const std::string& text);

// The editor code of the first environment entry ("NAME=value"): for each character of the
// value, hyphens and underscores skipped, its Windows-1252 code plus 5 in upper-case hex.
std::string editorCode(const std::string& environmentEntry);

// The cancel question; the integrated form adds how to configure the component again.
std::string cancelQuestion(bool integrated, const std::string& component,
                           const std::string& programFolder, const std::string& executableName);

// The line the error log receives for a confirmed cancel.
std::string cancelLogLine(const std::string& component);

}  // namespace dalvon
