#pragma once

#include <optional>
#include <string>

namespace dalvon {

// Where the X11 server named by a DISPLAY value listens: a local socket (tried in the abstract
// namespace and as a file) or a TCP host and port.
struct X11Address {
    std::string socketPath;  // local: "/tmp/.X11-unix/X<n>"; empty for TCP
    std::string host;        // TCP: the host name; empty for local
    int port = 0;            // TCP: 6000 + display number
    bool operator==(const X11Address&) const = default;
};

// The address of "[unix/][host]:number[.screen]"; nothing when the value is malformed.
std::optional<X11Address> x11Address(const std::string& display);

// The socket of a Wayland display: `name` itself when it is an absolute path, otherwise
// `runtimeDir` + "/" + name; empty when it is relative and `runtimeDir` is empty.
std::string waylandSocketPath(const std::string& name, const std::string& runtimeDir);

// Cheap probes of a display server before a window toolkit is started (a toolkit that cannot
// connect aborts the process, one that gets no answer waits forever). Each connects to the
// server's socket; the X11 probe also sends the connection setup and waits up to two seconds
// for any reply. The result is empty when the server is there, else why not ("connection
// refused", "no answer", "malformed DISPLAY value", ...).
std::string probeX11Display(const std::string& display);
std::string probeWaylandDisplay(const std::string& name, const std::string& runtimeDir);

}  // namespace dalvon
