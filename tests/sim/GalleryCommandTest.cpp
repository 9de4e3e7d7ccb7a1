#include "sim/Command.h"

#include "uikit/CGImage.h"
#include "uikit/DeviceProfile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;
    nlohmann::json out;
    std::string err;
};

ToolRun gallery(const zovo::Arguments& args)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = zovo::galleryCommand(args);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    return {status, out.empty() ? nlohmann::json() : nlohmann::json::parse(out), err};
}

fs::path tempPath(const std::string& name) { return fs::temp_directory_path() / ("zovo-gallery-" + std::to_string(::getpid()) + "-" + name); }

std::string readText(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The pixel under a point (in points) of an image rendered at one pixel a point.
std::array<int, 3> rgbAt(const CGImage& image, double x, double y)
{
    const auto p = image.rgbaAt(static_cast<std::size_t>(std::floor(x)), static_cast<std::size_t>(std::floor(y)));
    return {p[0], p[1], p[2]};
}

bool near(std::array<int, 3> a, std::array<int, 3> b, int tolerance = 3)
{
    for (std::size_t i = 0; i < 3; ++i)
        if (std::abs(a[i] - b[i]) > tolerance) return false;
    return true;
}

// One gallery of every device at one pixel a point, made by the first case that needs it and
// shared by the others: a banner body of #3366CC so that its pixels cannot be mistaken for the
// wallpaper's or the notch's.
struct SharedGallery {
    fs::path out = tempPath("out");
    fs::path settings = tempPath("blue.plist");
    ToolRun run;

    SharedGallery()
    {
        fs::remove_all(out);
        std::ofstream(settings) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                   "<key>bgColour</key><string>3366CC</string></dict></plist>";
        run = gallery({"--out", out.string(), "--settings", settings.string(), "--scale", "1"});
    }
    ~SharedGallery()
    {
        fs::remove_all(out);
        fs::remove(settings);
    }

    const nlohmann::json* device(const std::string& model) const
    {
        for (const auto& d : run.out["devices"])
            if (d["model"] == model) return &d;
        return nullptr;
    }
};

const SharedGallery& shared()
{
    static const SharedGallery gallery;
    return gallery;
}

TEST(GalleryCommand, RendersEveryBuiltInDeviceWithAContactSheet)
{
    const SharedGallery& g = shared();
    ASSERT_EQ(g.run.status, 0) << g.run.err;
    EXPECT_EQ(g.run.out["out"], g.out.string());
    const auto profiles = zovo::deviceProfiles();
    ASSERT_EQ(g.run.out["devices"].size(), profiles.size());
    const std::string html = readText(g.out / "index.html");
    ASSERT_FALSE(html.empty());
    for (std::size_t i = 0; i < profiles.size(); ++i) {
        const auto& entry = g.run.out["devices"][i];
        const std::string model(profiles[i].model);
        EXPECT_EQ(entry["model"], model);
        EXPECT_EQ(entry["name"], std::string(profiles[i].name));
        EXPECT_EQ(entry["image"], model + ".png");
        const zovo::ImageResult png = zovo::loadPNG(g.out / (model + ".png"));
        ASSERT_TRUE(png) << png.message;
        EXPECT_EQ(png.image->width(), static_cast<std::size_t>(profiles[i].screen.width)) << model << ": portrait, one pixel a point";
        EXPECT_EQ(png.image->height(), static_cast<std::size_t>(profiles[i].screen.height)) << model;
        EXPECT_NE(html.find("src=\"" + model + ".png\""), std::string::npos) << model;
        EXPECT_NE(html.find(std::string(profiles[i].name)), std::string::npos) << model;
        EXPECT_GT(entry["bannerWidth"].get<double>(), 0) << model;
    }
    EXPECT_NE(html.find("See you at eight \u2014 bring the book!"), std::string::npos) << "the default message";
    EXPECT_EQ(html.find("http"), std::string::npos) << "self-contained: nothing is fetched";
    EXPECT_NE(g.run.err.find("18/18"), std::string::npos) << "progress on standard error";
}

TEST(GalleryCommand, BannerIsAsWideAsTheNotchTableSays)
{
    const SharedGallery& g = shared();
    ASSERT_EQ(g.run.status, 0) << g.run.err;
    const auto* phone = g.device("iPhone12,3");
    const auto* pad = g.device("iPad8,1");
    ASSERT_TRUE(phone && pad);
    EXPECT_EQ((*phone)["bannerWidth"], 209);
    EXPECT_LT((*phone)["bannerWidth"].get<double>(), (*pad)["bannerWidth"].get<double>());
    const std::string html = readText(g.out / "index.html");
    EXPECT_NE(html.find("iPhone12,3 &middot; banner 209 pt"), std::string::npos);
}

TEST(GalleryCommand, PixelsShowTheBannerBodyAndIconWhereTheyBelong)
{
    const SharedGallery& g = shared();
    ASSERT_EQ(g.run.status, 0) << g.run.err;
    for (const char* model : {"iPhone12,3", "iPad8,1"}) {
        const auto* entry = g.device(model);
        ASSERT_TRUE(entry);
        const auto body = (*entry)["bodyFrame"];
        const zovo::ImageResult png = zovo::loadPNG(g.out / (std::string(model) + ".png"));
        ASSERT_TRUE(png);
        const double cx = body[0].get<double>() + body[2].get<double>() / 2, cy = body[1].get<double>() + body[3].get<double>() / 2;
        EXPECT_TRUE(near(rgbAt(*png.image, cx, cy), {0x33, 0x66, 0xCC})) << model << ": the body's colour from the settings at its centre";
        EXPECT_FALSE(near(rgbAt(*png.image, cx, cy + body[3].get<double>()), {0x33, 0x66, 0xCC})) << model << ": wallpaper below it";

        // The generated icon's green is somewhere inside the banner.
        const auto banner = (*entry)["bannerFrame"].get<std::vector<double>>();
        bool green = false;
        for (double y = banner[1]; y < banner[1] + banner[3] && !green; ++y)
            for (double x = banner[0]; x < banner[0] + banner[2] && !green; ++x) green = near(rgbAt(*png.image, x, y), {51, 199, 89}, 6);
        EXPECT_TRUE(green) << model;
    }
}

TEST(GalleryCommand, BadArgumentsAreUsageErrors)
{
    const std::string dir = tempPath("unused").string();
    for (const zovo::Arguments& args : std::vector<zovo::Arguments>{{},
                                                                    {"--out"},
                                                                    {"--out", dir, "extra"},
                                                                    {"--out", dir, "--bogus", "1"},
                                                                    {"--out", dir, "--scale", "0"},
                                                                    {"--out", dir, "--scale", "big"},
                                                                    {"--out", dir, "--scale", "100"},
                                                                    {"--out", dir, "--out", dir}}) {
        const ToolRun r = gallery(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
        EXPECT_TRUE(r.out.is_null());
    }
    EXPECT_FALSE(fs::exists(dir)) << "nothing is made before the arguments are known to be good";
}

TEST(GalleryCommand, UnreadableInputsAndUnwritableOutputAreNamed)
{
    const fs::path missing = tempPath("no-such.plist");
    ToolRun r = gallery({"--out", tempPath("x").string(), "--settings", missing.string()});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(missing.string()), std::string::npos) << r.err;
    EXPECT_TRUE(r.out.is_null());

    const fs::path file = tempPath("a-file");
    std::ofstream(file) << "not a directory";
    r = gallery({"--out", file.string(), "--scale", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(file.string()), std::string::npos) << r.err;
    fs::remove(file);

    const fs::path off = tempPath("off.plist");
    std::ofstream(off) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>isEnabled</key><false/></dict></plist>";
    r = gallery({"--out", tempPath("off").string(), "--settings", off.string(), "--scale", "1"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("isEnabled"), std::string::npos) << r.err;
    fs::remove(off);
    fs::remove_all(tempPath("off"));
    fs::remove_all(tempPath("x"));
}

} // namespace
