#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>

#include "platform/drive_map.h"
#include "platform/fault.h"
#include "platform/file_time.h"
#include "platform/posix_files.h"
#include "platform/text.h"

namespace dalvon {
namespace {

std::string lastError() {
    return std::strerror(errno);
}

std::string parentOf(const std::string& host) {
    size_t slash = host.rfind('/');
    return slash == 0 ? "/" : host.substr(0, slash);
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool isFolder(const std::string& host) {
    struct stat info {};
    return ::stat(host.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool isOrdinaryFile(const std::string& host) {
    struct stat info {};
    return ::stat(host.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Closes the descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Closes now and reports whether the last buffered write made it.
    bool close() {
        int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

void writeAll(int fd, std::string_view bytes, const std::string& path) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            throw faults::pathAccess(path, lastError());
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

// The entry of `folder` whose name equals `name` without regard to case; the first in byte
// order when several do, so the choice does not depend on the directory's order.
std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return std::nullopt;
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(dir)) {
        std::string candidate = entry->d_name;
        if (candidate == "." || candidate == "..")
            continue;
        if (equalsIgnoreCase(candidate, name) && (!found || candidate < *found))
            found = candidate;
    }
    ::closedir(dir);
    return found;
}

class PosixFileSystem : public FileSystem {
public:
    explicit PosixFileSystem(std::vector<Drive> drives) : m_drives(std::move(drives)) {}

    bool fileExists(const std::string& path) override {
        try {
            // The path as given is the usual case and takes one call.
            std::optional<std::string> given = givenHostPath(path);
            return given && (isOrdinaryFile(*given) || isOrdinaryFile(resolve(path)));
        } catch (const Fault&) {
            return false;
        }
    }

    std::optional<std::string> readFile(const std::string& path) override {
        Descriptor file(::open(resolve(path).c_str(), O_RDONLY | O_CLOEXEC));
        if (!file.valid() && (errno == ENOENT || errno == ENOTDIR))
            return std::nullopt;
        if (!file.valid())
            throw faults::pathAccess(path, lastError());
        std::string bytes;
        char buffer[65536];
        for (;;) {
            ssize_t count = ::read(file.get(), buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                throw faults::pathAccess(path, lastError());
            if (count == 0)
                return bytes;
            bytes.append(buffer, static_cast<size_t>(count));
        }
    }

    std::optional<std::string> readRange(const std::string& path, uint64_t offset,
                                         size_t length) override {
        Descriptor file(::open(resolve(path).c_str(), O_RDONLY | O_CLOEXEC));
        if (!file.valid() && (errno == ENOENT || errno == ENOTDIR))
            return std::nullopt;
        if (!file.valid())
            throw faults::pathAccess(path, lastError());
        std::string bytes(length, '\0');
        size_t got = 0;
        while (got < length) {
            ssize_t count = ::pread(file.get(), bytes.data() + got, length - got,
                                    static_cast<off_t>(offset + got));
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                throw faults::pathAccess(path, lastError());
            if (count == 0)
                break;
            got += static_cast<size_t>(count);
        }
        bytes.resize(got);
        return bytes;
    }

    std::optional<FileInfo> fileInfo(const std::string& path) override {
        std::optional<std::string> resolved = tryResolve(path);
        if (!resolved)
            return std::nullopt;
        const std::string& host = *resolved;
        struct stat info {};
        if (::stat(host.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            return std::nullopt;
        return FileInfo{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino),
                        static_cast<uint64_t>(info.st_size), ::access(host.c_str(), W_OK) == 0};
    }

    void writeFileAtomic(const std::string& path, const std::string& bytes) override {
        std::string host = resolveForWriting(path);
        if (!isFolder(parentOf(host)))
            throw faults::pathNotFound(path);
        replaceAtomically(path, host, [&](int fd) { writeAll(fd, bytes, path); });
    }

    void copyFile(const std::string& from, const std::string& to) override {
        Descriptor source(::open(resolve(from).c_str(), O_RDONLY | O_CLOEXEC));
        struct stat info {};
        if (!source.valid() || ::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            if (!source.valid() && errno != ENOENT && errno != ENOTDIR) {
                throw faults::pathAccess(from, lastError());
            }
            throw faults::fileNotFound(from);
        }
        std::string host = resolveForWriting(to);
        if (!isFolder(parentOf(host)))
            throw faults::pathAccess(to, "the folder does not exist");
        replaceAtomically(to, host, [&](int fd) { copyContent(source.get(), from, fd, to); });
    }

    void appendLine(const std::string& path, const std::string& text) override {
        std::string host = resolveForWriting(path);
        Descriptor file(::open(host.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666));
        if (!file.valid())
            throw faults::pathAccess(path, lastError());
        // One write call, so that a line from another process never lands inside ours.
        writeAll(file.get(), utf8ToCp1252(text) + "\r\n", path);
        if (!file.close())
            throw faults::pathAccess(path, lastError());
    }

    std::optional<FileTimes> readTimes(const std::string& path) override {
        std::optional<std::string> resolved = tryResolve(path);
        if (!resolved)
            return std::nullopt;
        const std::string& host = *resolved;
        struct statx info {};
        if (::statx(AT_FDCWD, host.c_str(), AT_STATX_SYNC_AS_STAT, STATX_BASIC_STATS | STATX_BTIME,
                    &info) != 0 ||
            !S_ISREG(info.stx_mode)) {
            return std::nullopt;
        }
        auto fileTime = [](const statx_timestamp& t) {
            return fileTimeFromTimespec(timespec{static_cast<time_t>(t.tv_sec), t.tv_nsec});
        };
        // Not every file system keeps a birth time; the status-change time is the nearest.
        bool hasBirth = (info.stx_mask & STATX_BTIME) != 0;
        return FileTimes{fileTime(hasBirth ? info.stx_btime : info.stx_ctime),
                         fileTime(info.stx_atime), fileTime(info.stx_mtime)};
    }

    bool writeTimes(const std::string& path, const FileTimes& times) override {
        std::optional<std::string> resolved = tryResolve(path);
        if (!resolved)
            return false;
        const std::string& host = *resolved;
        if (!isOrdinaryFile(host))
            return false;
        timespec values[2] = {{0, UTIME_OMIT}, timespecFromFileTime(times.lastWrite)};
        return ::utimensat(AT_FDCWD, host.c_str(), values, 0) == 0;
    }

    void createFolder(const std::string& path) override {
        std::string host = resolveForWriting(path);
        std::error_code error;
        std::filesystem::create_directories(host, error);
        if (error || !isFolder(host))
            throw faults::pathAccess(path, error ? error.message() : "Not a directory");
    }

    std::vector<std::string> listFolder(const std::string& path) override {
        std::optional<std::string> resolved = tryResolve(path);
        if (!resolved)
            return {};
        const std::string& host = *resolved;
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(host.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                if (isOrdinaryFile(joined(host, entry->d_name)))
                    names.emplace_back(entry->d_name);
            }
            ::closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void removeFile(const std::string& path) override {
        std::string host = resolve(path);
        if (!isOrdinaryFile(host))
            throw faults::fileNotFound(path);
        if (::unlink(host.c_str()) != 0)
            throw faults::pathAccess(path, lastError());
        syncFolder(parentOf(host));
    }

    int removeLeftovers(const std::string& folder) override {
        try {
            return posix::removeLeftovers(resolve(folder));
        } catch (const Fault&) {
            return 0;
        }
    }

    LockAttempt tryLock(const std::string& path) override {
        return posix::tryLock(resolveForWriting(path), path);
    }

    std::string hostPath(const std::string& path) override { return resolve(path); }

    std::string windowsPath(const std::string& hostPath) override {
        if (!hostPath.empty() && hostPath[0] == '/')
            return mapToWindows(m_drives, hostPath);
        return mapToWindows(m_drives, std::filesystem::absolute(hostPath).lexically_normal());
    }

private:
    // As resolve(), or nothing where that fails (no such drive).
    std::optional<std::string> tryResolve(const std::string& path) const {
        try {
            return resolve(path);
        } catch (const Fault&) {
            return std::nullopt;
        }
    }

    // The host path with the components as given; none without a known drive.
    std::optional<std::string> givenHostPath(const std::string& path) const {
        // The update asks for the same file once per row: the last answer is kept.
        if (m_lastGiven && m_lastGiven->first == path)
            return m_lastGiven->second;
        std::optional<WindowsPathParts> parts = splitWindowsPath(path);
        const Drive* drive = parts ? findDrive(m_drives, parts->drive) : nullptr;
        if (drive == nullptr)
            return std::nullopt;
        std::string host = drive->hostFolder;
        for (const std::string& component : parts->components)
            host = joined(host, component);
        m_lastGiven.emplace(path, host);
        return host;
    }

    // The host path with every existing component in its case on disk; the first missing
    // component and all after it keep the case given.
    std::string resolve(const std::string& path) const {
        std::optional<WindowsPathParts> parts = splitWindowsPath(path);
        const Drive* drive = parts ? findDrive(m_drives, parts->drive) : nullptr;
        if (drive == nullptr)
            throw faults::pathNotFound(path);
        std::string host = drive->hostFolder;
        // Usually the path exists as given: one call settles it.
        std::string given = givenHostPath(path).value_or(std::string());
        struct stat whole {};
        if (::lstat(given.c_str(), &whole) == 0)
            return given;
        bool existing = true;
        for (const std::string& component : parts->components) {
            std::string exact = joined(host, component);
            struct stat info {};
            if (existing && ::lstat(exact.c_str(), &info) != 0) {
                std::optional<std::string> onDisk = findIgnoringCase(host, component);
                existing = onDisk.has_value();
                if (existing)
                    exact = joined(host, *onDisk);
            }
            host = std::move(exact);
        }
        return host;
    }

    // As resolve, after creating the drive's folder when it does not exist yet.
    std::string resolveForWriting(const std::string& path) {
        std::optional<WindowsPathParts> parts = splitWindowsPath(path);
        const Drive* drive = parts ? findDrive(m_drives, parts->drive) : nullptr;
        if (drive != nullptr && !isFolder(drive->hostFolder)) {
            std::error_code ignored;  // a failure shows up as a fault of the write itself
            std::filesystem::create_directories(drive->hostFolder, ignored);
        }
        return resolve(path);
    }

    void replaceAtomically(const std::string& path, const std::string& host,
                           const std::function<void(int)>& fill) {
        refuseReadOnly(path, host);
        std::string temp;
        Descriptor file(createTemp(path, host, temp));
        try {
            fill(file.get());
            keepMode(host, file.get());
            if (::fsync(file.get()) != 0 || !file.close())
                throw faults::pathAccess(path, lastError());
            if (::rename(temp.c_str(), host.c_str()) != 0)
                throw faults::pathAccess(path, lastError());
        } catch (...) {
            ::unlink(temp.c_str());
            throw;
        }
        syncFolder(parentOf(host));
    }

    // A rename would replace a file the user may not write; a copy over it fails instead.
    static void refuseReadOnly(const std::string& path, const std::string& host) {
        if (isOrdinaryFile(host) && ::access(host.c_str(), W_OK) != 0)
            throw faults::pathAccess(path, lastError());
    }

    // A new, empty temp file next to the target; its name is returned in `temp`.
    int createTemp(const std::string& path, const std::string& host, std::string& temp) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            temp = posix::tempPathFor(host, ::getpid(), m_tempCounter++);
            int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0)
                return fd;
            if (errno != EEXIST)
                break;
        }
        throw faults::pathAccess(path, lastError());
    }

    // A replaced file keeps its permissions; a new one gets the usual ones from the umask.
    static void keepMode(const std::string& host, int fd) {
        struct stat info {};
        if (::stat(host.c_str(), &info) == 0)
            ::fchmod(fd, info.st_mode & 07777);
    }

    // Makes the rename durable; a failure here cannot undo it, so it is not reported.
    static void syncFolder(const std::string& folder) {
        Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.valid())
            ::fsync(dir.get());
    }

    static void copyContent(int source, const std::string& from, int target,
                            const std::string& to) {
        char buffer[65536];
        for (;;) {
            ssize_t count = ::read(source, buffer, sizeof buffer);
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                throw faults::pathAccess(from, lastError());
            if (count == 0)
                return;
            writeAll(target, std::string_view(buffer, static_cast<size_t>(count)), to);
        }
    }

    std::vector<Drive> m_drives;
    mutable std::optional<std::pair<std::string, std::string>> m_lastGiven;  // path, host path
    unsigned long m_tempCounter = 0;
};

}  // namespace

std::unique_ptr<FileSystem> makePosixFileSystem(std::vector<Drive> drives) {
    return std::make_unique<PosixFileSystem>(std::move(drives));
}

std::vector<Drive> drivesFromEnvironment() {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user != nullptr ? user->pw_dir : nullptr;
    }
    const char* overrides = std::getenv(kDrivesVariable);
    return parseDriveTable(overrides != nullptr ? overrides : "",
                           defaultDriveC(std::getenv("XDG_DATA_HOME"), home));
}

std::unique_ptr<FileSystem> makeSystemFileSystem() {
    return makePosixFileSystem(drivesFromEnvironment());
}

std::unique_ptr<FileSystem> makeHostFileSystem() {
    return makePosixFileSystem({{'Z', "/"}});
}

}  // namespace dalvon
