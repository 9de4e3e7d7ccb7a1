// Settings as JSON and as property lists, both ways.
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "sim/SettingsFile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace {

using zovo::Json;

TEST(SettingsFile, JsonAndPropertyListsConvertBothWaysKeepingEachValuesKind)
{
    zovo::Process process;
    const Json settings = {{"isEnabled", true}, {"customWidthValue", 250}, {"ratio", 0.5}, {"bgColour", "FF0000"},
                           {"list", {1, "two", false}}, {"nested", {{"deep", {{"x", 1.25}}}}}};
    EXPECT_EQ(zovo::settingsToJson(zovo::propertyListFromJson(settings).get()), settings);
    EXPECT_EQ(zovo::settingsToJson(nullptr), Json::object());
}

TEST(SettingsFile, ValuesWithoutAJsonFormAreLeftOutAndNamed)
{
    zovo::Process process;
    const std::string xml = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
  <key>when</key><date>2024-01-02T03:04:05Z</date>
  <key>list</key><array><integer>1</integer><date>2024-01-02T03:04:05Z</date></array>
  <key>showGrabber</key><false/>
</dict></plist>)";
    zovo::ErrorOr<zovo::PropertyList> read = zovo::parsePropertyList(xml, "settings.plist");
    ASSERT_TRUE(read) << read.error();
    std::vector<std::string> dropped;
    EXPECT_EQ(zovo::settingsToJson(read->dictionary.get(), &dropped), (Json{{"list", {1}}, {"showGrabber", false}}));
    EXPECT_EQ(dropped, (std::vector<std::string>{"when", "list[1]"}));
}

} // namespace
