// What only the host file system can show: temp files, permissions, a full disk, drive folders.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "platform/fault.h"
#include "platform/file_system.h"

namespace dalvon {
namespace {

namespace fs = std::filesystem;

class PosixFileSystemTest : public ::testing::Test {
protected:
    PosixFileSystemTest() {
        std::string pattern = (fs::temp_directory_path() / "dalvon-posix-XXXXXX").string();
        m_root = mkdtemp(pattern.data());
        m_files = makePosixFileSystem(
            {{'C', (m_root / "c" / "dalvon").string()}, {'D', (m_root / "d").string()}});
        fs::create_directories(m_root / "d");
    }
    ~PosixFileSystemTest() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::vector<std::string> namesIn(const fs::path& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    void writeHost(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    fs::path m_root;
    std::unique_ptr<FileSystem> m_files;
};

// Lets writes beyond `bytes` fail with EFBIG, as on a full disk, for the life of the object.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &m_old);
        m_oldHandler = signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &m_old);
        signal(SIGXFSZ, m_oldHandler);
    }

private:
    rlimit m_old{};
    sighandler_t m_oldHandler;
};

TEST_F(PosixFileSystemTest, AWriteThatFailsHalfwayLeavesTheOldFileAndNoTempFile) {
    m_files->writeFileAtomic("D:\\Program.ini", "[Project]\r\nold=1\r\n");
    try {
        FileSizeLimit limit(1000);
        m_files->writeFileAtomic("D:\\program.ini", std::string(5000, 'x'));
        ADD_FAILURE() << "the write went through";
    } catch (const Fault& fault) {
        EXPECT_EQ(fault.number(), 75);
        EXPECT_NE(fault.description().find("D:\\program.ini"), std::string::npos);
        EXPECT_NE(fault.description().find("File too large"), std::string::npos);
    }
    EXPECT_EQ(m_files->readFile("D:\\Program.ini"), "[Project]\r\nold=1\r\n");
    EXPECT_EQ(namesIn(m_root / "d"), std::vector<std::string>{"Program.ini"});

    try {
        FileSizeLimit limit(10);
        m_files->appendLine("D:\\log.txt", std::string(50, 'x'));
        ADD_FAILURE() << "the append went through";
    } catch (const Fault& fault) {
        EXPECT_EQ(fault.number(), 75);
    }
}

TEST_F(PosixFileSystemTest, AMissingDriveFolderIsCreatedByTheFirstWrite) {
    EXPECT_FALSE(m_files->fileExists("C:\\TarvoServicePack.log"));
    EXPECT_FALSE(fs::exists(m_root / "c"));
    m_files->appendLine("C:\\TarvoServicePack.log", "! Fault Dalvon_Config: x");
    EXPECT_EQ(m_files->readFile("C:\\TARVOSERVICEPACK.LOG"), "! Fault Dalvon_Config: x\r\n");
    EXPECT_TRUE(fs::is_regular_file(m_root / "c" / "dalvon" / "TarvoServicePack.log"));
}

TEST_F(PosixFileSystemTest, AnExactNameWinsOverOtherSpellings) {
    writeHost(m_root / "d" / "program.ini", "lower");
    writeHost(m_root / "d" / "PROGRAM.INI", "upper");
    EXPECT_EQ(m_files->readFile("D:\\program.ini"), "lower");
    EXPECT_EQ(m_files->readFile("D:\\PROGRAM.INI"), "upper");
    // Neither is exact: the first in byte order, the same on every run.
    EXPECT_EQ(m_files->readFile("D:\\Program.ini"), "upper");
}

TEST_F(PosixFileSystemTest, AReplacedFileKeepsItsPermissions) {
    writeHost(m_root / "d" / "secret.ini", "a");
    fs::permissions(m_root / "d" / "secret.ini", fs::perms::owner_read | fs::perms::owner_write);
    m_files->writeFileAtomic("D:\\secret.ini", "b");
    EXPECT_EQ(fs::status(m_root / "d" / "secret.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
}

}  // namespace
}  // namespace dalvon
