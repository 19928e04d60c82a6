// Our profile engine against the system's own (GetPrivateProfileStringA/IntA) on the same files.
// Where Wine answers differently, the decision is written down in profile_differences.md beside
// this file, and the case below keeps our answer (and Wine's, under Wine, so a change shows).
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

#include "platform/profile_store.h"
#include "platform/text.h"
#include "tests/platform/platform_fixture.h"
#include "tests/platform/wine.h"

namespace dalvon::testing {
namespace {

class SystemProfileTest : public ::testing::Test {
protected:
    // Writes `bytes` as D:\t.ini and returns the system's native path of it.
    void write(const std::string& bytes) {
        std::ofstream(drive.host("D:\\t.ini"), std::ios::binary) << bytes;
    }

    std::string systemString(const char* section, const char* key, const char* fallback,
                             DWORD size = 256) {
        std::string buffer(size, '\0');
        DWORD got = ::GetPrivateProfileStringA(section, key, fallback, buffer.data(), size,
                                               native().c_str());
        return cp1252ToUtf8(buffer.substr(0, got));
    }

    int64_t systemInt(const char* section, const char* key, int fallback) {
        return static_cast<int>(::GetPrivateProfileIntA(section, key, fallback, native().c_str()));
    }

    std::string ours(const char* section, const char* key, const char* fallback,
                     size_t size = 256) {
        return profiles->getString(section, key, fallback, size, "D:\\t.ini");
    }

    int64_t oursInt(const char* section, const char* key, int fallback) {
        return profiles->getInt(section, key, fallback, "D:\\t.ini");
    }

    std::string native() { return drive.files().hostPath("D:\\t.ini"); }

    TempDrive drive;
    std::unique_ptr<ProfileStore> profiles = makeProfileStore(drive.files());
};

struct StringCase {
    const char* file;
    const char* section;
    const char* key;
    const char* fallback;
    DWORD size;
};

TEST_F(SystemProfileTest, StringsReadAsTheSystemReadsThem) {
    const StringCase cases[] = {
        {"[Project]\r\nNumberOfMachines=3\r\n", "Project", "NumberOfMachines", "", 256},
        {"[project]\r\nnumberofmachines=3\r\n", "PROJECT", "NUMBEROFMACHINES", "", 256},
        {"[A]\r\nk=first\r\n[A]\r\nk=second\r\n", "A", "k", "", 256},
        {"[A]\nk=lf only\n", "A", "k", "", 256},
        {"[A]\r\n  k  =   spaced value   \r\n", "A", "k", "", 256},
        {"  [ A ]  \r\nk=v\r\n", "A", "k", "", 256},
        {"[A]\r\nk=\"quoted\"\r\n", "A", "k", "", 256},
        {"[A]\r\nk='single'\r\n", "A", "k", "", 256},
        {"[A]\r\nk=\"open only\r\n", "A", "k", "", 256},
        {"[A]\r\nk=\r\n", "A", "k", "d", 256},
        {"[A]\r\nk=value\r\n", "A", "missing", "default  ", 256},
        {"[A]\r\nk=value\r\n", "B", "k", "none", 256},
        {"[A]\r\nk=0123456789\r\n", "A", "k", "", 5},
        {"[A]\r\nk=Gr\xFC\xDF"
         "e \x80\r\n",
         "A", "k", "", 256},
        {"[A]\r\nk=a=b\r\n", "A", "k", "", 256},
    };
    for (const StringCase& c : cases) {
        write(c.file);
        EXPECT_EQ(ours(c.section, c.key, c.fallback, c.size),
                  systemString(c.section, c.key, c.fallback, c.size))
            << c.file << " [" << c.section << "] " << c.key;
    }
}

TEST_F(SystemProfileTest, NumbersReadAsTheSystemReadsThem) {
    write("[A]\r\nn=42\r\nneg=-7\r\nlead=12abc\r\nword=abc\r\nspaced=  5  \r\n");
    for (const char* key : {"n", "neg", "lead", "word", "spaced", "missing"})
        EXPECT_EQ(oursInt("A", key, 9), systemInt("A", key, 9)) << key;
}

TEST_F(SystemProfileTest, WhereWineDiffersOurDecisionHolds) {
    write("[A]\r\nhex=0x1F\r\nbig=99999999999\r\n;k=commented\r\n");
    EXPECT_EQ(oursInt("A", "hex", 9), 0);
    EXPECT_EQ(oursInt("A", "big", 9), 99999999999);
    EXPECT_EQ(ours("A", ";k", "none"), "none");
    write("\xEF\xBB\xBF[A]\r\nk=v\r\n");
    const std::string afterMark = ours("A", "k", "none");
    if (!runningUnderWine())
        return;
    write("[A]\r\nhex=0x1F\r\nbig=99999999999\r\n;k=commented\r\n");
    EXPECT_EQ(systemInt("A", "hex", 9), 31);
    EXPECT_EQ(systemInt("A", "big", 9), static_cast<int>(99999999999 & 0xFFFFFFFF));
    EXPECT_EQ(systemString("A", ";k", "none"), "commented");
    write("\xEF\xBB\xBF[A]\r\nk=v\r\n");
    EXPECT_EQ(systemString("A", "k", "none"), "v");
    EXPECT_EQ(afterMark, "none");
}

}  // namespace
}  // namespace dalvon::testing
