#include "tests/support/test_installation.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/fault.h"
#include "standard/command_line.h"
#include "standard/installation_paths.h"
#include "store/sqlite/sqlite_script.h"

namespace dalvon::testing {
namespace fs = std::filesystem;

const char* const TestInstallation::kErrorLog = "D:\\Plant\\ZEBcfglog.txt";
const char* const TestInstallation::kServiceLog = "C:\\TarvoServicePack.log";

namespace {

fs::path makeTempRoot() {
    std::string pattern = (fs::temp_directory_path() / "dalvon-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    fs::create_directories(fs::path(pattern) / "d" / "Plant" / "Config");
    fs::create_directories(fs::path(pattern) / "c");
    return pattern;
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

}  // namespace

fs::path sourceDir() {
    const char* dir = std::getenv("DALVON_SOURCE_DIR");
    return dir != nullptr ? fs::path(dir) : fs::path(DALVON_SOURCE_DIR_DEFAULT);
}

TestInstallation::TestInstallation()
    : m_root(makeTempRoot()),
      m_files(
          makePosixFileSystem({{'C', (m_root / "c").string()}, {'D', (m_root / "d").string()}})),
      m_profiles(makeProfileStore(*m_files)),
      m_identity("D:\\Plant\\Config", "Dalvon_Config"),
      m_databases(makeDatabaseEngine(*m_files)),
      m_runtime(std::make_unique<Runtime>(
          Services{*m_files, *m_profiles, m_dialogs, m_events, m_identity, *m_databases})) {}

TestInstallation::~TestInstallation() {
    m_runtime.reset();
    m_databases.reset();
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

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
    return slurp(host(windowsPath));
}

bool TestInstallation::exists(const std::string& windowsPath) const {
    return fs::exists(host(windowsPath));
}

void TestInstallation::makeDatabase(const std::string& windowsPath, const std::string& sqlScript) {
    fs::path path = host(windowsPath);
    fs::create_directories(path.parent_path());
    fs::remove(path);
    sqlite::runScript(path.string(), sqlScript);
}

std::vector<std::vector<std::string>> TestInstallation::query(const std::string& windowsPath,
                                                              const std::string& sql) const {
    return sqlite::queryAsText(host(windowsPath).string(), sql);
}

void TestInstallation::makeExample() {
    fs::path example = sourceDir() / "example";
    for (const char* file :
         {"parameter\\Program.ini", "Dalvon\\Dalvon.cfg", "SaveRestore\\parameter\\program.ini"}) {
        std::string relative(file);
        std::string hostRelative = relative;
        for (char& c : hostRelative)
            c = c == '\\' ? '/' : c;
        writeFile(std::string("D:\\Plant\\") + relative, slurp(example / hostRelative));
    }
    std::string profile = slurp(example / "parameter/zebconfiguration.ini");
    profile.replace(profile.find("@SAVE_AND_RESTORE@"), 18, "D:\\Plant\\SaveRestore\\");
    writeFile("D:\\Plant\\parameter\\zebconfiguration.ini", profile);
    makeDatabase("D:\\Plant\\Dalvon\\Dalvon_Source.mdb",
                 slurp(example / "Dalvon/Dalvon_Source.sql"));
    makeDatabase("D:\\Plant\\Dalvon\\Dalvon.mdb", slurp(example / "Dalvon/Dalvon.sql"));
    makeDatabase("D:\\Plant\\SaveRestore\\Dalvon\\Dalvon.mdb",
                 slurp(example / "SaveRestore/Dalvon/Dalvon.sql"));
}

void TestInstallation::prepareStart() {
    Runtime& runtime = rt();
    GetStartModeIntegrated(runtime);
    GetExistingMachines(runtime, GetZEBConfigurationIniPath(runtime));
}

}  // namespace dalvon::testing
