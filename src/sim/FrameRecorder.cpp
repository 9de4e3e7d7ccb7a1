#include "sim/FrameRecorder.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <system_error>

namespace fs = std::filesystem;

namespace zovo {
namespace {

// The fastest frame rate GIF viewers honour: delays under 2 centiseconds are shown as 10.
constexpr double kMaxGifFps = 50;
// Clock times this close count as the same moment: the run loop counts whole nanoseconds, so a
// frame due at 1/30 s is never exactly where the sum of doubles says.
constexpr double kSameMoment = 1e-6;

std::string frameName(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05d.png", number);
    return name;
}

void advanceTo(double time)
{
    RunLoop& loop = Process::current().mainRunLoop();
    const double step = time - loop.now();
    if (step > 0) loop.advance(step);
}

} // namespace

FrameRecorder::FrameRecorder(Options options) : options_(std::move(options))
{
    // The command line checks these options before they get here: a value out of range is the
    // caller's mistake and throws, as broken programs do, rather than being reported as a failed write.
    if (!std::isfinite(options_.fps) || !(options_.fps > 0) || options_.fps > 1000)
        throw std::invalid_argument("FrameRecorder: fps " + std::to_string(options_.fps) + " is not above 0 and at most 1000");
    if (!std::isfinite(options_.scale) || options_.scale < 0)
        throw std::invalid_argument("FrameRecorder: scale " + std::to_string(options_.scale) + " is not a positive number (or 0 for the device's)");
    if (options_.dir.empty()) throw std::invalid_argument("FrameRecorder: no directory to write the frames to");
    if (options_.gifMaxWidth < 1) throw std::invalid_argument("FrameRecorder: a GIF width of " + std::to_string(options_.gifMaxWidth) + " pixels");
}

FrameRecorder::~FrameRecorder()
{
    if (!writer_.joinable()) return;
    {
        Locker lock(writerMutex_);
        writerStop_ = true;
    }
    writerWake_.notifyAll();
    writer_.join();
}

void FrameRecorder::writerLoop()
{
    Locker lock(writerMutex_);
    for (;;) {
        while (!writerBusy_ && !writerStop_) writerWake_.wait(writerMutex_);
        if (!writerBusy_) return; // stopping with nothing left to write
        const fs::path file = pendingPath_;
        const Frame* frame = &pending_; // ours until writerBusy_ is cleared
        lock.unlock();
        const ErrorOr<void> written = writeFramePNG(*frame, file);
        lock.lock();
        if (!written && writerError_.empty()) writerError_ = written.error();
        writerBusy_ = false;
        writerWake_.notifyAll();
    }
}

ErrorOr<void> FrameRecorder::waitForWriter()
{
    if (!writer_.joinable()) return {};
    Locker lock(writerMutex_);
    while (writerBusy_) writerWake_.wait(writerMutex_);
    if (!writerError_.empty()) return Error{writerError_};
    return {};
}

void FrameRecorder::writeInBackground(const fs::path& file)
{
    // The writer is idle here (waitForWriter ran first): its buffer becomes the next frame's,
    // which the renderer paints over entirely.
    {
        Locker lock(writerMutex_);
        std::swap(pending_, frame_);
        pendingPath_ = file;
        writerBusy_ = true;
    }
    if (!writer_.joinable()) writer_ = std::thread([this] { writerLoop(); });
    writerWake_.notifyAll();
}

ErrorOr<void> FrameRecorder::failed(std::string message)
{
    if (error_.empty()) error_ = std::move(message);
    gif_.reset();
    return Error{error_};
}

void FrameRecorder::report(const std::string& line)
{
    if (options_.progress) *options_.progress << line << '\n' << std::flush;
}

ErrorOr<void> FrameRecorder::capture()
{
    if (!error_.empty()) return Error{error_};
    if (finished_) return Error{gifPath().string() + ": a frame captured after the recording was finished"};
    if (!dirReady_) {
        std::error_code ec;
        fs::create_directories(options_.dir, ec);
        if (ec || !fs::is_directory(options_.dir)) return failed("cannot make the directory " + options_.dir.string() + ": " + (ec ? ec.message() : "a file is in the way"));
        dirReady_ = true;
    }

    if (ErrorOr<void> written = waitForWriter(); !written) return failed(written.error());
    lastCapture_ = Process::current().mainRunLoop().now();
    renderer_.render(frame_, RenderOptions{.scale = options_.scale});
    const int number = frames_ + 1;


    // The GIF is sized by the first frame; a later frame of another size (the screen turned) is
    // fitted into it.
    const int gifStride = static_cast<int>(std::ceil(options_.fps / kMaxGifFps - kSameMoment));
    if (frames_ % gifStride == 0) {
        if (!gif_) {
            const GifOptions gif{.downscale = (frame_.width() + options_.gifMaxWidth - 1) / options_.gifMaxWidth};
            ErrorOr<std::unique_ptr<GifWriter>> made = GifWriter::create(gifPath(), frame_.width(), frame_.height(), 0, gif);
            if (!made) return failed(made.error());
            gif_ = std::move(made).value();
        }
        // Delays in whole centiseconds that add up to the frames' times, so that 30 frames a
        // second play as 3, 4, 3, 3, 4, 3 ... rather than drifting at 3 each.
        const int shown = frames_ / gifStride;
        const double centiseconds = 100.0 * gifStride / options_.fps;
        const int delay = static_cast<int>(std::lround((shown + 1) * centiseconds) - std::lround(shown * centiseconds));
        if (ErrorOr<void> added = gif_->addFrame(frame_, delay); !added) return failed(added.error());
    }

    // Written last, as the frame leaves for the writer thread.
    if (options_.writePNGs) {
        const fs::path file = options_.dir / frameName(number);
        writeInBackground(file);
        files_.push_back(file.string());
    }

    frames_ = number;
    const int every = std::max(1, static_cast<int>(std::lround(options_.fps)));
    if (frames_ % every == 0)
        report("frame " + std::to_string(frames_) + (options_.expectedFrames > 0 ? "/" + std::to_string(options_.expectedFrames) : std::string()));
    return {};
}

ErrorOr<void> FrameRecorder::captureAt(double time)
{
    if (!std::isfinite(time)) throw std::invalid_argument("FrameRecorder: a frame time of " + std::to_string(time) + " seconds");
    advanceTo(time);
    return capture();
}

ErrorOr<void> FrameRecorder::recordUntil(double time)
{
    if (!std::isfinite(time)) throw std::invalid_argument("FrameRecorder: a frame time of " + std::to_string(time) + " seconds");
    for (;;) {
        const double due = lastCapture_ ? *lastCapture_ + frameInterval() : Process::current().mainRunLoop().now();
        if (due > time + kSameMoment) break;
        TRY(captureAt(due));
    }
    advanceTo(time);
    if (ErrorOr<void> written = waitForWriter(); !written) return failed(written.error());
    if (!error_.empty()) return Error{error_};
    return {};
}

ErrorOr<void> FrameRecorder::finish()
{
    if (finished_) return finishResult_;
    finished_ = true;
    if (ErrorOr<void> written = waitForWriter(); !written) (void)failed(written.error());
    if (!error_.empty()) {
        finishResult_ = Error{error_};
        return finishResult_;
    }
    if (!gif_) {
        finishResult_ = Error{gifPath().string() + ": no frames were captured"};
        return finishResult_;
    }
    finishResult_ = gif_->finish();
    gif_.reset();
    if (finishResult_) {
        files_.push_back(gifPath().string());
        report(options_.writePNGs ? "wrote " + std::to_string(frames_) + " frames to " + options_.dir.string()
                                  : "filmed " + std::to_string(frames_) + " frames into " + gifPath().string());
    } else {
        error_ = finishResult_.error();
    }
    return finishResult_;
}

} // namespace zovo
