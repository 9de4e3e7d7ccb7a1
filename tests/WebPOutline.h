// A WebP animation's canvas and each frame's time on screen in milliseconds, decoded by libwebp;
// nothing when it does not decode.
//
//   const zovo::AnimationOutline film = zovo::webpOutline(out / "animation.webp");
#pragma once

#include "AnimationOutline.h"

#include <webp/demux.h>

namespace zovo {
inline AnimationOutline webpOutline(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    WebPData data{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, nullptr);
    if (!decoder) return {};
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    AnimationOutline outline{static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height), {}};
    for (int previous = 0; WebPAnimDecoderHasMoreFrames(decoder);) {
        uint8_t* pixels = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) {
            outline = {};
            break;
        }
        outline.delays.push_back(timestamp - previous);
        previous = timestamp;
    }
    WebPAnimDecoderDelete(decoder);
    return outline;
}

} // namespace zovo
