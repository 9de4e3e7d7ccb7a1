#include "cli/ToolRun.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <set>

namespace {

using zovo::ToolRun;

ToolRun run(const std::string& command, std::vector<std::string> args)
{
    args.insert(args.begin(), command);
    return zovo::runCommand(args);
}

TEST(NotchCommand, WidthsByModelAndDeviceFacts)
{
    auto width = [](std::vector<std::string> args) { return run("notch", args).json()["notchWidth"].get<double>(); };
    EXPECT_EQ(width({"--model", "iPhone13,2"}), 230) << "the lists themselves are the bridge's tests";
    EXPECT_EQ(width({"--model", "iPhone12,8"}), 295) << "no Face ID: the profile's 375-point screen less 80";
    EXPECT_EQ(width({"--model", "iPhone12,3", "--faceid", "no", "--screen", "414x896"}), 334);
    EXPECT_EQ(width({"--model", "iPad8,1"}), 754);
    EXPECT_EQ(width({"--model=iPhone99,9", "--faceid=yes", "--ipad=no", "--screen=375x812"}), 295)
        << "unknown notched model described in full: the screen less 80";
}

TEST(DevicesCommand, ListsEveryModelOfTheNotchTables)
{
    ToolRun r = run("devices", {});
    ASSERT_EQ(r.status, 0);
    std::set<std::string> models;
    for (const auto& d : r.json()) models.insert(d["model"].get<std::string>());
    for (const char* m : {"iPhone10,3", "iPhone10,6", "iPhone11,2", "iPhone11,6", "iPhone11,8", "iPhone12,1", "iPhone12,3", "iPhone12,5", "iPhone13,1",
                          "iPhone13,2", "iPhone13,3", "iPhone13,4", "iPhone14,2", "iPhone14,3", "iPhone14,4", "iPhone14,5"})
        EXPECT_TRUE(models.count(m)) << m;
}

TEST(BannerCommand, PrintsTheLaidOutBanner)
{
    const zovo::TestFolder folder;
    const auto png = folder / "banner.png";
    ToolRun r = run("banner", {"--title", "Messages", "--message", "See you at eight", "--date", "now", "--safe-y", "29", "--png", png.string()});
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
        const auto file = folder / "width.plist";
        std::ofstream(file) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>customWidth</key><true/><key>customWidthValue</key>" << width
                            << "</dict></plist>";
        ToolRun r = run("banner", {"--title", "T", "--message", "M", "--settings", file.string()});
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.json()["window"]["frame"], nlohmann::json({83, 0, 209, 120})) << width;
    }
}

} // namespace
