#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSValue.h"
#include "foundation/Process.h"
#include "foundation/PropertyList.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using objc::Id;
using objc::send;
using zovo::PropertyListError;

namespace {

constexpr const char* kSettings = "/var/mobile/Library/Preferences/com.tarvik.zovorudovu.plist";

std::string xmlList(std::string_view body)
{
    return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                       "<plist version=\"1.0\">\n") +
           std::string(body) + "\n</plist>\n";
}

// A root dictionary holding `levels - 1` arrays nested inside each other: `levels` containers.
std::string nestedXml(int levels)
{
    std::string body = "<dict><key>k</key>";
    for (int i = 1; i < levels; ++i) body += "<array>";
    for (int i = 1; i < levels; ++i) body += "</array>";
    return xmlList(body + "</dict>");
}

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
    std::size_t add(std::string object)
    {
        objects.push_back(std::move(object));
        return objects.size() - 1;
    }
    std::size_t ascii(std::string_view text) { return add(static_cast<char>(0x50 | text.size()) + std::string(text)); }
    std::size_t array(const std::vector<std::size_t>& refs)
    {
        std::string object(1, static_cast<char>(0xA0 | refs.size()));
        for (std::size_t r : refs) object += bigEndian(r, 2);
        return add(object);
    }
    std::size_t dict(std::size_t key, std::size_t value) { return add("\xD1" + bigEndian(key, 2) + bigEndian(value, 2)); }
    void set(std::size_t index, std::string object) { objects[index] = std::move(object); }

    std::string bytes(std::size_t top) const
    {
        std::string out = "bplist00";
        std::vector<std::size_t> offsets;
        for (const std::string& object : objects) {
            offsets.push_back(out.size());
            out += object;
        }
        std::size_t table = out.size();
        for (std::size_t offset : offsets) out += bigEndian(offset, 4);
        out += std::string(6, '\0') + '\x04' + '\x02' + bigEndian(objects.size(), 8) + bigEndian(top, 8) + bigEndian(table, 8);
        return out;
    }
};

// A root dictionary {k: [[[...]]]} with `levels` containers in all, in binary form.
std::string nestedBinary(int levels)
{
    BinaryList list;
    std::size_t key = list.ascii("k");
    std::size_t root = list.dict(key, 0);
    std::size_t previous = root;
    for (int i = 1; i < levels; ++i) {
        std::size_t next = list.array({});
        if (previous == root) list.set(root, "\xD1" + BinaryList::bigEndian(key, 2) + BinaryList::bigEndian(next, 2));
        else list.set(previous, "\xA1" + BinaryList::bigEndian(next, 2));
        previous = next;
    }
    return list.bytes(root);
}

class PropertyListTest : public ::testing::Test {
protected:
    zovo::Process process;

    fs::path host(std::string_view processPath) const { return process.hostPath(processPath); }

    static void writeFile(const fs::path& path, std::string_view bytes) { std::ofstream(path, std::ios::binary) << bytes; }

    zovo::PropertyListResult parse(std::string_view bytes) { return zovo::parsePropertyList(bytes, "test.plist"); }

    static objc::Ref<NSString> s(std::string_view text) { return NSString::from(text); }
};

TEST_F(PropertyListTest, ReadsEveryValueKindOfAnXmlList)
{
    zovo::PropertyListResult read = parse(xmlList(R"(
<dict>
    <key>isEnabled</key><true/>
    <key>bgColour</key><string>FF8800:0.5</string>
    <key>customWidthValue</key><real>250.5</real>
    <key>offset</key><integer>-5</integer>
    <key>huge</key><integer>18446744073709551615</integer>
    <key>when</key><date>2001-01-01T00:01:00Z</date>
    <key>blob</key><data>AAEC</data>
    <key>nested</key><dict><key>list</key><array><integer>1</integer><data>AA==</data><string>x &amp; y</string></array></dict>
</dict>)"));
    ASSERT_TRUE(read) << read.message;
    const NSMutableDictionary& d = *read.dictionary;
    std::vector<std::string> keys;
    objc::Ref<NSArray> allKeys = d.allKeys();
    for (const Id& key : allKeys->elements()) keys.push_back(textOf(key));
    EXPECT_EQ(keys, (std::vector<std::string>{"isEnabled", "bgColour", "customWidthValue", "offset", "huge", "when", "nested"}))
        << "file order kept; data left out";

    auto number = [&](const char* key) { return objc::cast<NSNumber>(d.objectForKey(key)); };
    ASSERT_TRUE(number("isEnabled"));
    EXPECT_EQ(number("isEnabled")->kind(), NSNumber::Kind::Bool);
    EXPECT_TRUE(number("isEnabled")->boolValue());
    EXPECT_EQ(textOf(d.objectForKey("bgColour")), "FF8800:0.5");
    EXPECT_EQ(number("customWidthValue")->kind(), NSNumber::Kind::Real);
    EXPECT_EQ(number("customWidthValue")->floatValue(), 250.5f);
    EXPECT_EQ(number("offset")->integerValue(), -5);
    EXPECT_EQ(number("huge")->integerValue(), -1) << "past the signed range the bits are kept";
    EXPECT_EQ(number("when")->doubleValue(), 60.0) << "dates are seconds since 2001";

    auto* nested = objc::cast<NSDictionary>(d.objectForKey("nested"));
    ASSERT_TRUE(nested);
    auto* list = objc::cast<NSArray>(nested->objectForKey("list"));
    ASSERT_TRUE(list);
    ASSERT_EQ(list->count(), 2u) << "the data element is skipped";
    EXPECT_EQ(objc::cast<NSNumber>(list->objectAtIndex(0))->intValue(), 1);
    EXPECT_EQ(textOf(list->objectAtIndex(1)), "x & y");
}

TEST_F(PropertyListTest, WrittenListsReadBackInBothFormats)
{
    objc::Ref<NSMutableDictionary> settings = NSMutableDictionary::dictionary();
    settings->setObject(NSNumber::numberWithBool(false), "isEnabled");
    settings->setObject(NSNumber::numberWithInteger(250), "customWidthValue");
    settings->setObject(NSNumber::numberWithInteger(-7), "negative");
    settings->setObject(NSNumber::numberWithDouble(0.25), "alpha");
    settings->setObject(s("grüße:0.5"), "textColour");
    objc::Ref<NSMutableDictionary> inner = NSMutableDictionary::dictionary();
    inner->setObject(NSArray::from({Id(s("a")), Id(NSNumber::numberWithBool(true))}), "list");
    settings->setObject(inner, "inner");

    for (auto format : {zovo::PropertyListFormat::Binary, zovo::PropertyListFormat::Xml}) {
        fs::path path = host(kSettings);
        ASSERT_TRUE(zovo::writePropertyList(path, settings, format));
        std::string head(8, '\0');
        std::ifstream(path, std::ios::binary).read(head.data(), 8);
        EXPECT_EQ(head, format == zovo::PropertyListFormat::Binary ? "bplist00" : "<?xml ve");

        zovo::PropertyListResult read = zovo::readPropertyList(path);
        ASSERT_TRUE(read) << read.message;
        const NSDictionary& d = *read.dictionary;
        EXPECT_EQ(d.count(), 6u);
        auto* enabled = objc::cast<NSNumber>(d.objectForKey("isEnabled"));
        ASSERT_TRUE(enabled);
        EXPECT_EQ(enabled->kind(), NSNumber::Kind::Bool) << "a stored false stays a boolean";
        EXPECT_FALSE(enabled->boolValue());
        EXPECT_EQ(objc::cast<NSNumber>(d.objectForKey("customWidthValue"))->floatValue(), 250.0f);
        EXPECT_EQ(objc::cast<NSNumber>(d.objectForKey("negative"))->integerValue(), -7);
        EXPECT_EQ(objc::cast<NSNumber>(d.objectForKey("alpha"))->doubleValue(), 0.25);
        EXPECT_EQ(textOf(d.objectForKey("textColour")), "grüße:0.5");
        auto* list = objc::cast<NSArray>(objc::cast<NSDictionary>(d.objectForKey("inner"))->objectForKey("list"));
        ASSERT_TRUE(list);
        EXPECT_EQ(list->count(), 2u);
        EXPECT_TRUE(objc::cast<NSNumber>(list->lastObject())->boolValue());
        fs::remove(path);
    }
}

TEST_F(PropertyListTest, WriterRefusesWhatAListCannotHoldNamingTheKeyPath)
{
    double height = 120;
    objc::Ref<NSMutableDictionary> outer = NSMutableDictionary::dictionary();
    objc::Ref<NSMutableDictionary> inner = NSMutableDictionary::dictionary();
    inner->setObject(NSArray::from({Id(s("ok")), Id(NSValue::valueWithBytes(&height, "d"))}), "list");
    outer->setObject(inner, "colours");
    zovo::PropertyListWriteResult written = zovo::writeBinaryPropertyList(host(kSettings), outer);
    EXPECT_FALSE(written);
    EXPECT_NE(written.message.find("colours.list[1]"), std::string::npos) << written.message;
    EXPECT_NE(written.message.find("NSValue"), std::string::npos) << written.message;
    EXPECT_FALSE(fs::exists(host(kSettings))) << "nothing is written on failure";
    EXPECT_FALSE(zovo::writeXmlPropertyList(host(kSettings), nullptr));
}

TEST_F(PropertyListTest, WriterAndReaderAgreeOnTheNestingLimit)
{
    auto nested = [&](int levels) {
        objc::Ref<NSMutableDictionary> root = NSMutableDictionary::dictionary();
        NSMutableDictionary* at = root.get();
        for (int i = 1; i < levels; ++i) {
            objc::Ref<NSMutableDictionary> child = NSMutableDictionary::dictionary();
            at->setObject(child, "k");
            at = child.get();
        }
        return root;
    };
    std::string bytes;
    ASSERT_TRUE(zovo::encodePropertyList(nested(32), zovo::PropertyListFormat::Binary, bytes));
    EXPECT_TRUE(parse(bytes));
    EXPECT_FALSE(zovo::encodePropertyList(nested(33), zovo::PropertyListFormat::Xml, bytes));
}

TEST_F(PropertyListTest, FailuresSayWhatIsWrongAndNameTheFile)
{
    struct Case {
        std::string name;
        std::string bytes;
        PropertyListError expected;
    };
    std::string validBinary;
    objc::Ref<NSMutableDictionary> one = NSMutableDictionary::dictionary();
    one->setObject(s("value"), "key");
    ASSERT_TRUE(zovo::encodePropertyList(one, zovo::PropertyListFormat::Binary, validBinary));
    std::vector<Case> cases = {
        {"empty.plist", "", PropertyListError::NotAPropertyList},
        {"text.plist", "isEnabled = YES", PropertyListError::NotAPropertyList},
        {"unclosed.plist", xmlList("<dict><key>a</key><string>b</string>"), PropertyListError::NotAPropertyList},
        {"truncated.plist", validBinary.substr(0, validBinary.size() - 10), PropertyListError::NotAPropertyList},
        {"header-only.plist", "bplist00", PropertyListError::NotAPropertyList},
        {"array.plist", xmlList("<array><string>a</string></array>"), PropertyListError::RootNotDictionary},
        {"string.plist", xmlList("<string>a</string>"), PropertyListError::RootNotDictionary},
    };
    BinaryList binaryArray;
    binaryArray.array({binaryArray.ascii("a")});
    cases.push_back({"binary-array.plist", binaryArray.bytes(1), PropertyListError::RootNotDictionary});
    // The parser aborts the program when asked for such a key, so it must never see one.
    BinaryList nulKey;
    std::size_t key = nulKey.ascii(std::string_view("a\0b", 3));
    std::size_t value = nulKey.ascii("v");
    cases.push_back({"nul-key.plist", nulKey.bytes(nulKey.dict(key, value)), PropertyListError::NotAPropertyList});

    for (const Case& c : cases) {
        fs::path path = host("/var/mobile/" + c.name);
        writeFile(path, c.bytes);
        zovo::PropertyListResult read = zovo::readPropertyList(path);
        EXPECT_EQ(read.error, c.expected) << c.name << ": " << read.message;
        EXPECT_FALSE(read.dictionary) << c.name;
        EXPECT_NE(read.message.find(c.name), std::string::npos) << read.message;
    }
    EXPECT_EQ(zovo::readPropertyList(host("/var/mobile/none.plist")).error, PropertyListError::Missing);
    EXPECT_EQ(zovo::readPropertyList(host("/var/mobile")).error, PropertyListError::Unreadable) << "a directory";
}

TEST_F(PropertyListTest, SizeIsLimitedToOneMebibyte)
{
    // A valid list padded with a comment to exactly the limit is read; one byte more is not.
    std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!--";
    std::string tail = "-->\n<plist version=\"1.0\"><dict><key>a</key><true/></dict></plist>\n";
    std::string exact = head + std::string(zovo::kMaxPropertyListBytes - head.size() - tail.size(), 'x') + tail;
    ASSERT_EQ(exact.size(), zovo::kMaxPropertyListBytes);
    writeFile(host(kSettings), exact);
    EXPECT_TRUE(zovo::readPropertyList(host(kSettings)));

    std::string over = head + std::string(zovo::kMaxPropertyListBytes + 1 - head.size() - tail.size(), 'x') + tail;
    writeFile(host(kSettings), over);
    zovo::PropertyListResult read = zovo::readPropertyList(host(kSettings));
    EXPECT_EQ(read.error, PropertyListError::TooLarge) << read.message;
    EXPECT_EQ(parse(over).error, PropertyListError::TooLarge);
}

TEST_F(PropertyListTest, NestingIsLimitedToThirtyTwoLevelsInBothFormats)
{
    EXPECT_TRUE(parse(nestedXml(32))) << parse(nestedXml(32)).message;
    EXPECT_EQ(parse(nestedXml(33)).error, PropertyListError::TooDeep);
    EXPECT_TRUE(parse(nestedBinary(32))) << parse(nestedBinary(32)).message;
    EXPECT_EQ(parse(nestedBinary(33)).error, PropertyListError::TooDeep);
}

TEST_F(PropertyListTest, VeryDeepInputIsRefusedBeforeTheParserRecursesIntoIt)
{
    // Deep enough to overflow the stack of a parser or a tree teardown that recursed per level.
    std::string deepXml = xmlList("<dict><key>k</key>" + [] {
        std::string opens;
        for (int i = 0; i < 140000; ++i) opens += "<array>";
        return opens;
    }());
    ASSERT_LE(deepXml.size(), zovo::kMaxPropertyListBytes);
    EXPECT_EQ(parse(deepXml).error, PropertyListError::TooDeep);
    EXPECT_EQ(parse(nestedBinary(60000)).error, PropertyListError::TooDeep);
}

TEST_F(PropertyListTest, MarkupInsideCommentsAndTextIsNotNesting)
{
    std::string tags;
    for (int i = 0; i < 40; ++i) tags += "<dict>";
    zovo::PropertyListResult read = parse(xmlList("<!-- " + tags + " --><dict><key>a</key><string><![CDATA[" + tags + "]]></string></dict>"));
    ASSERT_TRUE(read) << read.message;
    EXPECT_EQ(textOf(read.dictionary->objectForKey("a")), tags);
}

TEST_F(PropertyListTest, SharedAndSelfContainingBinaryObjectsAreRefused)
{
    // Each level refers twice to the next: 24 levels stand for more than 2^24 values.
    BinaryList bomb;
    std::size_t key = bomb.ascii("k");
    std::size_t root = bomb.dict(key, 0);
    std::size_t next = bomb.array({});
    bomb.set(root, "\xD1" + BinaryList::bigEndian(key, 2) + BinaryList::bigEndian(next, 2));
    for (int level = 0; level < 24; ++level) {
        std::size_t child = bomb.array({});
        bomb.set(next, "\xA2" + BinaryList::bigEndian(child, 2) + BinaryList::bigEndian(child, 2));
        next = child;
    }
    EXPECT_EQ(parse(bomb.bytes(root)).error, PropertyListError::TooLarge);

    // A subtree shared by a shallow and a deep container counts at its deepest place: here 15
    // levels of chain above a 19-level tail make 36 in all, though each path alone was checked.
    BinaryList shared;
    std::size_t sharedKey = shared.ascii("k");
    std::size_t sharedRoot = shared.dict(sharedKey, 0);
    std::size_t tail = shared.array({});
    std::size_t end = tail;
    for (int level = 1; level < 19; ++level) {
        std::size_t child = shared.array({});
        shared.set(end, "\xA1" + BinaryList::bigEndian(child, 2));
        end = child;
    }
    std::size_t chain = shared.array({});
    std::size_t link = chain;
    for (int level = 1; level < 15; ++level) {
        std::size_t child = shared.array({});
        shared.set(link, "\xA1" + BinaryList::bigEndian(child, 2));
        link = child;
    }
    shared.set(link, "\xA1" + BinaryList::bigEndian(tail, 2));
    std::size_t fork = shared.array({});
    shared.set(fork, "\xA2" + BinaryList::bigEndian(tail, 2) + BinaryList::bigEndian(chain, 2));
    shared.set(sharedRoot, "\xD1" + BinaryList::bigEndian(sharedKey, 2) + BinaryList::bigEndian(fork, 2));
    EXPECT_EQ(parse(shared.bytes(sharedRoot)).error, PropertyListError::TooDeep);

    BinaryList loop;
    std::size_t loopKey = loop.ascii("k");
    loop.dict(loopKey, 1); // object 1 holds itself
    EXPECT_EQ(parse(loop.bytes(1)).error, PropertyListError::NotAPropertyList);

    BinaryList dangling;
    dangling.dict(dangling.ascii("k"), 7);
    EXPECT_EQ(parse(dangling.bytes(1)).error, PropertyListError::NotAPropertyList);
}

TEST_F(PropertyListTest, InitWithContentsOfFileReadsInsideTheProcessOrAnswersNil)
{
    objc::Ref<NSMutableDictionary> settings = NSMutableDictionary::dictionary();
    settings->setObject(s("FF8800"), "bgColour");
    ASSERT_TRUE(zovo::writeBinaryPropertyList(host(kSettings), settings));
    objc::Class mutableClass = objc::objc_getClass("NSMutableDictionary");

    auto load = [&](objc::id path) { return send<Id>(send<Id>(mutableClass, "alloc"), "initWithContentsOfFile:", path); };
    Id read = load(s("/User/Library/Preferences/com.tarvik.zovorudovu.plist"));
    ASSERT_TRUE(read) << "the /User spelling leads to the same file";
    EXPECT_EQ(read->isa, mutableClass);
    EXPECT_EQ(textOf(send<Id>(read, "objectForKey:", s("bgColour"))), "FF8800");

    EXPECT_FALSE(load(s("/var/mobile/Library/Preferences/missing.plist")));
    EXPECT_FALSE(load(s("/var/mobile/Library/Preferences/../Preferences/com.tarvik.zovorudovu.plist")));
    EXPECT_FALSE(load(s("var/mobile/Library/Preferences/com.tarvik.zovorudovu.plist"))) << "not absolute";
    EXPECT_FALSE(load(nullptr));
    writeFile(host(kSettings), xmlList("<array/>"));
    EXPECT_FALSE(load(s(kSettings))) << "a list whose root is not a dictionary";

    ASSERT_TRUE(zovo::writeXmlPropertyList(host(kSettings), settings));
    Id viaClass = send<Id>(mutableClass, "dictionaryWithContentsOfFile:", s(kSettings));
    ASSERT_TRUE(viaClass);
    EXPECT_EQ(viaClass->isa, mutableClass);
    EXPECT_EQ(send<std::uint64_t>(viaClass, "count"), 1u);
}

} // namespace
