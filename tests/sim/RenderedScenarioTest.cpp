// What a person would see: scenarios rendered at their snapshots, checked by pixels where it
// matters rather than by whole images.
#include "render/ScreenRenderer.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>

namespace {

using Json = nlohmann::ordered_json;

struct Shot {
    zovo::Frame frame;
    Json banner;
};

// Plays a scenario with one snapshot and renders the screen there at scale 1.
Shot shoot(const std::string& orientation, const std::string& bg)
{
    Json scenario{{"device", "iPhone13,2"},
                  {"orientation", orientation},
                  {"settings", {{"bgColour", bg}, {"textColour", "FFFFFF"}}},
                  {"until", 1.5},
                  {"events",
                   {{{"at", 0.1}, {"notify", {{"id", "r1"}, {"app", "Mail"}, {"title", "Invoice"}, {"message", "Ready to download."}, {"icon", "#1C73F2"}}}},
                    {{"at", 1.0}, {"snapshot", "shot"}}}}};
    zovo::ErrorOr<zovo::Scenario> loaded = zovo::parseScenario(scenario.dump(), ".", "test");
    EXPECT_TRUE(loaded) << (loaded ? std::string() : loaded.error());
    Shot shot;
    zovo::RunnerOptions options;
    options.onEvent = [&](const zovo::TraceEvent& e) {
        if (e.type == "snapshot") shot.banner = Json::parse(e.field("banner"));
    };
    options.onSnapshot = [&](zovo::Process&, const std::string&) { shot.frame = zovo::renderScreen({.scale = 1}); };
    zovo::ScenarioRunner runner(loaded.value(), options);
    EXPECT_TRUE(runner.run());
    return shot;
}

bool near(zovo::RGBA8 p, int r, int g, int b, int tolerance = 6)
{
    return std::abs(p.red - r) <= tolerance && std::abs(p.green - g) <= tolerance && std::abs(p.blue - b) <= tolerance;
}

TEST(RenderedScenario, BannerBodyCornersPillAndTextShowWhereLaidOut)
{
    Shot shot = shoot("portrait", "B4123C");
    ASSERT_TRUE(shot.banner.is_object());
    const auto window = shot.banner["window"]["frame"];
    const auto body = shot.banner["bottomSection"]["frame"];
    const double left = window[0].get<double>(), top = window[1].get<double>();
    const double width = body[2].get<double>(), height = body[3].get<double>();

    // The body's colour fills its middle, below the notch.
    EXPECT_TRUE(near(*shot.frame.pixelAtPoint(left + width - 12, top + height / 2 + 8), 0xB4, 0x12, 0x3C));
    // A rounded bottom corner lets the wallpaper through at the very corner, not the body.
    EXPECT_FALSE(near(*shot.frame.pixelAtPoint(left + 1, top + height - 1), 0xB4, 0x12, 0x3C, 30));
    EXPECT_TRUE(near(*shot.frame.pixelAtPoint(left + 30, top + height - 2), 0xB4, 0x12, 0x3C)) << "just inside the curve";
    // The pill is the platform's grey.
    const auto pill = shot.banner["pill"]["frame"];
    EXPECT_TRUE(near(*shot.frame.pixelAtPoint(left + pill[0].get<double>() + 17, top + pill[1].get<double>() + 2.5), 128, 128, 128, 10));
    // Some of the title's box is drawn in the text colour.
    const auto title = shot.banner["primary"]["frame"];
    const double tx = left + 10 + title[0].get<double>(), ty = top + title[1].get<double>();
    bool white = false;
    for (double x = tx; x < tx + 40 && !white; x += 0.5)
        for (double y = ty; y < ty + title[3].get<double>() && !white; y += 0.5) white = near(*shot.frame.pixelAtPoint(x, y), 255, 255, 255, 40);
    EXPECT_TRUE(white);
}

TEST(RenderedScenario, LandscapeDrawsNoComponentBanner)
{
    Shot shot = shoot("landscape", "B4123C");
    EXPECT_TRUE(shot.banner.is_null());
    EXPECT_EQ(shot.frame.width(), 844);
    int bodyColoured = 0;
    for (int y = 0; y < 150; y += 2)
        for (int x = 0; x < shot.frame.width(); x += 2) bodyColoured += near(shot.frame.pixelAt(x, y), 0xB4, 0x12, 0x3C, 12);
    EXPECT_EQ(bodyColoured, 0) << "the banner's colour appears nowhere at the top of the screen";
}

// A long random run (notifications, taps, drags, holds, long looks, turns and settings changes),
// every frame drawn both by bringing the last frame up to date and in full: they must agree to
// the byte.
TEST(RenderedScenario, FramesDrawnOnlyWhereChangedMatchFullRedrawsOverARandomRun)
{
    std::mt19937 random(22);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* const apps[] = {"Messages", "Weather", "Mail", "Reminders"};
    const char* const icons[] = {"messages", "weather", "mail", "#2E8B57"};
    const char* const colours[] = {"000000", "B4123C", "F2F2F7", "1C73F2"};
    Json events = Json::array();
    double at = 0.3;
    for (int i = 0; at < 36; ++i) {
        const int app = pick(4);
        events.push_back({{"at", at},
                          {"notify",
                           {{"id", "n" + std::to_string(i)},
                            {"app", apps[app]},
                            {"title", std::string(apps[app]) + " " + std::to_string(i)},
                            {"message", pick(2) ? "Short." : "A message long enough to wrap onto a second line of the banner."},
                            {"icon", icons[app]},
                            {"date", "now"},
                            {"sticky", pick(5) == 0}}}});
        at += 0.4 + pick(8) * 0.1;
        switch (pick(6)) {
        case 0: events.push_back({{"at", at}, {"tap", true}}); break;
        case 1: events.push_back({{"at", at}, {"drag", {{"dy", -70}, {"duration", 0.25}}}}); break;
        case 2:
            events.push_back({{"at", at}, {"drag", {{"dy", 80}, {"duration", 0.3}}}});
            at += 1.0;
            events.push_back({{"at", at}, {"closeLongLook", true}});
            break;
        case 3: events.push_back({{"at", at}, {"hold", {{"duration", 0.6}}}}); break;
        case 4:
            events.push_back({{"at", at},
                              {"settings",
                               {{"bgColour", colours[pick(4)]}, {"textColour", "FFFFFF"}, {"adaptiveColours", pick(2) == 0},
                                {"showGrabber", pick(2) == 0}, {"showTimestamp", pick(2) == 0}, {"customWidth", pick(3) == 0}, {"customWidthValue", 250}}}});
            break;
        default:
            if (pick(3) == 0) {
                events.push_back({{"at", at}, {"rotate", "landscape"}});
                at += 1.5;
                events.push_back({{"at", at}, {"rotate", "portrait"}});
            }
        }
        at += 0.5 + pick(30) * 0.1;
    }
    const Json scenario{{"device", "iPhone13,2"}, {"bannerDuration", 2.5}, {"until", at + 3}, {"events", events}};
    zovo::ErrorOr<zovo::Scenario> loaded = zovo::parseScenario(scenario.dump(), ".", "random");
    ASSERT_TRUE(loaded) << loaded.error();

    zovo::ScreenRenderer partial, full;
    zovo::Frame kept;
    int frames = 0, partialFrames = 0, mismatches = 0;
    zovo::RunnerOptions options;
    options.fps = 30;
    options.onFrame = [&](zovo::Process&, double time) {
        const zovo::PixelRect changed = partial.render(kept);
        full.invalidate();
        const zovo::Frame whole = full.render();
        ++frames;
        partialFrames += changed.width * changed.height < whole.width() * whole.height();
        if (mismatches < 3 && std::memcmp(std::as_const(kept).data(), whole.data(), whole.byteCount()) != 0) {
            ++mismatches;
            ADD_FAILURE() << "the frame at " << time << " s differs from a full redraw";
        }
    };
    zovo::ScenarioRunner runner(loaded.value(), options);
    ASSERT_TRUE(runner.run());
    EXPECT_GT(frames, 1000);
    EXPECT_GT(partialFrames, frames / 2) << "most frames change little or nothing";
}

} // namespace
