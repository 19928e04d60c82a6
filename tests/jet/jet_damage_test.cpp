// Damaged and hostile files: the structural checker finds each kind of damage it exists for,
// and reading gives Fault 3343 (or reads), never a crash, a hang or a read outside the buffer.
// Damage is done to copies of a database this program makes (and, where the sample folder is
// present, of Access's samples).
#include <gtest/gtest.h>

#include <random>

#include "platform/fault.h"
#include "store/jet/reader/jet_catalog.h"
#include "store/jet/check/jet_check.h"
#include "store/jet/reader/jet_index.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/reader/jet_table_storage.h"
#include "store/jet/reader/jet_usage_map.h"
#include "store/jet/writer/jet_writer.h"
#include "tests/jet/jet_image.h"
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

// Reads every table of the file completely; the fault it gave, or number 0 when it read.
Fault readEverything(const fs::path& path) {
    try {
        auto db = openJet(path);
        for (const auto& table : db->tableNames()) {
            db->tableFields(table);
            readAll(*db, table);
        }
    } catch (const Fault& fault) {
        return fault;
    }
    return Fault(0, "", "read");
}

// A database made from nothing with the writer: "Wide" has a definition over two pages,
// "Notes" holds hundreds of pages of rows with Memo values inline, on one long-value page and
// chained, and rows that grew and moved (overflow rows); the catalog has indexes.
const std::vector<uint8_t>& madeDatabase() {
    static const std::vector<uint8_t> bytes = [] {
        TempDir dir;
        const fs::path file = newDatabase(dir);
        jet::JetWriter writer(file.string());
        std::vector<FieldDef> wide;
        for (int i = 0; i < 40; ++i)
            wide.push_back({"Field_" + std::to_string(i) + std::string(52, 'x'), 10, 10});
        writer.createTable("Wide", wide);
        writer.createTable("Notes", {{"Nr", 4, 4}, {"Name", 10, 100}, {"Notes", 12, 0}});
        std::vector<uint32_t> ids;
        for (int32_t n = 0; n < 600; ++n) {
            const size_t length = n % 3 == 0 ? 10 : n % 3 == 1 ? 1500 : 9000;
            ids.push_back(writer.appendRow(
                "Notes", {Variant::longValue(n), Variant::string("n"),
                          Variant::string(std::string(length, static_cast<char>('a' + n % 26)))}));
        }
        for (size_t i = 1; i < ids.size(); i += 5)
            writer.updateRow("Notes", ids[i], {{1, Variant::string(std::string(100, 'w'))}});
        writer.commit();
        return fileBytes(file);
    }();
    return bytes;
}

// A copy of a database in a temp folder and the parsed original, with the places the damages
// aim at: the first user table that has an index with entries, else the catalog (whose row count
// is not checked: the first user table with rows stands in for it).
class DamagedCopy {
public:
    DamagedCopy(const std::string& name, std::vector<uint8_t> bytes)
        : m_path(m_temp.path() / name), m_bytes(std::move(bytes)), m_file(m_bytes, name) {
        for (const auto& table : jet::readUserTables(m_file)) {
            auto storage = jet::readTableStorage(m_file, table.definitionPage, table.name);
            if (m_countedPage == 0 && storage.rowCount > 0)
                m_countedPage = table.definitionPage;
            if (!storage.indexes.empty() && storage.rowCount > 1) {
                m_countedPage = table.definitionPage;
                m_storage = std::move(storage);
                return;
            }
        }
        m_storage = jet::readTableStorage(m_file, 2, "MSysObjects");
    }
    static DamagedCopy made() { return DamagedCopy("made.mdb", madeDatabase()); }

    const jet::JetFile& original() const { return m_file; }
    std::vector<uint8_t>& bytes() { return m_bytes; }
    const jet::JetTableStorage& storage() const { return m_storage; }
    uint32_t countedPage() const { return m_countedPage; }
    size_t at(uint32_t page, size_t offset) const {
        return size_t{page} * m_file.pageSize() + offset;
    }
    // Position in the file of a span of the parsed original.
    size_t offsetOf(jet::Bytes span) const {
        return static_cast<size_t>(span.data() - m_file.page(0).data());
    }
    uint32_t firstDataPage() const {
        return jet::usageMapPages(m_file, m_storage.ownedPages, "table").front();
    }
    uint32_t firstLeaf() const {
        return jet::readIndexTree(m_file, m_storage.indexes[0].rootPage, "i").entryPages.front();
    }
    jet::JetTableDef table(const std::string& name) const {
        for (const auto& t : jet::readUserTables(m_file)) {
            if (t.name == name)
                return jet::readTableDef(m_file, t.definitionPage, name);
        }
        throw std::runtime_error("no table " + name);
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
    Fault read() {
        saveBytes(m_path, m_bytes);
        return readEverything(m_path);
    }
    const fs::path& save() {
        saveBytes(m_path, m_bytes);
        return m_path;
    }

private:
    TempDir m_temp;
    fs::path m_path;
    std::vector<uint8_t> m_bytes;
    jet::JetFile m_file;
    uint32_t m_countedPage = 0;
    jet::JetTableStorage m_storage;
};

// Forgets the last entry of the index's first leaf: its end bit goes, its bytes become free.
void dropLastEntry(DamagedCopy& p) {
    const uint32_t leaf = p.firstLeaf();
    const size_t bitmap = p.original().isJet4() ? 0x1B : 0x16;
    const size_t entries = p.original().isJet4() ? 0x1E0 : 0xF8;
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
    std::function<void(DamagedCopy&)> apply;
    const char* expected;
};

const std::vector<Damage> kDamages = {
    {"a dropped index entry", dropLastEntry, "no entry for the row at"},
    {"an index page also in the table's data map",
     [](DamagedCopy& p) { p.markInMap(p.storage().ownedPages, p.storage().indexes[0].rootPage); },
     "owned twice"},
    {"a wrong row count",
     [](DamagedCopy& p) { p.bytes()[p.at(p.countedPage(), p.original().isJet4() ? 16 : 12)] += 1; },
     "row count"},
    {"a catalog row count a delete forgot to lower",
     [](DamagedCopy& p) { p.bytes()[p.at(2, p.original().isJet4() ? 16 : 12)] += 1; },
     "table 'MSysObjects', definition page 2: row count"},
    {"a wrong free-space value", [](DamagedCopy& p) { p.addToU16(p.at(p.firstDataPage(), 2), -2); },
     "free space stated as"},
    {"a wrong back pointer", [](DamagedCopy& p) { p.bytes()[p.at(p.firstDataPage(), 4)] ^= 0x40; },
     "names table definition page"},
    {"a data page its table's map lost",
     [](DamagedCopy& p) { p.markInMap(p.storage().ownedPages, p.firstDataPage(), false); },
     "that none of its maps owns"},
    {"an owned page marked free",
     [](DamagedCopy& p) {
         p.markInMap({1, 0}, p.firstDataPage());
     },
     "marked free in the global usage map"},
    {"a wrong key",
     [](DamagedCopy& p) {
         p.bytes()[p.at(p.firstLeaf(), p.original().isJet4() ? 0x1E0 : 0xF8) + 4] ^= 1;
     },
     "has key"},
};

// The file checks clean and each damage is found.
void expectEachDamageFound(const std::string& name, const std::vector<uint8_t>& sound) {
    EXPECT_EQ(joined(checkBytes(sound).problems), "");
    for (const Damage& damage : kDamages) {
        SCOPED_TRACE(damage.what);
        DamagedCopy copy(name, sound);
        damage.apply(copy);
        const auto problems = checkBytes(copy.bytes()).problems;
        EXPECT_NE(joined(problems).find(damage.expected), std::string::npos) << joined(problems);
    }
}

TEST(JetCheck, EachDamageIsFoundInAMadeDatabase) {
    const auto sound = madeDatabase();
    const auto report = checkBytes(sound);
    EXPECT_EQ(joined(report.notChecked), "");
    EXPECT_EQ(report.tables, 6u);
    EXPECT_EQ(report.leakedPages, 0u);
    expectEachDamageFound("made.mdb", sound);
}

// Access's own files, built when the sample folder is present.
#ifdef DALVON_HAVE_JET_SAMPLES
TEST(JetCheck, EverySampleChecksCleanAndEachDamageIsFoundInJet4AndJet3) {
    // Every key is checked: none holds a character or order whose keys are not known here.
    for (const auto& path : sampleFiles()) {
        SCOPED_TRACE(path.filename().string());
        const auto report = jet::checkJetFileReport(path.string());
        EXPECT_EQ(joined(report.problems), "");
        EXPECT_EQ(joined(report.notChecked), "");
    }
    // Access leaves pages behind that nothing owns; they are counted, not reported.
    EXPECT_GT(jet::checkJetFileReport(sample("testV2000.mdb").string()).leakedPages, 0u);
    for (const char* name : {"compIndexTestV2000.mdb", "compIndexTestV1997.mdb"}) {
        SCOPED_TRACE(name);
        expectEachDamageFound(name, fileBytes(sample(name)));
    }
}
#endif

TEST(JetCheck, TheCommandExitsWithTheCheckResult) {
    DamagedCopy sound = DamagedCopy::made();
    DamagedCopy damaged = DamagedCopy::made();
    kDamages[0].apply(damaged);
    DamagedCopy foreign("notes.mdb", madeDatabase());
    foreign.bytes() = {'h', 'e', 'l', 'l', 'o'};
    const auto run = [&](const std::string& arguments, const std::string& err) {
        const std::string command =
            shellQuote(DALVON_DB_TOOL) + " check " + arguments + " 2>" + err + "; echo \" $?\"";
        return runCommand(command);
    };
    const std::string clean = run(shellQuote(sound.save().string()), "&1");
    EXPECT_EQ(clean.rfind("OK: ", 0), 0u) << clean;
    EXPECT_TRUE(clean.ends_with(" 0\n")) << clean;
    const std::string bad = run(shellQuote(damaged.save().string()), "&1");
    EXPECT_NE(bad.find("table 'MSysObjects', index '"), std::string::npos) << bad;
    EXPECT_TRUE(bad.ends_with(" 1\n")) << bad;
    const std::string other = run(shellQuote(foreign.save().string()), "&1");
    EXPECT_NE(other.find("no Jet 3 or Jet 4 signature"), std::string::npos) << other;
    EXPECT_TRUE(other.ends_with(" 1\n")) << other;
    EXPECT_EQ(run("", "/dev/null"), " 2\n");
}

void putLe16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    std::copy_n(le16(value).begin(), 2, bytes.begin() + static_cast<long>(at));
}

void putLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    std::copy_n(le32(value).begin(), 4, bytes.begin() + static_cast<long>(at));
}

// The made database, and with the sample folder a Jet 3 and a Jet 4 file of Access's.
TEST(JetDamage, TruncatedFilesGiveFault3343OrReadWhatIsThere) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> patients = {
        {"made.mdb", madeDatabase()}};
    for (const char* name : {"test2V1997.mdb", "overflowTestV2003.mdb"}) {
        if (haveSamples())
            patients.emplace_back(name, fileBytes(sample(name)));
    }
    for (const auto& [name, whole] : patients) {
        SCOPED_TRACE(name);
        DamagedCopy copy(name, whole);
        const size_t page = copy.original().pageSize();
        for (size_t length :
             {size_t{0}, size_t{20}, size_t{100}, page - 1, 2 * page, 3 * page - 7}) {
            copy.bytes().assign(whole.begin(), whole.begin() + static_cast<long>(length));
            EXPECT_EQ(copy.read().number(), 3343) << length;
        }
        for (size_t length = 3 * page; length < whole.size(); length += page * 7 / 2) {
            copy.bytes().assign(whole.begin(), whole.begin() + static_cast<long>(length));
            const int number = copy.read().number();
            EXPECT_TRUE(number == 0 || number == 3343) << length << ": " << number;
        }
    }
}

// The rows of every data page whose page bytes and slot flags `wanted` accepts.
std::vector<jet::RowPointer> rowsWhere(const jet::JetFile& file,
                                       const std::function<bool(jet::Bytes, uint16_t)>& wanted) {
    std::vector<jet::RowPointer> rows;
    for (uint32_t p = 3; p < file.pageCount(); ++p) {
        const auto page = file.page(p);
        for (uint16_t slot = 0; page[0] == 0x01 && slot < file.rowCount(page); ++slot) {
            if (wanted(page, file.rowSlot(page, slot)))
                rows.push_back({p, static_cast<uint8_t>(slot)});
        }
    }
    return rows;
}

TEST(JetDamage, TargetedDamageIsDetected) {
    struct Case {
        const char* detail;
        std::function<void(DamagedCopy&, const jet::JetFile&)> damage;
    };
    const auto firstNotesPage = [](const DamagedCopy& copy) {
        return jet::usageMapPages(copy.original(), copy.table("Notes").ownedPages, "t").front();
    };
    const std::vector<Case> cases = {
        {"loops over its pages",
         [](DamagedCopy& copy, const jet::JetFile& file) {
             const auto wide = copy.table("Wide");
             const uint32_t next = jet::readU32(file, file.page(wide.page), 4);
             ASSERT_NE(next, 0u);
             putLe32(copy.bytes(), copy.at(next, 4), wide.page);
         }},
        {"chain loops",  // every chained long-value piece points at itself
         [](DamagedCopy& copy, const jet::JetFile& file) {
             const auto lval = [](jet::Bytes page, uint16_t) {
                 return std::string(page.begin() + 4, page.begin() + 8) == "LVAL";
             };
             int changed = 0;
             for (const jet::RowPointer at : rowsWhere(file, lval)) {
                 const auto next = jet::readRowPointer(file, file.row(at), 0);
                 if (next.page != 0 && next.page < file.pageCount()) {
                     putLe32(copy.bytes(), copy.offsetOf(file.row(at)), at.page << 8 | at.row);
                     ++changed;
                 }
             }
             ASSERT_GT(changed, 0);
         }},
        {"beyond the end of the file",
         [](DamagedCopy& copy, const jet::JetFile& file) {
             putLe32(copy.bytes(), copy.offsetOf(file.row(copy.table("Notes").ownedPages)) + 1,
                     0x00FFFF00);
         }},
        {"beyond the end of the file",  // overflow rows pointing past the end
         [](DamagedCopy& copy, const jet::JetFile& file) {
             const auto moved = rowsWhere(
                 file, [](jet::Bytes, uint16_t flags) { return (flags & 0xC000) == 0x4000; });
             ASSERT_FALSE(moved.empty()) << "the made database has overflow rows";
             for (const jet::RowPointer at : moved)
                 putLe32(copy.bytes(), copy.offsetOf(file.row(at)), 0xFFFFFF00);
         }},
        {"lies outside its page",
         [&](DamagedCopy& copy, const jet::JetFile&) {
             putLe16(copy.bytes(), copy.at(firstNotesPage(copy), 14), 0x1FFF);
         }},
        {"outside its row",  // a row's variable-offset table: its end offset points past the row
         [&](DamagedCopy& copy, const jet::JetFile& file) {
             const auto row = file.row({firstNotesPage(copy), 0});
             const size_t eodAt = row.size() - 1 - 4 - 2 * jet::readU16(file, row, row.size() - 3);
             putLe16(copy.bytes(), copy.offsetOf(row) + eodAt, 0xFFF0);
         }},
        {"encoded", [](DamagedCopy& copy, const jet::JetFile&) { copy.bytes()[0x3E] ^= 0x5A; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.detail);
        DamagedCopy copy = DamagedCopy::made();
        c.damage(copy, copy.original());
        const Fault fault = copy.read();
        EXPECT_EQ(fault.number(), 3343) << fault.description();
        EXPECT_NE(fault.description().find("Unrecognized database format '"), std::string::npos);
        EXPECT_NE(fault.description().find(c.detail), std::string::npos) << fault.description();
    }
}

// Random bytes over every page but the header: reading and checking end in a result or Fault
// 3343, never a crash or a hang.
TEST(JetDamage, RandomlyDamagedPagesNeverCrashTheReaderOrTheCheck) {
    std::mt19937 random(20240611);
    std::vector<std::pair<std::string, std::vector<uint8_t>>> patients = {
        {"made.mdb", madeDatabase()}};
    for (const auto& path : sampleFiles())
        patients.emplace_back(path.filename().string(), fileBytes(path));
    for (const auto& [name, whole] : patients) {
        SCOPED_TRACE(name);
        const size_t page = whole[0x14] == 1 ? 4096 : 2048;
        for (int round = 0; round < 40; ++round) {
            auto bytes = whole;
            for (int i = 0; i < 1 + round; ++i) {
                std::uniform_int_distribution<size_t> at(page, bytes.size() - 1);
                bytes[at(random)] = static_cast<uint8_t>(random());
            }
            try {
                jet::JetFile file(bytes, name);
                for (const auto& t : jet::readUserTables(file)) {
                    jet::readTableRows(file, jet::readTableDef(file, t.definitionPage, t.name));
                }
            } catch (const Fault& fault) {
                EXPECT_EQ(fault.number(), 3343) << fault.description();
            }
            try {
                checkBytes(bytes);
            } catch (const Fault& fault) {
                EXPECT_EQ(fault.number(), 3343) << fault.description();
            }
        }
    }
}

}  // namespace
}  // namespace dalvon::jet_test
