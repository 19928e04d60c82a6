// What the Windows file system and process identity add to the shared contract: other programs'
// sharing modes, both file times, the read-only attribute, names outside the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/c_library.h"
#include "platform/program_identity.h"
#include "platform/text.h"
#include "tests/platform/platform_fixture.h"
#include "tests/platform/wine.h"

namespace dalvon::testing {
namespace {

std::wstring wide(const std::filesystem::path& path) {
    return path.wstring();
}

class Win32FileSystemTest : public ::testing::Test {
protected:
    TempDrive drive;
    FileSystem& files = drive.files();
};

TEST_F(Win32FileSystemTest, AFileHeldWithoutSharingIsNotReplaced) {
    files.writeFileAtomic("D:\\Dalvon.mdb", "previous");
    files.writeFileAtomic("D:\\Source.mdb", "source");
    // Whatever else the holder shares: without write, or without delete, nothing replaces it.
    for (DWORD sharing : {DWORD{FILE_SHARE_READ}, DWORD{FILE_SHARE_READ | FILE_SHARE_DELETE},
                          DWORD{FILE_SHARE_READ | FILE_SHARE_WRITE}}) {
        SCOPED_TRACE(sharing);
        HANDLE held = ::CreateFileW(wide(drive.host("D:\\Dalvon.mdb")).c_str(), GENERIC_READ,
                                    sharing, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(faultOf([&] { files.writeFileAtomic("D:\\Dalvon.mdb", "new"); }), 75);
        EXPECT_EQ(faultOf([&] { files.copyFile("D:\\Source.mdb", "D:\\Dalvon.mdb"); }), 75);
        ::CloseHandle(held);
    }
    EXPECT_EQ(files.readFile("D:\\Dalvon.mdb"), "previous");
    EXPECT_EQ(files.listFolder("D:\\").size(), 2u);  // no temp file stays
    files.writeFileAtomic("D:\\Dalvon.mdb", "new");
    EXPECT_EQ(files.readFile("D:\\Dalvon.mdb"), "new");
}

TEST_F(Win32FileSystemTest, CreationAndLastWriteTimesAreBothRestored) {
    files.writeFileAtomic("D:\\Source.mdb", "x");
    const FileTimes set{125000000001234567, 0, 132000000007654321};
    ASSERT_TRUE(files.writeTimes("D:\\SOURCE.MDB", set));
    std::optional<FileTimes> read = files.readTimes("D:\\Source.mdb");
    ASSERT_TRUE(read);
    EXPECT_EQ(read->lastWrite, set.lastWrite);
    if (!runningUnderWine()) {
        EXPECT_EQ(read->creation, set.creation);
    }
}

TEST_F(Win32FileSystemTest, TheReadOnlyAttributeRefusesReplacementForEveryUser) {
    files.writeFileAtomic("D:\\Dalvon.mdb", "previous");
    ASSERT_TRUE(
        ::SetFileAttributesW(wide(drive.host("D:\\Dalvon.mdb")).c_str(), FILE_ATTRIBUTE_READONLY));
    std::string text;
    EXPECT_EQ(faultOf([&] { files.writeFileAtomic("D:\\Dalvon.mdb", "x"); }, &text), 75);
    EXPECT_NE(text.find("Permission denied"), std::string::npos) << text;
    EXPECT_FALSE(files.fileInfo("D:\\Dalvon.mdb").value().writable);
    ::SetFileAttributesW(wide(drive.host("D:\\Dalvon.mdb")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32FileSystemTest, NamesAreUtf8InsideAndWideOnDisk) {
    files.writeFileAtomic("D:\\Grüße €.ini", "[Project]");
    EXPECT_TRUE(std::filesystem::exists(drive.root / L"Grüße €.ini"));
    EXPECT_EQ(files.listFolder("D:\\"), std::vector<std::string>{"Grüße €.ini"});
    EXPECT_EQ(files.readFile("D:\\GRÜSSE €.INI"), std::nullopt);  // no folding beyond case
    EXPECT_EQ(files.readFile("D:\\grüße €.ini"), "[Project]");
}

TEST_F(Win32FileSystemTest, OnlyLeftoversOfEndedProcessesAreRemoved) {
    const std::string own = ".a.mdb.tmp" + std::to_string(currentProcessId()) + ".0";
    files.writeFileAtomic("D:\\" + own, "running");
    files.writeFileAtomic("D:\\.a.mdb.tmp999999999.3", "ended");
    files.writeFileAtomic("D:\\a.mdb", "kept");
    EXPECT_EQ(files.removeLeftovers("D:\\"), 1);
    EXPECT_EQ(files.listFolder("D:\\"), (std::vector<std::string>{own, "a.mdb"}));
}

TEST(Win32ProgramIdentityTest, ComesFromTheModuleTheCommandLineAndTheEnvironmentBlock) {
    std::unique_ptr<FileSystem> files = makeSystemFileSystem();
    std::unique_ptr<ProgramIdentity> identity = makeProcessIdentity(
        *files, invokedProgramPath(nullptr), programArguments(0, nullptr), nullptr);
    EXPECT_EQ(identity->executableName(), "platform_tests");
    EXPECT_TRUE(
        equalsIgnoreCase(identity->programFolder().substr(identity->programFolder().size() - 15),
                         "\\tests\\platform"))
        << identity->programFolder();
    EXPECT_FALSE(identity->firstEnvironmentEntry().empty());
    EXPECT_NE(identity->firstEnvironmentEntry()[0], '=');
    // Options the start took away leave the rest joined.
    EXPECT_EQ(
        makeProcessIdentity(*files, invokedProgramPath(nullptr), {"/EXTERNAL=SILENT"}, nullptr)
            ->commandLine(),
        "/EXTERNAL=SILENT");
}

}  // namespace
}  // namespace dalvon::testing
