// Info mode: the help button, and the controls that show their info texts instead of acting.
#include "form/form_texts.h"
#include "form/frm_dalvon_config_exe.h"
#include "platform/dialogs.h"
#include "platform/fault.h"
#include "standard/runtime.h"

namespace dalvon {

void frm_Dalvon_Config_Exe::CommandQuest_Click() {
    FormState& state = m_rt.form;
    state.InfoMode = !state.InfoMode;
    setBackColor("CommandQuest", state.InfoMode ? kGreen : kLightGrey);
}

void frm_Dalvon_Config_Exe::ShowInfoText(const Control& X) {
    if (!m_rt.form.InfoMode)
        return;
    const auto& texts = m_rt.form.InfoTexts;
    std::string text;
    int slot = X.helpId - 1;
    if (slot >= 0 && slot < static_cast<int>(texts.size()))
        text = texts[static_cast<size_t>(slot)];
    MessageBox box{expandLineMarkers(text), "Info:", DialogButtons::Ok, DialogIcon::Information,
                   DialogAnswer::Ok};
    try {
        m_rt.dialogs.show(box);
    } catch (const Fault&) {
        // An info box that cannot be shown is not worth a report.
    }
}

void frm_Dalvon_Config_Exe::CheckJump_Click() {
    FormState& state = m_rt.form;
    if (!state.InfoMode)
        return;
    if (state.CheckJumpRestoring) {
        state.CheckJumpRestoring = false;
        return;
    }
    state.CheckJumpRestoring = true;
    // Putting the state back raises the click once more, as a click by the operator would;
    // the restoring flag makes that second click do nothing.
    setValue("CheckJump", control("CheckJump").value != 0 ? 0 : 1);
    CheckJump_Click();
    ShowInfoText(control("CheckJump"));
}

void frm_Dalvon_Config_Exe::FrameRezept_Click() {
    ShowInfoText(control("FrameRezept"));
}

void frm_Dalvon_Config_Exe::operatorClicksCheckJump() {
    setValue("CheckJump", control("CheckJump").value != 0 ? 0 : 1);
    CheckJump_Click();
}

}  // namespace dalvon
