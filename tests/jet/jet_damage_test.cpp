// Damaged and hostile files: each gives Fault 3343 (or reads), never a crash, a hang or a read
// outside the buffer. Targeted damage is done on copies of the samples in a temp folder.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

#include "platform/fault.h"
#include "store/jet/jet_catalog.h"
#include "store/jet/jet_row.h"
#include "store/store_backend.h"
#include "tests/jet/jet_image.h"
#include "tests/jet/jet_samples.h"

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

// Reads every table of the file completely; the fault it gave, or number 0 when it read.
Fault readEverything(const fs::path& path) {
    try {
        auto db = makeJetBackend()->open(path.string(), path.string());
        for (const auto& table : db->tableNames()) {
            db->tableFields(table);
            readAll(*db, table);
        }
    } catch (const Fault& fault) {
        return fault;
    }
    return Fault(0, "", "read");
}

// A copy of a sample in a temp folder, damaged by `damage` (given the bytes and the parsed
// original), and what reading it gives.
class DamagedCopy {
public:
    explicit DamagedCopy(const std::string& name)
        : m_path(m_temp.path() / name), m_bytes(load(sample(name))), m_file(m_bytes, name) {}

    const jet::JetFile& original() const { return m_file; }
    std::vector<uint8_t>& bytes() { return m_bytes; }
    // Position in the file of a span of the parsed original.
    size_t offsetOf(jet::Bytes span) const {
        return static_cast<size_t>(span.data() - m_file.page(0).data());
    }
    jet::JetTableDef table(const std::string& name) const {
        for (const auto& t : jet::readUserTables(m_file)) {
            if (t.name == name)
                return jet::readTableDef(m_file, t.definitionPage, name);
        }
        throw std::runtime_error("no table " + name);
    }
    Fault read() {
        save(m_path, m_bytes);
        return readEverything(m_path);
    }

private:
    TempDir m_temp;
    fs::path m_path;
    std::vector<uint8_t> m_bytes;
    jet::JetFile m_file;
};

void putLe16(std::vector<uint8_t>& bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void putLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

void expectDamaged(const Fault& fault, const std::string& detail) {
    EXPECT_EQ(fault.number(), 3343) << fault.description();
    EXPECT_NE(fault.description().find("Unrecognized database format '"), std::string::npos);
    EXPECT_NE(fault.description().find(detail), std::string::npos) << fault.description();
}

TEST(JetDamage, TruncatedFilesGiveFault3343OrReadWhatIsThere) {
    DALVON_REQUIRE_SAMPLES();
    for (const char* name : {"test2V2000.mdb", "test2V1997.mdb", "overflowTestV2003.mdb"}) {
        SCOPED_TRACE(name);
        DamagedCopy copy(name);
        const auto whole = copy.bytes();
        const size_t page = copy.original().pageSize();
        for (size_t length :
             {size_t{0}, size_t{20}, size_t{100}, page - 1, 2 * page, 3 * page - 7}) {
            copy.bytes().assign(whole.begin(), whole.begin() + static_cast<long>(length));
            EXPECT_EQ(copy.read().number(), 3343) << length;
        }
        for (size_t length = 3 * page; length < whole.size(); length += page / 2) {
            copy.bytes().assign(whole.begin(), whole.begin() + static_cast<long>(length));
            const int number = copy.read().number();
            EXPECT_TRUE(number == 0 || number == 3343) << length << ": " << number;
        }
    }
}

TEST(JetDamage, LoopingDefinitionPagesAreDetected) {
    DALVON_REQUIRE_SAMPLES();
    DamagedCopy copy("testV2000.mdb");
    const auto table2 = copy.table("Table2");
    const uint32_t next = jet::readU32(copy.original(), copy.original().page(table2.page), 4);
    ASSERT_NE(next, 0u);
    putLe32(copy.bytes(), size_t{next} * 4096 + 4, table2.page);
    expectDamaged(copy.read(), "loops over its pages");
}

TEST(JetDamage, LoopingLongValueChainsAreDetected) {
    DALVON_REQUIRE_SAMPLES();
    DamagedCopy copy("test2V2000.mdb");
    const auto& file = copy.original();
    // Every chained long-value piece is made to point at itself.
    int changed = 0;
    for (uint32_t p = 3; p < file.pageCount(); ++p) {
        const auto page = file.page(p);
        if (page[0] != 0x01 || std::string(page.begin() + 4, page.begin() + 8) != "LVAL")
            continue;
        for (uint16_t slot = 0; slot < file.rowCount(page); ++slot) {
            const auto row = file.row({p, static_cast<uint8_t>(slot)});
            const auto next = jet::readRowPointer(file, row, 0);
            if (next.page == 0 || next.page >= file.pageCount())
                continue;
            putLe32(copy.bytes(), copy.offsetOf(row), static_cast<uint32_t>(p) << 8 | slot);
            ++changed;
        }
    }
    ASSERT_GT(changed, 0);
    expectDamaged(copy.read(), "chain loops");
}

TEST(JetDamage, PointersOutOfRangeAreDetected) {
    DALVON_REQUIRE_SAMPLES();
    {
        DamagedCopy copy("testV2000.mdb");
        const auto map = copy.original().row(copy.table("Table1").ownedPages);
        putLe32(copy.bytes(), copy.offsetOf(map) + 1, 0x00FFFF00);
        expectDamaged(copy.read(), "beyond the end of the file");
    }
    {
        DamagedCopy copy("overflowTestV2003.mdb");
        const auto& file = copy.original();
        int changed = 0;
        for (uint32_t p = 3; p < file.pageCount(); ++p) {
            const auto page = file.page(p);
            if (page[0] != 0x01)
                continue;
            for (uint16_t slot = 0; slot < file.rowCount(page); ++slot) {
                if ((file.rowSlot(page, slot) & 0xC000) != 0x4000)
                    continue;
                const auto row = file.row({p, static_cast<uint8_t>(slot)});
                putLe32(copy.bytes(), copy.offsetOf(row), 0xFFFFFF00);
                ++changed;
            }
        }
        ASSERT_GT(changed, 0);
        expectDamaged(copy.read(), "beyond the end of the file");
    }
}

TEST(JetDamage, OffsetsAndLengthsPastTheirPageAreDetected) {
    DALVON_REQUIRE_SAMPLES();
    DamagedCopy copy("testUnicodeCompV2003.mdb");
    const auto table = copy.table("Table");
    const auto& file = copy.original();
    for (uint32_t p = 3; p < file.pageCount(); ++p) {
        const auto page = file.page(p);
        if (page[0] == 0x01 && jet::readU32(file, page, 4) == table.page) {
            putLe16(copy.bytes(), size_t{p} * 4096 + 14, 0x1FFF);
            expectDamaged(copy.read(), "lies outside its page");
            putLe16(copy.bytes(), size_t{p} * 4096 + 14, jet::readU16(file, page, 14));
            // The last row's variable-offset table: its end offset points past the row.
            const auto row = file.row({p, 0});
            const size_t eodAt = row.size() - 1 - 4 - 2 * jet::readU16(file, row, row.size() - 3);
            putLe16(copy.bytes(), copy.offsetOf(row) + eodAt, 0xFFF0);
            expectDamaged(copy.read(), "outside its row");
            return;
        }
    }
    FAIL() << "no data page found";
}

TEST(JetDamage, EncodedPagesAndForeignFilesAreRefused) {
    DALVON_REQUIRE_SAMPLES();
    DamagedCopy copy("delTestV2000.mdb");
    copy.bytes()[0x3E] ^= 0x5A;
    expectDamaged(copy.read(), "encoded");
    copy.bytes()[0x3E] ^= 0x5A;
    copy.bytes()[0x14] = 7;
    expectDamaged(copy.read(), "no Jet 3 or Jet 4 signature");
}

// Random bytes over every page but the header: reading must end in a result or Fault 3343.
TEST(JetDamage, RandomlyDamagedPagesNeverCrash) {
    DALVON_REQUIRE_SAMPLES();
    std::mt19937 random(20240611);
    for (const auto& path : sampleFiles()) {
        SCOPED_TRACE(path.filename().string());
        const auto whole = load(path);
        const size_t page = whole[0x14] == 1 ? 4096 : 2048;
        for (int round = 0; round < 20; ++round) {
            auto bytes = whole;
            for (int i = 0; i < 40; ++i) {
                std::uniform_int_distribution<size_t> at(page, bytes.size() - 1);
                bytes[at(random)] = static_cast<uint8_t>(random());
            }
            try {
                jet::JetFile file(bytes, path.string());
                for (const auto& t : jet::readUserTables(file)) {
                    jet::readTableRows(file, jet::readTableDef(file, t.definitionPage, t.name));
                }
            } catch (const Fault& fault) {
                EXPECT_EQ(fault.number(), 3343) << fault.description();
            }
        }
    }
}

}  // namespace
}  // namespace dalvon::jet_test
