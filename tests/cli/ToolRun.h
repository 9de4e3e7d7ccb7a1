// The tool run in this process on streams of the test's own, as main() runs it on the process's:
//
//   const zovo::ToolRun r = zovo::runCommand("notch", {"--model", "iPhone14,2"});
//   EXPECT_EQ(r.status, 0) << r.err;
//   EXPECT_EQ(r.json()["notchWidth"], 230);
//   zovo::runCommand("prefs", {zovo::writePlist(folder / "s.plist", "<key>customWidth</key><true/>")});
#pragma once

#include "cli/Command.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace zovo {

struct ToolRun {
    int status = -1;
    std::string out, err;
    // Standard output read as JSON; null when nothing was printed.
    nlohmann::json json() const { return out.empty() ? nlohmann::json() : nlohmann::json::parse(out); }
};

inline ToolRun runCommand(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    ToolRun r;
    r.status = runTool(args, {out, err});
    r.out = out.str();
    r.err = err.str();
    return r;
}

// The same, the command's name first.
inline ToolRun runCommand(const std::string& command, std::vector<std::string> args)
{
    args.insert(args.begin(), command);
    return runCommand(args);
}

// Writes a settings property list whose dictionary holds `entries` (XML keys and values); the path.
inline std::string writePlist(const std::filesystem::path& path, const std::string& entries)
{
    std::ofstream(path) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" << entries << "</dict></plist>";
    return path.string();
}

// A file's bytes; empty when it cannot be read.
inline std::string slurp(const std::filesystem::path& file)
{
    std::ostringstream bytes;
    bytes << std::ifstream(file, std::ios::binary).rdbuf();
    return bytes.str();
}

} // namespace zovo
