#include "UIKitFixture.h"

#include "foundation/NSString.h"
#include "foundation/Trace.h"
#include "objc/Message.h"
#include "uikit/LayoutEngine.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UIView.h"
#include "uikit/UIWindow.h"

#include <cmath>
#include <stdexcept>

using objc::StrongId;

namespace {

// A label-like view: a fixed intrinsic size, registered under its own class name so constraint
// descriptions tell it apart from plain views.
class SizedView : public UIView {
public:
    static constexpr const char* kClassName = "SizedView";
    CGSize intrinsicContentSize() const override { return intrinsic; }
    CGSize intrinsic{UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric};
};

// A view that records the frame of its first subview when its layoutSubviews runs.
class WatchingView : public UIView {
public:
    void layoutSubviews() override { seen = subviews().front()->frame(); }
    CGRect seen{};
};

// The banner's shape: a window, a container inset 10 from its sides, a 20 x 20 icon in it.
class Layout : public UIKitFixture {
protected:
    Layout()
    {
        process.runtime().registerClass(SizedView::kClassName, objc::objc_getClass("UIView"), []() -> objc::Object* { return new SizedView(); });
        window->addSubview(container.get());
        container->addSubview(icon.get());
    }

    objc::StrongRef<SizedView> label(CGSize intrinsic, CGRect frame = CGRectZero)
    {
        auto view = makeView<SizedView>(frame);
        view->intrinsic = intrinsic;
        view->setTranslatesAutoresizingMaskIntoConstraints(false);
        container->addSubview(view.get());
        return view;
    }
    // Adds view.a == multiplier * other.b + constant to the container.
    NSLayoutConstraint* pin(UIView* view, NSLayoutAttribute a, UIView* other, NSLayoutAttribute b, double constant, double multiplier = 1)
    {
        return bound(view, a, NSLayoutRelationEqual, other, b, constant, multiplier);
    }
    void fix(UIView* view, NSLayoutAttribute a, double constant) { pin(view, a, nullptr, NSLayoutAttributeNotAnAttribute, constant); }
    // Adds view.a (==, <= or >=) multiplier * other.b + constant to the container; other may be null for a size.
    NSLayoutConstraint* bound(UIView* view, NSLayoutAttribute a, NSLayoutRelation relation, UIView* other, NSLayoutAttribute b, double constant,
                              double multiplier = 1)
    {
        auto c = NSLayoutConstraint::constraintWithItem(view, a, relation, other, b, multiplier, constant);
        container->addConstraint(c.get());
        return c.get();
    }
    std::vector<zovo::TraceEvent> conflicts() const { return zovo::trace().eventsOfKind("layoutConflict"); }

    objc::StrongRef<UIWindow> window = makeView<UIWindow>(CGRectMake(0, -120, 375, 120));
    objc::StrongRef<UIView> container = makeView<UIView>(CGRectMake(10, 0, 355, 110));
    objc::StrongRef<UIView> icon = makeView<UIView>(CGRectMake(0, 37, 20, 20));
};

TEST_F(Layout, ConflictingWidthIsTracedOnceAndBrokenWhileRepeatsAreAccepted)
{
    auto title = label(CGSizeMake(200, 17));
    for (int update = 0; update < 2; ++update) { // a second content update repeats itself
        pin(title.get(), NSLayoutAttributeLeft, icon.get(), NSLayoutAttributeRight, 5);
        pin(title.get(), NSLayoutAttributeWidth, container.get(), NSLayoutAttributeWidth, -25);
    }
    window->layoutIfNeeded();
    EXPECT_TRUE(conflicts().empty());

    NSLayoutConstraint* narrower = pin(title.get(), NSLayoutAttributeWidth, container.get(), NSLayoutAttributeWidth, -63);
    window->layoutIfNeeded();
    window->layoutIfNeeded();
    EXPECT_EQ(title->frame().size.width, 330); // the newer constraint is the one broken
    const auto events = conflicts();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].text("subject"), "SizedView");
    EXPECT_EQ(events[0].text("detail"), "Unable to simultaneously satisfy constraints.\n(\n"
                                "    \"<NSLayoutConstraint SizedView.width == UIView.width - 25>\",\n"
                                "    \"<NSLayoutConstraint SizedView.width == UIView.width - 63>\"\n)\n\n"
                                "Will attempt to recover by breaking constraint \n<NSLayoutConstraint SizedView.width == UIView.width - 63>");

    narrower->setConstant(-25); // fits now: nothing to report
    window->layoutIfNeeded();
    narrower->setConstant(-90); // conflicts anew: reported again
    window->layoutIfNeeded();
    ASSERT_EQ(conflicts().size(), 2u);
    EXPECT_EQ(conflicts()[1].text("constraint"), "<NSLayoutConstraint SizedView.width == UIView.width - 90>");
}

TEST_F(Layout, ConstraintsWhoseItemsEndedOrLeftTheTreeAreIgnoredAndMalformedOnesAreRefused)
{
    auto title = label(CGSizeMake(80, 17), CGRectMake(1, 2, 3, 4));
    NSLayoutConstraint* toEnded = nullptr;
    {
        auto gone = makeView<UIView>(CGRectMake(0, 0, 500, 500));
        toEnded = pin(title.get(), NSLayoutAttributeWidth, gone.get(), NSLayoutAttributeWidth, 0);
    }
    EXPECT_EQ(toEnded->description(), "<NSLayoutConstraint SizedView.width == (ended).width>");
    auto stranger = makeView<UIView>(CGRectMake(0, 0, 500, 500));
    pin(title.get(), NSLayoutAttributeHeight, stranger.get(), NSLayoutAttributeHeight, 0);
    pin(title.get(), NSLayoutAttributeLeft, icon.get(), NSLayoutAttributeRight, 5);
    icon->removeFromSuperview();
    window->layoutIfNeeded();
    EXPECT_EQ(title->frame(), CGRectMake(1, 2, 80, 17));
    EXPECT_TRUE(conflicts().empty());

    // Malformed constraints are refused.
    auto make = [&](const objc::StrongRef<UIView>& a, NSLayoutAttribute aa, const objc::StrongRef<UIView>& b, NSLayoutAttribute ba, double m = 1) {
        return NSLayoutConstraint::constraintWithItem(a.get(), aa, NSLayoutRelationEqual, b.get(), ba, m, 10);
    };
    EXPECT_THROW(make(nullptr, NSLayoutAttributeWidth, nullptr, NSLayoutAttributeNotAnAttribute), std::invalid_argument);
    EXPECT_THROW(make(icon, NSLayoutAttributeLeft, nullptr, NSLayoutAttributeNotAnAttribute), std::invalid_argument) << "a position alone";
    EXPECT_THROW(make(icon, NSLayoutAttributeWidth, nullptr, NSLayoutAttributeWidth), std::invalid_argument) << "a second attribute alone";
    EXPECT_THROW(make(icon, NSLayoutAttributeLeft, container, NSLayoutAttributeTop), std::invalid_argument);
    EXPECT_THROW(make(icon, NSLayoutAttributeLeft, container, NSLayoutAttributeWidth), std::invalid_argument);
    EXPECT_THROW(make(icon, NSLayoutAttributeLeading, container, NSLayoutAttributeRight), std::invalid_argument);
    EXPECT_THROW(make(icon, NSLayoutAttributeWidth, container, NSLayoutAttributeWidth, NAN), std::invalid_argument);
    EXPECT_THROW(make(icon, NSLayoutAttributeWidth, container, NSLayoutAttributeHeight)->setConstant(INFINITY), std::invalid_argument);
    EXPECT_THROW(NSLayoutConstraint::constraintWithValues(icon.get(), 11, 0, container.get(), 7, 1, 0), std::invalid_argument) << "no such attribute";
    EXPECT_THROW(NSLayoutConstraint::constraintWithValues(icon.get(), 7, 2, container.get(), 7, 1, 0), std::invalid_argument) << "no such relation";
}

TEST_F(Layout, NestedViewsAreSolvedAgainstTheRootsBoundsFirstAndIntrinsicSizeFillsWhatConstraintsLeaveOpen)
{
    auto outer = makeView<WatchingView>(CGRectZero);
    auto inner = makeView<UIView>(CGRectZero);
    container->addSubview(outer.get());
    outer->addSubview(inner.get());
    outer->setTranslatesAutoresizingMaskIntoConstraints(false);
    inner->setTranslatesAutoresizingMaskIntoConstraints(false);
    pin(outer.get(), NSLayoutAttributeLeading, container.get(), NSLayoutAttributeLeading, 10);
    pin(outer.get(), NSLayoutAttributeTop, window.get(), NSLayoutAttributeTop, 20); // the root's bounds, not its frame
    fix(outer.get(), NSLayoutAttributeWidth, 100);
    fix(outer.get(), NSLayoutAttributeHeight, 50);
    pin(inner.get(), NSLayoutAttributeCenterX, container.get(), NSLayoutAttributeCenterX, 0);
    pin(inner.get(), NSLayoutAttributeTop, icon.get(), NSLayoutAttributeBottom, 0);
    pin(inner.get(), NSLayoutAttributeWidth, outer.get(), NSLayoutAttributeWidth, 0, 0.5);
    pin(inner.get(), NSLayoutAttributeHeight, inner.get(), NSLayoutAttributeWidth, 0, 0.2); // an aspect ratio
    window->layoutIfNeeded();
    EXPECT_EQ(outer->frame(), CGRectMake(10, 20, 100, 50));
    // Container centre 10 + 177.5 in the window; inner's left edge there is 10 + 10 + x.
    EXPECT_EQ(inner->frame(), CGRectMake(142.5, 37, 50, 10));
    EXPECT_EQ(outer->seen, inner->frame());

    // Intrinsic size fills what constraints leave open, and otherwise frames stay.
    auto sized = label(CGSizeMake(50, 17), CGRectMake(7, 9, 1, 1));
    fix(sized.get(), NSLayoutAttributeWidth, 80);
    pin(sized.get(), NSLayoutAttributeTop, container.get(), NSLayoutAttributeTop, 4);
    auto plain = label(CGSizeMake(UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric), CGRectMake(0, 6, 40, 30));
    pin(plain.get(), NSLayoutAttributeRight, container.get(), NSLayoutAttributeRight, -5); // keeps its width, moves
    // A view that translates its mask stays where it is; contradicting it is a conflict, and so
    // is a constraint whose solution is not finite.
    pin(icon.get(), NSLayoutAttributeLeft, container.get(), NSLayoutAttributeLeft, 50);
    auto flat = label(CGSizeMake(50, 0), CGRectMake(0, 90, 9, 9)); // an empty line is 0 high, not left as it was
    objc::StrongRef<NSLayoutConstraint> dropped(pin(flat.get(), NSLayoutAttributeLeft, container.get(), NSLayoutAttributeLeft, 30));
    dropped->setActive(false);
    EXPECT_FALSE(dropped->isActive());
    auto huge = label(CGSizeMake(20, 20), CGRectMake(1, 1, 20, 20));
    pin(huge.get(), NSLayoutAttributeWidth, container.get(), NSLayoutAttributeWidth, 0, 1e308);
    window->layoutIfNeeded();
    EXPECT_EQ(sized->frame(), CGRectMake(7, 4, 80, 17));
    EXPECT_EQ(plain->frame(), CGRectMake(310, 6, 40, 30));
    EXPECT_EQ(icon->frame(), CGRectMake(0, 37, 20, 20));
    EXPECT_EQ(huge->frame(), CGRectMake(1, 1, 20, 20));
    EXPECT_EQ(flat->frame(), CGRectMake(0, 90, 50, 0)) << "a deactivated constraint no longer places it";
    ASSERT_EQ(conflicts().size(), 2u);
    EXPECT_NE(conflicts()[1].text("detail").find("not finite"), std::string::npos);
}

TEST_F(Layout, InequalitiesHoldAtTheirBoundOnlyWhereTheLayoutWouldCrossItAndMoveWhatTheNextSees)
{
    // Titles after the icon, kept 10 inside the container's right edge (345 in its coordinates):
    // a long one is narrowed to the room there is, a short one keeps its own width.
    auto longTitle = label(CGSizeMake(400, 17));
    auto shortTitle = label(CGSizeMake(100, 17));
    for (UIView* title : {longTitle.get(), shortTitle.get()}) {
        pin(title, NSLayoutAttributeLeft, icon.get(), NSLayoutAttributeRight, 5);
        bound(title, NSLayoutAttributeRight, NSLayoutRelationLessThanOrEqual, container.get(), NSLayoutAttributeRight, -10);
    }
    // A lower bound on a size: raised to it when the intrinsic size falls short, else left alone.
    auto narrow = label(CGSizeMake(30, 17), CGRectMake(0, 60, 0, 0));
    auto wide = label(CGSizeMake(90, 17), CGRectMake(0, 80, 0, 0));
    for (UIView* view : {narrow.get(), wide.get()})
        bound(view, NSLayoutAttributeWidth, NSLayoutRelationGreaterThanOrEqual, nullptr, NSLayoutAttributeNotAnAttribute, 60);
    window->layoutIfNeeded();
    EXPECT_EQ(longTitle->frame(), CGRectMake(25, 0, 320, 17));
    EXPECT_EQ(shortTitle->frame(), CGRectMake(25, 0, 100, 17));
    EXPECT_EQ(narrow->frame(), CGRectMake(0, 60, 60, 17));
    EXPECT_EQ(wide->frame(), CGRectMake(0, 80, 90, 17));
    EXPECT_TRUE(conflicts().empty());

    // The badge is checked first, while the name is still at its intrinsic 50 and so clear of it;
    // the name's minimum width then pushes its right edge to 100, and the badge must follow.
    auto name = label(CGSizeMake(50, 17));
    auto badge = label(CGSizeMake(40, 17), CGRectMake(60, 0, 0, 0));
    pin(name.get(), NSLayoutAttributeLeft, container.get(), NSLayoutAttributeLeft, 0);
    bound(badge.get(), NSLayoutAttributeLeft, NSLayoutRelationGreaterThanOrEqual, name.get(), NSLayoutAttributeRight, 8);
    bound(name.get(), NSLayoutAttributeWidth, NSLayoutRelationGreaterThanOrEqual, nullptr, NSLayoutAttributeNotAnAttribute, 100);
    window->layoutIfNeeded();
    EXPECT_EQ(name->frame(), CGRectMake(0, 0, 100, 17));
    EXPECT_EQ(badge->frame(), CGRectMake(108, 0, 40, 17));
}

// With every constraint required, an inequality that the equalities, or an inequality held
// before it, put out of reach is broken and traced like a conflicting equality.
TEST_F(Layout, InequalitiesThatCannotHoldAreBrokenAndTraced)
{
    auto fixed = label(CGSizeMake(50, 17));
    fix(fixed.get(), NSLayoutAttributeWidth, 80);
    bound(fixed.get(), NSLayoutAttributeWidth, NSLayoutRelationGreaterThanOrEqual, nullptr, NSLayoutAttributeNotAnAttribute, 100);
    auto squeezed = label(CGSizeMake(50, 17));
    bound(squeezed.get(), NSLayoutAttributeWidth, NSLayoutRelationGreaterThanOrEqual, nullptr, NSLayoutAttributeNotAnAttribute, 100);
    bound(squeezed.get(), NSLayoutAttributeWidth, NSLayoutRelationLessThanOrEqual, container.get(), NSLayoutAttributeWidth, -300);
    window->layoutIfNeeded();
    window->layoutIfNeeded();
    EXPECT_EQ(fixed->frame().size.width, 80) << "the equality stands";
    EXPECT_EQ(squeezed->frame().size.width, 100) << "the first inequality held stands";
    const auto events = conflicts();
    ASSERT_EQ(events.size(), 2u) << "each reported once";
    EXPECT_EQ(events[0].text("detail"), "Unable to simultaneously satisfy constraints.\n(\n"
                                        "    \"<NSLayoutConstraint SizedView.width == 80>\",\n"
                                        "    \"<NSLayoutConstraint SizedView.width >= 100>\"\n)\n\n"
                                        "Will attempt to recover by breaking constraint \n<NSLayoutConstraint SizedView.width >= 100>");
    EXPECT_EQ(events[1].text("constraint"), "<NSLayoutConstraint SizedView.width <= UIView.width - 300>");
}

} // namespace
