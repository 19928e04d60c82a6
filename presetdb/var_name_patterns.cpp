#include "presetdb/var_name_patterns.h"

#include <memory>

#include "platform/fault.h"
#include "platform/text.h"
#include "presetdb/handles.h"
#include "standard/procedure.h"
#include "standard/runtime.h"
#include "store/database.h"

namespace dalvon {
namespace {

constexpr const char* kSystemNames[2] = {"VISIWIN32", "VISIWINSTUDIO"};

void fallBackToPlainNames(Runtime& rt) {
    rt.presetdb.VarNamePatterns[0][1] = "###Var_Name";
    rt.presetdb.VarNamePatterns[1][1] = "###Var_Name";
}

void takeRow(Runtime& rt, Recordset& rows) {
    for (int system = 0; system < 2; ++system) {
        try {
            if (upperCase(rows.value("System").toTextOrEmpty()) != kSystemNames[system])
                continue;
            int part = rows.value("Part").toInteger();
            if (part < 1 || part > 50)
                throw faults::subscript("part " + std::to_string(part));
            std::string pattern = rows.value("Var_Name").toText();
            rt.presetdb.VarNamePatterns[static_cast<size_t>(system)][static_cast<size_t>(part)] =
                pattern;
        } catch (const Fault&) {
            fallBackToPlainNames(rt);
        }
    }
}

}  // namespace

void ReadVarNamePatterns(Runtime& rt, Procedure& proc, const std::string& sourcePath) {
    std::unique_ptr<Database> source;
    proc.step([&] { source = rt.databases.open(sourcePath); });
    std::unique_ptr<Recordset> rows;
    proc.step([&] { rows = use(source).openTable("Source_DEFS"); });
    if (rows) {
        try {
            while (!rows->eof()) {
                takeRow(rt, *rows);
                rows->moveNext();
            }
        } catch (const Fault&) {
            // A set that cannot be walked any further ends the reading.
            fallBackToPlainNames(rt);
        }
        rows.reset();
    } else {
        fallBackToPlainNames(rt);
    }
    proc.step([&] { use(source).close(); });
}

}  // namespace dalvon
