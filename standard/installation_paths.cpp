#include "standard/installation_paths.h"

#include "platform/event_loop.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "standard/error_reporting.h"
#include "standard/procedure.h"
#include "standard/profile_access.h"
#include "standard/program_folder.h"
#include "standard/runtime.h"

namespace dalvon {
namespace {

// B + "\" + K + "\" + K + ending: the component's own files.
std::string componentFile(Runtime& rt, const std::string& ending) {
    std::string component = GetOCXName(rt);
    return GetBaseFolder(rt) + "\\" + component + "\\" + component + ending;
}

std::string joinBelow(const std::string& folder, const std::string& rest) {
    return !folder.empty() && folder.back() == '\\' ? folder + rest : folder + "\\" + rest;
}

std::string ifExists(Runtime& rt, const std::string& path) {
    return rt.files.fileExists(path) ? path : std::string();
}

std::string saveAndRestore(Runtime& rt, const std::string& profilePath) {
    return LoadIniString(rt, "Common", "SaveAndRestore", profilePath, false, false);
}

}  // namespace

std::string GetPathOCXMDB(Runtime& rt) {
    Procedure proc(rt, "GetPathOCXMDB");
    return proc.value(std::string(), [&] { return componentFile(rt, ".mdb"); });
}

std::string GetPathSourceOCXMDB(Runtime& rt) {
    Procedure proc(rt, "GetPathSourceOCXMDB");
    return proc.value(std::string(),
                      [&] { return ifExists(rt, componentFile(rt, "_Source.mdb")); });
}

std::string SourceDatabasePlace(Runtime& rt) {
    Procedure proc(rt, "SourceDatabasePlace");
    return proc.value(std::string(), [&] { return componentFile(rt, "_Source.mdb"); });
}

std::string GetZEBConfigurationIniPath(Runtime& rt) {
    Procedure proc(rt, "GetZEBConfigurationIniPath");
    return proc.value(std::string(), [&] {
        return ifExists(rt, GetBaseFolder(rt) + "\\parameter\\zebconfiguration.ini");
    });
}

std::string GetCFGPath(Runtime& rt) {
    Procedure proc(rt, "GetCFGPath");
    std::string path;
    proc.step([&] { path = componentFile(rt, ".cfg"); });
    if (rt.files.fileExists(path))
        return path;
    proc.step([&] { ReportFault(rt, std::string("File not found: ") + kBreak + upperCase(path)); });
    EndProgram(rt);
}

std::string GetPathMachineCopyMDB(Runtime& rt, const std::string& profilePath) {
    Procedure proc(rt, "GetPathMachineCopyMDB");
    std::string path;
    proc.step([&] {
        std::string component = GetOCXName(rt);
        path = joinBelow(saveAndRestore(rt, profilePath), component + "\\" + component + ".mdb");
    });
    // A fault while testing counts as found.
    bool found = true;
    try {
        found = rt.files.fileExists(path);
    } catch (const Fault&) {
    }
    return found ? path : std::string();
}

std::string GetProgramIniPath(Runtime& rt, int32_t selector) {
    Procedure proc(rt, "GetProgramIniPath");
    return proc.value(std::string(), [&] {
        if (selector == 1 && rt.StartModeIntegrated) {
            std::string folder = saveAndRestore(rt, GetZEBConfigurationIniPath(rt));
            return ifExists(rt, joinBelow(folder, "parameter\\program.ini"));
        }
        return ifExists(rt, GetBaseFolder(rt) + "\\parameter\\Program.ini");
    });
}

std::string GetValidMachines(Runtime& rt) {
    Procedure proc(rt, "GetValidMachines");
    return proc.value(std::string(), [&] {
        return LoadIniString(rt, "Project", "ValidMachines", GetCFGPath(rt), false, false);
    });
}

void GetExistingMachines(Runtime& rt, const std::string& profilePath) {
    Procedure proc(rt, "GetExistingMachines");
    proc.step([&] { rt.ProgramIniPath = GetProgramIniPath(rt, 1); });
    auto& machines = rt.ExistingMachines;
    if (rt.StartModeIntegrated) {
        if (profilePath.empty() || !rt.files.fileExists(profilePath))
            return;
        for (int i = 1; i <= 5; ++i) {
            rt.events.yield();
            std::string name =
                LoadIniString(rt, "Common", "NameM" + std::to_string(i), profilePath, false, false);
            if (name == "-" || name.empty())
                break;
            machines.resize(static_cast<size_t>(i) + 1);
            machines[static_cast<size_t>(i)] = name;
        }
        return;
    }
    int16_t count =
        LoadIniInteger(rt, "Project", "NumberOfMachines", rt.ProgramIniPath, false, false);
    for (int i = 1; i <= count; ++i) {
        rt.events.yield();
        machines.resize(static_cast<size_t>(i) + 1);
        machines[static_cast<size_t>(i)] = LoadIniString(
            rt, "Machine" + std::to_string(i), "MachineName", rt.ProgramIniPath, false, false);
    }
}

}  // namespace dalvon
