#pragma once

#include <cstdint>
#include <string>

namespace dalvon {

struct Runtime;

std::string GetPathOCXMDB(Runtime& rt);        // base\K\K.mdb, always
std::string GetPathSourceOCXMDB(Runtime& rt);  // base\K\K_Source.mdb or empty
// base\K\K_Source.mdb whether or not it exists: where the source database belongs.
std::string SourceDatabasePlace(Runtime& rt);
std::string GetZEBConfigurationIniPath(
    Runtime& rt);  // base\parameter\zebconfiguration.ini or empty
// base\K\K.cfg; when missing: a notice and the end of the program (never returns empty).
std::string GetCFGPath(Runtime& rt);
// SaveAndRestore of `profilePath` + K\K.mdb, or empty when that file does not exist.
std::string GetPathMachineCopyMDB(Runtime& rt, const std::string& profilePath);
// The program profile to read (selector 1) or write (any other selector), or empty.
std::string GetProgramIniPath(Runtime& rt, int32_t selector);
// [Project] ValidMachines of the configuration file.
std::string GetValidMachines(Runtime& rt);
// Fills ProgramIniPath and ExistingMachines.
void GetExistingMachines(Runtime& rt, const std::string& profilePath);

}  // namespace dalvon
