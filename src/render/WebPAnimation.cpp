#include "render/WebPAnimation.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
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

ErrorOr<std::unique_ptr<WebPAnimationWriter>> WebPAnimationWriter::create(std::filesystem::path path, int width, int height, WebPAnimationOptions options)
{
    // Sides and quality are the caller's choice, not input: out of range, they throw as broken programs
    // do. A libwebp of another version than the headers is a broken installation and throws too.
    if (width < 1 || height < 1 || width > WEBP_MAX_DIMENSION || height > WEBP_MAX_DIMENSION)
        throw std::invalid_argument("WebP animation: a side of " + std::to_string(width) + " x " + std::to_string(height) + " is outside 1...16383");
    if (!(options.quality >= 0 && options.quality <= 100)) throw std::invalid_argument("WebP animation: quality must be 0...100");
    std::unique_ptr<WebPAnimationWriter> webp(new WebPAnimationWriter(std::move(path), width, height, options));
    WebPAnimEncoderOptions anim;
    if (!WebPAnimEncoderOptionsInit(&anim) || !WebPConfigInit(&webp->encoder_->config)) throw std::runtime_error("WebP animation: libwebp version mismatch");
    anim.anim_params.loop_count = 0; // for ever, as the GIF
    anim.allow_mixed = 0;
    webp->encoder_->config.quality = options.quality;
    webp->encoder_->config.method = options.method;
    webp->encoder_->encoder = WebPAnimEncoderNew(width, height, &anim);
    if (!webp->encoder_->encoder) return Error{webp->path_.string() + ": libwebp cannot start an encoder (out of memory)"};
    // The file is made now, so that a path that cannot be written fails before the frames are
    // encoded; a file already there is only replaced by a finished animation.
    std::error_code ec;
    webp->madeFile_ = !std::filesystem::exists(webp->path_, ec);
    std::FILE* probe = std::fopen(webp->path_.c_str(), "ab");
    if (!probe) return Error{webp->path_.string() + ": cannot open for writing: " + std::strerror(errno)};
    std::fclose(probe);
    return webp;
}

WebPAnimationWriter::WebPAnimationWriter(std::filesystem::path path, int width, int height, WebPAnimationOptions options)
    : path_(std::move(path)), width_(width), height_(height), options_(options), encoder_(std::make_unique<Encoder>())
{
}

WebPAnimationWriter::~WebPAnimationWriter()
{
    // An empty file made by create() and never filled is not left behind for a viewer to choke on.
    if (madeFile_ && !(finished_ && result_)) {
        std::error_code ignored;
        if (std::filesystem::file_size(path_, ignored) == 0) std::filesystem::remove(path_, ignored);
    }
}

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
    if (!written || !closed) result_ = Error{path_.string() + ": cannot write"};
    return result_;
}

} // namespace zovo
