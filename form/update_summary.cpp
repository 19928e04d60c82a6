#include "form/frm_dalvon_config_exe.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "standard/installation_paths.h"
#include "standard/runtime.h"

namespace dalvon {

UpdateSummary frm_Dalvon_Config_Exe::updateSummary() const {
    UpdateSummary summary;
    try {
        if (!m_rt.run.componentBackup.empty())
            summary.backup = m_rt.files.hostPath(m_rt.run.componentBackup);
        summary.database = m_rt.files.hostPath(GetPathOCXMDB(m_rt));
    } catch (const Fault&) {
        // Only a summary: a path that cannot be shown leaves the backup out.
        summary.backup.clear();
    }
    if (!m_rt.StartModeIntegrated)
        summary.takeover = m_rt.run.takeover;
    return summary;
}

}  // namespace dalvon
