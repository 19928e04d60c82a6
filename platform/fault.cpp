#include "platform/fault.h"

#include <utility>

namespace dalvon {

Fault::Fault(int32_t number, std::string source, std::string description)
    : m_number(number), m_source(std::move(source)), m_description(std::move(description)) {}

namespace faults {
namespace {
std::string withContext(const char* text, const std::string& context) {
    return context.empty() ? std::string(text) : std::string(text) + " (" + context + ")";
}
}  // namespace

Fault invalidCall(const std::string& context) {
    return Fault(5, "", withContext("Invalid procedure call or argument", context));
}
Fault overflow(const std::string& context) {
    return Fault(6, "", withContext("Overflow", context));
}
Fault subscript(const std::string& context) {
    return Fault(9, "", withContext("Subscript out of range", context));
}
Fault typeMismatch(const std::string& context) {
    return Fault(13, "", withContext("Type mismatch", context));
}
Fault fileNotFound(const std::string& path) {
    return Fault(53, "", "File not found: '" + path + "'");
}
Fault pathAccess(const std::string& path, const std::string& why) {
    return Fault(75, "", "Path/File access error: '" + path + "' (" + why + ")");
}
Fault pathNotFound(const std::string& path) {
    return Fault(76, "", "Path not found: '" + path + "'");
}
Fault invalidNull(const std::string& context) {
    return Fault(94, "", withContext("Invalid use of Null", context));
}
}  // namespace faults

}  // namespace dalvon
