#pragma once

#include <memory>

#include "platform/fault.h"

namespace dalvon {

// The object behind a handle that an earlier, reported and continued step failed to open:
// using it is the classic "object variable not set" fault, reported like any other.
template <class T>
T& use(const std::unique_ptr<T>& handle) {
    if (!handle)
        throw Fault(91, "", "Object variable or With block variable not set");
    return *handle;
}

}  // namespace dalvon
