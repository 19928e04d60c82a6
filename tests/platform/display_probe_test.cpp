// Probing display servers before a window toolkit would abort on them.
#include "platform/display_probe.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <thread>

namespace dalvon {
namespace {

namespace fs = std::filesystem;

TEST(DisplayProbeTest, ReadsWhereADisplayListens) {
    const std::pair<const char*, std::optional<X11Address>> rows[] = {
        {":12.1", X11Address{"/tmp/.X11-unix/X12", "", 0}},
        {"unix:3", X11Address{"/tmp/.X11-unix/X3", "", 0}},
        {"localhost:10.0", X11Address{"", "localhost", 6010}},
        {"tcp/plant-hmi:1", X11Address{"", "plant-hmi", 6001}},
        {"", std::nullopt},
        {"nonsense", std::nullopt},
        {":x", std::nullopt},
        {":", std::nullopt},
    };
    for (const auto& [display, address] : rows)
        EXPECT_EQ(x11Address(display), address) << display;
    EXPECT_EQ(waylandSocketPath("wayland-0", "/run/user/1000"), "/run/user/1000/wayland-0");
    EXPECT_EQ(waylandSocketPath("/tmp/w", ""), "/tmp/w");
    EXPECT_EQ(waylandSocketPath("wayland-0", ""), "");
}

// A Unix socket server at `path`, in the abstract namespace (nothing on disk) when `abstract`.
int bindSocket(const std::string& path, bool abstract) {
    int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + (abstract ? 1 : 0), path.data(), path.size());
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    EXPECT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), length), 0);
    return server;
}

TEST(DisplayProbeTest, OnlyAListeningWaylandSocketCounts) {
    fs::path folder = fs::temp_directory_path() / ("dalvon-probe-" + std::to_string(getpid()));
    fs::create_directories(folder);
    int server = bindSocket((folder / "wayland-5").string(), false);
    // Bound but not listening: refused, as a dead server's stale socket is.
    EXPECT_NE(probeWaylandDisplay("wayland-5", folder.string()), "");
    ASSERT_EQ(listen(server, 1), 0);
    EXPECT_EQ(probeWaylandDisplay("wayland-5", folder.string()), "");
    EXPECT_EQ(probeWaylandDisplay((folder / "wayland-5").string(), ""), "");
    EXPECT_NE(probeWaylandDisplay("wayland-6", folder.string()), "");
    EXPECT_EQ(probeWaylandDisplay("wayland-5", ""), "XDG_RUNTIME_DIR is not set");
    close(server);
    fs::remove_all(folder);
}

TEST(DisplayProbeTest, AnX11ServerMustAnswerItsSetup) {
    EXPECT_EQ(probeX11Display("garbage"), "malformed DISPLAY value");
    EXPECT_NE(probeX11Display(":97"), "");
    int number = 7000 + getpid() % 1000;
    std::string display = ":" + std::to_string(number);
    int server = bindSocket("/tmp/.X11-unix/X" + std::to_string(number), true);
    ASSERT_EQ(listen(server, 4), 0);
    // Accepts (the backlog does) but never answers: a toolkit would wait forever.
    EXPECT_EQ(probeX11Display(display), "no answer");

    std::thread answering([server] {
        for (int i = 0; i < 2; ++i) {
            int client = accept(server, nullptr, nullptr);
            if (client < 0)
                return;
            char setup[12];
            EXPECT_EQ(recv(client, setup, sizeof setup, MSG_WAITALL), 12);
            EXPECT_EQ(setup[0], 'l');
            const char refused = 0;  // "Failed": still a server that answers
            send(client, &refused, 1, MSG_NOSIGNAL);
            close(client);
        }
    });
    // The first, silent connection is still in the backlog; the second is answered.
    EXPECT_EQ(probeX11Display(display), "");
    answering.join();
    close(server);
}

}  // namespace
}  // namespace dalvon
