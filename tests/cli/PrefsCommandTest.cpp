#include "cli/ToolRun.h"
#include "TestFolder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

namespace {

using Prefs = zovo::ToolRun;
using zovo::writePlist;

Prefs prefs(std::vector<std::string> args) { return zovo::runCommand("prefs", std::move(args)); }

TEST(PrefsCommand, ShippedDefaultsGiveTheDocumentedSettings)
{
    Prefs r = prefs({ZOVO_SOURCE_DIR "/data/defaults.plist"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.json()["isEnabled"], true);
    EXPECT_EQ(r.json()["hooksInstalled"], true);
    EXPECT_EQ(r.json()["bgColour"]["alpha"], 1.0);
    EXPECT_EQ(r.json()["textColour"]["red"], 1.0);
    EXPECT_EQ(r.json()["customWidthValue"], 209.0);
    EXPECT_TRUE(r.json()["warnings"].empty());
}

TEST(PrefsCommand, WarningsNameWhatIsWrong)
{
    const zovo::TestFolder folder;
    Prefs r = prefs({writePlist(folder / "warn.plist", "<key>bgColour</key><string> #FF8000</string><key>showGrabber</key><array/>"
                                                  "<key>bogus</key><true/><key>customWidthValue</key><real>250</real>")});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.json()["customWidthValue"], 250.0);
    EXPECT_EQ(r.json()["showGrabber"], true);
    std::string all = r.json()["warnings"].dump();
    EXPECT_NE(all.find("scans to nothing"), std::string::npos) << all;
    EXPECT_NE(all.find("showGrabber"), std::string::npos) << all;
    EXPECT_NE(all.find("unknown key \\\"bogus\\\""), std::string::npos) << all;

    // The screen a width should fit is the chosen device's; an alpha JSON cannot hold is told in words.
    r = prefs({writePlist(folder / "wide.plist", "<key>customWidthValue</key><integer>500</integer><key>textColour</key><string>FFFFFF:1e999</string>"),
               "--device", "iPhone11,4"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.json()["textColour"]["alpha"], "infinity");
    all = r.json()["warnings"].dump();
    EXPECT_NE(all.find("wider than the screen of the iPhone XS Max (414 points)"), std::string::npos) << all;
    EXPECT_NE(all.find("alpha infinity is outside 0 to 1"), std::string::npos) << all;
    EXPECT_EQ(prefs({writePlist(folder / "wide.plist", ""), "--device", "iPhone99,9"}).status, 1);
}

// An unreadable file is status 1, with the settings the component would fall back to: off, or
// what a defaults file gives.
TEST(PrefsCommand, UnreadableFilesExitOneWithTheSettingsFallenBackTo)
{
    const zovo::TestFolder folder;
    const Prefs missing = prefs({"/nonexistent/settings.plist"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.json()["isEnabled"], false);
    EXPECT_NE(missing.json()["warnings"].dump().find("/nonexistent/settings.plist"), std::string::npos);
    std::ofstream(folder / "array.plist") << "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>";
    EXPECT_EQ(prefs({(folder / "array.plist").string()}).status, 1);

    const Prefs r = prefs({"/nonexistent/settings.plist", "--defaults", writePlist(folder / "defaults.plist", "<key>customWidth</key><true/>")});
    EXPECT_EQ(r.status, 1) << "the named file itself was not read";
    EXPECT_EQ(r.json()["isEnabled"], true);
    EXPECT_EQ(r.json()["customWidth"], true);
}

} // namespace
