#pragma once

namespace dalvon {

class Dialogs;
class EventLoop;
class frm_Dalvon_Config_Exe;

// A way of showing the window to the operator: the dialogs and the message loop the Runtime
// is built over, and the loop that runs the window. Built before the Runtime, since the Runtime
// refers to its services.
class FrontEnd {
public:
    FrontEnd() = default;
    FrontEnd(const FrontEnd&) = delete;
    FrontEnd& operator=(const FrontEnd&) = delete;
    virtual ~FrontEnd() = default;

    virtual Dialogs& dialogs() = 0;
    virtual EventLoop& events() = 0;

    // Loads the window, shows it and lets the operator work with it. Leaves only by throwing
    // ProgramEnd: every way of ending the program ends through EndProgram.
    virtual void run(frm_Dalvon_Config_Exe& form) = 0;
};

}  // namespace dalvon
