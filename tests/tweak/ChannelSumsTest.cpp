#include "tweak/ChannelSums.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

using zovorudovu::ChannelPositions;
using zovorudovu::ChannelSums;
using zovorudovu::ChannelSumsKernel;

ChannelSums scalarRule(const std::uint8_t* pixels, std::size_t count, ChannelPositions at)
{
    ChannelSums sums;
    for (std::size_t i = 0; i < count; ++i) {
        sums.first += pixels[i * 4 + at.first];
        sums.second += pixels[i * 4 + at.second];
        sums.third += pixels[i * 4 + at.third];
    }
    return sums;
}

// Every vector kernel against the plain loop: run lengths that leave every possible tail, starts
// off the vector alignment (as padded rows begin), every channel arrangement the average colour
// uses, and bytes at full intensity so that a lane that wraps or drops a byte shows.
TEST(ChannelSums, EveryKernelMatchesTheScalarRuleOnOddLengthsStartsAndPositions)
{
    std::vector<std::uint8_t> bytes(4 * 300 + 64);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i % 3 == 0 ? 255 : i * 37 + 11);
    const ChannelPositions arrangements[] = {{0, 1, 2}, {1, 2, 3}, {2, 1, 0}, {3, 2, 1}};
    for (ChannelSumsKernel kernel : {ChannelSumsKernel::Scalar, ChannelSumsKernel::SSE2, ChannelSumsKernel::AVX2}) {
        if (!zovorudovu::channelSumsKernelAvailable(kernel)) continue;
        for (const ChannelPositions at : arrangements)
            for (std::size_t start : {0, 1, 4, 13})
                for (std::size_t count : {0, 1, 3, 4, 7, 8, 9, 15, 16, 17, 31, 33, 180, 299}) {
                    SCOPED_TRACE(testing::Message() << "kernel " << static_cast<int>(kernel) << ", positions " << at.first << at.second << at.third
                                                    << ", start " << start << ", " << count << " pixels");
                    ChannelSums sums{1, 2, 3}; // the kernels add to what they are given
                    zovorudovu::addChannelSums(bytes.data() + start, count, at, sums, kernel);
                    const ChannelSums expected = scalarRule(bytes.data() + start, count, at);
                    EXPECT_EQ(sums.first, expected.first + 1);
                    EXPECT_EQ(sums.second, expected.second + 2);
                    EXPECT_EQ(sums.third, expected.third + 3);
                }
    }
}

} // namespace
