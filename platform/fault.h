#pragma once

#include <cstdint>
#include <exception>
#include <string>

namespace dalvon {

// A run-time fault as the classic runtime reports it: number, source and description.
// Platform and database operations throw it; only the step helper of `standard/` catches it.
// An empty source is filled with the executable name by whoever reports the fault.
class Fault : public std::exception {
public:
    Fault(int32_t number, std::string source, std::string description);

    int32_t number() const { return m_number; }
    const std::string& source() const { return m_source; }
    const std::string& description() const { return m_description; }
    const char* what() const noexcept override { return m_description.c_str(); }

private:
    int32_t m_number;
    std::string m_source;
    std::string m_description;
};

// Classic runtime faults, with the numbers and texts service staff know from old logs.
namespace faults {
Fault invalidCall(const std::string& context = {});   // 5 Invalid procedure call or argument
Fault overflow(const std::string& context = {});      // 6 Overflow
Fault subscript(const std::string& context = {});     // 9 Subscript out of range
Fault typeMismatch(const std::string& context = {});  // 13 Type mismatch
Fault fileNotFound(const std::string& path);          // 53 File not found
Fault pathAccess(const std::string& path, const std::string& why);  // 75 Path/File access error
Fault pathNotFound(const std::string& path);                        // 76 Path not found
Fault invalidNull(const std::string& context = {});                 // 94 Invalid use of Null
}  // namespace faults

// Thrown by EndProgram: unwinds every procedure up to main, which exits with the status.
// Deliberately not derived from Fault or std::exception so that no step helper catches it.
struct ProgramEnd {
    int exitStatus;
};

// Exit statuses of the program.
inline constexpr int kExitOk = 0;              // the OK path finished
inline constexpr int kExitError = 1;           // ended through an error report or a fatal condition
inline constexpr int kExitCancelled = 2;       // the operator cancelled
inline constexpr int kExitFaultsReported = 3;  // the OK path finished, but faults were reported

}  // namespace dalvon
