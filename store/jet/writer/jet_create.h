#pragma once

#include <string>

namespace dalvon {
class FileSystem;
}

namespace dalvon::jet {

// Creates a new, empty Jet 4 database at `hostPath`: the header page, the global usage map, the
// catalog (MSysObjects with its Id and ParentIdName indexes), MSysACEs, MSysQueries and
// MSysRelationships with their indexes, the containers and the MSysDb object as catalog rows,
// text sorted in the General order (1033). The file appears whole or not at all.
// Fault 3204 when the file exists, Fault 75 when it cannot be written. `path` is Windows form,
// through `files`.
void createDatabase(FileSystem& files, const std::string& path);
// The same on a host file, for tools and tests.
void createDatabase(const std::string& hostPath);

}  // namespace dalvon::jet
