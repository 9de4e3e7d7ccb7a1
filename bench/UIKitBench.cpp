// What adaptive colours cost per banner: the average colour of an app icon (180 × 180 pixels, the
// home screen's 60 points at 3x) and of a large image, each beside a plain byte-summing loop over
// the same bytes, and the one-pixel merge for comparison.
#include "PlainByteSum.h"

#include "foundation/Process.h"
#include "objc/Message.h"
#include "tweak/UIImageAverageColorAddition.h"
#include "uikit/UIImage.h"
#include "uikit/UIKitClasses.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

struct ImageProcess {
    zovo::Process process;
    ImageProcess()
    {
        registerUIKitClasses(process.runtime());
        zovorudovu::registerUIImageAverageColorAddition(process.runtime());
    }
};

// A gradient, so no pass can shortcut a uniform image.
objc::StrongRef<UIImage> gradient(std::size_t side)
{
    std::vector<std::uint8_t> bytes(side * side * 4);
    for (std::size_t i = 0; i < side * side; ++i) {
        bytes[i * 4 + 0] = static_cast<std::uint8_t>(i);
        bytes[i * 4 + 1] = static_cast<std::uint8_t>(i >> 8);
        bytes[i * 4 + 2] = static_cast<std::uint8_t>(i * 7);
        bytes[i * 4 + 3] = 255;
    }
    return UIImage::fromPixels(side, side, {zovo::ChannelOrder::BGRA, zovo::AlphaMode::Premultiplied}, std::move(bytes), 3.0);
}

void BM_AverageColor(benchmark::State& state)
{
    ImageProcess p;
    const auto side = static_cast<std::size_t>(state.range(0));
    auto image = gradient(side);
    for (auto _ : state) benchmark::DoNotOptimize(objc::send<objc::StrongId>(image, "averageColor"));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(side * side));
}
BENCHMARK(BM_AverageColor)->Arg(180)->Arg(1024);

void BM_PlainByteSum(benchmark::State& state)
{
    const auto side = static_cast<std::size_t>(state.range(0));
    std::vector<std::uint8_t> bytes(side * side * 4);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<std::uint8_t>(i * 7);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bytes.data());
        benchmark::DoNotOptimize(zovo::bench::plainByteSum(bytes.data(), side * side));
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(side * side));
}
BENCHMARK(BM_PlainByteSum)->Arg(180)->Arg(1024);

void BM_MergedColor(benchmark::State& state)
{
    ImageProcess p;
    auto image = gradient(60);
    for (auto _ : state) benchmark::DoNotOptimize(objc::send<objc::StrongId>(image, "mergedColor"));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_MergedColor);

} // namespace
