#include "TweakFixture.h"

#include "tweak/UIColor+Conversion.h"

namespace {

using ColourConversion = TweakFixture;

TEST_F(ColourConversion, HexTextScansAsTheSettingsWriteItAndItsLowTwentyFourBitsAreTheColour)
{
    load();
    const struct {
        const char* text;
        std::uint32_t value;
    } scans[] = {
        {"FF8000", 0xFF8000u}, {"##ff8000", 0xFF8000u}, {"0xFF8000", 0xFF8000u}, {"#0XabC", 0xABCu},
        {"12zz34", 0x12u},          // stops at the first non-hex character
        {"FFFFFFFFFF", 0xFFFFFFFFu}, // overflow gives the largest value
        {" #FF8000", 0u},           // white space is not skipped
        {"", 0u},                   {"###", 0u}, {"xyz", 0u},
    };
    for (const auto& s : scans) EXPECT_EQ(zovorudovu::intFromHexString(NSString::from(s.text).get()), s.value) << s.text;

    const struct {
        const char* text;
        double alpha, red, green, blue;
    } colours[] = {
        {"#FF8000", 1.0, 1.0, 128 / 255.0, 0.0},
        {"#FFF", 1.0, 0.0, 15 / 255.0, 1.0}, // three-digit forms are not expanded
        {"12345678", 0.3, 0x34 / 255.0, 0x56 / 255.0, 0x78 / 255.0}, // the top byte is dropped
        {" #FF8000", 0.7, 0, 0, 0},
    };
    for (const auto& c : colours) {
        objc::StrongId made = objc::send<objc::StrongId>(objc::objc_getClass("UIColor"), "getUIColorObjectFromHexString:alpha:", text(c.text), c.alpha);
        auto* colour = objc::cast<UIColor>(made);
        EXPECT_EQ(colour->red(), c.red) << c.text;
        EXPECT_EQ(colour->green(), c.green) << c.text;
        EXPECT_EQ(colour->blue(), c.blue) << c.text;
        EXPECT_EQ(colour->alpha(), c.alpha) << c.text;
    }
}

} // namespace
