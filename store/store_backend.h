#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace dalvon {

class Database;
class Fault;
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
    // Opens the host file; `displayPath` is the Windows-form path used in fault texts. With a
    // `writeRefusal`, every change through the database fails with that fault.
    virtual std::unique_ptr<Database> open(const std::string& hostPath,
                                           const std::string& displayPath,
                                           const Fault* writeRefusal) = 0;
    // Commits what the open databases of this engine have written.
    virtual void flushAll() = 0;

    // The file's committed content when it differs from its bytes on disk (a journal or log
    // beside it holds part of it); nothing when the bytes are the content.
    virtual std::optional<std::string> recoveredContent(const std::string& hostPath,
                                                        const std::string& displayPath) = 0;
    // What the engine's integrity check finds wrong with the file; empty when it is sound.
    virtual std::string damage(const std::string& hostPath) = 0;
    // Why another program is taken to hold the file open; empty when none is.
    virtual std::string heldOpen(const std::string& hostPath) = 0;
};

std::unique_ptr<StoreBackend> makeSqliteBackend(OpenMode mode);
std::unique_ptr<StoreBackend> makeJetBackend();

}  // namespace dalvon
