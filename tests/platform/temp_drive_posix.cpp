#include <stdlib.h>

#include "tests/platform/platform_fixture.h"

namespace dalvon::testing {

std::filesystem::path makeTempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dalvon-XXXXXX").string();
    return mkdtemp(pattern.data());
}

std::unique_ptr<FileSystem> makeFileSystemWithDrives(std::vector<Drive> drives) {
    return makePosixFileSystem(std::move(drives));
}

}  // namespace dalvon::testing
