#pragma once

#include <string>

namespace dalvon {

struct Control;

enum class MousePointer { Default, Busy };

// What a front end learns from the window model. The model calls these after it has changed
// its own state; a view renders, it never decides.
class FormView {
public:
    FormView() = default;
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;
    virtual ~FormView() = default;

    // A property of `control` changed (caption, tool tip, enabled, value, colour).
    virtual void controlChanged(const Control& control) = 0;
    virtual void windowCaptionChanged(const std::string& caption) = 0;
    virtual void mousePointerChanged(MousePointer pointer) = 0;
};

}  // namespace dalvon
