#include "uikit/UIView.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "objc/Message.h"
#include "uikit/CALayer.h"
#include "uikit/LayoutEngine.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/UIColor.h"
#include "uikit/UIGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace {

double clockNow()
{
    zovo::Process* process = zovo::Process::currentOrNull();
    return process ? process->mainRunLoop().now() : 0.0;
}

// Durations of the animation blocks running now in one process, innermost last. Blocks run on
// the main thread. Held by the process, so a block left open in one process (say, with a nested
// process made inside it) does not make another process's changes animate.
// Each block also records whether anything in it (or in a block nested in it) started an
// animation: a block that animated nothing completes on the next turn, not after its duration.
struct AnimationBlocks {
    struct Block {
        double duration;
        bool animated = false;
    };
    std::vector<Block> blocks;
};

// The innermost block's duration, when a change made now animates; marks the open blocks as
// having animated, since the caller is about to start an animation.
std::optional<double> startAnimationInCurrentBlock()
{
    zovo::Process* process = zovo::Process::currentOrNull();
    if (!process) return std::nullopt;
    auto& blocks = process->local<AnimationBlocks>().blocks;
    if (blocks.empty() || blocks.back().duration <= 0) return std::nullopt;
    for (auto& block : blocks) block.animated = true;
    return blocks.back().duration;
}

double lerp(double a, double b, double p) { return a + (b - a) * p; }

UIView* rootOf(UIView* view)
{
    while (view->superview()) view = view->superview();
    return view;
}

// Lays out a tree parents first: each marked view's layoutSubviews runs before its subviews are
// visited, so frames it sets are seen below.
void layoutTree(UIView* view)
{
    objc::StrongRef<UIView> keep(view);
    if (view->needsLayout()) {
        view->clearNeedsLayout();
        objc::send(view, "layoutSubviews");
    }
    const std::vector<objc::StrongRef<UIView>> subviews = view->subviews();
    for (const auto& subview : subviews) layoutTree(subview.get());
}

} // namespace

UIView::UIView() = default;
UIView::~UIView() = default;

void UIView::setFrame(CGRect frame)
{
    if (frame == frame_) return;
    const CGRect shown = presentationFrame();
    const CGSize before = frame_.size;
    frame_ = frame;
    if (layer_) layer_->setFrame(frame);
    if (auto duration = startAnimationInCurrentBlock())
        frameAnimation_ = Animation{clockNow(), *duration, shown, 0};
    else
        frameAnimation_.reset();
    markLayoutFromSizeChange(before);
}

void UIView::setBounds(CGRect bounds)
{
    // Bounds keep the centre: the frame grows or shrinks around it.
    const CGPoint c = center();
    setFrame(CGRectMake(c.x - bounds.size.width / 2, c.y - bounds.size.height / 2, bounds.size.width, bounds.size.height));
}

void UIView::setCenter(CGPoint c)
{
    setFrame(CGRectMake(c.x - frame_.size.width / 2, c.y - frame_.size.height / 2, frame_.size.width, frame_.size.height));
}

CGRect UIView::presentationFrame() const
{
    if (!frameAnimation_) return frame_;
    const double t = (clockNow() - frameAnimation_->start) / frameAnimation_->duration;
    if (t >= 1) return frame_;
    const double p = easeInOut(std::max(0.0, t));
    const CGRect& from = frameAnimation_->fromFrame;
    return CGRectMake(lerp(from.origin.x, frame_.origin.x, p), lerp(from.origin.y, frame_.origin.y, p),
                      lerp(from.size.width, frame_.size.width, p), lerp(from.size.height, frame_.size.height, p));
}

double UIView::presentationAlpha() const
{
    if (!alphaAnimation_) return alpha_;
    const double t = (clockNow() - alphaAnimation_->start) / alphaAnimation_->duration;
    if (t >= 1) return alpha_;
    return lerp(alphaAnimation_->fromAlpha, alpha_, easeInOut(std::max(0.0, t)));
}

bool UIView::isAnimating() const
{
    const double now = clockNow();
    auto running = [&](const std::optional<Animation>& a) { return a && now < a->start + a->duration; };
    return running(frameAnimation_) || running(alphaAnimation_);
}

void UIView::setAlpha(double alpha)
{
    if (alpha == alpha_) return;
    const double shown = presentationAlpha();
    alpha_ = alpha;
    if (auto duration = startAnimationInCurrentBlock())
        alphaAnimation_ = Animation{clockNow(), *duration, CGRectZero, shown};
    else
        alphaAnimation_.reset();
}

void UIView::addSubview(UIView* view) { insertSubviewAtIndex(view, subviews_.size()); }

void UIView::insertSubviewAtIndex(UIView* view, std::size_t index)
{
    if (!view || view == this || isDescendantOfView(view)) return; // a view cannot contain its own ancestor
    objc::StrongRef<UIView> keep(view);
    if (view->superview() == this) {
        subviews_.erase(std::find(subviews_.begin(), subviews_.end(), keep));
    } else {
        view->removeFromSuperview();
    }
    index = std::min(index, subviews_.size());
    subviews_.insert(subviews_.begin() + static_cast<std::ptrdiff_t>(index), keep);
    view->superview_ = this;
    setNeedsLayout();
}

void UIView::removeFromSuperview()
{
    UIView* parent = superview();
    if (!parent) return;
    objc::StrongRef<UIView> keep(this);
    auto& siblings = parent->subviews_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), keep), siblings.end());
    superview_ = nullptr;
}

void UIView::sendSubviewToBack(UIView* view)
{
    if (view && view->superview() == this) insertSubviewAtIndex(view, 0);
}

void UIView::bringSubviewToFront(UIView* view)
{
    if (view && view->superview() == this) insertSubviewAtIndex(view, subviews_.size());
}

bool UIView::isDescendantOfView(const UIView* view) const
{
    for (const UIView* v = this; v; v = v->superview())
        if (v == view) return true;
    return false;
}

UIWindow* UIView::window() const
{
    for (const UIView* v = this; v; v = v->superview())
        if (UIWindow* w = v->asWindow()) return w;
    return nullptr;
}

void UIView::setBackgroundColor(UIColor* colour) { backgroundColor_ = objc::retained(colour); }

bool UIView::clipsToBounds() const { return layer()->masksToBounds(); }
void UIView::setClipsToBounds(bool clips) { layer()->setMasksToBounds(clips); }

CALayer* UIView::layer() const
{
    if (!layer_) {
        layer_ = objc::make<CALayer>();
        layer_->setDelegate(const_cast<UIView*>(this));
        layer_->setFrame(frame_);
    }
    return layer_.get();
}

UIView* UIView::hitTest(CGPoint point)
{
    if (hidden_ || !userInteractionEnabled_ || alpha_ < kMinimumHitAlpha) return nullptr;
    if (!pointInside(point)) return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        UIView* sub = it->get();
        CGPoint local = CGPointMake(point.x - sub->frame_.origin.x, point.y - sub->frame_.origin.y);
        if (UIView* hit = sub->hitTest(local)) return hit;
    }
    return this;
}

bool UIView::pointInside(CGPoint point) const { return CGRectContainsPoint(bounds(), point); }

namespace {
// The window holding `view` (or `view` itself), as a view; null when it is in none.
const UIView* enclosingWindow(const UIView* view)
{
    while (view && !view->asWindow()) view = view->superview();
    return view;
}

// The origin of a view's coordinate space in its root's, plus the root's own origin when the root
// is a window (windows are placed on the screen by their frames).
CGPoint originOnScreen(const UIView* view)
{
    CGPoint origin{};
    for (const UIView* v = view; v; v = v->superview()) {
        if (!v->superview() && !v->asWindow()) break;
        origin.x += v->frame().origin.x;
        origin.y += v->frame().origin.y;
    }
    return origin;
}
} // namespace

CGPoint UIView::convertPointToView(CGPoint point, const UIView* view) const
{
    const CGPoint from = originOnScreen(this);
    const CGPoint to = view ? originOnScreen(view) : originOnScreen(enclosingWindow(this));
    return CGPointMake(point.x + from.x - to.x, point.y + from.y - to.y);
}

CGPoint UIView::convertPointFromView(CGPoint point, const UIView* view) const
{
    const CGPoint from = view ? originOnScreen(view) : originOnScreen(enclosingWindow(this));
    const CGPoint to = originOnScreen(this);
    return CGPointMake(point.x + from.x - to.x, point.y + from.y - to.y);
}

CGRect UIView::convertRectToView(CGRect rect, const UIView* view) const
{
    return CGRect{convertPointToView(rect.origin, view), rect.size};
}

CGRect UIView::frameInWindow() const
{
    if (asWindow()) return frame_;
    return superview() ? superview()->convertRectToView(frame_, nullptr) : frame_;
}

void UIView::addGestureRecognizer(UIGestureRecognizer* recognizer)
{
    if (!recognizer) return;
    objc::StrongRef<UIGestureRecognizer> keep(recognizer);
    if (UIView* previous = recognizer->view(); previous && previous != this) previous->removeGestureRecognizer(recognizer);
    if (std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), keep) == gestureRecognizers_.end())
        gestureRecognizers_.push_back(keep);
    recognizer->setView(this);
}

void UIView::removeGestureRecognizer(UIGestureRecognizer* recognizer)
{
    objc::StrongRef<UIGestureRecognizer> keep(recognizer);
    auto it = std::find(gestureRecognizers_.begin(), gestureRecognizers_.end(), keep);
    if (it == gestureRecognizers_.end()) return;
    gestureRecognizers_.erase(it);
    recognizer->setView(nullptr);
}

CGSize UIView::sizeThatFits(CGSize) const { return frame_.size; }

void UIView::sizeToFit()
{
    const CGSize fitted = sizeThatFits(frame_.size);
    setFrame(CGRect{frame_.origin, fitted});
}

void UIView::setNeedsLayout()
{
    needsLayout_ = true;
    UIView* root = rootOf(this);
    zovo::Process* process = zovo::Process::currentOrNull();
    if (root->layoutScheduled_ || !process) return;
    root->layoutScheduled_ = true;
    objc::WeakRef<UIView> weakRoot(root);
    process->mainRunLoop().perform([weakRoot] {
        if (objc::StrongRef<UIView> r = weakRoot.lock()) r->layoutIfNeeded();
    });
}

void UIView::layoutIfNeeded()
{
    UIView* root = rootOf(this);
    objc::StrongRef<UIView> keep(root);
    root->layoutScheduled_ = false;
    zovo::solveConstraints(root);
    layoutTree(root);
}

void UIView::setTranslatesAutoresizingMaskIntoConstraints(bool translates)
{
    translatesAutoresizingMask_ = translates;
    setNeedsLayout();
}

void UIView::addConstraint(NSLayoutConstraint* constraint)
{
    if (!constraint) return;
    constraints_.emplace_back(constraint);
    setNeedsLayout();
}

void UIView::removeConstraint(NSLayoutConstraint* constraint)
{
    objc::StrongRef<NSLayoutConstraint> keep(constraint);
    auto it = std::find(constraints_.begin(), constraints_.end(), keep);
    if (it == constraints_.end()) return;
    constraints_.erase(it);
    setNeedsLayout();
}

void UIView::markLayoutFromSizeChange(CGSize before)
{
    if (before == frame_.size) return;
    setNeedsLayout();
    if (UIView* parent = superview()) parent->setNeedsLayout();
}

void UIView::animate(double duration, const std::function<void()>& animations, std::function<void(bool)> completion)
{
    if (!(duration > 0)) duration = 0; // NaN and negative durations change at once
    auto& blocks = zovo::Process::current().local<AnimationBlocks>().blocks;
    blocks.push_back({duration});
    bool animated = false;
    {
        struct Pop {
            std::vector<AnimationBlocks::Block>& b;
            bool& animated;
            ~Pop()
            {
                animated = b.back().animated;
                b.pop_back();
            }
        } pop{blocks, animated};
        if (animations) animations();
    }
    if (completion) {
        auto& loop = zovo::Process::current().mainRunLoop();
        auto done = [completion = std::move(completion)] { completion(true); };
        if (animated) loop.schedule(duration, std::move(done));
        else loop.perform(std::move(done));
    }
}

double UIView::easeInOut(double t)
{
    if (t <= 0) return 0;
    if (t >= 1) return 1;
    // x(s) and y(s) of the cubic Bezier from (0,0) to (1,1) with control points (0.42, 0) and
    // (0.58, 1); x is monotonic, so bisection finds the s with x(s) = t.
    auto bezier = [](double s, double p1, double p2) {
        const double u = 1 - s;
        return 3 * u * u * s * p1 + 3 * u * s * s * p2 + s * s * s;
    };
    double lo = 0, hi = 1;
    for (int i = 0; i < 40; ++i) {
        const double mid = (lo + hi) / 2;
        if (bezier(mid, 0.42, 0.58) < t) lo = mid;
        else hi = mid;
    }
    return bezier((lo + hi) / 2, 0.0, 1.0);
}
