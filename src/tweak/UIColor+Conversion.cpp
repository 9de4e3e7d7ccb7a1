#include "tweak/UIColor+Conversion.h"

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "uikit/UIColor.h"

using objc::StrongId;
using objc::id;
using objc::SEL;

namespace zovorudovu {

std::uint32_t intFromHexString(id string)
{
    std::uint32_t result = 0;
    StrongId scanner = objc::send<StrongId>(objc::objc_getClass("NSScanner"), "scannerWithString:", string);
    StrongId skip = objc::send<StrongId>(objc::objc_getClass("NSCharacterSet"), "characterSetWithCharactersInString:", NSString::from("#"));
    objc::send(scanner, "setCharactersToBeSkipped:", skip);
    objc::send<bool>(scanner, "scanHexInt:", &result);
    return result;
}

StrongId getUIColorObjectFromHexString(id string, double alpha)
{
    std::uint32_t n = intFromHexString(string);
    return UIColor::colorWithRed(((n >> 16) & 255) / 255.0, ((n >> 8) & 255) / 255.0, (n & 255) / 255.0, alpha);
}

namespace {
StrongId colorFromHexMethod(id, SEL, id string, double alpha) { return getUIColorObjectFromHexString(string, alpha); }
std::uint32_t intFromHexMethod(id, SEL, id string) { return intFromHexString(string); }
} // namespace

void registerUIColorConversion(objc::Runtime& runtime)
{
    objc::Class color = runtime.lookUpClass("UIColor");
    objc::addClassMethod(color, objc::sel("getUIColorObjectFromHexString:alpha:"), colorFromHexMethod);
    objc::addClassMethod(color, objc::sel("intFromHexString:"), intFromHexMethod);
}

} // namespace zovorudovu
