#include "cli/ToolRun.h"
#include "TestFolder.h"

#include "uikit/CGImage.h"
#include "uikit/DeviceProfile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <array>
#include <cmath>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;
constexpr auto npos = std::string::npos;

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
    const fs::path out = folder / "out", blue = folder / "blue.plist";
    zovo::writePlist(blue, "<key>bgColour</key><string>3366CC</string>");
    const zovo::ToolRun run = zovo::runCommand({"gallery", "--out", out.string(), "--settings", blue.string(), "--scale", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string count = std::to_string(2 * zovo::deviceProfiles().size());
    EXPECT_NE(run.err.find(count + "/" + count), npos) << "progress on standard error: every device in both orientations";
    const std::string html = zovo::slurp(out / "index.html");
    EXPECT_NE(html.find("See you at eight \u2014 bring the book!"), npos) << "the default message";
    EXPECT_NE(html.find("iPhone12,3 &middot; banner 209 pt"), npos) << "as wide as the notch table says";
    EXPECT_NE(html.find("iPhone15,2 &middot; banner 313 pt"), npos) << "a phone no table names: its 393-point screen less 80";
    EXPECT_EQ(html.find("http"), npos) << "self-contained: nothing is fetched";

    const auto profiles = zovo::deviceProfiles();
    EXPECT_NE(html.find("<h2>Landscape</h2>"), npos);
    for (const bool landscape : {false, true}) {
        const nlohmann::json shots = run.json()[landscape ? "landscape" : "devices"];
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

} // namespace
