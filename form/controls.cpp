#include "form/controls.h"

#include <algorithm>

namespace dalvon {
namespace {

Control pictureButton(std::string name, Twips geometry, int tabIndex, int helpId, Picture picture,
                      int width, int height) {
    Control control;
    control.name = std::move(name);
    control.kind = ControlKind::CommandButton;
    control.geometry = geometry;
    control.tabIndex = tabIndex;
    control.helpId = helpId;
    control.picture = picture;
    control.pictureWidth = width;
    control.pictureHeight = height;
    return control;
}

Control frame(std::string name, std::string container, Twips geometry, int tabIndex, int helpId) {
    Control control;
    control.name = std::move(name);
    control.kind = ControlKind::Frame;
    control.container = std::move(container);
    control.geometry = geometry;
    control.tabIndex = tabIndex;
    control.helpId = helpId;
    return control;
}

Control checkJump() {
    Control control;
    control.name = "CheckJump";
    control.kind = ControlKind::CheckBox;
    control.container = "FrameRezept";
    control.geometry = {120, 150, 4245, 375};
    control.tabIndex = 6;
    control.helpId = 12;
    control.caption = "Sprung zu MaterialChange";
    control.font = {"MS Sans Serif", 12, true};
    return control;
}

Control header() {
    Control control;
    control.name = "Header";
    control.kind = ControlKind::Label;
    control.geometry = {30, 30, 11775, 360};
    control.tabIndex = 4;
    control.caption = "Dalvon - Konfiguration Voreinstellungen";
    control.font = {"MS Sans Serif", 13.5, true};
    return control;
}

}  // namespace

std::string kindTypeName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return "Label";
        case ControlKind::CommandButton:
            return "CommandButton";
        case ControlKind::CheckBox:
            return "CheckBox";
        case ControlKind::Frame:
            return "Frame";
    }
    return "";
}

WindowLayout standardWindow() {
    return {kDesignCaption, 11400, 8595, kLightGrey};
}

std::vector<Control> standardControls() {
    // OK and Cancel start disabled: the load handler enables them once the window is ready.
    Control ok =
        pictureButton("CommandOK", {8400, 7710, 1695, 855}, 1, 1, Picture::CheckMark, 44, 36);
    ok.enabled = false;
    Control cancel =
        pictureButton("CommandCancel", {10170, 7710, 1695, 855}, 2, 2, Picture::Cross, 37, 39);
    cancel.enabled = false;
    return {
        pictureButton("CommandQuest", {7350, 7710, 975, 855}, 3, 0, Picture::QuestionMark, 41, 45),
        ok,
        cancel,
        frame("MainFrame", "", {0, 390, 11880, 7260}, 0, 0),
        frame("FrameRezept", "MainFrame", {90, 120, 4470, 2400}, 5, 11),
        checkJump(),
        header(),
    };
}

int designClientWidth(const WindowLayout& window, const std::vector<Control>& controls) {
    int width = window.clientWidth;
    for (const Control& control : controls) {
        if (control.container.empty())
            width = std::max(width, control.geometry.left + control.geometry.width);
    }
    return width;
}

}  // namespace dalvon
