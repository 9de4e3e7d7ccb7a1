// The main run loop of a simulated process: a queue of blocks on a virtual clock.
//
//   zovo::RunLoop& loop = process.mainRunLoop();
//   loop.schedule(0.3, [] { slideIn(); });   // a timer, due 0.3 s from now
//   loop.perform([] { deliver(); });         // on a later turn, at the current time
//   loop.advance(0.5);                       // deliver() runs at 0, slideIn() at exactly 0.3
//
// Nothing here reads the wall clock or sleeps. Tests move time with advance(); the interactive
// tool advances by the wall-clock time that has passed between frames.
//
// Rules:
// - Every item runs on a later turn, never inside the call that queued it.
// - Items run in order of due time; items due at the same time run in the order they were
//   queued, whether they came from schedule() or perform().
// - While an item runs, now() is its own due time. Items queued while the loop turns run in the
//   same turn when they fall due within it.
// - A block that throws leaves the loop consistent: the exception propagates to the caller of
//   advance() or runUntilIdle() with the clock at that block's due time, and every other item
//   stays queued.
// - The clock counts whole nanoseconds, so steps add up exactly: three steps of 0.1 s land on
//   0.3 s, and a timer due at 0.3 s fires in the third.
//
// Main thread only, like the run loop it stands for (checked in debug builds).
#pragma once

#include <compare>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <unordered_map>

namespace zovo {

class RunLoop {
public:
    // Names a timer for cancel(). Never 0, so 0 can stand for "no timer".
    using TimerId = std::uint64_t;

    // A loop that runs this many items without its clock moving is taken to be stuck (a block
    // that keeps queueing itself for now) and stops with an error instead of hanging the caller.
    static constexpr std::size_t kMaxItemsPerInstant = 1'000'000;

    RunLoop() = default;
    ~RunLoop();
    RunLoop(const RunLoop&) = delete;
    RunLoop& operator=(const RunLoop&) = delete;

    // Seconds since the loop was made.
    double now() const;

    // A timer that runs `block` once, `delaySeconds` from now. A negative delay counts as zero;
    // an infinite one never fires. Throws std::invalid_argument for NaN.
    TimerId schedule(double delaySeconds, std::function<void()> block);
    // Drops a timer that has not run yet. False when it already ran or was cancelled.
    bool cancel(TimerId timer);
    // Runs `block` on a later turn at the current time, after everything already due now.
    void perform(std::function<void()> block);

    // Moves the clock forward by `seconds`, running every item that falls due up to the new time.
    // Throws std::invalid_argument for a negative or non-finite step.
    void advance(double seconds);
    // Runs everything due now, including what those items queue for now; the clock stays.
    void runUntilIdle();

    // Drops every queued item without running it. Blocks that queue more as they end are
    // dropped too.
    void discardAll();

    // The due time of the earliest queued item, or nothing when the queue is empty.
    std::optional<double> nextFireTime() const;
    std::size_t pendingCount() const { return items_.size(); }
    // How many items have run since the loop was made: a tool that redraws only when something
    // happened compares it before and after a step.
    std::uint64_t itemsRun() const { return itemsRun_; }

private:
    using Ticks = std::int64_t;
    struct Key {
        Ticks due;
        std::uint64_t sequence;
        auto operator<=>(const Key&) const = default;
    };

    std::uint64_t enqueue(Ticks due, std::function<void()> block);
    void runDue(Ticks limit);

    Ticks now_ = 0;
    std::uint64_t nextSequence_ = 1;
    std::uint64_t itemsRun_ = 0;
    std::map<Key, std::function<void()>> items_;
    // Due times of the timers that can still be cancelled, by id.
    std::unordered_map<TimerId, Ticks> timers_;
};

} // namespace zovo
