// Films a run of the current process's screen: numbered PNG frames and a looping GIF.
//
//   zovo::FrameRecorder recorder({.dir = "/tmp/run", .fps = 30, .scale = 1});
//   recorder.capture();                       // the screen now: /tmp/run/frame-00001.png
//   process.mainRunLoop().advance(0.1);
//   recorder.capture();                       // frame-00002.png
//   recorder.recordUntil(2.0);                // the clock moves to 2 s, a frame every 1/30 s
//   if (auto done = recorder.finish(); !done) std::cerr << done.error() << '\n';  // animation.gif
//
// Each frame is rendered (zovo::ScreenRenderer, kept between frames so the wallpaper and status
// bar are drawn once) at `scale` pixels a point, written as DIR/frame-NNNNN.png, and added to
// DIR/animation.gif, made smaller by a whole factor until it is at most `gifMaxWidth` pixels wide.
// The GIF shows one frame every 1/fps seconds, whatever the clock did between captures: drive
// the clock with recordUntil for an animation that plays at the pace of the run. Viewers do not
// show frames faster than 50 a second, so above that rate the GIF takes every second (third ...)
// frame. Progress ("frame 30/300") goes out once a second of the run.
//
// PNG frames are encoded and written on a second thread while the next frame is rendered; a
// frame's file is complete once the next capture has begun, and every file once recordUntil or
// finish returns (or the recorder ends). A write that fails there is reported by the next call.
//
// A recorder belongs to the process that is current while it captures; make it after the
// process and end it before. Failures (a directory that cannot be made, a file that cannot be
// written) name the path; the first one ends the recording, and every later call returns it.
#pragma once

#include "objc/Lock.h"
#include "render/Frame.h"
#include "render/GifEncoder.h"
#include "render/ScreenRenderer.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace zovo {

class FrameRecorder {
public:
    struct Options {
        std::filesystem::path dir;  // made, with its parents, when missing
        double fps = 30;            // frames a second of the clock, above 0 and at most 1000
        double scale = 0;           // pixels a point; 0: the device's own scale (1 is much faster)
        int gifMaxWidth = 400;      // pixels
        bool writePNGs = true;      // without them only the GIF is written
        int expectedFrames = 0;     // the N of "frame 12/N" in progress messages; 0: unknown
        std::ostream* progress = &std::cerr; // where progress goes; null: nowhere
    };

    // Throws std::invalid_argument naming the option for an fps or scale out of range, an empty
    // directory or a GIF width below 1. The directory is made by the first capture.
    explicit FrameRecorder(Options options);
    ~FrameRecorder();
    FrameRecorder(const FrameRecorder&) = delete;
    FrameRecorder& operator=(const FrameRecorder&) = delete;

    // Renders the screen as it is now as the next frame.
    ErrorOr<void> capture();
    // Moves the main run loop's clock to `time` (seconds since the process began; a time already
    // passed does not move it back) and captures. Throws std::invalid_argument for a time that
    // is not finite, here and in recordUntil.
    ErrorOr<void> captureAt(double time);
    // Moves the clock to `time`, capturing a frame whenever a frame is due on the way: 1/fps
    // after the previous capture, or at once when nothing has been captured yet.
    ErrorOr<void> recordUntil(double time);
    // Closes animation.gif. Later calls return the same result; captures after it fail.
    ErrorOr<void> finish();

    // The files written so far, in order: the frames, then animation.gif once finished.
    const std::vector<std::string>& files() const { return files_; }
    int frameCount() const { return frames_; }
    // The frame rendered by the last capture; empty before the first.
    const Frame& lastFrame() const { return frame_; }
    double frameInterval() const { return 1.0 / options_.fps; }
    std::filesystem::path gifPath() const { return options_.dir / "animation.gif"; }

private:
    ErrorOr<void> failed(std::string message);
    void report(const std::string& line);
    // Hands frame_ to the writer thread (taking a spare buffer in its place), after the frame
    // before it is written.
    void writeInBackground(const std::filesystem::path& file) EXCLUDES(writerMutex_);
    // Waits until the writer thread is idle; the message of a write that failed is the error.
    ErrorOr<void> waitForWriter() EXCLUDES(writerMutex_);
    void writerLoop() EXCLUDES(writerMutex_);

    // The writer thread's hand-over. While writerBusy_ the writer thread owns pending_ and reads
    // it without the lock.
    Mutex writerMutex_;
    Condition writerWake_;
    Frame pending_ GUARDED_BY(writerMutex_);
    std::filesystem::path pendingPath_ GUARDED_BY(writerMutex_);
    bool writerBusy_ GUARDED_BY(writerMutex_) = false;
    bool writerStop_ GUARDED_BY(writerMutex_) = false;
    std::string writerError_ GUARDED_BY(writerMutex_);
    std::thread writer_; // last: it starts after, and is joined before, everything it reads

    Options options_;
    ScreenRenderer renderer_;
    Frame frame_;
    std::unique_ptr<GifWriter> gif_;
    std::vector<std::string> files_;
    int frames_ = 0;
    std::optional<double> lastCapture_;
    bool dirReady_ = false;
    bool finished_ = false;
    std::string error_; // the first failure; it ends the recording and every later call returns it
    ErrorOr<void> finishResult_;
};

} // namespace zovo
