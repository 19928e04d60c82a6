#include "form/terminal/terminal_front_end.h"

#include <optional>
#include <string>

#include "form/frm_dalvon_config_exe.h"
#include "platform/dialogs.h"
#include "platform/event_loop.h"
#include "platform/fault.h"

namespace dalvon {
namespace {

constexpr const char* kCommands = "ok, cancel, close, toggle, help, frame";

std::optional<std::string> readCommand(std::FILE* in) {
    std::optional<std::string> line = readTerminalLine(in);
    if (!line)
        return std::nullopt;
    size_t begin = line->find_first_not_of(" \t");
    size_t end = line->find_last_not_of(" \t");
    return begin == std::string::npos ? std::string() : line->substr(begin, end - begin + 1);
}

class TerminalFrontEnd : public FrontEnd, public FormView {
public:
    TerminalFrontEnd(std::FILE* in, std::FILE* out)
        : m_in(in), m_out(out), m_dialogs(makeTerminalDialogs(in, out)) {}

    Dialogs& dialogs() override { return *m_dialogs; }
    EventLoop& events() override { return m_events; }

    void run(frm_Dalvon_Config_Exe& form) override {
        form.Form_Load();
        printWindow(form);
        form.setView(this);
        form.Form_Activate();
        for (;;) {
            std::fputs("> ", m_out);
            std::fflush(m_out);
            std::optional<std::string> command = readCommand(m_in);
            if (!command) {
                std::fputc('\n', m_out);
                form.endAsConfirmedCancel();
            }
            try {
                perform(form, *command);
            } catch (const Fault& fault) {
                std::fprintf(m_out, "error: %s\n", fault.description().c_str());
            }
        }
    }

    void controlChanged(const Control& control) override {
        if (control.kind == ControlKind::CheckBox)
            printCheckBox(control);
        else if (control.name == "CommandQuest")
            std::fputs(control.backColor == kGreen ? "Info mode on\n" : "Info mode off\n", m_out);
    }

    void windowCaptionChanged(const std::string& caption) override {
        std::fprintf(m_out, "%s\n", caption.c_str());
    }

    void mousePointerChanged(MousePointer pointer) override {
        if (pointer == MousePointer::Busy)
            std::fputs("Working ...\n", m_out);
    }

private:
    void perform(frm_Dalvon_Config_Exe& form, const std::string& command) {
        if (command.empty())
            return;
        if (command == "ok")
            clickButton(form, "CommandOK", [&] { form.CommandOK_Click(); });
        else if (command == "cancel")
            clickButton(form, "CommandCancel", [&] { form.CommandCancel_Click(); });
        else if (command == "close")
            form.operatorClosesWindow();
        else if (command == "toggle")
            form.operatorClicksCheckJump();
        else if (command == "help")
            form.CommandQuest_Click();
        else if (command == "frame")
            form.FrameRezept_Click();
        else
            std::fprintf(m_out, "Unknown command \"%s\"; commands: %s\n", command.c_str(),
                         kCommands);
    }

    template <class Click>
    void clickButton(const frm_Dalvon_Config_Exe& form, const char* name, Click&& click) {
        if (!form.control(name).enabled) {
            std::fprintf(m_out, "%s is disabled\n", name);
            return;
        }
        click();
    }

    void printWindow(const frm_Dalvon_Config_Exe& form) {
        std::fprintf(m_out, "%s\n%s\n", form.window().caption.c_str(),
                     form.control("Header").caption.c_str());
        printCheckBox(form.control("CheckJump"));
        std::fprintf(m_out, "Commands: %s\n", kCommands);
    }

    void printCheckBox(const Control& box) {
        std::fprintf(m_out, "[%c] %s\n", box.value != 0 ? 'x' : ' ', box.caption.c_str());
    }

    std::FILE* m_in;
    std::FILE* m_out;
    std::unique_ptr<Dialogs> m_dialogs;
    CountingEventLoop m_events;
};

}  // namespace

std::unique_ptr<FrontEnd> makeTerminalFrontEnd(std::FILE* in, std::FILE* out) {
    return std::make_unique<TerminalFrontEnd>(in, out);
}

}  // namespace dalvon
