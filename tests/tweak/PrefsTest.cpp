#include "TweakFixture.h"

#include "foundation/NSDate.h"

#include <cmath>
#include <optional>

namespace {

using Prefs = TweakFixture;

// Without a settings file (and no defaults to copy) the component stays inactive, as it does with
// a file too large or nested too deep to read; an empty one turns it on. Every setting holds its
// default.
TEST_F(Prefs, WithoutAReadableSettingsFileEveryValueIsItsDefaultAndOnlyAFileEnablesTheComponent)
{
    std::string nested;
    for (int i = 0; i < 5000; ++i) nested += "<array>";
    for (int i = 0; i < 5000; ++i) nested += "</array>";
    const std::optional<std::string> files[] = {std::nullopt, "", "<key>k</key><string>" + std::string(1 << 20, 'x') + "</string>",
                                                "<key>k</key>" + nested};
    for (const auto& file : files) {
        SCOPED_TRACE(file ? std::to_string(file->size()) + " bytes" : "no file");
        zovo::Process fresh;
        registerClasses(fresh);
        if (file) writeRaw(fresh, "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + *file + "</dict></plist>");
        load(fresh);
        const bool readable = file && file->empty();
        EXPECT_EQ(g().isEnabled, readable);
        EXPECT_EQ(g().hooksInstalled, readable);
        EXPECT_EQ(objc::respondsTo(newObject("SpringBoard"), objc::sel("brimlight")), readable);
        ASSERT_TRUE(g().bgColour && g().textColour);
        EXPECT_EQ(g().bgColour->red() + g().bgColour->green() + g().bgColour->blue(), 0.0);
        EXPECT_EQ(g().bgColour->alpha(), 1.0);
        EXPECT_EQ(g().textColour->red() + g().textColour->green() + g().textColour->blue(), 3.0);
        EXPECT_FALSE(bridge()->adaptiveColours);
        EXPECT_TRUE(bridge()->showGrabber);
        EXPECT_TRUE(bridge()->showTimestamp);
        EXPECT_FALSE(bridge()->customWidth);
        EXPECT_EQ(bridge()->customWidthValue, 209.0f);
    }
}

TEST_F(Prefs, DefaultsFileIsCopiedOnlyWhenNoSettingsFileExists)
{
    writeSettings({{"customWidthValue", number(300)}}, zovorudovu::kDefaultsPath);
    load();
    EXPECT_TRUE(std::filesystem::exists(process.hostPath(zovorudovu::kSettingsPath)));
    EXPECT_EQ(bridge()->customWidthValue, 300.0f);

    zovo::Process other;
    registerClasses(other);
    writeSettings(other, {{"customWidthValue", number(300)}}, zovorudovu::kDefaultsPath);
    writeSettings(other, {{"customWidthValue", number(250)}});
    load(other);
    EXPECT_EQ(BLNotificationBridge::sharedInstance()->customWidthValue, 250.0f) << "an existing settings file is never overwritten";
}

TEST_F(Prefs, EveryKeyIsReadRemovingOneRestoresItsDefaultOnTheNextReadAndAColoursAlphaFollowsTheColon)
{
    writeSettings({{"isEnabled", flag(true)}, {"bgColour", text("FF8000:0.5")}, {"textColour", text("#00FF00")},
                   {"adaptiveColours", flag(true)}, {"showGrabber", flag(false)}, {"showTimestamp", flag(false)},
                   {"customWidth", flag(true)}, {"customWidthValue", number(250)}});
    load();
    EXPECT_DOUBLE_EQ(g().bgColour->green(), 128 / 255.0);
    EXPECT_DOUBLE_EQ(g().bgColour->alpha(), 0.5);
    EXPECT_EQ(g().textColour->green(), 1.0);
    EXPECT_TRUE(bridge()->adaptiveColours);
    EXPECT_FALSE(bridge()->showGrabber);
    EXPECT_FALSE(bridge()->showTimestamp);
    EXPECT_TRUE(bridge()->customWidth);
    EXPECT_EQ(bridge()->customWidthValue, 250.0f);

    writeSettings({{"showGrabber", flag(false)}});
    postPrefsChanged();
    EXPECT_EQ(bridge()->customWidthValue, 209.0f);
    EXPECT_FALSE(bridge()->customWidth);
    EXPECT_FALSE(bridge()->showGrabber);
    EXPECT_EQ(g().bgColour->red(), 0.0);

    // A colour's alpha follows the colon.
    auto alphaOf = [&](const char* setting) {
        writeSettings({{"bgColour", text(setting)}});
        postPrefsChanged();
        return g().bgColour->alpha();
    };
    EXPECT_EQ(alphaOf("000000"), 1.0);
    EXPECT_EQ(alphaOf("000000:0.25"), 0.25);
    EXPECT_EQ(alphaOf("000000:abc"), 0.0);
    EXPECT_EQ(alphaOf("000000:"), 0.0);
    EXPECT_EQ(alphaOf("FF0000:0.5:0.9"), 0.5);
    EXPECT_EQ(g().bgColour->red(), 1.0);
}

// Settings are read again when the run loop delivers the change, not inside the post; changes
// posted in a burst are read once, after the last write: the registration coalesces, so a second
// post queued behind the first adds no second read of a later file.
TEST_F(Prefs, SettingsChangesAreReadOnTheRunLoopOnceForABurst)
{
    writeSettings({});
    load();
    writeSettings({{"customWidthValue", number(111)}});
    auto post = [] {
        CFNotificationCenterPostNotification(CFNotificationCenterGetDarwinNotifyCenter(), CFSTR("com.tarvik.zovorudovu/prefsupdated"), nullptr, nullptr, true);
    };
    post();
    EXPECT_EQ(bridge()->customWidthValue, 209.0f) << "delivery goes through the run loop";
    process.mainRunLoop().perform([this] { writeSettings({{"customWidthValue", number(222)}}); });
    post();
    process.mainRunLoop().runUntilIdle();
    EXPECT_EQ(bridge()->customWidthValue, 111.0f) << "a second delivery read the file written after the first";
}

TEST_F(Prefs, UnusableCustomWidthsTakeTheDefault)
{
    writeSettings({});
    load();
    // Each case starts from a usable width other than the default, so keeping the previous value
    // is told apart from taking the default.
    const std::pair<objc::StrongId, float> cases[] = {
        {number(std::nan("")), 209}, {number(1e300), 209}, {number(-5), 209},  {number(0), 209},     {number(1e-50), 209},
        {number(0.999), 209},        {number(5000), 209},  {text("1e300"), 209}, {number(1), 1}, {number(1366), 1366},
    };
    for (const auto& [width, expected] : cases) {
        writeSettings({{"customWidthValue", number(250)}});
        postPrefsChanged();
        ASSERT_EQ(bridge()->customWidthValue, 250.0f);
        writeSettings({{"customWidthValue", width}});
        postPrefsChanged();
        EXPECT_EQ(bridge()->customWidthValue, expected) << objc::send<double>(width, "doubleValue");
    }
}

// The enable switch is read once, at start-up: turning it on later installs nothing, and an
// unreadable file later leaves it as it was while the other settings return to their defaults.
TEST_F(Prefs, EnableSwitchIsReadOnceAtStartUp)
{
    writeSettings({{"isEnabled", flag(false)}, {"showGrabber", flag(false)}});
    load();
    EXPECT_FALSE(g().hooksInstalled);
    writeSettings({{"isEnabled", flag(true)}, {"customWidthValue", number(260)}, {"showGrabber", flag(false)}});
    postPrefsChanged();
    EXPECT_TRUE(g().isEnabled);
    EXPECT_EQ(bridge()->customWidthValue, 260.0f) << "the settings are still read again";
    EXPECT_FALSE(g().hooksInstalled) << "turning it on later installs nothing";
    EXPECT_EQ(objc::objc_getClass("SpringBoard")->ownMethod(objc::sel("showBrimlight:")), nullptr);
    writeRaw("this is not a property list");
    postPrefsChanged();
    EXPECT_TRUE(g().isEnabled) << "an unreadable file leaves isEnabled as it was";
    EXPECT_TRUE(bridge()->showGrabber);
}

TEST_F(Prefs, ValuesOfTheWrongKindTakeTheirDefaults)
{
    writeSettings({{"bgColour", number(255)}, {"textColour", flag(true)}, {"showGrabber", NSDictionary::from({})},
                   {"customWidthValue", NSDictionary::from({})}, {"showTimestamp", text("NO")}, {"customWidth", text("yes")}});
    load();
    ASSERT_TRUE(g().isEnabled);
    EXPECT_EQ(g().bgColour->red(), 0.0);
    EXPECT_EQ(g().textColour->red(), 1.0);
    EXPECT_TRUE(bridge()->showGrabber);
    EXPECT_EQ(bridge()->customWidthValue, 209.0f);
    EXPECT_FALSE(bridge()->showTimestamp) << "text answers boolValue as the platform reads it";
    EXPECT_TRUE(bridge()->customWidth);

    // A date is not a number, and an integer past the signed range is a huge one, not -1.
    auto date = NSDate::dateWithTimeIntervalSinceReferenceDate(60);
    writeSettings({{"adaptiveColours", date}, {"customWidthValue", date}});
    postPrefsChanged();
    EXPECT_FALSE(bridge()->adaptiveColours);
    EXPECT_EQ(bridge()->customWidthValue, 209.0f);
    writeRaw("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>adaptiveColours</key><integer>18446744073709551615</integer>"
             "<key>showGrabber</key><integer>9223372036854775808</integer></dict></plist>");
    postPrefsChanged();
    EXPECT_TRUE(bridge()->adaptiveColours);
    EXPECT_TRUE(bridge()->showGrabber);
}

} // namespace
