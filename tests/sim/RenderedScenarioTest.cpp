// What a person would see: scenarios rendered at their snapshots, checked by pixels where it
// matters rather than by whole images.
#include "render/ScreenRenderer.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>

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

} // namespace
