#include "foundation/DarwinNotifyCenter.h"
#include "foundation/Process.h"
#include "foundation/RunLoop.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <vector>

namespace {

static_assert(std::is_same_v<CFNotificationCenterRef, zovo::DarwinNotifyCenter*>);
static_assert(CFNotificationSuspensionBehaviorCoalesce == 2 && CFNotificationSuspensionBehaviorDeliverImmediately == 4);

using Log = std::vector<std::string>;

// What one registration saw; the registration's observer pointer points at it.
struct Seen {
    std::string label;
    Log* log;
    std::function<void()> react;
    CFNotificationCenterRef center = nullptr;
};

void record(CFNotificationCenterRef center, void* observer, CFStringRef name, const void*, CFDictionaryRef)
{
    auto* seen = static_cast<Seen*>(observer);
    seen->center = center;
    seen->log->push_back(seen->label + ":" + name->text);
    if (seen->react) seen->react();
}

class DarwinCenter : public ::testing::Test {
protected:
    void add(Seen& seen, CFStringRef name, CFNotificationSuspensionBehavior behaviour = CFNotificationSuspensionBehaviorCoalesce)
    {
        CFNotificationCenterAddObserver(centre, &seen, record, name, nullptr, behaviour);
    }
    void post(CFStringRef name) { CFNotificationCenterPostNotification(centre, name, nullptr, nullptr, true); }

    zovo::Process process;
    zovo::RunLoop& loop = process.mainRunLoop();
    CFNotificationCenterRef centre = CFNotificationCenterGetDarwinNotifyCenter();
    Log log;
};

TEST_F(DarwinCenter, DeliversWhenTheRunLoopTurnsInPostThenRegistrationOrder)
{
    Seen a1{"a1", &log}, b{"b", &log}, a2{"a2", &log}, other{"other", &log};
    add(a1, CFSTR("a"), CFNotificationSuspensionBehaviorDeliverImmediately);
    add(b, CFSTR("b"), CFNotificationSuspensionBehaviorDrop);
    add(a2, CFSTR("a"));
    add(other, CFSTR("c"));
    post(CFSTR("b"));
    post(CFSTR("a"));
    EXPECT_TRUE(log.empty()); // even when asked to deliver immediately
    loop.runUntilIdle();
    EXPECT_EQ(log, (Log{"b:b", "a1:a", "a2:a"}));
    EXPECT_EQ(a1.center, &process.darwinCenter());
}

TEST_F(DarwinCenter, CoalescingGivesOneCallbackPerRegistrationForPostsBeforeDelivery)
{
    Seen first{"first", &log}, second{"second", &log}, held{"held", &log};
    add(first, CFSTR("changed"));
    add(second, CFSTR("changed"));
    add(held, CFSTR("changed"), CFNotificationSuspensionBehaviorHold);
    for (int i = 0; i < 3; ++i) process.darwinCenter().post("changed");
    loop.runUntilIdle();
    EXPECT_EQ(log, (Log{"first:changed", "second:changed", "held:changed", "held:changed", "held:changed"}));

    // A post made during first's callback queues first again, and coalesces into second's
    // delivery, which is still queued.
    log.clear();
    first.react = [&] {
        if (log.size() == 1) post(CFSTR("changed"));
    };
    post(CFSTR("changed"));
    loop.advance(0.1);
    EXPECT_EQ(log, (Log{"first:changed", "second:changed", "held:changed", "first:changed", "held:changed"}));
}

TEST_F(DarwinCenter, RegistrationsRemovedBeforeTheirDeliveryGetNoCallbackAndAThrowingOneLeavesTheOthersQueued)
{
    Seen removed{"removed", &log}, every{"every", &log}, once{"once", &log};
    add(removed, CFSTR("x"));
    add(every, CFSTR("x"));
    add(every, CFSTR("y"));
    once.react = [&] { CFNotificationCenterRemoveObserver(centre, &once, nullptr, nullptr); };
    add(once, CFSTR("x"), CFNotificationSuspensionBehaviorHold);
    post(CFSTR("x"));
    post(CFSTR("x"));
    post(CFSTR("y"));
    CFNotificationCenterRemoveObserver(centre, &removed, CFSTR("x"), nullptr);
    CFNotificationCenterRemoveEveryObserver(centre, &every);
    loop.runUntilIdle();
    EXPECT_EQ(log, (Log{"once:x"}));
    EXPECT_EQ(process.darwinCenter().registrationCount(), 0u);

    log.clear(); // a callback that throws leaves the other deliveries queued
    Seen failing{"failing", &log}, next{"next", &log};
    failing.react = [] { throw std::runtime_error("callback failed"); };
    add(failing, CFSTR("x"));
    add(next, CFSTR("x"));
    post(CFSTR("x"));
    EXPECT_THROW(loop.runUntilIdle(), std::runtime_error);
    failing.react = nullptr;
    post(CFSTR("x")); // the failing registration is not left pending
    loop.runUntilIdle();
    EXPECT_EQ(log, (Log{"failing:x", "next:x", "failing:x"}));
}

TEST(DarwinNotifyCenter, EachProcessHasItsOwnCentreAndQueuedDeliveriesOutliveItHarmlessly)
{
    Log log;
    Seen outerSeen{"outer", &log}, innerSeen{"inner", &log};
    zovo::Process outer;
    CFStringRef name = CFSTR("com.example/shared"); // static: serves every process
    CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), &outerSeen, record, name, nullptr, CFNotificationSuspensionBehaviorCoalesce);
    {
        zovo::Process inner;
        CFNotificationCenterAddObserver(CFNotificationCenterGetDarwinNotifyCenter(), &innerSeen, record, name, nullptr, CFNotificationSuspensionBehaviorCoalesce);
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), name, nullptr, nullptr, false);
        inner.mainRunLoop().runUntilIdle();
        outer.mainRunLoop().runUntilIdle();
    }
    EXPECT_EQ(log, (Log{"inner:com.example/shared"}));

    zovo::RunLoop loop;
    auto centre = std::make_unique<zovo::DarwinNotifyCenter>(loop);
    centre->addObserver(&outerSeen, record, "x", CFNotificationSuspensionBehaviorCoalesce);
    centre->post("x");
    centre.reset();
    loop.runUntilIdle();
    EXPECT_EQ(log.size(), 1u);
}

} // namespace
