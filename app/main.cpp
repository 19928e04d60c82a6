// The program: builds the platform services and the Runtime, picks a front end and hands
// control to the window's load handler. Every way of ending arrives here as ProgramEnd.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/start_options.h"
#include "app/system_window_choice.h"
#include "app/window_choice.h"
#include "app/window_front_end.h"
#include "form/frm_dalvon_config_exe.h"
#include "form/terminal/terminal_front_end.h"
#include "platform/console.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "platform/process_setup.h"
#include "platform/profile_store.h"
#include "platform/program_identity.h"
#include "standard/error_reporting.h"
#include "standard/program_folder.h"
#include "standard/run_guard.h"
#include "standard/runtime.h"
#include "store/database.h"

namespace dalvon {
namespace {

// The window can be shown neither on a display nor on a terminal.
struct NoFrontEnd {
    std::string reason;
};

std::unique_ptr<FrontEnd> chooseFrontEnd(bool silent, int& argc, char** argv) {
    // Silent start shows nothing, so it never touches the window system.
    if (silent)
        return makeTerminalFrontEnd(stdin, stderr);
    WindowChoice choice = chooseSystemWindow();
    if (choice.kind == WindowChoice::Kind::Window) {
        if (std::unique_ptr<FrontEnd> window = makeWindowFrontEnd(argc, argv, choice.platform))
            return window;
    } else if (choice.kind == WindowChoice::Kind::Unreachable) {
        if (!standardInputIsTerminal())
            throw NoFrontEnd{choice.reason};
        std::fprintf(stderr, "Dalvon_Config: %s; using the terminal.\n", choice.reason.c_str());
    }
    return makeTerminalFrontEnd(stdin, stderr);
}

// After an end through an error: when the program is not inside an installation at all (started
// from the build folder), the missing configuration file is the first thing it met; say how to
// name an installation.
void hintAtInstallation(Runtime& rt) {
    std::string base = GetBaseFolder(rt);
    std::string component = GetOCXName(rt);
    auto isFolder = [&](const std::string& path) {
        std::error_code error;
        return std::filesystem::is_directory(pathFromUtf8(rt.files.hostPath(path)), error);
    };
    if (rt.files.fileExists(base + "\\" + component + "\\" + component + ".cfg") ||
        isFolder(base + "\\" + component) || isFolder(base + "\\parameter"))
        return;
    std::fputs(installationHint(rt.files.hostPath(rt.identity.programFolder())).c_str(), stderr);
}

int start(int& argc, char** argv, char** environment, const StartRequest& request) {
    std::unique_ptr<FileSystem> files = makeSystemFileSystem();
    std::unique_ptr<ProfileStore> profiles = makeProfileStore(*files);
    std::string invokedAs = invokedProgramPath(argv[0]);
    if (!request.installation.empty())
        invokedAs = executableInInstallation(request.installation, invokedAs);
    std::unique_ptr<ProgramIdentity> identity =
        makeProcessIdentity(*files, invokedAs, request.arguments, environment);
    std::unique_ptr<DatabaseEngine> databases = makeDatabaseEngine(*files);
    bool silent = isSilentStart(identity->commandLine());
    std::unique_ptr<FrontEnd> frontEnd = chooseFrontEnd(silent, argc, argv);
    Runtime rt(Services{*files, *profiles, frontEnd->dialogs(), frontEnd->events(), *identity,
                        *databases});
    RunStart run = BeginRun(rt, silent);
    if (run.refused) {
        std::fprintf(stderr, "%s\n", run.message.c_str());
        return kExitError;
    }
    frm_Dalvon_Config_Exe form(rt);
    try {
        frontEnd->run(form);
    } catch (const ProgramEnd& end) {
        // What the update wrote so far stays written, however the program ends.
        databases->flushAll();
        if (end.exitStatus == kExitError && request.installation.empty())
            hintAtInstallation(rt);
        // Silent start shows nothing: the caller learns here where the faults went. Other
        // starts showed their faults, but not the failures that no log receives.
        bool ended = end.exitStatus == kExitFaultsReported || end.exitStatus == kExitError;
        std::string closing =
            silent && ended ? FaultSummaryLine(rt, end.exitStatus) : UnloggedFailuresLine(rt);
        if (!closing.empty())
            std::fprintf(stderr, "%s\n", closing.c_str());
        return end.exitStatus;
    }
    return kExitError;
}

int checkInstallation(const std::string& folder) {
    std::error_code error;
    if (std::filesystem::is_directory(pathFromUtf8(folder), error))
        return kExitOk;
    std::fprintf(stderr, "Dalvon_Config: --installation: '%s' is not a folder\n", folder.c_str());
    return kExitError;
}

}  // namespace
}  // namespace dalvon

int main(int argc, char** argv, char** environment) {
    dalvon::prepareProcess();
    dalvon::StartRequest request = dalvon::parseStart(dalvon::programArguments(argc, argv));
    switch (request.kind) {
        case dalvon::Request::Help:
            std::fputs(dalvon::usageText().c_str(), stdout);
            return dalvon::kExitOk;
        case dalvon::Request::Version:
            std::printf("%s\n", dalvon::versionText().c_str());
            return dalvon::kExitOk;
        case dalvon::Request::Invalid:
            std::fprintf(stderr, "Dalvon_Config: %s (see Dalvon_Config --help)\n",
                         request.error.c_str());
            return dalvon::kExitError;
        case dalvon::Request::Start:
            break;
    }
    if (!request.installation.empty() &&
        dalvon::checkInstallation(request.installation) != dalvon::kExitOk)
        return dalvon::kExitError;
    try {
        return dalvon::start(argc, argv, environment, request);
    } catch (const dalvon::NoFrontEnd& none) {
        std::fprintf(stderr,
                     "Dalvon_Config: cannot show the window: %s, and standard input is no "
                     "terminal. Nothing was changed. Start it on a working display, with "
                     "DALVON_UI=terminal, or with /EXTERNAL=SILENT.\n",
                     none.reason.c_str());
        return dalvon::kExitError;
    } catch (const dalvon::Fault& fault) {
        // A fault before the window exists (a bad drive table, an unusable program folder).
        std::fprintf(stderr, "Dalvon_Config: %s (error %d)\n", fault.description().c_str(),
                     fault.number());
        return dalvon::kExitError;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "Dalvon_Config: %s\n", error.what());
        return dalvon::kExitError;
    } catch (...) {
        std::fputs("Dalvon_Config: ended by an unknown failure\n", stderr);
        return dalvon::kExitError;
    }
}
