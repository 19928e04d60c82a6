#include "presetdb/takeover.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/program_identity.h"
#include "platform/text.h"
#include "presetdb/handles.h"
#include "presetdb/takeover_texts.h"
#include "standard/error_reporting.h"
#include "standard/installation_paths.h"
#include "standard/procedure.h"
#include "standard/runtime.h"
#include "store/database.h"

namespace dalvon {
namespace {

// The fields read from every previous row, by slot; slot 6 is never read, slot 4 may come from
// "categorie".
constexpr std::array<const char*, 15> kSlotFields = {
    "ID",          "machine_type", "type",    "var_name",
    "category_id", "isBitArray",   nullptr,   "offset_or_bitno",
    "text",        "page_name",    "abs_min", "abs_max",
    "min",         "max",          "pass"};
constexpr std::array<int, 5> kLimitSlots = {10, 11, 12, 13, 14};

// The previous rows' values by [row][slot], rows from 1. Every slot is read (a read may fail and
// is reported), but only the key and the limits are used afterwards: only they are kept, side by
// side and numbers in 16 bytes each, since the whole previous table is held at once.
class PreviousRows {
public:
    void assign(size_t rows) { m_cells.assign(rows * kKept.size(), Cell{}); }
    size_t size() const { return m_cells.size() / kKept.size(); }
    void set(size_t row, size_t slot, Variant value) {
        if (int kept = keptAt(slot); kept >= 0)
            m_cells[row * kKept.size() + static_cast<size_t>(kept)] = cellOf(std::move(value));
    }
    // Empty for a slot not read.
    Variant at(size_t row, size_t slot) const {
        int kept = keptAt(slot);
        return kept < 0 ? Variant()
                        : valueOf(m_cells.at(row * kKept.size() + static_cast<size_t>(kept)));
    }

private:
    static constexpr std::array<size_t, 8> kKept = {1, 3, 7, 10, 11, 12, 13, 14};
    static int keptAt(size_t slot) {
        for (size_t i = 0; i < kKept.size(); ++i) {
            if (kKept[i] == slot)
                return static_cast<int>(i);
        }
        return -1;
    }

    // A value of a number kind in place; a text or binary value by its place in m_others.
    struct Cell {
        VariantKind kind = VariantKind::Empty;
        union {
            int64_t whole = 0;
            double real;
        };
    };

    Cell cellOf(Variant value) {
        Cell cell;
        cell.kind = value.kind();
        switch (cell.kind) {
            case VariantKind::Boolean:
                cell.whole = value.asBoolean() ? 1 : 0;
                break;
            case VariantKind::Byte:
            case VariantKind::Integer:
            case VariantKind::Long:
                cell.whole = value.toLong();
                break;
            case VariantKind::Currency:
                cell.whole = value.asCurrency().scaled;
                break;
            case VariantKind::Single:
            case VariantKind::Double:
                cell.real = value.toDouble();
                break;
            case VariantKind::Date:
                cell.real = value.asDate().oleDays;
                break;
            case VariantKind::String:
            case VariantKind::Binary:
                cell.whole = static_cast<int64_t>(m_others.size());
                m_others.push_back(std::move(value));
                break;
            default:
                break;
        }
        return cell;
    }

    Variant valueOf(const Cell& cell) const {
        switch (cell.kind) {
            case VariantKind::Null:
                return Variant::null();
            case VariantKind::Boolean:
                return Variant::boolean(cell.whole != 0);
            case VariantKind::Byte:
                return Variant::byte(static_cast<uint8_t>(cell.whole));
            case VariantKind::Integer:
                return Variant::integer(static_cast<int16_t>(cell.whole));
            case VariantKind::Long:
                return Variant::longValue(static_cast<int32_t>(cell.whole));
            case VariantKind::Currency:
                return Variant::currency(cell.whole);
            case VariantKind::Single:
                return Variant::single(static_cast<float>(cell.real));
            case VariantKind::Double:
                return Variant::doubleValue(cell.real);
            case VariantKind::Date:
                return Variant::date(cell.real);
            case VariantKind::String:
            case VariantKind::Binary:
                return m_others[static_cast<size_t>(cell.whole)];
            default:
                return Variant();
        }
    }

    std::vector<Cell> m_cells;
    std::vector<Variant> m_others;
};

Fault databaseError(Runtime& rt) {
    return Fault(9999, rt.identity.executableName(), "Database-Error - Contact Administrator!");
}

void warnOfFieldLoss(Runtime& rt, Procedure& proc, const std::unique_ptr<Recordset>& previousSet) {
    int16_t fields = 0;
    proc.step([&] { fields = toInteger16(use(previousSet).fieldCount()); });
    if (fields <= 15 || rt.presetdb.AdditionalFieldCount != 0)
        return;
    if (rt.StartModeSilent) {
        proc.step([&] { WriteServiceLog(rt, FieldLossWarning(rt, false)); });
        return;
    }
    DialogAnswer answer = DialogAnswer::No;
    proc.step([&] {
        answer = rt.dialogs.show({FieldLossWarning(rt, true), rt.identity.executableName(),
                                  DialogButtons::YesNo, DialogIcon::Exclamation, DialogAnswer::No});
    });
    if (answer == DialogAnswer::Yes)
        return;
    proc.step([&] { WriteErrorLog(rt, TakeoverAbortNote(rt), false); });
    proc.reportFatal(databaseError(rt));
}

// The number of rows found by walking the set, capped at the claimed count plus 1.
int walkRows(Procedure& proc, Recordset& previous, int16_t claimed) {
    proc.step([&] { previous.moveFirst(); });
    int r = 1;
    for (; r <= claimed; ++r) {
        proc.step([&] { previous.moveNext(); });
        bool atEnd = true;
        proc.step([&] { atEnd = previous.eof(); });
        if (atEnd)
            break;
    }
    return r;
}

void checkRowCount(Runtime& rt, Procedure& proc, const std::unique_ptr<Database>& database,
                   int walked, int16_t claimed) {
    if (walked == claimed)
        return;
    std::unique_ptr<Recordset> rebuilt;
    int32_t rebuiltCount = 0;
    proc.step([&] { rebuilt = use(database).openTable("PRESET_DEFS"); });
    proc.step([&] { use(rebuilt).moveLast(); });
    proc.step([&] { rebuiltCount = use(rebuilt).recordCount(); });
    if (walked == rebuiltCount)
        return;
    proc.step(
        [&] { WriteErrorLog(rt, RecordCountNote(rt, walked, claimed, rebuiltCount), false); });
    proc.reportFatal(databaseError(rt));
}

PreviousRows readPreviousRows(Runtime& rt, Procedure& proc, Recordset& previous, int count,
                              bool hasCategorie) {
    PreviousRows rows;
    if (count < 1)
        return rows;
    proc.step([&] { previous.moveFirst(); });
    int slots = previous.fieldCount();
    rows.assign(static_cast<size_t>(count) + 1);
    // Positions are looked up once; a field the table lacks still fails for every row.
    std::array<std::optional<int>, 15> positions;
    for (size_t slot = 0; slot < kSlotFields.size(); ++slot) {
        const char* name = slot == 4 && hasCategorie ? "categorie" : kSlotFields[slot];
        if (name == nullptr)
            continue;
        try {
            positions[slot] = previous.fieldIndex(name);
        } catch (const Fault&) {
        }
    }
    for (int row = 1; row <= count; ++row) {
        rt.events.yield();
        for (size_t slot = 0; slot < kSlotFields.size(); ++slot) {
            if (kSlotFields[slot] == nullptr)
                continue;
            proc.step([&] {
                const char* name = slot == 4 && hasCategorie ? "categorie" : kSlotFields[slot];
                Variant value =
                    positions[slot] ? previous.value(*positions[slot]) : previous.value(name);
                if (slot > static_cast<size_t>(slots))
                    throw faults::subscript("slot " + std::to_string(slot));
                rows.set(static_cast<size_t>(row), slot, std::move(value));
            });
        }
        proc.step([&] { previous.moveNext(); });
    }
    return rows;
}

std::string takeoverQuery(Runtime& rt, const PreviousRows& rows, size_t row) {
    return "SELECT PRESET_DEFS.ID, PRESET_DEFS.machine_type, PRESET_DEFS.type,"
           " PRESET_DEFS.var_name, PRESET_DEFS.category_id, PRESET_DEFS.isBitArray,"
           " PRESET_DEFS.offset_or_bitno, PRESET_DEFS.text, PRESET_DEFS.page_name,"
           " PRESET_DEFS.abs_min, PRESET_DEFS.abs_max, PRESET_DEFS.min, PRESET_DEFS.max,"
           " PRESET_DEFS.pass" +
           rt.presetdb.AdditionalFieldsClause + " From PRESET_DEFS " +
           " WHERE (((PRESET_DEFS.machine_type)=\"" + TakeoverKeyText(rows.at(row, 1)) + "\")" +
           " AND ((PRESET_DEFS.var_name)=\"" + TakeoverKeyText(rows.at(row, 3)) + "\") " +
           " AND ((PRESET_DEFS.offset_or_bitno)=" + TakeoverKeyText(rows.at(row, 7)) + "));";
}

// Every configured additional field must be a field of the rebuilt table, name for name.
void checkAdditionalFields(Runtime& rt, Procedure& proc,
                           const std::unique_ptr<Database>& database) {
    std::unique_ptr<Recordset> rebuilt;
    proc.step([&] { rebuilt = use(database).openTable("PRESET_DEFS"); });
    int fields = 0;
    proc.step([&] { fields = use(rebuilt).fieldCount(); });
    const auto& wanted = rt.presetdb.AdditionalFields;
    for (size_t j = 1; j < wanted.size(); ++j) {
        bool found = false;
        proc.step([&] {
            for (int k = 1; k < fields && !found; ++k)
                found = use(rebuilt).field(k).name == wanted[j];
        });
        if (found)
            continue;
        proc.step([&] { WriteErrorLog(rt, ExtensionConflictNote(rt, wanted[j]), false); });
        proc.reportFatal(databaseError(rt));
        EndProgram(rt);
    }
}

constexpr int32_t kTooFewParameters = 3061;  // the query names a field the table lacks

// Previous rows whose lookup failed because the rebuilt table lacks a key field.
struct UnmatchedRows {
    int count = 0;
    std::string description;

    void note(const Fault& fault) {
        ++count;
        // The query itself is long and the same for every row but its values.
        description = fault.description().substr(0, fault.description().find(" (query '"));
    }
    void noteIn(Runtime& rt) const {
        if (count == 0)
            return;
        NoteUnloggedFailure(rt, SourceDatabasePlace(rt),
                            "kept the limits of none of " + std::to_string(count) +
                                " previous rows: the lookup failed (" + description + ")");
    }
};

void writeLimits(Procedure& proc, Recordset& match, const PreviousRows& rows, size_t row) {
    static const std::array<const char*, 5> kLimitFields = {"abs_min", "abs_max", "min", "max",
                                                            "pass"};
    proc.step([&] { match.edit(); });
    for (size_t k = 0; k < kLimitFields.size(); ++k) {
        proc.step([&] {
            match.setValue(kLimitFields[k], rows.at(row, static_cast<size_t>(kLimitSlots[k])));
        });
    }
    proc.step([&] { match.update(); });
}

}  // namespace

void TakeoverMachineCopyMDBData(Runtime& rt, const std::unique_ptr<Database>& database,
                                std::unique_ptr<Recordset>& previousSet) {
    Procedure proc(rt, "TakeoverMachineCopyMDBData");
    warnOfFieldLoss(rt, proc, previousSet);
    if (!previousSet)
        return;

    std::unique_ptr<Recordset> previous = std::move(previousSet);
    bool hasCategorie = false;
    proc.step([&] {
        for (int i = 0; i < previous->fieldCount() && !hasCategorie; ++i) {
            hasCategorie = upperCase(previous->field(i).name) == "CATEGORIE";
        }
    });
    int16_t claimed = 0;
    proc.step([&] { claimed = toInteger16(previous->recordCount()); });
    int walked = walkRows(proc, *previous, claimed);
    checkRowCount(rt, proc, database, walked, claimed);
    int count = walked;
    PreviousRows rows = readPreviousRows(rt, proc, *previous, count, hasCategorie);
    previous.reset();

    bool fieldsChecked = false;
    UnmatchedRows unmatched;
    TakeoverCounts& counts = rt.run.takeover.emplace();
    std::unique_ptr<Recordset> match;
    for (int row = 1; row <= count && static_cast<size_t>(row) < rows.size(); ++row) {
        std::string query;
        proc.step([&] { query = takeoverQuery(rt, rows, static_cast<size_t>(row)); });
        // The rebuilt table does not change meanwhile: one check stands for every row.
        if (!fieldsChecked && !rt.presetdb.AdditionalFields.empty()) {
            checkAdditionalFields(rt, proc, database);
            fieldsChecked = true;
        }
        match.reset();
        try {
            match = use(database).openQuery(query);
        } catch (const Fault& fault) {
            // A key that makes no valid query (a quote in a name, a Null offset) is not taken
            // over, without a report. A field the rebuilt table lacks fails every row alike:
            // no log receives that either, but the run must not end as if all was taken over.
            ++counts.notKept;
            if (fault.number() == kTooFewParameters)
                unmatched.note(fault);
            continue;
        }
        int32_t found = 0;
        proc.step([&] { found = match->recordCount(); });
        ++(found > 0 ? counts.kept : counts.notKept);
        if (found > 0)
            writeLimits(proc, *match, rows, static_cast<size_t>(row));
    }
    unmatched.noteIn(rt);
}

}  // namespace dalvon
