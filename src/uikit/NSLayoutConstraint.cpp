#include "uikit/NSLayoutConstraint.h"

#include "uikit/UIView.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace {

bool isDimension(NSLayoutAttribute attribute) { return attribute == NSLayoutAttributeWidth || attribute == NSLayoutAttributeHeight; }
bool isDirectional(NSLayoutAttribute attribute) { return attribute == NSLayoutAttributeLeading || attribute == NSLayoutAttributeTrailing; }
bool isAbsoluteEdge(NSLayoutAttribute attribute) { return attribute == NSLayoutAttributeLeft || attribute == NSLayoutAttributeRight; }

const char* attributeName(NSLayoutAttribute attribute)
{
    switch (attribute) {
    case NSLayoutAttributeNotAnAttribute: return "notAnAttribute";
    case NSLayoutAttributeLeft: return "left";
    case NSLayoutAttributeRight: return "right";
    case NSLayoutAttributeTop: return "top";
    case NSLayoutAttributeBottom: return "bottom";
    case NSLayoutAttributeLeading: return "leading";
    case NSLayoutAttributeTrailing: return "trailing";
    case NSLayoutAttributeWidth: return "width";
    case NSLayoutAttributeHeight: return "height";
    case NSLayoutAttributeCenterX: return "centerX";
    case NSLayoutAttributeCenterY: return "centerY";
    }
    return "?";
}

const char* relationSymbol(NSLayoutRelation relation)
{
    switch (relation) {
    case NSLayoutRelationLessThanOrEqual: return "<=";
    case NSLayoutRelationEqual: return "==";
    case NSLayoutRelationGreaterThanOrEqual: return ">=";
    }
    return "?";
}

// The shortest text that reads back as the same double: "63", "0.5", "-12.25".
std::string number(double value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string itemName(const objc::WeakRef<UIView>& item)
{
    if (UIView* view = item.get()) return view->className();
    return "(ended)";
}

[[noreturn]] void refuse(const std::string& why) { throw std::invalid_argument("NSLayoutConstraint: " + why); }

void validate(UIView* view1, NSLayoutAttribute attribute1, UIView* view2, NSLayoutAttribute attribute2, double multiplier, double constant)
{
    const std::string pair = std::string(attributeName(attribute1)) + " and " + attributeName(attribute2);
    if (!view1) refuse("a constraint must have a first item");
    if (attribute1 == NSLayoutAttributeNotAnAttribute) refuse("the first attribute cannot be notAnAttribute");
    if (!std::isfinite(multiplier)) refuse("the multiplier is not finite");
    if (!std::isfinite(constant)) refuse("the constant is not finite");
    if (!view2 && attribute2 != NSLayoutAttributeNotAnAttribute) refuse("a second attribute (" + pair + ") needs a second item");
    if (view2 && attribute2 == NSLayoutAttributeNotAnAttribute) refuse("a second item needs a second attribute");
    const bool againstConstant = !view2 || multiplier == 0;
    if (againstConstant && !isDimension(attribute1))
        refuse(std::string("a location (") + attributeName(attribute1) + ") cannot equal a constant");
    if (!view2) return;
    if (isDimension(attribute1) != isDimension(attribute2)) refuse("invalid pairing of a location and a dimension: " + pair);
    if (!isDimension(attribute1) && zovo::layoutAxisOf(attribute1) != zovo::layoutAxisOf(attribute2)) refuse("invalid pairing of attributes of different axes: " + pair);
    if ((isDirectional(attribute1) && isAbsoluteEdge(attribute2)) || (isAbsoluteEdge(attribute1) && isDirectional(attribute2)))
        refuse("leading and trailing cannot be related to left and right: " + pair);
}

} // namespace

objc::StrongRef<NSLayoutConstraint> NSLayoutConstraint::constraintWithItem(UIView* view1, NSLayoutAttribute attribute1, NSLayoutRelation relation,
                                                                     UIView* view2, NSLayoutAttribute attribute2, double multiplier, double constant)
{
    return constraintWithValues(view1, attribute1, relation, view2, attribute2, multiplier, constant);
}

objc::StrongRef<NSLayoutConstraint> NSLayoutConstraint::constraintWithValues(UIView* view1, std::int64_t attribute1, std::int64_t relation,
                                                                       UIView* view2, std::int64_t attribute2, double multiplier, double constant)
{
    auto attributeInRange = [](std::int64_t a) { return a >= NSLayoutAttributeNotAnAttribute && a <= NSLayoutAttributeCenterY; };
    if (!attributeInRange(attribute1) || !attributeInRange(attribute2))
        refuse("unknown layout attribute " + std::to_string(attributeInRange(attribute1) ? attribute2 : attribute1));
    if (relation < NSLayoutRelationLessThanOrEqual || relation > NSLayoutRelationGreaterThanOrEqual)
        refuse("unknown layout relation " + std::to_string(relation));
    const auto first = static_cast<NSLayoutAttribute>(attribute1);
    const auto second = static_cast<NSLayoutAttribute>(attribute2);
    validate(view1, first, view2, second, multiplier, constant);

    auto constraint = objc::make<NSLayoutConstraint>();
    constraint->firstItem_ = view1;
    constraint->secondItem_ = view2;
    constraint->firstAttribute_ = first;
    constraint->secondAttribute_ = second;
    constraint->relation_ = static_cast<NSLayoutRelation>(relation);
    constraint->multiplier_ = multiplier;
    constraint->constant_ = constant;
    return constraint;
}

void NSLayoutConstraint::setConstant(double constant)
{
    if (!std::isfinite(constant)) refuse("the constant is not finite");
    if (constant == constant_) return;
    constant_ = constant;
    conflictReported_ = false;
    if (UIView* view = installingView()) view->setNeedsLayout();
}

UIView* NSLayoutConstraint::installingView() const
{
    objc::StrongRef<NSLayoutConstraint> self(const_cast<NSLayoutConstraint*>(this));
    for (UIView* item : {firstItem(), secondItem()}) {
        for (UIView* view = item; view; view = view->superview()) {
            const auto& installed = view->constraints();
            if (std::find(installed.begin(), installed.end(), self) != installed.end()) return view;
        }
    }
    return nullptr;
}

bool NSLayoutConstraint::isActive() const { return installingView() != nullptr; }

void NSLayoutConstraint::setActive(bool active)
{
    if (hasEndedItem()) return;
    objc::StrongRef<NSLayoutConstraint> keep(this); // the installing view may hold the last reference
    UIView* installed = installingView();
    if (!active) {
        if (installed) installed->removeConstraint(this);
        return;
    }
    if (installed) return;
    UIView* first = firstItem();
    UIView* second = secondItem();
    UIView* ancestor = first;
    if (second) {
        while (ancestor && !second->isDescendantOfView(ancestor)) ancestor = ancestor->superview();
        if (!ancestor) refuse("cannot activate " + description() + ": its items have no common ancestor");
    }
    ancestor->addConstraint(this);
}

std::string NSLayoutConstraint::description() const
{
    std::string text = "<NSLayoutConstraint " + itemName(firstItem_) + "." + attributeName(firstAttribute_) + " " + relationSymbol(relation_) + " ";
    const bool hasSecond = secondAttribute_ != NSLayoutAttributeNotAnAttribute;
    if (!hasSecond) return text + number(constant_) + ">";
    if (multiplier_ != 1) text += number(multiplier_) + "*";
    text += itemName(secondItem_) + "." + attributeName(secondAttribute_);
    if (constant_ > 0) text += " + " + number(constant_);
    if (constant_ < 0) text += " - " + number(-constant_);
    return text + ">";
}

namespace zovo {

LayoutAxis layoutAxisOf(NSLayoutAttribute attribute)
{
    switch (attribute) {
    case NSLayoutAttributeLeft:
    case NSLayoutAttributeRight:
    case NSLayoutAttributeLeading:
    case NSLayoutAttributeTrailing:
    case NSLayoutAttributeWidth:
    case NSLayoutAttributeCenterX:
        return LayoutAxis::Horizontal;
    case NSLayoutAttributeTop:
    case NSLayoutAttributeBottom:
    case NSLayoutAttributeHeight:
    case NSLayoutAttributeCenterY:
        return LayoutAxis::Vertical;
    case NSLayoutAttributeNotAnAttribute:
        break;
    }
    return LayoutAxis::None;
}

} // namespace zovo
