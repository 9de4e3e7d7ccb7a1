#include "RenderFixture.h"

#include "render/CairoPainter.h"
#include "render/ViewPainting.h"
#include "uikit/CAShapeLayer.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UILabel.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

// Records the text a view tree asks for, in screen coordinates, and draws nothing.
class RecordingPainter final : public zovo::Painter {
public:
    struct Text {
        std::string text;
        zovo::TextStyle style;
        CGRect rect;
    };
    std::vector<Text> texts;

    void save() override { saved_.push_back(offset_); }
    void restore() override
    {
        offset_ = saved_.back();
        saved_.pop_back();
    }
    void translate(double dx, double dy) override { offset_ = CGPointMake(offset_.x + dx, offset_.y + dy); }
    void clipToRect(CGRect) override {}
    void clipToRoundedRect(CGRect, double) override {}
    void clipToPath(const CGPath&) override {}
    CGRect clipBounds() const override { return CGRectMake(-1e5, -1e5, 2e5, 2e5); }
    void fillRect(CGRect, zovo::RGBA) override {}
    void fillRoundedRect(CGRect, double, zovo::RGBA) override {}
    void fillPath(const CGPath&, zovo::RGBA) override {}
    void fillRectWithLinearGradient(CGRect, CGPoint, CGPoint, std::span<const zovo::GradientStop>) override {}
    void drawImage(const std::shared_ptr<const CGImage>&, CGRect) override {}
    void drawText(std::string_view text, const zovo::TextStyle& style, CGRect rect) override
    {
        texts.push_back({std::string(text), style, CGRectMake(rect.origin.x + offset_.x, rect.origin.y + offset_.y, rect.size.width, rect.size.height)});
    }
    void drawBitmap(const zovo::Frame&, CGPoint, zovo::BitmapBlend) override {}
    void beginGroup() override {}
    void endGroup(double) override {}

private:
    CGPoint offset_{};
    std::vector<CGPoint> saved_;
};

class ViewPainting : public RenderFixture {
protected:
    // Paints `view` on white at scale 1.
    static zovo::Frame paint(const UIView& view, CGSize size = CGSizeMake(200, 200))
    {
        zovo::Frame frame(static_cast<int>(size.width), static_cast<int>(size.height), 1.0);
        zovo::CairoPainter painter(frame);
        painter.fillRect(CGRectMake(0, 0, size.width, size.height), {1, 1, 1, 1});
        zovo::paintView(painter, view);
        EXPECT_TRUE(painter.ok());
        return frame;
    }

};

TEST_F(ViewPainting, CornerRadiusWithoutClippingRoundsOnlyTheBackground)
{
    // A red view with round corners, filled by a blue subview.
    auto root = makeView<UIView>(CGRectMake(0, 0, 200, 200));
    auto red = addView(root.get(), CGRectMake(50, 50, 100, 100), 1, 0, 0);
    red->layer()->setCornerRadius(30);
    auto blue = addView(red.get(), CGRectMake(0, 0, 100, 100), 0, 0, 1);
    EXPECT_TRUE(isColour(paint(*root).pixelAt(51, 51), 0, 0, 255)); // the subview still reaches the corner
    blue->setHidden(true);
    EXPECT_TRUE(isColour(paint(*root).pixelAt(51, 51), 255, 255, 255)); // the background is rounded
    EXPECT_TRUE(isColour(paint(*root).pixelAt(51, 100), 255, 0, 0));
    blue->setHidden(false);
    red->setClipsToBounds(true);
    const zovo::Frame clipped = paint(*root);
    EXPECT_TRUE(isColour(clipped.pixelAt(51, 51), 255, 255, 255));
    EXPECT_TRUE(isColour(clipped.pixelAt(100, 100), 0, 0, 255));
}

TEST_F(ViewPainting, ClipsToBoundsCutsSubviewsThatReachOutside)
{
    auto root = makeView<UIView>(CGRectMake(0, 0, 200, 200));
    auto box = addView(root.get(), CGRectMake(50, 50, 50, 50), 1, 0, 0);
    addView(box.get(), CGRectMake(40, 0, 80, 20), 0, 0, 1);
    EXPECT_TRUE(isColour(paint(*root).pixelAt(120, 55), 0, 0, 255));
    box->setClipsToBounds(true);
    EXPECT_TRUE(isColour(paint(*root).pixelAt(120, 55), 255, 255, 255));
    EXPECT_TRUE(isColour(paint(*root).pixelAt(95, 55), 0, 0, 255));
}

TEST_F(ViewPainting, ShapeMaskIsPlacedByItsFrameInTheLayersCoordinates)
{
    auto root = makeView<UIView>(CGRectMake(0, 0, 200, 200));
    auto box = addView(root.get(), CGRectMake(50, 50, 100, 100), 1, 0, 0);
    auto mask = objc::make<CAShapeLayer>();
    const CGPath square = CGPath::rectangle(CGRectMake(0, 0, 20, 20));
    mask->setPath(&square);
    mask->setFrame(CGRectMake(30, 10, 20, 20));
    box->layer()->setMask(mask.get());

    const zovo::Frame frame = paint(*root);
    EXPECT_TRUE(isColour(frame.pixelAt(90, 70), 255, 0, 0));     // (40, 20) in the box: inside the mask
    EXPECT_TRUE(isColour(frame.pixelAt(60, 60), 255, 255, 255)); // (10, 10): the path's place without the offset
}

TEST_F(ViewPainting, MaskWithNothingToFillHidesTheView)
{
    auto root = makeView<UIView>(CGRectMake(0, 0, 200, 200));
    auto box = addView(root.get(), CGRectMake(50, 50, 100, 100), 1, 0, 0);
    box->layer()->setMask(objc::make<CAShapeLayer>().get());
    EXPECT_TRUE(isColour(paint(*root).pixelAt(100, 100), 255, 255, 255));
    box->layer()->setMask(objc::make<CALayer>().get());
    EXPECT_TRUE(isColour(paint(*root).pixelAt(100, 100), 255, 255, 255));
    EXPECT_FALSE(zovo::paintedExtent(*box));
}

TEST_F(ViewPainting, NestedTranslucencyMultiplies)
{
    auto root = makeView<UIView>(CGRectMake(0, 0, 200, 200));
    auto outer = makeView<UIView>(CGRectMake(0, 0, 200, 200));
    root->addSubview(outer);
    auto inner = addView(outer.get(), CGRectMake(50, 50, 100, 100), 0, 0, 0);
    outer->setAlpha(0.5);
    inner->setAlpha(0.5);
    EXPECT_TRUE(isColour(paint(*root).pixelAt(100, 100), 191, 191, 191, 2)); // black at a quarter over white
}

TEST_F(ViewPainting, LabelIsDrawnWithTheStyleAndSizeItWasMeasuredWith)
{
    auto window = makeView<UIView>(CGRectMake(0, 0, 390, 844));
    auto card = makeView<UIView>(CGRectMake(90, 20, 210, 120));
    window->addSubview(card);
    auto label = makeView<UILabel>(CGRectMake(38, 25, 160, 0));
    label->setNumberOfLines(0);
    label->setFont(UIFont::systemFontOfSize(12).get());
    label->setTextString("A message long enough to wrap onto a second line");
    label->sizeToFit();
    card->addSubview(label);

    RecordingPainter painter;
    zovo::paintView(painter, *window);
    ASSERT_EQ(painter.texts.size(), 1u);
    const auto& drawn = painter.texts[0];
    EXPECT_EQ(drawn.text, label->textString());
    EXPECT_EQ(drawn.style.font, label->font()->descriptor());
    EXPECT_EQ(drawn.style.numberOfLines, 0);
    EXPECT_EQ(drawn.style.lineBreakMode, label->lineBreakMode());
    EXPECT_EQ(drawn.rect, CGRectMake(128, 45, label->frame().size.width, label->frame().size.height));
    // What sizeToFit measured at this width is what the drawing lays out: the same lines.
    const auto measured = zovo::measureText(drawn.text, drawn.style.font, drawn.rect.size.width, 0, drawn.style.lineBreakMode);
    EXPECT_EQ(measured.size, label->frame().size);
}

TEST_F(ViewPainting, ImageViewScalesItsImageSmoothlyWithoutFadingTheEdges)
{
    // Two pixels, red and blue, stretched over 40 × 10 points.
    auto image = UIImage::fromPixels(2, 1, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight}, {255, 0, 0, 255, 0, 0, 255, 255});
    auto root = makeView<UIView>(CGRectMake(0, 0, 100, 100));
    auto imageView = makeView<UIImageView>(CGRectMake(10, 10, 40, 10));
    imageView->setImage(image.get());
    root->addSubview(imageView);

    const zovo::Frame frame = paint(*root, CGSizeMake(100, 100));
    EXPECT_TRUE(isColour(frame.pixelAt(10, 15), 255, 0, 0));
    EXPECT_TRUE(isColour(frame.pixelAt(49, 10), 0, 0, 255));
    const zovo::RGBA8 middle = frame.pixelAt(30, 15); // filtered: a blend, not one of the two
    EXPECT_GT(middle.red, 60);
    EXPECT_GT(middle.blue, 60);
    EXPECT_TRUE(isColour(frame.pixelAt(51, 15), 255, 255, 255)); // nothing beyond the view
}

TEST_F(ViewPainting, UnusableFramesAreSkippedWithoutSpoilingTheRest)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    auto root = makeView<UIView>(CGRectMake(0, 0, 200, 200));
    addView(root.get(), CGRectMake(nan, 0, 100, 100), 0, 0, 1);
    addView(root.get(), CGRectMake(0, 0, std::numeric_limits<double>::infinity(), 100), 0, 0, 1);
    addView(root.get(), CGRectMake(1e300, 1e300, 1e300, 1e300), 0, 0, 1);
    auto huge = addView(root.get(), CGRectMake(0, 0, 50, 50), 0, 0, 1);
    huge->layer()->setCornerRadius(nan);
    addView(root.get(), CGRectMake(100, 100, 50, 50), 1, 0, 0);

    const zovo::Frame frame = paint(*root); // checks the painter stayed usable
    EXPECT_TRUE(isColour(frame.pixelAt(125, 125), 255, 0, 0));
    EXPECT_TRUE(isColour(frame.pixelAt(0, 0), 0, 0, 255)); // a radius that is not a number is no radius
}

TEST_F(ViewPainting, PaintedExtentReachesSubviewsUnlessClipped)
{
    auto box = makeView<UIView>(CGRectMake(10, 10, 50, 50));
    addView(box.get(), CGRectMake(40, -5, 30, 10), 0, 0, 1);
    EXPECT_EQ(zovo::paintedExtent(*box), CGRectMake(10, 5, 70, 55));
    box->setClipsToBounds(true);
    EXPECT_EQ(zovo::paintedExtent(*box), CGRectMake(10, 10, 50, 50));
    box->setHidden(true);
    EXPECT_FALSE(zovo::paintedExtent(*box));
}

} // namespace
