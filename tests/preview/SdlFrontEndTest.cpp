// The window glue under SDL's offscreen driver: events pushed as a person would make them reach
// the session, and Q ends the loop. No display is needed.
#include "ScopedEnv.h"
#include "preview/PreviewSession.h"
#include "preview/SdlFrontEnd.h"
#include "render/Frame.h"
#include "sim/ScenarioRunner.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace {

void push(SDL_Event event) { ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError(); }

SDL_Event key(SDL_Keycode sym, Uint16 mod = KMOD_NONE)
{
    SDL_Event e{};
    e.key = {.type = SDL_KEYDOWN, .keysym = {.sym = sym, .mod = mod}};
    return e;
}

// A press, a move with the left button held or a release, at window pixel (x, y).
SDL_Event mouse(Uint32 type, int x, int y)
{
    SDL_Event e{};
    if (type == SDL_MOUSEMOTION) {
        e.motion = {.type = type, .state = SDL_BUTTON_LMASK, .x = x, .y = y};
    } else {
        e.button = {.type = type, .button = SDL_BUTTON_LEFT, .x = x, .y = y};
    }
    return e;
}

TEST(SdlFrontEnd, EventsReachTheSessionAndQuitEndsTheLoop)
{
    const zovo::ScopedEnv driver("SDL_VIDEODRIVER", "offscreen");
    // The offscreen driver would load Mesa's EGL, which keeps allocations past its unloading (a
    // leak report under AddressSanitizer that is not ours); the 2D renderer needs none of it.
    const zovo::ScopedEnv noEgl("SDL_VIDEO_EGL_DRIVER", "zovorudovu-no-egl.so");
    double wall = 0;
    std::vector<std::string> posts;
    auto started = zovo::PreviewSession::start({.device = "iPhone14,2",
                                                .wallClock = [&] { return wall; },
                                                .onTrace = [&](const zovo::TraceEvent& e) {
                                                    if (e.type == "post") posts.push_back(e.text("name"));
                                                }});
    ASSERT_TRUE(started) << started.error();
    auto session = std::move(started).value();
    auto opened = zovo::SdlFrontEnd::open(*session, std::nullopt);
    if (!opened) GTEST_SKIP() << "SDL has no offscreen driver here: " << opened.error();
    auto window = std::move(opened).value();
    SDL_Rect usable{};
    ASSERT_EQ(SDL_GetDisplayUsableBounds(0, &usable), 0) << SDL_GetError();
    EXPECT_LT(session->scale(), 1) << "the offscreen display is small, and the window is fitted into it";
    EXPECT_LE(session->picture().width(), usable.w);
    EXPECT_LE(session->picture().height(), usable.h);

    push(key(SDLK_n));
    EXPECT_TRUE(window->step(0));
    for (int i = 0; i < 60; ++i) {
        wall += 1.0 / 60;
        window->step(0);
    }
    const auto centre = zovo::bannerCentre(session->host());
    ASSERT_TRUE(centre);
    const int x = static_cast<int>(centre->x * session->scale()), y = static_cast<int>(centre->y * session->scale());
    push(mouse(SDL_MOUSEBUTTONDOWN, x, y));
    push(mouse(SDL_MOUSEMOTION, x, y + 1));
    push(mouse(SDL_MOUSEBUTTONUP, x, y + 1));
    window->step(0);
    EXPECT_NE(std::find(posts.begin(), posts.end(), "Zovorudovu_ExecuteTapAction"), posts.end());
    EXPECT_EQ(session->recording().events.back().touches.size(), 3u);

    push(key(SDLK_n, KMOD_LSHIFT));
    push(key(SDLK_r, KMOD_LCTRL)); // a relaunch: the sticky one went with the old process
    window->step(0);
    EXPECT_TRUE(session->recording().events.empty());
    push(key(SDLK_ESCAPE));
    EXPECT_FALSE(window->step(0));
}

TEST(SdlFrontEnd, NoDisplayIsRefusedUnlessAnInvisibleDriverIsAskedFor)
{
    struct Case {
        const char *driver, *requested, *display, *wayland, *reason;
    } cases[] = {
        {"x11", nullptr, ":0", nullptr, ""},
        {"offscreen", "offscreen", nullptr, nullptr, ""},
        {"dummy", "dummy", nullptr, nullptr, ""},
        {"offscreen", nullptr, nullptr, nullptr, "neither DISPLAY nor WAYLAND_DISPLAY is set"},
        {"offscreen", "", ":7", nullptr, "the X display \":7\" cannot be opened"},
        {"dummy", nullptr, nullptr, "wayland-1", "the Wayland display \"wayland-1\" cannot be opened"},
    };
    for (const Case& c : cases) {
        const std::string reason = zovo::noDisplayReason(c.driver, c.requested, c.display, c.wayland);
        if (*c.reason == 0) {
            EXPECT_EQ(reason, "") << c.driver;
        } else {
            EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
        }
    }
    // SDL's own refusal of a machine with no display is the preview command's no-display test.
}

} // namespace
