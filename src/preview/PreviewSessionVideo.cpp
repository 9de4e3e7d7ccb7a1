// V: the phone's screen as an animated WebP, with the scenario of the same stretch. Frames are
// drawn at the phone's own frame times as its clock passes them, whatever the window's pace, so
// a slide keeps its length and no frame is dropped or shown twice.
#include "preview/PreviewSession.h"

#include "foundation/Json.h"
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "preview/PreviewOverlay.h"
#include "preview/PreviewSettings.h"
#include "preview/PreviewVideoRecording.h"
#include "render/ScreenRenderer.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>

namespace fs = std::filesystem;

namespace zovo {

fs::path PreviewSession::nextFreeFile(const char* extension) const
{
    std::error_code ec;
    fs::create_directories(options_.screenshotDir, ec);
    // One number for every kind, so that a picture and the scenario beside it share theirs.
    for (int n = 1;; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "preview-%04d", n);
        const fs::path base = options_.screenshotDir / name;
        bool taken = false;
        for (const char* kind : {".png", ".webp", ".json"}) taken = taken || fs::exists(fs::path(base).concat(kind), ec);
        if (!taken || n == 9999) return fs::path(base).concat(extension);
    }
}

void PreviewSession::startVideo()
{
    auto video = std::make_unique<PreviewVideoRecording>();
    video->file = nextFreeFile(".webp");
    const CGSize points = screenPoints();
    video->start = process_->mainRunLoop().now();
    video->stretch = recording_;
    video->stretch.events.clear();
    video->stretch.device = options_.device;
    video->stretch.orientation = options_.orientation;
    video->stretch.settings = settings_->current();
    video->firstEvent = recording_.events.size();
    ErrorOr<std::unique_ptr<WebPAnimationWriter>> writer =
        WebPAnimationWriter::create(video->file, static_cast<int>(std::lround(points.width * kVideoScale)), static_cast<int>(std::lround(points.height * kVideoScale)),
                                    WebPAnimationOptions{.quality = 80, .method = 0});
    if (!writer) return note(writer.error());
    video->writer = std::move(writer).value();
    video_ = std::move(video);
    filmUntil(video_->start);
    note("recording " + video_->file.filename().string() + "; V stops");
}

void PreviewSession::filmUntil(double phoneTime)
{
    PreviewVideoRecording& v = *video_;
    RunLoop& loop = process_->mainRunLoop();
    for (;;) {
        const double at = v.start + v.frame / kVideoFps;
        // The frame at the end itself belongs to what comes next: a second holds 30 frames, not 31.
        if (v.frame > 0 && at > phoneTime - 1e-9) return;
        if (const double behind = at - loop.now(); behind > 0) loop.advance(behind);
        RenderOptions render;
        render.scale = kVideoScale;
        render.wallpaper = options_.wallpaper;
        renderScreen(v.picture, render);
        if (options_.touchesInScreenshots && showTouches_) drawTouch(v.picture, finger_, gestureLabel_, gestureAt_);
        // A frame the size of the canvas fails only when the screen turned; the writer keeps the error.
        (void)v.writer->addFrame(v.picture, static_cast<int>(std::lround(v.frame * 1000 / kVideoFps)));
        ++v.frame;
    }
}

void PreviewSession::stopVideo()
{
    std::unique_ptr<PreviewVideoRecording> video = std::move(video_);
    const double now = process_->mainRunLoop().now();
    const int end = std::max(static_cast<int>(std::lround((now - video->start) * 1000)), static_cast<int>(std::lround(video->frame * 1000 / kVideoFps)));
    if (auto written = video->writer->finish(end); !written) return note(written.error());
    // The scenario of the same stretch: its events moved to start at the recording's start.
    Scenario stretch = std::move(video->stretch);
    for (std::size_t i = video->firstEvent; i < recording_.events.size(); ++i) {
        ScenarioEvent event = recording_.events[i];
        event.at -= video->start;
        stretch.events.push_back(std::move(event));
    }
    stretch.until = now - video->start;
    fs::path scenario = video->file;
    scenario.replace_extension(".json");
    std::ofstream out(scenario, std::ios::binary | std::ios::trunc);
    out << toJsonText(scenarioToJson(stretch), JsonStyle::Pretty) << '\n';
    out.close();
    if (!out) note("cannot write the scenario " + scenario.string());
    note("recorded " + video->file.filename().string() + " and " + scenario.filename().string());
    if (options_.onScreenshot) {
        options_.onScreenshot(video->file);
        options_.onScreenshot(scenario);
    } else {
        std::cout << video->file.string() << '\n' << scenario.string() << '\n' << std::flush;
    }
}

} // namespace zovo
