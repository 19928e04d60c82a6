// Captions, tool tips and info texts from the language file beside the executable.
#include "form/form_texts.h"
#include "form/frm_dalvon_config_exe.h"
#include "platform/fault.h"
#include "platform/program_identity.h"
#include "platform/text.h"
#include "platform/variant.h"
#include "standard/procedure.h"
#include "standard/profile_access.h"
#include "standard/runtime.h"

namespace dalvon {
namespace {

constexpr const char* kBuiltInLanguage = "1031";

bool isNoText(const std::string& text) {
    return text.empty() || text == "0";
}

}  // namespace

std::string frm_Dalvon_Config_Exe::languageFilePath() const {
    return m_rt.identity.programFolder() + "\\" + m_rt.identity.executableName() + ".ini";
}

std::string frm_Dalvon_Config_Exe::GetLanguage() {
    Procedure proc(m_rt, "GetLanguage");
    std::string file = languageFilePath();
    std::string language;
    proc.step([&] { language = LoadIniString(m_rt, "Language", "Language", file, true, false); });
    if (!language.empty())
        return language;
    std::string result;
    proc.step(
        [&] { SaveIni(m_rt, Variant::string(kBuiltInLanguage), "Language", "Language", file); });
    proc.step([&] { result = kBuiltInLanguage; });
    return result;
}

void frm_Dalvon_Config_Exe::LoadToolTipTexts() {
    std::string lang = GetLanguage();
    m_language = lang;
    std::string file = languageFilePath();
    for (Control& X : m_controls) {
        try {
            loadControlTexts(X, lang, file);
        } catch (const Fault&) {
            // The per-control guard: whatever failed ends this control's turn, silently.
        }
        notify(X);
    }
}

bool frm_Dalvon_Config_Exe::isInControlArray(const Control& control) const {
    for (const Control& other : m_controls) {
        if (&other != &control && other.name == control.name)
            return true;
    }
    return false;
}

void frm_Dalvon_Config_Exe::loadControlTexts(Control& X, const std::string& lang,
                                             const std::string& file) {
    bool inArray = isInControlArray(X);
    std::string kind = upperCase(kindTypeName(X.kind));
    if (kind == "LABEL" || kind == "COMMANDBUTTON" || kind == "CHECKBOX")
        loadCaptionAndHelp(X, inArray, lang, file);
    if (upperCase(X.tag).find("NOTTT") == std::string::npos)
        loadToolTip(X, inArray, lang, file);
}

void frm_Dalvon_Config_Exe::loadCaptionAndHelp(Control& X, bool inArray, const std::string& lang,
                                               const std::string& file) {
    std::string key = captionKey(X, inArray);
    std::string text = LoadIniString(m_rt, lang, key, file, true, false);
    if (!isNoText(text))
        X.caption = text;
    else if (lang != kBuiltInLanguage)
        SaveIni(m_rt, Variant::string("0"), lang, key, file);
    else
        SaveIni(m_rt, Variant::string(X.caption), lang, key, file);

    if (X.helpId == 0)
        return;
    int slot = X.helpId - 1;
    if (slot < 0 || slot >= static_cast<int>(m_rt.form.InfoTexts.size()))
        throw faults::subscript("InfoTexts(" + std::to_string(slot) + ") of " + X.name);
    std::string help = LoadIniString(m_rt, lang, helpKey(X.helpId), file, true, false);
    m_rt.form.InfoTexts[static_cast<size_t>(slot)] = help;
    if (isNoText(help))
        SaveIni(m_rt, Variant::string("0"), lang, helpKey(X.helpId), file);
}

void frm_Dalvon_Config_Exe::loadToolTip(Control& X, bool inArray, const std::string& lang,
                                        const std::string& file) {
    std::string key = toolTipKey(X, inArray);
    std::string text = LoadIniString(m_rt, lang, key, file, true, false);
    if (!isNoText(text))
        X.toolTip = text;
    else
        SaveIni(m_rt, Variant::string("0"), lang, key, file);
}

}  // namespace dalvon
