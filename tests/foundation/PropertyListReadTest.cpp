#include "PropertyListFixture.h"
#include "foundation/NSArray.h"

namespace {

using namespace zovo::test;
namespace fs = std::filesystem;

class PropertyListRead : public PropertyListFixture {};

TEST_F(PropertyListRead, ReadsEveryValueKindOfAnXmlListLeavingDataOut)
{
    zovo::ErrorOr<zovo::PropertyList> read = parse(xmlList(R"(<dict>
    <key>isEnabled</key><true/> <key>customWidthValue</key><real>250.5</real> <key>offset</key><integer>-5</integer>
    <key>huge</key><integer>18446744073709551615</integer> <key>when</key><date>2001-01-01T00:01:00Z</date> <key>blob</key><data>AAEC</data>
    <key>nested</key><dict><key>list</key><array><integer>1</integer><data>AA==</data><string>x &amp; y</string></array></dict>
</dict>)"));
    ASSERT_TRUE(read) << read.error();
    const NSMutableDictionary& d = *read->dictionary;
    EXPECT_EQ(d.count(), 6u);
    EXPECT_FALSE(d.objectForKey("blob")) << "data is left out";
    ASSERT_TRUE(number(d, "isEnabled"));
    EXPECT_EQ(number(d, "isEnabled")->kind(), NSNumber::Kind::Bool);
    auto list = objc::cast<NSArray>(objc::cast<NSDictionary>(d.objectForKey("nested"))->objectForKey("list"));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 2u) << "the data element is skipped";
    EXPECT_EQ(textOf(list->objectAtIndex(1).get()), "x & y");
}

TEST_F(PropertyListRead, TextThatIsNotUtf8IsRefusedNamingItsKeyPath)
{
    const zovo::ErrorOr<zovo::PropertyList> badKey = parse(xmlList("<dict><key>caf\xE9</key><true/></dict>"));
    EXPECT_EQ(badKey.error(), "test.plist: the key caf\xEF\xBF\xBD is not valid UTF-8");
    BinaryList list;
    const std::size_t colours = list.array({list.ascii("ok"), list.add("\x52\xFF\xFE")});
    const zovo::ErrorOr<zovo::PropertyList> badValue = parse(list.bytes(list.dict(list.ascii("colours"), colours)));
    EXPECT_EQ(badValue.error(), "test.plist: the text at colours[1] is not valid UTF-8");
}

} // namespace
