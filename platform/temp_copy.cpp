#include "platform/temp_copy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/fault.h"
#include "platform/posix_files.h"

namespace dalvon {
namespace {

// Counters of temp names stay below ten digits, which the leftover sweep requires.
constexpr unsigned long kCounterLimit = 1000000000;

std::string folderOf(const std::string& host) {
    const size_t slash = host.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : host.substr(0, slash);
}

bool writeAll(int fd, const uint8_t* data, size_t length, off_t offset) {
    while (length > 0) {
        const ssize_t done = ::pwrite(fd, data, length, offset);
        if (done < 0 && errno == EINTR)
            continue;
        if (done <= 0)
            return false;
        data += done;
        length -= static_cast<size_t>(done);
        offset += done;
    }
    return true;
}

}  // namespace

TempCopy::TempCopy(const std::string& hostPath, const std::string& displayPath)
    : m_host(hostPath), m_display(displayPath) {
    const int source = ::open(m_host.c_str(), O_RDONLY | O_CLOEXEC);
    if (source < 0)
        fail();
    struct stat info {};
    ::fstat(source, &info);
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temp = posix::tempPathFor(m_host, ::getpid(), random() % kCounterLimit);
        m_fd = ::open(m_temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0) {
        const int error = errno;
        ::close(source);
        errno = error;
        m_temp.clear();
        fail();
    }
    uint8_t buffer[65536];
    off_t at = 0;
    for (;;) {
        const ssize_t got = ::read(source, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0 || (got > 0 && !writeAll(m_fd, buffer, static_cast<size_t>(got), at))) {
            // No destructor runs for an object whose constructor throws: the partial copy
            // goes here.
            const int error = errno;
            ::close(source);
            ::close(m_fd);
            ::unlink(m_temp.c_str());
            errno = error;
            fail();
        }
        if (got == 0)
            break;
        at += got;
    }
    ::close(source);
}

TempCopy::~TempCopy() {
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
}

void TempCopy::write(uint64_t offset, std::span<const uint8_t> bytes) {
    if (!writeAll(m_fd, bytes.data(), bytes.size(), static_cast<off_t>(offset)))
        fail();
}

void TempCopy::resize(uint64_t size) {
    if (::ftruncate(m_fd, static_cast<off_t>(size)) != 0)
        fail();
}

void TempCopy::commit() {
    if (::fsync(m_fd) != 0)
        fail();
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0 || ::rename(m_temp.c_str(), m_host.c_str()) != 0)
        fail();
    m_temp.clear();
    // Makes the rename durable; a failure here cannot undo it, so it is not reported.
    const int folder = ::open(folderOf(m_host).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

void TempCopy::fail() const {
    throw faults::pathAccess(m_display, std::strerror(errno));
}

}  // namespace dalvon
