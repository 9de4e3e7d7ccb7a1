// The preview session with no window: a fake wall clock moved by the test, the mouse and keys as
// the window would report them, and the trace compared with what `zovorudovu run` does.
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "foundation/RunLoop.h"
#include "preview/PreviewSession.h"
#include "sim/BannerSnapshot.h"
#include "sim/ScenarioRunner.h"
#include "springboard/Host.h"
#include "TestFolder.h"
#include "WebPOutline.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

using zovo::Json;

// A session on a clock the test moves, keeping every post and message.
struct Preview {
    double wall = 1000;
    std::vector<std::string> posts; // "time name"
    std::vector<std::string> messages;
    std::vector<std::filesystem::path> screenshots;
    std::vector<std::string> records;      // the preview's own trace records: "rotate", "relaunch" ...
    std::vector<std::size_t> launchStarts; // the posts before each relaunch
    std::unique_ptr<zovo::PreviewSession> session;

    explicit Preview(zovo::PreviewOptions options = {})
    {
        options.wallClock = [this] { return wall; };
        options.onTrace = [this](const zovo::TraceEvent& e) {
            if (e.type == "post") posts.push_back(e.toJson());
            if (e.type == "preview") records.push_back(e.text("event"));
            if (e.type == "preview" && e.text("event") == "relaunch") launchStarts.push_back(posts.size());
        };
        options.onMessage = [this](const std::string& m) { messages.push_back(m); };
        options.onScreenshot = [this](const std::filesystem::path& p) { screenshots.push_back(p); };
        auto started = zovo::PreviewSession::start(std::move(options));
        EXPECT_TRUE(started) << started.error();
        if (started) session = std::move(started).value();
    }
    // Wall time passes in display frames, as the window would see it.
    void wait(double seconds)
    {
        const double end = wall + seconds;
        while (wall < end - 1e-9) {
            wall = std::min(end, wall + 1.0 / 120);
            session->update();
        }
    }
    // The middle of the banner on screen, in window pixels.
    CGPoint bannerPixel()
    {
        auto centre = zovo::bannerCentre(session->host());
        EXPECT_TRUE(centre);
        return centre ? CGPointMake(centre->x * session->scale(), centre->y * session->scale()) : CGPointMake(0, 0);
    }
    // A vertical mouse drag from the banner's middle by `dy` points over `seconds`.
    void drag(double dy, double seconds)
    {
        const CGPoint p = bannerPixel();
        session->mouseDown(p.x, p.y);
        for (int i = 1; i <= 20; ++i) {
            wait(seconds / 20);
            session->mouseMove(p.x, p.y + dy * session->scale() * i / 20);
        }
        session->mouseUp(p.x, p.y + dy * session->scale());
    }
};

std::vector<std::string> replayPosts(const zovo::Scenario& scenario)
{
    std::vector<std::string> posts;
    zovo::RunnerOptions options;
    options.onEvent = [&](const zovo::TraceEvent& e) {
        if (e.type == "post") posts.push_back(e.toJson());
    };
    EXPECT_TRUE(zovo::ScenarioRunner(scenario, options).run());
    return posts;
}

// Each launch's file replays with `zovorudovu run` to the posts the session made: a pull into the
// long look, a settings key, a composed sticky banner (one with an icon that cannot be read posts
// nothing), a touch cancelled by the mouse leaving, a rotation, and the component turned off,
// which shows from the respring on.
TEST(PreviewSession, EveryLaunchIsRecordedInItsOwnFileThatReplays)
{
    const zovo::TestFolder folder;
    Preview preview({.device = "iPhone14,2", .scale = 1.5, .recordFile = folder / "tried.json"});
    preview.session->key('n', false, false);
    preview.wait(0.7);
    preview.drag(100, 0.4); // into the long look
    preview.wait(1);
    preview.session->key('a', false, false); // adaptiveColours on
    zovo::ScenarioNotify composed;
    composed.app = "Calendar";
    composed.title = "Design review";
    composed.iconRGB = 0xFF9500;
    composed.sticky = true;
    ASSERT_TRUE(preview.session->post(composed));
    const zovo::Scenario recorded = preview.session->recording();
    EXPECT_EQ(recorded.events.back().notify.title, "Design review");
    EXPECT_TRUE(recorded.events.back().notify.sticky);
    EXPECT_EQ(recorded.events.back().notify.iconRGB, 0xFF9500u);
    std::ofstream(folder / "icon.png") << "not a picture";
    composed.iconRGB.reset();
    composed.iconFile = folder / "icon.png";
    EXPECT_FALSE(preview.session->post(composed));
    EXPECT_NE(preview.messages.back().find("icon.png"), std::string::npos) << preview.messages.back();
    EXPECT_EQ(preview.session->recording().events.size(), recorded.events.size()) << "nothing posted, nothing recorded";
    preview.wait(0.6);
    const CGPoint p = preview.bannerPixel();
    preview.session->mouseDown(p.x, p.y);
    preview.session->mouseLeft(); // a cancel
    preview.wait(0.2);
    preview.session->key('r', false, false);
    preview.session->key('g', false, false);
    preview.wait(0.5);
    preview.session->key('d', false, false); // another device: the second launch
    preview.session->key('r', false, false); // portrait again, where the component shows
    preview.session->key('e', false, false);
    EXPECT_NE(preview.messages.back().find("Ctrl+R"), std::string::npos);
    preview.session->key('n', false, false);
    preview.wait(0.5);
    EXPECT_TRUE(zovo::componentBanner(preview.session->host())) << "the hooks stay until a respring";
    preview.session->key('r', false, true); // a respring: the third
    preview.session->key('n', true, false);
    preview.wait(2);
    EXPECT_FALSE(zovo::componentBanner(preview.session->host()));
    EXPECT_EQ(preview.session->recording().settings->at("isEnabled"), false);
    ASSERT_TRUE(preview.session->finishRecording());

    EXPECT_EQ(preview.records, (std::vector<std::string>{"settings", "rotate", "settings", "relaunch", "rotate", "settings", "relaunch"}));
    EXPECT_TRUE(std::ranges::any_of(preview.posts, [](const std::string& p) { return p.find("\"Zovorudovu_Expand\"") != std::string::npos; }))
        << "the pull opened the long look";
    ASSERT_EQ(preview.launchStarts.size(), 2u);
    const std::size_t starts[] = {0, preview.launchStarts[0], preview.launchStarts[1], preview.posts.size()};
    const char* files[] = {"tried.json", "tried-2.json", "tried-3.json"};
    for (int launch = 0; launch < 3; ++launch) {
        zovo::ErrorOr<zovo::Scenario> loaded = zovo::loadScenario(folder / files[launch]);
        ASSERT_TRUE(loaded) << files[launch] << ": " << loaded.error();
        const std::vector<std::string> posts(preview.posts.begin() + static_cast<std::ptrdiff_t>(starts[launch]),
                                             preview.posts.begin() + static_cast<std::ptrdiff_t>(starts[launch + 1]));
        EXPECT_EQ(replayPosts(*loaded), posts) << files[launch];
    }
}

TEST(PreviewSession, DroppedFilesAreTakenByWhatTheyHoldOrRefusedWithANote)
{
    const zovo::TestFolder folder;
    Preview preview({.scale = 1});
    preview.wait(0.5);
    ASSERT_TRUE(zovo::writeFramePNG(zovo::Frame(60, 60, 3), folder / "icon.png"));
    std::ofstream(folder / "fake.png") << "\x89PNG but not one";
    std::ofstream(folder / "red.plist") << R"(<?xml version="1.0"?><plist version="1.0"><dict><key>bgColour</key><string>FF0000</string></dict></plist>)";
    std::ofstream(folder / "broken.plist") << "<plist><dict>";
    std::ofstream(folder / "one.json") << R"({"app": "Calendar", "title": "Review", "message": "Now", "icon": "#336699"})";
    std::ofstream(folder / "two.json") << R"({"device": "iPhone14,2", "events": [{"at": 0.5, "notify": {"id": "a", "app": "A", "title": "a"}},
                                                                          {"at": 1.5, "rotate": "landscape"}]})";
    std::ofstream(folder / "notes.txt") << "hello";
    using zovo::DroppedFile;
    const struct {
        const char* file;
        DroppedFile kind;
        std::size_t eventsAfter; // in the recording, a second later
    } drops[] = {
        {"icon.png", DroppedFile::Icon, 0},         {"fake.png", DroppedFile::Refused, 0},   {"broken.plist", DroppedFile::Refused, 0},
        {"red.plist", DroppedFile::Settings, 1},    {"notes.txt", DroppedFile::Refused, 1},  {"one.json", DroppedFile::Notification, 2},
        {"two.json", DroppedFile::Scenario, 3},     {"missing.json", DroppedFile::Refused, 4},
    };
    for (const auto& d : drops) {
        const std::size_t notes = preview.messages.size();
        EXPECT_EQ(preview.session->dropFile(folder / d.file), d.kind) << d.file << ": " << preview.messages.back();
        EXPECT_GT(preview.messages.size(), notes) << d.file;
        EXPECT_NE(preview.messages.back().find(d.file), std::string::npos) << preview.messages.back();
        preview.wait(1);
        EXPECT_EQ(preview.session->recording().events.size(), d.eventsAfter) << d.file;
    }
    EXPECT_EQ(preview.session->settings().value("bgColour", ""), "FF0000");
    EXPECT_EQ(preview.session->orientation(), zovo::ScenarioOrientation::Landscape) << "the scenario's rotation played a second later";
}

TEST(PreviewSession, InspectorTellsTheBannerWindowFromItsBodyAndOOutlinesThem)
{
    Preview preview({.scale = 2});
    preview.session->key('n', false, false);
    preview.wait(1);
    const CGPoint p = preview.bannerPixel();
    const std::vector<zovo::InspectedView> views = preview.session->viewsAt(p.x, p.y);
    ASSERT_GE(views.size(), 2u);
    EXPECT_TRUE(views[0].isWindow);
    EXPECT_FALSE(views[1].isWindow);
    EXPECT_EQ(views[1].window, views[0].className);
    EXPECT_EQ(views[0].className, zovo::componentBanner(preview.session->host())->className());
    EXPECT_TRUE(CGRectContainsPoint(views.back().onScreen, CGPointMake(p.x / 2, p.y / 2)));
    EXPECT_NE(views[1].onScreen, views[0].onScreen) << "the body is not the window";
    EXPECT_TRUE(preview.session->viewsAt(-10, -10).empty());

    const zovo::Frame plain = preview.session->picture();
    preview.session->key('o', false, false);
    EXPECT_TRUE(preview.session->update());
    EXPECT_NE(preview.session->picture().pixelAt(static_cast<int>(p.x), 0), plain.pixelAt(static_cast<int>(p.x), 0)) << "the windows' top edges";
}

// Each gesture is named for a moment; leaving the window ends the touch.
TEST(PreviewSession, TouchIndicatorNamesTheGestureForAMomentAndLeavingTheWindowCancels)
{
    Preview preview({.scale = 1});
    preview.session->key('f', false, false);
    const struct {
        double dy, seconds;
        const char* gesture;
    } touches[] = {{0, 0.1, "tap"}, {4, 0.8, "hold"}, {60, 0.3, "pan"}};
    for (const auto& t : touches) {
        preview.session->mouseDown(150, 400);
        preview.wait(t.seconds / 2);
        preview.session->mouseMove(150, 400 + t.dy);
        preview.wait(t.seconds / 2);
        preview.session->mouseUp(150, 400 + t.dy);
        EXPECT_EQ(preview.session->gestureLabel(), t.gesture);
        preview.session->picture();
        ASSERT_TRUE(preview.session->secondsUntilNextEvent()) << "the window wakes to take the name away";
        preview.wait(1.1);
        EXPECT_EQ(preview.session->gestureLabel(), "");
    }
    // Dragged off the window, the touch is cancelled, and the mouse moves no finger until it is down again.
    preview.session->mouseDown(100, 300);
    preview.session->mouseMove(-5, 310);
    preview.session->mouseMove(100, 320);
    preview.session->mouseUp(100, 320);
    const zovo::Scenario recorded = preview.session->recording();
    ASSERT_EQ(recorded.events.back().touches.size(), 2u);
    EXPECT_EQ(recorded.events.back().touches[1].phase, zovo::ScenarioTouch::Phase::Cancel);
}

TEST(PreviewSession, VRecordsAWebPAtThePhonesFrameTimesAndTheScenarioOfThatStretch)
{
    const zovo::TestFolder folder;
    Preview preview({.scale = 1, .screenshotDir = folder.path()});
    preview.wait(0.5);
    preview.session->key('v', false, false);
    preview.session->key('n', false, false);
    // The window's pace is uneven; the film's is not.
    for (double step : {0.05, 0.3, 0.01, 0.2, 0.14, 0.3}) {
        preview.wall += step;
        preview.session->update();
    }
    preview.session->key('v', false, false);
    ASSERT_EQ(preview.screenshots.size(), 2u);
    EXPECT_EQ(preview.screenshots[0], folder / "preview-0001.webp");

    const zovo::AnimationOutline film = zovo::webpOutline(preview.screenshots[0]);
    EXPECT_EQ(film.width, 780); // iPhone 13 Pro at 2 pixels a point
    int frames = 0;
    for (const int ms : film.delays) {
        const double spanned = ms * zovo::kVideoFps / 1000.0;
        EXPECT_NEAR(spanned, std::round(spanned), 0.05) << "every frame lasts whole frame times";
        frames += static_cast<int>(std::lround(spanned));
    }
    EXPECT_EQ(frames, 30) << "a second of phone time, 30 frames";

    zovo::ErrorOr<zovo::Scenario> stretch = zovo::loadScenario(preview.screenshots[1]);
    ASSERT_TRUE(stretch) << stretch.error();
    ASSERT_EQ(stretch->events.size(), 1u);
    EXPECT_NEAR(stretch->events[0].at, 0, 1e-9);
    EXPECT_NEAR(stretch->until, 1.0, 1e-9);
}

// An edit of the settings file and a change from the panel are one thing: the file changes, the
// next banner shows it, the change is recorded and the warnings name what cannot be used.
TEST(PreviewSession, SettingsFileEditedOnDiskOrByThePanelChangesTheNextBanner)
{
    const zovo::TestFolder folder;
    const std::filesystem::path file = folder / "settings.plist";
    auto writeXml = [&](const std::string& body) {
        std::ofstream(file) << R"(<?xml version="1.0" encoding="UTF-8"?><plist version="1.0"><dict>)" << body << "</dict></plist>";
    };
    auto fileText = [&] {
        std::ifstream in(file);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    writeXml("<key>bgColour</key><string>000000</string>");
    Preview preview({.settingsFile = file, .scale = 1});
    auto nextBannerColour = [&] {
        preview.session->perform(zovo::PreviewAction::PostSample);
        preview.wait(0.5);
        return zovo::snapshotBanner(zovo::componentBanner(preview.session->host()))["bgColour"];
    };
    const Json black = nextBannerColour();

    writeXml("<key>bgColour</key><string>FF0000</string>");
    preview.wait(0.1);
    const Json red = nextBannerColour();
    EXPECT_NE(red, black);
    EXPECT_EQ(preview.session->recording().events.at(1).settings, (Json{{"bgColour", "FF0000"}})) << "recorded between the two banners";

    const Json wanted = {{"bgColour", "FF0000"}, {"customWidth", true}, {"customWidthValue", 5000}};
    ASSERT_TRUE(preview.session->changeSettings(wanted));
    EXPECT_EQ(preview.session->settings(), wanted);
    EXPECT_EQ(preview.session->recording().events.back().settings, wanted);
    EXPECT_NE(fileText().find("customWidthValue"), std::string::npos) << "the panel writes the file";
    const std::vector<std::string>& warnings = preview.session->settingsWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("customWidthValue"), std::string::npos) << warnings[0];

    // A file that stops parsing is reported once, with the line; the last good settings stay.
    std::ofstream(file) << "<?xml version=\"1.0\"?>\n<plist version=\"1.0\">\n<dict>\n<key>bgColour</string>\n</dict></plist>";
    preview.wait(0.2);
    EXPECT_NE(preview.session->settingsProblem().find("line"), std::string::npos) << preview.session->settingsProblem();
    ASSERT_EQ(preview.messages.size(), 1u);
    EXPECT_NE(preview.messages[0].find(file.string()), std::string::npos) << preview.messages[0];
    EXPECT_NE(preview.messages[0].find("last good settings stay"), std::string::npos);
    EXPECT_EQ(nextBannerColour(), red);
    preview.session->perform(zovo::PreviewAction::ToggleShowGrabber); // would overwrite the edit: refused
    ASSERT_EQ(preview.messages.size(), 2u);
    EXPECT_NE(preview.messages[1].find("does not parse"), std::string::npos);
    EXPECT_FALSE(preview.session->changeSettings({{"bgColour", "00FF00"}})) << "nor does the panel overwrite it";

    // A toggle rewrites the person's file in its own format, keeping its other keys.
    writeXml("<key>bgColour</key><string>FF0000</string>");
    preview.wait(0.1);
    preview.session->perform(zovo::PreviewAction::ToggleShowGrabber);
    const std::string text = fileText();
    EXPECT_TRUE(text.starts_with("<?xml")) << text;
    EXPECT_NE(text.find("<key>showGrabber</key>"), std::string::npos);
    EXPECT_NE(text.find("FF0000"), std::string::npos);
    EXPECT_EQ(preview.session->recording().events.back().settings, (Json{{"bgColour", "FF0000"}, {"showGrabber", false}}));
}

TEST(PreviewSession, IdleDrawsNothingASlideDrawsUntilItHasEndedAndPauseAndTimeScaleMoveThePhonesClock)
{
    Preview preview({.scale = 1});
    preview.wait(0.5);
    preview.session->picture(); // the launch's picture; nothing has moved since
    preview.wall += 0.1;
    EXPECT_FALSE(preview.session->update()) << "nothing moves, so nothing is drawn";

    EXPECT_FALSE(preview.session->secondsUntilNextEvent());

    preview.session->perform(zovo::PreviewAction::PostSample);
    EXPECT_TRUE(preview.session->update());
    preview.session->picture();
    preview.wall += 0.1;
    EXPECT_TRUE(preview.session->update()); // mid-slide
    EXPECT_TRUE(preview.session->isMoving());
    preview.session->picture();
    preview.wall += 0.5;
    EXPECT_TRUE(preview.session->update()); // the slide's last picture
    preview.session->picture();
    preview.wall += 0.1;
    EXPECT_FALSE(preview.session->update());
    EXPECT_FALSE(preview.session->isMoving());
    // The banner's timer is the next thing to wake the window for.
    ASSERT_TRUE(preview.session->secondsUntilNextEvent());
    EXPECT_GT(*preview.session->secondsUntilNextEvent(), 3.0);

    // Paused, the phone's clock stands still; stepped, it moves a frame; scaled, it moves slower.
    zovo::RunLoop& loop = preview.session->process().mainRunLoop();
    const double t0 = loop.now();
    preview.session->key('n', false, false);
    preview.wall += 0.1;
    preview.session->update();
    preview.session->key('p', false, false);
    preview.session->update();
    preview.session->picture();
    EXPECT_FALSE(preview.session->isMoving()) << "paused mid-slide, nothing moves";
    preview.wait(2);
    EXPECT_FALSE(preview.session->update()) << "nor is anything drawn";
    EXPECT_NEAR(loop.now(), t0 + 0.1, 1e-9);
    EXPECT_FALSE(preview.session->secondsUntilNextEvent());
    preview.session->key('.', false, false); // one frame on, and a picture of it
    EXPECT_NEAR(loop.now(), t0 + 0.1 + 1.0 / 60, 1e-9);
    EXPECT_TRUE(preview.session->update());
    preview.session->key('p', false, false); // resumes where it stopped: the pause is not made up
    preview.wait(1);
    EXPECT_NEAR(loop.now(), t0 + 1.1 + 1.0 / 60, 1e-9);
    preview.session->key('.', false, false); // running: a note, no step
    EXPECT_NE(preview.messages.back().find("paused"), std::string::npos);

    for (int i = 0; i < 5; ++i) preview.session->key('[', false, false);
    EXPECT_EQ(preview.session->timeScale(), 0.1);
    preview.wait(1);
    EXPECT_NEAR(loop.now(), t0 + 1.2 + 1.0 / 60, 1e-9);
    preview.session->key(']', false, false);
    EXPECT_EQ(preview.session->timeScale(), 0.25);
    for (int i = 0; i < 5; ++i) preview.session->key(']', false, false);
    EXPECT_EQ(preview.session->timeScale(), 1);
}

TEST(PreviewSession, KeysRotateSwitchDevicesToggleOverlaysAndQuit)
{
    const zovo::TestFolder folder;
    Preview preview({.device = "iPhone14,2", .scale = 1, .screenshotDir = folder / "shots"});
    EXPECT_EQ(preview.session->windowTitle(), "zovorudovu preview \u2014 iPhone 13 Pro (iPhone14,2)");
    EXPECT_EQ(std::pair(preview.session->picture().width(), preview.session->picture().height()), std::pair(390, 844));

    preview.session->key('r', false, false);
    preview.wait(0.1);
    EXPECT_EQ(preview.session->picture().width(), 844);
    EXPECT_EQ(preview.session->orientation(), zovo::ScenarioOrientation::Landscape);

    preview.session->key('s', false, false);
    preview.session->key('s', false, false);
    ASSERT_EQ(preview.screenshots.size(), 2u);
    EXPECT_EQ(preview.screenshots[1], folder / "shots" / "preview-0002.png");
    // The phone's screen at the device's own scale, without the overlays.
    auto shot = zovo::loadPNG(preview.screenshots[0]);
    ASSERT_TRUE(shot) << shot.error();
    EXPECT_EQ(shot.value()->width(), 844u * 3);

    // Switching device is a relaunch: the orientation stays, the recording starts again.
    preview.session->key('n', false, false);
    preview.session->key('d', false, false);
    EXPECT_NE(preview.session->device(), "iPhone14,2");
    EXPECT_TRUE(preview.session->recording().events.empty());
    EXPECT_EQ(preview.session->recording().orientation, zovo::ScenarioOrientation::Landscape);
    preview.session->key('d', true, false);
    EXPECT_EQ(preview.session->device(), "iPhone14,2");

    preview.session->key('h', false, false);
    preview.session->key('i', false, false);
    EXPECT_TRUE(preview.session->helpShown());
    EXPECT_TRUE(preview.session->infoShown());
    EXPECT_FALSE(preview.session->key('z', false, false));
    EXPECT_FALSE(preview.session->quitRequested());
    preview.session->key(zovo::kEscape, false, false);
    EXPECT_TRUE(preview.session->quitRequested());
}

TEST(PreviewSession, WindowScaleFitsTheDisplayAndZoomAndRotationKeepItThere)
{
    EXPECT_EQ(zovo::actionForKey('n', false, true), std::nullopt) << "Ctrl changes what a key means";
    // The 1200-pixel display a 2x window once opened 244 pixels above.
    struct Fit {
        CGSize display;
        std::optional<double> asked;
        double extra, scale;
        bool noted;
    } fits[] = {
        {CGSizeMake(1600, 1800), std::nullopt, 0, 2, false},   {CGSizeMake(1600, 1300), std::nullopt, 0, 1.5, false},
        {CGSizeMake(1024, 900), std::nullopt, 0, 1, false},    {CGSizeMake(1024, 768), std::nullopt, 0, 0.9, true},
        {CGSizeMake(1920, 1168), 2.0, 0, 1.35, true},          {CGSizeMake(1920, 1168), 1.25, 0, 1.25, false},
        {CGSizeMake(1200, 1800), std::nullopt, 500, 1.5, false}, {CGSizeMake(100, 100), 1.0, 0, zovo::kMinimumScale, true},
    };
    for (const Fit& f : fits) {
        const zovo::WindowFit fit = zovo::fitWindow(CGSizeMake(390, 844), f.display, f.asked, f.extra);
        EXPECT_DOUBLE_EQ(fit.scale, f.scale) << f.display.width << "x" << f.display.height;
        EXPECT_EQ(!fit.note.empty(), f.noted) << fit.note;
        if (f.noted && f.asked) {
            EXPECT_NE(fit.note.find("does not fit"), std::string::npos) << fit.note;
        }
    }

    // Zooming and turning keep the window on the display.
    Preview preview({.device = "iPhone14,2", .scale = 1});
    preview.session->setDisplay(CGSizeMake(1200, 1300));
    preview.session->key('=', false, true);
    preview.session->key('=', false, true);
    EXPECT_EQ(preview.session->scale(), 1.5);
    preview.session->key('=', false, true); // 1.75 x 844 is taller than the display
    EXPECT_EQ(preview.session->scale(), 1.5);
    EXPECT_NE(preview.messages.back().find("would not fit"), std::string::npos);
    preview.session->perform(zovo::PreviewAction::Rotate); // 844 points wide at 1.5 is too wide
    EXPECT_DOUBLE_EQ(preview.session->scale(), 1.4);
    EXPECT_LE(preview.session->picture().width(), 1200);
    preview.session->key('-', false, true);
    EXPECT_EQ(preview.session->scale(), 1.25);
}

} // namespace
