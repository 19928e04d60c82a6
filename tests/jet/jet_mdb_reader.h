#pragma once

#include <filesystem>
#include <string>

namespace dalvon::jet_test {

// True when Node.js and the mdb-reader package (installed by scripts/install-node-deps into
// the build tree) are there.
bool haveMdbReader();
// Why the npm package mdb-reader reads `file` differently from our reader: the table list, the
// fields (names, types, Text sizes) and every value of every row; empty when they agree.
std::string mdbReaderDisagreement(const std::filesystem::path& file);

}  // namespace dalvon::jet_test
