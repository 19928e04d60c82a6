#pragma once

#include <filesystem>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/event_loop.h"
#include "platform/fakes/scripted_dialogs.h"
#include "platform/fault.h"
#include "platform/file_system.h"
#include "platform/profile_store.h"
#include "platform/program_identity.h"
#include "standard/runtime.h"
#include "store/database.h"
#include "tests/support/temp_folder.h"

namespace dalvon::testing {

// The example installation's databases.
inline constexpr const char* kSourceDatabase = "D:\\Plant\\Dalvon\\Dalvon_Source.mdb";
inline constexpr const char* kComponentDatabase = "D:\\Plant\\Dalvon\\Dalvon.mdb";
// Its profiles: the language file, the program profile and the component configuration.
inline constexpr const char* kLanguageFile = "D:\\Plant\\Config\\Dalvon_Config.ini";
inline constexpr const char* kProgramIni = "D:\\Plant\\parameter\\Program.ini";
inline constexpr const char* kConfigurationFile = "D:\\Plant\\Dalvon\\Dalvon.cfg";
using Rows = std::vector<std::vector<std::string>>;

// The file format makeDatabase gives an installation's databases.
enum class DatabaseFormat { Sqlite, Jet4 };
// "Sqlite" or "Jet4", for names of parameterised tests.
std::string formatName(DatabaseFormat format);
inline void PrintTo(DatabaseFormat format, std::ostream* out) {
    *out << formatName(format);
}
// The formats this build makes installations in, the first the default: both where it has
// SQLite to load the fixtures' scripts with, else Jet 4 alone (see test_databases_jet.cpp).
#ifdef DALVON_TESTS_HAVE_SQLITE
inline constexpr DatabaseFormat kFormats[] = {DatabaseFormat::Sqlite, DatabaseFormat::Jet4};
#else
inline constexpr DatabaseFormat kFormats[] = {DatabaseFormat::Jet4};
#endif
// Names parameterised tests by their format parameter.
struct FormatName {
    template <class ParamInfo>
    std::string operator()(const ParamInfo& info) const {
        return formatName(info.param);
    }
};

// A table as the store reads it: fields and every row's values, in storage order.
struct StoredTable {
    std::vector<FieldDef> fields;
    std::vector<std::vector<Variant>> rows;
    bool operator==(const StoredTable&) const = default;
};
// For test failures: the fields, then one line per row, each value with its type.
void PrintTo(const StoredTable& table, std::ostream* out);

// A real installation in a temp folder, mapped as drive D: (the plant) and C: (the service
// log), with the program at D:\Plant\Config\Dalvon_Config and a Runtime over the real file
// system, profile engine and database engine, scripted dialogs and a counting event loop.
class TestInstallation {
public:
    explicit TestInstallation(DatabaseFormat format = kFormats[0]);
    ~TestInstallation();
    TestInstallation(const TestInstallation&) = delete;
    TestInstallation& operator=(const TestInstallation&) = delete;

    // Host path of a Windows path below D: or C:.
    std::filesystem::path host(const std::string& windowsPath) const;
    void writeFile(const std::string& windowsPath, const std::string& bytes);
    std::string readFile(const std::string& windowsPath) const;
    bool exists(const std::string& windowsPath) const;
    // Creates (or replaces) a database of the installation's format from an SQL script that
    // SQLite runs; a Jet 4 file gets the tables of that SQLite file, copied as dalvon-db
    // convert copies them.
    void makeDatabase(const std::string& windowsPath, const std::string& sqlScript);
    DatabaseFormat format() const { return m_format; }
    // Rows of a query run directly by SQLite (not the store), each value as text
    // ("NULL" for Null). A Jet file is queried as an SQLite copy of what the store reads from
    // it, so that one query and one expected text serve both formats.
    std::vector<std::vector<std::string>> query(const std::string& windowsPath,
                                                const std::string& sql) const;
    // The names of the file's tables, as a fresh engine reads them.
    std::vector<std::string> tableNames(const std::string& windowsPath) const;
    // A table as a fresh engine reads it from the file.
    StoredTable table(const std::string& windowsPath, const std::string& name) const;
    // What the structural check finds in the Jet files below the installation, one line per
    // problem naming the file; empty when every Jet file is sound or there is none.
    std::vector<std::string> jetProblems() const;
    // The example installation of the repository, below D:\Plant.
    void makeExample();

    void setCommandLine(const std::string& commandLine) { m_identity.setCommandLine(commandLine); }
    // What Form_Load does before the update: start mode and machine list.
    void prepareStart();
    // Starts with `commandLine`: sets it, then prepares the start.
    void start(const std::string& commandLine) {
        setCommandLine(commandLine);
        prepareStart();
    }
    // Runs `body`; returns the exit status when it ends the program, -1 when it returns.
    template <class Body>
    int runUntilEnd(Body&& body) {
        try {
            body();
        } catch (const ProgramEnd& end) {
            m_databases->flushAll();
            return end.exitStatus;
        }
        return -1;
    }

    Runtime& rt() { return *m_runtime; }
    ScriptedDialogs& dialogs() { return m_dialogs; }
    FixedIdentity& identity() { return m_identity; }
    const std::filesystem::path& root() const { return m_root; }

    static const char* const kErrorLog;    // D:\Plant\ZEBcfglog.txt
    static const char* const kServiceLog;  // C:\TarvoServicePack.log

private:
    DatabaseFormat m_format;
    TempFolder m_folder;
    std::filesystem::path m_root;
    std::unique_ptr<FileSystem> m_files;
    std::unique_ptr<ProfileStore> m_profiles;
    ScriptedDialogs m_dialogs;
    CountingEventLoop m_events;
    FixedIdentity m_identity;
    std::unique_ptr<DatabaseEngine> m_databases;
    std::unique_ptr<Runtime> m_runtime;
};

// The source folder of the repository (for the example installation).
std::filesystem::path sourceDir();

// True when the file's first bytes are those of a Jet (Access) database.
bool isJetFile(const std::filesystem::path& hostPath);
// The bytes of a host file.
std::string fileBytes(const std::filesystem::path& hostPath);

}  // namespace dalvon::testing
