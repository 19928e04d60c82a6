#include "form/window_language.h"

#include <charconv>

namespace dalvon {
namespace {

struct Language {
    int primary;  // the low ten bits of a Windows language number
    const char* code;
};

constexpr Language kLanguages[] = {
    {0x01, "ar"}, {0x02, "bg"}, {0x03, "ca"}, {0x04, "zh"}, {0x05, "cs"}, {0x06, "da"},
    {0x07, "de"}, {0x08, "el"}, {0x09, "en"}, {0x0A, "es"}, {0x0B, "fi"}, {0x0C, "fr"},
    {0x0D, "he"}, {0x0E, "hu"}, {0x10, "it"}, {0x11, "ja"}, {0x12, "ko"}, {0x13, "nl"},
    {0x14, "nb"}, {0x15, "pl"}, {0x16, "pt"}, {0x18, "ro"}, {0x19, "ru"}, {0x1A, "hr"},
    {0x1B, "sk"}, {0x1D, "sv"}, {0x1F, "tr"}, {0x22, "uk"}, {0x24, "sl"}, {0x25, "et"},
    {0x26, "lv"}, {0x27, "lt"},
};

struct ButtonNames {
    const char* control;
    const char* german;
    const char* english;
};

constexpr ButtonNames kButtons[] = {
    {"CommandOK", "OK", "OK"},
    {"CommandCancel", "Abbrechen", "Cancel"},
    {"CommandQuest", "Hilfe", "Help"},
};

}  // namespace

std::string isoLanguageOf(const std::string& languageNumber) {
    int number = 0;
    const char* end = languageNumber.data() + languageNumber.size();
    auto [rest, error] = std::from_chars(languageNumber.data(), end, number);
    if (error != std::errc() || rest != end || languageNumber.empty())
        return {};
    for (const Language& language : kLanguages) {
        if (language.primary == (number & 0x3FF))
            return language.code;
    }
    return {};
}

std::string accessibleButtonName(const std::string& controlName,
                                 const std::string& languageNumber) {
    bool german = isoLanguageOf(languageNumber) == "de";
    for (const ButtonNames& button : kButtons) {
        if (controlName == button.control)
            return german ? button.german : button.english;
    }
    return {};
}

}  // namespace dalvon
