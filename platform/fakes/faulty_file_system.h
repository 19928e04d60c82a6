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

// A file system whose disk can run full: while switched on, the chosen kind of write throws
// Fault 75 before touching anything, so the files stay as they were.
class FaultyFileSystem : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    void failAppendLine(bool fail) { m_failAppend = fail; }
    void failCopyFile(bool fail) { m_failCopy = fail; }
    void failWriteFileAtomic(bool fail) { m_failWrite = fail; }
    void failAllWrites(bool fail) { m_failAppend = m_failCopy = m_failWrite = fail; }

    void writeFileAtomic(const std::string& path, const std::string& bytes) override {
        if (m_failWrite)
            throw diskFull(path);
        ForwardingFileSystem::writeFileAtomic(path, bytes);
    }
    void copyFile(const std::string& from, const std::string& to) override {
        if (m_failCopy)
            throw diskFull(to);
        ForwardingFileSystem::copyFile(from, to);
    }
    void appendLine(const std::string& path, const std::string& text) override {
        if (m_failAppend)
            throw diskFull(path);
        ForwardingFileSystem::appendLine(path, text);
    }

private:
    static Fault diskFull(const std::string& path) {
        return faults::pathAccess(path, "No space left on device");
    }

    bool m_failAppend = false;
    bool m_failCopy = false;
    bool m_failWrite = false;
};

}  // namespace dalvon
