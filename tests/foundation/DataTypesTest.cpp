// Numbers, boxed values, arrays and dictionaries, in C++ and through the runtime.
#include "foundation/NSArray.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/NSValue.h"
#include "foundation/Process.h"
#include "objc/Message.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

using objc::Id;
using objc::send;

namespace {

// Counts live instances, to prove that containers release what they hold.
struct Tracked : objc::Object {
    static constexpr const char* kClassName = "Tracked";
    static inline int live = 0;
    Tracked() { ++live; }
    ~Tracked() override { --live; }
};

class DataTypesTest : public ::testing::Test {
protected:
    zovo::Process process;

    DataTypesTest()
    {
        process.runtime().registerClass(Tracked::kClassName, objc::objc_getClass("NSObject"), []() -> objc::Object* { return new Tracked(); });
    }

    static objc::Ref<NSString> s(std::string_view text) { return NSString::from(text); }

    static std::vector<std::string> keysOf(const NSDictionary& dictionary)
    {
        std::vector<std::string> keys;
        objc::Ref<NSArray> all = dictionary.allKeys();
        for (const Id& key : all->elements()) keys.push_back(textOf(key));
        return keys;
    }
};

// ---- NSNumber ---------------------------------------------------------------------------

TEST_F(DataTypesTest, NumberBoolValueIsTrueWhenNonZero)
{
    EXPECT_TRUE(NSNumber::numberWithBool(true)->boolValue());
    EXPECT_FALSE(NSNumber::numberWithBool(false)->boolValue());
    EXPECT_FALSE(NSNumber::numberWithInteger(0)->boolValue());
    EXPECT_TRUE(NSNumber::numberWithInteger(-1)->boolValue());
    EXPECT_TRUE(NSNumber::numberWithInteger(256)->boolValue()) << "not truncated to a byte";
    EXPECT_FALSE(NSNumber::numberWithDouble(0.0)->boolValue());
    EXPECT_FALSE(NSNumber::numberWithDouble(-0.0)->boolValue());
    EXPECT_TRUE(NSNumber::numberWithDouble(0.5)->boolValue()) << "a fraction is non-zero";
}

TEST_F(DataTypesTest, NumberConvertsBetweenKindsSafely)
{
    EXPECT_EQ(NSNumber::numberWithInteger(250)->floatValue(), 250.0f);
    EXPECT_EQ(NSNumber::numberWithDouble(0.1)->floatValue(), 0.1f) << "the nearest 32-bit float";
    EXPECT_EQ(NSNumber::numberWithDouble(1e39)->floatValue(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(NSNumber::numberWithBool(true)->doubleValue(), 1.0);
    EXPECT_EQ(NSNumber::numberWithDouble(-2.7)->intValue(), -2) << "truncated toward zero";
    EXPECT_EQ(NSNumber::numberWithDouble(1e20)->intValue(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(NSNumber::numberWithDouble(-1e20)->integerValue(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(NSNumber::numberWithDouble(std::nan(""))->intValue(), 0);
    EXPECT_EQ(NSNumber::numberWithInteger(std::int64_t{1} << 40)->intValue(), std::numeric_limits<std::int32_t>::max());
}

TEST_F(DataTypesTest, NumberEqualityIsNumericAcrossKinds)
{
    EXPECT_TRUE(NSNumber::numberWithInteger(1)->isEqualToNumber(NSNumber::numberWithBool(true)));
    EXPECT_TRUE(NSNumber::numberWithInteger(250)->isEqualToNumber(NSNumber::numberWithDouble(250.0)));
    EXPECT_FALSE(NSNumber::numberWithInteger(250)->isEqualToNumber(NSNumber::numberWithDouble(250.5)));
    // 2^53 + 1 has no exact double; a comparison through doubles would call these equal.
    EXPECT_FALSE(NSNumber::numberWithInteger((std::int64_t{1} << 53) + 1)->isEqualToNumber(NSNumber::numberWithDouble(9007199254740992.0)));
    EXPECT_FALSE(NSNumber::numberWithInteger(std::numeric_limits<std::int64_t>::max())->isEqualToNumber(NSNumber::numberWithDouble(9223372036854775808.0)));
    Id one = NSNumber::numberWithInteger(1);
    Id oneReal = NSNumber::numberWithDouble(1.0);
    EXPECT_TRUE(send<bool>(one, "isEqual:", oneReal));
    EXPECT_EQ(send<std::uint64_t>(one, "hash"), send<std::uint64_t>(oneReal, "hash"));
}

TEST_F(DataTypesTest, StringsAndNumbersAnswerTheSameValueSelectors)
{
    // Settings code sends these without knowing which kind the file held.
    for (Id value : {Id(s("250")), Id(NSNumber::numberWithInteger(250)), Id(NSNumber::numberWithDouble(250.0))}) {
        EXPECT_EQ(send<float>(value, "floatValue"), 250.0f) << value->className();
        EXPECT_EQ(send<double>(value, "doubleValue"), 250.0) << value->className();
        EXPECT_EQ(send<std::int32_t>(value, "intValue"), 250) << value->className();
        EXPECT_TRUE(send<bool>(value, "boolValue")) << value->className();
    }
    Id fromClass = send<Id>(objc::objc_getClass("NSNumber"), "numberWithBool:", false);
    EXPECT_FALSE(send<bool>(fromClass, "boolValue"));
    EXPECT_EQ(send<float>(send<Id>(objc::objc_getClass("NSNumber"), "numberWithFloat:", 0.25f), "floatValue"), 0.25f);
}

// ---- NSValue ----------------------------------------------------------------------------

TEST_F(DataTypesTest, ValueKeepsTheBytesOfADoubleThroughTheRuntime)
{
    double height = 120.0;
    Id box = send<Id>(objc::objc_getClass("NSValue"), "valueWithBytes:objCType:", static_cast<const void*>(&height), "d");
    height = 0; // the box holds a copy
    EXPECT_STREQ(send<const char*>(box, "objCType"), "d");
    double out = 0;
    send(box, "getValue:", static_cast<void*>(&out));
    EXPECT_EQ(out, 120.0);
}

TEST_F(DataTypesTest, ValueRefusesASizeMismatchAndTypesItCannotSize)
{
    double height = 120.0;
    objc::Ref<NSValue> box = NSValue::valueWithBytes(&height, "d");
    float tooSmall = 0;
    EXPECT_THROW(box->getValue(&tooSmall, sizeof tooSmall), std::invalid_argument);
    EXPECT_EQ(tooSmall, 0.0f) << "nothing was written";
    EXPECT_THROW(NSValue::valueWithBytes(&height, "{CGSize=dd}"), std::invalid_argument);
    EXPECT_THROW(NSValue::valueWithBytes(&height, ""), std::invalid_argument);
    EXPECT_THROW(NSValue::valueWithBytes(nullptr, "d"), std::invalid_argument);
    EXPECT_EQ(NSValue::sizeOfType("c"), 1u);
    EXPECT_EQ(NSValue::sizeOfType("l"), 4u) << "'l' is 32 bits in the platform's encoding";
    EXPECT_EQ(NSValue::sizeOfType("r^v"), sizeof(void*));
    EXPECT_EQ(NSValue::sizeOfType("dd"), 0u);
}

TEST_F(DataTypesTest, NumbersAreValuesWithThePlatformsTypeCodes)
{
    EXPECT_STREQ(NSNumber::numberWithBool(true)->objCType(), "c");
    EXPECT_STREQ(NSNumber::numberWithInteger(5)->objCType(), "q");
    objc::Ref<NSNumber> real = NSNumber::numberWithDouble(2.5);
    EXPECT_STREQ(real->objCType(), "d");
    double out = 0;
    real->getValue(&out, sizeof out);
    EXPECT_EQ(out, 2.5);
    EXPECT_TRUE(objc::isKindOf(real, objc::objc_getClass("NSValue")));
}

// ---- NSArray ----------------------------------------------------------------------------

TEST_F(DataTypesTest, ArrayIndexingFailsLoudlyPastTheEnd)
{
    objc::Ref<NSArray> array = NSArray::from({Id(s("a")), Id(s("b"))});
    EXPECT_EQ(textOf(array->objectAtIndex(1)), "b");
    try {
        array->objectAtIndex(3);
        FAIL() << "expected an out-of-range error";
    } catch (const std::out_of_range& error) {
        EXPECT_NE(std::string(error.what()).find("index 3"), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("count 2"), std::string::npos) << error.what();
    }
    EXPECT_THROW(send<Id>(array, "objectAtIndex:", std::uint64_t{2}), std::out_of_range);
}

TEST_F(DataTypesTest, ArrayEndsAreNilWhenEmpty)
{
    objc::Ref<NSArray> empty = NSArray::from({});
    EXPECT_FALSE(empty->firstObject());
    EXPECT_FALSE(send<Id>(empty, "lastObject"));
    objc::Ref<NSArray> two = NSArray::from({Id(s("first")), Id(s("last"))});
    EXPECT_EQ(textOf(send<Id>(two, "firstObject")), "first");
    EXPECT_EQ(textOf(send<Id>(two, "lastObject")), "last");
    EXPECT_THROW(NSArray::from({Id(s("a")), Id()}), std::invalid_argument) << "lists never hold nil";
}

// ---- NSDictionary -----------------------------------------------------------------------

TEST_F(DataTypesTest, DictionaryKeepsInsertionOrderAndReplacesInPlace)
{
    objc::Ref<NSMutableDictionary> dictionary = NSMutableDictionary::dictionary();
    dictionary->setObject(s("1"), "b");
    dictionary->setObject(s("2"), "a");
    dictionary->setObject(s("3"), "c");
    dictionary->setObject(s("replaced"), s("a"));
    EXPECT_EQ(keysOf(*dictionary), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(textOf(dictionary->objectForKey("a")), "replaced");
    dictionary->removeObjectForKey(s("b"));
    EXPECT_EQ(keysOf(*dictionary), (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(textOf(dictionary->objectForKey("c")), "3") << "positions are right after a removal";
    EXPECT_EQ(dictionary->count(), 2u);
}

TEST_F(DataTypesTest, DictionaryLookupIsNilForAbsentNilAndNonStringKeys)
{
    objc::Ref<NSDictionary> dictionary = NSDictionary::from({{"isEnabled", NSNumber::numberWithBool(false)}});
    EXPECT_TRUE(dictionary->objectForKey("isEnabled")) << "a stored false is present";
    EXPECT_FALSE(dictionary->objectForKey("bgColour"));
    EXPECT_FALSE(dictionary->objectForKey(nullptr));
    EXPECT_FALSE(dictionary->objectForKey(NSNumber::numberWithInteger(1)));
    EXPECT_FALSE(send<Id>(dictionary, "objectForKey:", s("missing")));
    EXPECT_TRUE(send<Id>(dictionary, "objectForKey:", s("isEnabled")));
}

TEST_F(DataTypesTest, MutableDictionaryRefusesNilValuesAndNonStringKeys)
{
    objc::Ref<NSMutableDictionary> dictionary = NSMutableDictionary::dictionary();
    EXPECT_THROW(dictionary->setObject(nullptr, "key"), std::invalid_argument);
    EXPECT_THROW(send(dictionary, "setObject:forKey:", s("v"), NSNumber::numberWithInteger(1)), std::invalid_argument);
    EXPECT_THROW(NSDictionary::from({{"a", Id()}}), std::invalid_argument);
    EXPECT_EQ(dictionary->count(), 0u);
    send(dictionary, "setObject:forKey:", s("v"), s("k"));
    EXPECT_EQ(send<std::uint64_t>(dictionary, "count"), 1u);
    EXPECT_FALSE(objc::respondsTo(NSDictionary::from({}), objc::sel("setObject:forKey:"))) << "the immutable class cannot be changed";
}

TEST_F(DataTypesTest, ContainersReleaseWhatTheyHold)
{
    ASSERT_EQ(Tracked::live, 0);
    {
        objc::Ref<NSMutableDictionary> dictionary = NSMutableDictionary::dictionary();
        dictionary->setObject(objc::make<Tracked>().get(), "a");
        dictionary->setObject(NSArray::from({Id(objc::make<Tracked>())}).get(), "b");
        EXPECT_EQ(Tracked::live, 2);
        dictionary->setObject(s("other"), "a");
        EXPECT_EQ(Tracked::live, 1) << "a replaced value is released";
        dictionary->setDictionary(nullptr);
        EXPECT_EQ(Tracked::live, 0);
        dictionary->setObject(objc::make<Tracked>().get(), "c");
    }
    EXPECT_EQ(Tracked::live, 0);
}

} // namespace
