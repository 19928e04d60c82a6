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

    // The file's bytes after one write into `content` (nothing: no file before).
    std::string afterWrite(const std::optional<std::string>& content, const std::string& section,
                           const std::string& key, const std::string& value) {
        MemoryFileSystem files;
        files.makeFolder("D:\\Plant\\parameter");
        if (content)
            files.setFile(kFile, *content);
        EXPECT_TRUE(makeProfileStore(files)->writeString(section, key, value, kFile));
        return files.readFile(kFile).value_or("<no file>");
    }

    MemoryFileSystem m_files;
    std::unique_ptr<ProfileStore> m_profiles = makeProfileStore(m_files);
};

TEST_F(ProfileStoreTest, ReadsStringsLikeTheProfileApi) {
    struct Row {
        const char* name;
        const char* content;
        const char* section;
        const char* key;
        const char* expected;
    };
    const Row rows[] = {
        {"missing key", "[Project]\r\nA=1\r\n", "Project", "B", ""},
        {"missing section", "[Project]\r\nA=1\r\n", "Other", "A", ""},
        {"empty value", "[Project]\r\nA=\r\n", "Project", "A", ""},
        {"blanks around value", "[Project]\r\nA =  x  y \t\r\n", "Project", "A", "x  y"},
        {"double quotes", "[P]\r\nA=\"  q  \"\r\n", "P", "A", "  q  "},
        {"single quotes", "[P]\r\nA='v'\r\n", "P", "A", "v"},
        {"unmatched quotes", "[P]\r\nA=\"v'\r\n", "P", "A", "\"v'"},
        {"lone quote", "[P]\r\nA=\"\r\n", "P", "A", "\""},
        {"case of names", "[PROJECT]\r\nmachineName=M1\r\n", "project", "MACHINENAME", "M1"},
        {"blanks around names", "  [ Project ]  \r\n  Key  = v\r\n", " Project", "Key ", "v"},
        {"first section wins", "[P]\r\nA=1\r\n[Q]\r\nA=2\r\n[p]\r\nA=3\r\nB=4\r\n", "P", "A", "1"},
        {"later duplicate section ignored", "[P]\r\nA=1\r\n[p]\r\nB=4\r\n", "P", "B", ""},
        {"first key wins", "[P]\r\nA=1\r\na=2\r\n", "P", "A", "1"},
        {"comment line", "[P]\r\n;A=1\r\n  ; A=2\r\nA=3\r\n", "P", "A", "3"},
        {"only a comment", "[P]\r\n;A=1\r\n", "P", "A", ""},
        {"key of the next section", "[P]\r\n[Q]\r\nA=1\r\n", "P", "A", ""},
        {"entry before any section", "A=1\r\n[P]\r\n", "P", "A", ""},
        {"LF and lone CR", "[P]\nA=1\rB=2\n", "P", "B", "2"},
        {"equals sign in value", "[P]\r\nA=b=c\r\n", "P", "A", "b=c"},
        {"Windows-1252", "[P]\r\nA=Gr\xFC\xDF \x80\r\n", "P", "A", "Grüß €"},
        {"no final line end", "[P]\r\nA=last", "P", "A", "last"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(getString(row.content, row.section, row.key), row.expected) << row.name;
    }
}

TEST_F(ProfileStoreTest, CutsValuesAndDefaultsToTheBuffer) {
    std::string value(300, 'v');
    EXPECT_EQ(getString("[P]\r\nA=" + value + "\r\n", "P", "A"), std::string(254, 'v'));
    // Characters, not bytes: 300 × ä is 300 bytes in the file and 600 in UTF-8.
    std::string umlauts;
    for (int i = 0; i < 254; ++i)
        umlauts += "ä";
    EXPECT_EQ(getString("[P]\r\nA=" + std::string(300, '\xE4') + "\r\n", "P", "A"), umlauts);
    EXPECT_EQ(getString("[P]\r\nA=abcdef\r\n", "P", "A", 4), "abc");
    EXPECT_EQ(getString("[P]\r\nA=abcdef\r\n", "P", "A", 0), "");

    EXPECT_EQ(getString("[P]\r\n", "P", "A", 255, "abc   "), "abc");
    EXPECT_EQ(getString("[P]\r\n", "P", "A", 255, "  a b  "), "  a b");
    EXPECT_EQ(getString("[P]\r\n", "P", "A", 3, "abcdef"), "ab");
}

TEST_F(ProfileStoreTest, ReadingAMissingFileGivesTheDefaultAndLeavesNoFile) {
    const char* missing = "D:\\Plant\\parameter\\nothing.ini";
    EXPECT_EQ(m_profiles->getString("P", "A", kBlanks, 255, missing), "");
    EXPECT_EQ(m_profiles->getInt("P", "A", -1, missing), -1);
    EXPECT_EQ(m_profiles->getString("P", "A", "x", 255, "D:\\No\\Folder\\x.ini"), "x");
    EXPECT_EQ(m_profiles->getString("P", "A", "x", 255, "no drive.ini"), "x");
    EXPECT_TRUE(m_files.filePaths().empty());
}

TEST_F(ProfileStoreTest, ReadsIntegers) {
    struct Row {
        const char* value;
        int64_t expected;
    };
    const Row rows[] = {
        {"12", 12},
        {"  -7", -7},
        {"+5", 5},
        {"12abc", 12},
        {"abc", 0},
        {"", 0},
        {"-1", -1},
        {"0", 0},
        {"- 3", 0},
        {"\"42\"", 42},
        {"99999999999", 99999999999},
        {"99999999999999999999", INT64_MAX},
        {"-99999999999999999999", INT64_MIN},
    };
    for (const Row& row : rows) {
        m_files.setFile(kFile, std::string("[P]\r\nN=") + row.value + "\r\n");
        EXPECT_EQ(m_profiles->getInt("p", "n", 77, kFile), row.expected) << row.value;
    }
    EXPECT_EQ(m_profiles->getInt("P", "Missing", -1, kFile), -1);
    EXPECT_EQ(m_profiles->getInt("Missing", "N", 77, kFile), 77);
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
        {"replace value, keep key spelling and blanks",
         "; head\r\n[Project]\r\n  Name = old\r\nOther=1\r\n\r\n[Next]\r\nX=1\r\n", "PROJECT",
         "name", "new", "; head\r\n[Project]\r\n  Name = new\r\nOther=1\r\n\r\n[Next]\r\nX=1\r\n"},
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
        {"empty file", "", "Info", "S_Prog", "x", "[Info]\r\nS_Prog=x\r\n"},
        {"Windows-1252 out", "[P]\r\nA=1\r\n", "P", "A", "Grüß €", "[P]\r\nA=Gr\xFC\xDF \x80\r\n"},
        {"bytes of other lines kept", "[P]\r\nA=\x81\xE4\r\nB=1\r\n", "P", "B", "2",
         "[P]\r\nA=\x81\xE4\r\nB=2\r\n"},
        {"value kept untrimmed", "[P]\r\n", "P", "A", " x ", "[P]\r\nA= x \r\n"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(afterWrite(row.before, row.section, row.key, row.value), row.after) << row.name;
    }
}

TEST_F(ProfileStoreTest, AWrittenValueIsReadBack) {
    ASSERT_TRUE(m_profiles->writeString("Project", "Editor", "Jürgen", kFile));
    ASSERT_TRUE(m_profiles->writeString("project", "EDITOR", "Zoë", kFile));
    EXPECT_EQ(m_profiles->getString("PROJECT", "editor", kBlanks, 255, kFile), "Zoë");
    EXPECT_EQ(m_files.readFile(kFile), "[Project]\r\nEditor=Zo\xEB\r\n");
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
