#pragma once

#include <filesystem>
#include <string>

namespace dalvon::jet_test {

// Why Debian's mdbtools read `file` differently from our reader: the table list, each table's
// fields (names, types, text sizes) and every value of every row; empty when they agree.
std::string mdbToolsDisagreement(const std::filesystem::path& file);

}  // namespace dalvon::jet_test
