#include "uikit/PinnedFonts.h"

#include <fontconfig/fontconfig.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zovo {

namespace {

// The folder of the running program, from the link the kernel keeps; empty where there is none.
fs::path programFolder()
{
    std::error_code error;
    const fs::path self = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : self.parent_path();
}

struct Loaded {
    ErrorOr<void> result;
    FcConfig* config = nullptr;
};

ErrorOr<void*> load()
{
    fs::path path;
    std::string tried;
    for (const fs::path& candidate : pinnedFontConfigCandidates()) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) {
            path = candidate;
            break;
        }
        tried += (tried.empty() ? "" : ", ") + candidate.string();
    }
    if (path.empty()) return Error{"the font configuration is missing (looked for " + tried + ")"};
    return loadFontConfig(path);
}

const Loaded& loaded()
{
    static const Loaded once = [] {
        ErrorOr<void*> config = load();
        if (!config) return Loaded{Error{config.error()}, nullptr};
        return Loaded{{}, static_cast<FcConfig*>(*config)};
    }();
    return once;
}

} // namespace

ErrorOr<void*> loadFontConfig(const fs::path& path)
{
    const std::vector<std::string> files = TRY(pinnedFontFiles(path));

    // A configuration of its own: not the machine's, and no sysroot from the environment.
    FcConfig* config = FcConfigCreate();
    FcConfigSetSysRoot(config, nullptr);
    if (!FcConfigParseAndLoad(config, reinterpret_cast<const FcChar8*>(path.c_str()), FcTrue)) {
        FcConfigDestroy(config);
        return Error{path.string() + ": not a usable fontconfig file"};
    }
    FcConfigBuildFonts(config);
    for (const std::string& file : files) {
        std::error_code error;
        if (!fs::is_regular_file(file, error) || !FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file.c_str()))) {
            FcConfigDestroy(config);
            return Error{"font file " + file + " is missing or unreadable (named in " + path.string() +
                         "; scripts/deps.sh installs the packages that hold it)"};
        }
    }
    return static_cast<void*>(config);
}

std::vector<fs::path> pinnedFontConfigCandidates()
{
    std::vector<fs::path> candidates;
    if (const fs::path folder = programFolder(); !folder.empty())
        candidates.push_back(folder.parent_path() / "share" / "zovorudovu" / "fonts" / "fonts.conf");
    candidates.emplace_back(ZOVO_SOURCE_FONT_CONFIG);
    return candidates;
}

ErrorOr<std::vector<std::string>> pinnedFontFiles(const fs::path& config)
{
    std::ifstream in(config, std::ios::binary);
    if (!in) return Error{config.string() + ": cannot be read"};
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::vector<std::string> files;
    // The accepted globs are exact paths; the file's own comments say so. Other globs (the
    // rejection of everything else) are not files.
    for (std::size_t at = text.find("<acceptfont>"); at != std::string::npos; at = text.find("<acceptfont>", at)) {
        const std::size_t end = text.find("</acceptfont>", at);
        if (end == std::string::npos) break;
        for (std::size_t glob = text.find("<glob>", at); glob != std::string::npos && glob < end; glob = text.find("<glob>", glob)) {
            glob += 6;
            const std::size_t close = text.find("</glob>", glob);
            if (close == std::string::npos || close > end) break;
            files.push_back(text.substr(glob, close - glob));
        }
        at = end;
    }
    if (files.empty()) return Error{config.string() + ": names no font file"};
    return files;
}

const ErrorOr<void>& checkPinnedFonts() { return loaded().result; }

void* pinnedFontConfig()
{
    const Loaded& fonts = loaded();
    if (!fonts.config) {
        // Drawing on with the machine's fonts would give other pictures, or boxes for glyphs.
        std::fprintf(stderr, "zovorudovu: %s\n", fonts.result.error().c_str());
        std::abort();
    }
    return fonts.config;
}

} // namespace zovo
