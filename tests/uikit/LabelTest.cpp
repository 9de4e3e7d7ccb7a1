#include "UIKitFixture.h"

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"

#include <cmath>
#include <stdexcept>
#include <string>

using objc::StrongId;

namespace {

const char* const kMessage = "Your package has been delivered to the front door. Tap to see the photo the courier left.";

CGSize measured(const char* text, double size, double width, std::int64_t lines)
{
    return zovo::measureText(text, zovo::FontDescriptor{zovo::systemFontFamily(), size}, width, lines, NSLineBreakByWordWrapping).size;
}

using Label = UIKitFixture;
using ImageView = UIKitFixture;

TEST_F(Label, NilRestoresTheDefaultsOtherTypesAreRefusedAndChangesRemeasureAndAskForLayout)
{
    StrongId fresh = objc::send<StrongId>(objc::send<StrongId>(objc::objc_getClass("UILabel"), "alloc"), "initWithFrame:", CGRectZero);
    objc::send(fresh, "setText:", NSString::from("Delivered"));
    objc::send(fresh, "setTextColor:", UIColor::whiteColor());
    objc::send(fresh, "setFont:", UIFont::boldSystemFontOfSize(14));
    objc::send(fresh, "setText:", nullptr);
    objc::send(fresh, "setTextColor:", nullptr);
    objc::send(fresh, "setFont:", nullptr);
    EXPECT_FALSE(objc::send<StrongId>(fresh, "text"));
    EXPECT_EQ(objc::cast<UILabel>(fresh)->textString(), "");
    objc::StrongRef<UIColor> colour = objc::cast<UIColor>(objc::send<StrongId>(fresh, "textColor"));
    ASSERT_TRUE(colour);
    EXPECT_EQ(colour->red() + colour->green() + colour->blue(), 0.0) << "black";
    auto clear = UIColor::clearColor();
    EXPECT_EQ(clear->red() + clear->green() + clear->blue() + clear->alpha(), 0.0);
    EXPECT_EQ(objc::send<double>(objc::send<StrongId>(fresh, "font"), "pointSize"), 17.0);

    // Something that is not a string or font would be read as the wrong thing: it fails loudly.
    EXPECT_THROW(objc::send(fresh, "setText:", UIColor::blackColor()), std::invalid_argument);
    EXPECT_THROW(objc::send(fresh, "setFont:", NSString::from("Inter")), std::invalid_argument);

    // Text and font changes remeasure and ask for layout.
    auto parent = makeView<UIView>(CGRectMake(0, 0, 300, 100));
    auto label = makeView<UILabel>(CGRectMake(0, 0, 100, 20));
    parent->addSubview(label.get());
    label->setTextString("Title");
    const CGSize before = label->intrinsicContentSize();
    process.mainRunLoop().runUntilIdle();
    ASSERT_FALSE(parent->needsLayout());

    label->setFont(UIFont::systemFontOfSize(30).get());
    EXPECT_TRUE(label->needsLayout() && parent->needsLayout());
    const CGSize larger = label->intrinsicContentSize();
    EXPECT_GT(larger.height, before.height);
    process.mainRunLoop().runUntilIdle();
    label->setTextString("Title, longer");
    EXPECT_TRUE(parent->needsLayout());
    EXPECT_GT(label->intrinsicContentSize().width, larger.width);
    process.mainRunLoop().runUntilIdle();
    label->setTextString("Title, longer"); // the same text: nothing to do
    EXPECT_FALSE(parent->needsLayout());
    label->setLineBreakMode(NSLineBreakByCharWrapping);
    EXPECT_TRUE(parent->needsLayout());
}

// The banner's message label is placed by frame at width 189 with no height, then fitted: it wraps
// at that width and grows down. A single-line label takes the whole text on one line, whatever its
// frame; empty text takes no space.
TEST_F(Label, SizeToFitAndIntrinsicSizeWrapAtTheFrameWidthOnlyWhenLinesAreUnlimited)
{
    auto label = makeView<UILabel>(CGRectMake(0, 25, 189, 0));
    label->setFont(UIFont::systemFontOfSize(12).get());
    label->setTextString(kMessage);
    const CGSize oneLine = measured(kMessage, 12, 0, 1);
    EXPECT_GT(oneLine.width, 189);
    EXPECT_EQ(label->intrinsicContentSize(), oneLine);
    label->setNumberOfLines(0);
    EXPECT_EQ(label->intrinsicContentSize(), measured(kMessage, 12, 189, 0));
    objc::send(label, "sizeToFit");
    const CGRect frame = label->frame();
    EXPECT_EQ(frame.origin, CGPointMake(0, 25));
    EXPECT_GT(frame.size.width, 150); // the widest line, nearly the full width
    EXPECT_EQ(frame.size, measured(kMessage, 12, 189, 0));
    EXPECT_GE(frame.size.height, 3 * label->font()->lineHeight());
    label->sizeToFit(); // fitting again at the fitted width changes nothing
    EXPECT_EQ(label->frame(), frame);
    label->setFrame(CGRectMake(0, 0, 0, 0)); // no width to wrap at: the natural size
    EXPECT_EQ(label->intrinsicContentSize().width, oneLine.width);

    label->setNumberOfLines(1);
    label->setFrame(CGRectMake(30, 5, 40, 100));
    label->sizeToFit();
    EXPECT_EQ(label->frame(), CGRectMake(30, 5, oneLine.width, std::ceil(label->font()->lineHeight())));
    label->setText(nullptr);
    EXPECT_EQ(label->intrinsicContentSize(), CGSizeMake(0, 0));
    label->sizeToFit();
    EXPECT_EQ(label->frame(), CGRectMake(30, 5, 0, 0));
}

// ---- Image views ----------------------------------------------------------------------------

objc::StrongRef<UIImage> imageOfSize(std::size_t w, std::size_t h)
{
    return UIImage::fromPixels(w, h, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight}, std::vector<std::uint8_t>(w * h * 4));
}

TEST_F(ImageView, InitWithImageTakesItsSizeAndLaterImagesSetOnlyTheIntrinsicSize)
{
    objc::Class cls = objc::objc_getClass("UIImageView");
    objc::WeakRef<UIImage> weak;
    StrongId view;
    {
        auto icon = imageOfSize(29, 29);
        weak = icon.get();
        view = objc::send<StrongId>(objc::send<StrongId>(cls, "alloc"), "initWithImage:", icon);
    }
    ASSERT_TRUE(weak) << "the view keeps its image";
    EXPECT_EQ(objc::send<CGRect>(view, "frame"), CGRectMake(0, 0, 29, 29));
    auto wide = imageOfSize(60, 40);
    objc::send(view, "setImage:", wide);
    EXPECT_FALSE(weak) << "and lets a replaced one go";
    EXPECT_EQ(objc::send<CGSize>(view, "intrinsicContentSize"), CGSizeMake(60, 40));
    EXPECT_EQ(objc::send<CGRect>(view, "frame"), CGRectMake(0, 0, 29, 29));
    EXPECT_THROW(objc::send(view, "setImage:", NSString::from("icon.png")), std::invalid_argument);
    EXPECT_EQ(objc::cast<UIImageView>(view)->image(), wide.get()) << "the image it had stays";
    objc::send(view, "setImage:", nullptr);
    EXPECT_EQ(objc::send<CGSize>(view, "intrinsicContentSize"), CGSizeMake(UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric));
    EXPECT_EQ(objc::send<CGRect>(objc::send<StrongId>(objc::send<StrongId>(cls, "alloc"), "initWithImage:", nullptr), "frame"), CGRectZero);
}

} // namespace
