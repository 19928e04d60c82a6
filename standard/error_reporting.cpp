#include "standard/error_reporting.h"

#include <algorithm>
#include <cstdio>

#include "platform/dialogs.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/program_identity.h"
#include "platform/text.h"
#include "standard/command_line.h"
#include "standard/program_folder.h"
#include "standard/runtime.h"

namespace dalvon {
namespace {

// A log line that cannot be written must not be lost silently, nor stop the report.
void appendOrComplain(Runtime& rt, const std::string& path, const std::string& text) {
    try {
        rt.files.appendLine(path, text);
    } catch (const Fault& fault) {
        std::fprintf(stderr, "%s: cannot write to the log '%s' (%s); the entry was:\n%s\n",
                     rt.identity.executableName().c_str(), path.c_str(),
                     fault.description().c_str(), plainLineBreaks(text).c_str());
    }
}

// Notes that a fault reached the operator or the log `path` (empty when it was shown).
void noteFault(Runtime& rt, const std::string& path) {
    rt.run.faultReported = true;
    std::vector<std::string>& logs = rt.run.faultLogs;
    if (!path.empty() && std::find(logs.begin(), logs.end(), path) == logs.end())
        logs.push_back(path);
}

std::string hostOrGiven(Runtime& rt, const std::string& path) {
    try {
        return rt.files.hostPath(path);
    } catch (const Fault&) {
        return path;
    }
}

// Each failure that reached no log: "'<host path>' <what went wrong>".
std::vector<std::string> unloggedFailureTexts(Runtime& rt) {
    std::vector<std::string> texts;
    for (const auto& failure : rt.run.unloggedFailures)
        texts.push_back("'" + hostOrGiven(rt, failure.path) + "' " + failure.what);
    return texts;
}

std::string serviceLogLine(Runtime& rt, const std::string& text) {
    return "! Fault " + rt.identity.executableName() + ": " + text;
}

}  // namespace

int16_t ReportError(Runtime& rt, int32_t number, const std::string& source,
                    const std::string& description, const std::string& procedureName, bool fatal) {
    // The reporting path must not fault in turn: a name too short for a component gives none.
    std::string exe = rt.identity.executableName();
    std::string component = characterCount(exe) >= 7 ? GetOCXName(rt) : std::string();
    std::string line = "Fehler in " + component + " / " + source + " / " + procedureName +
                       " (Nr. " + std::to_string(number) + ") :" + description;
    std::string confirmation = WriteErrorLog(rt, line, false);
    std::string message =
        std::string("Unexpected error!") + kBreak + description + kBreak + confirmation;
    if (rt.StartModeSilent) {
        WriteServiceLog(rt, message);
        return 2;
    }
    if (fatal) {
        rt.dialogs.show(
            {message, "Fatal error", DialogButtons::Ok, DialogIcon::Critical, DialogAnswer::Ok});
        return 1;
    }
    DialogAnswer answer =
        rt.dialogs.show({message + kBreak + "Resume?", "Unexpected error", DialogButtons::YesNo,
                         DialogIcon::Critical, DialogAnswer::Yes});
    return answer == DialogAnswer::Yes ? 2 : 1;
}

void EndProgram(Runtime&, int exitStatus) {
    throw ProgramEnd{exitStatus};
}

void EndProgram(Runtime& rt) {
    EndProgram(rt, kExitError);
}

std::string WriteErrorLog(Runtime& rt, const std::string& text, bool notify) {
    std::string logFile;
    if (rt.StartModeIntegrated) {
        logFile = GetPathLogfile(rt);
    } else {
        try {
            logFile = GetBaseFolder(rt) + "\\ZEBcfglog.txt";
        } catch (const Fault&) {
            logFile.clear();  // no base folder: the entry goes to standard error
        }
    }
    appendOrComplain(rt, logFile, text);
    noteFault(rt, logFile);
    std::string confirmation = std::string("Error logged to ") + kBreak + upperCase(logFile);
    if (!notify)
        return confirmation;
    ReportFault(rt, confirmation);
    return "";
}

void ReportFault(Runtime& rt, const std::string& text) {
    if (rt.StartModeSilent) {
        WriteServiceLog(rt, text);
        return;
    }
    noteFault(rt, "");
    rt.dialogs.show({text, rt.identity.executableName(), DialogButtons::Ok, DialogIcon::Critical,
                     DialogAnswer::Ok});
}

void WriteServiceLog(Runtime& rt, const std::string& text) {
    appendOrComplain(rt, kServiceLogPath, serviceLogLine(rt, text));
    noteFault(rt, kServiceLogPath);
}

void NoteUnloggedFailure(Runtime& rt, const std::string& path, const std::string& what) {
    auto& noted = rt.run.unloggedFailures;
    bool known = std::any_of(noted.begin(), noted.end(),
                             [&](const auto& f) { return f.path == path && f.what == what; });
    if (!known)
        noted.push_back({path, what});
}

int FinishedExitStatus(const Runtime& rt) {
    return rt.run.faultReported || !rt.run.unloggedFailures.empty() ? kExitFaultsReported : kExitOk;
}

std::string FaultSummaryLine(Runtime& rt, int exitStatus) {
    std::vector<std::string> parts;
    if (!rt.run.faultLogs.empty()) {
        std::string logs = "faults were reported";
        for (size_t i = 0; i < rt.run.faultLogs.size(); ++i)
            logs += (i == 0 ? " to " : " and ") + hostOrGiven(rt, rt.run.faultLogs[i]);
        parts.push_back(logs);
    }
    for (const std::string& failure : unloggedFailureTexts(rt))
        parts.push_back(failure);
    std::string line =
        rt.identity.executableName() + (exitStatus == kExitError ? ": ended early" : ": finished");
    for (size_t i = 0; i < parts.size(); ++i)
        line += (i == 0 ? (exitStatus == kExitError ? "; " : ", but ") : "; ") + parts[i];
    if (rt.run.componentBackup.empty())
        return line + "; no backup of the component database was made";
    return line + "; the previous component database is kept as " +
           hostOrGiven(rt, rt.run.componentBackup);
}

std::string UnloggedFailuresLine(Runtime& rt) {
    if (rt.run.unloggedFailures.empty())
        return "";
    std::string line = rt.identity.executableName() + ":";
    std::vector<std::string> failures = unloggedFailureTexts(rt);
    for (size_t i = 0; i < failures.size(); ++i)
        line += (i == 0 ? " " : "; ") + failures[i];
    return line;
}

}  // namespace dalvon
