#include "foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

using zovo::RunLoop;

namespace {

using Runs = std::vector<std::pair<std::string, double>>;

// A block that records its label and the clock when it runs.
std::function<void()> note(RunLoop& loop, Runs& runs, std::string label)
{
    return [&loop, &runs, label] { runs.emplace_back(label, loop.now()); };
}

TEST(RunLoop, RunsItemsByDueTimeThenQueueOrderEachAtItsOwnExactTime)
{
    RunLoop loop;
    Runs runs;
    loop.advance(1.0);
    loop.schedule(0.3, note(loop, runs, "late"));
    loop.schedule(0.1, note(loop, runs, "early"));
    loop.perform(note(loop, runs, "perform"));
    loop.schedule(-2.0, note(loop, runs, "negative-delay"));
    loop.schedule(0.1, note(loop, runs, "early-second"));
    EXPECT_TRUE(runs.empty()); // nothing runs inside the call that queued it
    loop.advance(0.5);
    EXPECT_EQ(runs, (Runs{{"perform", 1.0}, {"negative-delay", 1.0}, {"early", 1.1}, {"early-second", 1.1}, {"late", 1.3}}));
    for (int i = 0; i < 5; ++i) loop.advance(0.1); // small steps add up exactly
    EXPECT_EQ(loop.now(), 2.0);
}

TEST(RunLoop, ItemsQueuedWhileTurningRunWhenTheyFallDueInTheSameTurn)
{
    RunLoop loop;
    Runs runs;
    loop.perform([&] {
        loop.perform(note(loop, runs, "queued-inside"));
        runs.emplace_back("outer", loop.now());
    });
    loop.perform(note(loop, runs, "second"));
    loop.runUntilIdle();
    EXPECT_EQ(runs, (Runs{{"outer", 0.0}, {"second", 0.0}, {"queued-inside", 0.0}}));

    runs.clear();
    loop.schedule(0.1, [&] {
        loop.schedule(0.2, note(loop, runs, "inside"));
        loop.schedule(0.5, note(loop, runs, "beyond"));
    });
    loop.advance(0.5);
    EXPECT_EQ(runs, (Runs{{"inside", 0.3}}));
    EXPECT_EQ(loop.nextFireTime(), 0.6);
}

TEST(RunLoop, CancelledTimersDoNotRunEvenWhenCancelledInTheSameStep)
{
    RunLoop loop;
    int fired = 0;
    RunLoop::TimerId dropped = loop.schedule(0.1, [&] { fired += 10; });
    RunLoop::TimerId victim = loop.schedule(0.3, [&] { fired += 100; });
    RunLoop::TimerId kept = loop.schedule(0.2, [&] {
        fired += 1;
        EXPECT_TRUE(loop.cancel(victim));
    });
    EXPECT_TRUE(loop.cancel(dropped));
    EXPECT_FALSE(loop.cancel(dropped));
    loop.advance(1);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(loop.cancel(kept)); // already ran
    EXPECT_EQ(loop.pendingCount(), 0u);
}

TEST(RunLoop, ABlockThatThrowsLeavesTheRestQueued)
{
    RunLoop loop;
    Runs runs;
    loop.schedule(0.2, [] { throw std::runtime_error("block failed"); });
    loop.schedule(0.3, note(loop, runs, "after"));
    EXPECT_THROW(loop.advance(1.0), std::runtime_error);
    EXPECT_EQ(loop.now(), 0.2);
    loop.advance(1.0);
    EXPECT_EQ(runs, (Runs{{"after", 0.3}}));
}

TEST(RunLoop, RefusesBadTimesAndStopsALoopThatNeverBecomesIdle)
{
    RunLoop loop;
    EXPECT_THROW(loop.advance(-0.1), std::invalid_argument);
    EXPECT_THROW(loop.advance(std::nan("")), std::invalid_argument);
    EXPECT_THROW(loop.advance(std::numeric_limits<double>::infinity()), std::invalid_argument);
    EXPECT_THROW(loop.schedule(std::nan(""), [] {}), std::invalid_argument);
    bool fired = false;
    loop.schedule(std::numeric_limits<double>::infinity(), [&] { fired = true; });
    loop.advance(1e12);
    EXPECT_FALSE(fired);
    EXPECT_EQ(loop.nextFireTime(), std::numeric_limits<double>::infinity());

    std::function<void()> again = [&] { loop.perform(again); };
    loop.perform(again);
    EXPECT_THROW(loop.runUntilIdle(), std::logic_error);
    EXPECT_EQ(loop.pendingCount(), 2u); // the next turn is kept, not lost
    loop.discardAll();
}

} // namespace
