// What one frame of the screen costs: an iPhone 12 (390 x 844 points, 1170 x 2532 pixels) with a
// home screen of 24 app icons and a banner sliding down over it, mask, icon, labels and grabber
// included. The budget is one frame at 120 Hz, 8.33 ms.
#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "render/ScreenRenderer.h"
#include "uikit/CAShapeLayer.h"
#include "uikit/CGPath.h"
#include "uikit/DeviceProfile.h"
#include "uikit/UIColor.h"
#include "uikit/UIFont.h"
#include "uikit/UIImage.h"
#include "uikit/UIImageView.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UILabel.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

namespace {

// An icon of 60 × 60 pixels (20 points at 3x), a gradient so nothing can shortcut it.
objc::StrongRef<UIImage> icon(std::uint8_t hue)
{
    std::vector<std::uint8_t> bytes(60 * 60 * 4);
    for (std::size_t i = 0; i < 60 * 60; ++i) {
        bytes[i * 4 + 0] = static_cast<std::uint8_t>(hue + i / 60);
        bytes[i * 4 + 1] = static_cast<std::uint8_t>(i % 60 * 4);
        bytes[i * 4 + 2] = static_cast<std::uint8_t>(255 - hue);
        bytes[i * 4 + 3] = 255;
    }
    return UIImage::fromPixels(60, 60, {zovo::ChannelOrder::RGBA, zovo::AlphaMode::Straight}, std::move(bytes), 3.0);
}

objc::StrongRef<UILabel> label(CGRect frame, const char* text, double size, bool bold, std::int64_t lines)
{
    auto l = makeView<UILabel>(frame);
    l->setFont((bold ? UIFont::boldSystemFontOfSize(size) : UIFont::systemFontOfSize(size)).get());
    l->setTextColor(UIColor::whiteColor().get());
    l->setNumberOfLines(lines);
    l->setTextString(text);
    l->sizeToFit();
    return l;
}

struct Phone {
    zovo::Process process;
    objc::StrongRef<UIWindow> home;
    objc::StrongRef<UIWindow> banner;

    Phone()
    {
        registerUIKitClasses(process.runtime());
        UIScreen::useDevice(*zovo::findDeviceProfile("iPhone13,2"));

        home = makeView<UIWindow>(CGRectMake(0, 0, 390, 844));
        for (int i = 0; i < 24; ++i) {
            auto app = makeView<UIImageView>(CGRectMake(27 + (i % 4) * 90, 80 + (i / 4) * 100, 60, 60));
            app->setImage(icon(static_cast<std::uint8_t>(i * 10)).get());
            app->layer()->setCornerRadius(13);
            app->setClipsToBounds(true);
            home->addSubview(app.get());
            home->addSubview((label(CGRectMake(27 + (i % 4) * 90, 144 + (i / 4) * 100, 60, 0), "App", 11, false, 1)).get());
        }
        home->setHidden(false);

        banner = makeView<UIWindow>(CGRectMake(90, -120, 210, 120));
        banner->setWindowLevel(UIWindowLevelStatusBar + 100);
        auto body = makeView<UIView>(CGRectMake(0, 0, 210, 110));
        body->setBackgroundColor(UIColor::colorWithRed(0.15, 0.15, 0.18, 1).get());
        auto mask = objc::make<CAShapeLayer>();
        const CGPath path = CGPath::roundedRectangle(CGRectMake(0, 0, 210, 110), UIRectCornerBottomLeft | UIRectCornerBottomRight, CGSizeMake(20, 20));
        mask->setPath(&path);
        body->layer()->setMask(mask.get());
        banner->addSubview(body.get());
        auto appIcon = makeView<UIImageView>(CGRectMake(10, 40, 20, 20));
        appIcon->setImage(icon(200).get());
        body->addSubview(appIcon.get());
        body->addSubview(label(CGRectMake(38, 38, 160, 0), "Messages", 14, true, 1).get());
        body->addSubview(label(CGRectMake(38, 58, 160, 0), "A message long enough to wrap onto a second line", 12, false, 0).get());
        body->addSubview(label(CGRectMake(150, 40, 50, 0), "now", 12, false, 1).get());
        auto pill = makeView<UIView>(CGRectMake(85, 100, 40, 5));
        pill->setBackgroundColor(UIColor::grayColor().get());
        pill->layer()->setCornerRadius(2.5);
        pill->setClipsToBounds(true);
        body->addSubview(pill.get());
        banner->setHidden(false);

        // Halfway through the slide down: the banner is drawn at its presentation position.
        UIView::animate(0.3, [&] { banner->setFrame(CGRectMake(90, 0, 210, 120)); });
        process.mainRunLoop().advance(0.15);
    }
};

// Frames made one after another into the same memory, each drawn in full: the cost of a frame
// where everything changed.
void BM_RenderFrameReused(benchmark::State& state)
{
    Phone phone;
    zovo::ScreenRenderer renderer;
    zovo::Frame frame;
    renderer.render(frame);
    for (auto _ : state) {
        renderer.invalidate();
        renderer.render(frame);
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
    state.counters["pixels"] = static_cast<double>(frame.width()) * frame.height();
}
BENCHMARK(BM_RenderFrameReused)->Unit(benchmark::kMillisecond);

// The floor for a frame: copying a screenful of pixels of the same size from one buffer to
// another.
void BM_FrameMemcpy(benchmark::State& state)
{
    Phone phone;
    zovo::ScreenRenderer renderer;
    zovo::Frame frame;
    renderer.render(frame);
    std::vector<std::uint8_t> source(frame.data(), frame.data() + frame.byteCount());
    for (auto _ : state) {
        std::memcpy(frame.data(), source.data(), source.size());
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FrameMemcpy)->Unit(benchmark::kMillisecond);

// A live view's frames while a banner slides in: each iteration is the next 1/120 s of the slide,
// which starts again from above the screen when it has ended.
void BM_RenderFrameSliding(benchmark::State& state)
{
    Phone phone;
    zovo::ScreenRenderer renderer;
    zovo::Frame frame;
    auto slide = [&] {
        phone.banner->setFrame(CGRectMake(90, -120, 210, 120));
        UIView::animate(0.3, [&] { phone.banner->setFrame(CGRectMake(90, 0, 210, 120)); });
    };
    slide();
    renderer.render(frame);
    int step = 0;
    for (auto _ : state) {
        if (++step > 36) { // 0.3 s at 120 Hz, and one frame at rest
            step = 0;
            slide();
        }
        phone.process.mainRunLoop().advance(1.0 / 120);
        renderer.render(frame);
        // Read-only access: asking for writable pixels would make the frame look drawn over.
        benchmark::DoNotOptimize(std::as_const(frame).data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RenderFrameSliding)->Unit(benchmark::kMillisecond);

// A frame when nothing has changed since the last one.
void BM_RenderFrameStill(benchmark::State& state)
{
    Phone phone;
    zovo::ScreenRenderer renderer;
    zovo::Frame frame;
    renderer.render(frame);
    for (auto _ : state) {
        renderer.render(frame);
        benchmark::DoNotOptimize(std::as_const(frame).data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RenderFrameStill)->Unit(benchmark::kMillisecond);

// A new frame each time: includes allocating and first touching a screenful of memory.
void BM_RenderFrameNew(benchmark::State& state)
{
    Phone phone;
    zovo::ScreenRenderer renderer;
    renderer.render();
    for (auto _ : state) {
        zovo::Frame frame = renderer.render();
        benchmark::DoNotOptimize(frame.data());
    }
}
BENCHMARK(BM_RenderFrameNew)->Unit(benchmark::kMillisecond);

// The first frame, when the wallpaper, status bar and notch are drawn rather than copied.
void BM_RenderFirstFrame(benchmark::State& state)
{
    Phone phone;
    for (auto _ : state) {
        zovo::ScreenRenderer renderer;
        zovo::Frame frame = renderer.render();
        benchmark::DoNotOptimize(frame.data());
    }
}
BENCHMARK(BM_RenderFirstFrame)->Unit(benchmark::kMillisecond);

// Frames at one pixel per point, the size an animated preview uses.
void BM_RenderFrameScale1(benchmark::State& state)
{
    Phone phone;
    zovo::ScreenRenderer renderer;
    zovo::Frame frame;
    renderer.render(frame, {.scale = 1});
    for (auto _ : state) {
        renderer.render(frame, {.scale = 1});
        benchmark::DoNotOptimize(frame.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_RenderFrameScale1)->Unit(benchmark::kMillisecond);

} // namespace
