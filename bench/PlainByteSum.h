#pragma once

#include <cstddef>
#include <cstdint>

namespace zovo::bench {

struct ByteSums {
    std::uint64_t first = 0, second = 0, third = 0;
};

// Sums bytes 0, 1 and 2 of each 4-byte pixel.
ByteSums plainByteSum(const std::uint8_t* bytes, std::size_t pixels);

} // namespace zovo::bench
