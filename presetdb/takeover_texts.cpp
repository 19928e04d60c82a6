#include "presetdb/takeover_texts.h"

#include <charconv>

#include "platform/program_identity.h"
#include "platform/text.h"
#include "platform/variant.h"
#include "standard/installation_paths.h"
#include "standard/program_folder.h"
#include "standard/runtime.h"

namespace dalvon {
namespace {

const std::string kQuote = "\"";
const std::string kLfCr = "\n\r";
const char* const kDatabaseError = " :Database-Error - Contact Administrator!";

std::string component(Runtime& rt) {
    return upperCase(GetOCXName(rt));
}

std::string shortestRoundTrip(double value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

std::string FieldLossWarning(Runtime& rt, bool withBreaks) {
    const std::string br = withBreaks ? kLfCr : "";
    return "WARNING!" + br + "Machinecopy contains data in fields that won't be taken over!" + br +
           "Configurationfile " + kQuote + component(rt) + ".CFG" + kQuote + ", missing entry " +
           kQuote + "DataBaseAdditionalFields " + kQuote + br +
           "If you continue now this data will be lost." + br + "Continue?";
}

std::string TakeoverAbortNote(Runtime& rt) {
    std::string exe = rt.identity.executableName();
    return exe + kDatabaseError + " Configurationprogram " + kQuote + component(rt) + kQuote +
           " terminated." + " Please check Configuration in " + kQuote + component(rt) + ".CFG" +
           kQuote + " Restart " + upperCase(rt.identity.programFolder() + "\\" + exe + ".EXE!");
}

std::string RecordCountNote(Runtime& rt, int walked, int claimed, int rebuilt) {
    std::string machineCopy = GetPathMachineCopyMDB(rt, GetZEBConfigurationIniPath(rt));
    return rt.identity.executableName() + kDatabaseError + " Error in Sourcedatabase (" +
           machineCopy + "):" + " Counted " + std::to_string(walked) +
           " recordsets while database claims to have " + std::to_string(claimed) +
           " recordsets! " + " (" + std::to_string(rebuilt) + " needed.";
}

std::string ExtensionConflictNote(Runtime& rt, const std::string& fieldName) {
    return "Conflict while attempting to extend database!" + std::string("Configurationsfile ") +
           kQuote + component(rt) + ".CFG" + kQuote + ", demanded field " + kQuote +
           upperCase(fieldName) + kQuote + "missing in machinecopy-database" + kLfCr +
           "Configuration of " + kQuote + component(rt) + kQuote + " aborted.";
}

std::string TakeoverKeyText(const Variant& value) {
    switch (value.kind()) {
        case VariantKind::Empty:
        case VariantKind::Null:
            return "";
        case VariantKind::Boolean:
            return value.asBoolean() ? "-1" : "0";
        case VariantKind::Single:
        case VariantKind::Double:
            return shortestRoundTrip(value.toDouble());
        case VariantKind::Date:
            // Dates as their day number, which the query parser reads back as a number.
            return shortestRoundTrip(value.asDate().oleDays);
        default:
            return value.toText();
    }
}

}  // namespace dalvon
