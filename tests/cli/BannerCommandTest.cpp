#include "cli/ToolRun.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

namespace {

using zovo::runCommand;
using zovo::ToolRun;

TEST(NotchCommand, WidthsByModelAndDeviceFacts)
{
    auto width = [](std::vector<std::string> args) { return runCommand("notch", args).json()["notchWidth"].get<double>(); };
    EXPECT_EQ(width({"--model", "iPhone13,2"}), 230) << "the lists themselves are the bridge's tests";
    EXPECT_EQ(width({"--model", "iPhone12,8"}), 295) << "no Face ID: the profile's 375-point screen less 80";
    EXPECT_EQ(width({"--model", "iPhone12,3", "--faceid", "no", "--screen", "414x896"}), 334);
    EXPECT_EQ(width({"--model", "iPad8,1"}), 754);
    EXPECT_EQ(width({"--model=iPhone99,9", "--faceid=yes", "--ipad=no", "--screen=375x812"}), 295)
        << "unknown notched model described in full: the screen less 80";
}

TEST(BannerCommand, PrintsTheLaidOutBanner)
{
    const zovo::TestFolder folder;
    const auto png = folder / "banner.png";
    ToolRun r = runCommand("banner", {"--title", "Messages", "--message", "See you at eight", "--date", "now", "--safe-y", "29", "--png", png.string()});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json b = r.json();
    EXPECT_EQ(b["window"]["frame"], nlohmann::json({83, 0, 209, 120}));
    EXPECT_EQ(b["window"]["level"], 1100);
    EXPECT_EQ(b["container"], nlohmann::json({10, 0, 189, 110}));
    EXPECT_EQ(b["icon"]["frame"], nlohmann::json({0, 34, 20, 20}));
    EXPECT_FALSE(b["icon"]["hasImage"]);
    EXPECT_EQ(b["primary"]["text"], "Messages");
    EXPECT_EQ(b["primary"]["frame"][0], 25);
    EXPECT_EQ(b["date"]["text"], "now");
    EXPECT_EQ(b["mask"]["roundedCorners"], nlohmann::json({"bottomLeft", "bottomRight"}));
    EXPECT_EQ(b["mask"]["radius"], nlohmann::json({23, 23}));
    EXPECT_EQ(b["bgColour"], nlohmann::json({0, 0, 0, 1})) << "the shipped defaults: black on white";
    EXPECT_TRUE(b["pill"].is_object());
    EXPECT_GT(std::filesystem::file_size(png), 1000u) << "the picture beside the JSON";
}

// A width no screen could show (or no number at all) must not reach the window's frame.
TEST(BannerCommand, UnusableCustomWidthLaysOutTheDefaultWidth)
{
    const zovo::TestFolder folder;
    for (const char* width : {"<real>1e300</real>", "<real>nan</real>", "<integer>18446744073709551615</integer>", "<real>-3</real>"}) {
        const std::string file = zovo::writePlist(folder / "width.plist", std::string("<key>customWidth</key><true/><key>customWidthValue</key>") + width);
        ToolRun r = runCommand("banner", {"--title", "T", "--message", "M", "--settings", file});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.json()["window"]["frame"], nlohmann::json({83, 0, 209, 120})) << width;
    }
}

} // namespace
