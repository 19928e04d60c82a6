// The window's option in the program profile, and the edit stamp in the configuration file.
#include "form/form_texts.h"
#include "form/frm_dalvon_config_exe.h"
#include "platform/program_identity.h"
#include "platform/variant.h"
#include "standard/installation_paths.h"
#include "standard/procedure.h"
#include "standard/profile_access.h"
#include "standard/runtime.h"

namespace dalvon {
namespace {

constexpr const char* kOptionKey = "DalvonJumpToMaterialChange";

}  // namespace

void frm_Dalvon_Config_Exe::SetupUserInterFace() {
    Procedure proc(m_rt, "SetupUserInterFace");
    proc.step([&] { GetValidMachines(m_rt); });
    std::string path;
    proc.step([&] { path = GetProgramIniPath(m_rt, 1); });
    bool checked = false;
    proc.step([&] { checked = LoadIniBoolean(m_rt, "Project", kOptionKey, path, true, false); });
    proc.step([&] { setValue("CheckJump", checked ? 1 : 0); });
}

void frm_Dalvon_Config_Exe::WriteInputs() {
    Procedure proc(m_rt, "WriteInputs");
    proc.step([&] { GetValidMachines(m_rt); });
    std::string path;
    proc.step([&] { path = GetProgramIniPath(m_rt, 2); });
    bool checked = false;
    proc.step([&] { checked = control("CheckJump").value != 0; });
    proc.step([&] {
        // Without a program profile there is nothing to store the option in; creating one
        // would invent a machine configuration.
        if (!path.empty())
            SaveIni(m_rt, Variant::boolean(checked), "Project", kOptionKey, path);
    });
    proc.step([&] { WriteEditInfo(); });
}

void frm_Dalvon_Config_Exe::WriteEditInfo() {
    Procedure proc(m_rt, "WriteEditInfo");
    Version version = m_rt.identity.version();
    std::string program = std::to_string(version.major) + "." + std::to_string(version.minor) +
                          "." + std::to_string(version.revision) +
                          (m_rt.StartModeIntegrated ? " - Integrated" : " - Standalone");
    proc.step([&] { SaveIni(m_rt, Variant::string(program), "Info", "S_Prog", GetCFGPath(m_rt)); });
    std::string editor;
    proc.step([&] { editor = editorCode(m_rt.identity.firstEnvironmentEntry()); });
    proc.step(
        [&] { SaveIni(m_rt, Variant::string(editor), "Info", "S_Editor", GetCFGPath(m_rt)); });
}

}  // namespace dalvon
