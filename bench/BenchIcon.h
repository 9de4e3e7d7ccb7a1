// The app icon the road benchmarks post: 180 x 180 pixels at 3x, a gradient, so that the average
// colour has real work to do.
#pragma once

#include "uikit/UIImage.h"

#include <cstdint>
#include <vector>

namespace zovo::bench {

inline objc::StrongRef<UIImage> gradientIcon()
{
    std::vector<std::uint8_t> bytes(180 * 180 * 4);
    for (std::size_t i = 0; i < 180 * 180; ++i) {
        bytes[i * 4 + 0] = static_cast<std::uint8_t>(i / 180);
        bytes[i * 4 + 1] = static_cast<std::uint8_t>(i % 180);
        bytes[i * 4 + 2] = 90;
        bytes[i * 4 + 3] = 255;
    }
    return UIImage::fromPixels(180, 180, {ChannelOrder::RGBA, AlphaMode::Straight}, std::move(bytes), 3.0);
}

} // namespace zovo::bench
