#include "platform/display_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

namespace dalvon {
namespace {

// A server that does not answer within this time counts as unreachable.
constexpr int kAnswerTimeoutMs = 2000;

// What is done on a connected socket before it is closed: empty when the server is usable.
using Talk = std::string (*)(int fd);

std::string nothingToSay(int) {
    return {};
}

// The X11 connection setup without authorisation data. Any reply counts, a refusal included:
// the probe asks whether a server answers, and the window toolkit brings its own credentials.
// A socket that accepts and then stays silent would hang the toolkit forever.
std::string x11Handshake(int fd) {
    const unsigned char setup[12] = {'l', 0, 11, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    if (::send(fd, setup, sizeof setup, MSG_NOSIGNAL) != static_cast<ssize_t>(sizeof setup))
        return std::strerror(errno);
    pollfd waiting{fd, POLLIN, 0};
    if (::poll(&waiting, 1, kAnswerTimeoutMs) <= 0)
        return "no answer";
    char reply = 0;
    return ::recv(fd, &reply, 1, 0) == 1 ? std::string() : "connection closed";
}

// A socket descriptor that is closed however the probe ends.
class Socket {
public:
    explicit Socket(int fd) : m_fd(fd) {}
    ~Socket() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int fd() const { return m_fd; }

private:
    int m_fd;
};

// The outcome of one connection attempt: whether the socket accepted, and what failed.
struct Attempt {
    bool connected = false;
    std::string failure;
};

// Connects to a local stream socket; `abstract` uses Linux's abstract namespace.
Attempt connectLocal(const std::string& path, bool abstract, Talk talk) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof(address.sun_path))
        return {false, "socket path too long"};
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    Socket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (socket.fd() < 0)
        return {false, std::strerror(errno)};
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    if (::connect(socket.fd(), reinterpret_cast<const sockaddr*>(&address), length) != 0)
        return {false, std::strerror(errno)};
    return {true, talk(socket.fd())};
}

std::string connectWithTimeout(const addrinfo& candidate, Talk talk) {
    Socket socket(::socket(candidate.ai_family,
                           candidate.ai_socktype | SOCK_CLOEXEC | SOCK_NONBLOCK,
                           candidate.ai_protocol));
    if (socket.fd() < 0)
        return std::strerror(errno);
    if (::connect(socket.fd(), candidate.ai_addr, candidate.ai_addrlen) != 0) {
        if (errno != EINPROGRESS)
            return std::strerror(errno);
        pollfd waiting{socket.fd(), POLLOUT, 0};
        if (::poll(&waiting, 1, kAnswerTimeoutMs) <= 0)
            return "no answer";
        int error = 0;
        socklen_t size = sizeof(error);
        ::getsockopt(socket.fd(), SOL_SOCKET, SO_ERROR, &error, &size);
        if (error != 0)
            return std::strerror(error);
    }
    return talk(socket.fd());
}

std::string connectTcp(const std::string& host, int port, Talk talk) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    int rc = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0)
        return ::gai_strerror(rc);
    std::string failure = "no address";
    for (addrinfo* candidate = found; candidate != nullptr; candidate = candidate->ai_next) {
        failure = connectWithTimeout(*candidate, talk);
        if (failure.empty())
            break;
    }
    ::freeaddrinfo(found);
    return failure;
}

bool allDigits(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::optional<X11Address> x11Address(const std::string& display) {
    size_t colon = display.rfind(':');
    if (colon == std::string::npos)
        return std::nullopt;
    std::string host = display.substr(0, colon);
    std::string number = display.substr(colon + 1);
    number = number.substr(0, number.find('.'));
    if (!allDigits(number) || number.size() > 5)
        return std::nullopt;
    // "unix/host:0" and "unix:0" are the local socket, like an empty host.
    if (host.rfind("unix/", 0) == 0 || host == "unix")
        host.clear();
    if (host.empty())
        return X11Address{"/tmp/.X11-unix/X" + number, "", 0};
    if (size_t slash = host.find('/'); slash != std::string::npos)
        host = host.substr(slash + 1);  // "tcp/host:0"
    return X11Address{"", host, 6000 + std::stoi(number)};
}

std::string waylandSocketPath(const std::string& name, const std::string& runtimeDir) {
    if (!name.empty() && name.front() == '/')
        return name;
    if (runtimeDir.empty())
        return {};
    return runtimeDir + "/" + name;
}

std::string probeX11Display(const std::string& display) {
    std::optional<X11Address> address = x11Address(display);
    if (!address)
        return "malformed DISPLAY value";
    if (!address->host.empty())
        return connectTcp(address->host, address->port, x11Handshake);
    // The server listens in the abstract namespace, the file, or both.
    Attempt attempt = connectLocal(address->socketPath, true, x11Handshake);
    if (!attempt.connected)
        attempt = connectLocal(address->socketPath, false, x11Handshake);
    return attempt.failure;
}

std::string probeWaylandDisplay(const std::string& name, const std::string& runtimeDir) {
    std::string path = waylandSocketPath(name, runtimeDir);
    if (path.empty())
        return "XDG_RUNTIME_DIR is not set";
    return connectLocal(path, false, nothingToSay).failure;
}

}  // namespace dalvon
