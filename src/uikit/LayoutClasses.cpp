// Registers NSLayoutConstraint and its selectors. Each body forwards to the C++ class.
#include "foundation/NSString.h"
#include "objc/Message.h"
#include "uikit/NSLayoutConstraint.h"
#include "uikit/Registration.h"
#include "uikit/UIView.h"

#include <stdexcept>

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::sel;

namespace {

NSLayoutConstraint* constraint(id self) { return static_cast<NSLayoutConstraint*>(self); }

// Items arrive as plain objects; anything but a view (or nil) is refused as the factory refuses
// other malformed constraints.
UIView* item(id object, const char* which)
{
    if (!object) return nullptr;
    if (auto* view = objc::cast<UIView>(object)) return view;
    throw std::invalid_argument(std::string("NSLayoutConstraint: the ") + which + " item is a " + object->className() + ", not a view");
}

} // namespace

namespace zovo::uikit {

void registerLayoutClasses(objc::Runtime& runtime)
{
    objc::Class cls = runtime.registerClass(NSLayoutConstraint::kClassName, runtime.lookUpClass("NSObject"),
                                            []() -> objc::Object* { return new NSLayoutConstraint(); });
    objc::addClassMethod(cls, sel("constraintWithItem:attribute:relatedBy:toItem:attribute:multiplier:constant:"),
                         +[](id, SEL, id view1, std::int64_t attribute1, std::int64_t relation, id view2, std::int64_t attribute2,
                             double multiplier, double constant) -> StrongId {
                             return NSLayoutConstraint::constraintWithValues(item(view1, "first"), attribute1, relation, item(view2, "second"),
                                                                             attribute2, multiplier, constant);
                         });
    objc::addMethod(cls, sel("firstItem"), +[](id self, SEL) -> StrongId { return StrongId(constraint(self)->firstItem()); });
    objc::addMethod(cls, sel("secondItem"), +[](id self, SEL) -> StrongId { return StrongId(constraint(self)->secondItem()); });
    objc::addMethod(cls, sel("firstAttribute"), +[](id self, SEL) -> std::int64_t { return constraint(self)->firstAttribute(); });
    objc::addMethod(cls, sel("secondAttribute"), +[](id self, SEL) -> std::int64_t { return constraint(self)->secondAttribute(); });
    objc::addMethod(cls, sel("relation"), +[](id self, SEL) -> std::int64_t { return constraint(self)->relation(); });
    objc::addMethod(cls, sel("multiplier"), +[](id self, SEL) { return constraint(self)->multiplier(); });
    objc::addMethod(cls, sel("constant"), +[](id self, SEL) { return constraint(self)->constant(); });
    objc::addMethod(cls, sel("setConstant:"), +[](id self, SEL, double c) { constraint(self)->setConstant(c); });
    objc::addMethod(cls, sel("isActive"), +[](id self, SEL) { return constraint(self)->isActive(); });
    objc::addMethod(cls, sel("setActive:"), +[](id self, SEL, bool active) { constraint(self)->setActive(active); });
    objc::addMethod(cls, sel("description"), +[](id self, SEL) -> StrongId { return NSString::from(constraint(self)->description()); });
}

} // namespace zovo::uikit
