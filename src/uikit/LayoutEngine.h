// The constraint solver behind the layout pass.
//
//   title->setTranslatesAutoresizingMaskIntoConstraints(false);
//   container->addConstraint(NSLayoutConstraint::constraintWithItem(
//       title, NSLayoutAttributeLeft, NSLayoutRelationEqual, icon, NSLayoutAttributeRight, 1, 5));
//   window->layoutIfNeeded();   // solves, then runs layoutSubviews parents first
//
// What is solved:
// - The constraints installed on the views of the tree (UIView::constraints()), in tree order
//   (a view before its subviews, subviews in order) and, per view, in the order they were added.
//   A constraint is skipped when one of its items has ended or is not in the tree.
// - The unknowns are the x, y, width and height, in its superview's coordinates, of every view
//   below the root that does not translate its autoresizing mask into constraints. Every other
//   view, and the root itself, stays at its current frame.
// - Attributes are measured in the root's coordinates: a view's left edge is the sum of the
//   origins along its superview chain. The root's own attributes come from its bounds. Leading
//   and trailing are left and right (left-to-right text).
//
// In this order:
// 1. Equalities, one at a time. One that contradicts those accepted before it is a conflict: it
//    is broken (ignored) and recorded in the process trace as "layoutConflict" with the fields
//    subject (the class of its first item), constraint (its description) and detail (the
//    platform's "Unable to simultaneously satisfy constraints." text listing the earlier
//    constraints it contradicts and itself). A constraint is recorded when it starts to be
//    broken, not again on every pass while it stays broken. An equality that adds nothing new
//    (a repeat) is accepted silently.
// 2. Inequalities, greedily: each is checked against the layout the remaining steps would give;
//    one that would be violated is held at its bound (made an equality). One already fixed by
//    the equalities and violated is a conflict as above. Checks are repeated until no inequality
//    changes, since holding one may move what another sees. This is not an optimiser: a set of
//    inequalities that only a different choice of bounds could satisfy reports a conflict.
// 3. Intrinsic size: a width or height still undetermined takes the view's intrinsicContentSize
//    along that axis, unless that is UIViewNoIntrinsicMetric (any negative or non-finite value
//    counts as none). Views in tree order, width before height.
// 4. Ambiguity: whatever is still undetermined takes its current frame value, sizes of all views
//    first, then positions, so a view pinned only by one edge keeps its size and moves.
// The solved frames are set with setFrame: (by message, so a replaced method sees them), views in
// tree order. A component that comes out non-finite (an enormous multiplier) keeps its current
// value instead.
#pragma once

#include "uikit/Forward.h"

namespace zovo {

// Solves the constraints installed anywhere in `root`'s tree and sets the frames of the views
// that do not translate their autoresizing mask into constraints. Called by the layout pass
// before any layoutSubviews runs.
void solveConstraints(UIView* root);

} // namespace zovo
