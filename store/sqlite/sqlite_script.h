#pragma once

#include <string>
#include <vector>

#include "store/sqlite/sqlite_handles.h"

namespace dalvon::sqlite {

// Plain SQLite access to a file, beside the store: for preparing a database with SQLite's own
// SQL (fixtures, the benchmark's input) and for reading a file without the store's record sets
// in between. Failures throw Fault 3000 with SQLite's message.

// A plain SQLite handle on the file at `hostPath` (created when missing), open while the object
// lives: what another program holding the file open does.
class ScriptSession {
public:
    explicit ScriptSession(const std::string& hostPath);
    // Runs the statements of `script`.
    void run(const std::string& script);

private:
    std::string m_hostPath;
    DatabaseHandle m_db;
};

// Runs the statements of `script` on the file at `hostPath`, creating the file when missing.
void runScript(const std::string& hostPath, const std::string& script);

// The rows of one query, each value as SQLite's text of it ("NULL" for Null).
std::vector<std::vector<std::string>> queryAsText(const std::string& hostPath,
                                                  const std::string& sql);

// Creates an empty database file at `hostPath` (replacing nothing: Fault when it exists). Its
// header page is written, so the store recognises the file by its content.
void createEmptyFile(const std::string& hostPath);

}  // namespace dalvon::sqlite
