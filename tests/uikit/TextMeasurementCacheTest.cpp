#include "uikit/TextMeasurementCache.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

using zovo::TextMeasurement;
using zovo::TextMeasurementCache;
using zovo::TextMeasurementKey;

TextMeasurementKey key(std::string text)
{
    return TextMeasurementKey{std::move(text), {"Inter", 14, zovo::FontWeight::Regular}, 189, 2, NSLineBreakByWordWrapping};
}

TextMeasurement measurement(double width) { return TextMeasurement{CGSizeMake(width, 17), 1}; }

// A stale answer is a wrong label size: every part of the key must tell measurements apart.
TEST(TextMeasurementCache, EveryPartOfTheKeyTellsMeasurementsApartAndTheLeastRecentlyUsedGoesFirst)
{
    TextMeasurementCache cache;
    cache.insert(key("Lunch?"), measurement(40));
    std::vector<TextMeasurementKey> others(7, key("Lunch?"));
    others[0].text = "Lunch!";
    others[1].font.family = "DejaVu Sans";
    others[2].font.pointSize = 15;
    others[3].font.weight = zovo::FontWeight::Bold;
    others[4].maxWidth = 190;
    others[5].numberOfLines = 1;
    others[6].mode = NSLineBreakByCharWrapping;
    for (std::size_t i = 0; i < others.size(); ++i) EXPECT_FALSE(cache.find(others[i])) << "key " << i;
    ASSERT_TRUE(cache.find(key("Lunch?")));
    EXPECT_EQ(cache.find(key("Lunch?"))->size.width, 40);

    // A width that is not a number still finds its own entry.
    TextMeasurementKey nan = key("Lunch?");
    nan.maxWidth = std::numeric_limits<double>::quiet_NaN();
    cache.insert(nan, measurement(50));
    ASSERT_TRUE(cache.find(nan));
    EXPECT_EQ(cache.find(nan)->size.width, 50);

    // At most its capacity is held, and the least recently used entry is forgotten first.
    TextMeasurementCache small(3);
    small.insert(key("a"), measurement(1));
    small.insert(key("b"), measurement(2));
    small.insert(key("c"), measurement(3));
    ASSERT_TRUE(small.find(key("a"))); // "b" is now the least recently used
    small.insert(key("d"), measurement(4));
    EXPECT_EQ(small.size(), 3u);
    EXPECT_FALSE(small.find(key("b")));
    EXPECT_TRUE(small.find(key("a")));
    EXPECT_TRUE(small.find(key("c")));
    small.insert(key("c"), measurement(30)); // a second insert replaces, it does not add
    EXPECT_EQ(small.size(), 3u);
    EXPECT_EQ(small.find(key("c"))->size.width, 30);
}

} // namespace
