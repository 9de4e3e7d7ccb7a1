#include "cli/Command.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

TEST(DemoCommand, FilmsTheBuiltInScenarioIntoOneFolder)
{
    const fs::path out = fs::temp_directory_path() / "zovo-demo-test";
    fs::remove_all(out);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = zovo::demoCommand({"--out", out.string(), "--fps", "2", "--scale", "0.25"});
    const std::string stdoutText = testing::internal::GetCapturedStdout();
    const std::string stderrText = testing::internal::GetCapturedStderr();
    ASSERT_EQ(status, 0) << stderrText;

    const auto summary = nlohmann::json::parse(stdoutText);
    EXPECT_EQ(summary["keyframes"].size(), 5u);
    for (const auto& label : summary["keyframes"]) EXPECT_TRUE(fs::exists(out / "keyframes" / (label.get<std::string>() + ".png"))) << label;
    for (const char* file : {"animation.gif", "trace.jsonl", "index.html", "scenario.json", "icons/messages.png", "frame-00001.png"})
        EXPECT_TRUE(fs::exists(out / file)) << file;
    EXPECT_NE(stderrText.find("index.html"), std::string::npos) << "says where to look";

    std::ifstream trace(out / "trace.jsonl");
    std::string line;
    int presented = 0, longLooks = 0, dismissedByUser = 0;
    while (std::getline(trace, line)) {
        const auto e = nlohmann::json::parse(line);
        if (e["type"] == "host" && e["event"] == "bannerPresented") ++presented;
        if (e["type"] == "host" && e["event"] == "longLookPresented") ++longLooks;
        if (e["type"] == "post" && e["name"] == "Zovorudovu_Dismiss") ++dismissedByUser;
    }
    EXPECT_EQ(presented, 3);
    EXPECT_EQ(longLooks, 1);
    EXPECT_GE(dismissedByUser, 2) << "the timer's dismissal and the push-up";

    std::stringstream page;
    page << std::ifstream(out / "index.html").rdbuf();
    EXPECT_NE(page.str().find("animation.gif"), std::string::npos);
    EXPECT_NE(page.str().find("keyframes/3-long-look.png"), std::string::npos);
    fs::remove_all(out);
}

TEST(DemoCommand, BadArgumentsAndUnwritableFoldersAreNamed)
{
    testing::internal::CaptureStderr();
    EXPECT_EQ(zovo::demoCommand({"--fps", "0"}), 2);
    EXPECT_EQ(zovo::demoCommand({"--out", "/proc/zovo-cannot-write"}), 1);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("/proc/zovo-cannot-write"), std::string::npos);
}

} // namespace
