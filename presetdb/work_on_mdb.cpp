#include "presetdb/work_on_mdb.h"

#include <memory>
#include <vector>

#include "platform/dialogs.h"
#include "platform/file_system.h"
#include "platform/program_identity.h"
#include "presetdb/additional_fields.h"
#include "presetdb/component_backup.h"
#include "presetdb/handles.h"
#include "presetdb/record_generation.h"
#include "presetdb/takeover.h"
#include "presetdb/var_name_patterns.h"
#include "standard/error_reporting.h"
#include "standard/installation_paths.h"
#include "standard/procedure.h"
#include "standard/profile_access.h"
#include "standard/program_folder.h"
#include "standard/runtime.h"
#include "store/database.h"

namespace dalvon {
namespace {

void showMachineCopyMissing(Runtime& rt, const std::string& componentPath) {
    std::string text = "Konnte die Datei:\"" + GetFileNameOnly(rt, componentPath) +
                       "\" in der Vorlage nicht finden!\r\n\r\n"
                       "Ist das Bild in der Vorlage noch nicht vorhanden (also neu)?\r\n"
                       "Dann ist diese Meldung völlig normal und es wird eine neue Datei mit den "
                       "Standardwerten erzeugt.";
    rt.dialogs.show({text, rt.identity.executableName(), DialogButtons::Ok, DialogIcon::Information,
                     DialogAnswer::Ok});
}

// Drops a table named exactly PRESET_DEFS, then recreates it with the field list of
// Source_PRESET_DEFS (names, types and sizes only).
void rebuildPresetTable(Procedure& proc, const std::unique_ptr<Database>& source) {
    proc.step([&] {
        for (const std::string& name : use(source).tableNames()) {
            if (name == "PRESET_DEFS") {
                use(source).deleteTable("PRESET_DEFS");
                break;
            }
        }
    });
    // A field definition is exactly Name, Type and Size: the copy carries nothing else.
    std::vector<FieldDef> fields;
    proc.step([&] { fields = use(source).tableFields("Source_PRESET_DEFS"); });
    proc.step([&] { use(source).createTable("PRESET_DEFS", fields); });
}

void takeOverPreviousValues(Runtime& rt, Procedure& proc, const std::string& takeoverPath,
                            const std::unique_ptr<Database>& source) {
    if (takeoverPath.empty() || !rt.files.fileExists(takeoverPath))
        return;
    std::unique_ptr<Database> component;
    proc.step([&] { component = rt.databases.open(takeoverPath); });
    if (!component)
        return;
    bool hasTable = false;
    proc.step([&] {
        for (const std::string& name : component->tableNames()) {
            if (name == "PRESET_DEFS") {
                hasTable = true;
                break;
            }
        }
    });
    std::unique_ptr<Recordset> previous;
    if (hasTable)
        proc.step([&] { previous = component->openTable("PRESET_DEFS"); });
    if (previous) {
        GetAddFields(rt);
        TakeoverMachineCopyMDBData(rt, source, previous);
    }
    proc.step([&] { component->close(); });
}

}  // namespace

void WorkOnMDB(Runtime& rt) {
    Procedure proc(rt, "WorkOnMDB");
    std::string sourcePath, componentPath, profilePath, machineCopyPath;
    proc.step([&] { sourcePath = GetPathSourceOCXMDB(rt); });
    proc.step([&] { componentPath = GetPathOCXMDB(rt); });
    proc.step([&] { profilePath = GetZEBConfigurationIniPath(rt); });
    proc.step([&] { machineCopyPath = GetPathMachineCopyMDB(rt, profilePath); });
    bool integrated = rt.StartModeIntegrated;

    proc.step([&] {
        rt.presetdb.IsVWStudio = !integrated && LoadIniBoolean(rt, "Project", "VWStudio",
                                                               rt.ProgramIniPath, false, false)
                                     ? 1
                                     : 0;
    });
    if (sourcePath.empty()) {
        // Nothing is changed and nothing is reported, as the program has always done; but a
        // caller must not take this run for an update.
        NoteUnloggedFailure(rt, SourceDatabasePlace(rt),
                            "is missing (or no file): PRESET_DEFS was not rebuilt and the "
                            "component database was left as it is");
        return;
    }

    proc.step([&] {
        if (auto times = rt.files.readTimes(sourcePath))
            rt.presetdb.SourceFileTimes = times;
    });
    // Kept before anything below changes the component database, in place or by a copy.
    ComponentBackup backup(rt, componentPath);
    if (integrated) {
        proc.step([&] {
            if (machineCopyPath.empty() || !rt.files.fileExists(machineCopyPath)) {
                showMachineCopyMissing(rt, componentPath);
            } else {
                backup.requireBeforeReplacing();
                rt.databases.checkCopy(machineCopyPath, componentPath);
                rt.files.copyFile(machineCopyPath, componentPath);
            }
        });
    }
    ReadVarNamePatterns(rt, proc, sourcePath);

    std::unique_ptr<Database> source;
    proc.step([&] { source = rt.databases.open(sourcePath); });
    rebuildPresetTable(proc, source);
    std::string takeoverPath = componentPath;
    CategorieNachCategoryID(rt);
    CreateRecordSets(rt, source);
    takeOverPreviousValues(rt, proc, takeoverPath, source);
    proc.step([&] { use(source).close(); });
    source.reset();

    proc.step([&] {
        std::string from = GetPathSourceOCXMDB(rt);
        std::string to = GetPathOCXMDB(rt);
        backup.requireBeforeReplacing();
        // A damaged result, or a component another program holds open, is never put in place:
        // the step fails like a copy that cannot be made, and the component stays as it is.
        rt.databases.checkCopy(from, to);
        rt.files.copyFile(from, to);
    });
    proc.step([&] {
        std::string path = GetPathSourceOCXMDB(rt);
        if (rt.presetdb.SourceFileTimes)
            rt.files.writeTimes(path, *rt.presetdb.SourceFileTimes);
    });
}

}  // namespace dalvon
