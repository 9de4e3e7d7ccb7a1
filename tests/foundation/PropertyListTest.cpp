#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSValue.h"
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "foundation/NSDate.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <limits>

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using objc::StrongId;
using objc::send;

namespace {

constexpr const char* kSettings = "/var/mobile/Library/Preferences/com.tarvik.zovorudovu.plist";

std::string xmlList(std::string_view body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n" + std::string(body) + "\n</plist>\n";
}

std::string repeat(std::string_view text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// A root dictionary holding `levels - 1` arrays nested inside each other: `levels` containers.
std::string nestedXml(int levels) { return xmlList("<dict><key>k</key>" + repeat("<array>", levels - 1) + repeat("</array>", levels - 1) + "</dict>"); }

// Builds binary lists object by object, for shapes no writer would produce. References are two
// bytes wide and offsets four.
struct BinaryList {
    std::vector<std::string> objects;

    static std::string bigEndian(std::uint64_t value, int width)
    {
        std::string out;
        for (int i = width - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    }
    std::size_t add(std::string object) { objects.push_back(std::move(object)); return objects.size() - 1; }
    std::size_t ascii(std::string_view text) { return add(static_cast<char>(0x50 | text.size()) + std::string(text)); }
    std::size_t array(const std::vector<std::size_t>& refs)
    {
        std::string object(1, static_cast<char>(0xA0 | refs.size()));
        for (std::size_t r : refs) object += bigEndian(r, 2);
        return add(object);
    }
    // Wraps `ref` in `levels` arrays of one element each and answers the outermost.
    std::size_t wrap(std::size_t ref, int levels) { while (levels-- > 0) ref = array({ref}); return ref; }
    std::size_t dict(std::size_t key, std::size_t value) { return add("\xD1" + bigEndian(key, 2) + bigEndian(value, 2)); }
    // The list's bytes, with object `top` as its root.
    std::string bytes(std::size_t top) const
    {
        std::string out = "bplist00", offsets;
        for (const std::string& object : objects) {
            offsets += bigEndian(out.size(), 4);
            out += object;
        }
        return out + offsets + std::string(6, '\0') + '\x04' + '\x02' + bigEndian(objects.size(), 8) + bigEndian(top, 8) + bigEndian(out.size(), 8);
    }
    // The list's bytes under a root dictionary {k: value}.
    std::string underKey(std::size_t value) { return bytes(dict(ascii("k"), value)); }
};

// A root dictionary {k: [[[...]]]} with `levels` containers in all, in binary form.
std::string nestedBinary(int levels)
{
    BinaryList list;
    return list.underKey(list.wrap(list.array({}), levels - 2));
}

class PropertyListTest : public ::testing::Test {
protected:
    zovo::Process process;

    fs::path host(std::string_view processPath) const { return process.hostPath(processPath); }
    static void writeFile(const fs::path& path, std::string_view bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    static zovo::ErrorOr<zovo::PropertyList> parse(std::string_view bytes) { return zovo::parsePropertyList(bytes, "test.plist"); }
    static objc::StrongRef<NSString> s(std::string_view text) { return NSString::from(text); }
    static objc::StrongRef<NSNumber> number(const NSDictionary& d, const char* key) { return objc::cast<NSNumber>(d.objectForKey(key)); }
};

TEST_F(PropertyListTest, ReadsEveryValueKindOfAnXmlListLeavingDataOut)
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
    EXPECT_EQ(number(d, "customWidthValue")->doubleValue(), 250.5);
    EXPECT_EQ(number(d, "offset")->integerValue(), -5);
    ASSERT_TRUE(number(d, "huge"));
    EXPECT_EQ(number(d, "huge")->doubleValue(), 18446744073709551615.0) << "past the signed range: the nearest real, not -1";
    auto when = objc::cast<NSDate>(d.objectForKey("when"));
    ASSERT_TRUE(when) << "a date is not a number";
    EXPECT_EQ(when->timeIntervalSinceReferenceDate(), 60.0) << "dates are seconds since 2001";
    auto list = objc::cast<NSArray>(objc::cast<NSDictionary>(d.objectForKey("nested"))->objectForKey("list"));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 2u) << "the data element is skipped";
    EXPECT_EQ(textOf(list->objectAtIndex(1).get()), "x & y");
}

// Integers are decimal whatever their leading zeros, and one outside the signed 64-bit range
// reads as the nearest real, below it as above; a binary 16-byte integer is read whole.
TEST_F(PropertyListTest, IntegersReadAsThePhoneReadsThem)
{
    const std::pair<std::string, double> xml[] = {
        {"000300", 300}, {"0250", 250}, {"09", 9}, {"-0250", -250}, {"000", 0}, {" 042 ", 42}, {"+07", 7}, {"0x10", 16},
        {"-9223372036854775808", -9223372036854775808.0}, {"-9223372036854775809", -9223372036854775809.0}, {"-99999999999999999999999999", -1e26},
    };
    for (const auto& [text, expected] : xml) {
        const zovo::ErrorOr<zovo::PropertyList> read = parse(xmlList("<dict><key>n</key><integer>" + text + "</integer></dict>"));
        ASSERT_TRUE(read) << read.error();
        ASSERT_TRUE(number(*read->dictionary, "n")) << text;
        EXPECT_EQ(number(*read->dictionary, "n")->doubleValue(), expected) << text;
    }
    const std::pair<std::string, double> binary[] = {
        {std::string(7, '\0') + '\x01' + std::string(8, '\0'), 18446744073709551616.0}, // 2^64
        {std::string(15, '\0') + '\x05', 5},
        {std::string(16, '\xFF'), -1},
        {std::string(8, '\xFF') + std::string(8, '\0'), -18446744073709551616.0},
    };
    for (const auto& [bits, expected] : binary) {
        BinaryList list;
        const zovo::ErrorOr<zovo::PropertyList> read = parse(list.underKey(list.add("\x14" + bits)));
        ASSERT_TRUE(read) << read.error();
        EXPECT_EQ(number(*read->dictionary, "k")->doubleValue(), expected);
        EXPECT_TRUE(number(*read->dictionary, "k")->boolValue());
    }
}

TEST_F(PropertyListTest, XmlWithAByteOrderMarkIsRead)
{
    const std::string utf8 = xmlList("<dict><key>caf\xC3\xA9</key><integer>1</integer></dict>");
    std::string be = "\xFE\xFF", le = "\xFF\xFE";
    for (std::size_t i = 0; i < utf8.size(); ++i) { // ASCII but for the one letter U+00E9
        char unit = utf8[i];
        if (utf8.compare(i, 2, "\xC3\xA9") == 0) unit = '\xE9', ++i;
        be += std::string{'\0', unit};
        le += std::string{unit, '\0'};
    }
    for (const std::string& bytes : {"\xEF\xBB\xBF" + utf8, be, le}) {
        const zovo::ErrorOr<zovo::PropertyList> read = parse(bytes);
        ASSERT_TRUE(read) << read.error();
        EXPECT_TRUE(number(*read->dictionary, "caf\xC3\xA9"));
    }
    EXPECT_EQ(parse(be + "x").error(), "test.plist: the text after its UTF-16 byte-order mark is not valid UTF-16");
    EXPECT_EQ(parse(std::string("\xFE\xFF\xD8\x00", 4) + be.substr(2)).error(), "test.plist: the text after its UTF-16 byte-order mark is not valid UTF-16");
}

TEST_F(PropertyListTest, WrittenListsReadBackInBothFormatsAndWhatAListCannotHoldIsRefusedByKeyPath)
{
    double height = 120;
    zovo::ErrorOr<void> refused = zovo::writeBinaryPropertyList(
        host(kSettings), NSDictionary::from({{"colours", NSDictionary::from({{"list", NSArray::from({StrongId(s("ok")), StrongId(NSValue::valueWithBytes(&height, "d"))})}})}}).get());
    ASSERT_FALSE(refused);
    EXPECT_NE(refused.error().find("colours.list[1]"), std::string::npos) << refused.error();
    EXPECT_NE(refused.error().find("NSValue"), std::string::npos) << refused.error();
    EXPECT_FALSE(fs::exists(host(kSettings))) << "nothing is written on failure";
    EXPECT_FALSE(zovo::writeXmlPropertyList(host(kSettings), nullptr));

    objc::StrongRef<NSDictionary> settings = NSDictionary::from({{"isEnabled", NSNumber::numberWithBool(false)}, {"negative", NSNumber::numberWithInteger(-7)},
                                                          {"alpha", NSNumber::numberWithDouble(0.25)},
                                                          {"when", NSDate::dateWithTimeIntervalSinceReferenceDate(800000000)},
                                                          {"min", NSNumber::numberWithInteger(std::numeric_limits<std::int64_t>::min())},
                                                          {"inner", NSDictionary::from({{"list", NSArray::from({StrongId(s("grüße:0.5"))})}})}});
    for (auto format : {zovo::PropertyListFormat::Binary, zovo::PropertyListFormat::Xml}) {
        ASSERT_TRUE(zovo::writePropertyList(host(kSettings), settings.get(), format));
        zovo::ErrorOr<zovo::PropertyList> read = zovo::readPropertyList(host(kSettings));
        ASSERT_TRUE(read) << read.error();
        const NSDictionary& d = *read->dictionary;
        EXPECT_EQ(d.count(), 6u);
        ASSERT_TRUE(objc::cast<NSDate>(d.objectForKey("when")));
        EXPECT_EQ(objc::cast<NSDate>(d.objectForKey("when"))->timeIntervalSinceReferenceDate(), 800000000.0);
        EXPECT_EQ(number(d, "min")->integerValue(), std::numeric_limits<std::int64_t>::min()) << "the most negative integer is not read as a huge one";
        ASSERT_TRUE(number(d, "isEnabled"));
        EXPECT_EQ(number(d, "isEnabled")->kind(), NSNumber::Kind::Bool) << "a stored false stays a boolean";
        EXPECT_EQ(number(d, "negative")->integerValue(), -7);
        EXPECT_EQ(number(d, "alpha")->doubleValue(), 0.25);
        auto list = objc::cast<NSArray>(objc::cast<NSDictionary>(d.objectForKey("inner"))->objectForKey("list"));
        ASSERT_TRUE(list);
        EXPECT_EQ(textOf(list->lastObject().get()), "grüße:0.5");
    }
}

TEST_F(PropertyListTest, BadFilesAreRefusedSayingWhatIsWrongAndNamingTheFile)
{
    const zovo::ErrorOr<std::string> encoded = zovo::encodePropertyList(NSDictionary::from({{"key", s("value")}}).get(), zovo::PropertyListFormat::Binary);
    ASSERT_TRUE(encoded);
    const std::string& validBinary = encoded.value();
    BinaryList binaryArray, nulKey, loop, dangling, bomb, shared;
    binaryArray.array({binaryArray.ascii("a")});
    std::size_t nulKeyRoot = nulKey.dict(nulKey.ascii(std::string_view("a\0b", 3)), nulKey.ascii("v"));
    loop.dict(loop.ascii("k"), 1); // object 1 holds itself
    dangling.dict(dangling.ascii("k"), 7);
    // Each level refers twice to the next: 24 levels stand for more than 2^24 values.
    std::size_t node = bomb.array({});
    for (int level = 0; level < 24; ++level) node = bomb.array({node, node});
    // A subtree shared by a shallow and a deep container counts at its deepest place: here 15
    // levels of chain above a 19-level tail make 36 in all, though each path alone is in bounds.
    std::size_t tail = shared.wrap(shared.array({}), 18);
    std::size_t fork = shared.array({tail, shared.wrap(tail, 15)});
    for (const auto& [name, bytes, expected] : std::vector<std::tuple<std::string, std::string, std::string>>{
             {"empty.plist", "", "empty, not a property list"},
             {"unclosed.plist", xmlList("<dict><key>a</key><string>b</string>"), "not a valid XML property list"},
             {"mismatched.plist", "<plist>\n<dict>\n<key>a</string>\n</dict></plist>", "(line 3: </string> closes <key>)"},
             {"truncated.plist", validBinary.substr(0, validBinary.size() - 10), "the binary"},
             {"array.plist", xmlList("<array><string>a</string></array>"), "the root of the property list is not a dictionary"},
             {"binary-array.plist", binaryArray.bytes(1), "the root of the property list is not a dictionary"},
             // The parser aborts the program when asked for such a key, so it must never see one.
             {"nul-key.plist", nulKey.bytes(nulKeyRoot), "a dictionary key holds a NUL character"},
             {"loop.plist", loop.bytes(1), "an object contains itself"},
             {"dangling.plist", dangling.bytes(1), "a reference names an object that does not exist"},
             {"bomb.plist", bomb.underKey(node), "the list stands for more than 1048576 values"},
             {"shared.plist", shared.underKey(fork), "containers are nested deeper than 32 levels"},
         }) {
        writeFile(host("/var/mobile/" + name), bytes);
        zovo::ErrorOr<zovo::PropertyList> read = zovo::readPropertyList(host("/var/mobile/" + name));
        ASSERT_FALSE(read) << name;
        EXPECT_EQ(read.error().rfind(host("/var/mobile/" + name).string() + ": ", 0), 0u) << read.error();
        EXPECT_NE(read.error().find(expected), std::string::npos) << name << ": " << read.error();
    }
    EXPECT_EQ(zovo::readPropertyList(host("/var/mobile/none.plist")).error(), host("/var/mobile/none.plist").string() + ": no such file");
    EXPECT_EQ(zovo::readPropertyList(host("/var/mobile")).error(), host("/var/mobile").string() + ": not a regular file");
}

TEST_F(PropertyListTest, KeysAndStringsThatAreNotTextAreReadWithAWarning)
{
    // UTF-16 keys: "x" then a lone high surrogate, a lone low one, and a proper pair (U+1F600).
    const auto utf16 = [](BinaryList& list, const std::vector<unsigned>& units) {
        std::string object(1, static_cast<char>(0x60 | units.size()));
        for (unsigned u : units) object += BinaryList::bigEndian(u, 2);
        return list.add(object);
    };
    for (const auto& [units, warned] : std::vector<std::pair<std::vector<unsigned>, bool>>{
             {{'x', 0xD800}, true}, {{0xDC00, 'x'}, true}, {{0xD83D, 0xDE00}, false}}) {
        BinaryList list;
        const std::size_t key = utf16(list, units);
        const zovo::ErrorOr<zovo::PropertyList> read = parse(list.bytes(list.dict(key, list.ascii("v"))));
        ASSERT_TRUE(read) << read.error();
        EXPECT_EQ(read->warnings.size(), warned ? 1u : 0u);
        if (warned) {
            EXPECT_EQ(read->warnings[0], "test.plist: the dictionary key at object 0 holds a lone UTF-16 surrogate, which is not text; it is read as the empty key");
        }
        // The same text as a value.
        BinaryList values;
        const std::size_t value = utf16(values, units);
        const zovo::ErrorOr<zovo::PropertyList> asValue = parse(values.underKey(value));
        ASSERT_TRUE(asValue) << asValue.error();
        EXPECT_EQ(asValue->warnings.size(), warned ? 1u : 0u);
        if (warned) {
            EXPECT_EQ(asValue->warnings[0], "test.plist: the string at object 0 holds a lone UTF-16 surrogate, which is not text; it is read without it");
            EXPECT_EQ(textOf(asValue->dictionary->objectForKey("k").get()), "x");
        }
    }
}

TEST_F(PropertyListTest, TextThatIsNotUtf8IsRefusedNamingItsKeyPath)
{
    const zovo::ErrorOr<zovo::PropertyList> badKey = parse(xmlList("<dict><key>caf\xE9</key><true/></dict>"));
    EXPECT_EQ(badKey.error(), "test.plist: the key caf\xEF\xBF\xBD is not valid UTF-8");
    BinaryList list;
    const std::size_t colours = list.array({list.ascii("ok"), list.add("\x52\xFF\xFE")});
    const zovo::ErrorOr<zovo::PropertyList> badValue = parse(list.bytes(list.dict(list.ascii("colours"), colours)));
    EXPECT_EQ(badValue.error(), "test.plist: the text at colours[1] is not valid UTF-8");
}

TEST_F(PropertyListTest, SizeIsLimitedToOneMebibyte)
{
    // A valid list padded with a comment to exactly the limit is read; one byte more is not.
    std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!--";
    std::string tail = "-->\n<plist version=\"1.0\"><dict><key>a</key><true/></dict></plist>\n";
    std::string exact = head + std::string(zovo::kMaxPropertyListBytes - head.size() - tail.size(), 'x') + tail;
    writeFile(host(kSettings), exact);
    EXPECT_TRUE(zovo::readPropertyList(host(kSettings)));
    writeFile(host(kSettings), exact + " ");
    EXPECT_EQ(zovo::readPropertyList(host(kSettings)).error(), host(kSettings).string() + ": larger than 1048576 bytes");
    EXPECT_EQ(parse(exact + " ").error(), "test.plist: larger than 1048576 bytes");
}

TEST_F(PropertyListTest, NestingIsLimitedToThirtyTwoLevelsInBothFormatsAndInTheWriter)
{
    const std::string tooDeep = "test.plist: containers are nested deeper than 32 levels";
    EXPECT_TRUE(parse(nestedXml(32)));
    EXPECT_EQ(parse(nestedXml(33)).error(), tooDeep);
    EXPECT_TRUE(parse(nestedBinary(32)));
    EXPECT_EQ(parse(nestedBinary(33)).error(), tooDeep);

    objc::StrongRef<NSDictionary> deepest = NSDictionary::from({});
    for (int level = 1; level < 32; ++level) deepest = NSDictionary::from({{"k", deepest}});
    EXPECT_TRUE(zovo::encodePropertyList(deepest.get(), zovo::PropertyListFormat::Binary));
    EXPECT_FALSE(zovo::encodePropertyList(NSDictionary::from({{"k", deepest}}).get(), zovo::PropertyListFormat::Xml));

    // Deep enough to overflow the stack of a parser or a tree teardown that recursed per level.
    EXPECT_EQ(parse(xmlList("<dict><key>k</key>" + repeat("<array>", 140000))).error(), tooDeep);
    EXPECT_EQ(parse(nestedBinary(60000)).error(), tooDeep);

    // Markup inside comments and text is not nesting.
    const std::string tags = repeat("<dict>", 40);
    zovo::ErrorOr<zovo::PropertyList> read = parse(xmlList("<!-- " + tags + " --><dict><key>a</key><string><![CDATA[" + tags + "]]></string></dict>"));
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(textOf(read->dictionary->objectForKey("a").get()), tags);
}

} // namespace
