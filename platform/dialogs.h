#pragma once

#include <cstdio>
#include <memory>
#include <optional>
#include <string>

namespace dalvon {

enum class DialogButtons { Ok, YesNo };
enum class DialogIcon { None, Critical, Exclamation, Information };
enum class DialogAnswer { Ok, Yes, No };

// A modal message box. Line breaks in `text` are the break of the program's texts: line feed
// followed by carriage return ("\n\r"); front ends show them as plain new lines.
struct MessageBox {
    std::string text;
    std::string title;
    DialogButtons buttons = DialogButtons::Ok;
    DialogIcon icon = DialogIcon::None;
    DialogAnswer defaultButton = DialogAnswer::Ok;
};

// Shows message boxes to the operator and returns the button pressed. Only the reporting
// procedures and the window call it.
class Dialogs {
public:
    Dialogs() = default;
    Dialogs(const Dialogs&) = delete;
    Dialogs& operator=(const Dialogs&) = delete;
    virtual ~Dialogs() = default;

    virtual DialogAnswer show(const MessageBox& box) = 0;
};

// The word for an icon in terminal output: "critical", "exclamation", "information", "".
std::string iconWord(DialogIcon icon);

// The text with every break (LF CR, CR LF, lone LF or CR) turned into a plain "\n".
std::string plainLineBreaks(const std::string& text);

// One line of input without its line end (a CR before the LF is dropped too); nothing at the
// end of input.
std::optional<std::string> readTerminalLine(std::FILE* in);

// Terminal front end: prints title, icon word and text to `out`, reads the answer from `in`
// ("y"/"yes", "n"/"no", empty line for the default). At the end of input the default button.
std::unique_ptr<Dialogs> makeTerminalDialogs(std::FILE* in, std::FILE* out);

}  // namespace dalvon
