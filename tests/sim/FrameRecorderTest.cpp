#include "sim/FrameRecorder.h"
#include "AnimationOutline.h"
#include "TestFolder.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "uikit/DeviceProfile.h"
#include "uikit/UIColor.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <limits>
#include <numeric>
#include <sstream>
#include <stdexcept>

namespace {

namespace fs = std::filesystem;

using zovo::gifOutline;

// An iPhone SE (375 x 667 points at 2x) with a red square window that jumps from the left edge
// to the right when the clock reaches 0.25 s.
class FrameRecorder : public ::testing::Test {
protected:
    FrameRecorder()
    {
        registerUIKitClasses(process.runtime());
        UIScreen::useDevice(*zovo::findDeviceProfile("iPhone12,8"));
        square = makeView<UIWindow>(CGRectMake(0, 300, 50, 50));
        square->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1).get());
        square->setHidden(false);
        process.mainRunLoop().schedule(0.25, [this] { square->setFrame(CGRectMake(300, 300, 50, 50)); });
    }

    zovo::FrameRecorder::Options options(double fps, double scale = 1, bool writePNGs = true)
    {
        return {.dir = dir, .fps = fps, .scale = scale, .writePNGs = writePNGs, .progress = &progress};
    }

    // Whether the pixel at (x, y) points of frame `number` (from 1), written at two pixels a point, is red.
    bool redAt(int number, std::size_t x, std::size_t y)
    {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", number);
        const auto png = zovo::loadPNG(dir / name);
        const std::size_t px = x * 2, py = y * 2;
        if (png && px < png.value()->width() && py < png.value()->height()) return png.value()->rgbaAt(px, py) == std::array<std::uint8_t, 4>{255, 0, 0, 255};
        ADD_FAILURE() << name << " has no pixel at " << px << ", " << py << " " << (png ? std::string() : png.error());
        return false;
    }

    double now() { return process.mainRunLoop().now(); }

    zovo::Process process;
    objc::StrongRef<UIWindow> square;
    const zovo::TestFolder folder;
    const fs::path dir = folder / "frames"; // made by the recorder
    std::ostringstream progress;
};

TEST_F(FrameRecorder, CapturesOnTheFrameGridAndNeverMovesTheClockBack)
{
    zovo::FrameRecorder recorder(options(10, 2)); // 750 x 1334 pixels, a GIF half that
    ASSERT_TRUE(recorder.recordUntil(0.5));
    EXPECT_NEAR(now(), 0.5, 1e-9);
    ASSERT_EQ(recorder.frameCount(), 6) << "0, 0.1 ... 0.5 s";
    EXPECT_TRUE(redAt(3, 25, 325)) << "at 0.2 s the square is still on the left";
    EXPECT_TRUE(redAt(4, 325, 325)) << "at 0.3 s it has moved";
    EXPECT_FALSE(redAt(4, 25, 325));
    // Continuing picks up the grid where it left off; a capture at a time passed takes the clock as it is.
    ASSERT_TRUE(recorder.recordUntil(0.75));
    EXPECT_EQ(recorder.frameCount(), 8);
    ASSERT_TRUE(recorder.captureAt(0.1));
    EXPECT_NEAR(now(), 0.75, 1e-9);

    ASSERT_TRUE(recorder.finish());
    ASSERT_EQ(recorder.files().size(), 10u);
    EXPECT_EQ(recorder.files().front(), (dir / "frame-00001.png").string());
    EXPECT_EQ(recorder.files().back(), (dir / "animation.gif").string());
    const zovo::AnimationOutline gif = gifOutline(dir / "animation.gif");
    EXPECT_EQ(std::pair(gif.width, gif.height), std::pair(375, 667)) << "made smaller by a whole factor to fit 400 pixels";
    EXPECT_EQ(gif.delays, std::vector<int>(9, 10));
}

TEST_F(FrameRecorder, GifDelaysAddUpToTheRunKeepViewersPaceAndProgressComesOnceASecond)
{
    // Thirty frames a second are 3.33 centiseconds each: whole delays must not drift.
    auto opts = options(30, 1, false);
    opts.expectedFrames = 30;
    {
        zovo::FrameRecorder recorder(opts);
        ASSERT_TRUE(recorder.recordUntil(1.0 - 1.0 / 30));
        ASSERT_TRUE(recorder.finish());
        EXPECT_EQ(recorder.files(), std::vector<std::string>{(dir / "animation.gif").string()}) << "no PNGs when not asked for";
        EXPECT_FALSE(recorder.capture()) << "the animation is closed";
        EXPECT_TRUE(recorder.finish()) << "finishing again repeats the result";
        const std::vector<int> delays = gifOutline(dir / "animation.gif").delays;
        ASSERT_EQ(delays.size(), 30u);
        EXPECT_EQ(std::ranges::count_if(delays, [](int d) { return d == 3 || d == 4; }), 30);
        EXPECT_EQ(std::accumulate(delays.begin(), delays.end(), 0), 100);
    }
    // Above 50 frames a second viewers slow frames down, so the GIF takes every other one.
    fs::remove_all(dir);
    zovo::FrameRecorder fast(options(100, 1, false));
    ASSERT_TRUE(fast.recordUntil(now() + 0.09));
    ASSERT_TRUE(fast.finish());
    EXPECT_EQ(gifOutline(dir / "animation.gif").delays, std::vector<int>(5, 2));
    const std::string gif = (dir / "animation.gif").string();
    EXPECT_EQ(progress.str(), "frame 30/30\nfilmed 30 frames into " + gif + "\nfilmed 10 frames into " + gif + "\n")
        << "without PNG files the last line names the animation, not frames that were never written";
}

TEST_F(FrameRecorder, FailuresNameThePathAndEndTheRecording)
{
    fs::create_directories(dir.parent_path());
    std::ofstream(dir) << "a file where the directory should be";
    zovo::FrameRecorder recorder(options(30));
    const zovo::ErrorOr<void> first = recorder.capture();
    EXPECT_NE(first.error().find(dir.string()), std::string::npos) << first.error();
    EXPECT_EQ(recorder.recordUntil(1).error(), first.error());
    EXPECT_EQ(recorder.finish().error(), first.error());
    fs::remove(dir);

    // A frame file is written on the writer thread: its failure comes back from the next call
    // and ends the recording all the same.
    fs::create_directories(dir / "frame-00002.png");
    {
        zovo::FrameRecorder background(options(30));
        ASSERT_TRUE(background.capture());
        ASSERT_TRUE(background.capture()) << "the second frame is still being written";
        const zovo::ErrorOr<void> later = background.capture();
        EXPECT_NE(later.error().find("frame-00002.png"), std::string::npos) << later.error();
        EXPECT_EQ(background.finish().error(), later.error());
        EXPECT_TRUE(fs::exists(dir / "frame-00001.png"));
    }
    fs::remove_all(dir);

    EXPECT_NE(zovo::FrameRecorder(options(30)).finish().error().find("no frames"), std::string::npos);
    EXPECT_THROW(zovo::FrameRecorder(options(0)), std::invalid_argument);
    EXPECT_THROW(zovo::FrameRecorder(options(30, -1)), std::invalid_argument);
    EXPECT_THROW(zovo::FrameRecorder({.dir = {}}), std::invalid_argument);
    EXPECT_THROW(zovo::FrameRecorder(options(30)).recordUntil(std::numeric_limits<double>::infinity()), std::invalid_argument);
}

} // namespace
