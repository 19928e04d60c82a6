#include "form/terminal/terminal_front_end.h"

#include <chrono>
#include <optional>
#include <string>

#include "form/frm_dalvon_config_exe.h"
#include "form/terminal/terminal_dialogs.h"
#include "platform/event_loop.h"
#include "platform/fault.h"

namespace dalvon {
namespace {

struct Command {
    const char* name;
    const char* meaning;
};

// The window's controls as commands, in the order the help lists them.
constexpr Command kCommands[] = {
    {"ok", "press OK: run the update and store the option (in info mode: its info text)"},
    {"cancel", "press Cancel: asks, then leaves without changes (in info mode: its info text)"},
    {"close", "close the window: asks like Cancel, also in info mode"},
    {"toggle", "click the check box (in info mode: its info text, the box keeps its state)"},
    {"info", "press the help button: info mode on or off"},
    {"frame", "click the recipe frame (in info mode: its info text)"},
    {"help", "show these commands"},
};

std::string commandNames() {
    std::string names;
    for (const Command& command : kCommands)
        names += (names.empty() ? "" : ", ") + std::string(command.name);
    return names;
}

std::optional<std::string> readCommand(std::FILE* in) {
    std::optional<std::string> line = readTerminalLine(in);
    if (!line)
        return std::nullopt;
    size_t begin = line->find_first_not_of(" \t");
    size_t end = line->find_last_not_of(" \t");
    return begin == std::string::npos ? std::string() : line->substr(begin, end - begin + 1);
}

// "kept": previous rows whose limits the takeover wrote into a rebuilt row.
std::string takeoverCountText(const TakeoverCounts& counts) {
    int32_t all = counts.kept + counts.notKept;
    std::string rows = std::to_string(all) + (all == 1 ? " previous row" : " previous rows");
    if (counts.notKept == 0)
        return "Limits: " + std::string(all == 1 ? "the " : "all ") + rows + " kept theirs.";
    return "Limits: " + std::to_string(counts.kept) + " of " + rows + " kept theirs, " +
           std::to_string(counts.notKept) + " did not (no rebuilt row with the same key).";
}

// A path as one word for a shell: in single quotes unless it needs none.
std::string shellWord(const std::string& text) {
    bool plain = !text.empty() && text.find_first_not_of(
                                      "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                      "abcdefghijklmnopqrstuvwxyz"
                                      "0123456789_./+-:@%,=") == std::string::npos;
    if (plain)
        return text;
    std::string word = "'";
    for (char c : text)
        word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

class TerminalFrontEnd : public FrontEnd, public FormView {
public:
    TerminalFrontEnd(std::FILE* in, std::FILE* out)
        : m_in(in), m_out(out), m_dialogs(makeTerminalDialogs(in, out)) {}

    Dialogs& dialogs() override { return *m_dialogs; }
    EventLoop& events() override { return m_events; }

    void run(frm_Dalvon_Config_Exe& form) override {
        try {
            // Silent start ends inside the load, before the view is set: it prints nothing.
            form.Form_Load();
            printWindow(form);
            form.setView(this);
            form.Form_Activate();
            readCommands(form);
        } catch (const ProgramEnd& end) {
            if (m_workingSince)
                printOutcome(form, end);
            throw;
        }
    }

    void controlChanged(const Control& control) override {
        if (control.kind == ControlKind::CheckBox)
            printCheckBox(control);
        else if (control.name == "CommandQuest")
            std::fputs(control.backColor == kGreen ? "Info mode on\n" : "Info mode off\n", m_out);
    }

    void windowCaptionChanged(const std::string&) override {}

    void mousePointerChanged(MousePointer pointer) override {
        if (pointer == MousePointer::Busy) {
            std::fputs("Working ...\n", m_out);
            std::fflush(m_out);
            m_workingSince = std::chrono::steady_clock::now();
        } else {
            m_updateReturned = m_workingSince.has_value();
        }
    }

private:
    void readCommands(frm_Dalvon_Config_Exe& form) {
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
        else if (command == "info")
            form.CommandQuest_Click();
        else if (command == "frame")
            form.FrameRezept_Click();
        else if (command == "help" || command == "?")
            printHelp();
        else
            std::fprintf(m_out, "Unknown command \"%s\"; commands: %s\n", command.c_str(),
                         commandNames().c_str());
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
        std::fprintf(m_out, "Commands: %s\n", commandNames().c_str());
    }

    void printHelp() {
        for (const Command& command : kCommands)
            std::fprintf(m_out, "  %-7s %s\n", command.name, command.meaning);
        std::fputs("A question takes yes, no, or an empty line for its default answer.\n", m_out);
    }

    void printCheckBox(const Control& box) {
        std::fprintf(m_out, "[%c] %s\n", box.value != 0 ? 'x' : ' ', box.caption.c_str());
    }

    // After "Working ...": how the update went, so that a terminal user is not left guessing.
    void printOutcome(const frm_Dalvon_Config_Exe& form, const ProgramEnd& end) {
        if (end.exitStatus != kExitOk || !m_updateReturned) {
            std::fprintf(m_out, "The update ended early (exit status %d).\n", end.exitStatus);
            return;
        }
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - *m_workingSince)
                .count();
        std::optional<int32_t> rows = form.presetRowCount();
        std::string written =
            rows ? std::to_string(*rows) + " rows of PRESET_DEFS written, " : std::string();
        std::fprintf(m_out, "The update finished: %s%.1f s.\n", written.c_str(), seconds);
        printTakeover(form.updateSummary());
    }

    // Which backup holds the previous rows, how many of them kept their limits, and the command
    // that lists the others.
    void printTakeover(const UpdateSummary& summary) {
        if (summary.backup.empty())
            return;
        std::fprintf(m_out, "The previous component database is kept as %s.\n",
                     summary.backup.c_str());
        if (summary.takeover)
            std::fprintf(m_out, "%s\n", takeoverCountText(*summary.takeover).c_str());
        std::fprintf(m_out, "What the update changed: dalvon-db diff %s %s\n",
                     shellWord(summary.backup).c_str(), shellWord(summary.database).c_str());
    }

    std::FILE* m_in;
    std::FILE* m_out;
    std::unique_ptr<Dialogs> m_dialogs;
    CountingEventLoop m_events;
    std::optional<std::chrono::steady_clock::time_point> m_workingSince;
    bool m_updateReturned = false;
};

}  // namespace

std::unique_ptr<FrontEnd> makeTerminalFrontEnd(std::FILE* in, std::FILE* out) {
    return std::make_unique<TerminalFrontEnd>(in, out);
}

}  // namespace dalvon
