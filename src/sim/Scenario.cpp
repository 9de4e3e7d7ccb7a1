#include "sim/Scenario.h"

#include "foundation/Json.h"
#include "uikit/DeviceProfile.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <functional>
#include <sstream>

namespace fs = std::filesystem;

namespace zovo {
namespace {

// Scenario files are small; anything bigger is a mistake, not a scenario.
constexpr std::size_t kMaxScenarioBytes = 4 * 1024 * 1024;
constexpr std::size_t kMaxEvents = 100000;
constexpr double kMaxTime = 24 * 3600.0;
// The property-list reader refuses deeper files; refusing them here says so early.
constexpr int kMaxSettingsDepth = 30;

// Thrown by the reader from any depth of the scenario and caught in parseScenario, which turns it
// into the error it returns; it never leaves this file.
struct Invalid {
    std::string where;
    std::string what;
};

class Reader {
public:
    Reader(const Json& value, std::string where) : value_(value), where_(std::move(where)) {}

    [[noreturn]] void fail(const std::string& what) const { throw Invalid{where_, what}; }

    Reader at(const char* key) const { return Reader(value_.at(key), where_ + "." + key); }
    bool has(const char* key) const { return value_.is_object() && value_.contains(key); }
    const Json& json() const { return value_; }
    const std::string& where() const { return where_; }

    void expectObject() const
    {
        if (!value_.is_object()) fail("expected an object, got " + std::string(value_.type_name()));
    }
    void allowOnly(std::initializer_list<const char*> keys) const
    {
        for (const auto& item : value_.items()) {
            const std::string& key = item.key();
            if (std::none_of(keys.begin(), keys.end(), [&](const char* k) { return key == k; })) Reader(value_[key], where_ + "." + key).fail("unknown field");
        }
    }
    double number(double min, double max) const
    {
        if (!value_.is_number()) fail("expected a number, got " + std::string(value_.type_name()));
        const double v = value_.get<double>();
        if (!std::isfinite(v) || v < min || v > max) {
            std::ostringstream range;
            range << "must be between " << min << " and " << max;
            fail(range.str());
        }
        return v;
    }
    std::string text() const
    {
        if (!value_.is_string()) fail("expected text, got " + std::string(value_.type_name()));
        return value_.get<std::string>();
    }
    bool flag() const
    {
        if (!value_.is_boolean()) fail("expected true or false, got " + std::string(value_.type_name()));
        return value_.get<bool>();
    }
    void expectTrue() const
    {
        if (!flag()) fail("must be true");
    }

private:
    const Json& value_;
    std::string where_;
};

ScenarioOrientation orientation(const Reader& r)
{
    const std::string text = r.text();
    if (text == "portrait") return ScenarioOrientation::Portrait;
    if (text == "landscape") return ScenarioOrientation::Landscape;
    r.fail("expected \"portrait\" or \"landscape\", got \"" + text + "\"");
}

std::optional<std::uint32_t> parseColour(const std::string& text)
{
    if (text.size() != 7 || text[0] != '#') return std::nullopt;
    std::uint32_t rgb = 0;
    for (std::size_t i = 1; i < 7; ++i) {
        const char c = text[i];
        int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) return std::nullopt;
        rgb = rgb << 4 | static_cast<std::uint32_t>(digit);
    }
    return rgb;
}

void settingsDictionary(const Reader& r)
{
    r.expectObject();
    // Keys of a property list are text; values may be anything a property list holds except null.
    std::function<void(const Json&, const std::string&, int)> check = [&](const Json& v, const std::string& where, int depth) {
        if (depth > kMaxSettingsDepth) Reader(v, where).fail("nested too deep for a settings file");
        if (v.is_null()) Reader(v, where).fail("null has no property-list form");
        if (v.is_object())
            for (const auto& [key, child] : v.items()) check(child, where + "." + key, depth + 1);
        if (v.is_array())
            for (std::size_t i = 0; i < v.size(); ++i) check(v[i], where + "[" + std::to_string(i) + "]", depth + 1);
    };
    check(r.json(), r.where(), 0);
}

ScenarioNotify notify(const Reader& r, const fs::path& baseDir)
{
    r.expectObject();
    r.allowOnly({"id", "app", "title", "subtitle", "message", "icon", "date", "sticky"});
    ScenarioNotify n;
    if (!r.has("id")) r.fail("needs an \"id\"");
    n.id = r.at("id").text();
    if (r.has("app")) n.app = r.at("app").text();
    if (r.has("title")) n.title = r.at("title").text();
    if (r.has("subtitle")) n.subtitle = r.at("subtitle").text();
    if (r.has("message")) n.message = r.at("message").text();
    if (r.has("date")) n.date = r.at("date").text();
    if (r.has("sticky")) n.sticky = r.at("sticky").flag();
    if (r.has("icon")) {
        Reader icon = r.at("icon");
        const std::string text = icon.text();
        if (!text.empty() && text[0] == '#') {
            n.iconRGB = parseColour(text);
            if (!n.iconRGB) icon.fail("a colour is \"#RRGGBB\", got \"" + text + "\"");
        } else if (auto builtIn = appIconNamed(text)) {
            // A bare name is one of the icons the project draws, so a scenario needs no files
            // beside it; a PNG of the same name is written "./messages".
            n.builtInIcon = builtIn;
        } else {
            n.iconFile = baseDir / text;
            std::error_code ec;
            if (!fs::is_regular_file(n.iconFile, ec)) icon.fail("no icon file " + n.iconFile.string() + " (a built-in icon is named messages, weather or mail)");
        }
    }
    return n;
}

std::vector<ScenarioTouch> touches(const Reader& r)
{
    if (!r.json().is_array()) r.fail("expected a list of touches");
    if (r.json().empty()) r.fail("needs at least one touch");
    std::vector<ScenarioTouch> out;
    for (std::size_t i = 0; i < r.json().size(); ++i) {
        Reader t(r.json()[i], r.where() + "[" + std::to_string(i) + "]");
        t.expectObject();
        t.allowOnly({"phase", "x", "y", "t"});
        ScenarioTouch touch{};
        if (!t.has("phase")) t.fail("needs a \"phase\"");
        const std::string phase = t.at("phase").text();
        if (phase == "down") touch.phase = ScenarioTouch::Phase::Down;
        else if (phase == "move") touch.phase = ScenarioTouch::Phase::Move;
        else if (phase == "up") touch.phase = ScenarioTouch::Phase::Up;
        else if (phase == "cancel") touch.phase = ScenarioTouch::Phase::Cancel;
        else t.at("phase").fail("expected down, move, up or cancel, got \"" + phase + "\"");
        if (touch.phase != ScenarioTouch::Phase::Cancel) {
            if (!t.has("x") || !t.has("y")) t.fail("needs \"x\" and \"y\"");
            touch.x = t.at("x").number(-1e5, 1e5);
            touch.y = t.at("y").number(-1e5, 1e5);
        }
        if (t.has("t")) touch.t = t.at("t").number(0, kMaxTime);
        if (!out.empty() && touch.t < out.back().t) t.at("t").fail("touches must be in time order");
        out.push_back(touch);
    }
    return out;
}

ScenarioEvent event(const Reader& r, const fs::path& baseDir)
{
    r.expectObject();
    ScenarioEvent e{};
    if (!r.has("at")) r.fail("needs \"at\" (seconds)");
    e.at = r.at("at").number(0, kMaxTime);
    static const char* const kinds[] = {"notify", "tap", "drag", "hold", "touches", "closeLongLook", "settings", "rotate", "snapshot"};
    const char* kind = nullptr;
    for (const auto& item : r.json().items()) {
        const std::string& key = item.key();
        if (key == "at") continue;
        auto known = std::find_if(std::begin(kinds), std::end(kinds), [&](const char* k) { return key == k; });
        if (known == std::end(kinds)) r.at(key.c_str()).fail("unknown event (expected one of notify, tap, drag, hold, touches, closeLongLook, settings, rotate, snapshot)");
        if (kind) r.fail(std::string("has both \"") + kind + "\" and \"" + key + "\": one event each");
        kind = *known;
    }
    if (!kind) r.fail("has no event (notify, tap, drag, hold, touches, closeLongLook, settings, rotate or snapshot)");
    const std::string k = kind;
    Reader body = r.at(kind);
    if (k == "notify") {
        e.kind = ScenarioEvent::Kind::Notify;
        e.notify = notify(body, baseDir);
    } else if (k == "tap") {
        e.kind = ScenarioEvent::Kind::Tap;
        body.expectTrue();
    } else if (k == "drag") {
        e.kind = ScenarioEvent::Kind::Drag;
        body.expectObject();
        body.allowOnly({"dy", "duration"});
        if (!body.has("dy")) body.fail("needs \"dy\" (points)");
        e.dy = body.at("dy").number(-5000, 5000);
        e.duration = body.has("duration") ? body.at("duration").number(0.01, 60) : 0.3;
    } else if (k == "hold") {
        e.kind = ScenarioEvent::Kind::Hold;
        body.expectObject();
        body.allowOnly({"duration"});
        e.duration = body.has("duration") ? body.at("duration").number(0.01, 600) : 1.0;
    } else if (k == "touches") {
        e.kind = ScenarioEvent::Kind::Touches;
        e.touches = touches(body);
    } else if (k == "closeLongLook") {
        e.kind = ScenarioEvent::Kind::CloseLongLook;
        body.expectTrue();
    } else if (k == "settings") {
        e.kind = ScenarioEvent::Kind::Settings;
        settingsDictionary(body);
        e.settings = body.json();
    } else if (k == "rotate") {
        e.kind = ScenarioEvent::Kind::Rotate;
        e.rotate = orientation(body);
    } else {
        e.kind = ScenarioEvent::Kind::Snapshot;
        e.label = body.text();
        if (e.label.empty() || e.label.find_first_of("/\\") != std::string::npos || e.label == "." || e.label == "..")
            body.fail("a label is a non-empty name without slashes");
    }
    return e;
}

Scenario scenario(const Json& root, const fs::path& baseDir)
{
    Reader r(root, "scenario");
    r.expectObject();
    r.allowOnly({"device", "orientation", "settings", "defaults", "bannerDuration", "until", "events"});
    Scenario s;
    if (r.has("device")) {
        s.device = r.at("device").text();
        if (!findDeviceProfile(s.device)) r.at("device").fail("unknown device \"" + s.device + "\" (see `zovorudovu devices`)");
    }
    if (r.has("orientation")) s.orientation = orientation(r.at("orientation"));
    if (r.has("settings")) {
        settingsDictionary(r.at("settings"));
        s.settings = r.at("settings").json();
    }
    if (r.has("defaults") && r.at("defaults").json().is_null()) {
        s.defaultsFile = Scenario::Defaults::None;
    } else if (r.has("defaults")) {
        s.defaultsFile = Scenario::Defaults::Given;
        settingsDictionary(r.at("defaults"));
        s.defaults = r.at("defaults").json();
    }
    if (r.has("bannerDuration")) s.bannerDuration = r.at("bannerDuration").number(0.1, 3600);
    if (r.has("until")) s.until = r.at("until").number(0, kMaxTime);
    if (r.has("events")) {
        Reader events = r.at("events");
        if (!events.json().is_array()) events.fail("expected a list of events");
        if (events.json().size() > kMaxEvents) events.fail("too many events (at most " + std::to_string(kMaxEvents) + ")");
        for (std::size_t i = 0; i < events.json().size(); ++i)
            s.events.push_back(event(Reader(events.json()[i], "events[" + std::to_string(i) + "]"), baseDir));
    }
    std::stable_sort(s.events.begin(), s.events.end(), [](const ScenarioEvent& a, const ScenarioEvent& b) { return a.at < b.at; });
    return s;
}

const char* orientationName(ScenarioOrientation o) { return o == ScenarioOrientation::Landscape ? "landscape" : "portrait"; }

std::string colourText(std::uint32_t rgb)
{
    static const char digits[] = "0123456789abcdef";
    std::string text = "#";
    for (int shift = 20; shift >= 0; shift -= 4) text += digits[(rgb >> shift) & 0xF];
    return text;
}

Json notifyJson(const ScenarioNotify& n)
{
    Json out{{"id", n.id}};
    if (!n.app.empty()) out["app"] = n.app;
    if (!n.title.empty()) out["title"] = n.title;
    if (!n.subtitle.empty()) out["subtitle"] = n.subtitle;
    if (!n.message.empty()) out["message"] = n.message;
    if (!n.date.empty()) out["date"] = n.date;
    if (n.builtInIcon) out["icon"] = std::string(appIconName(*n.builtInIcon));
    else if (n.iconRGB) out["icon"] = colourText(*n.iconRGB);
    else if (!n.iconFile.empty()) out["icon"] = n.iconFile.generic_string();
    if (n.sticky) out["sticky"] = true;
    return out;
}

Json touchJson(const ScenarioTouch& t)
{
    static const char* const phases[] = {"down", "move", "up", "cancel"};
    Json out{{"phase", phases[static_cast<int>(t.phase)]}};
    if (t.phase != ScenarioTouch::Phase::Cancel) {
        out["x"] = t.x;
        out["y"] = t.y;
    }
    out["t"] = t.t;
    return out;
}

Json eventJson(const ScenarioEvent& e)
{
    Json out{{"at", e.at}};
    switch (e.kind) {
    case ScenarioEvent::Kind::Notify: out["notify"] = notifyJson(e.notify); break;
    case ScenarioEvent::Kind::Tap: out["tap"] = true; break;
    case ScenarioEvent::Kind::Drag: out["drag"] = {{"dy", e.dy}, {"duration", e.duration}}; break;
    case ScenarioEvent::Kind::Hold: out["hold"] = {{"duration", e.duration}}; break;
    case ScenarioEvent::Kind::Touches: {
        Json list = Json::array();
        for (const ScenarioTouch& t : e.touches) list.push_back(touchJson(t));
        out["touches"] = std::move(list);
        break;
    }
    case ScenarioEvent::Kind::CloseLongLook: out["closeLongLook"] = true; break;
    case ScenarioEvent::Kind::Settings: out["settings"] = e.settings; break;
    case ScenarioEvent::Kind::Rotate: out["rotate"] = orientationName(e.rotate); break;
    case ScenarioEvent::Kind::Snapshot: out["snapshot"] = e.label; break;
    }
    return out;
}

} // namespace

Json scenarioToJson(const Scenario& s)
{
    Json out{{"device", s.device}, {"orientation", orientationName(s.orientation)}};
    if (s.settings) out["settings"] = *s.settings;
    if (s.defaultsFile == Scenario::Defaults::None) out["defaults"] = nullptr;
    else if (s.defaultsFile == Scenario::Defaults::Given && s.defaults) out["defaults"] = *s.defaults;
    out["bannerDuration"] = s.bannerDuration;
    out["until"] = s.until;
    Json events = Json::array();
    for (const ScenarioEvent& e : s.events) events.push_back(eventJson(e));
    out["events"] = std::move(events);
    return out;
}

ErrorOr<Scenario> parseScenario(const std::string& text, const fs::path& baseDir, const std::string& name)
{
    // Settings may nest kMaxSettingsDepth levels below the scenario's own two, and the reader names
    // that limit itself; the parser's limit sits just above so that a hostile nesting stops early.
    ErrorOr<Json> root = parseJsonText(text, {.maxBytes = kMaxScenarioBytes, .maxDepth = kMaxSettingsDepth + 4});
    if (!root) return Error{name + ": not valid JSON: " + root.error()};
    try {
        return scenario(root.value(), baseDir);
    } catch (const Invalid& invalid) {
        return Error{name + ": " + invalid.where + ": " + invalid.what};
    }
}

ErrorOr<Scenario> loadScenario(const fs::path& file)
{
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (fs::is_directory(status)) return Error{file.string() + ": is a directory, not a scenario file"};
    if (!fs::exists(status)) return Error{file.string() + ": no such scenario file"};
    if (!fs::is_regular_file(status)) return Error{file.string() + ": not a regular file, so not a scenario file"};
    if (fs::file_size(file, ec) > kMaxScenarioBytes) return Error{file.string() + ": too large for a scenario (over 4 MiB)"};
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    if (!in.good() && !in.eof()) return Error{file.string() + ": cannot be read"};
    return parseScenario(text.str(), file.parent_path(), file.string());
}

} // namespace zovo
