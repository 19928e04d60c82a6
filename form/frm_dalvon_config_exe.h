#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "form/controls.h"
#include "form/form_view.h"
#include "standard/runtime.h"

namespace dalvon {

struct Runtime;

// For a front end's summary after the update: the copy of the component database as the run
// found it and the component database now (host paths; `backup` empty when no copy was made),
// and, in standalone start, how many previous rows the takeover carried over (none when it did
// not run; in integrated start its previous rows are the machine copy's, not the backup's).
struct UpdateSummary {
    std::string backup;
    std::string database;
    std::optional<TakeoverCounts> takeover;
};

// The program's one window as a model: its controls, its handlers and the procedures behind
// them. The handlers keep the names people know from the old program. A front end renders the
// model through a FormView and forwards the operator's actions to the handlers.
//
// Every way of leaving the program throws ProgramEnd (from EndProgram); nothing else leaves
// a handler.
class frm_Dalvon_Config_Exe {
public:
    explicit frm_Dalvon_Config_Exe(Runtime& rt, std::vector<Control> controls = standardControls());
    frm_Dalvon_Config_Exe(const frm_Dalvon_Config_Exe&) = delete;
    frm_Dalvon_Config_Exe& operator=(const frm_Dalvon_Config_Exe&) = delete;

    // Lifecycle, OK and Cancel.
    void Form_Load();
    void Form_Activate();
    void Form_Resize();
    // Asked before the operator closes the window; sets `Cancel` to keep it open.
    void Form_QueryUnload(int& Cancel, int UnloadMode);
    void CommandOK_Click();
    void CommandCancel_Click();
    void CloseMe();
    bool ConfirmCancel();

    // The option and the edit stamp.
    void SetupUserInterFace();
    void WriteInputs();
    void WriteEditInfo();

    // Captions, tool tips and info texts from the language file.
    std::string GetLanguage();
    void LoadToolTipTexts();

    // Info mode.
    void CommandQuest_Click();
    void ShowInfoText(const Control& X);
    void CheckJump_Click();
    void FrameRezept_Click();

    // What the window system does for the operator.
    // A click on the check box: its state flips, then its click handler runs.
    void operatorClicksCheckJump();
    // The close box: asks through Form_QueryUnload; a confirmed close ends the program with
    // the cancelled status.
    void operatorClosesWindow();
    // The end of a scripted session: leaves as a confirmed cancel would, without asking.
    void endAsConfirmedCancel();

    const WindowLayout& window() const { return m_window; }
    const std::vector<Control>& controls() const { return m_controls; }
    // The first control named `name`; Fault 9 when there is none.
    const Control& control(const std::string& name) const;
    MousePointer mousePointer() const { return m_pointer; }
    const std::string& ConfigurationIniPath() const { return m_ConfigurationIniPath; }
    // The language file: program folder + executable name + ".ini".
    std::string languageFilePath() const;
    // The language number LoadToolTipTexts used ("1031"); empty before it ran.
    const std::string& language() const { return m_language; }
    // The rows of PRESET_DEFS in the component database, for a front end's summary after the
    // update; nothing when the database cannot be read.
    std::optional<int32_t> presetRowCount() const;
    // What the update noted for the same summary (see UpdateSummary).
    UpdateSummary updateSummary() const;

    // The view to notify of changes; null for none. Not owned.
    void setView(FormView* view) { m_view = view; }

private:
    Control& mutableControl(const std::string& name);
    void setEnabled(const std::string& name, bool enabled);
    void setValue(const std::string& name, int value);
    void setBackColor(const std::string& name, Rgb color);
    void setWindowCaption(const std::string& caption);
    void setMousePointer(MousePointer pointer);
    void notify(const Control& control);

    bool isInControlArray(const Control& control) const;
    void loadControlTexts(Control& X, const std::string& lang, const std::string& file);
    void loadCaptionAndHelp(Control& X, bool inArray, const std::string& lang,
                            const std::string& file);
    void loadToolTip(Control& X, bool inArray, const std::string& lang, const std::string& file);

    Runtime& m_rt;
    WindowLayout m_window = standardWindow();
    std::vector<Control> m_controls;
    std::string m_ConfigurationIniPath;
    std::string m_language;
    MousePointer m_pointer = MousePointer::Default;
    // Set once OK acts: from then on nothing enables OK or Cancel again.
    bool m_okPathStarted = false;
    FormView* m_view = nullptr;
};

}  // namespace dalvon
