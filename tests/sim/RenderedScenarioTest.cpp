// Rendering over whole scenarios: a frame brought up to date where it changed is the frame drawn
// in full. What the banner looks like is held by the reference images.
#include "render/ScreenRenderer.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <random>
#include <string>
#include <utility>

namespace {

using zovo::Json;

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
