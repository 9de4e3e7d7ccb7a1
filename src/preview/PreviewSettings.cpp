#include "preview/PreviewSettings.h"

#include "foundation/PropertyList.h"
#include "sim/SettingsFile.h"

#include <fstream>
#include <utility>

namespace fs = std::filesystem;

namespace zovo {

PreviewSettings::Stamp PreviewSettings::stamp() const
{
    std::error_code ec;
    Stamp s;
    s.modified = fs::last_write_time(file_, ec);
    if (ec) return {};
    s.size = fs::file_size(file_, ec);
    s.exists = !ec;
    return s;
}

ErrorOr<void> PreviewSettings::load()
{
    seen_ = stamp();
    ErrorOr<PropertyList> read = readPropertyList(file_);
    broken_ = !read;
    problem_ = read ? std::string() : read.error();
    const PropertyList list = TRY(std::move(read));
    // The format is kept so that a person's XML file is not turned into a binary one by a toggle.
    std::ifstream in(file_, std::ios::binary);
    char magic[6] = {};
    in.read(magic, sizeof magic);
    binary_ = std::string(magic, static_cast<std::size_t>(in.gcount())) == "bplist";
    current_ = settingsToJson(list.dictionary.get());
    return {};
}

ErrorOr<std::optional<Json>> PreviewSettings::poll()
{
    using Changed = std::optional<Json>;
    if (!hasFile()) return Changed{};
    if (stamp() == seen_) {
        // An editor that truncates and then writes shows an empty or half-written file for a
        // moment; a file is reported broken only when it stays so until the next look.
        if (!unreported_.empty()) return Error{std::exchange(unreported_, {}) + "; the last good settings stay"};
        return Changed{};
    }
    unreported_.clear();
    if (auto loaded = load(); !loaded) {
        unreported_ = loaded.error();
        return Changed{};
    }
    return Changed{current_};
}

ErrorOr<void> PreviewSettings::write(const Json& settings)
{
    if (hasFile()) {
        TRY(writePropertyList(file_, propertyListFromJson(settings).get(), binary_ ? PropertyListFormat::Binary : PropertyListFormat::Xml));
        seen_ = stamp();
        broken_ = false;
        problem_.clear();
    }
    current_ = settings;
    return {};
}

} // namespace zovo
