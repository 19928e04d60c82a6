#include "form/form_texts.h"

#include <cstdio>

#include "form/controls.h"
#include "platform/text.h"
#include "standard/error_reporting.h"

namespace dalvon {
namespace {

std::string middlePart(const Control& control, bool inArray) {
    std::string part = control.name;
    if (inArray && control.index)
        part += std::to_string(*control.index);
    return part + "_" + control.tag;
}

}  // namespace

std::string captionKey(const Control& control, bool inArray) {
    return "Caption_" + middlePart(control, inArray);
}

std::string toolTipKey(const Control& control, bool inArray) {
    return "TTT_" + middlePart(control, inArray);
}

std::string helpKey(int helpId) {
    return "Help" + std::to_string(helpId);
}

std::string expandLineMarkers(const std::string& text) {
    static const std::string kMarker = "<CRLF>";
    std::string rest = text;
    std::string result;
    // upperCase keeps every character's byte length, so positions carry over to `rest`.
    for (size_t p = upperCase(rest).find(kMarker); p != std::string::npos;
         p = upperCase(rest).find(kMarker)) {
        result += rest.substr(0, p) + "\r\n";
        rest.erase(0, p + kMarker.size());
    }
    return result + rest;
}

std::string editorCode(const std::string& environmentEntry) {
    size_t equals = environmentEntry.find('=');
    std::string value =
        equals == std::string::npos ? environmentEntry : environmentEntry.substr(equals + 1);
    std::string code;
    for (unsigned char c : utf8ToCp1252(value)) {
        if (c == '-' || c == '_')
            continue;
        char digits[8];
        std::snprintf(digits, sizeof digits, "%X", static_cast<unsigned>(c) + 5);
        code += digits;
    }
    return code;
}

std::string cancelQuestion(bool integrated, const std::string& component,
                           const std::string& programFolder, const std::string& executableName) {
    std::string q = std::string("Cancel edits?") + kBreak + "Remark:" + kBreak +
                    "Until now no changes have been taken over ";
    if (integrated) {
        q += std::string(kBreak) + "\"" + component + "\" has to be configured again in " +
             "\"standalone-mode\" via " + kBreak + "\"" + programFolder + "\\" + executableName +
             ".exe\"";
    }
    return q;
}

std::string cancelLogLine(const std::string& component) {
    return "Konfigurations-EXE wurde abgebrochen:     " + component;
}

}  // namespace dalvon
