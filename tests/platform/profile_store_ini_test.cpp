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

    std::string getString(const std::string& content, size_t bufferSize = 255,
                          const std::string& defaultValue = kBlanks) {
        m_files.setFile(kFile, content);
        return m_profiles->getString("P", "A", defaultValue, bufferSize, kFile);
    }

    std::string read(const std::string& section, const std::string& key) {
        return m_profiles->getString(section, key, kBlanks, 255, kFile);
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
    const std::pair<const char*, const char*> project[] = {
        {" key ", "v"},        {"Blanks", "x  y"}, {"Double", "  q  "}, {"Single", "v"},
        {"Unmatched", "\"v'"}, {"Lone", "\""},     {"Eq", "b=c"},       {"Comment", "3"},
        {"FIRST", "1"},        {"Empty", ""},      {"A", ""},           {"Later", ""},
    };
    for (const auto& [key, expected] : project)
        EXPECT_EQ(read("PROJECT", key), expected) << key;
    EXPECT_EQ(read("Other", "A"), "");
    EXPECT_EQ(read("Q", "Lf") + read("Q", "Cr"), "34");
    EXPECT_EQ(read("P", "Cp"), "Grüß €");
    EXPECT_EQ(read("P", "Last"), "last");
}

TEST_F(ProfileStoreTest, CutsValuesAndDefaultsToTheBuffer) {
    // Characters, not bytes: 300 × ä is 300 bytes in the file and 600 in UTF-8.
    std::string umlauts;
    for (int i = 0; i < 254; ++i)
        umlauts += "ä";
    EXPECT_EQ(getString("[P]\r\nA=" + std::string(300, '\xE4') + "\r\n"), umlauts);
    EXPECT_EQ(getString("[P]\r\nA=abcdef\r\n", 4), "abc");
    EXPECT_EQ(getString("[P]\r\nA=abcdef\r\n", 0), "");
    EXPECT_EQ(getString("[P]\r\n", 255, "  a b  "), "  a b");
    EXPECT_EQ(getString("[P]\r\n", 3, "abcdef"), "ab");
}

TEST_F(ProfileStoreTest, ReadsIntegersAndMissingFilesGiveTheDefaultAndNoFile) {
    auto number = [&](const std::string& value) {
        m_files.setFile(kFile, "[P]\r\nN=" + value + "\r\n");
        return m_profiles->getInt("p", "n", 77, kFile);
    };
    const std::pair<const char*, int64_t> rows[] = {
        {"  -7", -7}, {"+5", 5}, {"12abc", 12}, {"abc", 0}, {"- 3", 0}, {"\"42\"", 42},
    };
    for (const auto& [value, expected] : rows)
        EXPECT_EQ(number(value), expected) << value;
    EXPECT_EQ(number("99999999999"), 99999999999);
    EXPECT_EQ(number("99999999999999999999"), INT64_MAX);
    EXPECT_EQ(number("-99999999999999999999"), INT64_MIN);
    EXPECT_EQ(m_profiles->getInt("P", "Missing", -1, kFile), -1);

    EXPECT_EQ(m_profiles->getString("P", "A", kBlanks, 255, "D:\\Plant\\parameter\\no.ini"), "");
    EXPECT_EQ(m_profiles->getInt("P", "A", -1, "D:\\Plant\\parameter\\no.ini"), -1);
    EXPECT_EQ(m_profiles->getString("P", "A", "x", 255, "D:\\No\\Folder\\x.ini"), "x");
    EXPECT_EQ(m_profiles->getString("P", "A", "x", 255, "no drive.ini"), "x");
    EXPECT_EQ(m_files.filePaths().size(), 1u);  // only the file set above
}

TEST_F(ProfileStoreTest, WritesKeepEveryOtherByte) {
    const std::tuple<std::optional<std::string>, const char*, const char*, const char*, std::string>
        rows[] = {
            // Replaces the value untrimmed, keeps the key's spelling, blanks and other bytes.
            {"; head\r\n[Project]\r\n  Name = old\r\nOther=\x81\xE4\r\n\r\n[Next]\r\nX=1\r\n",
             "PROJECT", "name", " new ",
             "; head\r\n[Project]\r\n  Name =  new \r\nOther=\x81\xE4\r\n\r\n[Next]\r\nX=1\r\n"},
            {"[P]\nA=1\nB=2\n", "P", "A", "9", "[P]\nA=9\nB=2\n"},
            {"[P]\r\nA=1", "P", "A", "", "[P]\r\nA="},
            // A new key goes after the section's last line that is not blank.
            {"[P]\r\nA=1\r\n; end\r\n\r\n[Q]\r\n", "p", "B", "2",
             "[P]\r\nA=1\r\n; end\r\nB=2\r\n\r\n[Q]\r\n"},
            {"[P]", "P", "A", "1", "[P]\r\nA=1\r\n"},
            {"[P]\r\nA=1\r\n[P]\r\n", "P", "B", "2", "[P]\r\nA=1\r\nB=2\r\n[P]\r\n"},
            // A new section follows a blank line.
            {"[P]\r\nA=1\r\n", "Q", "B", "2", "[P]\r\nA=1\r\n\r\n[Q]\r\nB=2\r\n"},
            {"[P]\r\nA=1\r\n\r\n", "Q", "B", "2", "[P]\r\nA=1\r\n\r\n[Q]\r\nB=2\r\n"},
            {"[P]\nA=1", "Q", "B", "2", "[P]\nA=1\r\n\r\n[Q]\r\nB=2\r\n"},
            {std::nullopt, "Project", "Key", "Grüß €", "[Project]\r\nKey=Gr\xFC\xDF \x80\r\n"},
        };
    for (const auto& [before, section, key, value, after] : rows) {
        MemoryFileSystem files;
        files.makeFolder("D:\\Plant\\parameter");
        if (before)
            files.setFile(kFile, *before);
        EXPECT_TRUE(makeProfileStore(files)->writeString(section, key, value, kFile)) << after;
        EXPECT_EQ(files.readFile(kFile), after);
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
}

}  // namespace
}  // namespace dalvon
