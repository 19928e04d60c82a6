#include "standard/procedure.h"

#include <limits>

#include "platform/program_identity.h"
#include "standard/error_reporting.h"
#include "standard/runtime.h"

namespace dalvon {

void Procedure::handle(const Fault& fault, bool fatal) {
    // Faults of the runtime itself carry no source; the classic runtime names the program.
    std::string source = fault.source().empty() ? m_rt.identity.executableName() : fault.source();
    int16_t result = ReportError(m_rt, fault.number(), source, fault.description(), m_name, fatal);
    if (result == 1)
        EndProgram(m_rt);
}

int16_t toInteger16(long long value) {
    if (value < std::numeric_limits<int16_t>::min() ||
        value > std::numeric_limits<int16_t>::max()) {
        throw faults::overflow();
    }
    return static_cast<int16_t>(value);
}

}  // namespace dalvon
