#include "form/frm_dalvon_config_exe.h"
#include "platform/fault.h"
#include "standard/installation_paths.h"
#include "standard/runtime.h"
#include "store/database.h"

namespace dalvon {

std::optional<int32_t> frm_Dalvon_Config_Exe::presetRowCount() const {
    try {
        std::unique_ptr<Database> db = m_rt.databases.open(GetPathOCXMDB(m_rt));
        std::unique_ptr<Recordset> rows = db->openTable("PRESET_DEFS");
        int32_t count = rows->recordCount();
        rows->close();
        db->close();
        return count;
    } catch (const Fault&) {
        // Only a summary: a database that cannot be read leaves it out.
        return std::nullopt;
    }
}

}  // namespace dalvon
