#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace dalvon {

class FileSystem;
class ProfileStore;
class Dialogs;
class EventLoop;
class ProgramIdentity;
class DatabaseEngine;

// The platform services the program works through; owned by whoever builds the Runtime.
struct Services {
    FileSystem& files;
    ProfileStore& profiles;
    Dialogs& dialogs;
    EventLoop& events;
    ProgramIdentity& identity;
    DatabaseEngine& databases;
};

// State of the database update for the length of the run.
struct PresetDbState {
    // [system index 0 = VisiWin 32, 1 = VisiWin Studio][part 1..50]; index 0 unused.
    std::array<std::array<std::string, 51>, 2> VarNamePatterns{};
    int IsVWStudio = 0;
    // Element 0 empty, element 1 "part", then the configured names; empty until first filled.
    std::vector<std::string> AdditionalFields;
    std::string AdditionalFieldsClause;
    int16_t AdditionalFieldCount = 0;
    std::optional<FileTimes> SourceFileTimes;
};

// State of the window that outlives single handlers.
struct FormState {
    bool InfoMode = false;
    std::array<std::string, 100> InfoTexts{};
    bool CheckJumpRestoring = false;
};

// What the takeover did with the previous rows: how many found their rebuilt row and had their
// limits written into it, and how many found none (or made no valid lookup).
struct TakeoverCounts {
    int32_t kept = 0;
    int32_t notKept = 0;
};

// What the safety nets around the update note during a run, for its exit status and closing
// line. Nothing here changes what the logs or the databases receive.
struct RunRecord {
    bool faultReported = false;
    // The log files (Windows paths) that received a fault entry, in order of the first entry.
    std::vector<std::string> faultLogs;
    // The copy of the component database as this run found it; empty when none was made.
    std::string componentBackup;
    // Failures that by the program's rules reach no log (a profile entry that could not be
    // written, previous rows the takeover could not look up): each names the file concerned
    // (Windows form) and what went wrong.
    struct UnloggedFailure {
        std::string path;
        std::string what;
    };
    std::vector<UnloggedFailure> unloggedFailures;
    // Set when the takeover read previous rows.
    std::optional<TakeoverCounts> takeover;
};

// Everything program-wide: the services and the state the procedures share. Every procedure
// receives it by reference; there are no globals.
struct Runtime : Services {
    explicit Runtime(Services services) : Services(services) {}

    bool StartModeIntegrated = false;
    bool StartModeSilent = false;
    std::string ProgramIniPath;
    // Machine names at 1..n, index 0 empty; no elements when no machine was found.
    std::vector<std::string> ExistingMachines;

    PresetDbState presetdb;
    FormState form;
    RunRecord run;
};

}  // namespace dalvon
