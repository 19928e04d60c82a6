#pragma once

#include <memory>
#include <string>

#include "platform/file_system.h"

namespace dalvon {

struct Runtime;

// The lock file of an installation: "<base folder>\.<executable name>.lock". The file stays;
// the lock on it ends with the process that holds it.
std::string RunLockPath(const std::string& baseFolder, const std::string& executableName);

// The text that refuses a second run; `holder` is the holding process (0 when unknown).
std::string SecondRunText(const std::string& executableName, long holder);

struct RunStart {
    bool refused = false;
    std::string message;             // the refusal, when refused
    std::unique_ptr<FileLock> lock;  // held for the run; null when none could be made
};

// The first thing a run does, before anything of the installation is read or written: takes
// the installation's lock. When another run holds it, the refusal is logged to the error log
// (and the service log in silent start), shown unless silent, and returned. Otherwise the temp
// files that killed runs left in the installation's folders are removed. An installation where
// no lock file can be made runs without one.
RunStart BeginRun(Runtime& rt, bool silent);

}  // namespace dalvon
