// Auto-layout constraints: item1.attribute1 (relation) multiplier * item2.attribute2 + constant.
//
//   auto c = NSLayoutConstraint::constraintWithItem(title, NSLayoutAttributeLeft, NSLayoutRelationEqual,
//                                                   icon, NSLayoutAttributeRight, 1.0, 5.0);
//   container->addConstraint(c);   // installed: the next layout pass solves it
//   c->description();              // "<NSLayoutConstraint UILabel.left == UIImageView.right + 5>"
//
// A constraint is installed by adding it to a view (normally the items' nearest common ancestor,
// which is where setActive(true) puts it); the layout pass solves the constraints installed in a
// tree and sets the frames of the views that do not translate their autoresizing mask into
// constraints (see LayoutEngine.h for the rules).
#pragma once

#include "objc/Object.h"
#include "uikit/Forward.h"

#include <cstdint>
#include <string>

// The platform's attribute and relation values.
enum NSLayoutAttribute : std::int64_t {
    NSLayoutAttributeNotAnAttribute = 0,
    NSLayoutAttributeLeft = 1,
    NSLayoutAttributeRight = 2,
    NSLayoutAttributeTop = 3,
    NSLayoutAttributeBottom = 4,
    NSLayoutAttributeLeading = 5,
    NSLayoutAttributeTrailing = 6,
    NSLayoutAttributeWidth = 7,
    NSLayoutAttributeHeight = 8,
    NSLayoutAttributeCenterX = 9,
    NSLayoutAttributeCenterY = 10,
};
enum NSLayoutRelation : std::int64_t {
    NSLayoutRelationLessThanOrEqual = -1,
    NSLayoutRelationEqual = 0,
    NSLayoutRelationGreaterThanOrEqual = 1,
};

class NSLayoutConstraint : public objc::Object {
public:
    static constexpr const char* kClassName = "NSLayoutConstraint";

    // Makes an inactive constraint. As on the platform, a constraint that could never be solved
    // is refused with std::invalid_argument naming what is wrong: a missing first item, an
    // attribute or relation out of range, a first attribute of NotAnAttribute, a second item
    // without a second attribute or the reverse, a location (left, top, centre ...) equal to a
    // constant, attributes of different axes or kinds (left with top, left with width), leading
    // or trailing mixed with left or right, and a multiplier or constant that is not finite.
    // Width and height may be related to each other (an aspect ratio).
    static objc::StrongRef<NSLayoutConstraint> constraintWithItem(UIView* view1, NSLayoutAttribute attribute1, NSLayoutRelation relation,
                                                            UIView* view2, NSLayoutAttribute attribute2, double multiplier, double constant);
    // The same from raw values as they arrive through a message send; checks the ranges before
    // anything becomes an enumerator.
    static objc::StrongRef<NSLayoutConstraint> constraintWithValues(UIView* view1, std::int64_t attribute1, std::int64_t relation,
                                                              UIView* view2, std::int64_t attribute2, double multiplier, double constant);

    // The items are held weakly, as on the platform: a view owns the constraints installed on it.
    UIView* firstItem() const { return firstItem_.get(); }
    UIView* secondItem() const { return secondItem_.get(); }
    // True once an item the constraint was made with has ended; the solver ignores it then.
    bool hasEndedItem() const { return firstItem_.expired() || secondItem_.expired(); }
    NSLayoutAttribute firstAttribute() const { return firstAttribute_; }
    NSLayoutAttribute secondAttribute() const { return secondAttribute_; }
    NSLayoutRelation relation() const { return relation_; }
    double multiplier() const { return multiplier_; }
    double constant() const { return constant_; }
    // Changes the constant and marks the installing view for layout. A constant that is not
    // finite is refused with std::invalid_argument, as the platform refuses it.
    void setConstant(double constant);

    // Whether the constraint is installed on its first item or one of that item's ancestors, or
    // on the second item or one of its ancestors.
    bool isActive() const;
    // Activating installs the constraint on the items' nearest common ancestor (the first item
    // itself when there is no second item); items without a common ancestor are refused with
    // std::invalid_argument. Deactivating removes it from the view it is installed on. Either
    // does nothing when the state is already the one asked for, or when an item has ended.
    void setActive(bool active);

    // The platform's log format, without addresses so traces stay stable from run to run:
    // "<NSLayoutConstraint UILabel.width == UIView.width - 63>", "0.5*UIView.width" for a
    // multiplier other than 1, "UIView.height == 20" against a constant. An item that has ended
    // reads "(ended)".
    std::string description() const;

    // Kept by the solver: whether the last layout pass broke this constraint (and so reported
    // it), so a conflict is reported when it arises and not again on every pass while it lasts.
    // A new constant clears it: the constraint may fit now, or conflict anew.
    bool conflictReported() const { return conflictReported_; }
    void setConflictReported(bool reported) { conflictReported_ = reported; }

private:
    // The view whose constraints() hold this constraint, searched as isActive() describes.
    UIView* installingView() const;

    objc::WeakRef<UIView> firstItem_;
    objc::WeakRef<UIView> secondItem_;
    NSLayoutAttribute firstAttribute_ = NSLayoutAttributeNotAnAttribute;
    NSLayoutAttribute secondAttribute_ = NSLayoutAttributeNotAnAttribute;
    NSLayoutRelation relation_ = NSLayoutRelationEqual;
    double multiplier_ = 1.0;
    double constant_ = 0.0;
    bool conflictReported_ = false;
};

namespace zovo {
enum class LayoutAxis { None, Horizontal, Vertical };
// Which axis an attribute measures along; NotAnAttribute has none.
LayoutAxis layoutAxisOf(NSLayoutAttribute attribute);
} // namespace zovo
