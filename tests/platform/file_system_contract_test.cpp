// One suite for every FileSystem, so that the in-memory fake cannot drift from the real one.
#include <gtest/gtest.h>

#include <fstream>

#include "platform/c_library.h"
#include "platform/fakes/memory_file_system.h"
#include "tests/platform/platform_fixture.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

class PosixBackend : public TempDrive {
public:
    void makeFolder(const std::string& path) { fs::create_directories(host(path)); }
    // False where permissions are not enforced (run as root).
    bool makeReadOnly(const std::string& path) {
        fs::permissions(host(path), fs::perms::owner_read);
        return !std::ofstream(host(path), std::ios::app).is_open();
    }
};

class MemoryBackend : public MemoryFileSystem {
public:
    FileSystem& files() { return *this; }
    bool makeReadOnly(const std::string& path) {
        setReadOnly(path, true);
        return true;
    }
};

template <typename Backend>
class FileSystemContractTest : public ::testing::Test {
protected:
    std::string read(const std::string& path) { return files.readFile(path).value_or("<none>"); }

    Backend backend;
    FileSystem& files = backend.files();
};

using Backends = ::testing::Types<PosixBackend, MemoryBackend>;
TYPED_TEST_SUITE(FileSystemContractTest, Backends);

TYPED_TEST(FileSystemContractTest, WritesAndCopiesReplaceWholeFilesOrFaultAndLeaveTheOldOne) {
    FileSystem& files = this->files;
    const std::string bytes("line\r\n\0\x80\xFF end", 14);
    files.writeFileAtomic("D:\\Source.mdb", bytes);
    EXPECT_EQ(this->read("D:\\Source.mdb"), bytes);
    this->backend.makeFolder("D:\\Backup");
    files.writeFileAtomic("D:\\Backup\\Copy.mdb", "older and longer");
    files.copyFile("D:\\Source.mdb", "D:\\Backup\\Copy.mdb");
    EXPECT_EQ(this->read("D:\\Backup\\Copy.mdb"), bytes);
    files.writeFileAtomic("D:\\Source.mdb", "");
    EXPECT_EQ(this->read("D:\\Source.mdb"), "");

    // A missing folder is fault 76 (75 for a copy) and creates nothing; a folder in the way is
    // fault 75; a missing source is fault 53.
    EXPECT_EQ(faultOf([&] { files.writeFileAtomic("D:\\Plant\\x.ini", "x"); }), 76);
    EXPECT_FALSE(files.fileExists("D:\\Plant\\x.ini"));
    EXPECT_EQ(faultOf([&] { files.writeFileAtomic("x.ini", "x"); }), 76);
    EXPECT_EQ(faultOf([&] { files.copyFile("D:\\Source.mdb", "D:\\No\\x.mdb"); }), 75);
    EXPECT_EQ(faultOf([&] { files.writeFileAtomic("D:\\Backup", "new"); }), 75);
    EXPECT_EQ(faultOf([&] { files.copyFile("D:\\Source.mdb", "D:\\Backup"); }), 75);
    EXPECT_EQ(faultOf([&] { files.copyFile("D:\\Gone.mdb", "D:\\Backup\\Copy.mdb"); }), 53);
    EXPECT_EQ(faultOf([&] { files.copyFile("D:\\Backup", "D:\\x.mdb"); }), 53);
    EXPECT_EQ(this->read("D:\\Backup\\Copy.mdb"), bytes);

    // Neither a missing file nor a folder is a file.
    EXPECT_FALSE(files.fileExists("D:\\missing.ini") || files.fileExists("D:\\Backup"));
    EXPECT_EQ(files.readFile("D:\\missing.ini"), std::nullopt);
    EXPECT_FALSE(files.readTimes("D:\\missing.ini") || files.readTimes("D:\\Backup"));
    EXPECT_FALSE(files.writeTimes("D:\\missing.ini", FileTimes{}));
    EXPECT_EQ(faultOf([&] { files.readFile("D:\\Backup"); }), 75);
}

TYPED_TEST(FileSystemContractTest, AppendLineWritesWindows1252AndCrLf) {
    this->files.appendLine("D:\\log.txt", "Grüße €5");
    this->files.appendLine("D:\\log.txt", "second\n\rline");
    EXPECT_EQ(this->read("D:\\log.txt"),
              "Gr\xFC\xDF"
              "e \x80"
              "5\r\nsecond\n\rline\r\n");
    EXPECT_EQ(faultOf([&] { this->files.appendLine("D:\\NoFolder\\log.txt", "x"); }), 75);
}

TYPED_TEST(FileSystemContractTest, NamesResolveWithoutRegardToCaseAndNewFilesKeepTheirCase) {
    FileSystem& files = this->files;
    this->backend.makeFolder("D:\\Plant\\Config");
    files.writeFileAtomic("D:\\Plant\\Config\\Program.ini", "[Project]");
    EXPECT_EQ(this->read("d:\\plant\\config\\PROGRAM.INI"), "[Project]");
    files.writeFileAtomic("D:\\PLANT\\CONFIG\\program.ini", "[Replaced]");
    files.appendLine("D:\\plant\\config\\NewLog.TXT", "x");
    files.copyFile("D:\\Plant\\Config\\program.ini", "D:\\PLANT\\Copy.Ini");
    EXPECT_EQ(this->read("D:\\Plant\\Copy.ini"), "[Replaced]");
    const std::pair<const char*, const char*> stored[] = {
        {"D:\\plant\\CONFIG\\program.INI", "D:\\Plant\\Config\\Program.ini"},
        {"D:\\PLANT\\CONFIG\\NEWLOG.TXT", "D:\\Plant\\Config\\NewLog.TXT"},
        {"D:\\plant\\copy.ini", "D:\\Plant\\Copy.Ini"}};
    for (const auto& [asked, name] : stored)
        EXPECT_EQ(files.windowsPath(files.hostPath(asked)), name);
}

TYPED_TEST(FileSystemContractTest, LastWriteTimeRoundTripsExactly) {
    FileSystem& files = this->files;
    files.writeFileAtomic("D:\\Source.mdb", "x");
    std::optional<FileTimes> before = files.readTimes("D:\\SOURCE.MDB");
    ASSERT_TRUE(before);
    EXPECT_GT(before->lastWrite, 116444736000000000);  // after 1970
    const int64_t lastWrite = 132000000001234567;      // 2019-04-13, to the 100 ns
    EXPECT_TRUE(files.writeTimes("D:\\source.mdb", FileTimes{before->creation, 0, lastWrite}));
    EXPECT_EQ(files.readTimes("D:\\Source.mdb").value_or(FileTimes{}).lastWrite, lastWrite);
}

TYPED_TEST(FileSystemContractTest, FoldersAreMadeListedAndEmptied) {
    FileSystem& files = this->files;
    EXPECT_TRUE(files.listFolder("D:\\Plant\\Backup").empty());
    files.createFolder("D:\\Plant\\Backup\\Inner");
    files.createFolder("D:\\PLANT\\backup");  // exists already, in another case
    files.writeFileAtomic("D:\\Plant\\Backup\\b.mdb", "b");
    files.writeFileAtomic("D:\\Plant\\Backup\\A.mdb", "a");
    EXPECT_EQ(files.listFolder("d:\\plant\\backup"), (std::vector<std::string>{"A.mdb", "b.mdb"}));
    files.removeFile("D:\\Plant\\Backup\\A.MDB");
    EXPECT_FALSE(files.fileExists("D:\\Plant\\Backup\\A.mdb"));
    EXPECT_EQ(faultOf([&] { files.removeFile("D:\\Plant\\Backup\\A.mdb"); }), 53);
    EXPECT_EQ(faultOf([&] { files.createFolder("D:\\Plant\\Backup\\b.mdb"); }), 75);
}

TYPED_TEST(FileSystemContractTest, AReadOnlyTargetIsNeverReplaced) {
    FileSystem& files = this->files;
    files.writeFileAtomic("D:\\Dalvon.mdb", "previous");
    files.writeFileAtomic("D:\\Source.mdb", "new");
    if (!this->backend.makeReadOnly("D:\\Dalvon.mdb"))
        GTEST_SKIP() << "permissions are not enforced for this user";
    std::string text;
    EXPECT_EQ(faultOf([&] { files.copyFile("D:\\Source.mdb", "D:\\Dalvon.mdb"); }, &text), 75);
    EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
    EXPECT_EQ(faultOf([&] { files.writeFileAtomic("D:\\Dalvon.mdb", "[x]"); }), 75);
    EXPECT_EQ(this->read("D:\\Dalvon.mdb"), "previous");
    EXPECT_EQ(files.listFolder("D:\\").size(), 2u);  // and no temp file stays
}

TYPED_TEST(FileSystemContractTest, ALockIsHeldOnceUntilItsObjectGoes) {
    FileSystem& files = this->files;
    LockAttempt first = files.tryLock("D:\\.run.lock");
    ASSERT_TRUE(first.lock);
    LockAttempt second = files.tryLock("D:\\.RUN.LOCK");
    EXPECT_FALSE(second.lock);
    EXPECT_EQ(second.holder, currentProcessId());
    first.lock.reset();
    EXPECT_TRUE(files.tryLock("D:\\.run.lock").lock);
    EXPECT_EQ(faultOf([&] { files.tryLock("D:\\No\\Folder\\.run.lock"); }), 75);
}

}  // namespace
}  // namespace dalvon::testing
