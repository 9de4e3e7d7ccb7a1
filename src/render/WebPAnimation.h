// Animated WebP files, through libwebp's animation encoder: smaller than a GIF of the same frames
// and in full colour, for pages that can show them (with the GIF as the fallback).
//
//   auto webp = zovo::WebPAnimationWriter::create("/tmp/run.webp", 390, 844, {.quality = 80});
//   if (!webp) return report(webp.error());               // the file cannot be made
//   for (...) (*webp)->addFrame(frame, milliseconds);      // each frame's start on the timeline
//   if (auto done = (*webp)->finish(endMilliseconds); !done) std::cerr << done.error() << '\n';
//
// Frames are opaque, as the renderer makes them. The encoder keeps only what differs from the
// previous frame; a frame equal to it lengthens that frame instead of adding one. The file is
// made by create(), so a path that cannot be written fails before any frame is encoded, and is
// filled whole by finish().
#pragma once

#include "foundation/ErrorOr.h"
#include "render/Frame.h"

#include <filesystem>
#include <memory>

namespace zovo {

struct WebPAnimationOptions {
    float quality = 80; // lossy quality, 0 to 100
    int method = 3;     // 0 fast ... 6 small
};

class WebPAnimationWriter {
public:
    // Makes `path` if it is not there (empty until finish) and an encoder for frames of `width` × `height`. A file
    // that cannot be made, or an encoder libwebp cannot start, is an error naming the file. Sides
    // and quality are the program's own choice: a side outside 1...16383 (WebP's limit) or a
    // quality outside 0...100 throws std::invalid_argument naming the problem.
    static ErrorOr<std::unique_ptr<WebPAnimationWriter>> create(std::filesystem::path path, int width, int height, WebPAnimationOptions options = {});
    ~WebPAnimationWriter();
    WebPAnimationWriter(const WebPAnimationWriter&) = delete;
    WebPAnimationWriter& operator=(const WebPAnimationWriter&) = delete;

    // Adds a frame starting at `milliseconds` (later than the previous frame's start). A frame of
    // another size than the canvas is an error; the first error is repeated by every later call.
    ErrorOr<void> addFrame(const Frame& frame, int milliseconds);
    // Ends the last frame at `endMilliseconds` and writes the file. Later calls return the same.
    ErrorOr<void> finish(int endMilliseconds);

    int frameCount() const { return frames_; }

private:
    struct Encoder;
    WebPAnimationWriter(std::filesystem::path path, int width, int height, WebPAnimationOptions options);

    std::filesystem::path path_;
    int width_, height_;
    WebPAnimationOptions options_;
    std::unique_ptr<Encoder> encoder_;
    bool madeFile_ = false; // create() made the file, so an unfinished one is removed
    int frames_ = 0;
    bool finished_ = false;
    ErrorOr<void> result_;
};

} // namespace zovo
