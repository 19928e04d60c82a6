#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "store/database.h"
#include "tests/support/fault_of.h"
#include "tests/support/host_database.h"
#include "tests/support/temp_folder.h"

namespace dalvon::jet_test {

namespace fs = std::filesystem;

// The sample folder (../shared/testdata/jet beside the clone) and its .mdb files, sorted.
bool haveSamples();
std::vector<fs::path> sampleFiles();
fs::path sample(const std::string& name);

// Runs a shell command and returns its standard output.
std::string runCommand(const std::string& command);
std::string shellQuote(const std::string& text);

std::vector<uint8_t> fileBytes(const fs::path& path);
void saveBytes(const fs::path& path, const std::vector<uint8_t>& bytes);

// Opens a file with the Jet engine; the host path is also the display path.
testing::HostDatabase openJet(const fs::path& file);
// All values of a table, row by row, through a record set.
std::vector<std::vector<Variant>> readAll(Database& db, const std::string& table);
std::vector<std::vector<Variant>> readAll(const fs::path& file, const std::string& table);

using dalvon::testing::faultOf;
std::string repeated(const std::string& text, size_t times);
std::vector<uint8_t> pattern(size_t length, uint8_t seed);

using TempDir = dalvon::testing::TempFolder;

// A new, empty database made by this program, and a writable copy of a sample, in `dir`.
fs::path newDatabase(const TempDir& dir, const std::string& name = "new.mdb");
fs::path copySample(const TempDir& dir, const std::string& name);

// Why Debian's mdbtools (jet_mdbtools.cpp) or the npm package mdb-reader (jet_mdb_reader.cpp)
// read `file` differently from our reader: the table list, the fields (names, types, Text
// sizes) and every value of every row; empty when they agree.
bool haveMdbTools();
std::string mdbToolsDisagreement(const fs::path& file);
bool haveMdbReader();
std::string mdbReaderDisagreement(const fs::path& file);

// A written file checks clean, and our reader, Debian's mdbtools and the npm package mdb-reader
// (each where installed) read it the same.
void expectSound(const fs::path& file);

// A table of every field kind, and its row number `n` (row 7 all Null): Memo and OLE values
// inline, on one page or chained as n % 3 says, text compressed where it may be.
extern const std::vector<FieldDef> kAllKinds;
std::vector<Variant> rowOfAllKinds(int32_t n);
// Fills `table` (of kAllKinds) with `count` such rows through `append`; the rows as they read
// back (a Yes/No field is never Null).
std::vector<std::vector<Variant>> fillAllKinds(
    size_t count, const std::function<void(const std::vector<Variant>&)>& append);

}  // namespace dalvon::jet_test
