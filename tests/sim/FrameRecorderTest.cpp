#include "sim/FrameRecorder.h"

#include "foundation/Process.h"
#include "foundation/RunLoop.h"
#include "uikit/DeviceProfile.h"
#include "uikit/UIColor.h"
#include "uikit/UIKitClasses.h"
#include "uikit/UIScreen.h"
#include "uikit/UIWindow.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

// What a viewer needs to know of a GIF without decoding its pixels: the screen size and each
// frame's delay, found by walking the blocks.
struct GifOutline {
    bool ok = false;
    int width = 0, height = 0;
    std::vector<int> delays;
};

GifOutline outline(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    GifOutline gif;
    if (b.size() < 13 || std::string(b.begin(), b.begin() + 6) != "GIF89a") return gif;
    gif.width = b[6] | (b[7] << 8);
    gif.height = b[8] | (b[9] << 8);
    std::size_t at = 13 + ((b[10] & 0x80) ? std::size_t{3} << ((b[10] & 7) + 1) : 0);
    auto skipBlocks = [&] {
        while (at < b.size() && b[at] != 0) at += b[at] + 1u;
        ++at;
    };
    int delay = -1;
    while (at < b.size()) {
        const std::uint8_t kind = b[at++];
        if (kind == 0x3B) {
            gif.ok = at == b.size();
            return gif;
        }
        if (kind == 0x21 && at + 5 < b.size()) {
            if (b[at] == 0xF9) delay = b[at + 3] | (b[at + 4] << 8);
            ++at;
            skipBlocks();
        } else if (kind == 0x2C && at + 9 <= b.size()) {
            const std::uint8_t flags = b[at + 8];
            at += 9 + ((flags & 0x80) ? std::size_t{3} << ((flags & 7) + 1) : 0) + 1;
            skipBlocks();
            gif.delays.push_back(delay);
        } else {
            return gif;
        }
    }
    return gif;
}

// An iPhone SE (375 x 667 points at 2x) with a red square window that jumps from the left edge
// to the right when the clock reaches 0.25 s.
class FrameRecorder : public ::testing::Test {
protected:
    FrameRecorder()
    {
        dir = fs::temp_directory_path() / ("zovo-recorder-" + std::to_string(::getpid()) + "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        registerUIKitClasses(process.runtime());
        UIScreen::useDevice(*zovo::findDeviceProfile("iPhone12,8"));
        square = makeView<UIWindow>(CGRectMake(0, 300, 50, 50));
        square->setBackgroundColor(UIColor::colorWithRed(1, 0, 0, 1));
        square->setWindowLevel(UIWindowLevelNormal);
        square->setHidden(false);
        process.mainRunLoop().schedule(0.25, [this] { square->setFrame(CGRectMake(300, 300, 50, 50)); });
    }
    ~FrameRecorder() override { fs::remove_all(dir); }

    zovo::FrameRecorder::Options options(double fps, double scale = 1)
    {
        return {.dir = dir, .fps = fps, .scale = scale, .progress = &progress};
    }

    // Whether the pixel at (x, y) points of frame `number` (from 1) is the square's red.
    bool redAt(int number, double x, double y, double scale = 1)
    {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%05d.png", number);
        const zovo::ImageResult png = zovo::loadPNG(dir / name);
        EXPECT_TRUE(png) << png.message;
        if (!png) return false;
        const auto p = png.image->rgbaAt(static_cast<std::size_t>(x * scale), static_cast<std::size_t>(y * scale));
        return p[0] > 240 && p[1] < 15 && p[2] < 15;
    }

    double now() { return process.mainRunLoop().now(); }

    zovo::Process process;
    objc::Ref<UIWindow> square;
    fs::path dir;
    std::ostringstream progress;
};

TEST_F(FrameRecorder, RecordUntilCapturesAtEveryFrameTime)
{
    zovo::FrameRecorder recorder(options(10));
    ASSERT_TRUE(recorder.recordUntil(0.5));
    EXPECT_NEAR(now(), 0.5, 1e-9);
    ASSERT_EQ(recorder.frameCount(), 6) << "0, 0.1 ... 0.5 s";
    EXPECT_TRUE(redAt(3, 25, 325)) << "at 0.2 s the square is still on the left";
    EXPECT_FALSE(redAt(3, 325, 325));
    EXPECT_TRUE(redAt(4, 325, 325)) << "at 0.3 s it has moved";
    EXPECT_FALSE(redAt(4, 25, 325));

    // Continuing picks up the frame grid where it left off.
    ASSERT_TRUE(recorder.recordUntil(0.75));
    EXPECT_EQ(recorder.frameCount(), 8);
    EXPECT_NEAR(now(), 0.75, 1e-9);

    ASSERT_TRUE(recorder.finish());
    ASSERT_EQ(recorder.files().size(), 9u);
    EXPECT_EQ(recorder.files().front(), (dir / "frame-00001.png").string());
    EXPECT_EQ(recorder.files().back(), (dir / "animation.gif").string());
    for (const auto& file : recorder.files()) EXPECT_TRUE(fs::is_regular_file(file)) << file;
    const GifOutline gif = outline(dir / "animation.gif");
    ASSERT_TRUE(gif.ok);
    EXPECT_EQ(gif.width, 375);
    EXPECT_EQ(gif.height, 667);
    EXPECT_EQ(gif.delays, std::vector<int>(8, 10));
}

TEST_F(FrameRecorder, GifDelaysAddUpToTheRunAndKeepViewersPace)
{
    // Thirty frames a second are 3.33 centiseconds each: whole delays must not drift.
    auto gifOnly = [&](double fps) {
        auto opts = options(fps);
        opts.writePNGs = false;
        return opts;
    };
    {
        zovo::FrameRecorder recorder(gifOnly(30));
        ASSERT_TRUE(recorder.recordUntil(1.0 - 1.0 / 30));
        EXPECT_EQ(recorder.frameCount(), 30);
        ASSERT_TRUE(recorder.finish());
        const GifOutline gif = outline(dir / "animation.gif");
        ASSERT_EQ(gif.delays.size(), 30u);
        int total = 0;
        for (int d : gif.delays) {
            EXPECT_TRUE(d == 3 || d == 4) << d;
            total += d;
        }
        EXPECT_EQ(total, 100);
    }
    // Above 50 frames a second viewers slow frames down, so the GIF takes every other one.
    fs::remove_all(dir);
    zovo::FrameRecorder fast(gifOnly(100));
    ASSERT_TRUE(fast.recordUntil(now() + 0.09));
    EXPECT_EQ(fast.frameCount(), 10);
    ASSERT_TRUE(fast.finish());
    EXPECT_EQ(outline(dir / "animation.gif").delays, std::vector<int>(5, 2));
}

TEST_F(FrameRecorder, GifIsMadeSmallerByAWholeFactorToFitItsWidth)
{
    zovo::FrameRecorder recorder(options(30, 2)); // 750 x 1334 pixels
    ASSERT_TRUE(recorder.capture());
    ASSERT_TRUE(recorder.finish());
    const zovo::ImageResult png = zovo::loadPNG(dir / "frame-00001.png");
    ASSERT_TRUE(png);
    EXPECT_EQ(png.image->width(), 750u) << "frames keep the scale asked for";
    const GifOutline gif = outline(dir / "animation.gif");
    EXPECT_EQ(gif.width, 375);
    EXPECT_EQ(gif.height, 667);
}

TEST_F(FrameRecorder, CaptureAtNeverMovesTheClockBack)
{
    zovo::FrameRecorder recorder(options(30));
    ASSERT_TRUE(recorder.captureAt(0.3));
    EXPECT_NEAR(now(), 0.3, 1e-9);
    EXPECT_TRUE(redAt(1, 325, 325));
    ASSERT_TRUE(recorder.captureAt(0.1));
    EXPECT_NEAR(now(), 0.3, 1e-9);
    EXPECT_EQ(recorder.frameCount(), 2);
}

TEST_F(FrameRecorder, ReportsProgressOnceASecondOfTheRun)
{
    auto opts = options(4);
    opts.expectedFrames = 8;
    zovo::FrameRecorder recorder(opts);
    ASSERT_TRUE(recorder.recordUntil(1.75));
    ASSERT_TRUE(recorder.finish());
    EXPECT_EQ(progress.str(), "frame 4/8\nframe 8/8\nwrote 8 frames to " + dir.string() + "\n");
}

TEST_F(FrameRecorder, GifOnlyWhenAskedAndOnlyOneRecordingPerFinish)
{
    auto opts = options(30);
    opts.writePNGs = false;
    zovo::FrameRecorder recorder(opts);
    ASSERT_TRUE(recorder.capture());
    ASSERT_TRUE(recorder.capture());
    ASSERT_TRUE(recorder.finish());
    EXPECT_FALSE(fs::exists(dir / "frame-00001.png"));
    EXPECT_EQ(recorder.files(), std::vector<std::string>{(dir / "animation.gif").string()});
    EXPECT_FALSE(recorder.capture()) << "the animation is closed";
    EXPECT_TRUE(recorder.finish()) << "finishing again repeats the result";
}

TEST_F(FrameRecorder, FailuresNameThePathAndEndTheRecording)
{
    fs::create_directories(dir.parent_path());
    std::ofstream(dir) << "a file where the directory should be";
    zovo::FrameRecorder recorder(options(30));
    const zovo::ImageWriteResult first = recorder.capture();
    EXPECT_FALSE(first);
    EXPECT_NE(first.message.find(dir.string()), std::string::npos) << first.message;
    EXPECT_EQ(recorder.recordUntil(1).message, first.message);
    EXPECT_EQ(recorder.finish().message, first.message);
    EXPECT_EQ(recorder.frameCount(), 0);
    fs::remove(dir);

    zovo::FrameRecorder idle(options(30));
    const zovo::ImageWriteResult nothing = idle.finish();
    EXPECT_FALSE(nothing);
    EXPECT_NE(nothing.message.find("no frames"), std::string::npos);

    EXPECT_THROW(zovo::FrameRecorder(options(0)), std::invalid_argument);
    EXPECT_THROW(zovo::FrameRecorder(options(30, -1)), std::invalid_argument);
    EXPECT_THROW(zovo::FrameRecorder({.dir = {}}), std::invalid_argument);
    zovo::FrameRecorder timeless(options(30));
    EXPECT_THROW(timeless.recordUntil(std::numeric_limits<double>::infinity()), std::invalid_argument);
}

} // namespace
