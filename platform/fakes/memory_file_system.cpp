#include "platform/fakes/memory_file_system.h"

#include <algorithm>

#include "platform/c_library.h"
#include "platform/drive_map.h"
#include "platform/fault.h"
#include "platform/text.h"

namespace dalvon {
namespace {

constexpr const char* kHostRoot = "/memory/";
constexpr int64_t kOneSecond = 10'000'000;

std::string parentKey(const std::string& key) {
    size_t slash = key.rfind('\\');
    return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

// "D:" followed by "\component" for each component, spelt as given.
std::string normalPath(const std::string& path) {
    std::optional<WindowsPathParts> parts = splitWindowsPath(path);
    if (!parts)
        throw faults::pathNotFound(path);
    std::string normal = std::string(1, parts->drive) + ":";
    for (const std::string& component : parts->components)
        normal += "\\" + component;
    return normal;
}

}  // namespace

std::string MemoryFileSystem::keyOf(const std::string& path) const {
    return upperCase(normalPath(path));
}

bool MemoryFileSystem::folderExists(const std::string& key) const {
    return key.size() == 2 || m_folders.count(key) != 0;
}

bool MemoryFileSystem::fileExists(const std::string& path) {
    try {
        return m_files.count(keyOf(path)) != 0;
    } catch (const Fault&) {
        return false;
    }
}

std::optional<std::string> MemoryFileSystem::readFile(const std::string& path) {
    std::string key = keyOf(path);
    if (m_folders.count(key) != 0)
        throw faults::pathAccess(path, "Is a directory");
    auto file = m_files.find(key);
    if (file == m_files.end())
        return std::nullopt;
    return file->second.bytes;
}

std::optional<std::string> MemoryFileSystem::readRange(const std::string& path, uint64_t offset,
                                                       size_t length) {
    std::optional<std::string> bytes = readFile(path);
    if (!bytes || offset >= bytes->size())
        return bytes ? std::optional<std::string>(std::string()) : std::nullopt;
    return bytes->substr(static_cast<size_t>(offset), length);
}

std::optional<FileInfo> MemoryFileSystem::fileInfo(const std::string& path) {
    auto file = m_files.find(keyOf(path));
    if (file == m_files.end())
        return std::nullopt;
    return FileInfo{0, file->second.identity, file->second.bytes.size(), !file->second.readOnly};
}

void MemoryFileSystem::checkWritable(const std::string& path) const {
    if (m_failWrites)
        throw faults::pathAccess(path, "No space left on device");
    if (m_folders.count(keyOf(path)) != 0)
        throw faults::pathAccess(path, "Is a directory");
    auto file = m_files.find(keyOf(path));
    if (file != m_files.end() && file->second.readOnly)
        throw faults::pathAccess(path, "Permission denied");
}

void MemoryFileSystem::writeFileAtomic(const std::string& path, const std::string& bytes) {
    if (!folderExists(parentKey(keyOf(path))))
        throw faults::pathNotFound(path);
    checkWritable(path);
    store(path, bytes);
}

void MemoryFileSystem::copyFile(const std::string& from, const std::string& to) {
    auto source = m_files.find(keyOf(from));
    if (source == m_files.end())
        throw faults::fileNotFound(from);
    if (!folderExists(parentKey(keyOf(to)))) {
        throw faults::pathAccess(to, "the folder does not exist");
    }
    checkWritable(to);
    std::string bytes = source->second.bytes;
    store(to, bytes);
}

void MemoryFileSystem::appendLine(const std::string& path, const std::string& text) {
    if (!folderExists(parentKey(keyOf(path)))) {
        throw faults::pathAccess(path, "No such file or directory");
    }
    checkWritable(path);
    auto file = m_files.find(keyOf(path));
    std::string bytes = file == m_files.end() ? std::string() : file->second.bytes;
    store(path, bytes + utf8ToCp1252(text) + "\r\n");
}

std::optional<FileTimes> MemoryFileSystem::readTimes(const std::string& path) {
    if (!fileExists(path))
        return std::nullopt;
    return m_files.at(keyOf(path)).times;
}

bool MemoryFileSystem::writeTimes(const std::string& path, const FileTimes& times) {
    if (!fileExists(path))
        return false;
    m_files.at(keyOf(path)).times.lastWrite = times.lastWrite;
    return true;
}

std::string MemoryFileSystem::hostPath(const std::string& path) {
    std::string windows = normalPath(path);
    std::string key = upperCase(windows);
    // Spell each existing prefix as it was created.
    for (std::string prefix = key; prefix.size() > 2; prefix = parentKey(prefix)) {
        auto file = m_files.find(prefix);
        auto folder = m_folders.find(prefix);
        std::string stored = file != m_files.end()       ? file->second.path
                             : folder != m_folders.end() ? folder->second
                                                         : std::string();
        if (!stored.empty()) {
            windows = stored + windows.substr(stored.size());
            break;
        }
    }
    std::string host = kHostRoot + windows.substr(0, 1);
    for (char c : windows.substr(2))
        host += c == '\\' ? '/' : c;
    return host;
}

std::string MemoryFileSystem::windowsPath(const std::string& hostPath) {
    std::string root = kHostRoot;
    if (hostPath.compare(0, root.size(), root) != 0 || hostPath.size() <= root.size()) {
        throw faults::pathNotFound(hostPath);
    }
    std::string windows = hostPath.substr(root.size(), 1) + ":";
    for (char c : hostPath.substr(root.size() + 1))
        windows += c == '/' ? '\\' : c;
    return windows;
}

void MemoryFileSystem::makeFolder(const std::string& path) {
    std::string normal = normalPath(path);
    for (size_t end = normal.find('\\'); end != std::string::npos;
         end = normal.find('\\', end + 1)) {
        std::string prefix = normal.substr(0, end);
        if (prefix.size() > 2)
            m_folders.emplace(upperCase(prefix), prefix);
    }
    if (normal.size() > 2)
        m_folders.emplace(upperCase(normal), normal);
}

void MemoryFileSystem::setFile(const std::string& path, const std::string& bytes) {
    std::string parent = parentKey(normalPath(path));
    if (!parent.empty())
        makeFolder(parent);
    store(path, bytes);
}

bool MemoryFileSystem::setTimes(const std::string& path, const FileTimes& times) {
    if (!fileExists(path))
        return false;
    m_files.at(keyOf(path)).times = times;
    return true;
}

// Releases its lock when it goes; outlives the file system safely through the shared table.
class MemoryFileSystem::HeldLock : public FileLock {
public:
    HeldLock(std::shared_ptr<std::map<std::string, bool>> locks, std::string key)
        : m_locks(std::move(locks)), m_key(std::move(key)) {}
    ~HeldLock() override { m_locks->erase(m_key); }

private:
    std::shared_ptr<std::map<std::string, bool>> m_locks;
    std::string m_key;
};

std::vector<std::string> MemoryFileSystem::listFolder(const std::string& path) {
    std::string folder;
    try {
        folder = keyOf(path);
    } catch (const Fault&) {
        return {};
    }
    std::vector<std::string> names;
    for (const auto& [key, file] : m_files) {
        if (parentKey(key) == folder)
            names.push_back(file.path.substr(file.path.rfind('\\') + 1));
    }
    std::sort(names.begin(), names.end());
    return names;
}

void MemoryFileSystem::createFolder(const std::string& path) {
    for (std::string prefix = keyOf(path); prefix.size() > 2; prefix = parentKey(prefix)) {
        if (m_files.count(prefix) != 0)
            throw faults::pathAccess(path, "Not a directory");
    }
    makeFolder(path);
}

void MemoryFileSystem::removeFile(const std::string& path) {
    if (m_files.erase(keyOf(path)) == 0)
        throw faults::fileNotFound(path);
}

LockAttempt MemoryFileSystem::tryLock(const std::string& path) {
    if (!folderExists(parentKey(keyOf(path))))
        throw faults::pathAccess(path, "No such file or directory");
    if (!fileExists(path))
        store(path, "");
    std::string key = keyOf(path);
    if (!m_locks->emplace(key, true).second)
        return LockAttempt{nullptr, currentProcessId()};
    return LockAttempt{std::make_unique<HeldLock>(m_locks, key), 0};
}

void MemoryFileSystem::setReadOnly(const std::string& path, bool readOnly) {
    m_files.at(keyOf(path)).readOnly = readOnly;
}

std::vector<std::string> MemoryFileSystem::filePaths() const {
    std::vector<std::string> paths;
    for (const auto& [key, file] : m_files)
        paths.push_back(file.path);
    return paths;
}

void MemoryFileSystem::store(const std::string& path, const std::string& bytes) {
    std::string key = keyOf(path);
    auto [file, created] = m_files.try_emplace(key);
    if (created) {
        // The folders keep the case they were made with; the new name keeps the case given.
        std::string normal = normalPath(path);
        std::string parent = parentKey(key);
        auto folder = m_folders.find(parent);
        std::string stored = folder != m_folders.end() ? folder->second : normal.substr(0, 2);
        file->second.path = stored + normal.substr(stored.size());
        file->second.times.creation = m_clock;
    }
    file->second.bytes = bytes;
    file->second.identity = m_nextIdentity++;
    file->second.times.lastAccess = m_clock;
    file->second.times.lastWrite = m_clock;
    m_clock += kOneSecond;
}

}  // namespace dalvon
