#include "tweak/BLNotificationBridge.h"

#include "foundation/Process.h"
#include "objc/Message.h"
#include "uikit/CGGeometry.h"
#include "uikit/UIColor.h"
#include "uikit/UIDevice.h"

#include <array>
#include <cstring>
#include <mutex>
#include <string_view>

using objc::StrongId;
using objc::id;
using objc::SEL;

namespace {

// The shared instance and its once-only flag. On a phone these are two statics of this file;
// here each simulated process has its own.
struct Shared {
    std::once_flag once;
    objc::StrongRef<objc::Object> instance;
};

} // namespace

BLNotificationBridge* BLNotificationBridge::sharedInstance()
{
    auto& shared = zovo::Process::current().local<Shared>();
    std::call_once(shared.once, [&] {
        // Whatever class asks, the instance is a plain BLNotificationBridge.
        shared.instance = objc::class_createInstance(objc::objc_getClass(kClassName));
    });
    return static_cast<BLNotificationBridge*>(shared.instance.get());
}

namespace {

// The notch widths by model identifier. The lists are tested in order and the first that holds
// the identifier decides; two identifiers stand in the first two lists and so get the first width.
// "iPhone11,4" is the same phone as "iPhone11,6" sold in other regions.
struct NotchList {
    float width;
    std::array<std::string_view, 9> models;
    std::size_t count;
};
constexpr NotchList kNotchLists[] = {
    {209, {"iPhone10,3", "iPhone10,6", "iPhone11,2", "iPhone12,3", "iPhone13,1", "iPhone14,4", "iPhone12,5", "iPhone11,6", "iPhone11,4"}, 9},
    {230, {"iPhone11,8", "iPhone12,1", "iPhone13,2", "iPhone13,3", "iPhone14,5", "iPhone14,2", "iPhone12,5", "iPhone11,6"}, 8},
    {238, {"iPhone13,4", "iPhone14,3"}, 2},
};

} // namespace

void BLNotificationBridge::notchWidthForCurrentDeviceModel()
{
    objc::Class device = objc::objc_getClass("UIDevice");
    // A banner 40 points narrower than the screen on each side.
    auto screenWidthLessMargins = [this] {
        StrongId screen = objc::send<StrongId>(objc::objc_getClass("UIScreen"), "mainScreen");
        CGRect bounds = objc::send<CGRect>(screen, "bounds");
        notchWidth = static_cast<float>(bounds.size.width - 80.0);
    };
    if (!objc::send<bool>(device, "tf_deviceHasFaceID") || objc::send<bool>(device, "currentIsIPad")) {
        screenWidthLessMargins();
        return;
    }
    platform::utsname systemInfo;
    platform::uname(&systemInfo);
    std::string_view model(systemInfo.machine, strnlen(systemInfo.machine, sizeof systemInfo.machine));
    for (const auto& list : kNotchLists)
        for (std::size_t i = 0; i < list.count; ++i)
            if (list.models[i] == model) {
                notchWidth = list.width;
                return;
            }
    // A phone newer than the lists would otherwise keep a width of 0 and show every banner
    // invisible; it gets the width of a phone without a notch instead.
    screenWidthLessMargins();
}

std::vector<std::string_view> notchListedModels()
{
    std::vector<std::string_view> models;
    for (const auto& list : kNotchLists) models.insert(models.end(), list.models.begin(), list.models.begin() + static_cast<std::ptrdiff_t>(list.count));
    return models;
}

void BLNotificationBridge::getAverageColour(id image)
{
    adaptive_backgroundColour = objc::send<StrongId>(image, "averageColor");
    determineWhetherUIColorIsLightOrDark(adaptive_backgroundColour.get());
}

void BLNotificationBridge::determineWhetherUIColorIsLightOrDark(id colour)
{
    auto* c = objc::cast<UIColor>(colour);
    const double* rgb = c ? CGColorGetComponents(c->CGColor()) : nullptr;
    double brightness = rgb ? ((rgb[0] * 299 + rgb[1] * 587) + rgb[2] * 114) / 1000 : 1.0;
    // A brightness that is not a number counts as light, as exactly 0.5 does.
    adaptive_textColour = brightness < 0.5 ? UIColor::whiteColor() : UIColor::blackColor();
}

namespace {

BLNotificationBridge* self_(id self) { return static_cast<BLNotificationBridge*>(self); }

#define BRIDGE_OBJECT(field, setter)                                                          \
    StrongId get_##field(id self, SEL) { return self_(self)->field; }                               \
    void set_##field(id self, SEL, id value) { self_(self)->field = StrongId(value); }
#define BRIDGE_VALUE(type, field, setter)                                                     \
    type get_##field(id self, SEL) { return self_(self)->field; }                             \
    void set_##field(id self, SEL, type value) { self_(self)->field = value; }
#define BRIDGE_FIELDS(OBJECT, VALUE)                                                          \
    OBJECT(icon, "setIcon:")                                                                  \
    OBJECT(primaryText, "setPrimaryText:")                                                    \
    OBJECT(secondaryText, "setSecondaryText:")                                                \
    OBJECT(dateText, "setDateText:")                                                          \
    VALUE(bool, presented, "setPresented:")                                                   \
    VALUE(bool, adaptiveColours, "setAdaptiveColours:")                                       \
    VALUE(bool, showGrabber, "setShowGrabber:")                                               \
    VALUE(bool, showTimestamp, "setShowTimestamp:")                                           \
    VALUE(bool, customWidth, "setCustomWidth:")                                               \
    VALUE(float, customWidthValue, "setCustomWidthValue:")                                    \
    VALUE(float, safeYPos, "setSafeYPos:")                                                    \
    VALUE(float, notchWidth, "setNotchWidth:")                                                \
    OBJECT(adaptive_backgroundColour, "setAdaptive_backgroundColour:")                        \
    OBJECT(adaptive_textColour, "setAdaptive_textColour:")                                    \
    VALUE(bool, longLookActivated, "setLongLookActivated:")                                   \
    VALUE(bool, longLookActivationMethodWasSwipe, "setLongLookActivationMethodWasSwipe:")

BRIDGE_FIELDS(BRIDGE_OBJECT, BRIDGE_VALUE)

StrongId sharedInstanceMethod(id, SEL) { return StrongId(BLNotificationBridge::sharedInstance()); }
void notchWidthMethod(id self, SEL) { self_(self)->notchWidthForCurrentDeviceModel(); }
void getAverageColourMethod(id self, SEL, id image) { self_(self)->getAverageColour(image); }
void lightOrDarkMethod(id self, SEL, id colour) { self_(self)->determineWhetherUIColorIsLightOrDark(colour); }

} // namespace

void registerBLNotificationBridge(objc::Runtime& runtime)
{
    objc::Class cls = runtime.registerClass(BLNotificationBridge::kClassName, objc::objc_getClass("NSObject"),
                                            []() -> objc::Object* { return new BLNotificationBridge(); });
#define REGISTER_OBJECT(field, setter)                                                        \
    objc::addMethod(cls, objc::sel(#field), get_##field);                                     \
    objc::addMethod(cls, objc::sel(setter), set_##field);
#define REGISTER_VALUE(type, field, setter) REGISTER_OBJECT(field, setter)
    BRIDGE_FIELDS(REGISTER_OBJECT, REGISTER_VALUE)
#undef REGISTER_OBJECT
#undef REGISTER_VALUE
    objc::addClassMethod(cls, objc::sel("sharedInstance"), sharedInstanceMethod);
    objc::addMethod(cls, objc::sel("notchWidthForCurrentDeviceModel"), notchWidthMethod);
    objc::addMethod(cls, objc::sel("getAverageColour:"), getAverageColourMethod);
    objc::addMethod(cls, objc::sel("determineWhetherUIColorIsLightOrDark:"), lightOrDarkMethod);
}
