// libFuzzer entry: the input drives a sequence of writer operations on a database made from
// nothing (create tables of random fields and indexes, add, edit and delete rows - copies of other
// rows' keys among them, so that unique indexes refuse - delete tables, rename fields). After
// every operation the image is checked; a refusal (Fault) is fine, a structural problem, a key
// the checker could not judge, a crash or a sanitizer report is a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/fault.h"
#include "store/jet/check/jet_check.h"
#include "store/jet/writer/jet_create.h"
#include "store/jet/writer/jet_writer.h"

namespace {

using namespace dalvon;
namespace fs = std::filesystem;

// Reads the input a byte at a time; past its end every read gives 0.
class Input {
public:
    Input(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    bool done() const { return m_pos >= m_size; }
    uint8_t byte() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint32_t below(uint32_t bound) { return bound == 0 ? 0 : (byte() | byte() << 8) % bound; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_pos = 0;
};

const std::vector<FieldDef> kKinds = {
    {"", 1, 1}, {"", 2, 1},  {"", 3, 2},  {"", 4, 4},  {"", 5, 8},   {"", 6, 4}, {"", 7, 8},
    {"", 8, 8}, {"", 10, 0}, {"", 12, 0}, {"", 11, 0}, {"", 15, 16}, {"", 9, 0},
};

const std::vector<std::string> kNames = {"A",       "b",         "Name", "Notes", "x_1",
                                         "Field.2", "Long Name", "a",    "NAME",  "T"};

std::string text(Input& in, size_t length) {
    std::string out;
    const char fill = static_cast<char>('a' + in.byte() % 26);
    for (size_t i = 0; i < length; ++i)
        out += (i % 7 == 3) ? static_cast<char>('A' + in.byte() % 26) : fill;
    if (in.byte() % 5 == 0)
        out += "\xc3\xa4\xe2\x82\xac";  // characters outside one byte
    return out;
}

// Long values come in three sizes: inline, one long-value page, chained over pages.
size_t length(Input& in) {
    switch (in.byte() % 4) {
        case 0:
            return in.below(20);
        case 1:
            return in.below(300);
        case 2:
            return 1000 + in.below(3000);
        default:
            return 4000 + in.below(12000);
    }
}

Variant value(Input& in, int type) {
    if (in.byte() % 8 == 0)
        return Variant::null();
    switch (type) {
        case 1:
            return Variant::boolean(in.byte() & 1);
        case 2:
            return Variant::byte(in.byte());
        case 3:
            return Variant::integer(static_cast<int16_t>(in.below(65536)));
        case 4:
            return Variant::longValue(static_cast<int32_t>(in.below(65536) << 12));
        case 5:
            return Variant::currency(int64_t{in.below(65536)} * 99991);
        case 6:
            return Variant::single(static_cast<float>(in.below(65536)) / 7.0f);
        case 7:
            return Variant::doubleValue(static_cast<double>(in.below(65536)) / 3.0);
        case 8:
            return Variant::date(36000.0 + in.below(65536) / 17.0);
        case 10:
            return Variant::string(text(in, in.below(300)));
        case 12:
            return Variant::string(text(in, length(in)));
        case 15:
            return Variant::string("{6F9619FF-8B86-D011-B42D-00C04FC964FF}");
        default: {
            std::vector<uint8_t> bytes(type == 9 ? in.below(300) : length(in));
            for (size_t i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<uint8_t>(i * 31 + 7);
            return Variant::binary(std::move(bytes));
        }
    }
}

// With DALVON_FUZZ_TRACE set, each operation is written to stderr, to replay a finding.
void trace(const std::string& line) {
    static const bool on = std::getenv("DALVON_FUZZ_TRACE") != nullptr;
    if (on)
        std::fprintf(stderr, "%s\n", line.c_str());
}

std::string describe(const Variant& value) {
    if (value.isString() && value.asString().size() > 20)
        return "text(" + std::to_string(value.asString().size()) + ")";
    if (value.kind() == VariantKind::Binary)
        return "bytes(" + std::to_string(value.asBinary().size()) + ")";
    return value.typeName() + ":" + value.toTextOrEmpty();
}

std::string describe(const std::vector<Variant>& values) {
    std::string out;
    for (const auto& value : values)
        out += " " + describe(value);
    return out;
}

class Session {
public:
    explicit Session(jet::JetWriter& writer) : m_writer(writer) {}

    void step(Input& in) {
        switch (in.byte() % 10) {
            case 0:
                createTable(in);
                break;
            case 1:
            case 2:
            case 3:
                appendRow(in);
                break;
            case 4:
            case 5:
                updateRow(in);
                break;
            case 8:
                deleteRow(in);
                break;
            case 9:
                copyKeys(in);
                break;
            case 6: {
                const std::string table = pickTable(in);
                trace("delete table " + table);
                m_writer.deleteTable(table);
                break;
            }
            default:
                renameField(in);
                break;
        }
    }

private:
    std::string pickTable(Input& in) {
        const auto names = m_writer.tableNames();
        if (names.empty() || in.byte() % 16 == 0)
            return kNames[in.below(kNames.size())];
        return names[in.below(names.size())];
    }

    void createTable(Input& in) {
        std::vector<FieldDef> fields(in.below(12) + (in.byte() % 8 == 0 ? in.below(200) : 1));
        for (size_t i = 0; i < fields.size(); ++i) {
            fields[i] = kKinds[in.below(kKinds.size())];
            fields[i].name = "F" + std::to_string(i);
            if (fields[i].type == 10 || fields[i].type == 9)
                fields[i].size = static_cast<int32_t>(1 + in.below(255));
        }
        const std::string name = kNames[in.below(kNames.size())] + std::to_string(in.below(4));
        std::string types;
        for (const auto& field : fields)
            types += " " + std::to_string(field.type) + "/" + std::to_string(field.size);
        const auto indexes = newIndexes(in, fields);
        for (const auto& index : indexes) {
            types += " index" + std::string(index.primary ? "(primary)" : "") +
                     (index.unique ? "(unique)" : "");
            for (const auto& [position, ascending] : index.columns)
                types += " " + std::to_string(position) + (ascending ? "+" : "-");
        }
        trace("create " + name + types);
        m_writer.createTable(name, fields, indexes);
    }

    // Up to three indexes over the fields whose keys the writer encodes.
    static std::vector<jet::NewIndex> newIndexes(Input& in, const std::vector<FieldDef>& fields) {
        std::vector<size_t> keyable;
        for (size_t i = 0; i < fields.size(); ++i) {
            if (fields[i].type <= 8 || fields[i].type == 10)
                keyable.push_back(i);
        }
        std::vector<jet::NewIndex> indexes;
        for (uint32_t n = keyable.empty() ? 0 : in.below(4); n > 0; --n) {
            jet::NewIndex index{"I" + std::to_string(n), {}, n == 1 && in.byte() % 2, false};
            index.unique = !index.primary && in.byte() % 3 == 0;
            for (uint32_t k = 1 + in.below(3); k > 0; --k)
                index.columns.emplace_back(keyable[in.below(keyable.size())], in.byte() % 2);
            indexes.push_back(std::move(index));
        }
        return indexes;
    }

    void deleteRow(Input& in) {
        const std::string table = pickTable(in);
        const auto rows = m_writer.rows(table);
        if (rows.empty())
            return;
        const uint32_t id = rows[in.below(rows.size())].first;
        trace("delete row " + table + " " + std::to_string(id));
        m_writer.deleteRow(table, id);
    }

    // A row takes all values of another (a duplicate key wherever a unique index has one), or a
    // new row copies one.
    void copyKeys(Input& in) {
        const std::string table = pickTable(in);
        const auto rows = m_writer.rows(table);
        if (rows.empty())
            return;
        const auto& source = rows[in.below(rows.size())];
        if (in.byte() % 2) {
            trace("append copy of " + table + " " + std::to_string(source.first));
            m_writer.appendRow(table, source.second);
            return;
        }
        const uint32_t id = rows[in.below(rows.size())].first;
        std::vector<std::pair<size_t, Variant>> changes;
        for (size_t i = 0; i < source.second.size(); ++i)
            changes.emplace_back(i, source.second[i]);
        trace("copy " + table + " " + std::to_string(source.first) + " over " + std::to_string(id));
        m_writer.updateRow(table, id, changes);
    }

    void appendRow(Input& in) {
        const std::string table = pickTable(in);
        std::vector<Variant> values;
        for (const auto& field : m_writer.tableFields(table))
            values.push_back(value(in, field.type));
        trace("append " + table + describe(values));
        m_writer.appendRow(table, values);
    }

    void updateRow(Input& in) {
        const std::string table = pickTable(in);
        const auto fields = m_writer.tableFields(table);
        const auto rows = m_writer.rows(table);
        if (rows.empty())
            return;
        std::vector<std::pair<size_t, Variant>> changes;
        for (uint32_t n = 1 + in.below(4); n > 0; --n) {
            const size_t index = in.below(fields.size());
            changes.emplace_back(index, value(in, fields[index].type));
        }
        const uint32_t id = rows[in.below(rows.size())].first;
        std::string line = "update " + table + " " + std::to_string(id);
        for (const auto& [index, value] : changes)
            line += " " + std::to_string(index) + "=" + describe(value);
        trace(line);
        m_writer.updateRow(table, id, changes);
    }

    void renameField(Input& in) {
        const std::string table = pickTable(in);
        const auto fields = m_writer.tableFields(table);
        const std::string& from = fields[in.below(fields.size())].name;
        const std::string& to = kNames[in.below(kNames.size())];
        trace("rename " + table + "." + from + " " + to);
        m_writer.renameField(table, from, to);
    }

    jet::JetWriter& m_writer;
};

// The empty database every input starts from, made once.
const std::vector<uint8_t>& emptyDatabase(const fs::path& folder) {
    static const std::vector<uint8_t> bytes = [&] {
        const fs::path file = folder / "empty.mdb";
        jet::createDatabase(file.string());
        std::ifstream stream(file, std::ios::binary);
        std::vector<uint8_t> out{std::istreambuf_iterator<char>(stream), {}};
        fs::remove(file);
        return out;
    }();
    return bytes;
}

void checkClean(const jet::JetWriter& writer) {
    const jet::JetCheckReport report = jet::checkJet(writer.file());
    if (!report.problems.empty() || !report.notChecked.empty()) {
        for (const auto& problem : report.problems)
            std::fprintf(stderr, "check: %s\n", problem.c_str());
        for (const auto& note : report.notChecked)
            std::fprintf(stderr, "not checked: %s\n", note.c_str());
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const fs::path folder = [] {
        const fs::path made =
            fs::temp_directory_path() / ("fuzz_jet_writer." + std::to_string(::getpid()));
        fs::create_directories(made);
        return made;
    }();
    const fs::path file = folder / "db.mdb";
    const auto& empty = emptyDatabase(folder);
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(empty.data()),
               static_cast<std::streamsize>(empty.size()));
    jet::JetWriter writer(file.string());
    Input in(data, size);
    for (int steps = 0; !in.done() && steps < 64; ++steps) {
        try {
            Session(writer).step(in);
        } catch (const Fault& fault) {
            trace("  fault " + std::to_string(fault.number()));
        }
        checkClean(writer);
    }
    return 0;
}
