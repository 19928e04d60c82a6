#include "platform/posix_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/fault.h"

namespace dalvon::posix {
namespace {

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos &&
           text.size() <= 9;
}

// Holds the lock through its descriptor: closing it (or the process ending) releases it.
class DescriptorLock : public FileLock {
public:
    explicit DescriptorLock(int fd) : m_fd(fd) {}
    ~DescriptorLock() override { ::close(m_fd); }

private:
    int m_fd;
};

// The process id noted in a lock file, 0 when there is none yet.
long notedHolder(int fd) {
    char buffer[32] = {};
    ssize_t count = ::pread(fd, buffer, sizeof buffer - 1, 0);
    return count > 0 ? std::strtol(buffer, nullptr, 10) : 0;
}

}  // namespace

std::string tempPathFor(const std::string& host, long pid, unsigned long counter) {
    size_t slash = host.rfind('/');
    std::string folder = host.substr(0, slash + 1);
    return folder + "." + host.substr(slash + 1) + ".tmp" + std::to_string(pid) + "." +
           std::to_string(counter);
}

std::optional<long> tempFileOwner(const std::string& name) {
    size_t lastDot = name.rfind('.');
    size_t tmp = name.rfind(".tmp", lastDot == std::string::npos ? 0 : lastDot);
    if (name.size() < 2 || name[0] != '.' || lastDot == std::string::npos ||
        tmp == std::string::npos || tmp < 2 || tmp + 4 > lastDot) {
        return std::nullopt;
    }
    std::string pid = name.substr(tmp + 4, lastDot - tmp - 4);
    if (!allDigits(pid) || !allDigits(name.substr(lastDot + 1)))
        return std::nullopt;
    return std::strtol(pid.c_str(), nullptr, 10);
}

bool processExists(long pid) {
    if (pid <= 0)
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

namespace {

// Removes the temp files in `hostFolder` whose process is gone and that `belongs` accepts.
template <typename Belongs>
int removeStale(const std::string& hostFolder, Belongs belongs) {
    DIR* dir = ::opendir(hostFolder.c_str());
    if (dir == nullptr)
        return 0;
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        std::optional<long> owner = tempFileOwner(name);
        if (owner && belongs(name) && !processExists(*owner))
            stale.push_back(hostFolder + "/" + name);
    }
    ::closedir(dir);
    int removed = 0;
    for (const std::string& path : stale) {
        struct stat info {};
        // Only ordinary files: a folder of that name is nobody's temp file.
        if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::unlink(path.c_str()) == 0) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace

int removeLeftovers(const std::string& hostFolder) {
    return removeStale(hostFolder, [](const std::string&) { return true; });
}

int removeLeftoversOf(const std::string& host) {
    const size_t slash = host.rfind('/');
    const std::string folder = slash == std::string::npos ? "."
                               : slash == 0               ? "/"
                                                          : host.substr(0, slash);
    const std::string prefix = "." + host.substr(slash + 1) + ".tmp";
    // Only "<pid>.<n>" may follow: ".a.mdb.tmp.x.tmp5.1" replaces "a.mdb.tmp.x", not "a.mdb".
    return removeStale(folder, [&](const std::string& name) {
        return name.starts_with(prefix) &&
               name.find_first_not_of("0123456789.", prefix.size()) == std::string::npos;
    });
}

LockAttempt tryLock(const std::string& hostPath, const std::string& path) {
    int fd = ::open(hostPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        throw faults::pathAccess(path, std::strerror(errno));
    struct flock request {};
    request.l_type = F_WRLCK;
    request.l_whence = SEEK_SET;
    // An open-file-description lock: it conflicts within one process too, and ends with the
    // descriptor, whatever else the process opens and closes.
    if (::fcntl(fd, F_OFD_SETLK, &request) != 0) {
        int error = errno;
        long holder = notedHolder(fd);
        ::close(fd);
        if (error != EAGAIN && error != EACCES)
            throw faults::pathAccess(path, std::strerror(error));
        return LockAttempt{nullptr, holder};
    }
    std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
        // The lock holds without the note; a refused start then names no process.
    }
    return LockAttempt{std::make_unique<DescriptorLock>(fd), 0};
}

bool mayWrite(const std::string& host) {
    return ::access(host.c_str(), W_OK) == 0;
}

}  // namespace dalvon::posix
