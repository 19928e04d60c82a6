#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace dalvon {

// Windows file times: 100-nanosecond intervals since 1601-01-01 UTC.
struct FileTimes {
    int64_t creation = 0;
    int64_t lastAccess = 0;
    int64_t lastWrite = 0;
};

// What the file system tells of an ordinary file. `device` and `file` together tell it from
// every other file: they stay while it is the same file and change when another is put in its
// place (as every atomic replacement does).
struct FileInfo {
    uint64_t device = 0;
    uint64_t file = 0;
    uint64_t size = 0;
    bool writable = false;  // whether this user may change it
};

// An advisory lock on a file, held for as long as the object lives. The system releases it when
// the process ends in any way, so a killed holder never blocks the next one.
class FileLock {
public:
    FileLock() = default;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    virtual ~FileLock() = default;
};

// The outcome of FileSystem::tryLock: the lock, or (when another holds it) the holder's
// process id as far as it is known (0 when not).
struct LockAttempt {
    std::unique_ptr<FileLock> lock;
    long holder = 0;
};

// The file operations the program needs, on Windows-form paths ("D:\Plant\Config\x.ini").
// Paths are mapped onto the host through the drive table (see drive_map.h); each path component
// is resolved case-insensitively when the exact name does not exist; new files keep the case
// given. Texts passed in and out are UTF-8. Failures throw Fault with the path in the text.
class FileSystem {
public:
    FileSystem() = default;
    FileSystem(const FileSystem&) = delete;
    FileSystem& operator=(const FileSystem&) = delete;
    virtual ~FileSystem() = default;

    // True when `path` names an existing ordinary file (not a folder). Never throws.
    virtual bool fileExists(const std::string& path) = 0;

    // The whole content of a file as raw bytes, or nothing when it does not exist.
    // Throws Fault 75 when it exists but cannot be read.
    virtual std::optional<std::string> readFile(const std::string& path) = 0;

    // Up to `length` bytes of the file from `offset` (fewer at its end), or nothing when it does
    // not exist. Throws Fault 75 when it exists but cannot be read.
    virtual std::optional<std::string> readRange(const std::string& path, uint64_t offset,
                                                 size_t length) = 0;

    // Identity, size and writability of an ordinary file; nothing when there is none. Never
    // throws.
    virtual std::optional<FileInfo> fileInfo(const std::string& path) = 0;

    // Replaces (or creates) the file with `bytes` atomically: a temp file in the target's
    // folder, flushed, then renamed over the target. The target is either the old file or the
    // complete new one at every moment. Throws Fault 76/75 when the folder is missing or the
    // write fails; the old file is then left as it was. An existing target that this user may
    // not write is not replaced: Fault 75 "Permission denied", as a copy over it would fail.
    virtual void writeFileAtomic(const std::string& path, const std::string& bytes) = 0;

    // Copies a whole file over `to` (created when missing), atomically and with the same
    // refusal of a target this user may not write as above.
    // Throws Fault 53 when `from` does not exist, Fault 75 on any other failure.
    virtual void copyFile(const std::string& from, const std::string& to) = 0;

    // Appends `text` (UTF-8, converted to Windows-1252) and CR LF to the file, creating it when
    // missing. Throws Fault 75 when the file cannot be opened or written.
    virtual void appendLine(const std::string& path, const std::string& text) = 0;

    // The file's times, or nothing when it cannot be opened (the "invalid handle" case).
    virtual std::optional<FileTimes> readTimes(const std::string& path) = 0;

    // Sets the creation and last-write times; false when the file cannot be opened.
    // On Linux only the last-write time can be set; the birth time stays unchanged as long as
    // the file is updated in place.
    virtual bool writeTimes(const std::string& path, const FileTimes& times) = 0;

    // Creates the folder and any missing parents; nothing when it exists. Throws Fault 75 when
    // it cannot be made.
    virtual void createFolder(const std::string& path) = 0;

    // The names of the ordinary files in a folder, in byte order; none when the folder does
    // not exist.
    virtual std::vector<std::string> listFolder(const std::string& path) = 0;

    // Removes a file. Throws Fault 53 when there is none, Fault 75 when it cannot be removed.
    virtual void removeFile(const std::string& path) = 0;

    // Removes the temp files that an atomic replacement in `folder` left behind because its
    // process was killed, and only those whose process is gone; returns how many it removed.
    // Never throws: what cannot be removed stays.
    virtual int removeLeftovers(const std::string& folder) = 0;

    // Takes an exclusive advisory lock on the file (created when missing) without waiting,
    // and notes this process as its holder in the file. Throws Fault 75 when the file cannot
    // be created or opened.
    virtual LockAttempt tryLock(const std::string& path) = 0;

    // The host path for a Windows-form path, after case-insensitive resolution of the
    // components that exist (for engines that open host files themselves).
    virtual std::string hostPath(const std::string& path) = 0;

    // A host path expressed through the drive whose folder is its longest prefix.
    virtual std::string windowsPath(const std::string& hostPath) = 0;
};

// A drive letter and the host folder it stands for.
struct Drive {
    char letter;             // upper case, 'A'..'Z'
    std::string hostFolder;  // absolute host path
};

// The drive table from the environment variable DALVON_DRIVES ("C=/srv/c;D=/mnt/plant") over
// the defaults: Z: is "/", C: is $XDG_DATA_HOME/dalvon/c (or ~/.local/share/dalvon/c).
// Throws Fault 5 naming the variable when an entry is malformed.
std::vector<Drive> drivesFromEnvironment();

// The real file system of the host over a drive table. A drive folder that does not exist yet
// (the default C:) is created on first use.
std::unique_ptr<FileSystem> makePosixFileSystem(std::vector<Drive> drives);

// The real file system of this system, for the programs: on Windows its own drives, elsewhere
// the drive table from the environment (drivesFromEnvironment).
std::unique_ptr<FileSystem> makeSystemFileSystem();

// The real file system with Z: as the host's root (on Windows: the system's own), for tools and
// tests that name host files: windowsPath() turns a host path into the path this interface takes.
std::unique_ptr<FileSystem> makeHostFileSystem();

}  // namespace dalvon
