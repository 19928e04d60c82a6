// The structural checker: sound files check clean, and each kind of damage it exists for is
// found in a copy damaged on purpose (a database made here, and the samples when present).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <random>

#include "platform/fault.h"
#include "store/jet/jet_catalog.h"
#include "store/jet/jet_check.h"
#include "store/jet/jet_index.h"
#include "store/jet/jet_table_storage.h"
#include "store/jet/jet_usage_map.h"
#include "store/jet/jet_writer.h"
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {
namespace {

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

jet::JetCheckReport checkBytes(const std::vector<uint8_t>& bytes) {
    return jet::checkJet(jet::JetFile(bytes, "copy.mdb"));
}

// A database made by this program: its catalog is a table with indexes and rows, "Items" one
// with rows and no index.
std::vector<uint8_t> madeDatabase() {
    TempDir dir;
    const fs::path file = newDatabase(dir);
    jet::JetWriter writer(file.string(), file.string());
    writer.createTable("Items", {{"Id", 4, 4}});
    for (int32_t id : {3, 1, 2})
        writer.appendRow("Items", {Variant::longValue(id)});
    writer.commit();
    return fileBytes(file);
}

// A copy of a file's bytes and the parsed original, with the places the damages aim at: the
// first user table that has an index with entries, else the catalog (whose row count is not
// checked: the first user table with rows stands in for it).
class Patient {
public:
    explicit Patient(std::vector<uint8_t> bytes)
        : m_bytes(std::move(bytes)), m_file(m_bytes, "original.mdb") {
        for (const auto& table : jet::readUserTables(m_file)) {
            auto storage = jet::readTableStorage(m_file, table.definitionPage, table.name);
            if (m_countedPage == 0 && storage.rowCount > 0)
                m_countedPage = table.definitionPage;
            if (!storage.indexes.empty() && storage.rowCount > 1) {
                m_tablePage = m_countedPage = table.definitionPage;
                m_storage = std::move(storage);
                return;
            }
        }
        m_tablePage = 2;
        m_storage = jet::readTableStorage(m_file, m_tablePage, "MSysObjects");
    }

    std::vector<uint8_t>& bytes() { return m_bytes; }
    const jet::JetFile& file() const { return m_file; }
    const jet::JetTableStorage& storage() const { return m_storage; }
    uint32_t countedPage() const { return m_countedPage; }
    size_t at(uint32_t page, size_t offset) const {
        return size_t{page} * m_file.pageSize() + offset;
    }
    size_t offsetOf(jet::Bytes span) const {
        return static_cast<size_t>(span.data() - m_file.page(0).data());
    }
    uint32_t firstDataPage() const {
        return jet::usageMapPages(m_file, m_storage.ownedPages, "table").front();
    }
    uint32_t firstLeaf() const {
        return jet::readIndexTree(m_file, m_storage.indexes[0].rootPage, "i").entryPages.front();
    }
    // Sets or clears the bit of `page` in the inline map at `map`.
    void markInMap(jet::RowPointer map, uint32_t page, bool marked = true) {
        const jet::Bytes row = m_file.row(map);
        ASSERT_EQ(row[0], 0) << "an inline map";
        const uint32_t bit = page - jet::readU32(m_file, row, 1);
        uint8_t& byte = m_bytes[offsetOf(row) + 5 + bit / 8];
        byte = static_cast<uint8_t>(marked ? byte | 1 << bit % 8 : byte & ~(1 << bit % 8));
    }
    void addToU16(size_t at, int delta) {
        const int value = (m_bytes[at] | m_bytes[at + 1] << 8) + delta;
        m_bytes[at] = static_cast<uint8_t>(value);
        m_bytes[at + 1] = static_cast<uint8_t>(value >> 8);
    }

private:
    std::vector<uint8_t> m_bytes;
    jet::JetFile m_file;
    uint32_t m_tablePage = 0;
    uint32_t m_countedPage = 0;
    jet::JetTableStorage m_storage;
};

// Forgets the last entry of the index's first leaf: its end bit goes, its bytes become free.
void dropLastEntry(Patient& p) {
    const uint32_t leaf = p.firstLeaf();
    const size_t bitmap = p.file().isJet4() ? 0x1B : 0x16;
    const size_t entries = p.file().isJet4() ? 0x1E0 : 0xF8;
    std::vector<size_t> ends;
    for (size_t bit = 0; bit < (entries - bitmap) * 8; ++bit) {
        if (p.bytes()[p.at(leaf, bitmap + bit / 8)] >> bit % 8 & 1)
            ends.push_back(bit);
    }
    ASSERT_GE(ends.size(), 2u);
    p.bytes()[p.at(leaf, bitmap + ends.back() / 8)] &=
        static_cast<uint8_t>(~(1 << ends.back() % 8));
    p.addToU16(p.at(leaf, 2), static_cast<int>(ends.back() - ends[ends.size() - 2]));
}

struct Damage {
    const char* what;
    std::function<void(Patient&)> apply;
    const char* expected;
};

const std::vector<Damage> kDamages = {
    {"a dropped index entry", dropLastEntry, "no entry for the row at"},
    {"an index page also in the table's data map",
     [](Patient& p) { p.markInMap(p.storage().ownedPages, p.storage().indexes[0].rootPage); },
     "owned twice"},
    {"a wrong row count",
     [](Patient& p) { p.bytes()[p.at(p.countedPage(), p.file().isJet4() ? 16 : 12)] += 1; },
     "row count"},
    {"a wrong free-space value", [](Patient& p) { p.addToU16(p.at(p.firstDataPage(), 2), -2); },
     "free space stated as"},
    {"a wrong back pointer", [](Patient& p) { p.bytes()[p.at(p.firstDataPage(), 4)] ^= 0x40; },
     "names table definition page"},
    {"a data page its table's map lost",
     [](Patient& p) { p.markInMap(p.storage().ownedPages, p.firstDataPage(), false); },
     "that none of its maps owns"},
    {"an owned page marked free",
     [](Patient& p) {
         p.markInMap({1, 0}, p.firstDataPage());
     },
     "marked free in the global usage map"},
    {"a wrong key",
     [](Patient& p) { p.bytes()[p.at(p.firstLeaf(), p.file().isJet4() ? 0x1E0 : 0xF8) + 4] ^= 1; },
     "has key"},
};

// The file checks clean, each damage is found, and random bytes anywhere but the header give
// problems or Fault 3343, never a crash or a hang.
void expectEachDamageFound(const std::vector<uint8_t>& sound) {
    EXPECT_EQ(joined(checkBytes(sound).problems), "");
    for (const Damage& damage : kDamages) {
        SCOPED_TRACE(damage.what);
        Patient patient(sound);
        damage.apply(patient);
        const auto problems = checkBytes(patient.bytes()).problems;
        EXPECT_NE(joined(problems).find(damage.expected), std::string::npos) << joined(problems);
    }
    std::mt19937 random(20261206);
    for (int round = 0; round < 150; ++round) {
        auto bytes = sound;
        for (int i = 0; i < 1 + round % 12; ++i) {
            std::uniform_int_distribution<size_t> at(4096, bytes.size() - 1);
            bytes[at(random)] = static_cast<uint8_t>(random());
        }
        try {
            checkBytes(bytes);
        } catch (const Fault& fault) {
            EXPECT_EQ(fault.number(), 3343) << fault.description();
        }
    }
}

TEST(JetCheck, EachDamageIsFoundInAMadeDatabase) {
    const auto sound = madeDatabase();
    const auto report = checkBytes(sound);
    EXPECT_EQ(joined(report.notChecked), "");
    EXPECT_EQ(report.tables, 5u);
    EXPECT_EQ(report.leakedPages, 0u);
    expectEachDamageFound(sound);
}

// Access's own files, built when the sample folder is present.
#ifdef DALVON_HAVE_JET_SAMPLES
TEST(JetCheck, EverySampleChecksCleanAndEachDamageIsFoundInJet4AndJet3) {
    for (const auto& path : sampleFiles()) {
        SCOPED_TRACE(path.filename().string());
        EXPECT_EQ(joined(jet::checkJetFile(path.string())), "");
    }
    // Access leaves pages behind that nothing owns; they are counted, not reported.
    EXPECT_GT(jet::checkJetFileReport(sample("testV2000.mdb").string()).leakedPages, 0u);
    for (const char* name : {"compIndexTestV2000.mdb", "compIndexTestV1997.mdb"}) {
        SCOPED_TRACE(name);
        expectEachDamageFound(fileBytes(sample(name)));
    }
}
#endif

TEST(JetCheck, TheCommandExitsWithTheCheckResult) {
    TempDir dir;
    const fs::path sound = newDatabase(dir, "sound.mdb");
    const fs::path damaged = dir.path() / "damaged.mdb";
    const fs::path foreign = dir.path() / "notes.mdb";
    Patient patient(fileBytes(sound));
    kDamages[0].apply(patient);
    saveBytes(damaged, patient.bytes());
    saveBytes(foreign, {'h', 'e', 'l', 'l', 'o'});
    const auto run = [&](const std::string& arguments, const std::string& err) {
        const std::string command =
            shellQuote(DALVON_DB_TOOL) + " check " + arguments + " 2>" + err + "; echo \" $?\"";
        return runCommand(command);
    };
    const std::string clean = run(shellQuote(sound.string()), "&1");
    EXPECT_EQ(clean.rfind("OK: ", 0), 0u) << clean;
    EXPECT_TRUE(clean.ends_with(" 0\n")) << clean;
    const std::string bad = run(shellQuote(damaged.string()), "&1");
    EXPECT_NE(bad.find("table 'MSysObjects', index '"), std::string::npos) << bad;
    EXPECT_TRUE(bad.ends_with(" 1\n")) << bad;
    const std::string other = run(shellQuote(foreign.string()), "&1");
    EXPECT_NE(other.find("no Jet 3 or Jet 4 signature"), std::string::npos) << other;
    EXPECT_TRUE(other.ends_with(" 1\n")) << other;
    EXPECT_EQ(run("", "/dev/null"), " 2\n");
}

}  // namespace
}  // namespace dalvon::jet_test
