#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dalvon {

class FileSystem;
class Storage;
enum class OpenMode;  // store/open_mode.h
namespace faults {
enum class Wording;  // store/faults.h
}

// One storage engine behind DatabaseEngine (SQLite, Jet): it recognises its files and opens
// their storage. Which files are open, and the handles shared on them, are the DatabaseEngine's.
// Paths are Windows form, reached through the FileSystem the engine was made with.
class StoreBackend {
public:
    StoreBackend() = default;
    StoreBackend(const StoreBackend&) = delete;
    StoreBackend& operator=(const StoreBackend&) = delete;
    virtual ~StoreBackend() = default;

    // True when the file's first bytes (up to 128 of them) are of this engine's format.
    virtual bool recognises(std::string_view header) const = 0;
    // Opens the file's storage; `path` also names the file in fault texts.
    virtual std::unique_ptr<Storage> openStorage(const std::string& path) = 0;
    // How the engine's faults word themselves (the classic engine's wording differs by format).
    virtual faults::Wording wording() const = 0;

    // The file's committed content when it differs from its bytes on disk (a journal or log
    // beside it holds part of it); nothing when the bytes are the content.
    virtual std::optional<std::string> recoveredContent(const std::string& path) = 0;
    // What the engine's integrity check finds wrong with the file; empty when it is sound.
    virtual std::string damage(const std::string& path) = 0;
    // Why another program is taken to hold the file open; empty when none is.
    virtual std::string heldOpen(const std::string& path) = 0;
};

std::unique_ptr<StoreBackend> makeSqliteBackend(FileSystem& files, OpenMode mode);
std::unique_ptr<StoreBackend> makeJetBackend(FileSystem& files);

// The engines of this build, in the order they are asked whether they recognise a file. Which
// ones a build has is chosen in CMake (DALVON_STORE_ENGINES).
std::vector<std::unique_ptr<StoreBackend>> makeStoreBackends(FileSystem& files, OpenMode mode);

}  // namespace dalvon
