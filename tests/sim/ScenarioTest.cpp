// Whole scenarios, each in a fresh process, checked through their traces.
#include "foundation/NSNotificationCenter.h"
#include "foundation/Process.h"
#include "sim/Scenario.h"
#include "sim/ScenarioRunner.h"
#include "TestFolder.h"
#include "springboard/Host.h"
#include "uikit/UIScreen.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

using zovo::Json;

struct Played {
    std::vector<zovo::TraceEvent> events;

    // The records of one type whose field `key` reads `value` (text fields compared unquoted).
    std::vector<zovo::TraceEvent> where(const std::string& type, const std::string& key = {}, const std::string& value = {}) const
    {
        std::vector<zovo::TraceEvent> out;
        for (const auto& e : events)
            if (e.type == type && (key.empty() || e.text(key) == value || e.field(key) == value)) out.push_back(e);
        return out;
    }
    std::size_t count(const std::string& type, const std::string& key = {}, const std::string& value = {}) const { return where(type, key, value).size(); }
    Json snapshot(const std::string& label) const
    {
        for (const auto& e : where("snapshot", "label", label))
            return Json{{"banner", Json::parse(e.field("banner"))}, {"bridge", Json::parse(e.field("bridge"))}, {"windows", Json::parse(e.field("windows"))}};
        return nullptr;
    }
    // Whether the "post" records hold these names in this order (others may stand between).
    bool postsInOrder(std::vector<std::string> names) const
    {
        std::size_t next = 0;
        for (const auto& e : where("post"))
            if (next < names.size() && e.text("name") == names[next]) ++next;
        return next == names.size();
    }
};

Played play(Json scenario, zovo::RunnerOptions options = {}, const std::filesystem::path& folder = ".")
{
    zovo::ErrorOr<zovo::Scenario> loaded = zovo::parseScenario(scenario.dump(), folder, "test");
    EXPECT_TRUE(loaded) << (loaded ? std::string() : loaded.error());
    Played run;
    if (!loaded) return run;
    options.onEvent = [&](const zovo::TraceEvent& e) { run.events.push_back(e); };
    zovo::ScenarioRunner runner(loaded.value(), options);
    EXPECT_TRUE(runner.run());
    return run;
}

Json notify(double at, const std::string& id, bool sticky = false)
{
    return {{"at", at}, {"notify", {{"id", id}, {"app", "Messages"}, {"title", "Anna"}, {"message", "Lunch at one?"}, {"icon", "#34C759"}, {"sticky", sticky}}}};
}

Json base(Json events, double until)
{
    return {{"device", "iPhone13,2"}, {"settings", Json::object()}, {"bannerDuration", 5}, {"until", until}, {"events", std::move(events)}};
}

TEST(Scenario, NewNotificationDropsTheShownBannerAtOnce)
{
    Played run = play(base({notify(0.1, "r1"), notify(1.0, "r2"), {{"at", 2.0}, {"snapshot", "second"}}}, 2.5));
    EXPECT_GE(run.count("post", "name", "Zovorudovu_Dismiss_Accelerated"), 1u);
    Json second = run.snapshot("second");
    EXPECT_TRUE(second["bridge"]["presented"]);
    EXPECT_EQ(std::count_if(second["windows"].begin(), second["windows"].end(), [](const Json& w) { return w["class"] == "BLNotificationBanner"; }), 1);
}

// A banner pushed away is still sliding out when a newer notification drops it: it leaves the
// screen at once, and the end of its slide takes nothing else down with it.
TEST(Scenario, BannerDroppedWhileSlidingOutLeavesAtOnceAndSparesTheNewer)
{
    Played run = play(base({notify(0.1, "r1"), {{"at", 1.0}, {"drag", {{"dy", -60}, {"duration", 0.2}}}}, notify(1.3, "r2"),
                            {{"at", 2.0}, {"snapshot", "second"}}},
                           2.5));
    std::vector<zovo::TraceEvent> removed;
    for (const auto& e : run.where("window", "event", "removed"))
        if (e.text("class") == "BLNotificationBanner") removed.push_back(e);
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_LT(removed[0].time, 1.4) << "gone before its 0.2 s slide-out would have ended";
    EXPECT_TRUE(run.snapshot("second")["bridge"]["presented"]) << "the newer banner stays";
    EXPECT_EQ(run.count("host", "event", "bannerPresented"), 2u);
}

// What the banner shows of a notification: its own texts and icon, a built-in icon that needs no
// file beside the scenario, and the header's title and the subtitle standing in for empty texts.
// (A name with a path in it is a file, not a built-in: see the bad scenarios below.)
TEST(Scenario, BannerShowsTheNotificationsContentWithItsFallbacks)
{
    struct Case {
        Json change; // merged into the notification
        bool icon;
        const char *primary, *secondary, *date;
    } cases[] = {
        {{{"icon", nullptr}}, false, "Anna", "Lunch at one?", nullptr},
        {{{"icon", "weather"}}, true, "Anna", "Lunch at one?", nullptr},
        {{{"title", ""}, {"subtitle", "Invoice"}, {"message", ""}, {"date", "9:41"}}, true, "Messages", "Invoice", "9:41"},
    };
    for (const Case& c : cases) {
        Json request = notify(0.1, "r1");
        request["notify"].merge_patch(c.change);
        const Json banner = play(base({request, {{"at", 1.0}, {"snapshot", "shown"}}}, 2.0), {}, "/nonexistent").snapshot("shown")["banner"];
        EXPECT_EQ(banner["icon"]["hasImage"], c.icon) << c.change.dump();
        EXPECT_EQ(banner["primary"]["text"], c.primary) << "the header's title stands in for an empty title";
        EXPECT_EQ(banner["secondary"]["text"], c.secondary) << "the subtitle stands in for an empty message";
        EXPECT_TRUE(!c.date || banner["date"]["text"] == c.date) << "the date comes from the header's date label: " << banner["date"];
    }
}

// The long look opens by a pull or a hold, asks the system by the gesture that made it, and closes
// back to a dismissal.
TEST(Scenario, PullDownAndHoldOpenTheLongLookByTheirOwnRequestAndCloseBack)
{
    struct Case {
        Json gesture;
        const char* selector;
        const char* args;
    };
    for (const Case& c : {Case{{{"drag", {{"dy", 60}, {"duration", 0.2}}}}, "_presentLongLookForScrollAnimated:completion:", "[true,null]"},
                          Case{{{"hold", {{"duration", 0.8}}}}, "_presentLongLookViaClickPresentationInteraction:", "[null]"}}) {
        Json gesture = c.gesture;
        gesture["at"] = 1.0;
        Played run = play(base({notify(0.1, "r1"), gesture, {{"at", 2.0}, {"snapshot", "open"}}, {{"at", 2.5}, {"closeLongLook", true}}}, 4.0));
        EXPECT_EQ(run.count("post", "name", "Zovorudovu_Expand"), 1u) << gesture.dump();
        EXPECT_EQ(run.count("host", "event", "longLookPresented"), 1u) << gesture.dump();
        EXPECT_EQ(run.count("host", "event", "longLookDismissed"), 1u) << gesture.dump();
        ASSERT_EQ(run.count("call", "selector", c.selector), 1u) << gesture.dump();
        EXPECT_EQ(run.where("call", "selector", c.selector)[0].field("args"), c.args);
        Json open = run.snapshot("open");
        EXPECT_TRUE(open["bridge"]["longLookActivated"]);
        const auto& windows = open["windows"];
        auto banner = std::find_if(windows.begin(), windows.end(), [](const Json& w) { return w["class"] == "BLNotificationBanner"; });
        ASSERT_NE(banner, windows.end()) << "the component's window is on the screen under the long look";
        EXPECT_EQ((*banner)["level"], 1000) << "lowered under the long look";
        // Untouchable from creation, touchable for the long look, untouchable again as the short
        // look goes; the system window turns touchable before the component's window is lowered.
        std::vector<std::string> interaction;
        for (const auto& e : run.where("call", "selector", "setUserInteractionEnabled:"))
            if (e.text("receiver") == "SBBannerWindow") interaction.push_back(e.field("args"));
        EXPECT_EQ(interaction, (std::vector<std::string>{"[false]", "[true]", "[false]"})) << gesture.dump();
        EXPECT_TRUE(run.postsInOrder({"Zovorudovu_SBBannerWindow_Touchable", "Zovorudovu_WindowLevel_SetLow", "Zovorudovu_SBBannerWindow_Untouchable",
                                      "Zovorudovu_WindowLevel_SetHigh"}));
        EXPECT_TRUE(run.postsInOrder({"Zovorudovu_Expand", "Zovorudovu_Dismiss"})) << gesture.dump();
        EXPECT_EQ(run.count("post", "name", "Zovorudovu_Dismiss"), 1u);
    }
}

// Whoever ends a banner (the system's timer, the user's push, a tap), one dismissal runs: one
// "Zovorudovu_Dismiss" and one request to the system, never a second chain.
TEST(Scenario, EveryEndingRunsOneDismissalChain)
{
    struct Case {
        Json ending; // null: the system's timer
        std::vector<std::string> posts;
        std::string call; // a selector the ending calls
        double dismissedBefore;
    } cases[] = {
        {nullptr, {"Zovorudovu_Present", "Zovorudovu_UpdateContent", "Zovorudovu_Dismiss", "Zovorudovu_RequestBannerDismissal"}, "", 7.0},
        {{{"at", 1.0}, {"drag", {{"dy", -60}, {"duration", 0.2}}}},
         {"Zovorudovu_CancelBannerTimer", "Zovorudovu_StartBannerTimer", "Zovorudovu_Dismiss", "Zovorudovu_RequestBannerDismissal"},
         "_cancelDismissTimer",
         2.0}, // well before the 5 s timer
        {{{"at", 1.0}, {"tap", true}}, {"Zovorudovu_ExecuteTapAction", "Zovorudovu_Dismiss", "Zovorudovu_RequestBannerDismissal"}, "tapRecognizerRecognizedTap:", 7.0},
    };
    for (const Case& c : cases) {
        Json events = {notify(0.1, "r1")};
        if (!c.ending.is_null()) events.push_back(c.ending);
        Played run = play(base(events, 7.0));
        EXPECT_TRUE(run.postsInOrder(c.posts)) << c.ending.dump();
        EXPECT_EQ(run.count("window", "class", "BLNotificationBanner"), 2u) << "shown once, removed once: " << c.ending.dump();
        EXPECT_EQ(run.count("host", "event", "bannerPresented"), 1u) << c.ending.dump();
        ASSERT_EQ(run.count("host", "event", "bannerDismissed"), 1u) << c.ending.dump();
        EXPECT_LT(run.where("host", "event", "bannerDismissed")[0].time, c.dismissedBefore) << c.ending.dump();
        EXPECT_EQ(run.count("post", "name", "Zovorudovu_Dismiss"), 1u) << c.ending.dump();
        EXPECT_EQ(run.count("post", "name", "Zovorudovu_RequestBannerDismissal"), 1u) << c.ending.dump();
        EXPECT_TRUE(c.call.empty() || run.count("call", "selector", c.call) > 0) << c.call;
        const std::size_t taps = c.ending.contains("tap") ? 1 : 0; // the default action runs once, for a tap only
        EXPECT_EQ(run.count("post", "name", "Zovorudovu_ExecuteTapAction"), taps) << c.ending.dump();
        EXPECT_EQ(run.count("host", "event", "defaultAction"), taps) << c.ending.dump();
    }
}

// The host lays every view out again after a turn, so the component meets each hook in the new
// orientation; the windows that follow the screen are resized, the component's own is not.
TEST(Scenario, RotationResizesTheSystemWindowsAndLaysEveryViewOutAgain)
{
    auto frameOf = [](const Json& shot, const char* cls) {
        for (const auto& w : shot["windows"])
            if (w["class"] == cls) return w["frame"];
        return Json();
    };
    Played shown = play(base({notify(0.1, "r1"), {{"at", 1.0}, {"rotate", "landscape"}}, {{"at", 1.1}, {"snapshot", "landscape"}},
                              {{"at", 1.5}, {"rotate", "portrait"}}, {{"at", 1.6}, {"snapshot", "portrait"}}},
                             3.0));
    EXPECT_EQ(frameOf(shown.snapshot("landscape"), "SBBannerWindow")[2], 844);
    EXPECT_EQ(frameOf(shown.snapshot("landscape"), "BLNotificationBanner"), Json({80, 0, 230, 120}));
    EXPECT_EQ(frameOf(shown.snapshot("portrait"), "SBBannerWindow")[2], 390);
    EXPECT_EQ(frameOf(shown.snapshot("portrait"), "BLNotificationBanner"), Json({80, 0, 230, 120}));
    // Captured when shown and again after the turn back; in landscape the capture stands aside.
    auto updates = shown.where("post", "name", "Zovorudovu_UpdateContent");
    ASSERT_FALSE(updates.empty());
    EXPECT_TRUE(std::none_of(updates.begin(), updates.end(), [](const zovo::TraceEvent& e) { return e.time >= 1.0 && e.time < 1.5; }));
    EXPECT_TRUE(std::any_of(updates.begin(), updates.end(), [](const zovo::TraceEvent& e) { return e.time >= 1.5; }));

    Played open = play(base({notify(0.1, "r1"), {{"at", 1.0}, {"drag", {{"dy", 60}, {"duration", 0.2}}}}, {{"at", 2.0}, {"rotate", "landscape"}},
                             {{"at", 2.1}, {"snapshot", "landscape"}}, {{"at", 2.5}, {"rotate", "portrait"}}, {{"at", 2.6}, {"snapshot", "portrait"}}},
                            3.0));
    EXPECT_EQ(frameOf(open.snapshot("landscape"), "SBBannerWindow"), Json({0, 0, 844, 390})) << "the long look fills the turned screen";
    EXPECT_EQ(frameOf(open.snapshot("portrait"), "SBBannerWindow"), Json({0, 0, 390, 844}));
    EXPECT_EQ(open.count("host", "event", "longLookDismissed"), 0u) << "turning closes nothing";
}

// In landscape the component leaves banners to the system; turned to portrait, the capture must
// not hide the system's view for a banner of its own that does not exist.
TEST(Scenario, BannerFromLandscapeStaysTheSystemsAfterATurnToPortrait)
{
    Json scenario = base({notify(0.1, "r1"), {{"at", 1.0}, {"snapshot", "landscape"}}, {{"at", 1.05}, {"rotate", "portrait"}}, {{"at", 1.15}, {"snapshot", "turned"}}},
                         7.0);
    scenario["orientation"] = "landscape";
    Played run = play(scenario);
    EXPECT_EQ(run.count("post", "name", "Zovorudovu_Present"), 0u);
    EXPECT_EQ(run.count("window", "class", "BLNotificationBanner"), 0u);
    EXPECT_EQ(run.count("post", "name", "Zovorudovu_UpdateContent"), 0u) << "the system view was captured and hidden";
    const Json landscape = run.snapshot("landscape");
    EXPECT_TRUE(landscape["banner"].is_null());
    EXPECT_TRUE(run.snapshot("turned")["banner"].is_null());
    bool systemBanner = false;
    for (const auto& w : landscape["windows"]) systemBanner |= w["class"] == "SBBannerWindow" && w["userInteractionEnabled"] == true;
    EXPECT_TRUE(systemBanner);
    EXPECT_EQ(run.count("host", "event", "bannerDismissed"), 1u) << "the system's own banner runs its course";
}

// Off by the scenario's settings or by the package's defaults, the component shows nothing and the
// system's own banner comes and goes.
TEST(Scenario, APhoneHasThePackagesDefaultsUnlessTheScenarioSaysOtherwise)
{
    struct Case {
        Json defaults; // the "defaults" key; a discarded value leaves it out
        Json settings; // the "settings" key; null leaves it out
        bool active;
    } cases[] = {{Json(Json::value_t::discarded), nullptr, true},
                 {nullptr, nullptr, false},
                 {{{"isEnabled", false}}, nullptr, false},
                 {{{"isEnabled", true}}, nullptr, true},
                 {Json(Json::value_t::discarded), {{"isEnabled", false}}, false}};
    for (const Case& c : cases) {
        Json scenario = base({notify(0.1, "r1")}, 6.0);
        scenario.erase("settings");
        if (!c.settings.is_null()) scenario["settings"] = c.settings;
        if (!c.defaults.is_discarded()) scenario["defaults"] = c.defaults;
        std::vector<std::string> warnings;
        Played run = play(scenario, {.onWarning = [&](const std::string& w) { warnings.push_back(w); }});
        EXPECT_EQ(run.count("post") > 0, c.active) << c.defaults.dump();
        EXPECT_EQ(run.count("host", "event", "bannerDismissed"), 1u) << c.defaults.dump();
        EXPECT_EQ(warnings.size(), c.active ? 0u : 1u) << c.defaults.dump() << " " << c.settings.dump();
        // The written scenario keeps the choice.
        const zovo::ErrorOr<zovo::Scenario> loaded = zovo::parseScenario(scenario.dump(), ".", "s");
        ASSERT_TRUE(loaded);
        EXPECT_EQ(zovo::scenarioToJson(*loaded).contains("defaults"), !c.defaults.is_discarded());
        EXPECT_EQ(zovo::scenarioToJson(*zovo::parseScenario(zovo::scenarioToJson(*loaded).dump(), ".", "s")), zovo::scenarioToJson(*loaded));
    }
}

TEST(Scenario, SettingsChangeShowsFromTheNextBanner)
{
    Played run = play(base({notify(0.1, "r1"), {{"at", 1.0}, {"settings", {{"bgColour", "FF0000"}}}}, {{"at", 1.5}, {"snapshot", "old"}},
                         notify(7.0, "r2"), {{"at", 8.0}, {"snapshot", "new"}}},
                        9.0));
    EXPECT_EQ(run.snapshot("old")["banner"]["bgColour"], Json({0, 0, 0, 1}));
    EXPECT_EQ(run.snapshot("new")["banner"]["bgColour"], Json({1, 0, 0, 1}));
}

TEST(Scenario, BurstOfFiftyLeavesNothingBehind)
{
    Json events = Json::array();
    for (int i = 0; i < 50; ++i) events.push_back(notify(i * 0.02, "r" + std::to_string(i)));
    std::size_t windowsLeft = 99, liveEntries = 0, liveAtLaunch = 0;
    zovo::RunnerOptions options;
    options.onFinish = [&](zovo::Process&, zovo::SpringBoardHost&) {
        windowsLeft = UIScreen::mainScreen()->visibleWindows().size();
        liveEntries = NSNotificationCenter::defaultCenter()->liveEntryCount();
    };
    Played run = play(base(events, 400.0), options);
    EXPECT_EQ(run.count("host", "event", "requestReceived"), 50u);
    EXPECT_EQ(run.count("host", "event", "bannerPresented"), 50u) << "each request is shown, in arrival order";
    EXPECT_EQ(run.where("host", "event", "bannerPresented").back().text("request"), "r49");
    EXPECT_EQ(windowsLeft, 0u) << "no window is left on screen";
    // What launch registers (SpringBoard and the destination) is all that stays registered.
    zovo::RunnerOptions idle;
    idle.onFinish = [&](zovo::Process&, zovo::SpringBoardHost&) { liveAtLaunch = NSNotificationCenter::defaultCenter()->liveEntryCount(); };
    play(base(Json::array(), 1.0), idle);
    EXPECT_EQ(liveEntries, liveAtLaunch) << "no banner window, controller or view is left observing";
}

TEST(ScenarioFile, BadScenariosAreRefusedWithTheEventAndField)
{
    auto error = [](const std::string& text) { return zovo::parseScenario(text, ".", "s.json").error(); };
    EXPECT_NE(error("{").find("s.json: not valid JSON: line 1, column 2"), std::string::npos);
    EXPECT_NE(error("{\"events\": " + std::string(100000, '[') + "]").find("s.json: not valid JSON: line 1, column 45: nested deeper"),
              std::string::npos);
    EXPECT_NE(error(R"({"events": [{"at": 1, "jump": true}]})").find("events[0].jump: unknown event"), std::string::npos);
    EXPECT_NE(error(R"({"events": [{"at": "soon", "tap": true}]})").find("events[0].at: expected a number"), std::string::npos);
    EXPECT_NE(error(R"({"events": [{"at": 1, "drag": {"dy": "far"}}]})").find("events[0].drag.dy"), std::string::npos);
    EXPECT_NE(error(R"({"events": [{"at": 1, "notify": {"id": "a", "icon": "./weather"}}]})")
                  .find("no icon file ././weather (a built-in icon is named messages, weather or mail)"),
              std::string::npos) << "a path is a path, and the message names the built-in icons";
    EXPECT_NE(error(R"({"device": "Nokia"})").find("unknown device"), std::string::npos);
    EXPECT_NE(error(R"({"events": [{"at": 1, "tap": true, "hold": {}}]})").find("one event each"), std::string::npos);
    EXPECT_NE(error(R"({"events": [{"at": 1, "snapshot": "../x"}]})").find("label"), std::string::npos);
    EXPECT_NE(error(R"([1])").find("expected an object"), std::string::npos);
}

TEST(ScenarioFile, FilesThatAreNotScenariosAreNamedForWhatTheyAre)
{
    const zovo::TestFolder folder;
    const std::filesystem::path& dir = folder.path();
    EXPECT_EQ(zovo::loadScenario(dir).error(), dir.string() + ": is a directory, not a scenario file");
    EXPECT_EQ(zovo::loadScenario(dir / "none.json").error(), (dir / "none.json").string() + ": no such scenario file");
    std::ofstream(dir / "deep.json") << "{\"until\": 1, \"settings\": {\"a\": " << std::string(100000, '[') << "}";
    EXPECT_NE(zovo::loadScenario(dir / "deep.json").error().find("nested deeper than the limit"), std::string::npos);
}

TEST(ScenarioFile, WrittenScenariosReadBackAsTheSameScenario)
{
    // Every kind of event, values that do not print short (a third, a time past a tick), an icon
    // of each form and settings that nest: what the writer writes, the reader reads back the same.
    const zovo::TestFolder folder;
    std::ofstream(folder / "icon.png") << "not read until the run";
    const Json source = {
        {"device", "iPhone14,2"}, {"orientation", "landscape"}, {"settings", {{"bgColour", "112233"}, {"list", {1, 2.5, true, "x"}}, {"nested", {{"a", false}}}}},
        {"defaults", {{"isEnabled", true}}}, {"bannerDuration", 2.5}, {"until", 9.000000001},
        {"events",
         {{{"at", 0.1}, {"notify", {{"id", "a"}, {"app", "Mail"}, {"title", "T"}, {"subtitle", "S"}, {"message", "M"}, {"date", "9:41"}, {"icon", "mail"}, {"sticky", true}}}},
          {{"at", 1.0 / 3}, {"notify", {{"id", "b"}, {"icon", "#a0B1c2"}}}},
          {{"at", 0.5}, {"notify", {{"id", "c"}, {"icon", "icon.png"}}}},
          {{"at", 0.6}, {"notify", {{"id", "d"}}}},
          {{"at", 1}, {"tap", true}},
          {{"at", 2}, {"drag", {{"dy", -80}, {"duration", 0.25}}}},
          {{"at", 3}, {"hold", {{"duration", 0.7}}}},
          {{"at", 4.123456789}, {"touches", {{{"phase", "down"}, {"x", 195.5}, {"y", 40}}, {{"phase", "move"}, {"x", 195.5}, {"y", 41}, {"t", 0.016666666666}}, {{"phase", "cancel"}, {"t", 0.1}}}}},
          {{"at", 5}, {"closeLongLook", true}},
          {{"at", 6}, {"settings", {{"showGrabber", false}}}},
          {{"at", 7}, {"rotate", "portrait"}},
          {{"at", 8}, {"snapshot", "end"}}}}};
    zovo::ErrorOr<zovo::Scenario> first = zovo::parseScenario(source.dump(), folder.path(), "first");
    ASSERT_TRUE(first) << first.error();
    const Json written = zovo::scenarioToJson(*first);
    zovo::ErrorOr<zovo::Scenario> second = zovo::parseScenario(written.dump(), folder.path(), "second");
    ASSERT_TRUE(second) << second.error();
    EXPECT_EQ(zovo::scenarioToJson(*second), written);

    const zovo::Scenario& back = *second;
    ASSERT_EQ(back.events.size(), 12u);
    EXPECT_EQ(back.orientation, zovo::ScenarioOrientation::Landscape);
    EXPECT_EQ(back.until, 9.000000001);
    EXPECT_EQ(back.events[1].at, 1.0 / 3); // doubles are written so that they read back exactly
    EXPECT_EQ(back.events[1].notify.iconRGB, 0xa0b1c2u);
    EXPECT_EQ(back.events[2].notify.iconFile, folder / "icon.png");
    EXPECT_FALSE(back.events[3].notify.iconFile.has_filename());
    EXPECT_TRUE(back.events[0].notify.sticky);
    EXPECT_EQ(back.events[7].touches.back().phase, zovo::ScenarioTouch::Phase::Cancel);
    EXPECT_EQ(back.events[7].touches[1].t, 0.016666666666);
    EXPECT_EQ(back.settings->at("list"), (Json{1, 2.5, true, "x"}));
}

} // namespace
