// Registers UIImage and its selectors. The blend mode of drawInRect:blendMode:alpha: crosses the
// message as a 32-bit integer ("i"), the width of the platform's CGBlendMode.
#include "foundation/NSString.h"
#include "objc/Message.h"
#include "uikit/Registration.h"
#include "uikit/UIImage.h"

using objc::StrongId;
using objc::id;
using objc::SEL;
using objc::sel;

namespace {

const UIImage* image(id self) { return static_cast<const UIImage*>(self); }

// The argument is a host path. Anything that is not a string gives nil, as a failed load does.
StrongId imageWithContentsOfFile(id, SEL, id path)
{
    auto* string = objc::cast<NSString>(path);
    if (!string) return nullptr;
    return UIImage::imageWithContentsOfFile(string->utf8());
}

} // namespace

namespace zovo::uikit {

void registerImageClasses(objc::Runtime& runtime)
{
    objc::Class cls = runtime.registerClass(UIImage::kClassName, runtime.lookUpClass("NSObject"), []() -> objc::Object* { return new UIImage(); });
    objc::addMethod(cls, sel("CGImage"), +[](id self, SEL) { return image(self)->CGImage(); });
    objc::addMethod(cls, sel("size"), +[](id self, SEL) { return image(self)->size(); });
    objc::addMethod(cls, sel("scale"), +[](id self, SEL) { return image(self)->scale(); });
    objc::addMethod(cls, sel("drawInRect:blendMode:alpha:"),
                    +[](id self, SEL, CGRect rect, std::int32_t mode, double alpha) { image(self)->drawInRect(rect, mode, alpha); });
    objc::addClassMethod(cls, sel("imageWithContentsOfFile:"), imageWithContentsOfFile);
}

} // namespace zovo::uikit
