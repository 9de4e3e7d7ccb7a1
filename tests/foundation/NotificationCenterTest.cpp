#include "foundation/NSNotification.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

using namespace objc;

namespace {

using Log = std::vector<std::string>;
Log log;

// An observer that logs what it hears ("label:name", or "label:ping" from its method without
// arguments), keeps the last notification and then runs its optional reaction.
struct Listener : Object {
    static constexpr const char* kClassName = "Listener";
    static inline int live = 0;
    Listener() { ++live; }
    ~Listener() override { --live; }
    std::string label;
    std::function<void()> react;
    StrongId lastNotification;
};

// The message of the objc::RuntimeError that `step` raises, or "" when it raises none.
std::string runtimeErrorOf(const std::function<void()>& step)
{
    try { step(); } catch (const RuntimeError& error) { return error.what(); }
    return "";
}

class NotificationCenter : public ::testing::Test {
protected:
    NotificationCenter()
    {
        log.clear();
        Listener::live = 0;
        Class cls = process.runtime().registerClass("Listener", objc_getClass("NSObject"), []() -> Object* { return new Listener(); });
        addMethod(cls, sel("heard:"), +[](id self, SEL, id note) {
            auto* listener = static_cast<Listener*>(self);
            log.push_back(listener->label + ":" + cast<NSNotification>(note)->name()->utf8());
            listener->lastNotification = StrongId(note);
            if (listener->react) listener->react();
        });
        addMethod(cls, sel("ping"), +[](id self, SEL) { log.push_back(static_cast<Listener*>(self)->label + ":ping"); });
        addMethod(cls, sel("measure:"), +[](id, SEL, double x) { return x; });
    }
    void TearDown() override { EXPECT_EQ(Listener::live, 0) << "an observer outlived its test"; }

    static StrongRef<Listener> listener(std::string label) { StrongRef<Listener> l = make<Listener>(); l->label = std::move(label); return l; }
    // An empty name listens for every name.
    void listen(id observer, std::string_view name, id object = nullptr, const char* selector = "heard:")
    {
        centre->addObserver(observer, sel(selector), name.empty() ? nullptr : NSString::from(name).get(), object);
    }

    zovo::Process process;
    NSNotificationCenter* centre = process.defaultCenter();
};

TEST_F(NotificationCenter, DeliversAtOnceAfterTheTraceInRegistrationOrderOncePerRegistrationToMatchingNamesAndSenders)
{
    StrongRef<Listener> a = listener("a"), any = listener("any"), b = listener("b"), other = listener("other"), sender = listener("sender");
    listen(a.get(), "X");
    listen(any.get(), "");
    listen(b.get(), "X", sender.get());
    listen(other.get(), "Y");
    listen(a.get(), "X"); // a second registration is a second entry
    centre->setPostListener([&](const std::string& name) { log.push_back("trace:" + name); });
    centre->post("X");
    centre->postNotificationName(NSString::from("X").get(), sender.get());
    centre->postNotificationName(NSString::from("X").get(), other.get());
    centre->post("Unheard");
    EXPECT_EQ(log, (Log{"trace:X", "a:X", "any:X", "a:X", "trace:X", "a:X", "any:X", "b:X", "a:X", "trace:X", "a:X", "any:X", "a:X", "trace:Unheard",
                        "any:Unheard"}));
}

TEST_F(NotificationCenter, EndedObserversAndSendersMatchNothingAndTheirEntriesAreDropped)
{
    StrongRef<Listener> kept = listener("kept"), gone = listener("gone"), sender = listener("sender");
    listen(gone.get(), "X");
    listen(gone.get(), "");
    listen(kept.get(), "X", sender.get());
    listen(kept.get(), "X");
    gone = sender = nullptr;
    EXPECT_EQ(centre->entryCount(), 2u) << "an ended observer's entries leave as it ends";
    centre->post("X");
    EXPECT_EQ(log, (Log{"kept:X"})) << "a filter whose sender ended is no nil filter";
    EXPECT_EQ(centre->entryCount(), 1u);
}

// Banners come and go by the thousand, each registering for names that are rarely posted: the
// centre must not grow with them.
TEST_F(NotificationCenter, ObserversThatComeAndGoLeaveNoEntriesBehind)
{
    StrongRef<Listener> stays = listener("stays");
    listen(stays.get(), "Rare");
    for (int i = 0; i < 1000; ++i) {
        StrongRef<Listener> banner = listener("banner");
        listen(banner.get(), "Rare");
        listen(banner.get(), "Other");
        listen(banner.get(), "", nullptr, "ping");
    }
    EXPECT_EQ(centre->entryCount(), 1u);
}

TEST_F(NotificationCenter, ObserverMethodsAreSentByMessageWithTheNotificationOrWithoutAsEncoded)
{
    StrongRef<Listener> with = listener("with"), without = listener("without"), sender = listener("sender");
    listen(with.get(), "X");
    listen(without.get(), "X", nullptr, "ping");
    centre->postNotificationName(NSString::from("X").get(), sender.get());
    EXPECT_EQ(log, (Log{"with:X", "without:ping"}));
    EXPECT_EQ(send<StrongId>(with->lastNotification, "object").get(), sender.get());
    class_replaceMethod(with->isa, sel("heard:"), +[](id, SEL, id) { log.push_back("hooked"); });
    centre->post("X");
    EXPECT_EQ(log.at(2), "hooked") << "a replaced method is what runs";
}

TEST_F(NotificationCenter, BadObserversNamesAndMethodsAreRefused)
{
    StrongRef<Listener> with = listener("with");
    EXPECT_THROW(centre->addObserver(nullptr, sel("heard:"), NSString::from("X").get(), nullptr), std::invalid_argument);
    EXPECT_THROW(centre->addObserver(with.get(), nullptr, NSString::from("X").get(), nullptr), std::invalid_argument);
    EXPECT_THROW(centre->postNotificationName(nullptr, nullptr), std::invalid_argument);
    EXPECT_THROW(send(centre, "postNotificationName:object:", with, nullptr), RuntimeError) << "a name that is no string";
    // A method of any other encoding is an error naming class and selector, at registration when
    // the observer has it already, else when a post reaches it.
    EXPECT_NE(runtimeErrorOf([&] { listen(with.get(), "X", nullptr, "measure:"); }).find("-[Listener measure:]"), std::string::npos);
    EXPECT_EQ(centre->entryCount(), 0u);
    listen(with.get(), "X", nullptr, "count:");
    addMethod(with->isa, sel("count:"), +[](id, SEL, id) -> std::int32_t { return 1; });
    EXPECT_NE(runtimeErrorOf([&] { centre->post("X"); }).find("-[Listener count:]"), std::string::npos);
    centre->removeObserver(with.get());
    listen(with.get(), "X", nullptr, "missing:");
    EXPECT_NE(runtimeErrorOf([&] { centre->post("X"); }).find("-[Listener missing:]"), std::string::npos);
    send(centre, "removeObserver:", with);
    EXPECT_EQ(centre->entryCount(), 0u);
}

TEST_F(NotificationCenter, EntriesRemovedOrEndedMidDeliveryAreSkippedAddedOnesHearTheNextPostAndTheCallerLives)
{
    StrongRef<Listener> a = listener("a"), b = listener("b"), c = listener("c"), d = listener("d"), late = listener("late");
    int liveDuringCall = -1;
    a->react = [&] {
        centre->removeObserver(a.get()); // its own second entry is still ahead
        centre->removeObserver(b.get(), NSString::from("X").get(), nullptr);
        c = nullptr; // the only strong reference to a later observer
        listen(late.get(), "");
        StrongRef<Listener> self = std::move(a); // the only one to the observer running now
        self = nullptr;
        liveDuringCall = Listener::live;
    };
    listen(a.get(), "X");
    listen(b.get(), "X");
    listen(b.get(), "Y");
    listen(c.get(), "X");
    listen(a.get(), "X");
    listen(d.get(), "X");
    centre->post("X");
    EXPECT_EQ(liveDuringCall, 4) << "a, b, d and late: the centre holds a for its call";
    EXPECT_EQ(Listener::live, 3);
    centre->post("X");
    centre->post("Y");
    EXPECT_EQ(log, (Log{"a:X", "d:X", "d:X", "late:X", "b:Y", "late:Y"}));
}

TEST_F(NotificationCenter, NestedPostsAreDeliveredInFullFirstAndAThrowingObserverEndsOnlyItsPost)
{
    StrongRef<Listener> a = listener("a"), b = listener("b"), c = listener("c");
    bool nest = true, fail = false;
    a->react = [&] {
        if (std::exchange(nest, false)) centre->post("Y");
        if (std::exchange(fail, false)) throw std::runtime_error("observer failed");
    };
    listen(a.get(), "X");
    listen(b.get(), "X");
    listen(c.get(), "Y");
    listen(b.get(), "Y");
    centre->post("X");
    EXPECT_EQ(log, (Log{"a:X", "c:Y", "b:Y", "b:X"}));
    log.clear();
    fail = true;
    EXPECT_THROW(centre->post("X"), std::runtime_error);
    centre->post("X");
    EXPECT_EQ(log, (Log{"a:X", "a:X", "b:X"}));
}

// Whether a post's notification is made anew or handed on from an earlier post, nobody can tell:
// each carries its own name and sender, one kept by an observer stays as it was, one reached
// weakly ends with its post, and the centre holds no sender once its post is over.
TEST_F(NotificationCenter, EachPostsNotificationIsItsOwnWhoeverKeepsOrWatchesOne)
{
    static WeakRef<Object> watched;
    Class cls = objc_getClass("Listener");
    addMethod(cls, sel("glance:"), +[](id self, SEL, id note) {
        auto* n = cast<NSNotification>(note);
        log.push_back(static_cast<Listener*>(self)->label + ":" + n->name()->utf8() + (n->object() ? "+sender" : ""));
    });
    addMethod(cls, sel("watch:"), +[](id, SEL, id note) { watched = note; });
    StrongRef<Listener> glancer = listener("g"), keeper = listener("k"), watcher = listener("w");
    listen(glancer.get(), "", nullptr, "glance:");
    WeakRef<Listener> sender;
    {
        StrongRef<Listener> made = listener("sender");
        sender = made.get();
        centre->postNotificationName(NSString::from("X").get(), made.get());
    }
    EXPECT_FALSE(sender.get()) << "the sender ends with its last reference, not held by the centre";
    centre->post("Y");

    listen(keeper.get(), "Z");
    centre->post("Z");
    StrongId kept = keeper->lastNotification;
    centre->post("Z");
    EXPECT_NE(kept.get(), keeper->lastNotification.get()) << "a kept notification is not given out again";
    EXPECT_EQ(cast<NSNotification>(kept)->name()->utf8(), "Z");
    centre->post("Y");
    EXPECT_EQ(cast<NSNotification>(kept)->name()->utf8(), "Z");

    listen(watcher.get(), "W", nullptr, "watch:");
    centre->post("W");
    EXPECT_FALSE(watched.get()) << "a notification reached only weakly ends with its post";
    centre->post("W");
    EXPECT_EQ(log, (Log{"g:X+sender", "g:Y", "g:Z", "k:Z", "g:Z", "k:Z", "g:Y", "g:W", "g:W"}));
    watched = nullptr;
}

} // namespace
