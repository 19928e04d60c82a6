// The structural checker: sound files check clean, and each kind of damage it exists for is
// found in a copy damaged on purpose (a tiny database built here, and the samples when present).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <fstream>
#include <functional>
#include <random>

#include "platform/fault.h"
#include "store/jet/jet_catalog.h"
#include "store/jet/jet_check.h"
#include "store/jet/jet_index.h"
#include "store/jet/jet_index_key.h"
#include "store/jet/jet_table_storage.h"
#include "store/jet/jet_usage_map.h"
#include "tests/jet/jet_samples.h"
#include "tests/jet/jet_tiny_database.h"

namespace dalvon::jet_test {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> load(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void save(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

jet::JetCheckReport checkBytes(const std::vector<uint8_t>& bytes) {
    return jet::checkJet(jet::JetFile(bytes, "copy.mdb"));
}

// A copy of a file's bytes and the parsed original, with the places the damages aim at: the
// first user table that has an index with entries.
class Patient {
public:
    explicit Patient(std::vector<uint8_t> bytes)
        : m_bytes(std::move(bytes)), m_file(m_bytes, "original.mdb") {
        for (const auto& table : jet::readUserTables(m_file)) {
            auto storage = jet::readTableStorage(m_file, table.definitionPage, table.name);
            if (!storage.indexes.empty() && storage.rowCount > 1) {
                m_tablePage = table.definitionPage;
                m_storage = std::move(storage);
                return;
            }
        }
        throw std::runtime_error("no indexed table with rows");
    }

    std::vector<uint8_t>& bytes() { return m_bytes; }
    const jet::JetFile& file() const { return m_file; }
    const jet::JetTableStorage& storage() const { return m_storage; }
    uint32_t tablePage() const { return m_tablePage; }
    size_t at(uint32_t page, size_t offset) const {
        return size_t{page} * m_file.pageSize() + offset;
    }
    size_t offsetOf(jet::Bytes span) const {
        return static_cast<size_t>(span.data() - m_file.page(0).data());
    }
    uint32_t firstDataPage() const {
        return jet::usageMapPages(m_file, m_storage.ownedPages, "table").front();
    }
    // Sets or clears the bit of `page` in the inline map at `map`.
    void markInMap(jet::RowPointer map, uint32_t page, bool marked = true) {
        const jet::Bytes row = m_file.row(map);
        ASSERT_EQ(row[0], 0) << "an inline map";
        const uint32_t bit = page - jet::readU32(m_file, row, 1);
        uint8_t& byte = m_bytes[offsetOf(row) + 5 + bit / 8];
        byte = static_cast<uint8_t>(marked ? byte | 1 << bit % 8 : byte & ~(1 << bit % 8));
    }

private:
    std::vector<uint8_t> m_bytes;
    jet::JetFile m_file;
    uint32_t m_tablePage = 0;
    jet::JetTableStorage m_storage;
};

void addToU16(std::vector<uint8_t>& bytes, size_t at, int delta) {
    const int value = (bytes[at] | bytes[at + 1] << 8) + delta;
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

// Forgets the last entry of the index's last leaf: its end bit goes, its bytes become free.
void dropLastEntry(Patient& p) {
    const auto tree = jet::readIndexTree(p.file(), p.storage().indexes[0].rootPage, "index");
    const uint32_t leaf = tree.entryPages.back();
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
    addToU16(p.bytes(), p.at(leaf, 2), static_cast<int>(ends.back() - ends[ends.size() - 2]));
}

struct Damage {
    const char* what;
    std::function<void(Patient&)> apply;
    const char* expected;
};

const std::vector<Damage>& damages() {
    static const std::vector<Damage> kDamages = {
        {"a dropped index entry", dropLastEntry, "no entry for the row at"},
        {"an index page also in the table's data map",
         [](Patient& p) { p.markInMap(p.storage().ownedPages, p.storage().indexes[0].rootPage); },
         "owned twice"},
        {"a wrong row count",
         [](Patient& p) { p.bytes()[p.at(p.tablePage(), p.file().isJet4() ? 16 : 12)] += 1; },
         "row count"},
        {"a wrong free-space value",
         [](Patient& p) { addToU16(p.bytes(), p.at(p.firstDataPage(), 2), -2); },
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
         [](Patient& p) {
             const auto tree = jet::readIndexTree(p.file(), p.storage().indexes[0].rootPage, "i");
             const auto page = p.file().page(tree.entryPages.front());
             p.bytes()[p.offsetOf(page) + (p.file().isJet4() ? 0x1E0 : 0xF8) + 4] ^= 0x01;
         },
         "has key"},
    };
    return kDamages;
}

void expectEachDamageFound(const std::vector<uint8_t>& sound) {
    for (const Damage& damage : damages()) {
        SCOPED_TRACE(damage.what);
        Patient patient(sound);
        damage.apply(patient);
        const auto problems = checkBytes(patient.bytes()).problems;
        EXPECT_NE(joined(problems).find(damage.expected), std::string::npos) << joined(problems);
    }
}

TEST(JetCheck, TheTinyDatabaseChecksCleanAndEachDamageIsFound) {
    const auto sound = tinyJet4Database();
    const auto report = checkBytes(sound);
    EXPECT_TRUE(report.problems.empty()) << joined(report.problems);
    EXPECT_TRUE(report.notChecked.empty()) << joined(report.notChecked);
    EXPECT_EQ(report.tables, 2u);
    EXPECT_EQ(report.indexes, 1u);
    EXPECT_EQ(report.leakedPages, 0u);
    expectEachDamageFound(sound);
}

// Access's own files, built when the sample folder is present.
#ifdef DALVON_HAVE_JET_SAMPLES
TEST(JetCheck, EverySampleChecksClean) {
    for (const auto& path : sampleFiles()) {
        SCOPED_TRACE(path.filename().string());
        EXPECT_EQ(joined(jet::checkJetFile(path.string())), "");
    }
    // Access leaves pages behind that nothing owns; they are counted, not reported.
    EXPECT_GT(jet::checkJetFileReport(sample("testV2000.mdb").string()).leakedPages, 0u);
}

TEST(JetCheck, EachDamageIsFoundInJet4AndJet3Samples) {
    for (const char* name : {"compIndexTestV2000.mdb", "compIndexTestV1997.mdb"}) {
        SCOPED_TRACE(name);
        expectEachDamageFound(load(sample(name)));
    }
}
#endif

// Random bytes anywhere but the header: the check reports problems or Fault 3343, never crashes
// or hangs.
TEST(JetCheck, RandomDamageNeverCrashesTheCheck) {
    std::vector<std::vector<uint8_t>> files = {tinyJet4Database()};
    if (haveSamples())
        files.push_back(load(sample("compIndexTestV2000.mdb")));
    std::mt19937 random(20261206);
    for (const auto& whole : files) {
        for (int round = 0; round < 150; ++round) {
            auto bytes = whole;
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
}

TEST(JetCheck, KeysEncodeAsRealIndexesStoreThem) {
    using jet::KeyColumn;
    const uint32_t general = 0x0409;
    struct Case {
        KeyColumn column;
        Variant value;
        std::vector<uint8_t> key;  // empty: not covered
    };
    // The first four as index pages of the samples hold them.
    const std::vector<Case> cases = {
        {{0x04, true, 0}, Variant::longValue(2), {0x7F, 0x80, 0x00, 0x00, 0x02}},
        {{0x04, false, 0}, Variant::longValue(19), {0x80, 0x7F, 0xFF, 0xFF, 0xEC}},
        {{0x04, false, 0}, Variant::null(), {0xFF}},
        {{0x0A, true, general},
         Variant::string("DataAccessPages"),
         {0x7F, 0x4F, 0x4A, 0x6D, 0x4A, 0x4A, 0x4D, 0x4D, 0x51, 0x6B, 0x6B, 0x66, 0x4A, 0x55, 0x51,
          0x6B, 0x01, 0x00}},
        {{0x07, true, 0},
         Variant::doubleValue(-1.0),
         {0x7F, 0x40, 0x0F, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}},
        {{0x0A, true, general}, Variant::string("~TMP"), {}},
        {{0x0A, true, 0x04E40409}, Variant::string("Tables"), {}},
        {{0x0A, false, general}, Variant::string("Tables"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value.toTextOrEmpty());
        const auto key = jet::encodeIndexKey({c.column}, {c.value});
        EXPECT_EQ(key.value_or(std::vector<uint8_t>{}), c.key);
    }
}

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

ToolRun runTool(const TempDir& dir, const std::string& arguments) {
    const fs::path out = dir.path() / "out.txt";
    const fs::path err = dir.path() / "err.txt";
    const std::string command = shellQuote(DALVON_DB_TOOL) + " " + arguments + " >" +
                                shellQuote(out.string()) + " 2>" + shellQuote(err.string());
    const int raw = std::system(command.c_str());
    const auto text = [](const fs::path& path) {
        const auto bytes = load(path);
        return std::string(bytes.begin(), bytes.end());
    };
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text(out), text(err)};
}

TEST(JetCheck, TheCommandExitsWithTheCheckResult) {
    TempDir dir;
    const fs::path sound = dir.path() / "sound.mdb";
    const fs::path damaged = dir.path() / "damaged.mdb";
    const fs::path foreign = dir.path() / "notes.mdb";
    save(sound, tinyJet4Database());
    Patient patient(tinyJet4Database());
    damages()[0].apply(patient);
    save(damaged, patient.bytes());
    save(foreign, {'h', 'e', 'l', 'l', 'o'});

    const ToolRun clean = runTool(dir, "check " + shellQuote(sound.string()));
    EXPECT_EQ(clean.status, 0) << clean.err;
    EXPECT_EQ(clean.out.rfind("OK: ", 0), 0u) << clean.out;

    const ToolRun bad = runTool(dir, "check " + shellQuote(damaged.string()));
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.out.find("table 'Items', index 'PrimaryKey'"), std::string::npos) << bad.out;

    const ToolRun other = runTool(dir, "check " + shellQuote(foreign.string()));
    EXPECT_EQ(other.status, 1);
    EXPECT_NE(other.err.find("no Jet 3 or Jet 4 signature"), std::string::npos) << other.err;
    EXPECT_EQ(runTool(dir, "check").status, 2);
}

}  // namespace
}  // namespace dalvon::jet_test
