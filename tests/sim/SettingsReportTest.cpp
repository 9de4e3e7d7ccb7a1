#include "sim/SettingsReport.h"

#include "foundation/NSDate.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The warnings for one key holding `value`, joined.
std::string warningsFor(const char* key, objc::StrongId value)
{
    std::string all;
    for (const auto& w : zovo::settingsWarnings(NSDictionary::from({{key, value}}).get())) all += w + "\n";
    return all;
}

TEST(SettingsReport, UnusableOrTooWideCustomWidthsAreNamed)
{
    zovo::Process process;
    for (double width : {1e300, -4.0, 0.0, 5000.0, std::nan(""), HUGE_VAL}) {
        const std::string w = warningsFor("customWidthValue", NSNumber::numberWithDouble(width));
        EXPECT_NE(w.find("no usable width"), std::string::npos) << width << ": " << w;
        EXPECT_NE(w.find("the default (209) is used"), std::string::npos) << w;
    }
    EXPECT_NE(warningsFor("customWidthValue", NSString::from("1e999")).find("infinity"), std::string::npos);
    // Usable widths: one wider than the screen (of the default device here) is said to be cut to it.
    EXPECT_EQ(warningsFor("customWidthValue", NSNumber::numberWithDouble(250)), "");
    EXPECT_EQ(warningsFor("customWidthValue", NSNumber::numberWithInteger(375)), "");
    EXPECT_EQ(warningsFor("customWidthValue", NSNumber::numberWithDouble(375.5)),
              "\"customWidthValue\" is 375.5, wider than the screen of the iPhone 11 Pro (375 points); the banner there is as wide as the screen\n");
}

TEST(SettingsReport, DatesAreNotNumbersAndCountAsAbsent)
{
    zovo::Process process;
    auto date = NSDate::dateWithTimeIntervalSinceReferenceDate(60);
    EXPECT_NE(warningsFor("customWidthValue", date).find("should be a number but is a date; the default (209) is used"), std::string::npos);
    EXPECT_NE(warningsFor("showGrabber", date).find("should be a boolean but is a date; the default (true) is used"), std::string::npos);
}

TEST(SettingsReport, AlphaWithoutANumberOrOutsideZeroToOneIsNamed)
{
    zovo::Process process;
    for (const char* colour : {"FF0000:abc", "FF0000:.", "FF0000:-.x", "FF0000:"})
        EXPECT_NE(warningsFor("bgColour", NSString::from(colour)).find("alpha after ':' is not a number"), std::string::npos) << colour;
    for (const char* colour : {"FF0000:.5", "FF0000:0", "FF0000: 1"}) EXPECT_EQ(warningsFor("bgColour", NSString::from(colour)), "") << colour;
    // A number outside 0 to 1 is kept as read, and named.
    const std::pair<const char*, const char*> outside[] = {{"FF0000:2", "alpha 2 is outside 0 to 1; it is kept, and drawn as 1 (opaque)"},
                                                           {"FF0000:-0.5", "alpha -0.5 is outside"},
                                                           {"FF0000:1e999:x", "alpha infinity is outside"}};
    for (const auto& [colour, said] : outside)
        EXPECT_NE(warningsFor("bgColour", NSString::from(colour)).find(said), std::string::npos) << warningsFor("bgColour", NSString::from(colour));
}

} // namespace
