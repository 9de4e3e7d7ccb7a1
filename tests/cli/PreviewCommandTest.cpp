// The preview command's checks, all made before a window could open; and no display at all.
#include "cli/Command.h"
#include "TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>

namespace {

struct ToolRun {
    int status;
    std::string err;
};

ToolRun preview(std::vector<std::string> args)
{
    testing::internal::CaptureStderr();
    args.insert(args.begin(), "preview");
    const int status = zovo::runTool(args);
    return {status, testing::internal::GetCapturedStderr()};
}

// Sets an environment variable for the length of a test, or removes it.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name)) old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

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
        const ToolRun run = preview(c.args);
        EXPECT_EQ(run.status, 2) << c.args[0] << ": " << run.err;
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
    }
}

TEST(PreviewCommand, NoDisplayIsStatusOneWithAMessage)
{
    // The X11 driver with no display named: what a machine without a screen answers.
    const ScopedEnv driver("SDL_VIDEODRIVER", "x11");
    const ScopedEnv display("DISPLAY", nullptr);
    const ToolRun run = preview({});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("zovorudovu preview: no display"), std::string::npos) << run.err;
}

} // namespace
