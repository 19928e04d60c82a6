#include "platform/program_identity.h"

#include <gtest/gtest.h>

#include <fstream>

#include "tests/platform/platform_fixture.h"

namespace dalvon::testing {
namespace {

namespace fs = std::filesystem;

// An installation D:\Plant\Config whose Dalvon_Config is a link to an executable elsewhere.
class ProcessIdentityTest : public ::testing::Test {
protected:
    ProcessIdentityTest() {
        fs::create_directories(drive.root / "opt");
        fs::create_directories(drive.root / "Plant" / "Config");
        std::ofstream(drive.root / "opt" / "dalvon-config") << "#!/bin/sh\n";
        fs::permissions(drive.root / "opt" / "dalvon-config", fs::perms::owner_all);
        fs::create_symlink(drive.root / "opt" / "dalvon-config", config / "Dalvon_Config");
    }

    std::unique_ptr<ProgramIdentity> identity(const std::string& invokedAs,
                                              std::vector<std::string> environment = {},
                                              const std::vector<std::string>& arguments = {}) {
        m_environment = std::move(environment);
        m_pointers.clear();
        for (std::string& entry : m_environment)
            m_pointers.push_back(entry.data());
        m_pointers.push_back(nullptr);
        return makeProcessIdentity(drive.files(), invokedAs, arguments, m_pointers.data());
    }

    TempDrive drive;
    fs::path config = drive.root / "Plant" / "Config";

private:
    std::vector<std::string> m_environment;
    std::vector<char*> m_pointers;
};

TEST_F(ProcessIdentityTest, ALinkCountsAsLivingInItsFolderAlsoWhenFoundAlongPath) {
    auto roundabout = identity(
        (drive.root / "Plant" / "." / "Other" / ".." / "Config" / "Dalvon_Config").string());
    EXPECT_EQ(roundabout->programFolder(), "D:\\Plant\\Config");
    EXPECT_EQ(roundabout->executableName(), "Dalvon_Config");

    std::string path = "PATH=/nonexistent::" + config.string();
    auto found = identity("Dalvon_Config", {path, "HOME=/root"});
    EXPECT_EQ(found->programFolder(), "D:\\Plant\\Config");
    EXPECT_EQ(found->firstEnvironmentEntry(), path);
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
    EXPECT_EQ(makeProcessIdentity(drive.files(), "/Dalvon_Config", {}, nullptr)->programFolder(),
              "Z:");
}

}  // namespace
}  // namespace dalvon::testing
