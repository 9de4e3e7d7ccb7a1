// One frame of the live preview: an iPhone 13 Pro (iPhone14,2) at 2 window pixels a point (780 x
// 1688 pixels) with a banner mid-slide. A frame is what the window does each display refresh while
// something moves: bring the phone's clock up to the wall clock, draw the changed screen and hand
// the changed pixels on (copied into a buffer, as SDL_UpdateTexture copies them into the window's
// texture).
// Beside it, the plain copy of the same picture alone. Budget: 8.33 ms (120 Hz), and 4x the copy.
#include "preview/PreviewSession.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

struct Sliding {
    double wall = 0;
    std::unique_ptr<zovo::PreviewSession> session;
    std::vector<std::uint8_t> texture;

    explicit Sliding(benchmark::State& state)
    {
        auto started = zovo::PreviewSession::start({.device = "iPhone14,2", .scale = 2, .wallClock = [this] { return wall; }});
        if (!started) {
            state.SkipWithError(started.error().c_str());
            return;
        }
        session = std::move(started).value();
        session->perform(zovo::PreviewAction::PostSample);
        wall += 0.12; // the banner is on its way in
        session->update();
        if (!session->isMoving()) state.SkipWithError("no slide under way");
        texture.resize(session->picture().byteCount());
    }
};

void BM_PreviewFrame(benchmark::State& state)
{
    Sliding phone(state);
    if (!phone.session) return;
    for (auto _ : state) {
        // A microsecond a frame keeps the banner mid-slide for as many frames as the run takes.
        phone.wall += 1e-6;
        if (!phone.session->update()) {
            state.SkipWithError("the slide ended");
            break;
        }
        const zovo::Frame& picture = phone.session->picture();
        const zovo::PixelRect changed = phone.session->takeChangedPixels();
        for (int y = changed.y; y < changed.y + changed.height; ++y) {
            const std::size_t row = static_cast<std::size_t>(y) * picture.stride() + static_cast<std::size_t>(changed.x) * 4;
            std::memcpy(phone.texture.data() + row, picture.data() + row, static_cast<std::size_t>(changed.width) * 4);
        }
        benchmark::DoNotOptimize(phone.texture.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PreviewFrame)->Unit(benchmark::kMillisecond);

void BM_PreviewFrameCopy(benchmark::State& state)
{
    Sliding phone(state);
    if (!phone.session) return;
    const zovo::Frame& picture = phone.session->picture();
    for (auto _ : state) {
        std::memcpy(phone.texture.data(), picture.data(), picture.byteCount());
        benchmark::DoNotOptimize(phone.texture.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PreviewFrameCopy)->Unit(benchmark::kMillisecond);

// Idle: nothing moves, so a frame is the clock step and a look at the settings, with no drawing.
void BM_PreviewIdle(benchmark::State& state)
{
    double wall = 0;
    auto started = zovo::PreviewSession::start({.device = "iPhone14,2", .scale = 2, .wallClock = [&] { return wall; }});
    if (!started) return state.SkipWithError(started.error().c_str());
    auto session = std::move(started).value();
    session->picture();
    for (auto _ : state) {
        wall += 1.0 / 120;
        benchmark::DoNotOptimize(session->update());
    }
}
BENCHMARK(BM_PreviewIdle)->Unit(benchmark::kMicrosecond);

} // namespace
