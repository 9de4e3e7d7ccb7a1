#include "RenderFixture.h"

#include "render/CairoPainter.h"
#include "render/ViewPainting.h"
#include "uikit/CAShapeLayer.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"

#include <limits>

namespace {

// A 200 x 200 point root view, painted on white at one pixel a point.
class ViewPainting : public RenderFixture {
protected:
    zovo::Frame paint() const
    {
        zovo::Frame frame(200, 200, 1.0);
        zovo::CairoPainter painter(frame);
        painter.fillRect(CGRectMake(0, 0, 200, 200), {1, 1, 1, 1});
        zovo::paintView(painter, *root);
        EXPECT_TRUE(painter.ok());
        return frame;
    }

    objc::StrongRef<UIView> root = makeView<UIView>(CGRectMake(0, 0, 200, 200));
};

TEST_F(ViewPainting, CornerRadiusRoundsOnlyTheBackgroundUnlessClipsToBoundsCutsTheSubviewsToo)
{
    // A red box with round corners, a blue square in its corner and a blue bar reaching out.
    auto red = addView(root.get(), CGRectMake(50, 50, 100, 100), 1, 0, 0);
    red->layer()->setCornerRadius(30);
    addView(red.get(), CGRectMake(0, 0, 50, 50), 0, 0, 1);
    addView(red.get(), CGRectMake(90, -5, 60, 20), 0, 0, 1);
    zovo::Frame frame = paint();
    EXPECT_TRUE(isColour(frame.pixelAt(51, 51), 0, 0, 255));
    EXPECT_TRUE(isColour(frame.pixelAt(51, 148), 255, 255, 255));
    EXPECT_TRUE(isColour(frame.pixelAt(170, 55), 0, 0, 255));
    EXPECT_EQ(zovo::paintedExtent(*red), CGRectMake(50, 45, 150, 105));

    red->setClipsToBounds(true);
    frame = paint();
    EXPECT_TRUE(isColour(frame.pixelAt(51, 51), 255, 255, 255));
    EXPECT_TRUE(isColour(frame.pixelAt(60, 60), 0, 0, 255));
    EXPECT_TRUE(isColour(frame.pixelAt(170, 55), 255, 255, 255));
    EXPECT_EQ(zovo::paintedExtent(*red), CGRectMake(50, 50, 100, 100));
}

TEST_F(ViewPainting, ShapeMaskIsPlacedByItsFrameAndAMaskWithNothingToFillHidesTheView)
{
    auto box = addView(root.get(), CGRectMake(50, 50, 100, 100), 1, 0, 0);
    auto mask = objc::make<CAShapeLayer>();
    const CGPath square = CGPath::rectangle(CGRectMake(0, 0, 20, 20));
    mask->setPath(&square);
    mask->setFrame(CGRectMake(30, 10, 20, 20));
    box->layer()->setMask(mask.get());
    const zovo::Frame frame = paint();
    EXPECT_TRUE(isColour(frame.pixelAt(90, 70), 255, 0, 0));     // (40, 20) in the box: inside the mask
    EXPECT_TRUE(isColour(frame.pixelAt(60, 60), 255, 255, 255)); // (10, 10): the path's place without the offset

    for (const objc::StrongRef<CALayer>& empty : {objc::StrongRef<CALayer>(objc::make<CAShapeLayer>()), objc::make<CALayer>()}) {
        box->layer()->setMask(empty.get());
        EXPECT_TRUE(isColour(paint().pixelAt(100, 100), 255, 255, 255));
        EXPECT_FALSE(zovo::paintedExtent(*box));
    }
}

TEST_F(ViewPainting, TranslucentViewsComposeAsOneGroupAndHiddenOrClearOnesDrawNothing)
{
    auto group = makeView<UIView>(CGRectMake(0, 0, 200, 100));
    root->addSubview(group.get());
    addView(group.get(), CGRectMake(0, 0, 100, 100), 1, 0, 0);
    auto front = addView(group.get(), CGRectMake(50, 0, 100, 100), 0, 0, 1);
    group->setAlpha(0.5);
    auto hidden = addView(root.get(), CGRectMake(0, 120, 80, 80), 1, 0, 0);
    addView(hidden.get(), CGRectMake(10, 10, 40, 40), 0, 1, 0);
    hidden->setHidden(true);
    auto clear = addView(root.get(), CGRectMake(100, 120, 80, 80), 1, 0, 0);
    addView(clear.get(), CGRectMake(10, 10, 40, 40), 0, 1, 0);
    clear->setAlpha(0);

    const zovo::Frame frame = paint();
    // Where the squares overlap only the front one shows, at half strength over white; blending
    // each on its own would let the red behind show through.
    EXPECT_TRUE(isColour(frame.pixelAt(75, 50), 128, 128, 255));
    EXPECT_TRUE(isColour(frame.pixelAt(25, 50), 255, 128, 128));
    // Neither the hidden view nor the clear one shows, nor do their subviews.
    for (const CGPoint p : {CGPointMake(5, 125), CGPointMake(30, 150), CGPointMake(105, 125), CGPointMake(130, 150)})
        EXPECT_TRUE(isColour(frame.pixelAtPoint(p.x, p.y), 255, 255, 255)) << p.x << ", " << p.y;
    EXPECT_FALSE(zovo::paintedExtent(*hidden));
    front->setAlpha(0.5);
    EXPECT_TRUE(isColour(paint().pixelAt(125, 50), 191, 191, 255)) << "nested alphas multiply: blue at a quarter";
}

TEST_F(ViewPainting, ImageViewScalesItsImageSmoothlyWithoutFadingTheEdges)
{
    // Two pixels, red and blue, stretched over 40 x 10 points.
    auto image = UIImage::fromPixels(2, 1, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight}, {255, 0, 0, 255, 0, 0, 255, 255});
    auto imageView = makeView<UIImageView>(CGRectMake(10, 10, 40, 10));
    imageView->setImage(image.get());
    root->addSubview(imageView.get());
    const zovo::Frame frame = paint();
    EXPECT_TRUE(isColour(frame.pixelAt(10, 15), 255, 0, 0));
    EXPECT_TRUE(isColour(frame.pixelAt(49, 10), 0, 0, 255));
    const zovo::RGBA8 middle = frame.pixelAt(30, 15); // filtered: a blend, not one of the two
    EXPECT_GT(middle.red, 60);
    EXPECT_GT(middle.blue, 60);
    EXPECT_TRUE(isColour(frame.pixelAt(51, 15), 255, 255, 255));
}

TEST_F(ViewPainting, UnusableFramesAreSkippedWithoutSpoilingTheRest)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    addView(root.get(), CGRectMake(nan, 0, 100, 100), 1, 0, 0);
    addView(root.get(), CGRectMake(0, 0, std::numeric_limits<double>::infinity(), 100), 1, 0, 0);
    addView(root.get(), CGRectMake(1e300, 1e300, 1e300, 1e300), 1, 0, 0);
    addView(root.get(), CGRectMake(0, 0, 50, 50), 0, 0, 1)->layer()->setCornerRadius(nan);
    addView(root.get(), CGRectMake(100, 100, 50, 50), 0, 1, 0);
    const zovo::Frame frame = paint(); // checks the painter stayed usable
    EXPECT_TRUE(isColour(frame.pixelAt(125, 125), 0, 255, 0));
    EXPECT_TRUE(isColour(frame.pixelAt(0, 0), 0, 0, 255)); // a radius that is not a number is no radius
    EXPECT_TRUE(isColour(frame.pixelAt(75, 25), 255, 255, 255));
}

} // namespace
