#include "TweakFixture.h"

#include "tweak/UIColor+Conversion.h"

namespace {

class ColourConversion : public TweakFixture {
protected:
    ColourConversion() { load(); }
    std::uint32_t scan(const char* s) { return zovorudovu::intFromHexString(NSString::from(s).get()); }
    UIColor* colour(const char* s, double alpha = 1.0)
    {
        kept = objc::send<objc::StrongId>(objc::objc_getClass("UIColor"), "getUIColorObjectFromHexString:alpha:", text(s), alpha);
        return objc::cast<UIColor>(kept);
    }
    objc::StrongId kept;
};

TEST_F(ColourConversion, ScansHexWithLeadingHashesAndOptionalPrefix)
{
    EXPECT_EQ(scan("FF8000"), 0xFF8000u);
    EXPECT_EQ(scan("##ff8000"), 0xFF8000u);
    EXPECT_EQ(scan("0xFF8000"), 0xFF8000u);
    EXPECT_EQ(scan("#0XabC"), 0xABCu);
    EXPECT_EQ(scan("12zz34"), 0x12u) << "stops at the first non-hex character";
    EXPECT_EQ(scan("FFFFFFFFFF"), 0xFFFFFFFFu) << "overflow gives the largest value";
}

TEST_F(ColourConversion, FailedScansGiveZero)
{
    EXPECT_EQ(scan(" #FF8000"), 0u) << "white space is not skipped";
    EXPECT_EQ(scan(""), 0u);
    EXPECT_EQ(scan("###"), 0u);
    EXPECT_EQ(scan("xyz"), 0u);
}

TEST_F(ColourConversion, ComponentsComeFromTheLowTwentyFourBits)
{
    UIColor* c = colour("#FF8000");
    EXPECT_EQ(c->red(), 1.0);
    EXPECT_EQ(c->green(), 128 / 255.0);
    EXPECT_EQ(c->blue(), 0.0);
    EXPECT_EQ(c->alpha(), 1.0);
    UIColor* shortForm = colour("#FFF");
    EXPECT_EQ(shortForm->red(), 0.0) << "three-digit forms are not expanded";
    EXPECT_EQ(shortForm->green(), 15 / 255.0);
    EXPECT_EQ(shortForm->blue(), 1.0);
    UIColor* eight = colour("12345678", 0.3);
    EXPECT_EQ(eight->red(), 0x34 / 255.0) << "the top byte is dropped";
    EXPECT_EQ(eight->blue(), 0x78 / 255.0);
    EXPECT_EQ(eight->alpha(), 0.3);
    UIColor* blank = colour(" #FF8000", 0.7);
    EXPECT_EQ(blank->red() + blank->green() + blank->blue(), 0.0);
    EXPECT_EQ(blank->alpha(), 0.7);
}

} // namespace
