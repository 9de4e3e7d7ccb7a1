#include "PropertyListFixture.h"
#include "foundation/NSArray.h"
#include "foundation/NSDate.h"
#include "foundation/NSValue.h"

#include <limits>

namespace {

using namespace zovo::test;
namespace fs = std::filesystem;
using objc::StrongId;

class PropertyListWrite : public PropertyListFixture {};

TEST_F(PropertyListWrite, WrittenListsReadBackInBothFormatsAndWhatAListCannotHoldIsRefusedByKeyPath)
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

    // No deeper than the reader accepts.
    objc::StrongRef<NSDictionary> deepest = NSDictionary::from({});
    for (int level = 1; level < 32; ++level) deepest = NSDictionary::from({{"k", deepest}});
    EXPECT_TRUE(zovo::encodePropertyList(deepest.get(), zovo::PropertyListFormat::Binary));
    EXPECT_FALSE(zovo::encodePropertyList(NSDictionary::from({{"k", deepest}}).get(), zovo::PropertyListFormat::Xml));
}

} // namespace
