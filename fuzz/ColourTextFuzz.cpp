// Feeds arbitrary text to the component's colour reading: "RRGGBB" or "#RRGGBB", optionally
// followed by ":alpha", split and scanned as the component does it, through messages. Whatever
// the text, there must be no crash and no sanitizer report, and the colour's components must be
// proper fractions.
//
//   build-fuzz/bin/fuzz_colour_text -dict=fuzz/colour_text.dict corpus/ fuzz/corpus/colour_text/
#include "FuzzRuntime.h"
#include "foundation/Json.h"
#include "foundation/NSArray.h"
#include "foundation/NSString.h"
#include "objc/Message.h"
#include "tweak/UIColor+Conversion.h"
#include "uikit/UIColor.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

struct ColourRuntime : zovo::fuzz::FuzzRuntime {
    ColourRuntime()
    {
        runtime.registerClass("UIColor", runtime.lookUpClass("NSObject"), []() -> objc::Object* { return new UIColor(); });
        zovorudovu::registerUIColorConversion(runtime);
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static ColourRuntime fuzzRuntime;
    // Settings text reaches the component only as valid UTF-8: the reader refuses anything else.
    objc::StrongRef<NSString> text = NSString::from(zovo::repairUtf8(std::string_view(reinterpret_cast<const char*>(data), size)));
    objc::StrongId hex = text;
    float alpha = 1.0f;
    objc::StrongRef<NSString> colon = NSString::from(":");
    if (objc::send<bool>(text.get(), "containsString:", colon.get())) {
        objc::StrongId pieces = objc::send<objc::StrongId>(text.get(), "componentsSeparatedByString:", colon.get());
        if (objc::send<std::uint64_t>(pieces, "count") < 2) std::abort();
        hex = objc::send<objc::StrongId>(pieces, "objectAtIndex:", std::uint64_t{0});
        alpha = objc::send<float>(objc::send<objc::StrongId>(pieces, "objectAtIndex:", std::uint64_t{1}), "floatValue");
    }
    if (std::isnan(alpha)) std::abort(); // floatValue reads only plain decimals: never NaN
    objc::StrongId colour = objc::send<objc::StrongId>(objc::objc_getClass("UIColor"), "getUIColorObjectFromHexString:alpha:", hex, static_cast<double>(alpha));
    const auto* c = objc::cast<UIColor>(colour.get());
    if (!c) std::abort();
    for (double component : {c->red(), c->green(), c->blue()})
        if (!(component >= 0 && component <= 1)) std::abort();
    return 0;
}
