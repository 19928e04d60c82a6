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

TEST(DisplayProbeTest, ReadsWhereAnX11DisplayListens) {
    struct Row {
        const char* display;
        std::optional<X11Address> address;
    } rows[] = {
        {":0", X11Address{"/tmp/.X11-unix/X0", "", 0}},
        {":12.1", X11Address{"/tmp/.X11-unix/X12", "", 0}},
        {"unix:3", X11Address{"/tmp/.X11-unix/X3", "", 0}},
        {"localhost:10.0", X11Address{"", "localhost", 6010}},
        {"tcp/plant-hmi:1", X11Address{"", "plant-hmi", 6001}},
        {"", std::nullopt},
        {"nonsense", std::nullopt},
        {":x", std::nullopt},
        {":", std::nullopt},
    };
    for (const Row& row : rows)
        EXPECT_EQ(x11Address(row.display), row.address) << row.display;
    EXPECT_EQ(waylandSocketPath("wayland-0", "/run/user/1000"), "/run/user/1000/wayland-0");
    EXPECT_EQ(waylandSocketPath("/tmp/w", ""), "/tmp/w");
    EXPECT_EQ(waylandSocketPath("wayland-0", ""), "");
}

TEST(DisplayProbeTest, OnlyAListeningSocketCounts) {
    fs::path folder = fs::temp_directory_path() / ("dalvon-probe-" + std::to_string(getpid()));
    fs::create_directories(folder);
    fs::path socketPath = folder / "wayland-5";
    int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socketPath.c_str(), sizeof(address.sun_path) - 1);
    ASSERT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    // Bound but not listening: refused, as a dead server's stale socket is.
    EXPECT_NE(probeWaylandDisplay("wayland-5", folder.string()), "");
    ASSERT_EQ(listen(server, 1), 0);
    EXPECT_EQ(probeWaylandDisplay("wayland-5", folder.string()), "");
    EXPECT_EQ(probeWaylandDisplay(socketPath.string(), ""), "");
    EXPECT_NE(probeWaylandDisplay("wayland-6", folder.string()), "");
    EXPECT_EQ(probeWaylandDisplay("wayland-5", ""), "XDG_RUNTIME_DIR is not set");
    close(server);
    fs::remove_all(folder);

    EXPECT_EQ(probeX11Display("garbage"), "malformed DISPLAY value");
    EXPECT_NE(probeX11Display(":97"), "");
}

// An X11 server socket in the abstract namespace (nothing on disk) for display `number`.
int listenAsX11Display(int number) {
    std::string path = "/tmp/.X11-unix/X" + std::to_string(number);
    int server = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path + 1, path.data(), path.size());
    auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + path.size());
    EXPECT_EQ(bind(server, reinterpret_cast<sockaddr*>(&address), length), 0);
    EXPECT_EQ(listen(server, 4), 0);
    return server;
}

TEST(DisplayProbeTest, AnX11ServerMustAnswerItsSetup) {
    int number = 7000 + getpid() % 1000;
    std::string display = ":" + std::to_string(number);
    int server = listenAsX11Display(number);
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
