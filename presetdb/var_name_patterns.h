#pragma once

#include <string>

namespace dalvon {

struct Runtime;
class Procedure;

// Reads the variable-name patterns of both systems from Source_DEFS into VarNamePatterns.
// A fault after the table is open is not reported: both part-1 patterns become "###Var_Name"
// and reading goes on with the next row.
void ReadVarNamePatterns(Runtime& rt, Procedure& proc, const std::string& sourcePath);

}  // namespace dalvon
