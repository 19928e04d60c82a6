#include "standard/profile_access.h"

#include "platform/fault.h"
#include "platform/profile_store.h"
#include "platform/text.h"
#include "platform/variant.h"
#include "standard/error_reporting.h"
#include "standard/procedure.h"
#include "standard/runtime.h"

namespace dalvon {
namespace {

// The readers ask for a default of 255 blanks, which the profile engine reduces to the empty
// text: a missing entry and an empty one read alike.
constexpr size_t kBufferSize = 255;
const std::string kBlankDefault(kBufferSize, ' ');

std::string notFoundText(const std::string& section, const std::string& key,
                         const std::string& file) {
    return "File '" + file + "' or Section [" + section + "] or Entry '" + key + "' not found";
}

}  // namespace

std::string LoadIniString(Runtime& rt, const std::string& section, const std::string& key,
                          const std::string& file, bool, bool report) {
    Procedure proc(rt, "LoadIniString");
    std::string value;
    proc.step(
        [&] { value = rt.profiles.getString(section, key, kBlankDefault, kBufferSize, file); });
    proc.step([&] {
        if (value.empty() && report)
            ReportFault(rt, notFoundText(section, key, file));
    });
    return value;
}

int16_t LoadIniInteger(Runtime& rt, const std::string& section, const std::string& key,
                       const std::string& file, bool, bool report) {
    Procedure proc(rt, "LoadIniInteger");
    int16_t value = 0;
    proc.step([&] { value = toInteger16(rt.profiles.getInt(section, key, -1, file)); });
    proc.step([&] {
        if (value == -1 && report)
            ReportFault(rt, notFoundText(section, key, file));
    });
    return value;
}

bool LoadIniBoolean(Runtime& rt, const std::string& section, const std::string& key,
                    const std::string& file, bool, bool report) {
    Procedure proc(rt, "LoadIniBoolean");
    std::string value;
    proc.step([&] {
        value = upperCase(rt.profiles.getString(section, key, kBlankDefault, kBufferSize, file));
    });
    proc.step([&] {
        if (value != "TRUE" && value != "FALSE" && report) {
            ReportFault(rt, notFoundText(section, key, file));
        }
    });
    return value == "TRUE";
}

int16_t SaveIni(Runtime& rt, const Variant& value, const std::string& section,
                const std::string& key, const std::string& file) {
    Procedure proc(rt, "SaveIni");
    std::string text;
    proc.step([&] {
        switch (value.kind()) {
            case VariantKind::Integer:
            case VariantKind::Long:
            case VariantKind::Byte:
            case VariantKind::Single:
            case VariantKind::Double:
            case VariantKind::String:
                text = value.toText();
                break;
            case VariantKind::Boolean:
                text = value.asBoolean() ? "true" : "false";
                break;
            default:
                ReportFault(rt, "Ini Save:  wrong data type");
                break;
        }
    });
    int16_t result = 0;
    proc.step([&] { result = rt.profiles.writeString(section, key, text, file) ? 1 : 0; });
    // The profile API reports nothing of a failed write, and neither does this procedure; the
    // run's status and closing line still must show it.
    if (result == 0)
        NoteUnloggedFailure(rt, file, "could not be written (profile entries were not stored)");
    return result;
}

}  // namespace dalvon
