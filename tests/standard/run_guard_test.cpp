// The start of a run (one at a time per installation) and what a finished run tells.
#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/fault.h"
#include "standard/error_reporting.h"
#include "standard/run_guard.h"
#include "tests/support/test_installation.h"

namespace dalvon {
namespace {

using testing::TestInstallation;

TEST(BeginRun, ASecondRunIsRefusedLoggedAndShown) {
    TestInstallation inst;
    RunStart first = BeginRun(inst.rt(), false);
    ASSERT_FALSE(first.refused);
    ASSERT_TRUE(first.lock);
    EXPECT_TRUE(inst.exists("D:\\Plant\\.Dalvon_Config.lock"));

    RunStart second = BeginRun(inst.rt(), false);
    EXPECT_TRUE(second.refused);
    EXPECT_EQ(second.message, "Dalvon_Config is already running on this installation (process " +
                                  std::to_string(getpid()) + "); this start was refused.");
    EXPECT_EQ(inst.readFile(TestInstallation::kErrorLog),
              "Fehler in Dalvon / Dalvon_Config / Start (Nr. 70) :Permission denied: " +
                  second.message + "\r\n");
    ASSERT_EQ(inst.dialogs().shown().size(), 1u);
    EXPECT_EQ(inst.dialogs().shown()[0].text, second.message);

    RunStart silent = BeginRun(inst.rt(), true);
    EXPECT_TRUE(silent.refused);
    EXPECT_EQ(inst.dialogs().shown().size(), 1u);
    EXPECT_EQ(inst.readFile(TestInstallation::kServiceLog),
              "! Fault Dalvon_Config: " + silent.message + "\r\n");

    first.lock.reset();
    EXPECT_FALSE(BeginRun(inst.rt(), true).refused);
    EXPECT_EQ(SecondRunText("Dalvon_Config", 0),
              "Dalvon_Config is already running on this installation (another process); this "
              "start was refused.");
}

TEST(FinishedRun, StatusThreeAndOneLineAfterAnyReportedFault) {
    TestInstallation inst;
    EXPECT_EQ(FinishedExitStatus(inst.rt()), kExitOk);
    inst.rt().StartModeSilent = true;
    ReportFault(inst.rt(), "Ini Save:  wrong data type");
    EXPECT_EQ(FinishedExitStatus(inst.rt()), kExitFaultsReported);
    WriteErrorLog(inst.rt(), "a line", false);
    WriteServiceLog(inst.rt(), "again");  // each log is named once
    std::string logs = inst.host(TestInstallation::kServiceLog).string() + " and " +
                       inst.host(TestInstallation::kErrorLog).string();
    EXPECT_EQ(FaultSummaryLine(inst.rt()), "Dalvon_Config: finished, but faults were reported to " +
                                               logs +
                                               "; no backup of the component database was made");
    inst.rt().run.componentBackup = "D:\\Plant\\Dalvon\\Backup\\Dalvon-20261206-120000.mdb";
    EXPECT_EQ(FaultSummaryLine(inst.rt()), "Dalvon_Config: finished, but faults were reported to " +
                                               logs +
                                               "; the previous component database is kept as " +
                                               inst.host(inst.rt().run.componentBackup).string());
}

}  // namespace
}  // namespace dalvon
