#pragma once

#include <string>
#include <vector>

namespace dalvon::sqlite {

// Plain SQLite access to a file, beside the store: for preparing a database with SQLite's own
// SQL (fixtures, the benchmark's input) and for reading a file without the store's record sets
// in between. Failures throw Fault 3000 with SQLite's message.

// Runs the statements of `script` on the file at `hostPath`, creating the file when missing.
void runScript(const std::string& hostPath, const std::string& script);

// The rows of one query, each value as SQLite's text of it ("NULL" for Null).
std::vector<std::vector<std::string>> queryAsText(const std::string& hostPath,
                                                  const std::string& sql);

// Creates an empty database file at `hostPath` (replacing nothing: Fault when it exists). Its
// header page is written, so the store recognises the file by its content.
void createEmptyFile(const std::string& hostPath);

}  // namespace dalvon::sqlite
