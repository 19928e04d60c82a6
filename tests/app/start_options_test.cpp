#include "app/start_options.h"

#include <gtest/gtest.h>

namespace dalvon {
namespace {

TEST(StartOptions, SilentStartIsReadAsTheStartModeReadsIt) {
    struct Row {
        const char* commandLine;
        bool silent;
    } rows[] = {
        {"/EXTERNAL=SILENT", true},
        {"/external:silent", true},
        {"/EXTERNAL= silent /LOGFILE=x", true},
        {"/EXTERNAL=SILENT/LOGFILE=x", true},
        {"/EXTERNAL==SILENT", false},
        {"/EXTERNAL=ZEBCFG", false},
        {"/LOGFILE=D:\\EXTERNAL\\x /EXTERNAL=SILENT", false},  // the first EXTERNAL counts
        {"/EXTERNAL", false},
        {"/EXTERNAL=", false},
        {"", false},
    };
    for (const Row& row : rows)
        EXPECT_EQ(isSilentStart(row.commandLine), row.silent) << row.commandLine;
}

TEST(StartOptions, HelpAndVersionRequests) {
    EXPECT_EQ(requestOf({}), Request::Start);
    EXPECT_EQ(requestOf({"/EXTERNAL=SILENT"}), Request::Start);
    EXPECT_EQ(requestOf({"--help"}), Request::Help);
    EXPECT_EQ(requestOf({"/EXTERNAL=ZEBCFG", "--version"}), Request::Version);
    EXPECT_EQ(versionText(), "1.0.2");
}

}  // namespace
}  // namespace dalvon
