#include "UIKitFixture.h"

#include "foundation/Trace.h"
#include "objc/Message.h"
#include "uikit/TouchInput.h"
#include "uikit/UILongPressGestureRecognizer.h"
#include "uikit/UIPanGestureRecognizer.h"
#include "uikit/UITapGestureRecognizer.h"
#include "uikit/UIWindow.h"

#include <string>
#include <vector>

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::sel;

namespace {

using States = std::vector<std::int64_t>;
using Senders = std::vector<const UIGestureRecognizer*>;

struct Call {
    const UIGestureRecognizer* recognizer; // null for "handle", which takes no argument
    std::int64_t state;                    // as read inside the action
};

// A target and delegate that records what its actions see. "handle" also takes `other` out of
// `recognizerToEdit`, to edit the target list during a delivery.
class GestureTarget : public objc::Object {
public:
    static constexpr const char* kClassName = "GestureTarget";
    std::vector<Call> calls;
    objc::WeakRef<objc::Object> other;
    objc::WeakRef<UIGestureRecognizer> recognizerToEdit;
    bool allowBegin = true;
    bool simultaneous = false;
};

GestureTarget* target(id self) { return static_cast<GestureTarget*>(self); }

class GestureFixture : public UIKitFixture {
protected:
    GestureFixture()
    {
        objc::Class cls = process.runtime().registerClass("GestureTarget", objc::objc_getClass("NSObject"),
                                                          []() -> objc::Object* { return new GestureTarget(); });
        objc::addMethod(cls, sel("handle"), +[](id self, SEL) {
            target(self)->calls.push_back({nullptr, -1});
            if (auto* r = target(self)->recognizerToEdit.get()) r->removeTarget(target(self)->other.get(), nullptr);
        });
        objc::addMethod(cls, sel("handleGesture:"), +[](id self, SEL, id r) {
            target(self)->calls.push_back({static_cast<UIGestureRecognizer*>(r), objc::send<std::int64_t>(r, "state")});
        });
        objc::addMethod(cls, sel("wrongShape:"), +[](id, SEL, double) {});
        objc::addMethod(cls, sel("gestureRecognizerShouldBegin:"), +[](id self, SEL, id) { return target(self)->allowBegin; });
        objc::addMethod(cls, sel("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"),
                        +[](id self, SEL, id, id) { return target(self)->simultaneous; });
        window->makeKeyAndVisible();
        actions = objc::make<GestureTarget>();
    }

    // A recogniser of type R on `view` that sends `action` to `actions`.
    template <class R>
    objc::StrongRef<R> attach(UIView* view, const char* action = "handleGesture:")
    {
        auto recognizer = objc::make<R>();
        recognizer->addTarget(actions.get(), sel(action));
        view->addGestureRecognizer(recognizer.get());
        return recognizer;
    }
    // The banner's three recognisers, in the order it attaches them.
    void attachTapHoldAndPan()
    {
        tap = attach<UITapGestureRecognizer>(window.get());
        hold = attach<UILongPressGestureRecognizer>(window.get());
        pan = attach<UIPanGestureRecognizer>(window.get());
    }
    static void tapOnce() { zovo::touchDown({100, 50}); zovo::touchUp({100, 50}); }
    // Puts a finger down at the usual spot and drags it down to `y`.
    static void press(double y) { zovo::touchDown({100, 50}); zovo::touchMove({100, y}); }
    States states() const { States out; for (const Call& c : actions->calls) out.push_back(c.state); return out; }
    Senders senders() const { Senders out; for (const Call& c : actions->calls) out.push_back(c.recognizer); return out; }

    objc::StrongRef<UIWindow> window = makeView<UIWindow>(CGRectMake(0, 0, 390, 120));
    objc::StrongRef<GestureTarget> actions;
    objc::StrongRef<UITapGestureRecognizer> tap;
    objc::StrongRef<UILongPressGestureRecognizer> hold;
    objc::StrongRef<UIPanGestureRecognizer> pan;
};

using Tap = GestureFixture;
using LongPress = GestureFixture;
using Pan = GestureFixture;
using Arbitration = GestureFixture;
using TouchInput = GestureFixture;
using GestureActions = GestureFixture;

constexpr std::int64_t kBegan = UIGestureRecognizerStateBegan;
constexpr std::int64_t kChanged = UIGestureRecognizerStateChanged;
constexpr std::int64_t kEnded = UIGestureRecognizerStateEnded;
constexpr std::int64_t kCancelled = UIGestureRecognizerStateCancelled;
constexpr auto kFailed = UIGestureRecognizerStateFailed;

TEST_F(Tap, RecognisesOnlyWithinTheMovementAndTimeLimitsAndIsFreshForTheNextTouch)
{
    auto t = attach<UITapGestureRecognizer>(window.get());
    zovo::touchDown({100, 50});
    zovo::touchMove({110, 50}); // exactly the allowance still taps
    zovo::touchUp({108, 50});
    EXPECT_EQ(states(), (States{kEnded}));
    EXPECT_EQ(t->locationInView(nullptr), CGPointMake(108, 50)) << "where the finger lifted";
    EXPECT_EQ(t->state(), UIGestureRecognizerStateEnded); // until the run loop turns
    process.mainRunLoop().runUntilIdle();
    EXPECT_EQ(t->state(), UIGestureRecognizerStatePossible);

    press(61);
    zovo::touchMove({100, 50}); // coming back does not revive it
    EXPECT_EQ(t->state(), kFailed);
    zovo::touchUp({100, 50});
    zovo::touchDown({100, 50});
    advance(UITapGestureRecognizer::kMaximumTapDuration + 0.01);
    EXPECT_EQ(t->state(), kFailed); // while the finger is still down
    zovo::touchUp({100, 50});
    tapOnce(); // before the run loop has turned: the recogniser must be fresh for it
    EXPECT_EQ(actions->calls.size(), 2u);
}

TEST_F(LongPress, BeginsAtExactlyTheMinimumDurationUnlessMovedOrLiftedFirst)
{
    auto h = attach<UILongPressGestureRecognizer>(window.get());
    // Lifted early and down again (the process's first timer): the press counts from the second
    // touch-down, and the first one's timer stays quiet.
    zovo::touchDown({100, 50});
    advance(0.1);
    zovo::touchUp({100, 50});
    advance(0.1);
    zovo::touchDown({100, 50});
    advance(0.4999);
    EXPECT_TRUE(actions->calls.empty());
    advance(0.0001);
    EXPECT_EQ(states(), (States{kBegan}));
    zovo::touchMove({100, 100}); // far beyond the allowance: it only applied before Began
    zovo::touchUp({100, 100});
    EXPECT_EQ(states(), (States{kBegan, kChanged, kEnded}));

    actions->calls.clear();
    zovo::touchDown({100, 50});
    advance(0.2);
    zovo::touchMove({111, 50}); // one point past the allowance
    EXPECT_EQ(h->state(), kFailed);
    advance(0.5);
    zovo::touchUp({111, 50});
    EXPECT_TRUE(actions->calls.empty());
}

// How far the pan's messages move a view is checked end to end by the banner's drag tests.
TEST_F(Pan, BeginsPastTheHysteresisCancelStopsARunningPanButFailsOneThatHadNotBegunAndVelocityFollowsTheLatestMovement)
{
    pan = attach<UIPanGestureRecognizer>(window.get());
    press(60); // exactly the hysteresis: not yet
    EXPECT_EQ(pan->state(), UIGestureRecognizerStatePossible);
    zovo::touchMove({103, 61});
    zovo::touchMove({103, 70});
    zovo::touchUp({103, 75});
    EXPECT_EQ(states(), (States{kBegan, kChanged, kEnded}));
    EXPECT_EQ(pan->translationInView(window.get()), CGPointMake(3, 25)) << "up to where the finger lifted";

    // Disabled while running, it is cancelled; attached again to its own view, it carries on.
    actions->calls.clear();
    press(80);
    pan->setEnabled(false);
    EXPECT_EQ(pan->state(), kCancelled);
    pan->setEnabled(true);
    zovo::touchUp({100, 80});
    press(80);
    window->addGestureRecognizer(pan.get());
    zovo::touchUp({100, 85});
    EXPECT_EQ(states(), (States{kBegan, kCancelled, kBegan, kEnded}));

    actions->calls.clear();
    press(80);
    EXPECT_TRUE(zovo::touchCancel());
    zovo::touchDown({100, 50});
    zovo::touchCancel();
    EXPECT_EQ(pan->state(), kFailed);
    EXPECT_EQ(states(), (States{kBegan, kCancelled}));

    // Velocity is measured over the last tenth of a second (and the sample before it), not the drag.
    zovo::touchDown({100, 50});
    advance(0.5);
    zovo::touchMove({100, 65});
    advance(0.3);
    zovo::touchMove({100, 85});
    advance(0.01);
    zovo::touchMove({100, 105});
    EXPECT_NEAR(objc::send<CGPoint>(pan, "velocityInView:", window).y, 40 / 0.31, 1e-6);
    zovo::touchUp({100, 105});
}

TEST_F(Arbitration, TheFirstGestureRecognisedMakesTheOthersFailAndInnerViewsComeFirst)
{
    attachTapHoldAndPan();
    press(80); // a drag
    advance(1.0);
    zovo::touchUp({100, 80});
    EXPECT_EQ(senders(), (Senders{pan.get(), pan.get()}));
    EXPECT_EQ(hold->state(), kFailed);
    EXPECT_EQ(tap->state(), kFailed);

    actions->calls.clear();
    zovo::touchDown({100, 50}); // a hold, and a drag after it that is the hold's
    advance(0.5);
    zovo::touchMove({100, 90});
    zovo::touchUp({100, 90});
    EXPECT_EQ(senders(), (Senders{hold.get(), hold.get(), hold.get()}));

    actions->calls.clear();
    tapOnce();
    advance(1.0);
    // A tap on a subview is offered the touch before the window's own tap, so it wins.
    auto inner = makeView<UIView>(CGRectMake(50, 20, 100, 60));
    window->addSubview(inner.get());
    auto innerTap = attach<UITapGestureRecognizer>(inner.get());
    tapOnce();
    EXPECT_EQ(senders(), (Senders{tap.get(), innerTap.get()}));
}

TEST_F(Arbitration, RecognisersWhoseViewEndedStopWithoutMessages)
{
    attachTapHoldAndPan();
    // The window ends mid-press, with the recognisers it alone holds. The long press's pending
    // timer finds nothing to talk to, and the pan, still held here, has no view to follow.
    objc::WeakRef<UILongPressGestureRecognizer> weakHold = hold.get();
    tap = nullptr;
    hold = nullptr;
    zovo::touchDown({100, 50});
    window = nullptr;
    EXPECT_FALSE(weakHold);
    advance(0.6);
    zovo::touchMove({100, 90});
    EXPECT_TRUE(zovo::touchUp({100, 90}));
    EXPECT_TRUE(actions->calls.empty());
}

TEST_F(TouchInput, TouchesGoToTheTopmostWindowThatTakesThemAndAreTraced)
{
    auto high = makeView<UIWindow>(CGRectMake(0, 0, 390, 60));
    high->setWindowLevel(UIWindowLevelStatusBar + 100);
    high->makeKeyAndVisible();
    auto lowTap = attach<UITapGestureRecognizer>(window.get());
    auto highTap = attach<UITapGestureRecognizer>(high.get());
    tapOnce();
    high->setUserInteractionEnabled(false); // a window that refuses touches lets them through
    tapOnce();
    EXPECT_EQ(senders(), (Senders{highTap.get(), lowTap.get()}));

    zovo::trace().clear();
    EXPECT_TRUE(zovo::touchDown({500, 700})); // on no window: taken, goes nowhere
    EXPECT_FALSE(zovo::touchDown({10, 10}));   // a second finger is ignored
    EXPECT_FALSE(zovo::touchMove({500, 700})); // no movement
    EXPECT_TRUE(zovo::touchMove({500, 650.5}));
    zovo::touchCancel();
    EXPECT_FALSE(zovo::touchUp({0, 0})); // no finger down
    std::vector<std::string> seen;
    for (const auto& e : zovo::trace().eventsOfKind("touch")) seen.push_back(e.text("phase") + " " + e.field("x") + "," + e.field("y"));
    EXPECT_EQ(seen, (std::vector<std::string>{"down 500,700", "move 500,650.5", "cancel 500,650.5"}));
}

// A delegate can stop a recogniser from beginning (it fails instead) or let two recognise at
// once; a removed recogniser sees no more touches.
TEST_F(Arbitration, DelegatesDecideWhoMayBeginAndWhoRecognisesTogether)
{
    attachTapHoldAndPan();
    pan->setDelegate(actions.get());
    hold->setDelegate(actions.get());
    actions->allowBegin = false;
    press(80);
    EXPECT_EQ(pan->state(), kFailed);
    zovo::touchUp({100, 80});
    advance(1.0);

    actions->allowBegin = true;
    actions->simultaneous = true;
    actions->calls.clear();
    zovo::touchDown({100, 50});
    advance(0.5);
    zovo::touchMove({100, 90});
    zovo::touchUp({100, 90});
    EXPECT_EQ(hold->state(), kEnded);
    EXPECT_EQ(pan->state(), kEnded) << "the hold did not make the pan fail";
    advance(1.0);

    window->removeGestureRecognizer(pan.get());
    EXPECT_EQ(window->gestureRecognizers().size(), 2u);
    actions->calls.clear();
    press(80);
    zovo::touchUp({100, 80});
    EXPECT_EQ(pan->state(), UIGestureRecognizerStatePossible);
}

TEST_F(GestureActions, ActionsAreSentInOrderOncePerPairAndTargetsAreHeldWeakly)
{
    StrongId t = objc::send<StrongId>(objc::send<StrongId>(objc::objc_getClass("UITapGestureRecognizer"), "alloc"), "initWithTarget:action:", actions, sel("handle"));
    objc::send(t, "addTarget:action:", actions, sel("handleGesture:"));
    objc::send(t, "addTarget:action:", actions, sel("handle")); // the same pair once only
    objc::send(window, "addGestureRecognizer:", t);
    tapOnce();
    EXPECT_EQ(senders(), (Senders{nullptr, objc::cast<UIGestureRecognizer>(t)}));
    EXPECT_THROW(objc::send(t, "addTarget:action:", actions, sel("wrongShape:")), objc::RuntimeError);

    // A target removed by an earlier one during the same delivery is skipped.
    auto second = objc::make<GestureTarget>();
    objc::send(t, "addTarget:action:", second, sel("handle"));
    actions->other = second.get();
    actions->recognizerToEdit = objc::cast<UIGestureRecognizer>(t);
    tapOnce();
    EXPECT_EQ(actions->calls.size(), 4u);
    EXPECT_TRUE(second->calls.empty());

    actions = nullptr; // an ended target is skipped, not messaged
    EXPECT_EQ(objc::cast<UIGestureRecognizer>(t)->targetCount(), 0u);
    EXPECT_NO_THROW(tapOnce());
}

} // namespace
