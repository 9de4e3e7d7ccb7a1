// Registers the text and image-view classes: UIFont under NSObject, UILabel and UIImageView under
// UIView. Each body forwards to the C++ class.
#include "foundation/NSString.h"
#include "objc/Message.h"
#include "uikit/Registration.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"

#include <stdexcept>
#include <string>

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::sel;

namespace {

UIFont* font(id self) { return static_cast<UIFont*>(self); }
UILabel* label(id self) { return static_cast<UILabel*>(self); }
UIImageView* imageView(id self) { return static_cast<UIImageView*>(self); }

// An object argument that must be of class T, or nil. Anything else would be read as the wrong
// storage, so it fails loudly instead, naming the selector and the class passed.
template <class T>
T* argument(id value, SEL selector, const char* what)
{
    if (!value) return nullptr;
    if (auto* object = objc::cast<T>(value)) return object;
    throw std::invalid_argument(std::string(objc::sel_getName(selector)) + ": " + what + " is an instance of " + value->className() +
                                ", not " + T::kClassName);
}

void registerFont(objc::Runtime& runtime)
{
    objc::Class cls = runtime.registerClass("UIFont", runtime.lookUpClass("NSObject"), []() -> objc::Object* { return new UIFont(); });
    objc::addClassMethod(cls, sel("systemFontOfSize:"), +[](id, SEL, double size) -> StrongId { return UIFont::systemFontOfSize(size); });
    objc::addClassMethod(cls, sel("boldSystemFontOfSize:"), +[](id, SEL, double size) -> StrongId { return UIFont::boldSystemFontOfSize(size); });
    objc::addMethod(cls, sel("fontWithSize:"), +[](id self, SEL, double size) -> StrongId { return font(self)->fontWithSize(size); });
    objc::addMethod(cls, sel("pointSize"), +[](id self, SEL) { return font(self)->pointSize(); });
    objc::addMethod(cls, sel("fontName"), +[](id self, SEL) -> StrongId { return NSString::from(font(self)->fontName()); });
    objc::addMethod(cls, sel("familyName"), +[](id self, SEL) -> StrongId { return NSString::from(font(self)->familyName()); });
    objc::addMethod(cls, sel("lineHeight"), +[](id self, SEL) { return font(self)->lineHeight(); });
    objc::addMethod(cls, sel("ascender"), +[](id self, SEL) { return font(self)->ascender(); });
    objc::addMethod(cls, sel("descender"), +[](id self, SEL) { return font(self)->descender(); });
}

void registerLabel(objc::Runtime& runtime, objc::Class viewClass)
{
    objc::Class cls = runtime.registerClass("UILabel", viewClass, []() -> objc::Object* { return new UILabel(); });
    objc::addMethod(cls, sel("text"), +[](id self, SEL) -> StrongId { return StrongId(label(self)->text()); });
    objc::addMethod(cls, sel("setText:"), +[](id self, SEL s, id text) { label(self)->setText(argument<NSString>(text, s, "the text")); });
    objc::addMethod(cls, sel("textColor"), +[](id self, SEL) -> StrongId { return StrongId(label(self)->textColor()); });
    objc::addMethod(cls, sel("setTextColor:"),
                    +[](id self, SEL s, id colour) { label(self)->setTextColor(argument<UIColor>(colour, s, "the colour")); });
    objc::addMethod(cls, sel("font"), +[](id self, SEL) -> StrongId { return StrongId(label(self)->font()); });
    objc::addMethod(cls, sel("setFont:"), +[](id self, SEL s, id f) { label(self)->setFont(argument<UIFont>(f, s, "the font")); });
    objc::addMethod(cls, sel("lineBreakMode"), +[](id self, SEL) -> std::int64_t { return label(self)->lineBreakMode(); });
    objc::addMethod(cls, sel("setLineBreakMode:"),
                    +[](id self, SEL, std::int64_t mode) { label(self)->setLineBreakMode(static_cast<NSLineBreakMode>(mode)); });
    objc::addMethod(cls, sel("numberOfLines"), +[](id self, SEL) { return label(self)->numberOfLines(); });
    objc::addMethod(cls, sel("setNumberOfLines:"), +[](id self, SEL, std::int64_t lines) { label(self)->setNumberOfLines(lines); });
    objc::addMethod(cls, sel("textAlignment"), +[](id self, SEL) -> std::int64_t { return label(self)->textAlignment(); });
    objc::addMethod(cls, sel("setTextAlignment:"),
                    +[](id self, SEL, std::int64_t alignment) { label(self)->setTextAlignment(static_cast<NSTextAlignment>(alignment)); });
}

void registerImageView(objc::Runtime& runtime, objc::Class viewClass)
{
    objc::Class cls = runtime.registerClass("UIImageView", viewClass, []() -> objc::Object* { return new UIImageView(); });
    // The frame is the image's size at the origin, set through initWithFrame: so that a subclass's
    // own initialiser runs, as on the platform.
    objc::addMethod(cls, sel("initWithImage:"), +[](id self, SEL, id image) -> StrongId {
        imageView(self)->setImage(image);
        const CGSize size = image ? imageView(self)->sizeThatFits(CGSize{}) : CGSize{};
        return objc::send<StrongId>(self, "initWithFrame:", CGRectMake(0, 0, size.width, size.height));
    });
    objc::addMethod(cls, sel("image"), +[](id self, SEL) -> StrongId { return StrongId(imageView(self)->image()); });
    objc::addMethod(cls, sel("setImage:"), +[](id self, SEL, id image) { imageView(self)->setImage(image); });
}

} // namespace

namespace zovo::uikit {

void registerTextClasses(objc::Runtime& runtime)
{
    registerFont(runtime);
    objc::Class viewClass = runtime.lookUpClass("UIView");
    registerLabel(runtime, viewClass);
    registerImageView(runtime, viewClass);
}

} // namespace zovo::uikit
