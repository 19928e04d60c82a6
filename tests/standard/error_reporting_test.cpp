// The one way failures are reported: logs, message boxes, continue or end.
#include <gtest/gtest.h>

#include "platform/fault.h"
#include "standard/error_reporting.h"
#include "standard/procedure.h"
#include "standard/program_folder.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

TEST(ReportError, AsksToResumeAndLogsTheLineFirst) {
    TestInstallation inst;
    inst.dialogs().queue(DialogAnswer::Yes);
    EXPECT_EQ(ReportError(inst.rt(), -2147217900, "DAO.Database", "Bad thing", "WorkOnMDB", false),
              2);
    inst.dialogs().queue(DialogAnswer::No);
    EXPECT_EQ(ReportError(inst.rt(), 5, "Dalvon_Config", "Again", "Form_Load", false), 1);
    ASSERT_EQ(inst.dialogs().shown().size(), 2u);
    const MessageBox& box = inst.dialogs().shown()[0];
    EXPECT_EQ(box.text,
              "Unexpected error!\n\rBad thing\n\rError logged to "
              "\n\rD:\\PLANT\\ZEBCFGLOG.TXT\n\rResume?");
    EXPECT_EQ(box.title, "Unexpected error");
    EXPECT_EQ(box.buttons, DialogButtons::YesNo);
    EXPECT_EQ(box.icon, DialogIcon::Critical);
    EXPECT_EQ(box.defaultButton, DialogAnswer::Yes);
    // Two faults append two lines; nothing is ever truncated.
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog),
              "Fehler in Dalvon / DAO.Database / WorkOnMDB (Nr. -2147217900) :Bad thing\r\n"
              "Fehler in Dalvon / Dalvon_Config / Form_Load (Nr. 5) :Again\r\n");

    // A fatal fault offers only OK and ends.
    EXPECT_EQ(ReportError(inst.rt(), 9999, "Dalvon_Config", "Database-Error", "Takeover", true), 1);
    const MessageBox& fatal = inst.dialogs().shown().at(2);
    EXPECT_EQ(fatal.title, "Fatal error");
    EXPECT_EQ(fatal.buttons, DialogButtons::Ok);
    EXPECT_EQ(fatal.text.find("Resume?"), std::string::npos);
}

TEST(ReportError, SilentStartLogsTwiceAndGoesOn) {
    TestInstallation inst;
    inst.start("/EXTERNAL=SILENT");
    EXPECT_EQ(ReportError(inst.rt(), 53, "Dalvon_Config", "File not found", "WorkOnMDB", true), 2);
    EXPECT_TRUE(inst.dialogs().shown().empty());
    EXPECT_EQ(inst.readFile(TestInstallation::kServiceLog),
              "! Fault Dalvon_Config: Unexpected error!\n\rFile not found\n\rError logged to "
              "\n\rD:\\PLANT\\ZEBCFGLOG.TXT\r\n");
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog),
              "Fehler in Dalvon / Dalvon_Config / WorkOnMDB (Nr. 53) :File not found\r\n");
}

TEST(ReportError, IntegratedStartLogsToTheLogfileOrStandardError) {
    TestInstallation inst;
    inst.start("/EXTERNAL=ZEBCFG /LOGFILE=D:\\Plant\\Logs\\cfg.txt");
    std::filesystem::create_directories(inst.host("D:\\Plant\\Logs"));
    ReportError(inst.rt(), 1, "S", "D", "P", false);
    EXPECT_NE(
        inst.dialogs().shown().at(0).text.find("Error logged to \n\rD:\\PLANT\\LOGS\\CFG.TXT"),
        std::string::npos);
    EXPECT_EQ(inst.readFile("D:\\Plant\\Logs\\CFG.TXT"), "Fehler in Dalvon / S / P (Nr. 1) :D\r\n");

    // No LOGFILE option: no log path at all; the line goes to standard error, the report goes on.
    inst.start("/EXTERNAL=ZEBCFG");
    ::testing::internal::CaptureStderr();
    inst.dialogs().queue(DialogAnswer::Yes);
    EXPECT_EQ(ReportError(inst.rt(), 7, "S", "Out of memory", "P", false), 2);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("Fehler in Dalvon / S / P (Nr. 7) :Out of memory"), std::string::npos)
        << err;
}

TEST(Procedure, ContinuesWithTheNextStepOrEnds) {
    TestInstallation inst;
    std::vector<int> ran;
    inst.dialogs().queue(DialogAnswer::Yes);
    inst.dialogs().queue(DialogAnswer::No);
    int status = inst.runUntilEnd([&] {
        Procedure proc(inst.rt(), "Test");
        proc.step([&] { throw faults::overflow(); });
        proc.step([&] { ran.push_back(2); });
        proc.step([&] { throw faults::subscript(); });
        proc.step([&] { ran.push_back(4); });
    });
    EXPECT_EQ(status, 1);
    EXPECT_EQ(ran, std::vector<int>{2});
    EXPECT_EQ(inst.dialogs().shown().size(), 2u);
    std::string log = inst.readFile(TestInstallation::kErrorLog);
    EXPECT_EQ(log.substr(0, log.find("\r\n")),
              "Fehler in Dalvon / Dalvon_Config / Test (Nr. 6) :Overflow");
}

TEST(ProgramFolder, BaseFolderComponentAndLastComponent) {
    TestInstallation inst;
    EXPECT_EQ(GetBaseFolder(inst.rt()), "D:\\Plant");
    EXPECT_EQ(GetOCXName(inst.rt()), "Dalvon");
    EXPECT_EQ(GetFileNameOnly(inst.rt(), "D:\\Plant\\Config"), "Config");
    EXPECT_EQ(GetFileNameOnly(inst.rt(), "D:\\Plant\\"), "");
    // The error log of a program directly below a drive root.
    FixedIdentity atRoot("D:\\Config", "Dalvon_Config");
    Runtime rootRt(Services{inst.rt().files, inst.rt().profiles, inst.rt().dialogs,
                            inst.rt().events, atRoot, inst.rt().databases});
    EXPECT_EQ(GetBaseFolder(rootRt), "D:");
    EXPECT_EQ(WriteErrorLog(rootRt, "x", false), "Error logged to \n\rD:\\ZEBCFGLOG.TXT");
    EXPECT_EQ(inst.readFile("D:\\ZEBcfglog.txt"), "x\r\n");
}

}  // namespace
}  // namespace dalvon::testing
