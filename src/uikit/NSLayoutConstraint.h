// Auto-layout constraints: item1.attribute1 (relation) multiplier * item2.attribute2 + constant.
// A constraint is installed by adding it to a view (the items' common ancestor); the layout pass
// solves the installed constraints of a window and sets the frames of the views that do not
// translate their autoresizing mask into constraints.
#pragma once

#include "objc/Object.h"
#include "uikit/Forward.h"

#include <cstdint>

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

    static objc::Ref<NSLayoutConstraint> constraintWithItem(UIView* view1, NSLayoutAttribute attribute1, NSLayoutRelation relation,
                                                            UIView* view2, NSLayoutAttribute attribute2, double multiplier, double constant);

    // The items are held weakly, as on the platform: a view owns the constraints installed on it.
    UIView* firstItem() const { return firstItem_.get(); }
    UIView* secondItem() const { return secondItem_.get(); }
    NSLayoutAttribute firstAttribute() const { return firstAttribute_; }
    NSLayoutAttribute secondAttribute() const { return secondAttribute_; }
    NSLayoutRelation relation() const { return relation_; }
    double multiplier() const { return multiplier_; }
    double constant() const { return constant_; }
    void setConstant(double constant) { constant_ = constant; }

private:
    objc::WeakRef<UIView> firstItem_;
    objc::WeakRef<UIView> secondItem_;
    NSLayoutAttribute firstAttribute_ = NSLayoutAttributeNotAnAttribute;
    NSLayoutAttribute secondAttribute_ = NSLayoutAttributeNotAnAttribute;
    NSLayoutRelation relation_ = NSLayoutRelationEqual;
    double multiplier_ = 1.0;
    double constant_ = 0.0;
};
