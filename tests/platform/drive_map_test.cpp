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
    EXPECT_EQ(defaultDriveC("/data", "/home/op"), "/data/dalvon/c");
    EXPECT_EQ(defaultDriveC("/data/", "/home/op"), "/data/dalvon/c");
    EXPECT_EQ(defaultDriveC("relative", "/home/op"), "/home/op/.local/share/dalvon/c");
    EXPECT_EQ(defaultDriveC("", "/home/op/"), "/home/op/.local/share/dalvon/c");
    EXPECT_EQ(defaultDriveC(nullptr, "/home/op"), "/home/op/.local/share/dalvon/c");
    EXPECT_EQ(defaultDriveC(nullptr, nullptr), "/.local/share/dalvon/c");
}

TEST(DriveMapTest, ParsesOverridesOverTheDefaults) {
    struct Row {
        const char* overrides;
        const char* table;
    };
    const Row rows[] = {
        {"", "C=/home/c;Z=/;"},
        {"D=/mnt/plant", "C=/home/c;D=/mnt/plant;Z=/;"},
        {"C=/srv/c;D=/mnt/plant", "C=/srv/c;D=/mnt/plant;Z=/;"},
        {" d = /mnt/plant/ ; ", "C=/home/c;D=/mnt/plant;Z=/;"},
        {";;E=/e;;", "C=/home/c;E=/e;Z=/;"},
        {"z=/srv/root;c=/srv/c", "C=/srv/c;Z=/srv/root;"},
        {"D=/first;D=/second", "C=/home/c;D=/second;Z=/;"},
        {"D=/with blank/inside", "C=/home/c;D=/with blank/inside;Z=/;"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(describe(parseDriveTable(row.overrides, "/home/c")), row.table) << row.overrides;
    }
}

TEST(DriveMapTest, MalformedEntriesAreFault5NamingTheVariable) {
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

TEST(DriveMapTest, MapsWindowsPathsToHostPaths) {
    std::vector<Drive> drives = parseDriveTable("D=/mnt/plant", "/home/c");
    struct Row {
        const char* windows;
        const char* host;
    };
    const Row rows[] = {
        {"D:\\Plant\\Config", "/mnt/plant/Plant/Config"},
        {"d:\\Plant\\Config\\", "/mnt/plant/Plant/Config"},
        {"D:/Plant/Config", "/mnt/plant/Plant/Config"},
        {"D:\\Plant\\\\x.ini", "/mnt/plant/Plant/x.ini"},
        {"D:\\Plant\\.\\Config\\..\\x.ini", "/mnt/plant/Plant/x.ini"},
        {"D:\\..\\..\\x", "/mnt/plant/x"},
        {"D:", "/mnt/plant"},
        {"D:\\", "/mnt/plant"},
        {"Z:\\opt\\plant", "/opt/plant"},
        {"Z:", "/"},
        {"C:\\TarvoServicePack.log", "/home/c/TarvoServicePack.log"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(mapToHost(drives, row.windows), row.host) << row.windows;
}

TEST(DriveMapTest, PathsWithoutAMappedDriveAreFault76) {
    std::vector<Drive> drives = parseDriveTable("D=/mnt/plant", "/home/c");
    for (const char* path :
         {"", "x.ini", "\\Plant\\x.ini", "\\\\server\\share\\x", "Q:\\x", "1:\\x"}) {
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
    struct Row {
        const char* host;
        const char* windows;
    };
    const Row rows[] = {
        {"/opt/plant/Config", "Z:\\opt\\plant\\Config"},
        {"/", "Z:"},
        {"/mnt/plant", "D:"},
        {"/mnt/plant/", "D:"},
        {"/mnt/plant/Config", "D:\\Config"},
        {"/mnt/plantation/x", "Z:\\mnt\\plantation\\x"},
        {"/mnt/plant/sub/x", "E:\\x"},
        {"/home/c/log.txt", "C:\\log.txt"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(mapToWindows(drives, row.host), row.windows) << row.host;

    std::vector<Drive> withoutRoot = parseDriveTable("Z=/srv", "/home/c");
    EXPECT_THROW(mapToWindows(withoutRoot, "/opt/x"), Fault);
}

TEST(FileTimeTest, ConvertsExactlyInBothDirections) {
    struct Row {
        int64_t fileTime;
        time_t seconds;
        long nanoseconds;
    };
    const Row rows[] = {
        {116444736000000000, 0, 0},                   // 1970-01-01
        {116444736000000001, 0, 100},                 // smallest step
        {133485408000000000, 1704067200, 0},          // 2024-01-01
        {133485408012345670, 1704067201, 234567000},  //
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
