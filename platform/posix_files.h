#pragma once

// Pieces of the host file system that stand on their own: the temp-file naming of atomic
// replacement, clearing what killed processes left, and advisory locks. Host paths only.
#include <optional>
#include <string>

#include "platform/file_system.h"

namespace dalvon::posix {

// The temp file that process `pid` uses, as its `counter`-th, to replace the file `host`:
// ".<name>.tmp<pid>.<counter>" in the same folder.
std::string tempPathFor(const std::string& host, long pid, unsigned long counter);

// The process id in a name of that form, or nothing when the name is not of that form.
std::optional<long> tempFileOwner(const std::string& name);

// Whether a process with this id exists (one of another user counts).
bool processExists(long pid);

// Removes the temp files in `hostFolder` whose process is gone; returns how many.
int removeLeftovers(const std::string& hostFolder);

// Removes the temp files that replace the one file `host` (".<name>.tmp<pid>.<n>" beside it)
// whose process is gone; those of live processes and of other files stay. Returns how many.
int removeLeftoversOf(const std::string& host);

// Whether this user may write the existing file `host` (false also when it does not exist).
bool mayWrite(const std::string& host);

// An exclusive open-file-description lock on `hostPath` (created when missing); the holder
// writes its process id into the file. `path` names the file in a fault.
LockAttempt tryLock(const std::string& hostPath, const std::string& path);

}  // namespace dalvon::posix
