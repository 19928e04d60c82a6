#include "store/jet/check/jet_check.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>

#include "platform/file_system.h"
#include "store/faults.h"
#include "store/jet/format/jet_catalog_ids.h"
#include "store/jet/check/jet_check_parts.h"

namespace dalvon::jet {
namespace check {
namespace {

constexpr RowPointer kGlobalMap = {1, 0};

void addMarked(Bytes bitmap, uint64_t firstPage, uint32_t pageCount, MapPages& map) {
    for (size_t i = 0; i < bitmap.size(); ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            if ((bitmap[i] >> bit & 1) == 0)
                continue;
            const uint64_t page = firstPage + i * 8 + static_cast<uint64_t>(bit);
            if (page < pageCount) {
                map.pages.push_back(static_cast<uint32_t>(page));
            } else {
                ++map.beyondEnd;
            }
        }
    }
}

const std::string kMapRows = "the rows of usage maps";

size_t catalogColumn(const JetFile& file, const JetTableDef& catalog, const std::string& name) {
    for (size_t i = 0; i < catalog.columns.size(); ++i) {
        if (catalog.columns[i].name == name)
            return i;
    }
    file.damaged("The catalog has no column '" + name + "'.");
}

// Every table of the catalog, system tables included (the catalog itself first): name and
// definition page.
std::vector<std::pair<std::string, uint32_t>> catalogTables(const JetFile& file) {
    const JetTableDef catalog = readTableDef(file, kCatalogPage, "MSysObjects");
    const size_t id = catalogColumn(file, catalog, "Id");
    const size_t name = catalogColumn(file, catalog, "Name");
    const size_t type = catalogColumn(file, catalog, "Type");
    std::vector<std::pair<std::string, uint32_t>> tables = {{"MSysObjects", kCatalogPage}};
    for (const Row& row : readTableRows(file, catalog, ForeignPages::Skip)) {
        if (row[type].isNull() || row[type].toLong() != kTableType || row[id].isNull() ||
            row[id].toLong() == kCatalogPage) {
            continue;
        }
        tables.emplace_back(row[name].isString() ? row[name].asString() : std::string("?"),
                            static_cast<uint32_t>(row[id].toLong()));
    }
    return tables;
}

class FileChecker {
public:
    explicit FileChecker(const JetFile& file)
        : m_file(file),
          m_owners(file.pageCount(), m_report.problems),
          m_context{file, m_report, m_owners} {}

    JetCheckReport run() {
        m_owners.claim(0, "the database header");
        m_owners.claimMapRows(kGlobalMap.page);
        MapPages free;
        try {
            free = readMap(m_file, kGlobalMap);
            for (uint32_t bitmap : free.bitmapPages)
                m_owners.claim(bitmap, "the page map of the global usage map");
            checkTables();
        } catch (const std::exception& error) {
            m_context.problem("the catalog or the global usage map: " + damageOf(error));
            return std::move(m_report);
        }
        checkFreePages(free);
        checkUnowned();
        return std::move(m_report);
    }

private:
    void checkTables() {
        for (const auto& [name, page] : catalogTables(m_file)) {
            if (page >= m_file.pageCount()) {
                m_context.problem(tableLabel(name) + ": its definition page " +
                                  std::to_string(page) + " lies beyond the end of the file");
                continue;
            }
            m_liveTables.emplace(page, name);
            checkTable(m_context, name, page);
        }
    }

    void checkFreePages(const MapPages& free) {
        for (uint32_t page : free.pages) {
            m_free.insert(page);
            if (m_owners.owned(page)) {
                m_context.problem("page " + std::to_string(page) +
                                  ": marked free in the global usage map but owned by " +
                                  m_owners.ownerOf(page));
            }
        }
    }

    // A page no map owns and the global map does not mark free is either lost by a live table
    // (its back pointer says so) or left behind by an earlier change, which is harmless.
    void checkUnowned() {
        for (uint32_t page = 0; page < m_file.pageCount(); ++page) {
            if (m_owners.owned(page) || m_free.count(page))
                continue;
            Bytes bytes = m_file.page(page);
            const uint32_t back = readU32(m_file, bytes, 4);
            const auto table = m_liveTables.find(back);
            const bool claimsTable = bytes[0] == 0x01 || bytes[0] == 0x03 || bytes[0] == 0x04;
            if (claimsTable && table != m_liveTables.end()) {
                m_context.problem("page " + std::to_string(page) + ": " +
                                  (bytes[0] == 0x01 ? "a data" : "an index") + " page of " +
                                  tableLabel(table->second) +
                                  " that none of its maps owns and that is not marked free");
            } else {
                ++m_report.leakedPages;
            }
        }
    }

    const JetFile& m_file;
    JetCheckReport m_report;
    PageOwners m_owners;
    CheckContext m_context;
    std::map<uint32_t, std::string> m_liveTables;  // definition page -> name
    std::set<uint32_t> m_free;
};

}  // namespace

MapPages readMap(const JetFile& file, RowPointer where) {
    Bytes row = file.row(where);
    MapPages map;
    map.rowPage = where.page;
    switch (readU8(file, row, 0)) {
        case 0:
            addMarked(readRange(file, row, 5, row.size() - std::min<size_t>(row.size(), 5)),
                      readU32(file, row, 1), file.pageCount(), map);
            break;
        case 1: {
            const uint64_t perBitmap = uint64_t{file.pageSize() - 4} * 8;
            for (size_t i = 0; i < (row.size() - 1) / 4; ++i) {
                const uint32_t bitmap = readU32(file, row, 1 + i * 4);
                if (bitmap == 0)
                    continue;
                map.bitmapPages.push_back(bitmap);
                addMarked(file.page(bitmap, 0x05, "a page map").subspan(4), i * perBitmap,
                          file.pageCount(), map);
            }
            break;
        }
        default:
            file.damaged("The page map in row " + std::to_string(where.row) + " of page " +
                         std::to_string(where.page) + " has an unknown kind.");
    }
    std::sort(map.pages.begin(), map.pages.end());
    return map;
}

PageOwners::PageOwners(uint32_t pageCount, std::vector<std::string>& problems)
    : m_owner(pageCount), m_problems(problems) {}

void PageOwners::claim(uint32_t page, const std::string& owner) {
    if (page >= m_owner.size()) {
        m_problems.push_back(owner + " claims page " + std::to_string(page) +
                             ", which lies beyond the end of the file");
        return;
    }
    if (m_owner[page].empty()) {
        m_owner[page] = owner;
        return;
    }
    if (owner == kMapRows && m_owner[page] == kMapRows)
        return;
    m_problems.push_back("page " + std::to_string(page) + ": owned twice, by " + m_owner[page] +
                         " and by " + owner);
}

void PageOwners::claimMapRows(uint32_t page) {
    claim(page, kMapRows);
}

}  // namespace check

JetCheckReport checkJet(const JetFile& file) {
    return check::FileChecker(file).run();
}

JetCheckReport checkJetFileReport(FileSystem& files, const std::string& path) {
    std::optional<std::string> bytes;
    try {
        bytes = files.readFile(path);
    } catch (const Fault&) {
    }
    if (!bytes)
        throw faults::fileUnreadable(path);
    const JetFile file(std::vector<uint8_t>(bytes->begin(), bytes->end()), path);
    return checkJet(file);
}

JetCheckReport checkJetFileReport(const std::string& hostPath) {
    std::unique_ptr<FileSystem> files = makeHostFileSystem();
    return checkJetFileReport(*files, files->windowsPath(hostPath));
}

std::vector<std::string> checkJetFile(const std::string& hostPath) {
    return checkJetFileReport(hostPath).problems;
}

}  // namespace dalvon::jet
