#include "platform/program_identity.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/file_system.h"

namespace dalvon {
namespace {

namespace fs = std::filesystem;

// An installation D:\Plant\Config whose Dalvon_Config is a link to an executable elsewhere.
class ProcessIdentityTest : public ::testing::Test {
protected:
    ProcessIdentityTest() {
        std::string pattern = (fs::temp_directory_path() / "dalvon-id-XXXXXX").string();
        m_root = mkdtemp(pattern.data());
        fs::create_directories(m_root / "opt" / "bin");
        fs::create_directories(m_root / "Plant" / "Config");
        std::ofstream(m_root / "opt" / "bin" / "dalvon-config") << "#!/bin/sh\n";
        fs::permissions(m_root / "opt" / "bin" / "dalvon-config", fs::perms::owner_all);
        fs::create_symlink(m_root / "opt" / "bin" / "dalvon-config",
                           m_root / "Plant" / "Config" / "Dalvon_Config");
        m_files = makePosixFileSystem({{'D', m_root.string()}, {'Z', "/"}});
    }
    ~ProcessIdentityTest() override {
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    std::unique_ptr<ProgramIdentity> identity(const std::string& invokedAs,
                                              std::vector<std::string> environment = {},
                                              const std::vector<std::string>& arguments = {}) {
        m_environment = std::move(environment);
        m_pointers.clear();
        for (std::string& entry : m_environment)
            m_pointers.push_back(entry.data());
        m_pointers.push_back(nullptr);
        return makeProcessIdentity(*m_files, invokedAs, arguments, m_pointers.data());
    }

    fs::path m_root;
    std::unique_ptr<FileSystem> m_files;
    std::vector<std::string> m_environment;
    std::vector<char*> m_pointers;
};

TEST_F(ProcessIdentityTest, ALinkCountsAsLivingInItsFolder) {
    std::string link = (m_root / "Plant" / "Config" / "Dalvon_Config").string();
    auto id = identity(link);
    EXPECT_EQ(id->programFolder(), "D:\\Plant\\Config");
    EXPECT_EQ(id->executableName(), "Dalvon_Config");

    auto roundabout =
        identity((m_root / "Plant" / "." / "Other" / ".." / "Config" / "Dalvon_Config").string());
    EXPECT_EQ(roundabout->programFolder(), "D:\\Plant\\Config");
}

TEST_F(ProcessIdentityTest, ABareNameIsLookedUpAlongPath) {
    std::string path = "PATH=/nonexistent::" + (m_root / "Plant" / "Config").string();
    auto id = identity("Dalvon_Config", {path, "HOME=/root"});
    EXPECT_EQ(id->programFolder(), "D:\\Plant\\Config");
    EXPECT_EQ(id->executableName(), "Dalvon_Config");
    EXPECT_EQ(id->firstEnvironmentEntry(), path);
}

TEST_F(ProcessIdentityTest, NamesCommandLineAndEnvironment) {
    auto id = identity("/opt/plant/Config/Dalvon_Config.EXE", {"LANG=C", "PATH=/bin"},
                       {"EXTERNAL=ZEBCFG", "/LOGFILE=D:\\log.txt", "", "x"});
    EXPECT_EQ(id->programFolder(), "Z:\\opt\\plant\\Config");
    EXPECT_EQ(id->executableName(), "Dalvon_Config");
    EXPECT_EQ(id->commandLine(), "EXTERNAL=ZEBCFG /LOGFILE=D:\\log.txt  x");
    EXPECT_EQ(id->firstEnvironmentEntry(), "LANG=C");

    EXPECT_EQ(identity("/opt/Dalvon.Config")->executableName(), "Dalvon.Config");
    EXPECT_EQ(identity("/opt/Dalvon_Config")->commandLine(), "");
    EXPECT_EQ(identity("/opt/Dalvon_Config", {})->firstEnvironmentEntry(), "");
    EXPECT_EQ(makeProcessIdentity(*m_files, "/Dalvon_Config", {}, nullptr)->programFolder(), "Z:");
}

}  // namespace
}  // namespace dalvon
