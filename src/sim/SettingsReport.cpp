#include "sim/SettingsReport.h"

#include "foundation/Json.h"
#include "foundation/NSArray.h"
#include "foundation/NSDate.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "objc/Message.h"
#include "tweak/BLNotificationBridge.h"
#include "tweak/Tweak.h"
#include "uikit/UIColor.h"

#include <cctype>
#include <cmath>

namespace zovo {
namespace {


enum class Expect { Flag, Colour, Number };
struct Key {
    const char* name;
    Expect expect;
    const char* fallback;
};
constexpr Key kKeys[] = {
    {"isEnabled", Expect::Flag, "true"},          {"bgColour", Expect::Colour, "black"},
    {"textColour", Expect::Colour, "white"},      {"adaptiveColours", Expect::Flag, "false"},
    {"showGrabber", Expect::Flag, "true"},        {"showTimestamp", Expect::Flag, "true"},
    {"customWidth", Expect::Flag, "false"},       {"customWidthValue", Expect::Number, "209"},
};

const char* kindOf(objc::id value)
{
    if (auto* n = objc::cast<NSNumber>(value)) return n->kind() == NSNumber::Kind::Bool ? "a boolean" : "a number";
    if (objc::cast<NSString>(value)) return "text";
    if (objc::cast<NSDate>(value)) return "a date";
    if (objc::cast<NSDictionary>(value)) return "a dictionary";
    if (objc::cast<NSArray>(value)) return "an array";
    return "a value of another kind";
}

// Keys and texts come from the user's file and may not be UTF-8; the writer repairs them.
std::string quoted(const std::string& s) { return toJsonText(Json(s), JsonStyle::Compact); }

// A number as a person would write it; JSON has no words for NaN and the infinities.
std::string numberText(double width)
{
    if (std::isnan(width)) return "not a number";
    if (std::isinf(width)) return width > 0 ? "infinity" : "minus infinity";
    if (width == std::floor(width) && std::fabs(width) < 1e15) return std::to_string(static_cast<long long>(width));
    return Json(width).dump();
}

// What the colour parser will make of a colour text, told in words when it is likely a mistake.
void checkColourText(const std::string& key, const std::string& text, std::vector<std::string>& warnings)
{
    std::string hex = text.substr(0, text.find(':'));
    std::size_t i = 0;
    while (i < hex.size() && hex[i] == '#') ++i;
    if (i >= hex.size() || !std::isxdigit(static_cast<unsigned char>(hex[i])))
        warnings.push_back(quoted(key) + " is " + quoted(text) + ": its hexadecimal part scans to nothing (a leading blank or a non-hex character), which gives black");
    if (auto colon = text.find(':'); colon != std::string::npos) {
        std::string alpha = text.substr(colon + 1);
        std::size_t j = 0;
        while (j < alpha.size() && std::isspace(static_cast<unsigned char>(alpha[j]))) ++j;
        if (j < alpha.size() && (alpha[j] == '+' || alpha[j] == '-')) ++j;
        // A number starts with a digit, or with a point that a digit follows: "." and "-.x" hold none.
        if (j < alpha.size() && alpha[j] == '.') ++j;
        if (j >= alpha.size() || !std::isdigit(static_cast<unsigned char>(alpha[j]))) {
            warnings.push_back(quoted(key) + " is " + quoted(text) + ": the alpha after ':' is not a number, which gives alpha 0 (fully transparent)");
            return;
        }
        // Read as the component reads it: the text up to the next ':' as a float.
        const float value = NSString::from(alpha.substr(0, alpha.find(':')))->floatValue();
        if (!(value >= 0 && value <= 1))
            warnings.push_back(quoted(key) + " is " + quoted(text) + ": the alpha " + numberText(value) +
                               " is outside 0 to 1; it is kept, and drawn as " + (value > 1 ? "1 (opaque)" : "0 (fully transparent)"));
    }
}

void checkKeys(const NSDictionary* settings, const DeviceProfile& device, std::vector<std::string>& warnings)
{
    for (const auto& [key, value] : settings->entries()) {
        const Key* known = nullptr;
        for (const auto& k : kKeys)
            if (key == k.name) known = &k;
        if (!known) {
            warnings.push_back("unknown key " + quoted(key) + " is ignored");
            continue;
        }
        const bool isNumber = objc::cast<NSNumber>(value) != nullptr;
        const bool isText = objc::cast<NSString>(value) != nullptr;
        switch (known->expect) {
        case Expect::Flag:
            if (isText)
                warnings.push_back(quoted(key) + " should be a boolean but is text; it is read as " +
                                   (objc::cast<NSString>(value)->boolValue() ? "true" : "false"));
            else if (!isNumber)
                warnings.push_back(quoted(key) + " should be a boolean but is " + kindOf(value.get()) + "; the default (" + known->fallback + ") is used");
            break;
        case Expect::Number:
            if (!isText && !isNumber) {
                warnings.push_back(quoted(key) + " should be a number but is " + kindOf(value.get()) + "; the default (" + known->fallback + ") is used");
                break;
            }
            if (const double width = objc::send<double>(value, "doubleValue"); !zovorudovu::isUsableCustomWidth(width))
                warnings.push_back(quoted(key) + " is " + (isText ? "the text " + quoted(objc::cast<NSString>(value)->utf8()) + ", read as " : std::string()) +
                                   numberText(width) + ", which is no usable width (at least 1 and at most " + numberText(zovorudovu::kWidestScreen) +
                                   " points); the default (" + known->fallback + ") is used");
            else if (isText)
                warnings.push_back(quoted(key) + " should be a number but is text; it is read as " + Json(objc::cast<NSString>(value)->floatValue()).dump());
            if (const double width = objc::send<double>(value, "doubleValue"); zovorudovu::isUsableCustomWidth(width) && width > device.screen.width)
                warnings.push_back(quoted(key) + " is " + numberText(width) + ", wider than the screen of the " + std::string(device.name) + " (" +
                                   numberText(device.screen.width) + " points); the banner there is as wide as the screen");
            break;
        case Expect::Colour:
            if (!isText)
                warnings.push_back(quoted(key) + " should be colour text (hex digits, optionally \":alpha\") but is " + kindOf(value.get()) + "; the default (" + known->fallback + ") is used");
            else
                checkColourText(key, objc::cast<NSString>(value)->utf8(), warnings);
            break;
        }
    }
}

Json colourJson(const UIColor* colour)
{
    if (!colour) return nullptr;
    // An alpha from the file may be any float; JSON has no infinity, so those are told in words.
    const double alpha = colour->alpha();
    return Json{{"red", colour->red()}, {"green", colour->green()}, {"blue", colour->blue()}, {"alpha", std::isfinite(alpha) ? Json(alpha) : Json(numberText(alpha))}};
}

} // namespace

std::vector<std::string> settingsWarnings(const NSDictionary* settings, const DeviceProfile& device)
{
    std::vector<std::string> warnings;
    if (settings) checkKeys(settings, device, warnings);
    return warnings;
}

SettingsReport reportSettings(const NSDictionary* settings, const DeviceProfile& device)
{
    const auto& g = zovorudovu::globals();
    const BLNotificationBridge* bridge = BLNotificationBridge::sharedInstance();
    Json out;
    out["isEnabled"] = g.isEnabled;
    out["bgColour"] = colourJson(g.bgColour.get());
    out["textColour"] = colourJson(g.textColour.get());
    out["adaptiveColours"] = bridge->adaptiveColours;
    out["showGrabber"] = bridge->showGrabber;
    out["showTimestamp"] = bridge->showTimestamp;
    out["customWidth"] = bridge->customWidth;
    out["customWidthValue"] = bridge->customWidthValue;
    out["hooksInstalled"] = g.hooksInstalled;
    return {std::move(out), settingsWarnings(settings, device)};
}

} // namespace zovo
