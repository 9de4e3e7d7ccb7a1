// The endurance run, short: its invariants hold, its counts add up and it is reproducible.
#include "sim/Soak.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

TEST(Soak, ShortRunKeepsEveryInvariantAndIsReproducible)
{
    const zovo::ErrorOr<zovo::SoakSummary> ran = zovo::runSoak({.notifications = 120, .seed = 3});
    ASSERT_TRUE(ran) << ran.error();
    const zovo::SoakSummary& first = ran.value();
    EXPECT_EQ(first.invariantFailures, 0u) << (first.failures.empty() ? "" : first.failures.front());
    EXPECT_EQ(first.notifications, 120u);
    EXPECT_EQ(first.presented, 120u) << "every request is shown, in arrival order";
    EXPECT_EQ(first.dismissed, first.presented);
    // The random user did a bit of everything, and the memory was measured.
    for (const char* count : {"taps", "drags", "holds", "longLooks", "rotations", "settingsChanges", "peakMemoryKiB"})
        EXPECT_GT(zovo::soakSummaryJson(first)[count], 0) << count;

    const zovo::ErrorOr<zovo::SoakSummary> again = zovo::runSoak({.notifications = 120, .seed = 3});
    ASSERT_TRUE(again);
    auto counts = [](const zovo::SoakSummary& s) {
        zovo::Json j = zovo::soakSummaryJson(s);
        j.erase("peakMemoryKiB");
        j.erase("warmMemoryKiB");
        return j;
    };
    EXPECT_EQ(counts(again.value()), counts(first));
}

TEST(Soak, UnusableOptionsAreRefusedBeforeAnythingRuns)
{
    EXPECT_EQ(zovo::runSoak({.notifications = 0}).error(), "notifications: at least one is needed");
    EXPECT_EQ(zovo::runSoak({.notifications = 5, .device = "Nokia\xFF"}).error(), "device: unknown device \"Nokia\xEF\xBF\xBD\" (see `zovorudovu devices`)");
}

} // namespace
