// The yardstick for the average colour: a plain loop summing every fourth byte of a bitmap three
// times over, as simple as the compiler can make it at -O3. It lives in its own translation unit
// so that its flags are its own.
#include "PlainByteSum.h"

namespace zovo::bench {

ByteSums plainByteSum(const std::uint8_t* bytes, std::size_t pixels)
{
    ByteSums sums;
    for (std::size_t i = 0; i < pixels; ++i) {
        sums.first += bytes[i * 4 + 0];
        sums.second += bytes[i * 4 + 1];
        sums.third += bytes[i * 4 + 2];
    }
    return sums;
}

} // namespace zovo::bench
