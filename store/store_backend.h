#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace dalvon {

class Database;
enum class OpenMode;  // store/open_mode.h

// One storage engine behind DatabaseEngine (SQLite, Jet). The engine that recognises a file's
// first bytes opens it.
class StoreBackend {
public:
    StoreBackend() = default;
    StoreBackend(const StoreBackend&) = delete;
    StoreBackend& operator=(const StoreBackend&) = delete;
    virtual ~StoreBackend() = default;

    // True when the file's first bytes (up to 128 of them) are of this engine's format.
    virtual bool recognises(std::string_view header) const = 0;
    // Opens the host file; `displayPath` is the Windows-form path used in fault texts.
    virtual std::unique_ptr<Database> open(const std::string& hostPath,
                                           const std::string& displayPath) = 0;
    // Commits what the open databases of this engine have written.
    virtual void flushAll() = 0;
};

std::unique_ptr<StoreBackend> makeSqliteBackend(OpenMode mode);
std::unique_ptr<StoreBackend> makeJetBackend();

}  // namespace dalvon
