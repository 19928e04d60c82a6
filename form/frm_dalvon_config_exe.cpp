#include "form/frm_dalvon_config_exe.h"

#include "form/form_texts.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/fault.h"
#include "platform/program_identity.h"
#include "presetdb/work_on_mdb.h"
#include "standard/command_line.h"
#include "standard/error_reporting.h"
#include "standard/installation_paths.h"
#include "standard/procedure.h"
#include "standard/program_folder.h"
#include "standard/runtime.h"

namespace dalvon {
namespace {

// The unload mode of the close box and the system menu.
constexpr int kFromControlMenu = 0;

// The first control named `name` (const or not); Fault 9 when there is none.
template <class Controls>
auto findControl(Controls& controls, const std::string& name) -> decltype(&controls[0]) {
    for (auto& candidate : controls) {
        if (candidate.name == name)
            return &candidate;
    }
    throw faults::subscript("control " + name);
}

}  // namespace

frm_Dalvon_Config_Exe::frm_Dalvon_Config_Exe(Runtime& rt, std::vector<Control> controls)
    : m_rt(rt), m_controls(std::move(controls)) {}

void frm_Dalvon_Config_Exe::Form_Load() {
    Procedure proc(m_rt, "Form_Load");
    proc.step([&] { LoadToolTipTexts(); });
    proc.step([&] { m_ConfigurationIniPath = GetZEBConfigurationIniPath(m_rt); });
    bool integrated = proc.value(false, [&] { return GetStartModeIntegrated(m_rt); });
    proc.step([&] {
        std::string folder = GetFileNameOnly(m_rt, m_rt.identity.programFolder());
        setWindowCaption("Erweiterte Konfiguration " + folder +
                         (integrated ? " - integriert" : " - standalone"));
    });
    proc.step([&] { GetExistingMachines(m_rt, m_ConfigurationIniPath); });
    proc.step([&] { SetupUserInterFace(); });
    proc.step([&] {
        if (m_rt.StartModeSilent) {
            CommandOK_Click();
            return;
        }
        setEnabled("CommandOK", true);
        setEnabled("CommandCancel", true);
    });
}

void frm_Dalvon_Config_Exe::Form_Activate() {
    Procedure proc(m_rt, "Form_Activate");
    // Once OK has acted, the buttons stay disabled until the end, however often the window
    // becomes active again during the update.
    proc.step([&] {
        if (!m_okPathStarted)
            setEnabled("CommandOK", true);
    });
}

void frm_Dalvon_Config_Exe::Form_Resize() {
    // Controls keep their design positions whatever the window's size.
}

void frm_Dalvon_Config_Exe::Form_QueryUnload(int& Cancel, int /*UnloadMode*/) {
    Procedure proc(m_rt, "Form_QueryUnload");
    // A failed confirmation keeps the window open, as a failed condition runs its branch.
    bool confirmed = proc.value(false, [&] { return ConfirmCancel(); });
    if (!confirmed)
        Cancel = 1;
}

void frm_Dalvon_Config_Exe::CommandOK_Click() {
    Procedure proc(m_rt, "CommandOK_Click");
    if (m_rt.form.InfoMode) {
        proc.step([&] { ShowInfoText(control("CommandOK")); });
        return;
    }
    m_okPathStarted = true;
    proc.step([&] { setEnabled("CommandOK", false); });
    proc.step([&] { setEnabled("CommandCancel", false); });
    proc.step([&] { CloseMe(); });
}

void frm_Dalvon_Config_Exe::CommandCancel_Click() {
    Procedure proc(m_rt, "CommandCancel_Click");
    if (m_rt.form.InfoMode) {
        proc.step([&] { ShowInfoText(control("CommandCancel")); });
        return;
    }
    // A failed confirmation runs the guarded branch, as a failed condition does: the end.
    bool confirmed = proc.value(true, [&] { return ConfirmCancel(); });
    if (confirmed)
        EndProgram(m_rt, kExitCancelled);
}

void frm_Dalvon_Config_Exe::CloseMe() {
    Procedure proc(m_rt, "CloseMe");
    proc.step([&] { m_rt.events.yield(); });
    proc.step([&] { setMousePointer(MousePointer::Busy); });
    proc.step([&] { WorkOnMDB(m_rt); });
    proc.step([&] { WriteInputs(); });
    proc.step([&] { setMousePointer(MousePointer::Default); });
    EndProgram(m_rt, FinishedExitStatus(m_rt));
}

bool frm_Dalvon_Config_Exe::ConfirmCancel() {
    std::string component = m_rt.StartModeIntegrated ? GetOCXName(m_rt) : std::string();
    std::string question =
        cancelQuestion(m_rt.StartModeIntegrated, component, m_rt.identity.programFolder(),
                       m_rt.identity.executableName());
    if (m_rt.StartModeSilent) {
        WriteServiceLog(m_rt, question);
        return true;
    }
    MessageBox box{question, "Cancel?", DialogButtons::YesNo, DialogIcon::Exclamation,
                   DialogAnswer::No};
    if (m_rt.dialogs.show(box) != DialogAnswer::Yes)
        return false;
    WriteErrorLog(m_rt, cancelLogLine(GetOCXName(m_rt)), false);
    return true;
}

void frm_Dalvon_Config_Exe::operatorClosesWindow() {
    int cancel = 0;
    Form_QueryUnload(cancel, kFromControlMenu);
    if (cancel == 0)
        EndProgram(m_rt, kExitCancelled);
}

void frm_Dalvon_Config_Exe::endAsConfirmedCancel() {
    Procedure proc(m_rt, "Form_QueryUnload");
    proc.step([&] { WriteErrorLog(m_rt, cancelLogLine(GetOCXName(m_rt)), false); });
    EndProgram(m_rt, kExitCancelled);
}

const Control& frm_Dalvon_Config_Exe::control(const std::string& name) const {
    return *findControl(m_controls, name);
}

Control& frm_Dalvon_Config_Exe::mutableControl(const std::string& name) {
    return *findControl(m_controls, name);
}

void frm_Dalvon_Config_Exe::setEnabled(const std::string& name, bool enabled) {
    Control& target = mutableControl(name);
    target.enabled = enabled;
    notify(target);
}

void frm_Dalvon_Config_Exe::setValue(const std::string& name, int value) {
    Control& target = mutableControl(name);
    target.value = value;
    notify(target);
}

void frm_Dalvon_Config_Exe::setBackColor(const std::string& name, Rgb color) {
    Control& target = mutableControl(name);
    target.backColor = color;
    notify(target);
}

void frm_Dalvon_Config_Exe::setWindowCaption(const std::string& caption) {
    m_window.caption = caption;
    if (m_view != nullptr)
        m_view->windowCaptionChanged(caption);
}

void frm_Dalvon_Config_Exe::setMousePointer(MousePointer pointer) {
    m_pointer = pointer;
    if (m_view != nullptr)
        m_view->mousePointerChanged(pointer);
}

void frm_Dalvon_Config_Exe::notify(const Control& control) {
    if (m_view != nullptr)
        m_view->controlChanged(control);
}

}  // namespace dalvon
