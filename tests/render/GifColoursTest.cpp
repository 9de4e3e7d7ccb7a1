#include "render/GifInternals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

TEST(GifColours, TableFollowsTheColoursOfTheRectangleOnly)
{
    // A canvas 210 wide: 200 shades of one hue, then ten columns of pure green outside the
    // rectangle. A cube of fixed levels has six of the shades; a table made for them keeps nearly
    // every one, and the green outside takes no entry.
    constexpr int width = 210;
    std::vector<std::uint8_t> canvas, indices, table;
    for (int i = 0; i < width * 4; ++i) {
        const int x = i % width;
        canvas.insert(canvas.end(), {std::uint8_t(x < 200 ? 20 + x : 0), std::uint8_t(x < 200 ? 10 + x / 2 : 255), std::uint8_t(x < 200 ? 90 : 0)});
    }
    auto colour = [&](std::size_t i) { return std::array<int, 3>{table.at(indices.at(i) * 3u), table.at(indices[i] * 3u + 1), table.at(indices[i] * 3u + 2)}; };
    zovo::gifQuantise(canvas.data(), width, {0, 1, 200, 2}, indices, table);
    ASSERT_EQ(indices.size(), 400u);
    int worst = 0;
    for (int x = 0; x < 200; ++x) {
        const auto c = colour(static_cast<std::size_t>(200 + x));
        worst = std::max({worst, std::abs(c[0] - (20 + x)), std::abs(c[1] - (10 + x / 2)), std::abs(c[2] - 90)});
    }
    EXPECT_LE(worst, 4);
    for (std::size_t i = 1; i < table.size(); i += 3) EXPECT_NE(table[i], 255) << "a colour from outside the rectangle";

    // Few colours are kept exactly, from wherever the rectangle starts.
    zovo::gifQuantise(canvas.data(), width, {199, 3, 3, 1}, indices, table);
    EXPECT_EQ(colour(0), (std::array{219, 109, 90}));
    EXPECT_EQ(colour(2), (std::array{0, 255, 0}));
    EXPECT_EQ(table.size(), 2u * 3);
}
