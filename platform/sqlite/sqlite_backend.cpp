#include "platform/database.h"
#include "platform/fault.h"
#include "platform/store_backend.h"

namespace dalvon {
namespace {

// Placeholder until the engine lands: recognises nothing.
class UnavailableSqlite : public StoreBackend {
public:
    bool recognises(std::string_view) const override { return false; }
    std::unique_ptr<Database> open(const std::string&, const std::string& displayPath) override {
        throw Fault(3343, "DAO.Workspace", "Unrecognized database format '" + displayPath + "'.");
    }
    void flushAll() override {}
};

}  // namespace

std::unique_ptr<StoreBackend> makeSqliteBackend() { return std::make_unique<UnavailableSqlite>(); }

}  // namespace dalvon
