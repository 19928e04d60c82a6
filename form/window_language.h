#pragma once

#include <string>

namespace dalvon {

// The ISO 639-1 code of a Windows language number as the language file holds it ("1031" ->
// "de", "2057" -> "en"); empty for a number this table does not know or a text that is none.
std::string isoLanguageOf(const std::string& languageNumber);

// The name a screen reader says for a picture button of the window ("CommandOK",
// "CommandCancel", "CommandQuest"), in German for a German language number, else in English;
// empty for any other control.
std::string accessibleButtonName(const std::string& controlName, const std::string& languageNumber);

}  // namespace dalvon
