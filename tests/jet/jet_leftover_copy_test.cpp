// Temp copies that a commit killed midway leaves beside a database: the next writer in that
// folder removes those of ended processes and keeps those still in use.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "platform/posix_files.h"
#include "store/jet/check/jet_check.h"
#include "store/jet/writer/jet_create.h"
#include "store/jet/writer/jet_writer.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

namespace fs = std::filesystem;

// The names in a folder.
std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string nameOf(const std::string& path) {
    return fs::path(path).filename().string();
}

// A process id that no process has: a child that has ended and been reaped.
long deadPid() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

class JetLeftoverCopies : public ::testing::Test {
protected:
    JetLeftoverCopies() : m_file(m_dir.path() / "Presets.mdb") {
        jet::createDatabase(m_file.string());
    }

    void placeCopy(const std::string& path) { std::ofstream(path) << "left over"; }

    TempDir m_dir;
    fs::path m_file;
};

TEST_F(JetLeftoverCopies, OpeningAWriterRemovesCopiesOfEndedProcessesOnly) {
    const std::string host = m_file.string();
    const long dead = deadPid();
    struct Row {
        std::string path;
        bool removed;
    };
    const std::vector<Row> rows = {
        {posix::tempPathFor(host, dead, 3), true},
        {posix::tempPathFor(host, getpid(), 4), false},  // a commit of this process
        {posix::tempPathFor((m_dir.path() / "Other.mdb").string(), dead, 1), true},
        {posix::tempPathFor((m_dir.path() / "Other.mdb").string(), getpid(), 1), false},
        {(m_dir.path() / "notes.tmp1.1").string(), false},  // not the program's naming
    };
    for (const Row& row : rows)
        placeCopy(row.path);
    ASSERT_EQ(namesIn(m_dir.path()).size(), rows.size() + 1);

    {
        jet::JetWriter writer(host);
        writer.createTable("T", {{"a", 4, 4}});
        writer.commit();
    }
    std::set<std::string> expected = {nameOf(host)};
    for (const Row& row : rows) {
        if (!row.removed)
            expected.insert(nameOf(row.path));
    }
    EXPECT_EQ(namesIn(m_dir.path()), expected);
    EXPECT_EQ(jet::checkJetFile(host), std::vector<std::string>{});
}

}  // namespace
}  // namespace dalvon::jet_test
