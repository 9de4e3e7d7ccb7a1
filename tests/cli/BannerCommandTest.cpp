#include "cli/Command.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <set>

namespace {

struct ToolRun {
    int status;
    nlohmann::json out;
    std::string err;
};

ToolRun run(const std::string& command, std::vector<std::string> args)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    args.insert(args.begin(), command);
    int status = zovo::runTool(args);
    std::string out = testing::internal::GetCapturedStdout();
    std::string err = testing::internal::GetCapturedStderr();
    return {status, out.empty() ? nlohmann::json() : nlohmann::json::parse(out), err};
}

TEST(NotchCommand, WidthsByModelAndDeviceFacts)
{
    auto width = [](std::vector<std::string> args) { return run("notch", args).out["notchWidth"].get<double>(); };
    EXPECT_EQ(width({"--model", "iPhone13,2"}), 230) << "the lists themselves are the bridge's tests";
    EXPECT_EQ(width({"--model", "iPhone12,8"}), 295) << "no Face ID: the profile's 375-point screen less 80";
    EXPECT_EQ(width({"--model", "iPhone12,3", "--faceid", "no", "--screen", "414x896"}), 334);
    EXPECT_EQ(width({"--model", "iPad8,1"}), 754);
    EXPECT_EQ(width({"--model=iPhone99,9", "--faceid=yes", "--ipad=no", "--screen=375x812"}), 295)
        << "unknown notched model described in full: the screen less 80";
}

TEST(NotchCommand, BadArgumentsAreNamed)
{
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{{}, {"--model"}, {"--model", "x", "--faceid", "maybe"}, {"--model", "x", "--screen", "0x5"},
                                                                    {"--model", "x", "--bogus", "1"}, {"--model", "a", "--model", "b"}}) {
        ToolRun r = run("notch", args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(r.err.rfind("zovorudovu notch: ", 0), 0u) << r.err;
        EXPECT_NE(r.err.find("--help"), std::string::npos) << "points to the help";
    }
    ToolRun unknown = run("notch", {"--model", "iPhone99,9", "--faceid", "no"});
    EXPECT_EQ(unknown.status, 1) << "an unknown device is an input that cannot be used, as with banner --device";
    EXPECT_NE(unknown.err.find("iPhone99,9"), std::string::npos);
}

TEST(DevicesCommand, ListsEveryModelOfTheNotchTables)
{
    ToolRun r = run("devices", {});
    ASSERT_EQ(r.status, 0);
    std::set<std::string> models;
    for (const auto& d : r.out) models.insert(d["model"].get<std::string>());
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
    const auto& b = r.out;
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
        EXPECT_EQ(r.out["window"]["frame"], nlohmann::json({83, 0, 209, 120})) << width;
    }
}

TEST(BannerCommand, BadInputIsNamedAndFailsCleanly)
{
    const zovo::TestFolder folder;
    const std::string missing = (folder / "no-such-icon.png").string();
    ToolRun r = run("banner", {"--title", "T", "--message", "M", "--icon", missing});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(missing), std::string::npos);
    EXPECT_TRUE(r.out.is_null());

    r = run("banner", {"--title", "T"});
    EXPECT_EQ(r.status, 2);
    r = run("banner", {"--title", "T", "--message", "M", "--device", "Nokia3310"});
    EXPECT_EQ(r.status, 1);
    r = run("banner", {"--title", "\xff", "--message", "M"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--title"), std::string::npos) << "names the option whose value is not UTF-8";

    const auto off = folder / "off.plist";
    std::ofstream(off) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>isEnabled</key><false/></dict></plist>";
    r = run("banner", {"--title", "T", "--message", "M", "--settings", off.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("isEnabled"), std::string::npos);
}

} // namespace
