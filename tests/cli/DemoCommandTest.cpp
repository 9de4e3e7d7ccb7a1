#include "cli/ToolRun.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <webp/demux.h>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

using zovo::slurp;

// The number of images in a GIF, by walking its blocks.
int gifFrames(const std::string& gif)
{
    std::size_t at = 13;
    if (static_cast<unsigned char>(gif[10]) & 0x80) at += 3u << ((gif[10] & 7) + 1);
    int frames = 0;
    while (at < gif.size()) {
        const unsigned char block = static_cast<unsigned char>(gif[at]);
        if (block == 0x3B) break;
        auto skipSubBlocks = [&] {
            while (at < gif.size() && gif[at] != 0) at += static_cast<unsigned char>(gif[at]) + 1u;
            ++at;
        };
        if (block == 0x21) {
            at += 2;
            skipSubBlocks();
        } else if (block == 0x2C) {
            ++frames;
            const unsigned char flags = static_cast<unsigned char>(gif[at + 9]);
            at += 10;
            if (flags & 0x80) at += 3u << ((flags & 7) + 1);
            ++at; // the LZW code size
            skipSubBlocks();
        } else {
            return -1;
        }
    }
    return frames;
}

// The WebP's frames counted at `fps`: a frame the encoder merged with the one before it (they were
// equal) counts as many times as its duration holds frame intervals.
int webpFrames(const std::string& bytes, double fps)
{
    WebPData data{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (!decoder) return -1;
    int frames = 0, previous = 0;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        uint8_t* pixels = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder, &pixels, &timestamp)) break;
        frames += static_cast<int>(std::lround((timestamp - previous) * fps / 1000.0));
        previous = timestamp;
    }
    WebPAnimDecoderDelete(decoder);
    return frames;
}

TEST(DemoCommand, FilmsTheBuiltInScenarioIntoAPageWithItsFiles)
{
    const zovo::TestFolder folder;
    const fs::path out = folder / "demo";
    const zovo::ToolRun run = zovo::runCommand({"demo", "--out", out.string(), "--fps", "5", "--scale", "0.25", "--quiet"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err.find("frame "), std::string::npos) << "--quiet silences progress";

    const auto summary = run.json();
    EXPECT_EQ(summary["keyframes"].size(), 5u);
    for (const auto& label : summary["keyframes"]) EXPECT_TRUE(fs::exists(out / "keyframes" / (label.get<std::string>() + ".png"))) << label;
    for (const char* file : {"animation.webp", "animation.gif", "trace.jsonl", "index.html"}) EXPECT_TRUE(fs::exists(out / file)) << file;
    EXPECT_FALSE(fs::exists(out / "frame-00001.png")) << "numbered frames only with --frames";

    const int gif = gifFrames(slurp(out / "animation.gif"));
    EXPECT_EQ(gif, 14 * 5 + 1);
    EXPECT_EQ(webpFrames(slurp(out / "animation.webp"), 5), gif) << "the WebP plays the same frames over the same time";
    EXPECT_LT(fs::file_size(out / "animation.webp"), fs::file_size(out / "animation.gif"));

    // Every key frame is taken while a banner (or its long look) is on screen.
    std::ifstream trace(out / "trace.jsonl");
    std::string line;
    int onScreen = 0, snapshots = 0;
    while (std::getline(trace, line)) {
        const auto e = nlohmann::json::parse(line);
        if (e["type"] == "host" && (e["event"] == "bannerPresented" || e["event"] == "longLookPresented")) ++onScreen;
        if (e["type"] == "host" && (e["event"] == "bannerDismissed" || e["event"] == "longLookDismissed")) --onScreen;
        if (e["type"] == "snapshot") {
            ++snapshots;
            const auto& frame = e["banner"]["window"]["frame"];
            EXPECT_GT(onScreen, 0) << e["label"];
            if (e["label"] != "3-long-look") {
                EXPECT_GT(frame[1].get<double>() + frame[3].get<double>(), 20) << e["label"] << " shows its banner";
            }
        }
    }
    EXPECT_EQ(snapshots, 5);

    const std::string page = slurp(out / "index.html");
    for (const char* text : {"animation.webp", "animation.gif", "keyframes/3-long-look.png", "trace.jsonl", "<details>",
                             "Anna\u2019s message slides in", "Pulled down: the long look opens"})
        EXPECT_NE(page.find(text), std::string::npos) << text;
    const std::string eventList = page.substr(0, page.find("<details>"));
    EXPECT_EQ(eventList.find("_cancelDismissTimer"), std::string::npos) << "no selectors outside the raw trace";
    EXPECT_NE(eventList.find("pauses)"), std::string::npos) << "the timer pauses of one drag folded into a row";
}

} // namespace
