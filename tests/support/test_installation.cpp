#include "tests/support/test_installation.h"

#include "tests/support/host_database.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/fault.h"
#include "platform/host_path.h"
#include "standard/command_line.h"
#include "standard/installation_paths.h"
#include "store/jet/check/jet_check.h"
#include "store/jet/format/jet_file.h"
#include "store/jet/writer/jet_create.h"
#include "store/open_mode.h"
#include "store/store_backend.h"
#include "store/table_copy.h"
#include "tests/platform/platform_fixture.h"

namespace dalvon::testing {
namespace fs = std::filesystem;

const char* const TestInstallation::kErrorLog = "D:\\Plant\\ZEBcfglog.txt";
const char* const TestInstallation::kServiceLog = "C:\\TarvoServicePack.log";

namespace {

// The folders every installation has: C: and D:\Plant\Config.
const fs::path& withDrives(const fs::path& root) {
    fs::create_directories(root / "d" / "Plant" / "Config");
    fs::create_directories(root / "c");
    return root;
}

}  // namespace

std::string formatName(DatabaseFormat format) {
    return format == DatabaseFormat::Jet4 ? "Jet4" : "Sqlite";
}

void PrintTo(const StoredTable& table, std::ostream* out) {
    for (const FieldDef& field : table.fields)
        *out << field.name << ' ' << fieldTypeName(field.type) << '(' << field.size << ") ";
    for (const auto& row : table.rows) {
        *out << "\n ";
        for (const Variant& value : row)
            *out << ' ' << value.typeName() << ':' << value.toTextOrEmpty();
    }
}

bool isJetFile(const fs::path& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    std::string header(128, '\0');
    in.read(header.data(), static_cast<std::streamsize>(header.size()));
    header.resize(static_cast<size_t>(in.gcount()));
    return jet::JetFile::recognises(header);
}

std::string fileBytes(const fs::path& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

fs::path sourceDir() {
    const char* dir = std::getenv("DALVON_SOURCE_DIR");
    return dir != nullptr ? fs::path(dir) : fs::path(DALVON_SOURCE_DIR_DEFAULT);
}

TestInstallation::TestInstallation(DatabaseFormat format)
    : m_format(format),
      m_root(withDrives(m_folder.path())),
      m_files(makeFileSystemWithDrives(
          {{'C', utf8FromPath(m_root / "c")}, {'D', utf8FromPath(m_root / "d")}})),
      m_profiles(makeProfileStore(*m_files)),
      m_identity("D:\\Plant\\Config", "Dalvon_Config"),
      m_databases(makeDatabaseEngine(*m_files)),
      m_runtime(std::make_unique<Runtime>(
          Services{*m_files, *m_profiles, m_dialogs, m_events, m_identity, *m_databases})) {}

// Members go in reverse order: the databases before the file system, the folder last.
TestInstallation::~TestInstallation() = default;

fs::path TestInstallation::host(const std::string& windowsPath) const {
    fs::path path = m_root / (windowsPath[0] == 'C' || windowsPath[0] == 'c' ? "c" : "d");
    std::string rest = windowsPath.substr(2);
    std::string component;
    std::stringstream parts(rest);
    while (std::getline(parts, component, '\\')) {
        if (!component.empty())
            path /= component;
    }
    return path;
}

void TestInstallation::writeFile(const std::string& windowsPath, const std::string& bytes) {
    fs::path path = host(windowsPath);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string TestInstallation::readFile(const std::string& windowsPath) const {
    return fileBytes(host(windowsPath));
}

bool TestInstallation::exists(const std::string& windowsPath) const {
    return fs::exists(host(windowsPath));
}

std::vector<std::string> TestInstallation::tableNames(const std::string& windowsPath) const {
    HostDatabase file(host(windowsPath));
    std::vector<std::string> names = file->tableNames();
    file->close();
    return names;
}

StoredTable TestInstallation::table(const std::string& windowsPath, const std::string& name) const {
    HostDatabase file(host(windowsPath));
    StoredTable table{file->tableFields(name), {}};
    auto rows = file->openTable(name);
    for (; !rows->eof(); rows->moveNext()) {
        std::vector<Variant> values;
        for (int i = 0; i < rows->fieldCount(); ++i)
            values.push_back(rows->value(i));
        table.rows.push_back(std::move(values));
    }
    rows->close();
    file->close();
    return table;
}

std::vector<std::string> TestInstallation::jetProblems() const {
    std::vector<std::string> problems;
    for (const auto& entry : fs::recursive_directory_iterator(m_root)) {
        if (!entry.is_regular_file() || !isJetFile(entry.path()))
            continue;
        std::string file = entry.path().lexically_relative(m_root).string();
        try {
            for (const std::string& problem : jet::checkJetFile(entry.path().string()))
                problems.push_back(file + ": " + problem);
        } catch (const Fault& fault) {
            problems.push_back(file + ": " + fault.description());
        }
    }
    return problems;
}

void TestInstallation::makeExample() {
    fs::path example = sourceDir() / "example";
    for (const char* file :
         {"parameter\\Program.ini", "Dalvon\\Dalvon.cfg", "SaveRestore\\parameter\\program.ini"}) {
        std::string relative(file);
        std::string hostRelative = relative;
        for (char& c : hostRelative)
            c = c == '\\' ? '/' : c;
        writeFile(std::string("D:\\Plant\\") + relative, fileBytes(example / hostRelative));
    }
    std::string profile = fileBytes(example / "parameter/zebconfiguration.ini");
    profile.replace(profile.find("@SAVE_AND_RESTORE@"), 18, "D:\\Plant\\SaveRestore\\");
    writeFile("D:\\Plant\\parameter\\zebconfiguration.ini", profile);
    makeDatabase("D:\\Plant\\Dalvon\\Dalvon_Source.mdb",
                 fileBytes(example / "Dalvon/Dalvon_Source.sql"));
    makeDatabase("D:\\Plant\\Dalvon\\Dalvon.mdb", fileBytes(example / "Dalvon/Dalvon.sql"));
    makeDatabase("D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb",
                 fileBytes(example / "SaveRestore/Dalvon/Dalvon.sql"));
}

void TestInstallation::prepareStart() {
    Runtime& runtime = rt();
    GetStartModeIntegrated(runtime);
    GetExistingMachines(runtime, GetZEBConfigurationIniPath(runtime));
}

}  // namespace dalvon::testing
