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

using objc::Id;
using objc::id;
using objc::SEL;
using objc::sel;

namespace {

struct Call {
    std::string action;
    const UIGestureRecognizer* recognizer; // null for an action without argument
    std::int64_t state;                    // as read inside the action
    CGPoint translation;                   // for pans
};

// A target whose actions record what they see. "follow:" moves `follower` by the pan's
// translation and resets it, as a view dragged by its own pan does.
class GestureTarget : public objc::Object {
public:
    static constexpr const char* kClassName = "GestureTarget";
    std::vector<Call> calls;
    objc::WeakRef<UIView> follower;
    // removeOther: takes this target out of `recognizerToEdit` during a delivery.
    objc::WeakRef<objc::Object> other;
    objc::WeakRef<UIGestureRecognizer> recognizerToEdit;

    std::vector<std::int64_t> states() const
    {
        std::vector<std::int64_t> out;
        for (const Call& c : calls) out.push_back(c.state);
        return out;
    }
};

class GestureDelegate : public objc::Object {
public:
    static constexpr const char* kClassName = "GestureDelegate";
    bool allowBegin = true;
    bool simultaneous = false;
};

GestureTarget* target(id self) { return static_cast<GestureTarget*>(self); }
std::int64_t stateOf(id recognizer) { return objc::send<std::int64_t>(recognizer, "state"); }

class GestureFixture : public UIKitFixture {
protected:
    GestureFixture()
    {
        objc::Class object = objc::objc_getClass("NSObject");
        objc::Class cls = process.runtime().registerClass("GestureTarget", object, []() -> objc::Object* { return new GestureTarget(); });
        objc::addMethod(cls, sel("handle"), +[](id self, SEL) { target(self)->calls.push_back({"handle", nullptr, -1, {}}); });
        objc::addMethod(cls, sel("handleGesture:"), +[](id self, SEL, id r) {
            target(self)->calls.push_back({"handleGesture:", static_cast<UIGestureRecognizer*>(r), stateOf(r), {}});
        });
        objc::addMethod(cls, sel("follow:"), +[](id self, SEL, id r) {
            GestureTarget* t = target(self);
            UIView* follower = t->follower.get();
            const CGPoint translation = objc::send<CGPoint>(r, "translationInView:", follower);
            t->calls.push_back({"follow:", static_cast<UIGestureRecognizer*>(r), stateOf(r), translation});
            if (follower) follower->setCenter(CGPointMake(follower->center().x, follower->center().y + translation.y));
            objc::send(r, "setTranslation:inView:", CGPointMake(0, 0), follower);
        });
        objc::addMethod(cls, sel("removeOther"), +[](id self, SEL) {
            GestureTarget* t = target(self);
            t->calls.push_back({"removeOther", nullptr, -1, {}});
            if (auto* r = t->recognizerToEdit.get()) r->removeTarget(t->other.get(), nullptr);
        });
        objc::addMethod(cls, sel("wrongShape:"), +[](id, SEL, double) {});

        objc::Class delegate = process.runtime().registerClass("GestureDelegate", object, []() -> objc::Object* { return new GestureDelegate(); });
        objc::addMethod(delegate, sel("gestureRecognizerShouldBegin:"), +[](id self, SEL, id) { return static_cast<GestureDelegate*>(self)->allowBegin; });
        objc::addMethod(delegate, sel("gestureRecognizer:shouldRecognizeSimultaneouslyWithGestureRecognizer:"),
                        +[](id self, SEL, id, id) { return static_cast<GestureDelegate*>(self)->simultaneous; });

        window = makeView<UIWindow>(CGRectMake(0, 0, 390, 120));
        window->makeKeyAndVisible();
        actions = objc::make<GestureTarget>();
    }

    // A recogniser of type R on `view` that sends `action` to `actions`.
    template <class R>
    objc::Ref<R> attach(UIView* view, const char* action = "handleGesture:")
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

    std::vector<const UIGestureRecognizer*> senders() const
    {
        std::vector<const UIGestureRecognizer*> out;
        for (const Call& c : actions->calls) out.push_back(c.recognizer);
        return out;
    }

    objc::Ref<UIWindow> window;
    objc::Ref<GestureTarget> actions;
    objc::Ref<UITapGestureRecognizer> tap;
    objc::Ref<UILongPressGestureRecognizer> hold;
    objc::Ref<UIPanGestureRecognizer> pan;
};

class Tap : public GestureFixture {};
class LongPress : public GestureFixture {};
class Pan : public GestureFixture {};
class Arbitration : public GestureFixture {};
class TouchInput : public GestureFixture {};
class GestureActions : public GestureFixture {};

constexpr std::int64_t kBegan = UIGestureRecognizerStateBegan;
constexpr std::int64_t kChanged = UIGestureRecognizerStateChanged;
constexpr std::int64_t kEnded = UIGestureRecognizerStateEnded;
constexpr std::int64_t kCancelled = UIGestureRecognizerStateCancelled;

TEST_F(Tap, QuickLiftWithinAllowanceRecognisesAndResetsOnTheNextTurn)
{
    auto t = attach<UITapGestureRecognizer>(window.get());
    zovo::touchDown({100, 50});
    advance(0.1);
    zovo::touchMove({110, 50}); // exactly the allowance still taps
    zovo::touchUp({110, 50});
    ASSERT_EQ(actions->calls.size(), 1u);
    EXPECT_EQ(actions->calls[0].state, kEnded);
    EXPECT_EQ(t->state(), UIGestureRecognizerStateEnded); // until the run loop turns
    process.mainRunLoop().runUntilIdle();
    EXPECT_EQ(t->state(), UIGestureRecognizerStatePossible);
    zovo::touchDown({100, 50}); // and it taps again
    zovo::touchUp({100, 50});
    EXPECT_EQ(actions->calls.size(), 2u);
}

TEST_F(Tap, FailsAfterMovementOrAHoldPastTheMaximumDuration)
{
    auto t = attach<UITapGestureRecognizer>(window.get());
    zovo::touchDown({100, 50});
    zovo::touchMove({100, 61});
    EXPECT_EQ(t->state(), UIGestureRecognizerStateFailed);
    zovo::touchMove({100, 50}); // coming back does not revive it
    zovo::touchUp({100, 50});
    EXPECT_TRUE(actions->calls.empty());
    // The next tap starts before the run loop has turned: the recogniser must be fresh for it.
    zovo::touchDown({100, 50});
    zovo::touchUp({100, 50});
    EXPECT_EQ(actions->calls.size(), 1u);

    zovo::touchDown({100, 50});
    advance(UITapGestureRecognizer::kMaximumTapDuration + 0.01);
    EXPECT_EQ(t->state(), UIGestureRecognizerStateFailed); // while the finger is still down
    zovo::touchUp({100, 50});
    EXPECT_EQ(actions->calls.size(), 1u);
}

TEST_F(Tap, DoubleTapNeedsTheSecondTapSoonEnough)
{
    auto t = attach<UITapGestureRecognizer>(window.get());
    objc::send(t, "setNumberOfTapsRequired:", std::uint64_t{2});
    zovo::touchDown({100, 50});
    zovo::touchUp({100, 50});
    EXPECT_TRUE(actions->calls.empty());
    advance(0.2);
    zovo::touchDown({100, 50});
    zovo::touchUp({100, 50});
    EXPECT_EQ(actions->calls.size(), 1u);
    advance(0.1);
    zovo::touchDown({100, 50});
    zovo::touchUp({100, 50});
    advance(UITapGestureRecognizer::kMaximumTapInterval + 0.01);
    zovo::touchDown({100, 50});
    zovo::touchUp({100, 50});
    EXPECT_EQ(actions->calls.size(), 1u);
}

TEST_F(LongPress, BeganAtExactlyTheMinimumDurationThenChangedAndEnded)
{
    auto h = attach<UILongPressGestureRecognizer>(window.get());
    EXPECT_EQ(objc::send<double>(h, "minimumPressDuration"), 0.5);
    EXPECT_EQ(objc::send<double>(h, "allowableMovement"), 10.0);
    zovo::touchDown({100, 50});
    advance(0.4999);
    EXPECT_TRUE(actions->calls.empty());
    advance(0.0001);
    EXPECT_EQ(actions->states(), (std::vector<std::int64_t>{kBegan}));
    zovo::touchMove({100, 100}); // far beyond the allowance: it only applied before Began
    zovo::touchUp({100, 100});
    EXPECT_EQ(actions->states(), (std::vector<std::int64_t>{kBegan, kChanged, kEnded}));
}

TEST_F(LongPress, FailsWhenMovedBeyondTheAllowanceOrLiftedEarlyAndOldTimersStayQuiet)
{
    auto h = attach<UILongPressGestureRecognizer>(window.get());
    zovo::touchDown({100, 50});
    advance(0.2);
    zovo::touchMove({111, 50});
    EXPECT_EQ(h->state(), UIGestureRecognizerStateFailed);
    advance(0.5);
    zovo::touchUp({111, 50});
    EXPECT_TRUE(actions->calls.empty());

    // Lifted at 0.1, down again at 0.2: the press counts from the second touch-down.
    zovo::touchDown({100, 50});
    advance(0.1);
    zovo::touchUp({100, 50});
    advance(0.1);
    zovo::touchDown({100, 50});
    advance(0.45);
    EXPECT_TRUE(actions->calls.empty());
    advance(0.05);
    EXPECT_EQ(actions->states(), (std::vector<std::int64_t>{kBegan}));
}

TEST_F(Pan, BeginsPastTheHysteresisAndEachMessageSeesTheMovementSinceTheLast)
{
    pan = attach<UIPanGestureRecognizer>(window.get(), "follow:");
    zovo::touchDown({100, 50});
    zovo::touchMove({100, 60}); // exactly the hysteresis: not yet
    EXPECT_EQ(pan->state(), UIGestureRecognizerStatePossible);
    zovo::touchMove({103, 61});
    advance(0.05);
    zovo::touchMove({103, 70});
    zovo::touchUp({103, 75});
    ASSERT_EQ(actions->calls.size(), 3u);
    EXPECT_EQ(actions->states(), (std::vector<std::int64_t>{kBegan, kChanged, kEnded}));
    EXPECT_EQ(actions->calls[0].translation, CGPointMake(3, 11)); // counted from the touch-down point
    EXPECT_EQ(actions->calls[1].translation, CGPointMake(0, 9));
    EXPECT_EQ(actions->calls[2].translation, CGPointMake(0, 5));
}

TEST_F(Pan, WindowThatFollowsTheFingerMovesExactlyAsFarAsTheFinger)
{
    pan = attach<UIPanGestureRecognizer>(window.get(), "follow:");
    actions->follower = window.get();
    zovo::touchDown({100, 50});
    for (double y = 54; y <= 150; y += 4) zovo::touchMove({100, y});
    zovo::touchMove({100, 130}); // and back up
    EXPECT_EQ(window->frame().origin.y, 80);
    EXPECT_EQ(pan->state(), UIGestureRecognizerStateChanged);
    zovo::touchUp({100, 130});
    EXPECT_EQ(window->frame().origin.y, 80);
}

TEST_F(Pan, VelocityComesFromTheLatestMovesAndFallsToZeroAfterARest)
{
    pan = attach<UIPanGestureRecognizer>(window.get());
    zovo::touchDown({100, 50});
    advance(0.05);
    zovo::touchMove({100, 70});
    advance(0.05);
    zovo::touchMove({100, 90});
    const CGPoint v = objc::send<CGPoint>(pan, "velocityInView:", window.get());
    EXPECT_NEAR(v.y, 400, 1e-6);
    EXPECT_EQ(v.x, 0);
    advance(1.0);
    zovo::touchUp({100, 90});
    EXPECT_EQ(pan->velocityInView(window.get()).y, 0);
}

TEST_F(Pan, CancelSendsCancelledToARunningPanAndFailsOneThatHadNotBegun)
{
    pan = attach<UIPanGestureRecognizer>(window.get());
    zovo::touchDown({100, 50});
    zovo::touchMove({100, 80});
    EXPECT_TRUE(zovo::touchCancel());
    EXPECT_EQ(actions->states(), (std::vector<std::int64_t>{kBegan, kCancelled}));
    zovo::touchDown({100, 50});
    zovo::touchCancel();
    EXPECT_EQ(pan->state(), UIGestureRecognizerStateFailed);
    EXPECT_EQ(actions->calls.size(), 2u);
}

TEST_F(Arbitration, DragMakesTapAndLongPressFail)
{
    attachTapHoldAndPan();
    zovo::touchDown({100, 50});
    advance(0.1);
    zovo::touchMove({100, 80});
    advance(1.0);
    zovo::touchUp({100, 80});
    EXPECT_EQ(senders(), (std::vector<const UIGestureRecognizer*>{pan.get(), pan.get()}));
    EXPECT_EQ(hold->state(), UIGestureRecognizerStateFailed);
    EXPECT_EQ(tap->state(), UIGestureRecognizerStateFailed);
}

TEST_F(Arbitration, HoldMakesPanAndTapFail)
{
    attachTapHoldAndPan();
    zovo::touchDown({100, 50});
    advance(0.5);
    EXPECT_EQ(pan->state(), UIGestureRecognizerStateFailed);
    EXPECT_EQ(tap->state(), UIGestureRecognizerStateFailed);
    zovo::touchMove({100, 90}); // a drag after the hold is the long press's
    zovo::touchUp({100, 90});
    EXPECT_EQ(senders(), (std::vector<const UIGestureRecognizer*>{hold.get(), hold.get(), hold.get()}));
    EXPECT_EQ(actions->states(), (std::vector<std::int64_t>{kBegan, kChanged, kEnded}));
}

TEST_F(Arbitration, QuickTapMakesTheOthersFailAndInnermostViewsComeFirst)
{
    attachTapHoldAndPan();
    zovo::touchDown({100, 50});
    advance(0.1);
    zovo::touchUp({100, 50});
    advance(1.0);
    EXPECT_EQ(senders(), (std::vector<const UIGestureRecognizer*>{tap.get()}));

    // A tap on a subview is offered the touch before the window's own tap, so it wins.
    auto inner = makeView<UIView>(CGRectMake(50, 20, 100, 60));
    window->addSubview(inner);
    auto innerTap = attach<UITapGestureRecognizer>(inner.get());
    actions->calls.clear();
    zovo::touchDown({100, 50});
    zovo::touchUp({100, 50});
    EXPECT_EQ(senders(), (std::vector<const UIGestureRecognizer*>{innerTap.get()}));
}

TEST_F(Arbitration, DelegateVetoesBeginningOrAllowsSimultaneousRecognition)
{
    attachTapHoldAndPan();
    auto delegate = objc::make<GestureDelegate>();
    objc::send(pan, "setDelegate:", delegate);
    objc::send(hold, "setDelegate:", delegate);
    delegate->allowBegin = false;
    zovo::touchDown({100, 50});
    zovo::touchMove({100, 80});
    zovo::touchUp({100, 80});
    EXPECT_EQ(pan->state(), UIGestureRecognizerStateFailed);
    EXPECT_TRUE(actions->calls.empty());

    delegate->allowBegin = true;
    delegate->simultaneous = true;
    zovo::touchDown({100, 50});
    advance(0.5);
    zovo::touchMove({100, 80});
    EXPECT_EQ(senders(), (std::vector<const UIGestureRecognizer*>{hold.get(), hold.get(), pan.get()}));
    EXPECT_EQ(tap->state(), UIGestureRecognizerStateFailed); // by its own movement
    zovo::touchUp({100, 80});

    delegate = nullptr; // held weakly: an ended delegate answers nothing
    EXPECT_EQ(objc::send<Id>(pan, "delegate").get(), nullptr);
}

TEST_F(Arbitration, DisabledRecognisersTakePartInNothingAndDisablingCancels)
{
    attachTapHoldAndPan();
    objc::send(tap, "setEnabled:", false);
    zovo::touchDown({100, 50});
    zovo::touchUp({100, 50});
    EXPECT_TRUE(actions->calls.empty());

    zovo::touchDown({100, 50});
    zovo::touchMove({100, 80});
    pan->setEnabled(false);
    zovo::touchMove({100, 90});
    zovo::touchUp({100, 90});
    EXPECT_EQ(actions->states(), (std::vector<std::int64_t>{kBegan, kCancelled}));
}

TEST_F(Arbitration, RecognisersRemovedOrWhoseViewEndedStopWithoutMessages)
{
    attachTapHoldAndPan();
    zovo::touchDown({100, 50});
    zovo::touchMove({100, 80});
    window->removeGestureRecognizer(pan.get());
    zovo::touchMove({100, 90});
    zovo::touchUp({100, 90});
    EXPECT_EQ(actions->states(), (std::vector<std::int64_t>{kBegan}));
    EXPECT_EQ(pan->state(), UIGestureRecognizerStatePossible);

    // The window and the recognisers it alone holds end mid-press; the pending timer and the
    // rest of the sequence find nothing to talk to.
    objc::WeakRef<UILongPressGestureRecognizer> weakHold = hold.get();
    tap = nullptr;
    hold = nullptr;
    zovo::touchDown({100, 50});
    window = nullptr;
    EXPECT_FALSE(weakHold);
    advance(0.6);
    zovo::touchMove({100, 90});
    EXPECT_TRUE(zovo::touchUp({100, 90}));
    EXPECT_EQ(actions->calls.size(), 1u);
}

TEST_F(TouchInput, TouchesGoToTheTopmostWindowThatTakesThemAndAreTraced)
{
    auto high = makeView<UIWindow>(CGRectMake(0, 0, 390, 60));
    high->setWindowLevel(UIWindowLevelStatusBar + 100);
    high->makeKeyAndVisible();
    auto lowTap = attach<UITapGestureRecognizer>(window.get());
    auto highTap = attach<UITapGestureRecognizer>(high.get());
    zovo::touchDown({100, 30});
    EXPECT_EQ(zovo::TouchInput::current().hitView(), high.get());
    zovo::touchUp({100, 30});
    high->setUserInteractionEnabled(false); // a window that refuses touches lets them through
    zovo::touchDown({100, 30});
    zovo::touchUp({100, 30});
    EXPECT_EQ(senders(), (std::vector<const UIGestureRecognizer*>{highTap.get(), lowTap.get()}));

    zovo::trace().clear();
    EXPECT_TRUE(zovo::touchDown({500, 700})); // on no window: taken, goes nowhere
    EXPECT_FALSE(zovo::touchDown({10, 10}));   // a second finger is ignored
    EXPECT_FALSE(zovo::touchMove({500, 700})); // no movement
    zovo::touchMove({500, 650.5});
    zovo::touchCancel();
    EXPECT_FALSE(zovo::touchUp({0, 0})); // no finger down
    std::vector<std::string> seen;
    for (const auto& e : zovo::trace().eventsOfKind("touch")) seen.push_back(e.text("phase") + " " + e.field("x") + "," + e.field("y"));
    EXPECT_EQ(seen, (std::vector<std::string>{"down 500,700", "move 500,650.5", "cancel 500,650.5"}));
    EXPECT_EQ(actions->calls.size(), 2u);
}

TEST_F(GestureActions, PlainAndRecogniserActionsAreBothCalledThroughTheRuntime)
{
    Id t = objc::send<Id>(objc::send<Id>(objc::objc_getClass("UITapGestureRecognizer"), "alloc"), "initWithTarget:action:", actions, sel("handle"));
    objc::send(t, "addTarget:action:", actions, sel("handleGesture:"));
    objc::send(t, "addTarget:action:", actions, sel("handle")); // the same pair once only
    objc::send(window, "addGestureRecognizer:", t);
    EXPECT_EQ(objc::send<Id>(t, "view").get(), window.get());
    EXPECT_EQ(objc::send<std::uint64_t>(t, "numberOfTapsRequired"), 1u);
    zovo::touchDown({100, 50});
    const CGPoint local = objc::send<CGPoint>(t, "locationInView:", window);
    EXPECT_EQ(local, CGPointMake(100, 50));
    zovo::touchUp({100, 50});
    ASSERT_EQ(actions->calls.size(), 2u);
    EXPECT_EQ(actions->calls[0].action, "handle");
    EXPECT_EQ(actions->calls[1].action, "handleGesture:");
    EXPECT_EQ(actions->calls[1].recognizer, t.get());
    EXPECT_EQ(actions->calls[1].state, kEnded);

    EXPECT_THROW(objc::send(t, "addTarget:action:", actions, sel("wrongShape:")), objc::RuntimeError);
}

TEST_F(GestureActions, TargetsAreWeakAndOneRemovedDuringASendIsSkipped)
{
    auto t = attach<UITapGestureRecognizer>(window.get(), "removeOther");
    auto second = objc::make<GestureTarget>();
    t->addTarget(second.get(), sel("handle"));
    actions->other = second.get();
    actions->recognizerToEdit = t.get();
    zovo::touchDown({100, 50});
    zovo::touchUp({100, 50});
    EXPECT_EQ(actions->calls.size(), 1u);
    EXPECT_TRUE(second->calls.empty());

    auto third = objc::make<GestureTarget>();
    t->addTarget(third.get(), sel("handle"));
    third = nullptr; // an ended target is skipped, not messaged
    actions = nullptr;
    EXPECT_EQ(t->targetCount(), 0u);
    zovo::touchDown({100, 50});
    EXPECT_NO_THROW(zovo::touchUp({100, 50}));
}

} // namespace
