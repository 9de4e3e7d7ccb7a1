#include "cli/ToolRun.h"
#include "AnimationOutline.h"
#include "TestFolder.h"
#include "WebPOutline.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

using zovo::slurp;

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

    // The WebP merges a frame with the one before when they are equal: it plays as many frame
    // times as its durations hold.
    const std::size_t gif = zovo::gifOutline(out / "animation.gif").delays.size();
    EXPECT_EQ(gif, 14u * 5 + 1);
    int webp = 0;
    for (const int ms : zovo::webpOutline(out / "animation.webp").delays) webp += static_cast<int>(std::lround(ms * 5 / 1000.0));
    EXPECT_EQ(static_cast<std::size_t>(webp), gif) << "the WebP plays the same frames over the same time";
    EXPECT_LT(fs::file_size(out / "animation.webp"), fs::file_size(out / "animation.gif"));

    // Every key frame is taken while its banner shows on screen, or while the long look is open.
    std::ifstream trace(out / "trace.jsonl");
    int snapshots = 0;
    for (std::string line; std::getline(trace, line);) {
        const auto e = nlohmann::json::parse(line);
        if (e["type"] != "snapshot") continue;
        ++snapshots;
        const auto& frame = e["banner"]["window"]["frame"];
        const bool shown = e["label"] == "3-long-look" ? e["bridge"]["longLookActivated"].get<bool>()
                                                       : frame[1].get<double>() + frame[3].get<double>() > 20;
        EXPECT_TRUE(shown) << e["label"];
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
