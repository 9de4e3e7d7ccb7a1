// Views: a tree of rectangles, each drawn in its parent's coordinates, front to back in the order
// of `subviews()` (last is frontmost).
//
//   auto card = makeView<UIView>(CGRectMake(10, 0, 200, 110));
//   window->addSubview(card);
//   UIView::animate(0.3, [&] { card->setFrame(CGRectMake(10, 40, 200, 110)); });
//   card->frame();              // the model value: (10, 40) at once
//   card->presentationFrame();  // what the screen shows: moves from (10, 0) over 0.3 s
//
// Model and presentation: every property holds its model value, which changes at once. Inside an
// animation block a change of frame or alpha also starts an animation, and the presentation value
// moves from what the screen showed at that moment to the new model value along the ease-in-out
// curve, on the run loop's clock. Outside an animation block the presentation value jumps.
//
// Layout: setNeedsLayout() marks a view; the marked views of a window are laid out on the next
// turn of the run loop (constraints are solved, then each view's layoutSubviews runs, parents
// first), or at once by layoutIfNeeded(). layoutSubviews is reached by message send, so a subclass
// registered in the runtime may replace it.
//
// Subclasses in C++ override the virtual hooks (intrinsicContentSize, sizeThatFits, layoutSubviews,
// pointInside); the runtime selectors of the same names call them.
#pragma once

#include "objc/Object.h"
#include "uikit/CGGeometry.h"
#include "uikit/Forward.h"

#include <functional>
#include <optional>
#include <vector>

// The platform's value for "no intrinsic size along this axis".
inline constexpr double UIViewNoIntrinsicMetric = -1.0;

class UIView : public objc::Object {
public:
    static constexpr const char* kClassName = "UIView";

    UIView();
    ~UIView() override;

    // Geometry, in the superview's coordinates. Bounds always start at (0, 0).
    CGRect frame() const { return frame_; }
    virtual void setFrame(CGRect frame);
    CGRect bounds() const { return CGRectMake(0, 0, frame_.size.width, frame_.size.height); }
    void setBounds(CGRect bounds);
    CGPoint center() const { return CGPointMake(CGRectGetMidX(frame_), CGRectGetMidY(frame_)); }
    void setCenter(CGPoint center);

    // What the screen shows now: the model value, or where a running animation has got to.
    CGRect presentationFrame() const;
    double presentationAlpha() const;
    // Whether a frame or alpha animation is still under way.
    bool isAnimating() const;

    // Tree. A view holds its subviews strongly and its superview weakly.
    UIView* superview() const { return superview_.get(); }
    const std::vector<objc::StrongRef<UIView>>& subviews() const { return subviews_; }
    void addSubview(UIView* view);
    void insertSubviewAtIndex(UIView* view, std::size_t index);
    void removeFromSuperview();
    void sendSubviewToBack(UIView* view);
    void bringSubviewToFront(UIView* view);
    bool isDescendantOfView(const UIView* view) const;
    // The window this view is in, or null.
    UIWindow* window() const;
    // This view as a window, or null when it is not one. Windows are the roots the screen places
    // by their frames.
    virtual UIWindow* asWindow() const { return nullptr; }

    // Appearance.
    bool isHidden() const { return hidden_; }
    virtual void setHidden(bool hidden) { hidden_ = hidden; }
    double alpha() const { return alpha_; }
    void setAlpha(double alpha);
    UIColor* backgroundColor() const { return backgroundColor_.get(); }
    void setBackgroundColor(UIColor* colour);
    bool clipsToBounds() const;
    void setClipsToBounds(bool clips);
    // Made on first use.
    CALayer* layer() const;
    int tag() const { return tag_; }
    void setTag(int tag) { tag_ = tag; }

    // Touches.
    bool isUserInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool enabled) { userInteractionEnabled_ = enabled; }
    // Views less opaque than this are not hit, nor are their subviews; one at exactly 0.01 is.
    static constexpr double kMinimumHitAlpha = 0.01;
    // The deepest visible, touchable view under `point` (in this view's coordinates), front to
    // back, or null. Hidden views, views that refuse interaction and nearly transparent views
    // (alpha below kMinimumHitAlpha) are skipped with their subviews. Labels and image views
    // refuse interaction until it is enabled.
    virtual UIView* hitTest(CGPoint point);
    virtual bool pointInside(CGPoint point) const;
    CGPoint convertPointToView(CGPoint point, const UIView* view) const;
    CGPoint convertPointFromView(CGPoint point, const UIView* view) const;
    CGRect convertRectToView(CGRect rect, const UIView* view) const;
    // The view's frame in window (screen for a window) coordinates.
    CGRect frameInWindow() const;

    void addGestureRecognizer(UIGestureRecognizer* recognizer);
    void removeGestureRecognizer(UIGestureRecognizer* recognizer);
    const std::vector<objc::StrongRef<UIGestureRecognizer>>& gestureRecognizers() const { return gestureRecognizers_; }

    // Sizing and layout.
    virtual CGSize intrinsicContentSize() const { return CGSizeMake(UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric); }
    virtual CGSize sizeThatFits(CGSize size) const;
    // Resizes the view to sizeThatFits(its current size), keeping its origin.
    void sizeToFit();
    virtual void layoutSubviews() {}
    void setNeedsLayout();
    bool needsLayout() const { return needsLayout_; }
    // Lays out this view's tree now if anything in it is marked.
    void layoutIfNeeded();
    // Clears the mark; the layout pass calls it before layoutSubviews.
    void clearNeedsLayout() { needsLayout_ = false; }

    bool translatesAutoresizingMaskIntoConstraints() const { return translatesAutoresizingMask_; }
    void setTranslatesAutoresizingMaskIntoConstraints(bool translates);
    void addConstraint(NSLayoutConstraint* constraint);
    void removeConstraint(NSLayoutConstraint* constraint);
    const std::vector<objc::StrongRef<NSLayoutConstraint>>& constraints() const { return constraints_; }

    // Animation. Runs `animations` now; frame and alpha changes it makes animate over `duration`
    // seconds with the ease-in-out curve. `completion`, when given, runs once on the run loop when
    // the duration has passed, with finished = true; when the block animated nothing (no frame or
    // alpha changed), on the next turn of the run loop instead. Blocks nest: an inner block's changes take
    // the inner duration. A block belongs to the process current when it began: changes made while
    // another process is current do not animate.
    static void animate(double duration, const std::function<void()>& animations, std::function<void(bool)> completion = {});
    // The ease-in-out timing curve (control points 0.42, 0 and 0.58, 1): progress for time t in 0..1.
    static double easeInOut(double t);

private:
    struct Animation {
        double start;
        double duration;
        CGRect fromFrame;
        double fromAlpha;
    };
    void markLayoutFromSizeChange(CGSize before);

    CGRect frame_{};
    double alpha_ = 1.0;
    bool hidden_ = false;
    bool userInteractionEnabled_ = true;
    bool translatesAutoresizingMask_ = true;
    bool needsLayout_ = false;
    bool layoutScheduled_ = false; // on a tree's root: a layout pass is queued on the run loop
    int tag_ = 0;
    objc::StrongRef<UIColor> backgroundColor_;
    mutable objc::StrongRef<CALayer> layer_;
    std::optional<Animation> frameAnimation_;
    std::optional<Animation> alphaAnimation_;
    std::vector<objc::StrongRef<UIView>> subviews_;
    std::vector<objc::StrongRef<UIGestureRecognizer>> gestureRecognizers_;
    std::vector<objc::StrongRef<NSLayoutConstraint>> constraints_;
    objc::WeakRef<UIView> superview_;
};

// A new view of C++ type T (its class is the one registered under T's class name) with `frame`.
template <class T>
objc::StrongRef<T> makeView(CGRect frame)
{
    auto view = objc::make<T>();
    view->setFrame(frame);
    return view;
}
