#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace dalvon {

// A file system held in memory, on Windows-form paths of any drive letter. Names are looked up
// without regard to case and keep the case they were created with. Behaves like the real one
// as far as the program can see: a folder must exist before a file is written into it, only the
// last-write time can be set, and a failed write leaves the old content.
//
// Every content write stamps the file with the current clock value and moves the clock one
// second on, so that later writes are later.
class MemoryFileSystem : public FileSystem {
public:
    MemoryFileSystem() = default;

    bool fileExists(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path) override;
    std::optional<std::string> readRange(const std::string& path, uint64_t offset,
                                         size_t length) override;
    // A file gets a new identity with every write: each write is a replacement here.
    std::optional<FileInfo> fileInfo(const std::string& path) override;
    void writeFileAtomic(const std::string& path, const std::string& bytes) override;
    void copyFile(const std::string& from, const std::string& to) override;
    void appendLine(const std::string& path, const std::string& text) override;
    std::optional<FileTimes> readTimes(const std::string& path) override;
    bool writeTimes(const std::string& path, const FileTimes& times) override;
    void createFolder(const std::string& path) override;
    std::vector<std::string> listFolder(const std::string& path) override;
    void removeFile(const std::string& path) override;
    // Nothing is ever left behind here: a write is whole or not at all.
    int removeLeftovers(const std::string&) override { return 0; }
    // The holder of a lock is this process.
    LockAttempt tryLock(const std::string& path) override;
    // "/memory/D/Plant/x.ini" for "D:\Plant\x.ini", in the case stored for existing names.
    std::string hostPath(const std::string& path) override;
    std::string windowsPath(const std::string& hostPath) override;

    // Creates a folder and its parents (a drive root always exists).
    void makeFolder(const std::string& path);
    // Creates or replaces a file, with its folders, without going through the failure switch.
    void setFile(const std::string& path, const std::string& bytes);
    // Sets all three times of an existing file; false when there is none.
    bool setTimes(const std::string& path, const FileTimes& times);
    // The time stamp (Windows file time) of the next write.
    void setClock(int64_t fileTime) { m_clock = fileTime; }
    // While on, every content write (write, copy, append) fails with Fault 75 as on a full disk.
    void failWrites(bool fail) { m_failWrites = fail; }
    // While on, the file cannot be written by this user: replacing it fails as on a
    // read-only file.
    void setReadOnly(const std::string& path, bool readOnly);
    // The paths of all files as they were created, in order of their upper-cased form.
    std::vector<std::string> filePaths() const;

private:
    struct File {
        std::string path;
        std::string bytes;
        FileTimes times;
        bool readOnly = false;
        uint64_t identity = 0;
    };
    class HeldLock;

    std::string keyOf(const std::string& path) const;
    bool folderExists(const std::string& key) const;
    void checkWritable(const std::string& path) const;
    // Stores `bytes` as the content of `path`, whose folder exists.
    void store(const std::string& path, const std::string& bytes);

    std::map<std::string, File> m_files;           // by upper-cased normal path
    std::map<std::string, std::string> m_folders;  // upper-cased normal path -> as created
    int64_t m_clock = 133'485'408'000'000'000;     // 2024-01-01 00:00:00 UTC
    bool m_failWrites = false;
    uint64_t m_nextIdentity = 1;
    std::shared_ptr<std::map<std::string, bool>> m_locks =
        std::make_shared<std::map<std::string, bool>>();  // held locks by key
};

}  // namespace dalvon
