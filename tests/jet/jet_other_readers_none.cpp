// Where Debian's mdbtools and Node.js do not run (the Windows build), no second reader is asked:
// the files are compared with them on Linux.
#include "tests/jet/jet_samples.h"

namespace dalvon::jet_test {

bool haveMdbTools() {
    return false;
}

std::string mdbToolsDisagreement(const fs::path&) {
    return {};
}

bool haveMdbReader() {
    return false;
}

std::string mdbReaderDisagreement(const fs::path&) {
    return {};
}

}  // namespace dalvon::jet_test
