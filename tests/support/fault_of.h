#pragma once

#include <functional>
#include <string>

#include "platform/fault.h"

namespace dalvon::testing {

// The number of the Fault `action` throws, 0 when it throws none; its description goes to
// `description` when given.
inline int faultOf(const std::function<void()>& action, std::string* description = nullptr) {
    try {
        action();
    } catch (const Fault& fault) {
        if (description != nullptr)
            *description = fault.description();
        return fault.number();
    }
    return 0;
}

}  // namespace dalvon::testing
