#include "standard/program_folder.h"

#include "platform/event_loop.h"
#include "platform/fault.h"
#include "platform/program_identity.h"
#include "platform/text.h"
#include "standard/procedure.h"
#include "standard/runtime.h"

namespace dalvon {

std::string GetOCXName(Runtime& rt) {
    Procedure proc(rt, "GetOCXName");
    return proc.value(std::string(), [&] {
        std::string exe = rt.identity.executableName();
        size_t length = characterCount(exe);
        if (length < 7)
            throw faults::invalidCall("executable name '" + exe + "' is too short");
        return firstCharacters(exe, length - 7);
    });
}

std::string GetFileNameOnly(Runtime& rt, const std::string& path) {
    Procedure proc(rt, "GetFileNameOnly");
    std::string rest = path;
    proc.step([&] {
        for (size_t p = rest.find('\\'); p != std::string::npos; p = rest.find('\\')) {
            rt.events.yield();
            rest.erase(0, p + 1);
        }
    });
    return rest;
}

std::string GetBaseFolder(Runtime& rt) {
    std::string folder = rt.identity.programFolder();
    while (folder.empty() || folder.back() != '\\') {
        if (folder.empty())
            throw faults::invalidCall("the program folder has no parent folder");
        rt.events.yield();
        folder.pop_back();
    }
    folder.pop_back();
    return folder;
}

}  // namespace dalvon
