#include "BannerFixture.h"

#include "uikit/UIFont.h"
#include "uikit/UILabel.h"

#include "foundation/Trace.h"
#include "substrate/Substrate.h"
#include "uikit/CAShapeLayer.h"
#include "uikit/UIImage.h"

namespace {

using Banner = BannerFixture;

TEST_F(Banner, ConstructionBuildsTheViewTreeHiddenAboveTheStatusBarAndTheLevelFollowsItsNames)
{
    bridge()->safeYPos = 29;
    bridge()->showTimestamp = false;
    bridge()->showGrabber = false;
    auto banner = makeBanner(CGRectMake(0, -120, 230, 120));
    ASSERT_TRUE(banner);
    EXPECT_TRUE(banner->isHidden());
    EXPECT_EQ(banner->windowLevel(), UIWindowLevelStatusBar + 100.0) << "drawn over the status bar and the notch";
    // Level with the status bar while the long look is up; other names change nothing.
    NSNotificationCenter::defaultCenter()->post(zovorudovu::kWindowLevelSetLow);
    EXPECT_EQ(banner->windowLevel(), UIWindowLevelStatusBar);
    objc::send(objc::StrongId(banner), "adjustWindowLevel:", NSNotification::make(objc::cast<NSString>(text("Other")).get(), nullptr));
    EXPECT_EQ(banner->windowLevel(), UIWindowLevelStatusBar);
    NSNotificationCenter::defaultCenter()->post(zovorudovu::kWindowLevelSetHigh);
    EXPECT_EQ(banner->windowLevel(), UIWindowLevelStatusBar + 100.0);
    EXPECT_FALSE(banner->isSecure());
    EXPECT_EQ(frameOf(banner->container), CGRectMake(10, 0, 210, 110));
    EXPECT_EQ(frameOf(banner->iconView), CGRectMake(0, 34, 20, 20));
    EXPECT_FALSE(banner->date) << "timestamps off at construction: no label";
    // The lower body is added last but sits behind the container.
    ASSERT_EQ(banner->subviews().size(), 2u);
    EXPECT_EQ(banner->subviews()[0].get(), banner->bottomSection.get());
    EXPECT_TRUE(objc::send<bool>(banner->bottomSection, "clipsToBounds"));
    EXPECT_FALSE(objc::send<bool>(banner->primary, "translatesAutoresizingMaskIntoConstraints"));
    EXPECT_TRUE(objc::send<bool>(banner->secondary, "translatesAutoresizingMaskIntoConstraints"));
    EXPECT_EQ(objc::send<std::int64_t>(banner->secondary, "lineBreakMode"), NSLineBreakByWordWrapping) << "a cut message ends without an ellipsis";
    EXPECT_EQ(banner->gestureRecognizers().size(), 3u);
    EXPECT_FALSE(objc::cast<BLBottomGrabberView>(banner->bottomSection)->pill);

    bridge()->showTimestamp = true; // later changes reach only banners built afterwards
    EXPECT_FALSE(banner->date);
    auto withDate = makeBanner();
    ASSERT_TRUE(withDate->date);
    // Timestamp, title and message in the system font at 12, 14 and 12 points.
    auto size = [](const objc::StrongId& label) { return objc::cast<UILabel>(label)->font()->pointSize(); };
    EXPECT_EQ(size(withDate->date), 12.0);
    EXPECT_EQ(size(withDate->primary), 14.0);
    EXPECT_EQ(size(withDate->secondary), 12.0);
}

TEST_F(Banner, NullFromTheBaseInitialiserBuildsNothing)
{
    objc::IMP previous = nullptr;
    MSHookMessageEx(objc::objc_getClass("UIWindow"), objc::sel("initWithFrame:"), +[](objc::id, objc::SEL, CGRect) -> objc::StrongId { return nullptr; },
                    reinterpret_cast<objc::StrongId (**)(objc::id, objc::SEL, CGRect)>(&previous));
    const std::size_t before = NSNotificationCenter::defaultCenter()->entryCount();
    EXPECT_FALSE(makeBanner());
    EXPECT_EQ(NSNotificationCenter::defaultCenter()->entryCount(), before);

    // The grabber's body is a UIView: nil from UIView's initialiser gives a nil body, no pill.
    MSHookMessageEx(objc::objc_getClass("UIView"), objc::sel("initWithFrame:"), +[](objc::id, objc::SEL, CGRect) -> objc::StrongId { return nullptr; },
                    reinterpret_cast<objc::StrongId (**)(objc::id, objc::SEL, CGRect)>(&previous));
    bridge()->showGrabber = true;
    EXPECT_FALSE(withFrame("BLBottomGrabberView", CGRectZero));
}

TEST_F(Banner, GrabberPillFollowsTheBodySize)
{
    bridge()->showGrabber = true;
    objc::StrongId body = withFrame("BLBottomGrabberView", CGRectZero);
    objc::StrongId pill = objc::cast<BLBottomGrabberView>(body)->pill;
    ASSERT_TRUE(pill);
    EXPECT_EQ(frameOf(pill), CGRectMake(-17, -15, 35, 5)) << "placed for a zero size until sized";
    EXPECT_EQ(objc::send<double>(objc::send<objc::StrongId>(pill, "layer"), "cornerRadius"), frameOf(pill).size.height / 2) << "a capsule";
    EXPECT_TRUE(objc::send<bool>(pill, "clipsToBounds"));
    EXPECT_EQ(objc::cast<UIColor>(objc::send<objc::StrongId>(pill, "backgroundColor"))->red(), 0.5) << "grey";
    objc::send(body, "setFrame:", CGRectMake(0, 0, 300, 80));
    objc::send(body, "layoutIfNeeded");
    EXPECT_EQ(frameOf(pill), CGRectMake(133, 65, 35, 5));
    objc::send(body, "setFrame:", CGRectMake(0, 0, 300, 120));
    process.mainRunLoop().runUntilIdle(); // the next layout pass moves it with the bottom edge
    EXPECT_EQ(frameOf(pill), CGRectMake(133, 105, 35, 5));

    bridge()->showGrabber = false;
    objc::StrongId bare = withFrame("BLBottomGrabberView", CGRectMake(0, 0, 300, 80));
    objc::send(bare, "layoutIfNeeded");
    EXPECT_FALSE(objc::cast<BLBottomGrabberView>(bare)->pill);
    EXPECT_EQ(objc::send<std::uint64_t>(objc::send<objc::StrongId>(bare, "subviews"), "count"), 0u) << "no pill without the grabber setting";
}

class Content : public BannerFixture {
protected:
    Content()
    {
        bridge()->safeYPos = 29;
        bridge()->showTimestamp = true;
        bridge()->showGrabber = true;
    }
    void update(BLNotificationBanner* banner)
    {
        NSNotificationCenter::defaultCenter()->post(zovorudovu::kUpdateContent);
        objc::send(objc::StrongId(banner), "layoutIfNeeded");
    }
};

TEST_F(Content, LaysOutTitleTimestampMessageAndBodyAndClampsALongMessage)
{
    auto banner = makeBanner(CGRectMake(83, 0, 209, 120));
    setContent("Messages", "See you at eight", "now");
    update(banner.get());

    const CGRect icon = frameOf(banner->iconView), title = frameOf(banner->primary), date = frameOf(banner->date);
    const CGRect message = frameOf(banner->secondary), body = frameOf(banner->bottomSection);
    EXPECT_EQ(title.origin.x, 25.0) << "5 right of the icon";
    EXPECT_NEAR(CGRectGetMidY(title), CGRectGetMidY(icon), 1e-9);
    EXPECT_NEAR(CGRectGetMidY(date), CGRectGetMidY(icon), 1e-9);
    EXPECT_NEAR(CGRectGetMaxX(date), 189.0, 1e-9) << "on the container's right edge";
    EXPECT_GT(date.size.width, 0);
    EXPECT_NEAR(title.size.width, 189.0 - 20.0 - date.size.width - 10.0, 1e-9);
    EXPECT_EQ(message.origin.y, 59.0);
    EXPECT_EQ(message.size.width, 189.0) << "full width, not the fitted width";
    EXPECT_GT(message.size.height, 0);
    EXPECT_EQ(body, CGRectMake(0, 0, 209, CGRectGetMaxY(message) + 20));

    auto mask = objc::cast<CAShapeLayer>(objc::send<objc::StrongId>(objc::send<objc::StrongId>(banner->bottomSection, "layer"), "mask"));
    ASSERT_TRUE(mask);
    EXPECT_EQ(mask, banner->bottomMaskLayer.get());
    EXPECT_EQ(mask->path()->roundedRect->corners, 12u);
    EXPECT_EQ(mask->path()->roundedRect->radii, CGSizeMake(23, 23));
    EXPECT_EQ(mask->path()->roundedRect->rect, CGRectMake(0, 0, 209, body.size.height));

    bridge()->showGrabber = false;
    update(banner.get());
    EXPECT_EQ(frameOf(banner->bottomSection).size.height, body.size.height - 10) << "no grabber: 10 shorter";

    // A long message is clamped to the container.
    bridge()->showGrabber = true;
    std::string longText;
    for (int i = 0; i < 60; ++i) longText += "many words that wrap ";
    setContent("Title", longText.c_str());
    update(banner.get());
    EXPECT_EQ(CGRectGetMaxY(frameOf(banner->secondary)), 110.0) << "clamped to the container's height";
    EXPECT_EQ(frameOf(banner->bottomSection).size.height, 130.0);
}

TEST_F(Content, RepeatedUpdatesReplaceTheirConstraints)
{
    auto banner = makeBanner();
    setContent("Mail", "Short", "now");
    update(banner.get());
    const std::size_t constraints = objc::cast<UIView>(banner->container)->constraints().size();
    setContent("Mail", "Short", "Yesterday, 23:59"); // a wider timestamp gives a different title width
    update(banner.get());
    EXPECT_EQ(objc::cast<UIView>(banner->container)->constraints().size(), constraints);
    EXPECT_TRUE(zovo::trace().eventsOfKind("layoutConflict").empty());
    const CGRect date = frameOf(banner->date);
    EXPECT_NEAR(frameOf(banner->primary).size.width, 189.0 - 20.0 - date.size.width - 10.0, 1e-9);

    auto fresh = makeBanner();
    update(fresh.get());
    EXPECT_EQ(frameOf(fresh->primary), frameOf(banner->primary)) << "a second update lays out as a first";
}

// The timestamp is laid out only when the setting is on and the banner was built with its label;
// otherwise the title takes its room.
TEST_F(Content, TimestampStepsNeedBothTheSettingAndTheLabel)
{
    bridge()->showTimestamp = false;
    auto unlabelled = makeBanner();
    bridge()->showTimestamp = true;
    setContent("Title", "Body", "now");
    update(unlabelled.get());
    EXPECT_NEAR(frameOf(unlabelled->primary).size.width, 189.0 - 20.0 - 5.0, 1e-9);

    auto labelled = makeBanner();
    bridge()->showTimestamp = false;
    update(labelled.get());
    EXPECT_NEAR(frameOf(labelled->primary).size.width, 189.0 - 20.0 - 5.0, 1e-9) << "setting off after construction";
    EXPECT_FALSE(objc::send<objc::StrongId>(labelled->date, "text")) << "the label is left unfilled";
}

TEST_F(Content, AdaptiveColoursComeFromTheIconAndStayWithoutOne)
{
    bridge()->adaptiveColours = true;
    auto banner = makeBanner();
    setContent("Title", "Body");
    update(banner.get());
    EXPECT_EQ(objc::cast<UIColor>(banner->bgColour)->red(), 0.0) << "no icon: construction colours kept";

    EXPECT_EQ(objc::cast<UIColor>(objc::send<objc::StrongId>(banner->primary, "textColor"))->red(), 1.0) << "the construction's white text";

    std::vector<std::uint8_t> yellow;
    for (int i = 0; i < 60 * 60; ++i) yellow.insert(yellow.end(), {255, 255, 0, 255});
    bridge()->icon = UIImage::fromPixels(60, 60, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Premultiplied}, yellow, 3.0);
    update(banner.get());
    auto* bg = objc::cast<UIColor>(banner->bgColour);
    EXPECT_NEAR(bg->red() + bg->green(), 2.0, 1e-6);
    EXPECT_EQ(objc::cast<UIColor>(banner->textColour)->red(), 0.0) << "yellow is light: black text";
    EXPECT_EQ(objc::cast<UIView>(banner->bottomSection)->backgroundColor(), bg);
    EXPECT_EQ(objc::cast<UIColor>(objc::send<objc::StrongId>(banner->primary, "textColor")), objc::cast<UIColor>(banner->textColour));

    bridge()->icon = nullptr;
    update(banner.get());
    EXPECT_EQ(objc::cast<UIColor>(banner->bgColour), bg) << "an icon-less update keeps the adaptive colours";
    EXPECT_FALSE(objc::send<objc::StrongId>(banner->iconView, "image"));
}

} // namespace
