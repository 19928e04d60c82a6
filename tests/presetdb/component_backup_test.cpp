// Backups of the component database: names, order, the last ten, identical copies, and a
// failed backup that keeps the component database from being replaced.
#include <gtest/gtest.h>

#include "platform/fakes/faulty_file_system.h"
#include "platform/fakes/memory_file_system.h"
#include "platform/fault.h"
#include "presetdb/component_backup.h"

namespace dalvon {
namespace {

constexpr const char* kComponent = "D:\\Plant\\Dalvon\\Dalvon.mdb";
constexpr std::time_t kNoon = 1796558400;  // a moment; names use the local time of it

TEST(ComponentBackup, KeepsTheLastTenInOrderAndSkipsIdenticalCopies) {
    MemoryFileSystem files;
    files.setFile(kComponent, "v0");
    files.setFile("D:\\Plant\\Dalvon\\Backup\\notes.txt", "not a backup");
    files.setFile("D:\\Plant\\Dalvon\\Backup\\Dalvon-2026.mdb", "not one either");
    std::string first = MakeBackup(files, kComponent, "v0", kNoon);
    EXPECT_EQ(first.rfind("D:\\Plant\\Dalvon\\Backup\\Dalvon-", 0), 0u) << first;
    EXPECT_EQ(first.size(),
              std::string("D:\\Plant\\Dalvon\\Backup\\Dalvon-20261206-120000.mdb").size());
    EXPECT_EQ(MakeBackup(files, kComponent, "v0", kNoon), first);  // same bytes: no second copy
    for (int version = 1; version <= 11; ++version) {
        MakeBackup(files, kComponent, "v" + std::to_string(version), kNoon);  // -2 ... -12
    }
    std::vector<std::string> kept = ListBackups(files, kComponent);
    ASSERT_EQ(kept.size(), kKeptBackups);
    EXPECT_EQ(files.readFile("D:\\Plant\\Dalvon\\Backup\\" + kept.front()), "v2");
    EXPECT_EQ(files.readFile("D:\\Plant\\Dalvon\\Backup\\" + kept.back()), "v11");
    EXPECT_TRUE(files.fileExists("D:\\Plant\\Dalvon\\Backup\\notes.txt"));
    EXPECT_TRUE(files.fileExists("D:\\Plant\\Dalvon\\Backup\\Dalvon-2026.mdb"));
}

TEST(ComponentBackup, NoBackupMeansNoReplacement) {
    MemoryFileSystem memory;
    FaultyFileSystem files(memory);
    memory.setFile(kComponent, "previous");
    files.failWriteFileAtomic(true);
    std::string text;
    try {
        MakeBackup(files, kComponent, "previous", kNoon);
    } catch (const Fault& fault) {
        EXPECT_EQ(fault.number(), 75);
        text = fault.description();
    }
    EXPECT_NE(text.find("no backup of 'D:\\Plant\\Dalvon\\Dalvon.mdb' could be made in "
                        "'D:\\Plant\\Dalvon\\Backup' (Path/File access error:"),
              std::string::npos)
        << text;
    EXPECT_TRUE(ListBackups(files, kComponent).empty());
}

}  // namespace
}  // namespace dalvon
