#include "presetdb/record_generation.h"

#include <vector>

#include "platform/event_loop.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/text.h"
#include "presetdb/handles.h"
#include "standard/command_line.h"
#include "standard/installation_paths.h"
#include "standard/procedure.h"
#include "standard/profile_access.h"
#include "standard/runtime.h"
#include "store/database.h"

namespace dalvon {
namespace {

const char* const kSourceQuery =
    "SELECT Source_PRESET_DEFS.* From Source_PRESET_DEFS ORDER BY Source_PRESET_DEFS.ID";

// Source rows by [row 1..N][field position]; row 0 unused.
using SourceRows = std::vector<std::vector<Variant>>;

SourceRows readSourceRows(Runtime& rt, Procedure& proc, Recordset* source, int16_t count) {
    SourceRows rows;
    if (count <= 0 || source == nullptr)
        return rows;
    proc.step([&] { source->moveFirst(); });
    int fields = source->fieldCount();
    rows.assign(static_cast<size_t>(count) + 1, std::vector<Variant>(static_cast<size_t>(fields)));
    for (int16_t r = 1; r <= count; ++r) {
        for (int j = 0; j < fields; ++j) {
            rt.events.yield();
            proc.step(
                [&] { rows[static_cast<size_t>(r)][static_cast<size_t>(j)] = source->value(j); });
        }
        proc.step([&] { source->moveNext(); });
    }
    proc.step([&] { source->moveFirst(); });
    return rows;
}

// A machine_type of 0 (number or text), empty or Null marks a definition common to all machines.
bool isCommonDefinition(const Variant& machineType) {
    if (machineType.isNull() || machineType.isEmpty())
        return true;
    if (machineType.isString()) {
        const std::string& text = machineType.asString();
        return text.empty() || text == "0";
    }
    return machineType.isNumeric() && machineType.toDouble() == 0;
}

bool isMachineValid(Runtime& rt, int machine, const std::string& validMachines) {
    if (GetStartModeIntegrated(rt)) {
        std::string valid = upperCase(validMachines);
        const std::string& name = rt.ExistingMachines[static_cast<size_t>(machine)];
        return valid == "ALL" || findText(valid, upperCase(name)) > 0;
    }
    return LoadIniBoolean(rt, "Project", "ForMachine" + std::to_string(machine), GetCFGPath(rt),
                          false, false);
}

struct Generation {
    Runtime& rt;
    Procedure& proc;
    Recordset& target;
    ComponentDatabaseCache& component;
    int16_t nextId = 1;
};

// The full variable name for the current system; renames the other system's form in the
// component database on the way.
std::string buildVarName(Generation& g, const std::string& sourceName, const std::string& machine) {
    auto& patterns = g.rt.presetdb.VarNamePatterns;
    int part = g.target.value("part").toInteger();
    if (part < 1 || part > 50)
        throw faults::subscript("part " + std::to_string(part));
    std::string names[2];
    for (int s = 0; s < 2; ++s) {
        names[s] =
            ReplaceSearchItem(g.rt, patterns[static_cast<size_t>(s)][static_cast<size_t>(part)],
                              "###Var_Name", sourceName);
        names[s] = ReplaceSearchItem(g.rt, names[s], "###machine", machine);
        names[s] = ReplaceSearchItem(g.rt, names[s], "###machine", machine);
    }
    VarNameInQuelleErsetzen(g.rt, g.component, names[0], names[1]);
    return names[g.rt.presetdb.IsVWStudio == 1 ? 1 : 0];
}

void generateRow(Generation& g, const std::vector<Variant>& row, const std::string& machine) {
    g.rt.events.yield();
    g.proc.step([&] { g.target.addNew(); });
    g.proc.step([&] { g.target.setValue("ID", Variant::integer(g.nextId)); });
    g.proc.step([&] { g.nextId = toInteger16(static_cast<long long>(g.nextId) + 1); });
    int fields = g.target.fieldCount();
    for (int j = 1; j < fields; ++j) {
        g.rt.events.yield();
        const Variant& value =
            static_cast<size_t>(j) < row.size() ? row[static_cast<size_t>(j)] : Variant();
        g.proc.step([&] {
            if (!value.isString()) {
                g.target.setValue(j, value);
            } else if (equalsIgnoreCase(g.target.field(j).name, "VAR_NAME")) {
                g.target.setValue(j, Variant::string(buildVarName(g, value.asString(), machine)));
            } else {
                g.target.setValue(j, Variant::string(ReplaceSearchItem(g.rt, value.asString(),
                                                                       "###machine", machine)));
            }
        });
    }
    g.proc.step([&] { g.target.update(); });
}

}  // namespace

std::string ReplaceSearchItem(Runtime& rt, const std::string& text, const std::string& search,
                              const std::string& replacement) {
    Procedure proc(rt, "ReplaceSearchItem");
    return proc.value(std::string(), [&] {
        // Upper-casing keeps byte lengths, so the position found applies to the original text.
        size_t p = findTextIgnoringCase(text, search);
        if (p == 0)
            return text;
        return text.substr(0, p - 1) + replacement + text.substr(p - 1 + search.size());
    });
}

void CategorieNachCategoryID(Runtime& rt) {
    Procedure proc(rt, "CategorieNachCategoryID");
    std::string path;
    proc.step([&] { path = GetPathOCXMDB(rt); });
    if (path.empty() || !rt.files.fileExists(path))
        return;
    std::unique_ptr<Database> component;
    proc.step([&] { component = rt.databases.open(path); });
    std::vector<FieldDef> fields;
    proc.step([&] { fields = use(component).tableFields("PRESET_DEFS"); });
    for (const FieldDef& field : fields) {
        proc.step([&] {
            if (upperCase(field.name) == "CATEGORIE") {
                use(component).renameField("PRESET_DEFS", field.name, "category_id");
            }
        });
    }
    proc.step([&] { use(component).close(); });
}

ComponentDatabaseCache::~ComponentDatabaseCache() {
    try {
        close();
    } catch (const Fault&) {
        // Closing again at unwinding: the fault was or will be reported by the caller's close().
    }
}

Database& ComponentDatabaseCache::open(const std::string& path) {
    if (!m_database || path != m_path) {
        close();
        m_database = m_rt.databases.open(path);
        m_path = path;
    }
    return *m_database;
}

void ComponentDatabaseCache::close() {
    if (!m_database)
        return;
    std::unique_ptr<Database> database = std::move(m_database);
    database->close();
}

void VarNameInQuelleErsetzen(Runtime& rt, ComponentDatabaseCache& component,
                             const std::string& visiWin32Name, const std::string& studioName) {
    Procedure proc(rt, "VarNameInQuelleErsetzen");
    std::string path;
    proc.step([&] { path = GetPathOCXMDB(rt); });
    if (path.empty() || !rt.files.fileExists(path))
        return;
    bool studio = rt.presetdb.IsVWStudio == 1;
    const std::string& search = studio ? visiWin32Name : studioName;
    const std::string& replacement = studio ? studioName : visiWin32Name;
    std::unique_ptr<Recordset> rows;
    proc.step([&] {
        rows = component.open(path).openQuery(
            "SELECT PRESET_DEFS.* From PRESET_DEFS WHERE (((PRESET_DEFS.Var_Name)=\"" + search +
            "\"))");
    });
    if (!rows)
        return;
    bool stuck = false;
    while (!stuck && !rows->eof()) {
        proc.step([&] { rows->edit(); });
        proc.step([&] { rows->setValue("var_name", Variant::string(replacement)); });
        proc.step([&] { rows->update(); });
        stuck = true;
        proc.step([&] {
            rows->moveNext();
            stuck = false;
        });
    }
    proc.step([&] { rows->close(); });
}

void CreateRecordSets(Runtime& rt, const std::unique_ptr<Database>& database) {
    Procedure proc(rt, "CreateRecordSets");
    std::string validMachines;
    proc.step([&] { validMachines = GetValidMachines(rt); });
    std::unique_ptr<Recordset> target;
    std::unique_ptr<Recordset> source;
    proc.step([&] { target = use(database).openTable("PRESET_DEFS"); });
    proc.step([&] { source = use(database).openQuery(kSourceQuery); });
    int16_t count = 0;
    proc.step([&] { count = toInteger16(use(source).recordCount()); });
    SourceRows rows = readSourceRows(rt, proc, source.get(), count);
    if (count <= 0 || !target)
        return;

    ComponentDatabaseCache component(rt);
    Generation generation{rt, proc, *target, component};
    size_t highest = 0;
    proc.step([&] {
        if (rt.ExistingMachines.empty())
            throw faults::subscript("no machines are configured");
        highest = rt.ExistingMachines.size() - 1;
    });
    for (size_t machine = 1; machine <= highest; ++machine) {
        bool valid = false;
        proc.step([&] { valid = isMachineValid(rt, static_cast<int>(machine), validMachines); });
        if (!valid)
            continue;
        const std::string& name = rt.ExistingMachines[machine];
        for (int16_t r = 1; r <= count; ++r) {
            const std::vector<Variant>& row = rows[static_cast<size_t>(r)];
            if (machine == 1 || !isCommonDefinition(row.size() > 1 ? row[1] : Variant())) {
                generateRow(generation, row, name);
            }
        }
    }
    proc.step([&] { component.close(); });
}

}  // namespace dalvon
