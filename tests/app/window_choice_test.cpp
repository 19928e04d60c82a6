// Choosing between the window and the terminal before any window toolkit is started, and
// reading --installation off the command line.
#include "app/window_choice.h"

#include <gtest/gtest.h>

#include <set>

#include "app/start_options.h"

namespace dalvon {
namespace {

using Kind = WindowChoice::Kind;

// Displays that answer, and plugins that are installed.
DisplayProbes probesWith(std::set<std::string> liveDisplays, std::set<std::string> plugins) {
    return {[=](const std::string& display) {
                return liveDisplays.count(display) ? "" : "connection refused";
            },
            [=](const std::string& name, const std::string&) {
                return liveDisplays.count(name) ? "" : "no such file";
            },
            [=](const std::string& platform) { return plugins.count(platform) > 0; }};
}

TEST(WindowChoiceTest, TakesTheFirstDisplayThatAnswers) {
    struct Row {
        DisplayEnvironment environment;
        Kind kind;
        std::string platform;
    } rows[] = {
        {{}, Kind::Terminal, ""},
        {{":0", "", "", "", "", ""}, Kind::Window, "xcb"},
        {{":0", "", "", "", "", "terminal"}, Kind::Terminal, ""},
        {{":9", "", "", "", "", ""}, Kind::Unreachable, ""},
        {{":9", "wayland-0", "/run", "", "", ""}, Kind::Window, "wayland"},
        {{":0", "wayland-0", "/run", "", "", ""}, Kind::Window, "xcb"},
        {{":0", "wayland-0", "/run", "wayland", "", ""}, Kind::Window, "wayland"},
        {{":0", "wayland-9", "/run", "wayland", "", ""}, Kind::Window, "xcb"},
        {{"", "wayland-9", "/run", "", "", ""}, Kind::Unreachable, ""},
        {{"", "", "", "", "offscreen", ""}, Kind::Window, "offscreen"},
        {{":9", "", "", "", "offscreen", ""}, Kind::Window, "offscreen"},
        {{":9", "", "", "", "xcb", ""}, Kind::Unreachable, ""},
        {{":9", "", "", "", "xcb;offscreen", ""}, Kind::Window, "offscreen"},
        {{":0", "", "", "", "vnc", ""}, Kind::Unreachable, ""},  // no such plugin
        {{"", "", "", "", "offscreen", "terminal"}, Kind::Terminal, ""},
    };
    DisplayProbes probes = probesWith({":0", "wayland-0"}, {"xcb", "wayland", "offscreen"});
    for (const Row& row : rows) {
        WindowChoice choice = chooseWindow(row.environment, probes);
        std::string label = row.environment.display + "|" + row.environment.waylandDisplay + "|" +
                            row.environment.qtPlatform;
        EXPECT_EQ(choice.kind, row.kind) << label;
        EXPECT_EQ(choice.platform, row.platform) << label;
        EXPECT_EQ(choice.reason.empty(), row.kind != Kind::Unreachable) << label;
    }
}

TEST(WindowChoiceTest, SaysWhyNoDisplayCanBeUsed) {
    DisplayProbes probes = probesWith({}, {"xcb"});
    WindowChoice choice = chooseWindow({":9", "wayland-1", "/run", "", "", ""}, probes);
    EXPECT_EQ(choice.reason,
              "the display \":9\" cannot be reached (connection refused); the Wayland display "
              "\"wayland-1\" cannot be reached (no such file)");
    choice = chooseWindow({":0", "", "", "", "", ""}, probesWith({":0"}, {}));
    EXPECT_EQ(choice.reason, "the window toolkit has no platform plugin \"xcb\"");
}

TEST(WindowChoiceTest, InstallationOptionIsTakenOffTheCommandLine) {
    struct Row {
        std::vector<std::string> arguments;
        Request kind;
        std::string installation;
        std::vector<std::string> rest;
    } rows[] = {
        {{"--installation", "/srv/plant", "/EXTERNAL=SILENT"},
         Request::Start,
         "/srv/plant",
         {"/EXTERNAL=SILENT"}},
        {{"/EXTERNAL=ZEBCFG", "--installation=/p", "/LOGFILE=x"},
         Request::Start,
         "/p",
         {"/EXTERNAL=ZEBCFG", "/LOGFILE=x"}},
        {{"--installation"}, Request::Invalid, "", {}},
        {{"--installation="}, Request::Invalid, "", {}},
        {{"--installation", "/p", "--help"}, Request::Help, "", {}},
        {{"/EXTERNAL=SILENT"}, Request::Start, "", {"/EXTERNAL=SILENT"}},
    };
    for (const Row& row : rows) {
        StartRequest request = parseStart(row.arguments);
        EXPECT_EQ(request.kind, row.kind) << row.arguments[0];
        EXPECT_EQ(request.installation, row.installation) << row.arguments[0];
        EXPECT_EQ(request.arguments, row.rest) << row.arguments[0];
    }
    EXPECT_EQ(executableInInstallation("/srv/plant//", "/build/app/Dalvon_Config"),
              "/srv/plant/Config/Dalvon_Config");
    EXPECT_EQ(executableInInstallation("plant", "Dalvon_Config"), "plant/Config/Dalvon_Config");
}

}  // namespace
}  // namespace dalvon
