#pragma once

#include <cstdint>
#include <memory>

namespace zovo::bench {

// The C++ counterpart of a message send: an object reached through a vtable. Its implementation
// lives in another translation unit, so the compiler can neither see through nor inline the call.
struct VirtualCounter {
    virtual ~VirtualCounter() = default;
    virtual void ping() = 0;
    std::int64_t heard = 0;
};

std::unique_ptr<VirtualCounter> makeVirtualCounter();

} // namespace zovo::bench
