#include "platform/drive_map.h"

#include <gtest/gtest.h>

#include "platform/fault.h"
#include "platform/file_time.h"

namespace dalvon {
namespace {

std::string describe(const std::vector<Drive>& drives) {
    std::string text;
    for (const Drive& drive : drives)
        text += std::string(1, drive.letter) + "=" + drive.hostFolder + ";";
    return text;
}

TEST(DriveMapTest, DefaultDriveCFollowsXdgThenHome) {
    EXPECT_EQ(defaultDriveC("/data/", "/home/op"), "/data/dalvon/c");
    EXPECT_EQ(defaultDriveC("relative", "/home/op"), "/home/op/.local/share/dalvon/c");
    EXPECT_EQ(defaultDriveC(nullptr, "/home/op/"), "/home/op/.local/share/dalvon/c");
    EXPECT_EQ(defaultDriveC(nullptr, nullptr), "/.local/share/dalvon/c");
}

TEST(DriveMapTest, ParsesOverridesOverTheDefaultsAndRejectsMalformedOnes) {
    const std::pair<const char*, const char*> rows[] = {
        {"", "C=/home/c;Z=/;"},
        {"C=/srv/c;D=/mnt/plant", "C=/srv/c;D=/mnt/plant;Z=/;"},
        {" d = /mnt/plant/ ; ", "C=/home/c;D=/mnt/plant;Z=/;"},
        {";;E=/e;;", "C=/home/c;E=/e;Z=/;"},
        {"z=/srv/root", "C=/home/c;Z=/srv/root;"},
        {"D=/first;D=/second", "C=/home/c;D=/second;Z=/;"},
        {"D=/with blank/inside", "C=/home/c;D=/with blank/inside;Z=/;"},
    };
    for (const auto& [overrides, table] : rows)
        EXPECT_EQ(describe(parseDriveTable(overrides, "/home/c")), table) << overrides;

    for (const char* overrides :
         {"D", "D:/mnt", "=/mnt", "DD=/mnt", "1=/mnt", "D=", "D=relative/path", "C=/c;D"}) {
        try {
            parseDriveTable(overrides, "/home/c");
            ADD_FAILURE() << "accepted " << overrides;
        } catch (const Fault& fault) {
            EXPECT_EQ(fault.number(), 5) << overrides;
            EXPECT_NE(fault.description().find("DALVON_DRIVES"), std::string::npos);
        }
    }
}

TEST(DriveMapTest, MapsWindowsPathsToHostPathsOrFault76) {
    std::vector<Drive> drives = parseDriveTable("D=/mnt/plant", "/home/c");
    const std::pair<const char*, const char*> rows[] = {
        {"d:\\Plant\\Config\\", "/mnt/plant/Plant/Config"},
        {"D:/Plant/Config", "/mnt/plant/Plant/Config"},
        {"D:\\Plant\\\\x.ini", "/mnt/plant/Plant/x.ini"},
        {"D:\\Plant\\.\\Config\\..\\x.ini", "/mnt/plant/Plant/x.ini"},
        {"D:\\..\\..\\x", "/mnt/plant/x"},
        {"D:", "/mnt/plant"},
        {"Z:\\opt\\plant", "/opt/plant"},
        {"C:\\TarvoServicePack.log", "/home/c/TarvoServicePack.log"},
    };
    for (const auto& [windows, host] : rows)
        EXPECT_EQ(mapToHost(drives, windows), host) << windows;

    for (const char* path : {"", "x.ini", "\\Plant\\x.ini", "\\\\server\\share\\x", "Q:\\x"}) {
        try {
            mapToHost(drives, path);
            ADD_FAILURE() << "mapped " << path;
        } catch (const Fault& fault) {
            EXPECT_EQ(fault.number(), 76);
            EXPECT_EQ(fault.description(), "Path not found: '" + std::string(path) + "'");
        }
    }
}

TEST(DriveMapTest, MapsHostPathsThroughTheLongestDriveFolder) {
    std::vector<Drive> drives = parseDriveTable("D=/mnt/plant;E=/mnt/plant/sub", "/home/c");
    const std::pair<const char*, const char*> rows[] = {
        {"/opt/plant/Config", "Z:\\opt\\plant\\Config"},
        {"/", "Z:"},
        {"/mnt/plant/", "D:"},
        {"/mnt/plant/Config", "D:\\Config"},
        {"/mnt/plantation/x", "Z:\\mnt\\plantation\\x"},
        {"/mnt/plant/sub/x", "E:\\x"},
    };
    for (const auto& [host, windows] : rows)
        EXPECT_EQ(mapToWindows(drives, host), windows) << host;
    EXPECT_THROW(mapToWindows(parseDriveTable("Z=/srv", "/home/c"), "/opt/x"), Fault);
}

TEST(FileTimeTest, ConvertsExactlyInBothDirections) {
    struct Row {
        int64_t fileTime;
        time_t seconds;
        long nanoseconds;
    };
    const Row rows[] = {
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
}  // namespace dalvon
