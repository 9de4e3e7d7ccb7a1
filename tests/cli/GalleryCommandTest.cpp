#include "cli/Command.h"
#include "TestFolder.h"

#include "uikit/CGImage.h"
#include "uikit/DeviceProfile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
constexpr auto npos = std::string::npos;

struct ToolRun {
    int status = -1;
    nlohmann::json out;
    std::string err;
};

ToolRun gallery(const std::vector<std::string>& args)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    std::vector<std::string> full{"gallery"};
    full.insert(full.end(), args.begin(), args.end());
    const int status = zovo::runTool(full);
    const std::string out = testing::internal::GetCapturedStdout();
    return {status, out.empty() ? nlohmann::json() : nlohmann::json::parse(out), testing::internal::GetCapturedStderr()};
}

// Writes a settings file holding `entries` into `folder` and returns its path.
fs::path settings(const zovo::TestFolder& folder, const std::string& name, const std::string& entries)
{
    std::ofstream(folder / name) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" << entries << "</dict></plist>";
    return folder / name;
}

// Whether the pixel under a point of an image rendered at one pixel a point is near a colour.
bool near(const CGImage& image, double x, double y, std::array<int, 3> c, int tolerance = 3)
{
    if (!(x >= 0 && y >= 0 && x < double(image.width()) && y < double(image.height()))) return false;
    const auto p = image.rgbaAt(static_cast<std::size_t>(x), static_cast<std::size_t>(y));
    return std::abs(p[0] - c[0]) <= tolerance && std::abs(p[1] - c[1]) <= tolerance && std::abs(p[2] - c[2]) <= tolerance;
}

TEST(GalleryCommand, RendersEveryBuiltInDeviceWithItsBannerWhereTheLayoutSays)
{
    const zovo::TestFolder folder;
    // A banner body of #3366CC, whose pixels cannot be mistaken for the wallpaper's or the notch's.
    const fs::path out = folder / "out", blue = settings(folder, "blue.plist", "<key>bgColour</key><string>3366CC</string>");
    const ToolRun run = gallery({"--out", out.string(), "--settings", blue.string(), "--scale", "1"});
    fs::remove(blue);
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string count = std::to_string(2 * zovo::deviceProfiles().size());
    EXPECT_NE(run.err.find(count + "/" + count), npos) << "progress on standard error: every device in both orientations";
    std::ifstream page(out / "index.html");
    const std::string html((std::istreambuf_iterator<char>(page)), std::istreambuf_iterator<char>());
    EXPECT_NE(html.find("See you at eight \u2014 bring the book!"), npos) << "the default message";
    EXPECT_NE(html.find("iPhone12,3 &middot; banner 209 pt"), npos) << "as wide as the notch table says";
    EXPECT_NE(html.find("iPhone15,2 &middot; banner 313 pt"), npos) << "a phone no table names: its 393-point screen less 80";
    EXPECT_EQ(html.find("http"), npos) << "self-contained: nothing is fetched";

    const auto profiles = zovo::deviceProfiles();
    EXPECT_NE(html.find("<h2>Landscape</h2>"), npos);
    for (const bool landscape : {false, true}) {
    const auto& shots = run.out[landscape ? "landscape" : "devices"];
    ASSERT_EQ(shots.size(), profiles.size());
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        const auto& entry = shots[i];
        const std::string model(profiles[i].model), image = model + (landscape ? "-landscape.png" : ".png");
        EXPECT_EQ(entry["image"], image);
        EXPECT_NE(html.find("src=\"" + image + "\""), npos) << image;
        const auto png = zovo::loadPNG(out / image);
        ASSERT_TRUE(png) << png.error();
        EXPECT_EQ(png.value()->width(), static_cast<std::size_t>(landscape ? profiles[i].screen.height : profiles[i].screen.width)) << image << ": one pixel a point";
        // The body's colour at its centre, the wallpaper below it, and the generated icon's green in the banner.
        const auto body = entry["bodyFrame"].get<std::vector<double>>(), banner = entry["bannerFrame"].get<std::vector<double>>();
        EXPECT_TRUE(near(*png.value(), body[0] + body[2] / 2, body[1] + body[3] / 2, {0x33, 0x66, 0xCC})) << image;
        EXPECT_FALSE(near(*png.value(), body[0] + body[2] / 2, body[1] + body[3] * 1.5, {0x33, 0x66, 0xCC})) << image;
        bool green = false;
        for (double y = banner[1]; y < banner[1] + banner[3] && !green; ++y)
            for (double x = banner[0]; x < banner[0] + banner[2] && !green; ++x) green = near(*png.value(), x, y, {51, 199, 89}, 6);
        EXPECT_TRUE(green) << image;
    }
    }
}

TEST(GalleryCommand, BadArgumentsAreUsageErrorsThatMakeNothing)
{
    const zovo::TestFolder folder;
    const std::string dir = (folder / "unused").string();
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {}, {"--out"}, {"--out", dir, "extra"}, {"--out", dir, "--bogus", "1"}, {"--out", dir, "--scale", "0"},
             {"--out", dir, "--scale", "big"}, {"--out", dir, "--scale", "100"}, {"--out", dir, "--out", dir}}) {
        const ToolRun r = gallery(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find("--help"), npos);
        EXPECT_TRUE(r.out.is_null());
    }
    EXPECT_FALSE(fs::exists(dir)) << "nothing is made before the arguments are known to be good";
}

TEST(GalleryCommand, UnreadableSettingsUnwritableOutputAndADisabledBannerAreNamed)
{
    const zovo::TestFolder folder;
    const fs::path missing = folder / "no-such.plist", file = folder / "a-file", off = settings(folder, "off.plist", "<key>isEnabled</key><false/>");
    std::ofstream(file) << "not a directory";
    const std::vector<std::pair<ToolRun, std::string>> runs = {
        {gallery({"--out", (folder / "x").string(), "--settings", missing.string()}), missing.string()},
        {gallery({"--out", file.string(), "--scale", "1"}), file.string()},
        {gallery({"--out", (folder / "off").string(), "--settings", off.string(), "--scale", "1"}), "isEnabled"}};
    for (const auto& [run, named] : runs) {
        EXPECT_EQ(run.status, 1) << named;
        EXPECT_NE(run.err.find(named), npos) << run.err;
        EXPECT_TRUE(run.out.is_null()) << named;
    }
}

} // namespace
