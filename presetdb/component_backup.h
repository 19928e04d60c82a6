#pragma once

#include <ctime>
#include <string>
#include <vector>

namespace dalvon {

class DatabaseEngine;
class FileSystem;
struct Runtime;

// Backups of the component database: copies of the file as it was before a replacement, kept
// in the folder "Backup" beside it and named after it with the local date and time
// ("Dalvon-20261206-202351.mdb", "-2" added when that name is taken). The last ten are kept.
inline constexpr size_t kKeptBackups = 10;

// The backup folder of a component database (Windows paths throughout).
std::string BackupFolder(const std::string& componentPath);

// The names of the backups of `componentPath`, oldest first. Other files in the folder are
// not backups.
std::vector<std::string> ListBackups(FileSystem& files, const std::string& componentPath);

// Keeps `content`, the component database's committed content (DatabaseEngine::
// committedContent), as its newest backup; returns the backup's path. When the newest backup
// already holds exactly these bytes, that one is returned and nothing is copied. Removes the
// oldest backups beyond ten. Throws Fault 75 (naming both paths) when no copy can be made.
std::string MakeBackup(FileSystem& files, const std::string& componentPath,
                       const std::string& content, std::time_t now);

// Replaces the component database by the backup `name` (the newest when empty) in one atomic
// step, after keeping the file it replaces as a backup itself. Returns that backup's path, or
// the empty text when there was no component database. Throws Fault 53 for an unknown name.
std::string RestoreBackup(FileSystem& files, DatabaseEngine& databases,
                          const std::string& componentPath, const std::string& name,
                          std::time_t now);

// Keeps the component database as one run found it, before the run changes or replaces it.
class ComponentBackup {
public:
    // Makes the backup when the component database exists and notes it in the Runtime. A
    // failure is not reported here; instead every change to the component database fails with
    // it (the file has to stay as it is), and so does a replacement.
    ComponentBackup(Runtime& rt, const std::string& componentPath);

    // Before the component database is replaced: throws the failure to keep it, so that a
    // file without a backup is never replaced.
    void requireBeforeReplacing() const;

private:
    std::string m_failure;
};

}  // namespace dalvon
