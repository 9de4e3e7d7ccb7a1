// Text measurement must leave nearly all of a frame (8.33 ms at 120 Hz) to the rest of a layout
// pass: a banner measures its message once per content update, and labels measure again whenever
// the constraint solver asks for their intrinsic size.
#include "foundation/Process.h"
#include "sim/HardText.h"
#include "uikit/TextMeasurementCache.h"
#include "uikit/TextLayout.h"
#include "uikit/UIFont.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UILabel.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

const char* const kTwoLineMessage = "Your package has been delivered to the front door. Tap to see the photo.";

void MeasureTwoLineMessageAtBannerWidth(benchmark::State& state)
{
    const zovo::FontDescriptor font{zovo::systemFontFamily(), 12.0};
    for (auto _ : state) {
        zovo::TextMeasurement m = zovo::measureText(kTwoLineMessage, font, 189.0, 0, NSLineBreakByWordWrapping);
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(MeasureTwoLineMessageAtBannerWidth)->Unit(benchmark::kMicrosecond);

void MeasureSingleLineTitle(benchmark::State& state)
{
    const zovo::FontDescriptor font{zovo::systemFontFamily(), 14.0};
    for (auto _ : state) {
        zovo::TextMeasurement m = zovo::measureText("Delivery update", font, 0, 1, NSLineBreakByTruncatingTail);
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(MeasureSingleLineTitle)->Unit(benchmark::kMicrosecond);

// The worst a hostile message can do: the longest text that is laid out at all.
void MeasureLongestLaidOutText(benchmark::State& state)
{
    const zovo::FontDescriptor font{zovo::systemFontFamily(), 12.0};
    std::string text;
    while (text.size() < 4 * zovo::kMaxLaidOutCodePoints) text += "lorem ipsum dolor sit amet ";
    for (auto _ : state) {
        zovo::TextMeasurement m = zovo::measureText(text, font, 189.0, 0, NSLineBreakByWordWrapping);
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(MeasureLongestLaidOutText)->Unit(benchmark::kMillisecond);

// A message that is one enormous word, the case Pango handles worst when wrapping by words.
void MeasureLongestUnbrokenWord(benchmark::State& state)
{
    const zovo::FontDescriptor font{zovo::systemFontFamily(), 12.0};
    const std::string text(zovo::kMaxLaidOutCodePoints, 'W');
    for (auto _ : state) {
        zovo::TextMeasurement m = zovo::measureText(text, font, 189.0, 0, NSLineBreakByWordWrapping);
        benchmark::DoNotOptimize(m);
    }
}
BENCHMARK(MeasureLongestUnbrokenWord)->Unit(benchmark::kMillisecond);

// What a content update pays per label: new text, then sizeToFit.
void LabelSetTextAndSizeToFit(benchmark::State& state)
{
    zovo::Process process;
    registerUIKitClasses(process.runtime());
    auto label = makeView<UILabel>(CGRectMake(0, 25, 189, 0));
    label->setFont(UIFont::systemFontOfSize(12).get());
    label->setNumberOfLines(0);
    label->setLineBreakMode(NSLineBreakByWordWrapping);
    const std::string texts[2] = {kTwoLineMessage, std::string(kTwoLineMessage) + " Again."};
    int i = 0;
    for (auto _ : state) {
        label->setFrame(CGRectMake(0, 25, 189, 0));
        label->setTextString(texts[i ^= 1]);
        label->sizeToFit();
        benchmark::DoNotOptimize(label->frame());
    }
}
BENCHMARK(LabelSetTextAndSizeToFit)->Unit(benchmark::kMicrosecond);

// The hard-text set's message of 10,000 characters (words, emoji, Hebrew, digits) as a banner
// shows it, its label drawn at 3 pixels a point: measured afresh (the cache emptied) and drawn, as
// at a content update, and drawn alone, as in every later frame of the banner's animations. The
// goal is one 120 Hz frame, 8.33 ms.
void tenThousandCharacterMessage(benchmark::State& state, bool measureAfresh)
{
    std::string message;
    for (const zovo::HardTextSample& sample : zovo::hardTextSamples())
        if (sample.name == "ten-thousand") message = sample.message;
    zovo::TextStyle style;
    style.font = {zovo::systemFontFamily(), 12.0};
    style.numberOfLines = 0;
    style.lineBreakMode = NSLineBreakByWordWrapping;
    constexpr double scale = 3;
    const CGRect rect = CGRectMake(0, 0, 189, 120);
    const int width = static_cast<int>(rect.size.width * scale), height = static_cast<int>(rect.size.height * scale);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    for (auto _ : state) {
        if (measureAfresh) zovo::TextMeasurementCache::shared().clear();
        zovo::TextMeasurement m = zovo::measureText(message, style.font, rect.size.width, 0, NSLineBreakByWordWrapping);
        benchmark::DoNotOptimize(m);
        zovo::drawTextIntoBitmap(pixels.data(), width, height, width * 4, scale, message, style, rect);
        benchmark::DoNotOptimize(pixels.data());
    }
}
void MeasureAndDrawTenThousandCharacterMessage(benchmark::State& state) { tenThousandCharacterMessage(state, true); }
BENCHMARK(MeasureAndDrawTenThousandCharacterMessage)->Unit(benchmark::kMillisecond);
void DrawTenThousandCharacterMessageMeasured(benchmark::State& state) { tenThousandCharacterMessage(state, false); }
BENCHMARK(DrawTenThousandCharacterMessageMeasured)->Unit(benchmark::kMillisecond);

} // namespace
