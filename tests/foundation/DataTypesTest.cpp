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

using objc::StrongId;
using objc::send;

namespace {

// Counts live instances, to prove that containers release what they hold.
struct Tracked : objc::Object {
    static constexpr const char* kClassName = "Tracked";
    static inline int live = 0;
    Tracked() { ++live; }
    ~Tracked() override { --live; }
};

class DataTypes : public ::testing::Test {
protected:
    DataTypes() { process.runtime().registerClass(Tracked::kClassName, objc::objc_getClass("NSObject"), []() -> objc::Object* { return new Tracked(); }); }
    static objc::StrongRef<NSString> s(std::string_view text) { return NSString::from(text); }
    // The keys in order, each followed by a space.
    static std::string keysOf(const NSDictionary& dictionary)
    {
        std::string keys;
        objc::StrongRef<NSArray> all = dictionary.allKeys();
        for (const StrongId& key : all->elements()) keys += textOf(key.get()) + " ";
        return keys;
    }
    zovo::Process process;
};

TEST_F(DataTypes, NumbersConvertBetweenKindsSaturatingCompareExactlyAndAnswerByMessage)
{
    EXPECT_TRUE(NSNumber::numberWithInteger(256)->boolValue()) << "not truncated to a byte";
    EXPECT_TRUE(NSNumber::numberWithDouble(0.5)->boolValue()) << "a fraction is non-zero";
    EXPECT_FALSE(NSNumber::numberWithDouble(-0.0)->boolValue());
    EXPECT_EQ(NSNumber::numberWithDouble(1e39)->floatValue(), std::numeric_limits<float>::infinity());
    EXPECT_EQ(NSNumber::numberWithDouble(-1e300)->floatValue(), -std::numeric_limits<float>::infinity());
    // Just past the largest float still rounds to it; half a step past rounds away.
    constexpr double largest = std::numeric_limits<float>::max();
    EXPECT_EQ(NSNumber::numberWithDouble(largest + 0x1p102)->floatValue(), std::numeric_limits<float>::max());
    EXPECT_EQ(NSNumber::numberWithDouble(largest + 0x1p103)->floatValue(), std::numeric_limits<float>::infinity());
    EXPECT_TRUE(std::isnan(NSNumber::numberWithDouble(std::nan(""))->floatValue()));
    EXPECT_EQ(NSNumber::numberWithDouble(-2.7)->intValue(), -2) << "truncated toward zero";
    EXPECT_EQ(NSNumber::numberWithDouble(1e20)->intValue(), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(NSNumber::numberWithDouble(-1e20)->integerValue(), std::numeric_limits<std::int64_t>::min());
    EXPECT_EQ(NSNumber::numberWithDouble(std::nan(""))->intValue(), 0);
    EXPECT_EQ(NSNumber::numberWithInteger(std::int64_t{1} << 40)->intValue(), std::numeric_limits<std::int32_t>::max());

    EXPECT_FALSE(NSNumber::numberWithInteger(250)->isEqualToNumber(NSNumber::numberWithDouble(250.5).get()));
    // 2^53 + 1 has no exact double; a comparison through doubles would call these equal.
    EXPECT_FALSE(NSNumber::numberWithInteger((std::int64_t{1} << 53) + 1)->isEqualToNumber(NSNumber::numberWithDouble(9007199254740992.0).get()));
    EXPECT_FALSE(NSNumber::numberWithInteger(std::numeric_limits<std::int64_t>::max())->isEqualToNumber(NSNumber::numberWithDouble(9223372036854775808.0).get()));
    StrongId one = NSNumber::numberWithInteger(1), oneReal = NSNumber::numberWithDouble(1.0);
    EXPECT_TRUE(send<bool>(one, "isEqual:", oneReal));
    EXPECT_EQ(send<std::uint64_t>(one, "hash"), send<std::uint64_t>(oneReal, "hash"));

    // Settings code sends the value selectors without knowing which kind the file held.
    for (StrongId value : {StrongId(s("250")), StrongId(NSNumber::numberWithInteger(250)), StrongId(NSNumber::numberWithDouble(250.0))}) {
        EXPECT_EQ(send<float>(value, "floatValue"), 250.0f) << value->className();
        EXPECT_EQ(send<std::int32_t>(value, "intValue"), 250) << value->className();
        EXPECT_TRUE(send<bool>(value, "boolValue")) << value->className();
    }
    EXPECT_EQ(send<float>(send<StrongId>(objc::objc_getClass("NSNumber"), "numberWithFloat:", 0.25f), "floatValue"), 0.25f);
}

TEST_F(DataTypes, ValuesKeepACopyOfTheirBytesAndRefuseSizesTheyCannotMatch)
{
    double height = 120.0;
    StrongId box = send<StrongId>(objc::objc_getClass("NSValue"), "valueWithBytes:objCType:", static_cast<const void*>(&height), "d");
    height = 0;
    double out = 0;
    send(box, "getValue:", static_cast<void*>(&out));
    EXPECT_EQ(out, 120.0) << "the box holds a copy";
    float tooSmall = 0;
    EXPECT_THROW(objc::cast<NSValue>(box)->getValue(&tooSmall, sizeof tooSmall), std::invalid_argument);
    EXPECT_EQ(tooSmall, 0.0f) << "nothing was written";
    EXPECT_THROW(NSValue::valueWithBytes(&height, "{CGSize=dd}"), std::invalid_argument);
    EXPECT_THROW(NSValue::valueWithBytes(&height, ""), std::invalid_argument);
    EXPECT_THROW(NSValue::valueWithBytes(nullptr, "d"), std::invalid_argument);
    EXPECT_EQ(NSValue::sizeOfType("l"), 4u) << "'l' is 32 bits in the platform's encoding";
    EXPECT_EQ(NSValue::sizeOfType("r^v"), sizeof(void*));

    // Numbers are values with the platform's type codes.
    EXPECT_STREQ(NSNumber::numberWithBool(true)->objCType(), "c");
    NSNumber::numberWithDouble(2.5)->getValue(&out, sizeof out);
    EXPECT_EQ(out, 2.5);
    EXPECT_TRUE(objc::isKindOf(NSNumber::numberWithDouble(2.5).get(), objc::objc_getClass("NSValue")));
}

TEST_F(DataTypes, ArraysFailLoudlyPastTheEndAnswerNilEndsWhenEmptyAndNeverHoldNil)
{
    objc::StrongRef<NSArray> array = NSArray::from({StrongId(s("first")), StrongId(s("last"))});
    std::string message;
    try { array->objectAtIndex(3); } catch (const std::out_of_range& error) { message = error.what(); }
    EXPECT_NE(message.find("index 3"), std::string::npos) << message;
    EXPECT_NE(message.find("count 2"), std::string::npos) << message;
    EXPECT_THROW(send<StrongId>(array, "objectAtIndex:", std::uint64_t{2}), std::out_of_range);
    EXPECT_EQ(textOf(send<StrongId>(array, "firstObject").get()) + " " + textOf(send<StrongId>(array, "lastObject").get()), "first last");
    EXPECT_FALSE(NSArray::from({})->firstObject() || send<StrongId>(NSArray::from({}), "lastObject"));
    EXPECT_THROW(NSArray::from({StrongId(s("a")), StrongId()}), std::invalid_argument);
}

TEST_F(DataTypes, DictionaryKeepsInsertionOrderReplacesInPlaceTakesOnlyStringKeysAndValuesAndReleasesWhatItHolds)
{
    objc::StrongRef<NSMutableDictionary> dictionary = NSMutableDictionary::dictionary();
    dictionary->setObject(s("1").get(), "b");
    dictionary->setObject(s("2").get(), "a");
    dictionary->setObject(s("3").get(), "c");
    dictionary->setObject(s("replaced").get(), s("a").get());
    EXPECT_EQ(keysOf(*dictionary), "b a c ");
    EXPECT_EQ(textOf(dictionary->objectForKey("a").get()), "replaced");
    dictionary->removeObjectForKey(s("b").get());
    EXPECT_EQ(keysOf(*dictionary), "a c ");
    EXPECT_EQ(textOf(dictionary->objectForKey("c").get()), "3") << "positions are right after a removal";

    dictionary->setObject(NSNumber::numberWithBool(false).get(), "isEnabled");
    EXPECT_TRUE(send<StrongId>(dictionary, "objectForKey:", s("isEnabled"))) << "a stored false is present";
    EXPECT_FALSE(send<StrongId>(dictionary, "objectForKey:", s("missing")));
    EXPECT_FALSE(dictionary->objectForKey(nullptr) || dictionary->objectForKey(NSNumber::numberWithInteger(1).get()));

    dictionary->setDictionary(nullptr);
    EXPECT_THROW(dictionary->setObject(nullptr, "key"), std::invalid_argument);
    EXPECT_THROW(send(dictionary, "setObject:forKey:", s("v"), NSNumber::numberWithInteger(1)), std::invalid_argument);
    EXPECT_THROW(NSDictionary::from({{"a", StrongId()}}), std::invalid_argument);
    EXPECT_EQ(dictionary->count(), 0u);
    EXPECT_FALSE(objc::respondsTo(NSDictionary::from({}), objc::sel("setObject:forKey:"))) << "the immutable class cannot be changed";

    // What it holds is released when replaced, cleared or ended with it.
    dictionary->setObject(objc::make<Tracked>().get(), "a");
    send(dictionary, "setObject:forKey:", NSArray::from({StrongId(objc::make<Tracked>())}), s("b"));
    EXPECT_EQ(Tracked::live, 2);
    dictionary->setObject(s("other").get(), "a");
    EXPECT_EQ(Tracked::live, 1) << "a replaced value is released";
    dictionary->setDictionary(nullptr);
    EXPECT_EQ(Tracked::live, 0);
    dictionary->setObject(objc::make<Tracked>().get(), "c");
    dictionary = nullptr;
    EXPECT_EQ(Tracked::live, 0);
}

} // namespace
