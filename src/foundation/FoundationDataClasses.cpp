#include "foundation/FoundationDataClasses.h"

#include "foundation/NSArray.h"
#include "foundation/NSCharacterSet.h"
#include "foundation/NSDictionary.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSDate.h"
#include "foundation/NSNumber.h"
#include "foundation/NSScanner.h"
#include "foundation/NSString.h"
#include "foundation/NSValue.h"
#include "objc/Class.h"
#include "objc/Message.h"
#include "objc/Runtime.h"

#include <functional>
#include <stdexcept>

using objc::Class;
using objc::id;
using objc::StrongId;
using objc::SEL;

namespace {

// The receiver's C++ storage. A class registered elsewhere under one of these classes with an
// allocator of its own would not have it, and reading it as if it had would be undefined.
template <class T>
T& as(id self, SEL sel)
{
    if (auto* object = dynamic_cast<T*>(self)) return *object;
    throw objc::RuntimeError(objc::describeMethod(self->isa, sel) + " was sent to an object that is not stored as " + T::kClassName);
}

// An argument that must be of a given class, or nil.
template <class T>
T* argument(id value, SEL sel, const char* what)
{
    if (!value) return nullptr;
    if (auto* object = dynamic_cast<T*>(value)) return object;
    throw std::invalid_argument(std::string(objc::sel_getName(sel)) + ": " + what + " is an instance of " + value->className() + ", not " + T::kClassName);
}

// The text of a string argument; empty for nil or anything else, which no path or name matches.
std::string_view textArgument(id value)
{
    auto* string = dynamic_cast<NSString*>(value);
    return string ? std::string_view(string->utf8()) : std::string_view();
}

// ---- NSString ---------------------------------------------------------------------------

StrongId stringWithUTF8String(id, SEL, const char* text) { return text ? StrongId(NSString::from(text)) : StrongId(); }
std::uint64_t stringLength(id self, SEL sel) { return as<NSString>(self, sel).length(); }
bool stringIsEqualToString(id self, SEL sel, id other) { return as<NSString>(self, sel).isEqualToString(dynamic_cast<NSString*>(other)); }
bool stringIsEqual(id self, SEL sel, id other) { return self == other || as<NSString>(self, sel).isEqualToString(dynamic_cast<NSString*>(other)); }
std::uint64_t stringHash(id self, SEL sel) { return std::hash<std::string>{}(as<NSString>(self, sel).utf8()); }
bool stringContainsString(id self, SEL sel, id other) { return as<NSString>(self, sel).containsString(argument<NSString>(other, sel, "the string to find")); }
StrongId stringComponents(id self, SEL sel, id separator)
{
    return as<NSString>(self, sel).componentsSeparatedByString(argument<NSString>(separator, sel, "the separator"));
}
bool stringBoolValue(id self, SEL sel) { return as<NSString>(self, sel).boolValue(); }
float stringFloatValue(id self, SEL sel) { return as<NSString>(self, sel).floatValue(); }
double stringDoubleValue(id self, SEL sel) { return as<NSString>(self, sel).doubleValue(); }
std::int32_t stringIntValue(id self, SEL sel) { return as<NSString>(self, sel).intValue(); }
std::int64_t stringIntegerValue(id self, SEL sel) { return as<NSString>(self, sel).integerValue(); }
// The text stays valid while the string lives, as the platform promises for its own strings.
const char* stringUTF8String(id self, SEL sel) { return as<NSString>(self, sel).utf8().c_str(); }

// ---- NSValue and NSNumber ----------------------------------------------------------------

StrongId valueWithBytes(id, SEL, const void* bytes, const char* type) { return NSValue::valueWithBytes(bytes, type); }
// Copies the whole value, trusting the caller's buffer to be large enough, as the platform does.
void valueGetValue(id self, SEL sel, void* out)
{
    NSValue& value = as<NSValue>(self, sel);
    value.getValue(out, value.size());
}
void valueGetValueSize(id self, SEL sel, void* out, std::uint64_t size) { as<NSValue>(self, sel).getValue(out, size); }
const char* valueObjCType(id self, SEL sel) { return as<NSValue>(self, sel).objCType(); }

StrongId numberWithBool(id, SEL, bool value) { return NSNumber::numberWithBool(value); }
StrongId numberWithInt(id, SEL, std::int32_t value) { return NSNumber::numberWithInteger(value); }
StrongId numberWithInteger(id, SEL, std::int64_t value) { return NSNumber::numberWithInteger(value); }
StrongId numberWithFloat(id, SEL, float value) { return NSNumber::numberWithDouble(value); }
StrongId numberWithDouble(id, SEL, double value) { return NSNumber::numberWithDouble(value); }
bool numberBoolValue(id self, SEL sel) { return as<NSNumber>(self, sel).boolValue(); }
float numberFloatValue(id self, SEL sel) { return as<NSNumber>(self, sel).floatValue(); }
double numberDoubleValue(id self, SEL sel) { return as<NSNumber>(self, sel).doubleValue(); }
std::int32_t numberIntValue(id self, SEL sel) { return as<NSNumber>(self, sel).intValue(); }
std::int64_t numberIntegerValue(id self, SEL sel) { return as<NSNumber>(self, sel).integerValue(); }
bool numberIsEqualToNumber(id self, SEL sel, id other) { return as<NSNumber>(self, sel).isEqualToNumber(dynamic_cast<NSNumber*>(other)); }
bool numberIsEqual(id self, SEL sel, id other) { return self == other || as<NSNumber>(self, sel).isEqualToNumber(dynamic_cast<NSNumber*>(other)); }
std::uint64_t numberHash(id self, SEL sel)
{
    // Equal numbers must hash alike whatever their kinds, so whole values hash as integers.
    NSNumber& number = as<NSNumber>(self, sel);
    double real = number.doubleValue();
    if (number.kind() != NSNumber::Kind::Real) return std::hash<std::int64_t>{}(number.integerValue());
    if (real >= -9.2e18 && real <= 9.2e18 && static_cast<double>(static_cast<std::int64_t>(real)) == real)
        return std::hash<std::int64_t>{}(static_cast<std::int64_t>(real));
    return std::hash<double>{}(real);
}

// ---- NSArray ------------------------------------------------------------------------------

StrongId arrayEmpty(id, SEL) { return NSArray::from({}); }
std::uint64_t arrayCount(id self, SEL sel) { return as<NSArray>(self, sel).count(); }
StrongId arrayObjectAtIndex(id self, SEL sel, std::uint64_t index) { return as<NSArray>(self, sel).objectAtIndex(index); }
StrongId arrayFirstObject(id self, SEL sel) { return as<NSArray>(self, sel).firstObject(); }
StrongId arrayLastObject(id self, SEL sel) { return as<NSArray>(self, sel).lastObject(); }

// ---- NSDictionary and NSMutableDictionary -------------------------------------------------

StrongId dictionaryEmpty(id self, SEL) { return objc::class_createInstance(static_cast<Class>(self)); }
StrongId dictionaryWithContentsOfFile(id self, SEL sel, id path)
{
    StrongId made = objc::class_createInstance(static_cast<Class>(self));
    return as<NSDictionary>(made.get(), sel).initWithContentsOfFile(textArgument(path)) ? made : StrongId();
}
// An initialiser: on failure the fresh object is dropped by its caller and nil comes back.
StrongId dictionaryInitWithContentsOfFile(id self, SEL sel, id path)
{
    if (!dynamic_cast<NSString*>(path)) return nullptr;
    return as<NSDictionary>(self, sel).initWithContentsOfFile(textArgument(path)) ? StrongId(self) : StrongId();
}
std::uint64_t dictionaryCount(id self, SEL sel) { return as<NSDictionary>(self, sel).count(); }
StrongId dictionaryObjectForKey(id self, SEL sel, id key) { return as<NSDictionary>(self, sel).objectForKey(key); }
StrongId dictionaryAllKeys(id self, SEL sel) { return as<NSDictionary>(self, sel).allKeys(); }
void mutableSetObjectForKey(id self, SEL sel, id value, id key) { as<NSMutableDictionary>(self, sel).setObject(value, key); }
void mutableRemoveObjectForKey(id self, SEL sel, id key) { as<NSMutableDictionary>(self, sel).removeObjectForKey(key); }
void mutableSetDictionary(id self, SEL sel, id other)
{
    as<NSMutableDictionary>(self, sel).setDictionary(argument<NSDictionary>(other, sel, "the dictionary"));
}

// ---- NSCharacterSet and NSScanner ---------------------------------------------------------

StrongId characterSetWithCharactersInString(id, SEL sel, id string)
{
    return NSCharacterSet::characterSetWithCharactersInString(argument<NSString>(string, sel, "the characters"));
}
StrongId whitespaceCharacterSet(id, SEL) { return NSCharacterSet::whitespaceCharacterSet(); }
StrongId newlineCharacterSet(id, SEL) { return NSCharacterSet::newlineCharacterSet(); }
StrongId whitespaceAndNewlineCharacterSet(id, SEL) { return NSCharacterSet::whitespaceAndNewlineCharacterSet(); }

StrongId scannerWithString(id, SEL sel, id string) { return NSScanner::scannerWithString(argument<NSString>(string, sel, "the string to scan")); }
StrongId scannerString(id self, SEL sel) { return StrongId(as<NSScanner>(self, sel).string()); }
StrongId scannerCharactersToBeSkipped(id self, SEL sel) { return StrongId(as<NSScanner>(self, sel).charactersToBeSkipped()); }
void scannerSetCharactersToBeSkipped(id self, SEL sel, id characters)
{
    as<NSScanner>(self, sel).setCharactersToBeSkipped(argument<NSCharacterSet>(characters, sel, "the characters to skip"));
}
bool scannerScanHexInt(id self, SEL sel, std::uint32_t* out) { return as<NSScanner>(self, sel).scanHexInt(out); }
std::uint64_t scannerScanLocation(id self, SEL sel) { return as<NSScanner>(self, sel).scanLocation(); }
void scannerSetScanLocation(id self, SEL sel, std::uint64_t location) { as<NSScanner>(self, sel).setScanLocation(location); }
bool scannerIsAtEnd(id self, SEL sel) { return as<NSScanner>(self, sel).isAtEnd(); }

// ---- NSFileManager ------------------------------------------------------------------------

StrongId fileManagerDefault(id, SEL) { return StrongId(NSFileManager::defaultManager()); }
bool fileManagerFileExists(id self, SEL sel, id path)
{
    return dynamic_cast<NSString*>(path) && as<NSFileManager>(self, sel).fileExistsAtPath(textArgument(path));
}
bool fileManagerCopy(id self, SEL sel, id from, id to, id* error)
{
    if (error) *error = nullptr;
    if (!dynamic_cast<NSString*>(from) || !dynamic_cast<NSString*>(to)) return false;
    return as<NSFileManager>(self, sel).copyItemAtPath(textArgument(from), textArgument(to));
}

template <class T>
Class registerWithStorage(objc::Runtime& runtime, Class superclass)
{
    return runtime.registerClass(T::kClassName, superclass, []() -> objc::Object* { return new T(); });
}

} // namespace

void registerFoundationDataClasses(objc::Runtime& runtime)
{
    using objc::addClassMethod;
    using objc::addMethod;
    using objc::sel;
    Class root = runtime.lookUpClass("NSObject");

    Class string = registerWithStorage<NSString>(runtime, root);
    addClassMethod(string, sel("stringWithUTF8String:"), stringWithUTF8String);
    addMethod(string, sel("length"), stringLength);
    addMethod(string, sel("isEqualToString:"), stringIsEqualToString);
    addMethod(string, sel("isEqual:"), stringIsEqual);
    addMethod(string, sel("hash"), stringHash);
    addMethod(string, sel("containsString:"), stringContainsString);
    addMethod(string, sel("componentsSeparatedByString:"), stringComponents);
    addMethod(string, sel("boolValue"), stringBoolValue);
    addMethod(string, sel("floatValue"), stringFloatValue);
    addMethod(string, sel("doubleValue"), stringDoubleValue);
    addMethod(string, sel("intValue"), stringIntValue);
    addMethod(string, sel("integerValue"), stringIntegerValue);
    addMethod(string, sel("UTF8String"), stringUTF8String);

    Class value = registerWithStorage<NSValue>(runtime, root);
    addClassMethod(value, sel("valueWithBytes:objCType:"), valueWithBytes);
    addMethod(value, sel("getValue:"), valueGetValue);
    addMethod(value, sel("getValue:size:"), valueGetValueSize);
    addMethod(value, sel("objCType"), valueObjCType);

    Class number = registerWithStorage<NSNumber>(runtime, value);
    addClassMethod(number, sel("numberWithBool:"), numberWithBool);
    addClassMethod(number, sel("numberWithInt:"), numberWithInt);
    addClassMethod(number, sel("numberWithInteger:"), numberWithInteger);
    addClassMethod(number, sel("numberWithLongLong:"), numberWithInteger);
    addClassMethod(number, sel("numberWithFloat:"), numberWithFloat);
    addClassMethod(number, sel("numberWithDouble:"), numberWithDouble);
    addMethod(number, sel("boolValue"), numberBoolValue);
    addMethod(number, sel("floatValue"), numberFloatValue);
    addMethod(number, sel("doubleValue"), numberDoubleValue);
    addMethod(number, sel("intValue"), numberIntValue);
    addMethod(number, sel("integerValue"), numberIntegerValue);
    addMethod(number, sel("isEqualToNumber:"), numberIsEqualToNumber);
    addMethod(number, sel("isEqual:"), numberIsEqual);
    addMethod(number, sel("hash"), numberHash);

    Class date = registerWithStorage<NSDate>(runtime, root);
    addMethod(date, sel("timeIntervalSinceReferenceDate"), +[](id self, SEL s) { return as<NSDate>(self, s).timeIntervalSinceReferenceDate(); });

    Class array = registerWithStorage<NSArray>(runtime, root);
    addClassMethod(array, sel("array"), arrayEmpty);
    addMethod(array, sel("count"), arrayCount);
    addMethod(array, sel("objectAtIndex:"), arrayObjectAtIndex);
    addMethod(array, sel("firstObject"), arrayFirstObject);
    addMethod(array, sel("lastObject"), arrayLastObject);

    Class dictionary = registerWithStorage<NSDictionary>(runtime, root);
    addClassMethod(dictionary, sel("dictionary"), dictionaryEmpty);
    addClassMethod(dictionary, sel("dictionaryWithContentsOfFile:"), dictionaryWithContentsOfFile);
    addMethod(dictionary, sel("initWithContentsOfFile:"), dictionaryInitWithContentsOfFile);
    addMethod(dictionary, sel("count"), dictionaryCount);
    addMethod(dictionary, sel("objectForKey:"), dictionaryObjectForKey);
    addMethod(dictionary, sel("allKeys"), dictionaryAllKeys);

    Class mutableDictionary = registerWithStorage<NSMutableDictionary>(runtime, dictionary);
    addMethod(mutableDictionary, sel("setObject:forKey:"), mutableSetObjectForKey);
    addMethod(mutableDictionary, sel("removeObjectForKey:"), mutableRemoveObjectForKey);
    addMethod(mutableDictionary, sel("setDictionary:"), mutableSetDictionary);

    Class characterSet = registerWithStorage<NSCharacterSet>(runtime, root);
    addClassMethod(characterSet, sel("characterSetWithCharactersInString:"), characterSetWithCharactersInString);
    addClassMethod(characterSet, sel("whitespaceCharacterSet"), whitespaceCharacterSet);
    addClassMethod(characterSet, sel("newlineCharacterSet"), newlineCharacterSet);
    addClassMethod(characterSet, sel("whitespaceAndNewlineCharacterSet"), whitespaceAndNewlineCharacterSet);

    Class scanner = registerWithStorage<NSScanner>(runtime, root);
    addClassMethod(scanner, sel("scannerWithString:"), scannerWithString);
    addMethod(scanner, sel("string"), scannerString);
    addMethod(scanner, sel("charactersToBeSkipped"), scannerCharactersToBeSkipped);
    addMethod(scanner, sel("setCharactersToBeSkipped:"), scannerSetCharactersToBeSkipped);
    addMethod(scanner, sel("scanHexInt:"), scannerScanHexInt);
    addMethod(scanner, sel("scanLocation"), scannerScanLocation);
    addMethod(scanner, sel("setScanLocation:"), scannerSetScanLocation);
    addMethod(scanner, sel("isAtEnd"), scannerIsAtEnd);

    Class fileManager = registerWithStorage<NSFileManager>(runtime, root);
    addClassMethod(fileManager, sel("defaultManager"), fileManagerDefault);
    addMethod(fileManager, sel("fileExistsAtPath:"), fileManagerFileExists);
    addMethod(fileManager, sel("copyItemAtPath:toPath:error:"), fileManagerCopy);
}
