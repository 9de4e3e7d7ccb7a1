#include "VirtualCounter.h"

namespace zovo::bench {
namespace {
struct Counting final : VirtualCounter {
    void ping() override { ++heard; }
};
} // namespace

std::unique_ptr<VirtualCounter> makeVirtualCounter() { return std::make_unique<Counting>(); }

} // namespace zovo::bench
