// What only the host file system can show: temp files, permissions, a full disk, drive folders,
// other processes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

#include "platform/posix_files.h"
#include "tests/platform/platform_fixture.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

class PosixFileSystemTest : public ::testing::Test {
protected:
    TempDrive drive;
    FileSystem& files = drive.files();
};

// Lets writes beyond `bytes` fail with EFBIG, as on a full disk, for the life of the object.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t bytes) : handler(signal(SIGXFSZ, SIG_IGN)) {
        getrlimit(RLIMIT_FSIZE, &old);
        rlimit limit{bytes, old.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &old);
        signal(SIGXFSZ, handler);
    }
    sighandler_t handler;
    rlimit old{};
};

TEST_F(PosixFileSystemTest, AWriteThatFailsHalfwayLeavesTheOldFileAndNoTempFile) {
    files.writeFileAtomic("D:\\Program.ini", "[Project]\r\nold=1\r\n");
    std::string text;
    {
        FileSizeLimit limit(1000);
        EXPECT_EQ(faultOf([&] { files.writeFileAtomic("D:\\program.ini", std::string(5000, 'x')); },
                          &text),
                  75);
    }
    EXPECT_NE(text.find("D:\\program.ini"), std::string::npos) << text;
    EXPECT_NE(text.find("File too large"), std::string::npos) << text;
    EXPECT_EQ(files.readFile("D:\\Program.ini"), "[Project]\r\nold=1\r\n");
    EXPECT_EQ(files.listFolder("D:\\"), std::vector<std::string>{"Program.ini"});
    FileSizeLimit limit(10);
    EXPECT_EQ(faultOf([&] { files.appendLine("D:\\log.txt", std::string(50, 'x')); }), 75);
}

TEST_F(PosixFileSystemTest, HostNamesModesAndDriveFolders) {
    // An exact name wins over other spellings; without one, the first in byte order.
    std::ofstream(drive.root / "program.ini") << "lower";
    std::ofstream(drive.root / "PROGRAM.INI") << "upper";
    EXPECT_EQ(files.readFile("D:\\program.ini"), "lower");
    EXPECT_EQ(files.readFile("D:\\PROGRAM.INI"), "upper");
    EXPECT_EQ(files.readFile("D:\\Program.ini"), "upper");
    // A replaced file keeps its permissions.
    fs::permissions(drive.root / "program.ini", fs::perms::owner_read | fs::perms::owner_write);
    files.writeFileAtomic("D:\\program.ini", "b");
    EXPECT_EQ(fs::status(drive.root / "program.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    // A missing drive folder is made by the first write.
    EXPECT_FALSE(files.fileExists("C:\\Service.log"));
    files.appendLine("C:\\Service.log", "x");
    EXPECT_TRUE(fs::is_regular_file(drive.root / "c" / "dalvon" / "Service.log"));
}

TEST(PosixFiles, OnlyNamesOfTheTempFormHaveAnOwner) {
    // The owner's process id, 0 where the name is not of the temp form.
    const std::pair<const char*, long> names[] = {
        {".Dalvon.mdb.tmp42.0", 42},
        {".a.b.c.tmp123.4", 123},
        {"Dalvon.mdb.tmp42.0", 0},
        {".Dalvon.mdb.tmp.0", 0},
        {".Dalvon.mdb.tmp42.", 0},
        {".Dalvon.mdb.tmp4x.0", 0},
        {".tmp42.0", 0},
    };
    for (const auto& [name, owner] : names)
        EXPECT_EQ(posix::tempFileOwner(name).value_or(0), owner) << name;
    EXPECT_FALSE(posix::tempFileOwner(".tmp42.0"));
    EXPECT_EQ(posix::tempFileOwner(fs::path(posix::tempPathFor("/x/a", 99, 5)).filename()), 99);
}

}  // namespace
}  // namespace dalvon::testing
