#include "foundation/RunLoop.h"

#include "objc/MainThread.h"

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

namespace zovo {
namespace {

using Ticks = std::int64_t;

constexpr double kTicksPerSecond = 1e9;
// Timers due at this tick never fire, and the clock never reaches it.
constexpr Ticks kNever = std::numeric_limits<Ticks>::max();
// Durations from about 285 years on are treated as "never"; below it, llround cannot overflow.
constexpr double kLongestDuration = 9e18;

Ticks toTicks(double seconds)
{
    if (seconds <= 0) return 0;
    double ticks = seconds * kTicksPerSecond;
    if (ticks >= kLongestDuration) return kNever;
    return static_cast<Ticks>(std::llround(ticks));
}

Ticks later(Ticks from, Ticks duration) { return duration > kNever - from ? kNever : from + duration; }

double toSeconds(Ticks ticks) { return ticks == kNever ? std::numeric_limits<double>::infinity() : static_cast<double>(ticks) / kTicksPerSecond; }

} // namespace

RunLoop::~RunLoop() { discardAll(); }

void RunLoop::discardAll()
{
    // Blocks may hold objects whose teardown queues or cancels work on this loop. Each round
    // empties the queue before anything in it ends, so those calls find a consistent loop, and
    // what they queue ends in the next round.
    while (!items_.empty()) {
        auto doomed = std::move(items_);
        items_.clear();
        timers_.clear();
    }
}

double RunLoop::now() const { return toSeconds(now_); }

RunLoop::TimerId RunLoop::schedule(double delaySeconds, std::function<void()> block)
{
    if (std::isnan(delaySeconds)) throw std::invalid_argument("RunLoop::schedule: the delay is not a number");
    Ticks due = later(now_, toTicks(delaySeconds));
    TimerId id = enqueue(due, std::move(block));
    timers_.emplace(id, due);
    return id;
}

bool RunLoop::cancel(TimerId timer)
{
    OBJC_ASSERT_MAIN_THREAD("cancelling a run loop timer");
    auto found = timers_.find(timer);
    if (found == timers_.end()) return false;
    Key key{found->second, timer};
    timers_.erase(found);
    // The block ends when `node` does, after the queue is consistent again: its captures may
    // cancel other timers as they end.
    auto node = items_.extract(key);
    return !node.empty();
}

void RunLoop::perform(std::function<void()> block) { enqueue(now_, std::move(block)); }

std::uint64_t RunLoop::enqueue(Ticks due, std::function<void()> block)
{
    OBJC_ASSERT_MAIN_THREAD("queueing work on the run loop");
    if (!block) throw std::invalid_argument("RunLoop: an empty block cannot be queued");
    std::uint64_t sequence = nextSequence_++;
    items_.emplace(Key{due, sequence}, std::move(block));
    return sequence;
}

void RunLoop::advance(double seconds)
{
    if (!std::isfinite(seconds) || seconds < 0)
        throw std::invalid_argument("RunLoop::advance: time only moves forward by a finite step, not " + std::to_string(seconds));
    Ticks target = later(now_, toTicks(seconds));
    if (target == kNever) target = kNever - 1;
    runDue(target);
    // A block may have turned the loop further itself; the clock never goes back.
    if (now_ < target) now_ = target;
}

void RunLoop::runUntilIdle() { runDue(now_); }

void RunLoop::runDue(Ticks limit)
{
    OBJC_ASSERT_MAIN_THREAD("running the run loop");
    std::size_t atThisInstant = 0;
    while (!items_.empty() && items_.begin()->first.due <= limit) {
        Ticks due = items_.begin()->first.due;
        if (due > now_) {
            now_ = due;
            atThisInstant = 0;
        }
        // Checked before the item leaves the queue, so a stuck loop loses nothing.
        if (++atThisInstant > kMaxItemsPerInstant)
            throw std::logic_error("RunLoop: " + std::to_string(kMaxItemsPerInstant) + " items ran at " + std::to_string(toSeconds(now_)) +
                                   " s without the clock moving; a block keeps queueing itself for now");
        auto node = items_.extract(items_.begin());
        timers_.erase(node.key().sequence);
        ++itemsRun_;
        node.mapped()();
    }
}

std::optional<double> RunLoop::nextFireTime() const
{
    if (items_.empty()) return std::nullopt;
    return toSeconds(items_.begin()->first.due);
}

} // namespace zovo
