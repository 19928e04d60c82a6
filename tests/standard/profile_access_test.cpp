// Single entries of profile files as the program reads and writes them.
#include <gtest/gtest.h>

#include "platform/variant.h"
#include "standard/profile_access.h"
#include "tests/support/test_installation.h"

namespace dalvon::testing {
namespace {

const char* const kIni = "D:\\Plant\\parameter\\Program.ini";

TEST(ProfileAccess, MissingAndEmptyEntriesReadAlike) {
    TestInstallation inst;
    Runtime& rt = inst.rt();
    inst.writeFile(kIni, "[Project]\r\nEmpty=\r\nNumber= 42 \r\nMinus=-1\r\nBig=40000\r\nLong=" +
                             std::string(300, 'x') + "\r\n");
    EXPECT_EQ(LoadIniString(rt, "Project", "Empty", kIni, true, false), "");
    EXPECT_EQ(LoadIniString(rt, "Project", "Missing", kIni, true, false), "");
    EXPECT_EQ(LoadIniString(rt, "project", "NUMBER", kIni, true, false), "42");
    EXPECT_EQ(LoadIniString(rt, "Project", "Long", kIni, true, false), std::string(254, 'x'));
    EXPECT_EQ(LoadIniInteger(rt, "Project", "Number", kIni, true, false), 42);
    EXPECT_EQ(LoadIniInteger(rt, "Project", "Minus", kIni, true, false), -1);
    EXPECT_EQ(LoadIniInteger(rt, "Project", "Missing", kIni, true, false), -1);
    EXPECT_TRUE(inst.dialogs().shown().empty());
    // Reading a file that does not exist leaves no file behind.
    EXPECT_EQ(LoadIniString(rt, "Project", "X", "D:\\Plant\\none.ini", true, false), "");
    EXPECT_FALSE(inst.exists("D:\\Plant\\none.ini"));

    // Out of the 16-bit range: an unexpected error, then 0.
    inst.dialogs().queue(DialogAnswer::Yes);
    EXPECT_EQ(LoadIniInteger(rt, "Project", "Big", kIni, true, false), 0);
    EXPECT_EQ(inst.dialogs().shown().size(), 1u);

    // With the report flag a missing entry is shown.
    LoadIniString(inst.rt(), "Sec", "Key", kIni, true, true);
    EXPECT_EQ(inst.dialogs().shown().at(1).text,
              "File 'D:\\Plant\\parameter\\Program.ini' or Section [Sec] or Entry 'Key' not found");
}

TEST(ProfileAccess, SaveIniWritesTextsNumbersAndRejectsOtherKinds) {
    TestInstallation inst;
    Runtime& rt = inst.rt();
    const char* file = "D:\\Plant\\new\\x.ini";
    std::filesystem::create_directories(inst.host("D:\\Plant\\new"));
    EXPECT_EQ(SaveIni(rt, Variant::string(" text "), "S", "t", file), 1);
    EXPECT_EQ(SaveIni(rt, Variant::doubleValue(-2.5), "S", "d", file), 1);
    EXPECT_EQ(SaveIni(rt, Variant::integer(7), "S", "i", file), 1);
    EXPECT_EQ(SaveIni(rt, Variant::date(1.0), "S", "date", file), 1);
    ASSERT_EQ(inst.dialogs().shown().size(), 1u);
    EXPECT_EQ(inst.dialogs().shown()[0].text, "Ini Save:  wrong data type");
    EXPECT_EQ(inst.readFile(file), "[S]\r\nt= text \r\nd=-2.5\r\ni=7\r\ndate=\r\n");
    // A write that cannot be done is not reported.
    EXPECT_EQ(SaveIni(rt, Variant::string("x"), "S", "t", "D:\\Plant\\missing\\folder\\x.ini"), 0);
    EXPECT_EQ(inst.dialogs().shown().size(), 1u);
}

}  // namespace
}  // namespace dalvon::testing
