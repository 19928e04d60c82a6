#include <algorithm>
#include <map>
#include <optional>

#include "platform/text.h"
#include "store/jet/check/jet_check_parts.h"
#include "store/jet/reader/jet_index.h"
#include "store/jet/format/jet_index_key.h"

namespace dalvon::jet::check {
namespace {

// A damaged index can differ from its rows in every entry; the first few say enough.
constexpr size_t kMaxEntryProblems = 8;

uint32_t pointerKey(RowPointer at) {
    return at.page << 8 | at.row;
}

std::string rowText(uint32_t pointer) {
    return "page " + std::to_string(pointer >> 8) + ", row " + std::to_string(pointer & 0xFF);
}

// The leaf entry's row pointer: a 3-byte big-endian page and a row byte at its end.
std::optional<uint32_t> entryPointer(const IndexEntry& entry) {
    if (entry.size() < 4)
        return std::nullopt;
    const size_t n = entry.size();
    const uint32_t page = uint32_t{entry[n - 4]} << 16 | uint32_t{entry[n - 3]} << 8 | entry[n - 2];
    return page << 8 | entry[n - 1];
}

class IndexChecker {
public:
    IndexChecker(CheckContext& context, const CheckedTable& table, const JetIndexDef& index)
        : m_context(context),
          m_table(table),
          m_index(index),
          m_label(tableLabel(table.name) + ", index '" + index.name + "'") {}

    void run() {
        const MapPages map = claimMap(m_context, m_index.usageMap, m_label);
        for (uint32_t page : map.pages)
            m_context.owners.claim(page, "the pages of " + m_label);
        const IndexTree tree = readIndexTree(m_context.file, m_index.rootPage, m_label);
        for (const std::string& text : tree.problems)
            m_context.problem(text);
        checkPages(tree, map);
        checkOrder(tree);
        if (!resolveColumns())
            return;
        checkEntries(tree);
    }

private:
    void problem(uint32_t page, const std::string& what) {
        m_context.problem(m_label + ", page " + std::to_string(page) + ": " + what);
    }

    void checkPages(const IndexTree& tree, const MapPages& map) {
        for (uint32_t page : tree.pages) {
            if (!std::binary_search(map.pages.begin(), map.pages.end(), page))
                problem(page, "in the index tree but not in the index's page map");
            const IndexPage read = readIndexPage(m_context.file, page);
            if (read.tablePage != m_table.page) {
                problem(page, "names table definition page " + std::to_string(read.tablePage) +
                                  " instead of " + std::to_string(m_table.page));
            }
            const auto expected = static_cast<uint16_t>(m_context.file.pageSize() - read.usedEnd);
            if (read.freeSpace != expected) {
                problem(page, "free space stated as " + std::to_string(read.freeSpace) +
                                  ", the entries leave " + std::to_string(expected));
            }
        }
        const std::set<uint32_t> reached(tree.pages.begin(), tree.pages.end());
        for (uint32_t page : map.pages) {
            if (!reached.count(page))
                problem(page, "in the index's page map but not reached from its root");
        }
    }

    void checkOrder(const IndexTree& tree) {
        for (size_t i = 1; i < tree.entries.size(); ++i) {
            if (!(tree.entries[i - 1] < tree.entries[i])) {
                problem(tree.entryPages[i], "entry " + hexText(tree.entries[i]) +
                                                " does not sort after the entry before it");
            }
        }
    }

    bool resolveColumns() {
        for (const JetIndexColumn& key : m_index.columns) {
            const auto& columns = m_table.def.columns;
            const auto found =
                std::find_if(columns.begin(), columns.end(),
                             [&](const JetColumn& c) { return c.number == key.number; });
            if (found == columns.end()) {
                m_context.problem(m_label + ": keyed on column number " +
                                  std::to_string(key.number) + ", which the table lacks");
                return false;
            }
            m_valueIndex.push_back(static_cast<size_t>(found - columns.begin()));
            m_keyColumns.push_back(
                {found->type, key.ascending, m_table.storage.sortOrderOf(key.number)});
        }
        return true;
    }

    std::vector<Variant> keyValues(const Row& row) const {
        std::vector<Variant> values;
        for (size_t i : m_valueIndex)
            values.push_back(row[i]);
        return values;
    }

    bool indexed(const std::vector<Variant>& values) const {
        if (!m_index.ignoresNulls())
            return true;
        return std::any_of(values.begin(), values.end(),
                           [](const Variant& v) { return !v.isNull(); });
    }

    // Why keys cannot be checked: the first key column whose value the encoder does not cover.
    std::string uncovered(const std::vector<Variant>& values) const {
        for (size_t i = 0; i < m_keyColumns.size(); ++i) {
            if (!encodeIndexKey({m_keyColumns[i]}, {values[i]})) {
                return "column '" + m_table.def.columns[m_valueIndex[i]].name +
                       "' holds a value whose key encoding is not covered";
            }
        }
        return "a key is not covered";
    }

    void report(uint32_t page, const std::string& what) {
        if (m_entryProblems++ < kMaxEntryProblems)
            problem(page, what);
    }

    // Row pointer -> position of its entry; entries without a pointer or for a row that
    // already has one are problems.
    std::map<uint32_t, size_t> entriesByRow(const IndexTree& tree) {
        std::map<uint32_t, size_t> entryOf;
        for (size_t i = 0; i < tree.entries.size(); ++i) {
            const auto pointer = entryPointer(tree.entries[i]);
            if (!pointer) {
                report(tree.entryPages[i], "an entry too short for its row pointer");
            } else if (!entryOf.emplace(*pointer, i).second) {
                report(tree.entryPages[i], "a second entry for the row at " + rowText(*pointer));
            }
        }
        return entryOf;
    }

    // Finds the row's entry (and takes it out of `entryOf`) and compares its key.
    void checkRow(const ScannedRow& row, const IndexTree& tree,
                  std::map<uint32_t, size_t>& entryOf) {
        const std::vector<Variant> values = keyValues(row.values);
        if (!indexed(values))
            return;
        const uint32_t pointer = pointerKey(row.at);
        const auto found = entryOf.find(pointer);
        if (found == entryOf.end()) {
            report(m_index.rootPage, "no entry for the row at " + rowText(pointer));
            return;
        }
        const IndexEntry& entry = tree.entries[found->second];
        const uint32_t page = tree.entryPages[found->second];
        entryOf.erase(found);
        const auto key = encodeIndexKey(m_keyColumns, values);
        if (!key) {
            if (m_notCovered.empty())
                m_notCovered = uncovered(values);
        } else if (!std::equal(key->begin(), key->end(), entry.begin(), entry.end() - 4)) {
            report(page, "the entry for the row at " + rowText(pointer) + " has key " +
                             hexText({entry.begin(), entry.end() - 4}) + ", the row's key is " +
                             hexText(*key));
        }
    }

    void checkEntries(const IndexTree& tree) {
        std::map<uint32_t, size_t> entryOf = entriesByRow(tree);
        for (const ScannedRow& row : m_table.rows)
            checkRow(row, tree, entryOf);
        for (const auto& [pointer, position] : entryOf) {
            report(tree.entryPages[position],
                   "an entry for " + rowText(pointer) + ", where the table has no row to index");
        }
        if (m_entryProblems > kMaxEntryProblems) {
            m_context.problem(m_label + ": " + std::to_string(m_entryProblems - kMaxEntryProblems) +
                              " more entry problems");
        }
        if (!m_notCovered.empty())
            m_context.report.notChecked.push_back(m_label + ": keys not checked, " + m_notCovered);
    }

    CheckContext& m_context;
    const CheckedTable& m_table;
    const JetIndexDef& m_index;
    std::string m_label;
    std::vector<size_t> m_valueIndex;
    std::vector<KeyColumn> m_keyColumns;
    size_t m_entryProblems = 0;
    std::string m_notCovered;
};

}  // namespace

void checkIndex(CheckContext& context, const CheckedTable& table, const JetIndexDef& index) {
    IndexChecker(context, table, index).run();
}

}  // namespace dalvon::jet::check
