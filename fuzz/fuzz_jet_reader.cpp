// libFuzzer entry: opens the input as a Jet file and reads every table it lists. A damaged
// input may end in Fault; anything else (crash, hang, sanitizer report) is a finding.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/fault.h"
#include "store/jet/reader/jet_catalog.h"
#include "store/jet/format/jet_file.h"
#include "store/jet/reader/jet_row.h"
#include "store/jet/reader/jet_table_def.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace dalvon::jet;
    try {
        JetFile file(std::vector<uint8_t>(data, data + size), "C:\\fuzz.mdb");
        for (const auto& table : readUserTables(file)) {
            const JetTableDef def = readTableDef(file, table.definitionPage, table.name);
            for (const auto& column : def.columns)
                fieldDefOf(file, column);
            readTableRows(file, def);
        }
    } catch (const dalvon::Fault&) {
    }
    return 0;
}
