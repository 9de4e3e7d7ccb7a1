#include "render/GifInternals.h"
#include "GifReader.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

using zovo::test::Bytes;

TEST(GifLzw, SurvivesCodeGrowthAndTableResets)
{
    // Noise fills the 4096-entry table many times over; runs make the decoder meet codes it is
    // defining as it reads them.
    std::mt19937 random(7);
    for (int minCodeSize : {2, 8}) {
        Bytes indices(70000), data, back;
        for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>(i % 97 < 40 ? 1 : random() % (1u << minCodeSize));
        zovo::gifCompress(indices, minCodeSize, data);
        zovo::test::Gif trace;
        ASSERT_EQ(zovo::test::lzwDecode(data, minCodeSize, back, trace), "") << "min code size " << minCodeSize;
        EXPECT_EQ(back, indices) << "min code size " << minCodeSize;
        EXPECT_EQ(trace.widestCode, 12);
        EXPECT_GE(trace.clearCodes, 2) << "the first clear and at least one when the table filled";
    }
    Bytes data;
    EXPECT_THROW(zovo::gifCompress({0}, 1, data), std::invalid_argument);
    EXPECT_THROW(zovo::gifCompress({0}, 9, data), std::invalid_argument);
}
