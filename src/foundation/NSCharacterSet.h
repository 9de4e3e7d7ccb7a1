// Sets of characters, as scanners use them to decide what to pass over.
//
//   objc::StrongRef<NSCharacterSet> hash = NSCharacterSet::characterSetWithCharactersInString(NSString::from("#"));
//   hash->characterIsMember(U'#')     // true
//   NSCharacterSet::whitespaceCharacterSet()->characterIsMember(U'\n')   // false
//
// Sets hold Unicode code points. The built-in sets follow the platform's definitions: white
// space is tab and the space separators (general category Zs); newlines are U+000A to U+000D,
// U+0085, U+2028 and U+2029.
#pragma once

#include "objc/Object.h"

#include <vector>

class NSString;

class NSCharacterSet : public objc::Object {
public:
    static constexpr const char* kClassName = "NSCharacterSet";

    enum class Builtin { None, Whitespace, Newline, WhitespaceAndNewline };

    // An empty set; the runtime's alloc makes one.
    NSCharacterSet() = default;
    NSCharacterSet(Builtin builtin, std::vector<char32_t> members);

    // Every code point of the string; nil gives the empty set.
    static objc::StrongRef<NSCharacterSet> characterSetWithCharactersInString(const NSString* characters);
    static objc::StrongRef<NSCharacterSet> whitespaceCharacterSet();
    static objc::StrongRef<NSCharacterSet> newlineCharacterSet();
    static objc::StrongRef<NSCharacterSet> whitespaceAndNewlineCharacterSet();

    bool characterIsMember(char32_t c) const;

private:
    Builtin builtin_ = Builtin::None;
    std::vector<char32_t> members_; // sorted, unique
};
