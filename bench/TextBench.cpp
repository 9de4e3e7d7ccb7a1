// Text measurement must leave nearly all of a frame (8.33 ms at 120 Hz) to the rest of a layout
// pass: a banner measures its message once per content update, and labels measure again whenever
// the constraint solver asks for their intrinsic size.
#include "foundation/Process.h"
#include "uikit/TextLayout.h"
#include "uikit/UIFont.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UILabel.h"

#include <benchmark/benchmark.h>

#include <string>

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

} // namespace
