#include "standard/run_guard.h"

#include <cstdio>
#include <vector>

#include "platform/dialogs.h"
#include "platform/fault.h"
#include "platform/program_identity.h"
#include "platform/text.h"
#include "standard/error_reporting.h"
#include "standard/program_folder.h"
#include "standard/runtime.h"

namespace dalvon {
namespace {

// The folders a run writes into: its own, the base folder, the profiles and the component's.
// Found from the program's location alone, since nothing may be read yet.
std::vector<std::string> installationFolders(Runtime& rt, const std::string& base) {
    std::vector<std::string> folders = {rt.identity.programFolder(), base, base + "\\parameter"};
    std::string exe = rt.identity.executableName();
    if (characterCount(exe) > 7)
        folders.push_back(base + "\\" + firstCharacters(exe, characterCount(exe) - 7));
    return folders;
}

void reportRefusal(Runtime& rt, bool silent, const std::string& text) {
    std::string exe = rt.identity.executableName();
    std::string component =
        characterCount(exe) > 7 ? firstCharacters(exe, characterCount(exe) - 7) : std::string();
    WriteErrorLog(
        rt,
        "Fehler in " + component + " / " + exe + " / Start (Nr. 70) :Permission denied: " + text,
        false);
    if (silent) {
        WriteServiceLog(rt, text);
        return;
    }
    rt.dialogs.show({text, exe, DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
}

}  // namespace

std::string RunLockPath(const std::string& baseFolder, const std::string& executableName) {
    return baseFolder + "\\." + executableName + ".lock";
}

std::string SecondRunText(const std::string& executableName, long holder) {
    std::string process = holder > 0 ? "process " + std::to_string(holder) : "another process";
    return executableName + " is already running on this installation (" + process +
           "); this start was refused.";
}

RunStart BeginRun(Runtime& rt, bool silent) {
    RunStart start;
    std::string base;
    try {
        base = GetBaseFolder(rt);
    } catch (const Fault&) {
        return start;  // no installation to guard: the run reports that itself
    }
    LockAttempt attempt;
    try {
        attempt = rt.files.tryLock(RunLockPath(base, rt.identity.executableName()));
    } catch (const Fault&) {
        return start;  // a read-only installation: nothing of it can be changed anyway
    }
    if (!attempt.lock) {
        start.refused = true;
        start.message = SecondRunText(rt.identity.executableName(), attempt.holder);
        reportRefusal(rt, silent, start.message);
        return start;
    }
    start.lock = std::move(attempt.lock);
    for (const std::string& folder : installationFolders(rt, base))
        rt.files.removeLeftovers(folder);
    return start;
}

}  // namespace dalvon
