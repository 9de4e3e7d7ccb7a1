#include "PropertyListFixture.h"

#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using namespace zovo::test;
namespace fs = std::filesystem;

class PropertyListScan : public PropertyListFixture {};

TEST_F(PropertyListScan, BadFilesAreRefusedSayingWhatIsWrongAndNamingTheFile)
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
    const std::string tooDeep = "containers are nested deeper than 32 levels";
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
             {"shared.plist", shared.underKey(fork), tooDeep},
             {"deep.plist", nestedXml(33), tooDeep},
             {"deep-binary.plist", nestedBinary(33), tooDeep},
             // Deep enough to overflow the stack of a parser or a tree teardown that recursed per level.
             {"deeper.plist", xmlList("<dict><key>k</key>" + repeat("<array>", 140000)), tooDeep},
             {"deeper-binary.plist", nestedBinary(60000), tooDeep},
             {"large.plist", std::string(zovo::kMaxPropertyListBytes + 1, ' '), "larger than 1048576 bytes"},
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

// The limits are on the edge: the largest file and the deepest nesting allowed are read.
TEST_F(PropertyListScan, ListsAtTheSizeAndNestingLimitsAreRead)
{
    // A valid list padded with a comment to exactly the limit is read; one byte more is not.
    std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!--";
    std::string tail = "-->\n<plist version=\"1.0\"><dict><key>a</key><true/></dict></plist>\n";
    std::string exact = head + std::string(zovo::kMaxPropertyListBytes - head.size() - tail.size(), 'x') + tail;
    writeFile(host(kSettings), exact);
    EXPECT_TRUE(zovo::readPropertyList(host(kSettings)));
    EXPECT_EQ(parse(exact + " ").error(), "test.plist: larger than 1048576 bytes");
    EXPECT_TRUE(parse(nestedXml(32)));
    EXPECT_TRUE(parse(nestedBinary(32)));

    // Markup inside comments and text is not nesting.
    const std::string tags = repeat("<dict>", 40);
    zovo::ErrorOr<zovo::PropertyList> read = parse(xmlList("<!-- " + tags + " --><dict><key>a</key><string><![CDATA[" + tags + "]]></string></dict>"));
    ASSERT_TRUE(read) << read.error();
    EXPECT_EQ(textOf(read->dictionary->objectForKey("a").get()), tags);
}

// Integers are decimal whatever their leading zeros, and one outside the signed 64-bit range
// reads as the nearest real, below it as above; a binary 16-byte integer is read whole.
TEST_F(PropertyListScan, IntegersReadAsThePhoneReadsThem)
{
    const std::pair<std::string, double> xml[] = {
        {"000300", 300}, {"0250", 250}, {"09", 9}, {"-0250", -250}, {"000", 0}, {" 042 ", 42}, {"+07", 7}, {"0x10", 16},
        {"-9223372036854775808", -9223372036854775808.0}, {"-9223372036854775809", -9223372036854775809.0}, {"-99999999999999999999999999", -1e26},
        {"18446744073709551615", 18446744073709551615.0},
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

TEST_F(PropertyListScan, XmlWithAByteOrderMarkIsRead)
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

TEST_F(PropertyListScan, KeysAndStringsThatAreNotTextAreReadWithAWarning)
{
    // UTF-16 keys: "x" then a lone high surrogate, a lone low one, and a proper pair (U+1F600).
    const auto utf16 = [](BinaryList& list, const std::vector<unsigned>& units) {
        std::string object(1, static_cast<char>(0x60 | units.size()));
        for (unsigned u : units) object += BinaryList::bigEndian(u, 2);
        return list.add(object);
    };
    for (const auto& [units, warned] : std::vector<std::pair<std::vector<unsigned>, bool>>{
             {{'x', 0xD800}, true}, {{0xDC00, 'x'}, true}, {{0xD83D, 0xDE00}, false}}) {
        BinaryList asKey, asValue;
        const std::size_t keyObject = utf16(asKey, units); // object 0, as the warning says
        const zovo::ErrorOr<zovo::PropertyList> key = parse(asKey.bytes(asKey.dict(keyObject, asKey.ascii("v"))));
        const zovo::ErrorOr<zovo::PropertyList> value = parse(asValue.underKey(utf16(asValue, units)));
        ASSERT_TRUE(key && value);
        const std::vector<std::string> none;
        EXPECT_EQ(key->warnings, warned ? std::vector<std::string>{"test.plist: the dictionary key at object 0 holds a lone UTF-16 surrogate, which is not text; it is read as the empty key"} : none);
        EXPECT_EQ(value->warnings, warned ? std::vector<std::string>{"test.plist: the string at object 0 holds a lone UTF-16 surrogate, which is not text; it is read without it"} : none);
        EXPECT_EQ(textOf(value->dictionary->objectForKey("k").get()), warned ? "x" : "\xF0\x9F\x98\x80");
    }
}

} // namespace
