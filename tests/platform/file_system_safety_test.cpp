// The file operations behind the safety nets (folders, read-only targets, locks, leftovers),
// run against the real file system and the in-memory fake alike.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/drive_map.h"
#include "platform/fakes/memory_file_system.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/posix_files.h"

namespace dalvon {
namespace {

namespace fs = std::filesystem;

// The real file system with drive D: on a fresh temp folder.
class PosixBackend {
public:
    PosixBackend() {
        std::string pattern = (fs::temp_directory_path() / "dalvon-safety-XXXXXX").string();
        m_root = mkdtemp(pattern.data());
        m_files = makePosixFileSystem({{'D', m_root.string()}});
    }
    ~PosixBackend() {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }
    FileSystem& files() { return *m_files; }
    fs::path host(const std::string& path) { return mapToHost({{'D', m_root.string()}}, path); }
    // False where permissions are not enforced (run as root).
    bool makeReadOnly(const std::string& path) {
        fs::permissions(host(path),
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        return ::access(host(path).c_str(), W_OK) != 0;
    }

private:
    fs::path m_root;
    std::unique_ptr<FileSystem> m_files;
};

class MemoryBackend {
public:
    FileSystem& files() { return m_files; }
    bool makeReadOnly(const std::string& path) {
        m_files.setReadOnly(path, true);
        return true;
    }

private:
    MemoryFileSystem m_files;
};

template <typename Backend>
class FileSystemSafetyTest : public ::testing::Test {
protected:
    FileSystem& files() { return m_backend.files(); }
    std::string read(const std::string& path) { return files().readFile(path).value_or("<none>"); }
    Backend m_backend;
};

using Backends = ::testing::Types<PosixBackend, MemoryBackend>;
TYPED_TEST_SUITE(FileSystemSafetyTest, Backends);

int faultNumber(const std::function<void()>& action, std::string* text = nullptr) {
    try {
        action();
    } catch (const Fault& fault) {
        if (text != nullptr)
            *text = fault.description();
        return fault.number();
    }
    return 0;
}

TYPED_TEST(FileSystemSafetyTest, FoldersAreMadeListedAndEmptied) {
    FileSystem& files = this->files();
    EXPECT_TRUE(files.listFolder("D:\\Plant\\Backup").empty());
    files.createFolder("D:\\Plant\\Dalvon\\Backup");
    files.createFolder("D:\\PLANT\\dalvon\\backup");  // exists already, in another case
    EXPECT_TRUE(files.listFolder("D:\\Plant\\Dalvon\\Backup").empty());
    files.writeFileAtomic("D:\\Plant\\Dalvon\\Backup\\b.mdb", "b");
    files.writeFileAtomic("D:\\Plant\\Dalvon\\Backup\\A.mdb", "a");
    files.createFolder("D:\\Plant\\Dalvon\\Backup\\Inner");
    EXPECT_EQ(files.listFolder("d:\\plant\\dalvon\\backup"),
              (std::vector<std::string>{"A.mdb", "b.mdb"}));
    files.removeFile("D:\\Plant\\Dalvon\\Backup\\A.MDB");
    EXPECT_FALSE(files.fileExists("D:\\Plant\\Dalvon\\Backup\\A.mdb"));
    EXPECT_EQ(faultNumber([&] { files.removeFile("D:\\Plant\\Dalvon\\Backup\\A.mdb"); }), 53);
    files.writeFileAtomic("D:\\Plant\\File", "x");
    EXPECT_EQ(faultNumber([&] { files.createFolder("D:\\Plant\\File"); }), 75);
}

TYPED_TEST(FileSystemSafetyTest, AReadOnlyTargetIsNeverReplaced) {
    FileSystem& files = this->files();
    files.writeFileAtomic("D:\\Dalvon.mdb", "previous");
    files.writeFileAtomic("D:\\Program.ini", "[Project]");
    files.writeFileAtomic("D:\\Source.mdb", "new");
    if (!this->m_backend.makeReadOnly("D:\\Dalvon.mdb") ||
        !this->m_backend.makeReadOnly("D:\\Program.ini")) {
        GTEST_SKIP() << "permissions are not enforced for this user";
    }
    std::string text;
    EXPECT_EQ(faultNumber([&] { files.copyFile("D:\\Source.mdb", "D:\\Dalvon.mdb"); }, &text), 75);
    EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
    EXPECT_EQ(faultNumber([&] { files.writeFileAtomic("D:\\Program.ini", "[x]"); }), 75);
    EXPECT_EQ(this->read("D:\\Dalvon.mdb"), "previous");
    EXPECT_EQ(this->read("D:\\Program.ini"), "[Project]");
    EXPECT_EQ(files.listFolder("D:\\").size(), 3u);  // and no temp file stays
}

TYPED_TEST(FileSystemSafetyTest, ALockIsHeldOnceUntilItsObjectGoes) {
    FileSystem& files = this->files();
    LockAttempt first = files.tryLock("D:\\.run.lock");
    ASSERT_TRUE(first.lock);
    LockAttempt second = files.tryLock("D:\\.RUN.LOCK");
    EXPECT_FALSE(second.lock);
    EXPECT_EQ(second.holder, static_cast<long>(getpid()));
    first.lock.reset();
    EXPECT_TRUE(files.tryLock("D:\\.run.lock").lock);
    EXPECT_EQ(faultNumber([&] { files.tryLock("D:\\No\\Folder\\.run.lock"); }), 75);
}

TYPED_TEST(FileSystemSafetyTest, LeftoversOfLiveProcessesAndOtherFilesStay) {
    FileSystem& files = this->files();
    std::string live = ".Dalvon.mdb.tmp" + std::to_string(getpid()) + ".0";
    files.writeFileAtomic("D:\\" + live, "copy in progress");
    files.writeFileAtomic("D:\\.profile.tmp", "not ours");
    EXPECT_EQ(files.removeLeftovers("D:\\"), 0);
    EXPECT_EQ(files.removeLeftovers("D:\\Missing"), 0);
    EXPECT_EQ(files.listFolder("D:\\"), (std::vector<std::string>{live, ".profile.tmp"}));
}

// A process id that no process has: a child that has ended and been reaped.
long deadPid() {
    pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

TEST(PosixLeftovers, TempFilesOfEndedProcessesAreRemoved) {
    PosixBackend backend;
    FileSystem& files = backend.files();
    files.createFolder("D:\\Dalvon");
    long gone = deadPid();
    std::string stale = ".Dalvon.mdb.tmp" + std::to_string(gone) + ".3";
    std::string staleProfile = ".Program.ini.tmp" + std::to_string(gone) + ".0";
    std::string live = ".Dalvon.cfg.tmp" + std::to_string(getpid()) + ".1";
    for (const std::string& name : {stale, staleProfile, live, std::string("Dalvon.mdb.tmp1.1")})
        files.writeFileAtomic("D:\\Dalvon\\" + name, "x");
    EXPECT_EQ(files.removeLeftovers("D:\\dalvon"), 2);
    EXPECT_EQ(files.listFolder("D:\\Dalvon"),
              (std::vector<std::string>{live, "Dalvon.mdb.tmp1.1"}));
}

TEST(PosixLeftovers, OnlyNamesOfTheTempFormCount) {
    struct Row {
        const char* name;
        long owner;  // 0: not a temp name
    };
    for (const Row& row : std::vector<Row>{{".Dalvon.mdb.tmp42.0", 42},
                                           {".x.tmp7.12", 7},
                                           {".a.b.c.tmp123.4", 123},
                                           {"Dalvon.mdb.tmp42.0", 0},
                                           {".Dalvon.mdb.tmp.0", 0},
                                           {".Dalvon.mdb.tmp42.", 0},
                                           {".Dalvon.mdb.tmp4x.0", 0},
                                           {".tmp42.0", 0},
                                           {".Dalvon.mdb", 0}}) {
        std::optional<long> owner = posix::tempFileOwner(row.name);
        EXPECT_EQ(owner.value_or(0), row.owner) << row.name;
    }
    EXPECT_EQ(posix::tempFileOwner(
                  fs::path(posix::tempPathFor("/x/Dalvon.mdb", 99, 5)).filename().string()),
              99);
}

TEST(PosixLock, AnotherProcessIsNamedAndItsDeathReleasesTheLock) {
    PosixBackend backend;
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    pid_t child = fork();
    if (child == 0) {
        LockAttempt held = backend.files().tryLock("D:\\.run.lock");
        char byte = held.lock ? 'y' : 'n';
        if (write(ready[1], &byte, 1) != 1)
            _exit(2);
        pause();
        _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'y');
    LockAttempt refused = backend.files().tryLock("D:\\.run.lock");
    EXPECT_FALSE(refused.lock);
    EXPECT_EQ(refused.holder, static_cast<long>(child));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(backend.files().tryLock("D:\\.run.lock").lock);
    close(ready[0]);
    close(ready[1]);
}

}  // namespace
}  // namespace dalvon
