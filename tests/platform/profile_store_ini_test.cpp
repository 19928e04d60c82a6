#include <gtest/gtest.h>

#include "platform/fakes/faulty_file_system.h"
#include "platform/fakes/memory_file_system.h"
#include "platform/profile_store.h"

namespace dalvon {
namespace {

const char* const kFile = "D:\\Plant\\parameter\\program.ini";
const std::string kBlanks(255, ' ');

class ProfileStoreTest : public ::testing::Test {
protected:
    ProfileStoreTest() { m_files.makeFolder("D:\\Plant\\parameter"); }

    std::string getString(const std::string& content, const std::string& section,
                          const std::string& key, size_t bufferSize = 255,
                          const std::string& defaultValue = kBlanks) {
        m_files.setFile(kFile, content);
        return m_profiles->getString(section, key, defaultValue, bufferSize, kFile);
    }

    MemoryFileSystem m_files;
    std::unique_ptr<ProfileStore> m_profiles = makeProfileStore(m_files);
};

TEST_F(ProfileStoreTest, ReadsStringsLikeTheProfileApi) {
    // LF and lone CR end lines too; no final line end; Windows-1252 bytes.
    m_files.setFile(kFile,
                    "A=before any section\r\n  [ Project ]  \r\n  Key  = v\r\nBlanks =  x  y \t\r\n"
                    "Double=\"  q  \"\r\nSingle='v'\r\nUnmatched=\"v'\r\nLone=\"\r\nEq=b=c\r\n"
                    ";Comment=1\r\n  ; Comment=2\r\nComment=3\r\nFirst=1\r\nfirst=2\r\n"
                    "Empty=\r\n[Q]\r\nA=2\nLf=3\rCr=4\r\n[project]\r\nLater=5\r\nFirst=9\r\n[P]\r\n"
                    "Cp=Gr\xFC\xDF \x80\r\nLast=last");
    const std::tuple<const char*, const char*, const char*> rows[] = {
        {"PROJECT", " key ", "v"},
        {"Project", "Blanks", "x  y"},
        {"Project", "Double", "  q  "},
        {"Project", "Single", "v"},
        {"Project", "Unmatched", "\"v'"},
        {"Project", "Lone", "\""},
        {"Project", "Eq", "b=c"},
        {"Project", "Comment", "3"},
        {"Project", "FIRST", "1"},
        {"Project", "Empty", ""},
        {"Project", "Missing", ""},
        {"Project", "A", ""},
        {"Project", "Later", ""},
        {"Other", "A", ""},
        {"Q", "Lf", "3"},
        {"Q", "Cr", "4"},
        {"P", "Cp", "Grüß €"},
        {"P", "Last", "last"}};
    for (const auto& [section, key, expected] : rows) {
        EXPECT_EQ(m_profiles->getString(section, key, kBlanks, 255, kFile), expected)
            << section << "/" << key;
    }
}

TEST_F(ProfileStoreTest, CutsValuesAndDefaultsToTheBuffer) {
    EXPECT_EQ(getString("[P]\r\nA=" + std::string(300, 'v') + "\r\n", "P", "A"),
              std::string(254, 'v'));
    // Characters, not bytes: 300 × ä is 300 bytes in the file and 600 in UTF-8.
    std::string umlauts;
    for (int i = 0; i < 254; ++i)
        umlauts += "ä";
    EXPECT_EQ(getString("[P]\r\nA=" + std::string(300, '\xE4') + "\r\n", "P", "A"), umlauts);
    EXPECT_EQ(getString("[P]\r\nA=abcdef\r\n", "P", "A", 4), "abc");
    EXPECT_EQ(getString("[P]\r\nA=abcdef\r\n", "P", "A", 0), "");
    EXPECT_EQ(getString("[P]\r\n", "P", "A", 255, "  a b  "), "  a b");
    EXPECT_EQ(getString("[P]\r\n", "P", "A", 3, "abcdef"), "ab");
}

TEST_F(ProfileStoreTest, ReadsIntegersAndMissingFilesGiveTheDefaultAndNoFile) {
    const std::pair<const char*, int64_t> rows[] = {{"  -7", -7},
                                                    {"+5", 5},
                                                    {"12abc", 12},
                                                    {"abc", 0},
                                                    {"", 0},
                                                    {"- 3", 0},
                                                    {"\"42\"", 42},
                                                    {"99999999999", 99999999999},
                                                    {"99999999999999999999", INT64_MAX},
                                                    {"-99999999999999999999", INT64_MIN}};
    for (const auto& [value, expected] : rows) {
        m_files.setFile(kFile, std::string("[P]\r\nN=") + value + "\r\n");
        EXPECT_EQ(m_profiles->getInt("p", "n", 77, kFile), expected) << value;
    }
    EXPECT_EQ(m_profiles->getInt("P", "Missing", -1, kFile), -1);
    EXPECT_EQ(m_profiles->getInt("Missing", "N", 77, kFile), 77);

    const char* missing = "D:\\Plant\\parameter\\nothing.ini";
    EXPECT_EQ(m_profiles->getString("P", "A", kBlanks, 255, missing), "");
    EXPECT_EQ(m_profiles->getInt("P", "A", -1, missing), -1);
    EXPECT_EQ(m_profiles->getString("P", "A", "x", 255, "D:\\No\\Folder\\x.ini"), "x");
    EXPECT_EQ(m_profiles->getString("P", "A", "x", 255, "no drive.ini"), "x");
    EXPECT_EQ(m_files.filePaths().size(), 1u);  // only the file set above
}

TEST_F(ProfileStoreTest, WritesKeepEveryOtherByte) {
    struct Row {
        const char* name;
        std::optional<std::string> before;
        const char* section;
        const char* key;
        const char* value;
        std::string after;
    };
    const Row rows[] = {
        {"replace value untrimmed, keep key spelling, blanks and other bytes",
         "; head\r\n[Project]\r\n  Name = old\r\nOther=\x81\xE4\r\n\r\n[Next]\r\nX=1\r\n",
         "PROJECT", "name", " new ",
         "; head\r\n[Project]\r\n  Name =  new \r\nOther=\x81\xE4\r\n\r\n[Next]\r\nX=1\r\n"},
        {"replace in LF file", "[P]\nA=1\nB=2\n", "P", "A", "9", "[P]\nA=9\nB=2\n"},
        {"replace the last line without line end", "[P]\r\nA=1", "P", "A", "", "[P]\r\nA="},
        {"add after the last line of the section", "[P]\nA=1\n\n[Q]\nX=1\n", "p", "B", "2",
         "[P]\nA=1\nB=2\r\n\n[Q]\nX=1\n"},
        {"add after a closing comment", "[P]\r\nA=1\r\n; end\r\n\r\n[Q]\r\n", "P", "B", "2",
         "[P]\r\nA=1\r\n; end\r\nB=2\r\n\r\n[Q]\r\n"},
        {"add to an empty section at the end", "[P]", "P", "A", "1", "[P]\r\nA=1\r\n"},
        {"add into the first of two sections", "[P]\r\nA=1\r\n[P]\r\n", "P", "B", "2",
         "[P]\r\nA=1\r\nB=2\r\n[P]\r\n"},
        {"new section after a blank line", "[P]\r\nA=1\r\n", "Q", "B", "2",
         "[P]\r\nA=1\r\n\r\n[Q]\r\nB=2\r\n"},
        {"new section, file ends in a blank line", "[P]\r\nA=1\r\n\r\n", "Q", "B", "2",
         "[P]\r\nA=1\r\n\r\n[Q]\r\nB=2\r\n"},
        {"new section, no final line end", "[P]\nA=1", "Q", "B", "2",
         "[P]\nA=1\r\n\r\n[Q]\r\nB=2\r\n"},
        {"new file", std::nullopt, "Project", "DalvonJumpToMaterialChange", "true",
         "[Project]\r\nDalvonJumpToMaterialChange=true\r\n"},
        {"Windows-1252 out", "[P]\r\nA=1\r\n", "P", "A", "Grüß €", "[P]\r\nA=Gr\xFC\xDF \x80\r\n"},
    };
    for (const Row& row : rows) {
        MemoryFileSystem files;
        files.makeFolder("D:\\Plant\\parameter");
        if (row.before)
            files.setFile(kFile, *row.before);
        EXPECT_TRUE(makeProfileStore(files)->writeString(row.section, row.key, row.value, kFile))
            << row.name;
        EXPECT_EQ(files.readFile(kFile), row.after) << row.name;
    }
}

TEST_F(ProfileStoreTest, AFailedWriteReturnsFalseAndLeavesTheOldFile) {
    m_files.setFile(kFile, "[P]\r\nA=1\r\n");
    FaultyFileSystem faulty(m_files);
    faulty.failWriteFileAtomic(true);
    EXPECT_FALSE(makeProfileStore(faulty)->writeString("P", "A", "2", kFile));
    EXPECT_EQ(m_files.readFile(kFile), "[P]\r\nA=1\r\n");

    EXPECT_FALSE(m_profiles->writeString("P", "A", "2", "D:\\No\\Folder\\x.ini"));
    EXPECT_FALSE(m_files.fileExists("D:\\No\\Folder\\x.ini"));
    m_files.failWrites(true);
    EXPECT_FALSE(m_profiles->writeString("P", "A", "2", kFile));
    EXPECT_EQ(m_files.readFile(kFile), "[P]\r\nA=1\r\n");
}

}  // namespace
}  // namespace dalvon
