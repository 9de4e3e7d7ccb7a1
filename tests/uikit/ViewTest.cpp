#include "UIKitFixture.h"

#include "foundation/Trace.h"
#include "objc/Message.h"
#include "uikit/CAShapeLayer.h"
#include "uikit/UIBezierPath.h"
#include "uikit/UIDevice.h"
#include "uikit/UIScreen.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

using objc::StrongId;

namespace {

class View : public UIKitFixture {};

// A view that counts its layout passes.
class CountingView : public UIView {
public:
    void layoutSubviews() override { ++layouts; }
    int layouts = 0;
};

TEST_F(View, AnimationSetsModelAtOnceMovesPresentationAlongEaseInOutCompletesOnTheRunLoopAndStaysInItsProcess)
{
    auto v = makeView<UIView>(CGRectMake(0, -120, 209, 120));
    bool finished = false;
    int completions = 0;
    UIView::animate(0.3, [&] { v->setFrame(CGRectMake(0, 0, 209, 120)); }, [&](bool f) { finished = f; ++completions; });
    EXPECT_EQ(v->frame().origin.y, 0);
    EXPECT_EQ(v->presentationFrame().origin.y, -120);
    advance(0.15);
    EXPECT_NEAR(v->presentationFrame().origin.y, -60, 1e-6); // the curve is symmetric about its midpoint
    advance(0.05);
    EXPECT_GT(v->presentationFrame().origin.y, -40); // ease-in-out: past the linear point after the middle
    EXPECT_EQ(completions, 0);
    advance(0.1);
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(finished);
    EXPECT_EQ(v->presentationFrame().origin.y, 0);
    advance(1);
    EXPECT_EQ(completions, 1);

    // A new animation starts from what the screen shows; a change outside a block jumps.
    UIView::animate(1.0, [&] { v->setFrame(CGRectMake(100, 0, 10, 10)); });
    advance(0.5);
    const double midway = v->presentationFrame().origin.x;
    UIView::animate(1.0, [&] { v->setFrame(CGRectMake(0, 0, 10, 10)); });
    EXPECT_DOUBLE_EQ(v->presentationFrame().origin.x, midway);
    v->setFrame(CGRectMake(5, 0, 10, 10));
    EXPECT_EQ(v->presentationFrame().origin.x, 5);
    EXPECT_FALSE(v->isAnimating());

    // A zero duration changes at once, yet its completion runs on the run loop, never inside the
    // call; so does that of a block that changes nothing (the frame is already there). One with an
    // animating nested block waits for its own.
    completions = 0;
    UIView::animate(0, [&] { v->setAlpha(0); }, [&](bool) { ++completions; });
    EXPECT_EQ(v->presentationAlpha(), 0);
    UIView::animate(0.3, [&] { v->setFrame(CGRectMake(5, 0, 10, 10)); }, [&](bool) { ++completions; });
    UIView::animate(0.3, [&] { UIView::animate(0.1, [&] { v->setAlpha(1); }); }, [&](bool) { completions += 10; });
    EXPECT_EQ(completions, 0);
    process.mainRunLoop().runUntilIdle();
    EXPECT_EQ(completions, 2);
    advance(0.3);
    EXPECT_EQ(completions, 12);

    // An animation block open in one process does not animate another.
    auto outer = makeView<UIView>(CGRectZero);
    UIView::animate(1.0, [&] {
        // A process made while the block is open (as a test that leaves a block open hands over
        // to the next one) starts with no block: its changes take effect at once.
        {
            zovo::Process inner;
            registerUIKitClasses(inner.runtime());
            auto v = makeView<UIView>(CGRectZero);
            v->setFrame(CGRectMake(100, 0, 10, 10));
            v->setAlpha(0.5);
            EXPECT_FALSE(v->isAnimating());
            EXPECT_EQ(v->presentationFrame().origin.x, 100);
            EXPECT_EQ(v->presentationAlpha(), 0.5);
        }
        // The block is still open in its own process once the inner one has ended.
        outer->setFrame(CGRectMake(100, 0, 10, 10));
    });
    EXPECT_TRUE(outer->isAnimating());
    EXPECT_EQ(outer->presentationFrame().origin.x, 0);
}

TEST_F(View, HitTestingFollowsTreeOrderEachViewClassesDefaultsAndTheAlphaThresholdAndConvertsCoordinates)
{
    auto root = makeView<UIView>(CGRectMake(0, 0, 100, 100));
    auto back = makeView<UIView>(CGRectMake(10, 10, 50, 50));
    objc::WeakRef<UIView> front;
    {
        auto made = makeView<UIView>(CGRectMake(10, 10, 50, 50));
        front = made.get();
        root->addSubview(made.get());
        root->addSubview(back.get());
    }
    ASSERT_TRUE(front) << "the parent keeps its children";
    root->sendSubviewToBack(back.get());
    EXPECT_EQ(root->hitTest(CGPointMake(20, 20)), front.get());
    front.get()->setUserInteractionEnabled(false);
    EXPECT_EQ(root->hitTest(CGPointMake(20, 20)), back.get());
    back->setHidden(true);
    EXPECT_EQ(root->hitTest(CGPointMake(20, 20)), root.get());
    EXPECT_EQ(root->hitTest(CGPointMake(120, 20)), nullptr);
    EXPECT_TRUE(objc::send<bool>(StrongId(root), "pointInside:withEvent:", CGPointMake(99, 99), nullptr));
    EXPECT_FALSE(objc::send<bool>(StrongId(root), "pointInside:withEvent:", CGPointMake(100, 50), nullptr));
    root->setBounds(CGRectMake(0, 0, 40, 20)); // around the same centre
    EXPECT_EQ(root->frame(), CGRectMake(30, 40, 40, 20));
    auto inner = makeView<UIView>(CGRectMake(5, 5, 10, 10));
    back->addSubview(inner.get());
    const CGPoint p = inner->convertPointToView(CGPointMake(1, 1), root.get());
    EXPECT_EQ(p.x, 16);
    EXPECT_EQ(p.y, 16);
    EXPECT_EQ(inner->convertPointFromView(p, root.get()).x, 1);

    root->addSubview(root.get()); // a view never contains itself
    inner->addSubview(root.get()); // nor its own ancestor
    EXPECT_EQ(root->superview(), nullptr);
    front.get()->removeFromSuperview();
    EXPECT_FALSE(front);
    EXPECT_EQ(root->subviews().size(), 1u);

    // A view of the class under test, in front of a sibling of the same frame: a view that does not
    // take the touch leaves it to the sibling behind, whose recognisers then see it.
    struct Case {
        const char* className;
        double alpha;
        bool frontHit;
    };
    const Case cases[] = {
        {"UIView", 1.0, true},          {"UILabel", 1.0, false}, {"UIImageView", 1.0, false},
        {"UIView", 0.01, true},         {"UIView", 0.0099, false},
    };
    for (const Case& c : cases) {
        auto root = makeView<UIView>(CGRectMake(0, 0, 100, 100));
        auto back = makeView<UIView>(CGRectMake(10, 10, 50, 50));
        StrongId made = objc::send<StrongId>(objc::send<StrongId>(objc::objc_getClass(c.className), "alloc"), "initWithFrame:", CGRectMake(10, 10, 50, 50));
        auto* front = objc::cast<UIView>(made.get());
        front->setAlpha(c.alpha);
        root->addSubview(back.get());
        root->addSubview(front);
        EXPECT_EQ(root->hitTest(CGPointMake(20, 20)), c.frontHit ? front : back.get()) << c.className << " alpha " << c.alpha;
        front->setUserInteractionEnabled(true);
        EXPECT_EQ(root->hitTest(CGPointMake(20, 20)) == front, c.alpha >= 0.01) << c.className << " enabled";

        auto window = makeView<UIWindow>(CGRectMake(0, 0, 100, 100));
        window->setAlpha(c.alpha);
        window->makeKeyAndVisible();
        EXPECT_EQ(UIScreen::mainScreen()->windowForTouchAt(CGPointMake(50, 50)) == window.get(), c.alpha >= 0.01) << c.alpha;
    }
}

TEST_F(View, LayoutRunsOnTheNextTurnParentsFirstAndOnceForManyChanges)
{
    auto root = makeView<CountingView>(CGRectMake(0, 0, 100, 100));
    auto child = makeView<CountingView>(CGRectMake(0, 0, 10, 10));
    root->addSubview(child.get());
    process.mainRunLoop().runUntilIdle();
    const int rootLayouts = root->layouts;
    child->setFrame(CGRectMake(0, 0, 20, 20)); // a size change marks the view and its parent
    child->setFrame(CGRectMake(0, 0, 30, 30));
    EXPECT_EQ(root->layouts, rootLayouts);
    process.mainRunLoop().runUntilIdle();
    EXPECT_EQ(root->layouts, rootLayouts + 1);
    child->setFrame(CGRectMake(5, 5, 30, 30)); // a move alone does not
    process.mainRunLoop().runUntilIdle();
    EXPECT_EQ(root->layouts, rootLayouts + 1);
}

TEST_F(View, ScreenListsWindowsWeaklyByLevelAndShowOrderAndFollowsDeviceAndOrientation)
{
    UIScreen* screen = UIScreen::mainScreen();
    EXPECT_EQ(UIDevice::modelIdentifier(), zovo::defaultDeviceProfile().model) << "the screen's device is the one the device reports";
    auto low = makeView<UIWindow>(CGRectMake(0, 0, 375, 812));
    auto high = makeView<UIWindow>(CGRectMake(0, 0, 100, 100));
    EXPECT_TRUE(screen->visibleWindows().empty()); // new windows are hidden
    high->setWindowLevel(UIWindowLevelStatusBar + 100);
    high->makeKeyAndVisible();
    low->makeKeyAndVisible();
    ASSERT_EQ(screen->visibleWindows().size(), 2u);
    EXPECT_EQ(screen->visibleWindows().back(), high.get());
    EXPECT_EQ(screen->windowForTouchAt(CGPointMake(50, 50)), high.get());
    EXPECT_EQ(screen->windowForTouchAt(CGPointMake(200, 50)), low.get());
    EXPECT_TRUE(low->isKeyWindow());
    high = nullptr; // a window that ends leaves the screen
    EXPECT_EQ(screen->visibleWindows().size(), 1u);
    const auto records = zovo::trace().eventsOfKind("window");
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[2].text("event"), "removed");
    EXPECT_EQ(records[2].field("id"), records[0].field("id"));
    EXPECT_EQ(records[2].field("level"), "1100");
    EXPECT_EQ(records[2].field("frame"), "[0,0,100,100]");

    UIScreen::useDevice(*zovo::findDeviceProfile("iPhone13,2"));
    StrongId main = objc::send<StrongId>(objc::objc_getClass("UIScreen"), "mainScreen");
    EXPECT_EQ(objc::send<CGRect>(main, "bounds"), CGRectMake(0, 0, 390, 844));
    screen->setOrientation(UIScreen::Orientation::Landscape);
    EXPECT_EQ(objc::send<CGRect>(main, "bounds"), CGRectMake(0, 0, 844, 390));
    // Facts every device shares: two or three pixels a point, an iPad named as one, and Face ID on
    // every phone with a cut-out.
    for (const auto& profile : zovo::deviceProfiles()) {
        EXPECT_GT(profile.screen.width, 0) << profile.model;
        EXPECT_EQ(zovo::findDeviceProfile(profile.model), &profile);
        EXPECT_TRUE(profile.scale == 2 || profile.scale == 3) << profile.model;
        EXPECT_EQ(profile.isIPad, profile.model.starts_with("iPad")) << profile.model;
        if (!profile.isIPad) {
            EXPECT_EQ(profile.hasFaceID, profile.notch.width > 0) << profile.model;
        }
    }
}

TEST(Geometry, RectangleSetOperationsStandardizeAndTreatNullAsTheEmptySet)
{
    const CGRect a = CGRectMake(0, 0, 10, 10), flipped = CGRectMake(10, 10, -10, -10);
    EXPECT_EQ(CGRectStandardize(flipped), a);
    EXPECT_TRUE(CGRectIsNull(CGRectNull));
    EXPECT_FALSE(CGRectIsNull(CGRectZero));
    EXPECT_TRUE(CGRectIsEmpty(CGRectZero));
    struct Case {
        CGRect r1, r2, intersection, unionOf;
    };
    const Case cases[] = {
        {a, CGRectMake(5, 5, 10, 10), CGRectMake(5, 5, 5, 5), CGRectMake(0, 0, 15, 15)},
        {a, CGRectMake(20, 0, 5, 5), CGRectNull, CGRectMake(0, 0, 25, 10)},
        {a, CGRectMake(10, 0, 5, 5), CGRectMake(10, 0, 0, 5), CGRectMake(0, 0, 15, 10)}, // touching: an edge, not null
        {flipped, CGRectMake(5, -5, 2, 30), CGRectMake(5, 0, 2, 10), CGRectMake(0, -5, 10, 30)},
        {a, CGRectNull, CGRectNull, a},
        {CGRectMake(0, 0, 0, 0), CGRectMake(20, 20, 0, 0), CGRectNull, CGRectMake(0, 0, 20, 20)}, // empty still counts in a union
    };
    for (const Case& c : cases) {
        const CGRect in = CGRectIntersection(c.r1, c.r2), un = CGRectUnion(c.r1, c.r2);
        EXPECT_TRUE(CGRectIsNull(c.intersection) ? CGRectIsNull(in) : in == c.intersection) << in.origin.x << "," << in.origin.y;
        EXPECT_EQ(un, c.unionOf);
        EXPECT_EQ(CGRectUnion(c.r2, c.r1), un);
    }
    EXPECT_EQ(CGRectInset(flipped, 2, 3), CGRectMake(2, 3, 6, 4));
    EXPECT_EQ(CGRectInset(a, -1, 0), CGRectMake(-1, 0, 12, 10));
    EXPECT_EQ(CGRectInset(a, 5, 5), CGRectMake(5, 5, 0, 0));
    EXPECT_TRUE(CGRectIsNull(CGRectInset(a, 6, 0))) << "a negative width is no rectangle";
    EXPECT_TRUE(CGRectIsNull(CGRectInset(CGRectNull, -1, -1)));
}

static_assert(UIRectCornerTopLeft == 1 && UIRectCornerTopRight == 2 && UIRectCornerBottomLeft == 4 && UIRectCornerBottomRight == 8,
              "the platform's published corner bits");

TEST_F(View, RoundedRectPathRoundsOnlyTheChosenCornersWithClampedRadii)
{
    StrongId path = objc::send<StrongId>(objc::objc_getClass("UIBezierPath"), "bezierPathWithRoundedRect:byRoundingCorners:cornerRadii:",
                             CGRectMake(0, 0, 200, 30), std::uint64_t{UIRectCornerBottomLeft | UIRectCornerBottomRight}, CGSizeMake(23, 23));
    CGPathRef cg = objc::send<CGPathRef>(path, "CGPath");
    ASSERT_TRUE(cg->roundedRect);
    EXPECT_EQ(cg->roundedRect->corners, 12u);
    EXPECT_EQ(cg->boundingBox(), CGRectMake(0, 0, 200, 30));
    int curves = 0;
    for (const auto& e : cg->elements) curves += e.type == CGPathElement::Type::CurveTo;
    EXPECT_EQ(curves, 2);
    // The radius is clamped to half the height: the bottom edge starts 15 in from the corner.
    bool bottomEdge = false;
    for (const auto& e : cg->elements)
        if (e.type == CGPathElement::Type::LineTo && e.points[0].y == 30 && e.points[0].x == 15) bottomEdge = true;
    EXPECT_TRUE(bottomEdge);

    StrongId shape = objc::send<StrongId>(objc::objc_getClass("CAShapeLayer"), "layer");
    objc::send(shape, "setPath:", cg);
    // Every corner's curve stays between the edges it joins.
    CGPoint current{};
    for (const auto& e : cg->elements) {
        if (e.type == CGPathElement::Type::CurveTo)
            for (int i = 0; i < 2; ++i) {
                EXPECT_TRUE(std::min(current.x, e.points[2].x) <= e.points[i].x && e.points[i].x <= std::max(current.x, e.points[2].x));
                EXPECT_TRUE(std::min(current.y, e.points[2].y) <= e.points[i].y && e.points[i].y <= std::max(current.y, e.points[2].y));
            }
        if (e.type != CGPathElement::Type::Close) current = e.points[e.type == CGPathElement::Type::CurveTo ? 2 : 0];
    }
    path = nullptr; // the layer keeps its own copy
    EXPECT_EQ(objc::send<CGPathRef>(shape, "path")->roundedRect->radii, CGSizeMake(23, 23));
    objc::send(shape, "setCornerRadius:", 2.5);
    EXPECT_EQ(objc::send<double>(shape, "cornerRadius"), 2.5);
}

} // namespace
