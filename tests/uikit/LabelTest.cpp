#include "UIKitFixture.h"

#include "foundation/NSString.h"
#include "objc/Message.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"

#include <cmath>
#include <stdexcept>
#include <string>

using objc::Id;

namespace {

const char* const kMessage = "Your package has been delivered to the front door. Tap to see the photo the courier left.";

class Label : public UIKitFixture {
protected:
    static Id newLabel(CGRect frame)
    {
        return objc::send<Id>(objc::send<Id>(objc::objc_getClass("UILabel"), "alloc"), "initWithFrame:", frame);
    }
    static zovo::TextMeasurement measure(const char* text, double size, double width, std::int64_t lines, NSLineBreakMode mode)
    {
        return zovo::measureText(text, zovo::FontDescriptor{zovo::systemFontFamily(), size}, width, lines, mode);
    }
};

TEST_F(Label, DefaultsThroughMessages)
{
    Id label = newLabel(CGRectZero);
    EXPECT_FALSE(objc::send<Id>(label, "text"));
    Id colour = objc::send<Id>(label, "textColor");
    const UIColor* black = objc::cast<UIColor>(colour);
    ASSERT_TRUE(black);
    EXPECT_EQ(black->red() + black->green() + black->blue(), 0.0);
    EXPECT_EQ(black->alpha(), 1.0);
    Id font = objc::send<Id>(label, "font");
    EXPECT_EQ(objc::send<double>(font, "pointSize"), 17.0);
    EXPECT_EQ(textOf(objc::send<Id>(font, "fontName")), zovo::systemFontFamily());
    EXPECT_EQ(objc::send<std::int64_t>(label, "lineBreakMode"), NSLineBreakByTruncatingTail);
    EXPECT_EQ(objc::send<std::int64_t>(label, "numberOfLines"), 1);
    EXPECT_EQ(objc::send<std::int64_t>(label, "textAlignment"), NSTextAlignmentLeft);
}

TEST_F(Label, PropertiesRoundTripAndNilRestoresDefaults)
{
    Id label = newLabel(CGRectZero);
    objc::send(label, "setText:", NSString::from("Delivered"));
    EXPECT_EQ(textOf(objc::send<Id>(label, "text")), "Delivered");
    EXPECT_EQ(objc::cast<UILabel>(label)->textString(), "Delivered");
    objc::send(label, "setText:", nullptr);
    EXPECT_FALSE(objc::send<Id>(label, "text"));
    EXPECT_EQ(objc::cast<UILabel>(label)->textString(), "");

    objc::send(label, "setTextColor:", UIColor::whiteColor());
    EXPECT_EQ(objc::cast<UIColor>(objc::send<Id>(label, "textColor"))->red(), 1.0);
    objc::send(label, "setTextColor:", nullptr);
    EXPECT_EQ(objc::cast<UIColor>(objc::send<Id>(label, "textColor"))->red(), 0.0);

    objc::send(label, "setFont:", UIFont::boldSystemFontOfSize(14));
    EXPECT_EQ(objc::send<double>(objc::send<Id>(label, "font"), "pointSize"), 14.0);
    objc::send(label, "setFont:", nullptr);
    EXPECT_EQ(objc::send<double>(objc::send<Id>(label, "font"), "pointSize"), 17.0);

    objc::send(label, "setLineBreakMode:", std::int64_t{NSLineBreakByWordWrapping});
    objc::send(label, "setNumberOfLines:", std::int64_t{0});
    objc::send(label, "setTextAlignment:", std::int64_t{NSTextAlignmentCenter});
    EXPECT_EQ(objc::send<std::int64_t>(label, "lineBreakMode"), NSLineBreakByWordWrapping);
    EXPECT_EQ(objc::send<std::int64_t>(label, "numberOfLines"), 0);
    EXPECT_EQ(objc::send<std::int64_t>(label, "textAlignment"), NSTextAlignmentCenter);
    EXPECT_EQ(objc::cast<UILabel>(label)->textStyle().alignment, NSTextAlignmentCenter);

    // Something that is not a string, colour or font would be read as the wrong thing: it fails loudly.
    EXPECT_THROW(objc::send(label, "setText:", UIColor::blackColor()), std::invalid_argument);
    EXPECT_THROW(objc::send(label, "setFont:", NSString::from("Inter")), std::invalid_argument);
}

TEST_F(Label, MultiLineSizeToFitWrapsAtItsWidthAndGrowsDown)
{
    // The banner's message label: placed by frame at width 189 with no height, then fitted.
    Id label = newLabel(CGRectMake(0, 25, 189, 0));
    objc::send(label, "setFont:", UIFont::systemFontOfSize(12));
    objc::send(label, "setLineBreakMode:", std::int64_t{NSLineBreakByWordWrapping});
    objc::send(label, "setNumberOfLines:", std::int64_t{0});
    objc::send(label, "setText:", NSString::from(kMessage));
    objc::send(label, "sizeToFit");
    const CGRect frame = objc::send<CGRect>(label, "frame");
    const zovo::TextMeasurement expected = measure(kMessage, 12, 189, 0, NSLineBreakByWordWrapping);
    EXPECT_EQ(frame.origin, CGPointMake(0, 25));
    EXPECT_LE(frame.size.width, 189);
    EXPECT_GT(frame.size.width, 150); // the widest line, nearly the full width
    EXPECT_EQ(frame.size.height, expected.size.height);
    EXPECT_GE(expected.lines, 3);
    // Fitting again at the fitted width changes nothing.
    objc::send(label, "sizeToFit");
    EXPECT_EQ(objc::send<CGRect>(label, "frame"), frame);
}

TEST_F(Label, SingleLineSizeToFitTakesTheWholeTextOnOneLine)
{
    auto label = makeView<UILabel>(CGRectMake(30, 5, 40, 100));
    label->setFont(UIFont::systemFontOfSize(14).get());
    label->setTextString("Package delivered today");
    label->sizeToFit();
    const CGSize natural = measure("Package delivered today", 14, 0, 1, NSLineBreakByTruncatingTail).size;
    EXPECT_GT(natural.width, 40);
    EXPECT_EQ(label->frame(), CGRectMake(30, 5, natural.width, std::ceil(label->font()->lineHeight())));
    EXPECT_EQ(label->intrinsicContentSize(), natural);
}

TEST_F(Label, EmptyOrClearedTextSizesToZero)
{
    auto label = makeView<UILabel>(CGRectMake(3, 4, 100, 20));
    label->sizeToFit();
    EXPECT_EQ(label->frame(), CGRectMake(3, 4, 0, 0));
    label->setTextString("Hello");
    EXPECT_GT(label->intrinsicContentSize().width, 0);
    label->setText(nullptr);
    EXPECT_EQ(label->intrinsicContentSize(), CGSizeMake(0, 0));
}

TEST_F(Label, IntrinsicSizeWrapsAtTheFrameWidthOnlyWhenLinesAreUnlimited)
{
    auto label = makeView<UILabel>(CGRectMake(0, 0, 189, 0));
    label->setFont(UIFont::systemFontOfSize(12).get());
    label->setTextString(kMessage);
    const CGSize oneLine = label->intrinsicContentSize();
    EXPECT_GT(oneLine.width, 189); // one line: the frame's width does not matter
    label->setNumberOfLines(0);
    EXPECT_EQ(label->intrinsicContentSize(), measure(kMessage, 12, 189, 0, NSLineBreakByTruncatingTail).size);
    label->setFrame(CGRectMake(0, 0, 0, 0)); // no width to wrap at: the natural size
    EXPECT_EQ(label->intrinsicContentSize().width, oneLine.width);
}

TEST_F(Label, TextAndFontChangesRemeasureAndAskForLayout)
{
    auto parent = makeView<UIView>(CGRectMake(0, 0, 300, 100));
    auto label = makeView<UILabel>(CGRectMake(0, 0, 100, 20));
    parent->addSubview(label);
    label->setTextString("Title");
    const CGSize before = label->intrinsicContentSize();
    process.mainRunLoop().runUntilIdle();
    ASSERT_FALSE(label->needsLayout());
    ASSERT_FALSE(parent->needsLayout());

    label->setFont(UIFont::systemFontOfSize(30).get());
    EXPECT_TRUE(label->needsLayout());
    EXPECT_TRUE(parent->needsLayout());
    const CGSize larger = label->intrinsicContentSize();
    EXPECT_GT(larger.height, before.height);
    process.mainRunLoop().runUntilIdle();

    label->setTextString("A much longer title");
    EXPECT_TRUE(parent->needsLayout());
    EXPECT_GT(label->intrinsicContentSize().width, larger.width);
    process.mainRunLoop().runUntilIdle();
    label->setTextString("A much longer title"); // the same text: nothing to do
    EXPECT_FALSE(parent->needsLayout());
}

// ---- Image views ----------------------------------------------------------------------------

// An image of a given size, registered under UIImage (or a stand-in for it while that class is
// not part of the process), answering only `size`.
class SizedImage : public objc::Object {
public:
    static constexpr const char* kClassName = "ZovoTestSizedImage";
    CGSize size{};
};

class ImageView : public UIKitFixture {
protected:
    ImageView()
    {
        objc::Runtime& runtime = process.runtime();
        objc::Class base = runtime.lookUpClass("UIImage");
        if (!base) base = runtime.registerClass("UIImage", runtime.lookUpClass("NSObject"), []() -> objc::Object* { return new objc::Object(); });
        objc::Class cls = runtime.registerClass(SizedImage::kClassName, base, []() -> objc::Object* { return new SizedImage(); });
        objc::addMethod(cls, objc::sel("size"), +[](objc::id self, objc::SEL) { return static_cast<SizedImage*>(self)->size; });
    }
    static objc::Ref<SizedImage> image(double w, double h)
    {
        auto i = objc::make<SizedImage>();
        i->size = CGSizeMake(w, h);
        return i;
    }
};

TEST_F(ImageView, IntrinsicSizeIsTheImagesOrNoMetric)
{
    auto view = makeView<UIImageView>(CGRectMake(0, 4, 20, 20));
    EXPECT_EQ(view->intrinsicContentSize(), CGSizeMake(UIViewNoIntrinsicMetric, UIViewNoIntrinsicMetric));
    auto icon = image(60, 40);
    objc::send(view, "setImage:", icon);
    EXPECT_EQ(objc::send<Id>(view, "image").get(), icon.get());
    EXPECT_EQ(objc::send<CGSize>(view, "intrinsicContentSize"), CGSizeMake(60, 40));
    EXPECT_EQ(view->frame(), CGRectMake(0, 4, 20, 20)); // setting an image does not resize the view
    objc::send(view, "setImage:", nullptr);
    EXPECT_FALSE(objc::send<Id>(view, "image"));
    EXPECT_EQ(view->intrinsicContentSize().width, UIViewNoIntrinsicMetric);
}

TEST_F(ImageView, InitWithImageTakesTheImagesSizeAndKeepsTheImage)
{
    objc::WeakRef<SizedImage> weak;
    Id view;
    {
        auto icon = image(29, 29);
        weak = icon.get();
        view = objc::send<Id>(objc::send<Id>(objc::objc_getClass("UIImageView"), "alloc"), "initWithImage:", icon);
    }
    ASSERT_TRUE(weak);
    EXPECT_EQ(objc::send<CGRect>(view, "frame"), CGRectMake(0, 0, 29, 29));
    objc::send(view, "setImage:", nullptr);
    EXPECT_FALSE(weak);

    Id empty = objc::send<Id>(objc::send<Id>(objc::objc_getClass("UIImageView"), "alloc"), "initWithImage:", nullptr);
    EXPECT_EQ(objc::send<CGRect>(empty, "frame"), CGRectMake(0, 0, 0, 0));
}

TEST_F(ImageView, RejectsWhatIsNotAnImage)
{
    auto view = makeView<UIImageView>(CGRectZero);
    auto icon = image(10, 10);
    view->setImage(icon.get());
    EXPECT_THROW(objc::send(view, "setImage:", NSString::from("icon.png")), std::invalid_argument);
    EXPECT_EQ(view->image(), icon.get()); // the image it had stays
}

} // namespace
