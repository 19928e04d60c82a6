// One suite for every FileSystem, so that the in-memory fake cannot drift from the real one.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/drive_map.h"
#include "platform/fakes/memory_file_system.h"
#include "platform/fault.h"
#include "platform/file_system.h"

namespace dalvon {
namespace {

namespace fs = std::filesystem;

// The real file system with drive D: on a fresh temp folder.
class PosixBackend {
public:
    PosixBackend() {
        std::string pattern = (fs::temp_directory_path() / "dalvon-fs-XXXXXX").string();
        m_root = mkdtemp(pattern.data());
        m_files = makePosixFileSystem({{'D', m_root.string()}});
    }
    ~PosixBackend() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    FileSystem& files() { return *m_files; }
    void makeFolder(const std::string& path) {
        fs::create_directories(mapToHost({{'D', m_root.string()}}, path));
    }

private:
    fs::path m_root;
    std::unique_ptr<FileSystem> m_files;
};

class MemoryBackend {
public:
    FileSystem& files() { return m_files; }
    void makeFolder(const std::string& path) { m_files.makeFolder(path); }

private:
    MemoryFileSystem m_files;
};

template <typename Backend>
class FileSystemContractTest : public ::testing::Test {
protected:
    FileSystem& files() { return m_backend.files(); }
    void makeFolder(const std::string& path) { m_backend.makeFolder(path); }
    std::string read(const std::string& path) { return files().readFile(path).value_or("<none>"); }

    Backend m_backend;
};

using Backends = ::testing::Types<PosixBackend, MemoryBackend>;
TYPED_TEST_SUITE(FileSystemContractTest, Backends);

int faultNumber(const std::function<void()>& action) {
    try {
        action();
    } catch (const Fault& fault) {
        return fault.number();
    }
    return 0;
}

TYPED_TEST(FileSystemContractTest, AMissingFileOrAFolderIsNoFile) {
    FileSystem& files = this->files();
    EXPECT_FALSE(files.fileExists("D:\\missing.ini"));
    EXPECT_EQ(files.readFile("D:\\missing.ini"), std::nullopt);
    EXPECT_EQ(files.readTimes("D:\\missing.ini"), std::nullopt);
    EXPECT_FALSE(files.writeTimes("D:\\missing.ini", FileTimes{}));
    EXPECT_FALSE(files.fileExists("D:\\no\\such\\folder\\x.ini"));
    EXPECT_FALSE(files.fileExists("relative.ini"));
    this->makeFolder("D:\\Plant\\Config");
    EXPECT_FALSE(files.fileExists("D:\\Plant\\Config"));
    EXPECT_FALSE(files.readTimes("D:\\Plant"));
    EXPECT_EQ(faultNumber([&] { files.readFile("D:\\Plant"); }), 75);
}

TYPED_TEST(FileSystemContractTest, AtomicWriteReplacesWholeFilesOrLeavesTheOldOne) {
    FileSystem& files = this->files();
    const std::string bytes("line\r\n\0\x80\xFF end", 14);
    files.writeFileAtomic("D:\\data.bin", bytes);
    EXPECT_EQ(this->read("D:\\data.bin"), bytes);
    files.writeFileAtomic("D:\\data.bin", "");
    EXPECT_EQ(this->read("D:\\data.bin"), "");

    // A missing folder is fault 76 and creates nothing; a folder in the way is fault 75.
    EXPECT_EQ(faultNumber([&] { files.writeFileAtomic("D:\\Plant\\x.ini", "x"); }), 76);
    EXPECT_FALSE(files.fileExists("D:\\Plant\\x.ini"));
    EXPECT_EQ(faultNumber([&] { files.writeFileAtomic("x.ini", "x"); }), 76);
    this->makeFolder("D:\\Busy.ini");
    EXPECT_EQ(faultNumber([&] { files.writeFileAtomic("D:\\Busy.ini", "new"); }), 75);
    files.writeFileAtomic("D:\\Kept.ini", "old");
    EXPECT_EQ(faultNumber([&] { files.copyFile("D:\\Kept.ini", "D:\\Busy.ini"); }), 75);
    EXPECT_EQ(this->read("D:\\Kept.ini"), "old");
}

TYPED_TEST(FileSystemContractTest, CopyReplacesTheTargetAndNeedsTheSource) {
    FileSystem& files = this->files();
    this->makeFolder("D:\\Backup");
    files.writeFileAtomic("D:\\Source.mdb", "source bytes");
    files.copyFile("D:\\Source.mdb", "D:\\Backup\\Copy.mdb");
    EXPECT_EQ(this->read("D:\\Backup\\Copy.mdb"), "source bytes");

    files.writeFileAtomic("D:\\Source.mdb", "changed");
    files.copyFile("D:\\Source.mdb", "D:\\Backup\\Copy.mdb");
    EXPECT_EQ(this->read("D:\\Backup\\Copy.mdb"), "changed");

    EXPECT_EQ(faultNumber([&] { files.copyFile("D:\\Gone.mdb", "D:\\Backup\\Copy.mdb"); }), 53);
    EXPECT_EQ(this->read("D:\\Backup\\Copy.mdb"), "changed");
    EXPECT_EQ(faultNumber([&] { files.copyFile("D:\\Source.mdb", "D:\\NoFolder\\x.mdb"); }), 75);
    EXPECT_EQ(faultNumber([&] { files.copyFile("D:\\Backup", "D:\\x.mdb"); }), 53);
}

TYPED_TEST(FileSystemContractTest, AppendLineWritesWindows1252AndCrLf) {
    FileSystem& files = this->files();
    files.appendLine("D:\\log.txt", "Grüße €5");
    files.appendLine("D:\\log.txt", "second\n\rline");
    EXPECT_EQ(this->read("D:\\log.txt"),
              "Gr\xFC\xDF"
              "e \x80"
              "5\r\nsecond\n\rline\r\n");
    EXPECT_EQ(faultNumber([&] { files.appendLine("D:\\NoFolder\\log.txt", "x"); }), 75);
}

TYPED_TEST(FileSystemContractTest, NamesResolveWithoutRegardToCaseAndNewFilesKeepTheirCase) {
    FileSystem& files = this->files();
    this->makeFolder("D:\\Plant\\Config");
    files.writeFileAtomic("D:\\Plant\\Config\\Program.ini", "[Project]");
    for (const char* spelling : {"D:\\Plant\\Config\\PROGRAM.INI", "d:\\plant\\config\\program.ini",
                                 "D:\\PLANT\\config\\Program.INI"}) {
        EXPECT_TRUE(files.fileExists(spelling)) << spelling;
        EXPECT_EQ(this->read(spelling), "[Project]") << spelling;
    }
    files.writeFileAtomic("D:\\PLANT\\CONFIG\\program.ini", "[Replaced]");
    EXPECT_EQ(this->read("D:\\Plant\\Config\\Program.ini"), "[Replaced]");
    EXPECT_EQ(files.windowsPath(files.hostPath("D:\\plant\\CONFIG\\program.INI")),
              "D:\\Plant\\Config\\Program.ini");

    files.appendLine("D:\\plant\\config\\NewLog.TXT", "x");
    EXPECT_EQ(files.windowsPath(files.hostPath("D:\\PLANT\\CONFIG\\NEWLOG.TXT")),
              "D:\\Plant\\Config\\NewLog.TXT");
    files.copyFile("D:\\Plant\\Config\\program.ini", "D:\\PLANT\\Copy.Ini");
    EXPECT_EQ(files.windowsPath(files.hostPath("D:\\plant\\copy.ini")), "D:\\Plant\\Copy.Ini");
}

TYPED_TEST(FileSystemContractTest, LastWriteTimeRoundTripsExactly) {
    FileSystem& files = this->files();
    files.writeFileAtomic("D:\\Source.mdb", "x");
    std::optional<FileTimes> before = files.readTimes("D:\\SOURCE.MDB");
    ASSERT_TRUE(before);
    EXPECT_GT(before->lastWrite, 116444736000000000);  // after 1970

    const int64_t lastWrite = 132000000001234567;  // 2019-04-13, to the 100 ns
    EXPECT_TRUE(files.writeTimes("D:\\source.mdb", FileTimes{before->creation, 0, lastWrite}));
    std::optional<FileTimes> after = files.readTimes("D:\\Source.mdb");
    ASSERT_TRUE(after);
    EXPECT_EQ(after->lastWrite, lastWrite);
    EXPECT_EQ(this->read("D:\\Source.mdb"), "x");
}

}  // namespace
}  // namespace dalvon
