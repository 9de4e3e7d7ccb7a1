// One frame of the live preview: an iPhone 13 Pro (iPhone14,2) at 2 window pixels a point (780 x
// 1688 pixels) with a banner mid-slide. A frame is what the window does each display refresh while
// something moves: bring the phone's clock up to the wall clock, draw the changed screen and hand
// the changed pixels on (copied into a buffer, as SDL_UpdateTexture copies them into the window's
// texture).
// Beside it, the plain copy of the same picture alone. Budget: 8.33 ms (120 Hz), and 4x the copy.
#include "preview/PreviewPanel.h"
#include "preview/PreviewSession.h"

#include <benchmark/benchmark.h>
#include <imgui.h>

#include <chrono>
#include <cstring>
#include <filesystem>
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

// The side panel's own cost a drawn frame: ImGui laying out every section (compose, settings with
// their warnings, inspector, timeline) and making its triangles, beside the frame above. Handing the
// triangles to SDL's renderer is not counted: that is the window's drawing, as the phone's is.
// Budget: 1 ms.
void BM_PreviewPanel(benchmark::State& state)
{
    Sliding phone(state);
    if (!phone.session) return;
    ImGuiContext* context = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(780 + 360, 1688);
    io.DeltaTime = 1.0f / 60;
    unsigned char* pixels = nullptr;
    int width = 0, height = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
    zovo::PreviewPanel panel(*phone.session);
    panel.setPointer(390, 60); // over the banner: the inspector has a chain to show
    for (auto _ : state) {
        ImGui::NewFrame();
        panel.draw(780, 360, 1688);
        ImGui::Render();
        benchmark::DoNotOptimize(ImGui::GetDrawData()->TotalVtxCount);
    }
    ImGui::DestroyContext(context);
}
BENCHMARK(BM_PreviewPanel)->Unit(benchmark::kMillisecond);

// V pressed the second time after 10 s of the phone's time with three banners coming and going:
// the animated WebP and the scenario written. The frames were encoded as the phone's clock passed
// them (not timed here); what the person waits for is the file. Budget: 2 s.
void BM_PreviewVideoWrite(benchmark::State& state)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "zovo-bench-preview-video";
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        double wall = 0;
        auto started = zovo::PreviewSession::start({.device = "iPhone14,2",
                                                    .scale = 2,
                                                    .screenshotDir = folder,
                                                    .wallClock = [&] { return wall; },
                                                    .onMessage = [](const std::string&) {},
                                                    .onScreenshot = [](const std::filesystem::path&) {}});
        if (!started) return state.SkipWithError(started.error().c_str());
        auto session = std::move(started).value();
        session->perform(zovo::PreviewAction::ToggleVideo);
        const auto recordingStart = std::chrono::steady_clock::now();
        for (int frame = 0; frame < 600; ++frame) {
            if (frame % 200 == 0) session->perform(zovo::PreviewAction::PostSample);
            wall += 1.0 / 60;
            session->update();
        }
        // What recording cost the window over the 10 s: each frame encoded as the clock passed it.
        state.counters["recording_s"] = std::chrono::duration<double>(std::chrono::steady_clock::now() - recordingStart).count();
        state.ResumeTiming();
        session->perform(zovo::PreviewAction::ToggleVideo);
        benchmark::DoNotOptimize(session->recordingVideo());
    }
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        state.counters[entry.path().extension() == ".webp" ? "webp_kB" : "json_kB"] = static_cast<double>(entry.file_size()) / 1000;
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PreviewVideoWrite)->Unit(benchmark::kMillisecond)->Iterations(2);
