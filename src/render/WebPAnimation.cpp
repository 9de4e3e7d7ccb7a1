#include "render/WebPAnimation.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace zovo {

struct WebPAnimationWriter::Encoder {
    WebPAnimEncoder* encoder = nullptr;
    WebPConfig config;
    std::vector<std::uint8_t> straight; // one frame's pixels as B, G, R, A
    ~Encoder()
    {
        if (encoder) WebPAnimEncoderDelete(encoder);
    }
};

WebPAnimationWriter::WebPAnimationWriter(std::filesystem::path path, int width, int height, WebPAnimationOptions options)
    : path_(std::move(path)), width_(width), height_(height), options_(options), encoder_(std::make_unique<Encoder>())
{
    // Sides and quality are the caller's choice, not input: out of range, they throw as broken programs
    // do. A libwebp that cannot start is a broken installation, not a failed write, and throws too.
    if (width < 1 || height < 1 || width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION)
        throw std::invalid_argument("WebP animation: a side of " + std::to_string(width) + " x " + std::to_string(height) + " is outside 1...16383");
    if (!(options.quality >= 0 && options.quality <= 100)) throw std::invalid_argument("WebP animation: quality must be 0...100");
    WebPAnimEncoderOptions anim;
    if (!WebPAnimEncoderOptionsInit(&anim) || !WebPConfigInit(&encoder_->config)) throw std::runtime_error("WebP animation: libwebp version mismatch");
    anim.anim_params.loop_count = 0; // for ever, as the GIF
    anim.allow_mixed = 0;
    encoder_->config.quality = options.quality;
    encoder_->config.method = options.method;
    encoder_->encoder = WebPAnimEncoderNew(width, height, &anim);
    if (!encoder_->encoder) throw std::runtime_error("WebP animation: cannot make an encoder");
}

WebPAnimationWriter::~WebPAnimationWriter() = default;

ErrorOr<void> WebPAnimationWriter::addFrame(const Frame& frame, int milliseconds)
{
    if (!result_) return result_;
    if (finished_) return result_ = Error{path_.string() + ": a frame added after the file was finished"};
    if (frame.width() != width_ || frame.height() != height_)
        return result_ = Error{path_.string() + ": a frame of " + std::to_string(frame.width()) + " x " + std::to_string(frame.height()) +
                                                      " pixels on a canvas of " + std::to_string(width_) + " x " + std::to_string(height_)};
    WebPPicture picture;
    if (!WebPPictureInit(&picture)) return result_ = Error{path_.string() + ": libwebp version mismatch"};
    picture.use_argb = 1;
    picture.width = width_;
    picture.height = height_;
    // Frames are opaque, so their premultiplied bytes are already straight colour.
    const int ok = WebPPictureImportBGRA(&picture, frame.data(), static_cast<int>(frame.stride()));
    const int added = ok && WebPAnimEncoderAdd(encoder_->encoder, &picture, milliseconds, &encoder_->config);
    WebPPictureFree(&picture);
    if (!added) return result_ = Error{path_.string() + ": " + (ok ? WebPAnimEncoderGetError(encoder_->encoder) : "out of memory")};
    ++frames_;
    return result_;
}

ErrorOr<void> WebPAnimationWriter::finish(int endMilliseconds)
{
    if (finished_ || !result_) return result_;
    finished_ = true;
    if (frames_ == 0) return result_ = Error{path_.string() + ": no frames were added"};
    WebPData data;
    WebPDataInit(&data);
    if (!WebPAnimEncoderAdd(encoder_->encoder, nullptr, endMilliseconds, nullptr) || !WebPAnimEncoderAssemble(encoder_->encoder, &data))
        return result_ = Error{path_.string() + ": " + WebPAnimEncoderGetError(encoder_->encoder)};
    std::FILE* file = std::fopen(path_.c_str(), "wb");
    const bool written = file && std::fwrite(data.bytes, 1, data.size, file) == data.size;
    const bool closed = file && std::fclose(file) == 0;
    WebPDataClear(&data);
    if (!written || !closed) result_ = Error{"cannot write " + path_.string()};
    return result_;
}

} // namespace zovo
