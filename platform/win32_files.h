#pragma once

// Pieces of the Windows file system that stand on their own: folder listings, names in their
// case on disk, the temp-file naming of atomic replacement, clearing what ended processes left,
// and the installation lock. Native (wide, drive-letter) paths only.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/file_system.h"

namespace dalvon::win32 {

// The entries of a folder other than "." and ".."; none when it cannot be listed.
std::vector<WIN32_FIND_DATAW> folderEntries(const std::wstring& folder);

// The path with each existing component spelt as it is on disk ("d:\plant" -> "D:\Plant").
std::wstring withCaseOnDisk(const std::wstring& native);

// The temp file process `pid` uses, as its `counter`-th, to replace `native`:
// ".<name>.tmp<pid>.<counter>" in the same folder (the name the POSIX build uses too, so a
// folder shared by both keeps one kind of leftover).
std::wstring tempPathFor(const std::wstring& native, DWORD pid, unsigned long counter);

// Whether a process with this id is running (one this user may not open counts).
bool processExists(long pid);

// Removes the temp files in `folder` whose process has ended; returns how many.
int removeLeftovers(const std::wstring& folder);

// An exclusive LockFileEx lock on `native` (created when missing), without waiting; the holder
// notes its process id at the start of the file. `path` names the file in a fault.
LockAttempt tryLock(const std::wstring& native, const std::string& path);

}  // namespace dalvon::win32
