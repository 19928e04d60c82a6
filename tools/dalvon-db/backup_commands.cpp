#include "tools/dalvon-db/backup_commands.h"

#include <ctime>
#include <filesystem>
#include <ostream>

#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/host_path.h"
#include "platform/text.h"
#include "presetdb/component_backup.h"
#include "standard/run_guard.h"

namespace dalvon::db_tool {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kProgramSuffix = "_Config";

// The component an installation is configured for: the one whose program (or its link) is in
// the Config folder; "Dalvon" when none is.
std::string componentOf(const fs::path& installation) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(installation / "Config", error)) {
        std::string name = utf8FromPath(entry.path().filename());
        // The Windows program carries its extension.
        if (name.size() > 4 && equalsIgnoreCase(name.substr(name.size() - 4), ".exe"))
            name.resize(name.size() - 4);
        if (name.size() > kProgramSuffix.size() && name.ends_with(kProgramSuffix))
            return name.substr(0, name.size() - kProgramSuffix.size());
    }
    return "Dalvon";
}

}  // namespace

Installation installationAt(CommandContext& context, const std::string& hostFolder) {
    fs::path folder = fs::absolute(pathFromUtf8(hostFolder)).lexically_normal();
    std::string host = utf8FromPath(folder);
    while (host.size() > 1 && (host.back() == '/' || host.back() == '\\'))
        host.pop_back();
    if (!fs::is_directory(pathFromUtf8(host)))
        throw faults::pathNotFound(hostFolder);
    Installation found;
    found.base = context.files.windowsPath(host);
    found.component = componentOf(pathFromUtf8(host));
    found.database = found.base + "\\" + found.component + "\\" + found.component + ".mdb";
    return found;
}

int listBackups(CommandContext& context, const std::vector<std::string>& arguments) {
    Installation installation = installationAt(context, arguments[0]);
    std::string folder = BackupFolder(installation.database);
    for (const std::string& name : ListBackups(context.files, installation.database))
        context.out << context.files.hostPath(folder + "\\" + name) << '\n';
    return 0;
}

int restoreBackup(CommandContext& context, const std::vector<std::string>& arguments) {
    Installation installation = installationAt(context, arguments[0]);
    std::string program = installation.component + std::string(kProgramSuffix);
    LockAttempt lock = context.files.tryLock(RunLockPath(installation.base, program));
    if (!lock.lock)
        throw Fault(70, "", "Permission denied: " + SecondRunText(program, lock.holder));
    std::string name = arguments.size() > 1 ? arguments[1] : std::string();
    std::string kept = RestoreBackup(context.files, context.engine, installation.database, name,
                                     std::time(nullptr));
    context.out << "restored " << context.files.hostPath(installation.database);
    if (!kept.empty())
        context.out << "; the replaced database is kept as " << context.files.hostPath(kept);
    context.out << '\n';
    return 0;
}

}  // namespace dalvon::db_tool
