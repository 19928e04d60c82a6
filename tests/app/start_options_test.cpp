#include "app/start_options.h"

#include <gtest/gtest.h>

namespace dalvon {
namespace {

TEST(StartOptions, SilentStartIsReadAsTheStartModeReadsIt) {
    struct Row {
        const char* commandLine;
        bool silent;
    } rows[] = {
        {"/EXTERNAL=SILENT", true},
        {"/external:silent", true},
        {"/EXTERNAL= silent /LOGFILE=x", true},
        {"/EXTERNAL=SILENT/LOGFILE=x", true},
        {"/EXTERNAL==SILENT", false},
        {"/EXTERNAL=ZEBCFG", false},
        {"/LOGFILE=D:\\EXTERNAL\\x /EXTERNAL=SILENT", false},  // the first EXTERNAL counts
        {"/EXTERNAL", false},
        {"/EXTERNAL=", false},
        {"", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(isSilentStart(row.commandLine), row.silent) << row.commandLine;
}

TEST(StartOptions, WindowOnlyWithADisplayAndNotForTheTerminal) {
    struct Row {
        const char* display;
        const char* wayland;
        const char* qpa;
        const char* ui;
        bool window;
    } rows[] = {
        {":0", nullptr, nullptr, nullptr, true},
        {nullptr, "wayland-0", nullptr, nullptr, true},
        {nullptr, nullptr, "offscreen", nullptr, true},
        {":0", nullptr, nullptr, "terminal", false},
        {":0", nullptr, nullptr, "qt", true},
        {nullptr, nullptr, nullptr, nullptr, false},
        {"", "", "", nullptr, false},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(wantsWindow(row.display, row.wayland, row.qpa, row.ui), row.window)
            << (row.display ? row.display : "-") << (row.ui ? row.ui : "-");
    }
}

TEST(StartOptions, HelpAndVersionRequests) {
    EXPECT_EQ(requestOf({}), Request::Start);
    EXPECT_EQ(requestOf({"/EXTERNAL=SILENT"}), Request::Start);
    EXPECT_EQ(requestOf({"--help"}), Request::Help);
    EXPECT_EQ(requestOf({"/EXTERNAL=ZEBCFG", "--version"}), Request::Version);
    EXPECT_EQ(versionText(), "1.0.2");
}

}  // namespace
}  // namespace dalvon
