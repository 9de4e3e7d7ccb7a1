#include "foundation/NSNotification.h"
#include "foundation/NSNotificationCenter.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

using namespace objc;

namespace {

using Log = std::vector<std::string>;

// An observer that logs what it hears ("label:name", or "label:ping" from its method without
// arguments), keeps the last notification and then runs its optional reaction.
struct Listener : Object {
    static constexpr const char* kClassName = "Listener";
    static inline int live = 0;
    Listener() { ++live; }
    ~Listener() override { --live; }
    std::string label;
    Log* log = nullptr;
    std::function<void()> react;
    Id lastNotification;
};

void listenerHeard(id self, SEL, id note)
{
    auto* listener = static_cast<Listener*>(self);
    listener->log->push_back(listener->label + ":" + cast<NSNotification>(note)->name()->utf8());
    listener->lastNotification = Id(note);
    if (listener->react) listener->react();
}

void listenerPing(id self, SEL) { static_cast<Listener*>(self)->log->push_back(static_cast<Listener*>(self)->label + ":ping"); }
void listenerHooked(id self, SEL, id) { static_cast<Listener*>(self)->log->push_back("hooked"); }
double listenerMeasure(id, SEL, double x) { return x; }
std::int32_t listenerCount(id, SEL, id) { return 1; }

class NotificationCenterTest : public ::testing::Test {
protected:
    NotificationCenterTest()
    {
        Class cls = process.runtime().registerClass("Listener", objc_getClass("NSObject"), []() -> Object* { return new Listener(); });
        addMethod(cls, sel("heard:"), listenerHeard);
        addMethod(cls, sel("ping"), listenerPing);
        addMethod(cls, sel("measure:"), listenerMeasure);
        Listener::live = 0;
    }
    void TearDown() override { EXPECT_EQ(Listener::live, 0) << "an observer outlived its test"; }

    Ref<Listener> listener(std::string label)
    {
        Ref<Listener> l = make<Listener>();
        l->label = std::move(label);
        l->log = &log;
        return l;
    }
    // An empty name listens for every name.
    void listen(id observer, std::string_view name, id object = nullptr, const char* selector = "heard:")
    {
        centre->addObserver(observer, sel(selector), name.empty() ? nullptr : NSString::from(name).get(), object);
    }

    zovo::Process process;
    NSNotificationCenter* centre = process.defaultCenter();
    Log log;
};

TEST_F(NotificationCenterTest, DeliversAtOnceInRegistrationOrderOncePerRegistrationAfterTheTrace)
{
    Ref<Listener> a = listener("a"), any = listener("any"), b = listener("b"), other = listener("other");
    listen(a, "X");
    listen(any, "");
    listen(b, "X");
    listen(other, "Y");
    listen(a, "X"); // a second registration is a second entry
    centre->setPostListener([&](const std::string& name) { log.push_back("trace:" + name); });
    centre->post("X");
    centre->post("Unheard");
    EXPECT_EQ(log, (Log{"trace:X", "a:X", "any:X", "b:X", "a:X", "trace:Unheard", "any:Unheard"}));
}

TEST_F(NotificationCenterTest, ObjectFilterSelectsTheSender)
{
    Ref<Listener> filtered = listener("filtered"), open = listener("open");
    Ref<Listener> sender = listener("sender"), stranger = listener("stranger");
    listen(filtered, "X", sender);
    listen(open, "X");
    centre->postNotificationName(NSString::from("X"), sender);
    centre->postNotificationName(NSString::from("X"), stranger);
    centre->postNotificationName(NSString::from("X"), nullptr);
    EXPECT_EQ(log, (Log{"filtered:X", "open:X", "open:X", "open:X"}));
}

TEST_F(NotificationCenterTest, EndedObserversAndSendersMatchNothingAndTheirEntriesAreDropped)
{
    Ref<Listener> kept = listener("kept"), gone = listener("gone"), sender = listener("sender");
    listen(gone, "X");
    listen(gone, "");
    listen(kept, "X", sender);
    listen(kept, "X");
    gone = nullptr;
    sender = nullptr;
    EXPECT_EQ(centre->entryCount(), 4u);
    centre->post("X");
    EXPECT_EQ(log, (Log{"kept:X"}));
    EXPECT_EQ(centre->entryCount(), 1u);
}

TEST_F(NotificationCenterTest, ObserverMethodsAreSentWithTheNotificationOrWithoutAsEncoded)
{
    Ref<Listener> with = listener("with"), without = listener("without"), sender = listener("sender");
    listen(with, "X");
    listen(without, "X", nullptr, "ping");
    centre->postNotificationName(NSString::from("X"), sender);
    EXPECT_EQ(log, (Log{"with:X", "without:ping"}));
    EXPECT_EQ(cast<NSString>(send<Id>(with->lastNotification, "name"))->utf8(), "X");
    EXPECT_EQ(send<Id>(with->lastNotification, "object").get(), sender.get());

    class_replaceMethod(with->isa, sel("heard:"), listenerHooked); // a hooked method is what runs
    centre->post("X");
    EXPECT_EQ(log.at(2), "hooked");
}

TEST_F(NotificationCenterTest, AnObserverMethodWithAnotherEncodingIsAnErrorNamingClassAndSelector)
{
    Ref<Listener> a = listener("a");
    auto expectError = [](const std::function<void()>& step, const char* expected) {
        try {
            step();
            ADD_FAILURE() << "no error for " << expected;
        } catch (const RuntimeError& error) {
            EXPECT_NE(std::string(error.what()).find(expected), std::string::npos) << error.what();
        }
    };
    expectError([&] { listen(a, "X", nullptr, "measure:"); }, "-[Listener measure:]");
    EXPECT_EQ(centre->entryCount(), 0u);
    // A method the observer gains only after registering is checked when a post reaches it.
    listen(a, "X", nullptr, "count:");
    addMethod(a->isa, sel("count:"), listenerCount);
    expectError([&] { centre->post("X"); }, "-[Listener count:]");
    centre->removeObserver(a);
    listen(a, "X", nullptr, "missing:");
    expectError([&] { centre->post("X"); }, "-[Listener missing:]");
}

TEST_F(NotificationCenterTest, EntriesRemovedMidDeliveryAreSkipped)
{
    Ref<Listener> a = listener("a"), b = listener("b"), c = listener("c");
    a->react = [&] {
        centre->removeObserver(a);
        centre->removeObserver(b, NSString::from("X"), nullptr);
    };
    listen(a, "X");
    listen(b, "X");
    listen(b, "Y");
    listen(a, "X"); // a's own second entry, still ahead when its first one runs
    listen(c, "X");
    centre->post("X");
    centre->post("X");
    centre->post("Y");
    EXPECT_EQ(log, (Log{"a:X", "c:X", "c:X", "b:Y"}));
}

TEST_F(NotificationCenterTest, ObserversEndingMidDeliveryAreSkippedButEachLivesThroughItsOwnCall)
{
    Ref<Listener> a = listener("a"), b = listener("b"), c = listener("c");
    int liveDuringCall = -1;
    a->react = [&] {
        b = nullptr; // the only strong reference to a later observer
        Ref<Listener> self = std::move(a); // the only one to the observer running now
        self = nullptr;
        liveDuringCall = Listener::live;
    };
    listen(a, "X");
    listen(b, "X");
    listen(c, "X");
    centre->post("X");
    EXPECT_EQ(log, (Log{"a:X", "c:X"}));
    EXPECT_EQ(liveDuringCall, 2); // a and c: the centre held a for its call
    EXPECT_EQ(Listener::live, 1);
}

TEST_F(NotificationCenterTest, ObserversAddedMidDeliveryFirstHearTheNextPost)
{
    Ref<Listener> a = listener("a"), late = listener("late"), lateAny = listener("late-any");
    a->react = [&] {
        if (log.size() > 1) return;
        listen(late, "X");
        listen(lateAny, "");
    };
    listen(a, "X");
    centre->post("X");
    EXPECT_EQ(log, (Log{"a:X"}));
    centre->post("X");
    EXPECT_EQ(log, (Log{"a:X", "a:X", "late:X", "late-any:X"}));
}

TEST_F(NotificationCenterTest, NestedPostsAreDeliveredInFullBeforeTheOuterPostGoesOn)
{
    Ref<Listener> a = listener("a"), b = listener("b"), c = listener("c");
    a->react = [&] { centre->post("Y"); };
    listen(a, "X");
    listen(b, "X");
    listen(c, "Y");
    listen(b, "Y");
    centre->post("X");
    EXPECT_EQ(log, (Log{"a:X", "c:Y", "b:Y", "b:X"}));
}

TEST_F(NotificationCenterTest, AnObserverThatThrowsEndsThatPostOnly)
{
    Ref<Listener> a = listener("a"), b = listener("b");
    a->react = [&] {
        if (log.size() == 1) throw std::runtime_error("observer failed");
    };
    listen(a, "X");
    listen(b, "X");
    EXPECT_THROW(centre->post("X"), std::runtime_error);
    centre->post("X");
    EXPECT_EQ(log, (Log{"a:X", "a:X", "b:X"}));
}

TEST_F(NotificationCenterTest, MessagesReachTheDefaultCentreAndBadArgumentsAreRefused)
{
    Id viaMessage = send<Id>(objc_getClass("NSNotificationCenter"), "defaultCenter");
    EXPECT_EQ(viaMessage.get(), centre);
    Ref<Listener> a = listener("a");
    send(viaMessage, "addObserver:selector:name:object:", a, sel("heard:"), NSString::from("X"), nullptr);
    send(viaMessage, "postNotificationName:object:", NSString::from("X"), nullptr);
    send(viaMessage, "removeObserver:", a);
    send(viaMessage, "postNotificationName:object:", NSString::from("X"), nullptr);
    EXPECT_EQ(log, (Log{"a:X"}));

    EXPECT_THROW(send(viaMessage, "postNotificationName:object:", a, nullptr), RuntimeError); // a name that is no string
    EXPECT_THROW(centre->postNotificationName(nullptr, nullptr), std::invalid_argument);
    EXPECT_THROW(centre->addObserver(nullptr, sel("heard:"), NSString::from("X"), nullptr), std::invalid_argument);
    EXPECT_THROW(centre->addObserver(a, nullptr, NSString::from("X"), nullptr), std::invalid_argument);
}

} // namespace
