// The program: builds the platform services and the Runtime, picks a front end and hands
// control to the window's load handler. Every way of ending arrives here as ProgramEnd.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "app/start_options.h"
#include "app/window_front_end.h"
#include "form/frm_dalvon_config_exe.h"
#include "form/terminal/terminal_front_end.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/profile_store.h"
#include "platform/program_identity.h"
#include "standard/runtime.h"
#include "store/database.h"

extern char** environ;

namespace dalvon {
namespace {

std::unique_ptr<FrontEnd> chooseFrontEnd(bool silent, int& argc, char** argv) {
    // Silent start shows nothing, so it never touches the window system.
    if (!silent && wantsWindow(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                               std::getenv("QT_QPA_PLATFORM"), std::getenv("DALVON_UI"))) {
        if (std::unique_ptr<FrontEnd> window = makeWindowFrontEnd(argc, argv))
            return window;
    }
    return makeTerminalFrontEnd(stdin, stdout);
}

int start(int& argc, char** argv, const std::vector<std::string>& arguments) {
    std::unique_ptr<FileSystem> files = makePosixFileSystem(drivesFromEnvironment());
    std::unique_ptr<ProfileStore> profiles = makeProfileStore(*files);
    std::unique_ptr<ProgramIdentity> identity =
        makeProcessIdentity(*files, argv[0], arguments, environ);
    std::unique_ptr<DatabaseEngine> databases = makeDatabaseEngine(*files);
    std::unique_ptr<FrontEnd> frontEnd =
        chooseFrontEnd(isSilentStart(identity->commandLine()), argc, argv);
    Runtime rt(Services{*files, *profiles, frontEnd->dialogs(), frontEnd->events(), *identity,
                        *databases});
    frm_Dalvon_Config_Exe form(rt);
    try {
        frontEnd->run(form);
    } catch (const ProgramEnd& end) {
        // What the update wrote so far stays written, however the program ends.
        databases->flushAll();
        return end.exitStatus;
    }
    return kExitError;
}

}  // namespace
}  // namespace dalvon

int main(int argc, char** argv) {
    std::vector<std::string> arguments(argv + 1, argv + argc);
    switch (dalvon::requestOf(arguments)) {
        case dalvon::Request::Help:
            std::fputs(dalvon::usageText().c_str(), stdout);
            return dalvon::kExitOk;
        case dalvon::Request::Version:
            std::printf("%s\n", dalvon::versionText().c_str());
            return dalvon::kExitOk;
        case dalvon::Request::Start:
            break;
    }
    try {
        return dalvon::start(argc, argv, arguments);
    } catch (const dalvon::Fault& fault) {
        // A fault before the window exists (a bad drive table, an unusable program folder).
        std::fprintf(stderr, "Dalvon_Config: %s (error %d)\n", fault.description().c_str(),
                     fault.number());
        return dalvon::kExitError;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Dalvon_Config: %s\n", error.what());
        return dalvon::kExitError;
    }
}
