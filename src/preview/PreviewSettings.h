// The settings file a preview edits and watches. With a file named on the command line, that file
// is the settings file: key toggles rewrite it in its own format (XML stays XML), and edits made
// in any editor are noticed. Without one, the phone's own file is used, as the settings pane would.
//
// Settings are kept as JSON between simulated processes: a property-list object belongs to one
// process's runtime and ends with it, while a relaunch must carry the settings over.
#pragma once

#include "foundation/ErrorOr.h"
#include "foundation/Json.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace zovo {

class PreviewSettings {
public:
    // `file` empty: no file of the user's; current() is whatever the phone's file held at launch.
    explicit PreviewSettings(std::filesystem::path file) : file_(std::move(file)) {}

    bool hasFile() const { return !file_.empty(); }
    const std::filesystem::path& file() const { return file_; }

    // Reads the file as it is now. Needs a running process. An error names the file and
    // the problem; a file that does not parse leaves current() as it was.
    ErrorOr<void> load();
    // When the file changed on disk since it was last read or written: its new settings; nothing
    // when it did not. A file that no longer parses gives nothing at first, and an error naming
    // the file and the problem at the next call if it is still the same broken file then (once
    // per change). Needs a running process.
    ErrorOr<std::optional<Json>> poll();
    // Writes `settings` into the file in the format it had (binary for a new file), and makes
    // them current. An error names the file and the problem. Needs a running process.
    ErrorOr<void> write(const Json& settings);

    // Whether the file failed to parse when it was last looked at.
    bool broken() const { return broken_; }
    // Why the file did not parse when it was last looked at, or empty.
    const std::string& problem() const { return problem_; }
    const Json& current() const { return current_; }
    void setCurrent(Json settings) { current_ = std::move(settings); }

private:
    struct Stamp {
        std::filesystem::file_time_type modified{};
        std::uintmax_t size = 0;
        bool exists = false;
        friend bool operator==(const Stamp&, const Stamp&) = default;
    };
    Stamp stamp() const;

    std::filesystem::path file_;
    bool binary_ = true;
    bool broken_ = false;
    std::string problem_;
    std::string unreported_; // why the file as it is now does not parse, not yet reported
    Stamp seen_;
    Json current_ = Json::object();
};

} // namespace zovo
