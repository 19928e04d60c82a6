#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dalvon {

// The kinds of control the window has; a picture button is a command button with a picture.
enum class ControlKind { Label, CommandButton, CheckBox, Frame };

// The kind's type name as the window system reports it ("Label", "CommandButton", ...).
std::string kindTypeName(ControlKind kind);

// The drawn pictures of the picture buttons.
enum class Picture { None, QuestionMark, CheckMark, Cross };

// A colour as 0xRRGGBB.
using Rgb = uint32_t;
inline constexpr Rgb kLightGrey = 0xC0C0C0;
inline constexpr Rgb kGreen = 0x00FF00;

// Position and size in twips (15 to a pixel at 96 dots per inch), relative to the client area
// of the container.
struct Twips {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A font; an empty family means the window system's default dialog font.
struct Font {
    std::string family;
    double points = 0;
    bool bold = false;
};

struct Control {
    std::string name;
    std::optional<int> index;  // set for a member of a control array
    ControlKind kind = ControlKind::Label;
    std::string container;  // empty: the window itself
    Twips geometry;
    int tabIndex = 0;
    int helpId = 0;
    std::string caption;
    std::string tag;
    std::string toolTip;
    bool enabled = true;
    int value = 0;  // check box: 1 checked, 0 unchecked
    Rgb backColor = kLightGrey;
    Font font;
    Picture picture = Picture::None;
    int pictureWidth = 0;  // pixels
    int pictureHeight = 0;
};

// The window's own properties.
struct WindowLayout {
    std::string caption;
    int clientWidth = 0;  // twips
    int clientHeight = 0;
    Rgb backColor = kLightGrey;
};

inline constexpr const char* kDesignCaption = "Base ZEBCFG-Erweiterung";

// The window as designed: its size and caption.
WindowLayout standardWindow();

// The window's controls as designed, in the window's control order.
std::vector<Control> standardControls();

// The client width a view gives the window, in twips: the design width, widened to the
// controls on the window itself that reach past it, so that none is cut off.
int designClientWidth(const WindowLayout& window, const std::vector<Control>& controls);

}  // namespace dalvon
