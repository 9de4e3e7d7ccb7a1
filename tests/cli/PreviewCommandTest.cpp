// The preview command's checks, all made before a window could open; and no display at all.
#include "cli/ToolRun.h"
#include "ScopedEnv.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

zovo::ToolRun preview(std::vector<std::string> args)
{
    args.insert(args.begin(), "preview");
    return zovo::runCommand(args);
}

TEST(PreviewCommand, BadInputIsRefusedWithStatusTwoNamingIt)
{
    const zovo::TestFolder folder;
    std::ofstream(folder / "bad.plist") << "<plist";
    std::ofstream(folder / "file") << "x";
    const std::string dir = folder.path().string();
    const struct {
        std::vector<std::string> args;
        std::string named;
    } cases[] = {
        {{"--device", "Nokia3310"}, "--device: unknown device \"Nokia3310\""},
        {{"--settings", dir + "/none.plist"}, "--settings " + dir + "/none.plist: no such file"},
        {{"--settings", dir + "/bad.plist"}, dir + "/bad.plist: not a valid XML property list"},
        {{"--settings", dir}, "not a regular file"},
        {{"--record", dir + "/missing/rec.json"}, "--record " + dir + "/missing/rec.json: its folder"},
        {{"--record", dir}, "is a folder"},
        {{"--trace", dir + "/missing/t.jsonl"}, "--trace"},
        {{"--screenshot-dir", dir + "/file"}, "--screenshot-dir " + dir + "/file: not a folder"},
        {{"--orientation", "sideways"}, "--orientation"},
        {{"--scale", "0"}, "--scale"},
        {{"--wallpaper", dir + "/file"}, "--wallpaper " + dir + "/file: not dark, light, dusk or a PNG"},
    };
    for (const auto& c : cases) {
        const zovo::ToolRun run = preview(c.args);
        EXPECT_EQ(run.status, 2) << c.args[0] << ": " << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    }
}

TEST(PreviewCommand, NoDisplayIsStatusOneWithAMessage)
{
    // The X11 driver with no display named: what a machine without a screen answers.
    const zovo::ScopedEnv driver("SDL_VIDEODRIVER", "x11");
    const zovo::ScopedEnv display("DISPLAY", nullptr);
    const zovo::ToolRun run = preview({});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("zovorudovu preview: no display"), std::string::npos) << run.err;
}

} // namespace
