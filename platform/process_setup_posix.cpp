#include <csignal>

#include "platform/process_setup.h"

namespace dalvon {

void prepareProcess() {
    // Ignored, SIGXFSZ turns into EFBIG from write(), which the file code reports.
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace dalvon
