// Animated GIF files, written a frame at a time.
//
//   auto gif = zovo::GifWriter::create("/tmp/run.gif", 1170, 2532, 3, {.downscale = 3});   // 390 x 844
//   if (!gif) return report(gif.error());                                  // names the file
//   for (...) {
//       zovo::renderScreen(frame);
//       if (auto added = (*gif)->addFrame(frame); !added) std::cerr << added.error() << '\n';
//   }
//   if (auto done = (*gif)->finish(); !done) std::cerr << done.error() << '\n';
//
// The file is GIF89a with the NETSCAPE2.0 extension asking viewers to loop for ever. Each frame
// is reduced to its own canvas size (a box average over whole source pixels), compared with the
// previous one, and only the rectangle that changed is quantised (a median cut of its colours into
// a table of its own, at most 256, so gradients and antialiased text keep their shades),
// compressed and written, over the previous frame ("do not dispose"); a frame equal to the
// previous one costs a single pixel.
// Nothing but the previous canvas is kept between frames, so the memory used does not grow with
// the length of the animation, and each frame is on disk when addFrame returns.
//
// Frames are opaque: the premultiplied colour bytes are used as they are, which is the frame
// composed over black.
#pragma once

#include "foundation/ErrorOr.h"
#include "render/Frame.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace zovo {

struct GifOptions {
    // Frames are made this many times smaller each way before encoding; at least 1.
    int downscale = 1;
};

class GifWriter {
public:
    // GIF sides are 16-bit numbers.
    static constexpr int kMaxSide = 65535;

    // Opens `path` for frames of `width` × `height` pixels and writes the file's header; the
    // canvas is those sides divided by options.downscale, rounded up. `delayCentiseconds` is how
    // long each frame shows unless addFrame says otherwise. A file that cannot be opened or
    // written is an error naming it. Sizes are the program's own choice: a side or delay outside
    // 1...kMaxSide (0 is allowed for the delay) or a downscale below 1 throws
    // std::invalid_argument naming the problem.
    static ErrorOr<std::unique_ptr<GifWriter>> create(std::filesystem::path path, int width, int height, int delayCentiseconds, GifOptions options = {});
    // Finishes the file if finish() was not called, ignoring any error.
    ~GifWriter();
    GifWriter(const GifWriter&) = delete;
    GifWriter& operator=(const GifWriter&) = delete;

    // Appends a frame shown for `delayCentiseconds` (negative: the default delay). A frame of
    // another size than the one given to create() is fitted inside the canvas, keeping its
    // proportions, centred on black. An empty frame is an error and adds nothing; a write that
    // fails is an error that every later call repeats. Messages name the file.
    ErrorOr<void> addFrame(const Frame& frame, int delayCentiseconds = -1);
    // Ends the file and closes it. The first error met, if any, is the result; a file without
    // frames is an error too (no viewer can show it). Later calls return the same result.
    ErrorOr<void> finish();

    const std::filesystem::path& path() const { return path_; }
    int canvasWidth() const { return canvasWidth_; }
    int canvasHeight() const { return canvasHeight_; }
    int frameCount() const { return frames_; }

private:
    struct Rect {
        int x = 0, y = 0, width = 0, height = 0;
    };

    GifWriter(std::filesystem::path path, int width, int height, int delayCentiseconds, GifOptions options);
    void writeHeader();
    void reduce(const Frame& frame);
    Rect changedRect() const;
    void writeFrame(const Rect& rect, int delay);
    void write(const void* bytes, std::size_t count);
    void flush();
    void fail(const std::string& what);

    std::filesystem::path path_;
    int width_;
    int height_;
    int delay_;
    GifOptions options_;
    int canvasWidth_;
    int canvasHeight_;
    int frames_ = 0;

    std::FILE* file_ = nullptr;
    std::string error_; // the first failure; every later call repeats it
    bool finished_ = false;
    ErrorOr<void> finishResult_;

    // The canvas of the frame being added and of the one before, three bytes (R, G, B) a pixel.
    std::vector<std::uint8_t> canvas_;
    std::vector<std::uint8_t> previous_;
    std::vector<std::uint8_t> out_;
};

} // namespace zovo
