#pragma once

#include "platform/fault.h"
#include "platform/file_system.h"

namespace dalvon {

// Passes every call on to another file system.
class ForwardingFileSystem : public FileSystem {
public:
    explicit ForwardingFileSystem(FileSystem& base) : m_base(base) {}

    bool fileExists(const std::string& path) override { return m_base.fileExists(path); }
    std::optional<std::string> readFile(const std::string& path) override {
        return m_base.readFile(path);
    }
    std::optional<std::string> readRange(const std::string& path, uint64_t offset,
                                         size_t length) override {
        return m_base.readRange(path, offset, length);
    }
    std::optional<FileInfo> fileInfo(const std::string& path) override {
        return m_base.fileInfo(path);
    }
    void writeFileAtomic(const std::string& path, const std::string& bytes) override {
        m_base.writeFileAtomic(path, bytes);
    }
    void copyFile(const std::string& from, const std::string& to) override {
        m_base.copyFile(from, to);
    }
    void appendLine(const std::string& path, const std::string& text) override {
        m_base.appendLine(path, text);
    }
    std::optional<FileTimes> readTimes(const std::string& path) override {
        return m_base.readTimes(path);
    }
    bool writeTimes(const std::string& path, const FileTimes& times) override {
        return m_base.writeTimes(path, times);
    }
    void createFolder(const std::string& path) override { m_base.createFolder(path); }
    std::vector<std::string> listFolder(const std::string& path) override {
        return m_base.listFolder(path);
    }
    void removeFile(const std::string& path) override { m_base.removeFile(path); }
    int removeLeftovers(const std::string& folder) override {
        return m_base.removeLeftovers(folder);
    }
    LockAttempt tryLock(const std::string& path) override { return m_base.tryLock(path); }
    std::string hostPath(const std::string& path) override { return m_base.hostPath(path); }
    std::string windowsPath(const std::string& hostPath) override {
        return m_base.windowsPath(hostPath);
    }

private:
    FileSystem& m_base;
};

// How a replacement fails: the disk runs full, a write stops short (and its retry fails), or
// the final rename is refused. Each fails as the real file system reports it, with the target
// left as it was.
enum class WriteFailure { DiskFull, ShortWrite, FailedRename };

// A file system whose writes can fail: while switched on, the chosen kind of write throws
// Fault 75 before touching anything, so the files stay as they were.
class FaultyFileSystem : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    void failAppendLine(bool fail) { m_failAppend = fail; }
    void failCopyFile(bool fail) { m_failCopy = fail; }
    void failWriteFileAtomic(bool fail) { m_failWrite = fail; }
    void failAllWrites(bool fail) { m_failAppend = m_failCopy = m_failWrite = fail; }
    void failAs(WriteFailure failure) { m_failure = failure; }

    void writeFileAtomic(const std::string& path, const std::string& bytes) override {
        if (m_failWrite)
            throw failed(path);
        ForwardingFileSystem::writeFileAtomic(path, bytes);
    }
    void copyFile(const std::string& from, const std::string& to) override {
        if (m_failCopy)
            throw failed(to);
        ForwardingFileSystem::copyFile(from, to);
    }
    void appendLine(const std::string& path, const std::string& text) override {
        if (m_failAppend)
            throw failed(path);
        ForwardingFileSystem::appendLine(path, text);
    }

private:
    Fault failed(const std::string& path) const {
        switch (m_failure) {
            case WriteFailure::ShortWrite:
                return faults::pathAccess(path, "Input/output error");
            case WriteFailure::FailedRename:
                return faults::pathAccess(path, "Device or resource busy");
            case WriteFailure::DiskFull:
                break;
        }
        return faults::pathAccess(path, "No space left on device");
    }

    bool m_failAppend = false;
    bool m_failCopy = false;
    bool m_failWrite = false;
    WriteFailure m_failure = WriteFailure::DiskFull;
};

}  // namespace dalvon
