#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include "platform/file_time.h"
#include "tests/platform/platform_fixture.h"

namespace dalvon::testing {
namespace {

std::string describe(const std::vector<Drive>& drives) {
    std::string text;
    for (const Drive& drive : drives)
        text += std::string(1, drive.letter) + "=" + drive.hostFolder + ";";
    return text;
}

TEST(DriveMapTest, DefaultDriveCFollowsXdgThenHome) {
    EXPECT_EQ(defaultDriveC("/data/", "/home/op"), "/data/dalvon/c");
    EXPECT_EQ(defaultDriveC("relative", "/home/op/"), "/home/op/.local/share/dalvon/c");
    EXPECT_EQ(defaultDriveC(nullptr, nullptr), "/.local/share/dalvon/c");
}

TEST(DriveMapTest, ParsesOverridesOverTheDefaultsAndRejectsMalformedOnes) {
    const std::pair<const char*, const char*> rows[] = {
        {"", "C=/home/c;Z=/;"},
        {"C=/srv/c;;E=/e", "C=/srv/c;E=/e;Z=/;"},
        {" d = /mnt/plant/ ; ", "C=/home/c;D=/mnt/plant;Z=/;"},
        {"z=/srv/root;D=/first;D=/with blank", "C=/home/c;D=/with blank;Z=/srv/root;"},
    };
    for (const auto& [overrides, table] : rows)
        EXPECT_EQ(describe(parseDriveTable(overrides, "/home/c")), table) << overrides;

    for (const char* overrides :
         {"D", "=/mnt", "DD=/mnt", "1=/mnt", "D=", "D=relative", "C=/c;D"}) {
        std::string text;
        EXPECT_EQ(faultOf([&] { parseDriveTable(overrides, "/home/c"); }, &text), 5) << overrides;
        EXPECT_NE(text.find("DALVON_DRIVES"), std::string::npos) << text;
    }
}

TEST(DriveMapTest, MapsPathsBothWaysThroughTheLongestDriveFolder) {
    std::vector<Drive> drives = parseDriveTable("D=/mnt/plant;E=/mnt/plant/sub", "/home/c");
    const std::pair<const char*, const char*> toHost[] = {
        {"d:\\Plant\\Config\\", "/mnt/plant/Plant/Config"},
        {"D:/Plant\\\\.\\Config\\..\\x.ini", "/mnt/plant/Plant/x.ini"},
        {"D:\\..\\..\\x", "/mnt/plant/x"},
        {"D:", "/mnt/plant"},
        {"Z:\\opt\\plant", "/opt/plant"},
    };
    for (const auto& [windows, host] : toHost)
        EXPECT_EQ(mapToHost(drives, windows), host) << windows;
    for (const char* path : {"", "x.ini", "\\Plant\\x.ini", "\\\\server\\share\\x", "Q:\\x"}) {
        std::string text;
        EXPECT_EQ(faultOf([&] { mapToHost(drives, path); }, &text), 76) << path;
        EXPECT_EQ(text, "Path not found: '" + std::string(path) + "'");
    }

    const std::pair<const char*, const char*> toWindows[] = {
        {"/opt/plant/Config", "Z:\\opt\\plant\\Config"},
        {"/", "Z:"},
        {"/mnt/plant/", "D:"},
        {"/mnt/plant/Config", "D:\\Config"},
        {"/mnt/plantation/x", "Z:\\mnt\\plantation\\x"},
        {"/mnt/plant/sub/x", "E:\\x"},
    };
    for (const auto& [host, windows] : toWindows)
        EXPECT_EQ(mapToWindows(drives, host), windows) << host;
    EXPECT_THROW(mapToWindows(parseDriveTable("Z=/srv", "/home/c"), "/opt/x"), Fault);
}

TEST(FileTimeTest, ConvertsExactlyInBothDirections) {
    struct Row {
        int64_t fileTime;
        time_t seconds;
        long nanoseconds;
    } rows[] = {
        {116444736000000000, 0, 0},                   // 1970-01-01
        {133485408012345670, 1704067201, 234567000},  // 2024-01-01, to the 100 ns
        {116444735999999999, -1, 999999900},          // just before 1970
        {0, -11644473600, 0},                         // 1601-01-01
    };
    for (const Row& row : rows) {
        timespec time = timespecFromFileTime(row.fileTime);
        EXPECT_EQ(time.tv_sec, row.seconds) << row.fileTime;
        EXPECT_EQ(time.tv_nsec, row.nanoseconds) << row.fileTime;
        EXPECT_EQ(fileTimeFromTimespec(time), row.fileTime);
    }
}

}  // namespace
}  // namespace dalvon::testing
