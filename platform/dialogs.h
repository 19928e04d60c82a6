#pragma once

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

// The text with every break (LF CR, CR LF, lone LF or CR) turned into a plain "\n".
std::string plainLineBreaks(const std::string& text);

}  // namespace dalvon
