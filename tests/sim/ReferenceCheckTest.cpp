// Reference images: what a tolerance, each record mode and unusable files do to a check (a changed
// look failing only the snapshot that shows it is the check command's test). Scenarios run on an iPhone 11 (scale 2) to keep the pictures small.
#include "sim/ReferenceCheck.h"
#include "sim/ReferenceImage.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace {

namespace fs = std::filesystem;
using zovo::Json;
using Status = zovo::SnapshotCheck::Status;

Json notify(double at, const std::string& id, const std::string& title)
{
    return {{"at", at}, {"notify", {{"id", id}, {"app", "Mail"}, {"title", title}, {"message", "Ready to download."}, {"icon", "#1C73F2"}}}};
}

// Two banners, one snapshot each; `secondTitle` changes only the second.
fs::path writeScenario(const fs::path& file, const std::string& secondTitle = "Invoice 2041")
{
    const Json events = {notify(0.1, "a", "Anna"), {{"at", 0.8}, {"snapshot", "first"}}, notify(3.0, "b", secondTitle), {{"at", 3.7}, {"snapshot", "second"}}};
    const Json scenario{{"device", "iPhone12,1"}, {"settings", {{"isEnabled", true}}}, {"bannerDuration", 2}, {"until", 4}, {"events", events}};
    std::ofstream(file) << scenario.dump();
    return file;
}

std::map<std::string, zovo::SnapshotCheck> byLabel(const zovo::ScenarioCheck& c)
{
    std::map<std::string, zovo::SnapshotCheck> out;
    for (const auto& s : c.snapshots) out[s.label] = s;
    return out;
}

TEST(ReferenceCheck, ToleranceForgivesSmallChangesAndCountsTheRest)
{
    const zovo::TestFolder folder;
    const fs::path file = writeScenario(folder / "s.json"), ref = folder / "refs/s/first.png";
    ASSERT_EQ(zovo::checkScenario(file, {.refs = folder / "refs"}).snapshots.size(), 2u);
    // Ten pixels nudged by a shade no one would see.
    zovo::ErrorOr<zovo::Frame> frame = zovo::loadReferencePNG(ref);
    ASSERT_TRUE(frame);
    for (int x = 100; x < 110; ++x) frame->data()[static_cast<std::size_t>(x) * 4 + frame->stride() * 400] ^= 4;
    ASSERT_TRUE(zovo::writeReferencePNG(*frame, ref));

    struct Case {
        double threshold;
        std::uint64_t maxDiffPixels;
        Status expected;
    } cases[] = {{0, 0, Status::Failed}, {0.05, 0, Status::Passed}, {0, 10, Status::Passed}, {0, 9, Status::Failed}};
    for (const Case& c : cases) {
        const zovo::CheckSettings settings{.refs = folder / "refs", .record = zovo::RecordMode::Never, .threshold = c.threshold, .maxDiffPixels = c.maxDiffPixels};
        const auto checked = byLabel(zovo::checkScenario(file, settings));
        EXPECT_EQ(checked.at("first").status, c.expected) << c.threshold << " " << c.maxDiffPixels << ": " << checked.at("first").message;
        EXPECT_EQ(checked.at("second").status, Status::Passed);
    }
    EXPECT_NEAR(zovo::colourDistance({0, 0, 0, 255}, {255, 255, 255, 255}), 0.966, 0.001);
    EXPECT_LT(zovo::colourDistance({0, 0, 0, 255}, {0, 0, 1, 255}), 0.01);
    EXPECT_DOUBLE_EQ(zovo::colourDistance({0, 0, 0, 0}, {255, 255, 255, 255}), 0.0) << "transparency is laid over white";
}

TEST(ReferenceCheck, EachRecordModeWritesWhatItSays)
{
    enum class Ref { Absent, Stale, Current };
    struct Case {
        zovo::RecordMode mode;
        Ref before;
        Status expected;
        bool written;
    } cases[] = {
        {zovo::RecordMode::Missing, Ref::Absent, Status::Recorded, true}, {zovo::RecordMode::Missing, Ref::Stale, Status::Failed, false},
        {zovo::RecordMode::All, Ref::Stale, Status::Recorded, true},      {zovo::RecordMode::All, Ref::Current, Status::Passed, false},
        {zovo::RecordMode::Failed, Ref::Absent, Status::Recorded, true},  {zovo::RecordMode::Failed, Ref::Stale, Status::Recorded, true},
        {zovo::RecordMode::Failed, Ref::Current, Status::Passed, false},  {zovo::RecordMode::Never, Ref::Absent, Status::Missing, false},
        {zovo::RecordMode::Never, Ref::Stale, Status::Failed, false},
    };
    const zovo::TestFolder folder;
    const fs::path current = folder / "current", stale = folder / "stale";
    zovo::checkScenario(writeScenario(folder / "s.json"), {.refs = current});
    zovo::checkScenario(writeScenario(folder / "s.json", "Another title"), {.refs = stale});
    const fs::path file = writeScenario(folder / "s.json");
    for (const Case& c : cases) {
        const fs::path refs = folder / "refs";
        fs::remove_all(refs);
        if (c.before != Ref::Absent) fs::copy(c.before == Ref::Stale ? stale : current, refs, fs::copy_options::recursive);
        const fs::file_time_type old = c.before == Ref::Absent ? fs::file_time_type::min() : fs::last_write_time(refs / "s/second.png");
        const auto checked = byLabel(zovo::checkScenario(file, {.refs = refs, .record = c.mode}));
        const std::string where = "mode " + std::to_string(static_cast<int>(c.mode)) + ", before " + std::to_string(static_cast<int>(c.before));
        EXPECT_EQ(checked.at("second").status, c.expected) << where << ": " << checked.at("second").message;
        EXPECT_EQ(fs::exists(refs / "s/second.png") && fs::last_write_time(refs / "s/second.png") != old, c.written) << where;
        if (c.written) {
            EXPECT_TRUE(zovo::checkScenario(file, {.refs = refs, .record = zovo::RecordMode::Never}).ok()) << where;
        }
    }
}

TEST(ReferenceCheck, UnusableReferencesFailNamingTheFileWhileTheOthersAreChecked)
{
    const zovo::TestFolder folder;
    const fs::path file = writeScenario(folder / "s.json"), refs = folder / "refs";
    zovo::checkScenario(file, {.refs = refs});
    const zovo::CheckSettings never{.refs = refs, .record = zovo::RecordMode::Never};

    auto notPNG = [&] { std::ofstream(refs / "s/second.png") << "GIF89a"; };
    auto otherSize = [&] { ASSERT_TRUE(zovo::writeReferencePNG(zovo::Frame(10, 10, 2), refs / "s/second.png")); };
    auto unreadable = [&] { fs::create_directory(refs / "s/second.png"); };
    const std::pair<std::function<void()>, const char*> cases[] = {{notPNG, "not a PNG"}, {otherSize, "10 x 10"}, {unreadable, "not a regular file"}};
    for (const auto& [spoil, says] : cases) {
        fs::remove_all(refs / "s/second.png");
        spoil();
        const auto checked = byLabel(zovo::checkScenario(file, never));
        EXPECT_EQ(checked.at("first").status, Status::Passed) << says;
        EXPECT_EQ(checked.at("second").status, Status::Failed) << says;
        EXPECT_NE(checked.at("second").message.find((refs / "s/second.png").string()), std::string::npos) << checked.at("second").message;
        EXPECT_NE(checked.at("second").message.find(says), std::string::npos) << checked.at("second").message;
    }

    // No snapshots: a warning and a pass. No defaults and no settings: the component is off, and says so.
    std::ofstream(folder / "quiet.json") << R"({"defaults": null, "until": 1, "events": [{"at": 0.1, "rotate": "landscape"}]})";
    const zovo::ScenarioCheck quiet = zovo::checkScenario(folder / "quiet.json", never);
    EXPECT_TRUE(quiet.ok());
    ASSERT_EQ(quiet.warnings.size(), 2u);
    EXPECT_NE(quiet.warnings[0].find("no snapshot"), std::string::npos);
    EXPECT_NE(quiet.warnings[1].find("inactive"), std::string::npos);
    EXPECT_FALSE(zovo::checkScenario(folder / "absent.json", never).ok());
}

TEST(ReferenceCheck, ResultsCrossAProcessBoundaryIntact)
{
    zovo::ScenarioCheck c{.name = "n", .file = "a/n.json", .error = "", .warnings = {"w"}};
    c.snapshots.push_back({.status = Status::Recorded, .label = "l", .message = "m", .reference = "r/n/l.png", .differing = 7, .largest = 0.25, .actual = "n/l.actual.png"});
    const zovo::ScenarioCheck back = zovo::scenarioCheckFromJson(nlohmann::json::parse(zovo::toJson(c).dump()));
    EXPECT_EQ(zovo::toJson(back), zovo::toJson(c));
}

} // namespace
