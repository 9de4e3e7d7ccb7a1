#include "foundation/NSCharacterSet.h"

#include "foundation/NSString.h"

#include <algorithm>

NSCharacterSet::NSCharacterSet(Builtin builtin, std::vector<char32_t> members) : builtin_(builtin), members_(std::move(members))
{
    std::sort(members_.begin(), members_.end());
    members_.erase(std::unique(members_.begin(), members_.end()), members_.end());
}

objc::StrongRef<NSCharacterSet> NSCharacterSet::characterSetWithCharactersInString(const NSString* characters)
{
    std::vector<char32_t> members;
    if (characters) {
        std::string_view text = characters->utf8();
        for (std::size_t offset = 0; offset < text.size();) members.push_back(zovo::utf8::decode(text, offset));
    }
    return objc::make<NSCharacterSet>(Builtin::None, std::move(members));
}

objc::StrongRef<NSCharacterSet> NSCharacterSet::whitespaceCharacterSet() { return objc::make<NSCharacterSet>(Builtin::Whitespace, std::vector<char32_t>{}); }
objc::StrongRef<NSCharacterSet> NSCharacterSet::newlineCharacterSet() { return objc::make<NSCharacterSet>(Builtin::Newline, std::vector<char32_t>{}); }
objc::StrongRef<NSCharacterSet> NSCharacterSet::whitespaceAndNewlineCharacterSet()
{
    return objc::make<NSCharacterSet>(Builtin::WhitespaceAndNewline, std::vector<char32_t>{});
}

bool NSCharacterSet::characterIsMember(char32_t c) const
{
    switch (builtin_) {
    case Builtin::Whitespace: return isWhitespace(c);
    case Builtin::Newline: return isNewline(c);
    case Builtin::WhitespaceAndNewline: return isWhitespace(c) || isNewline(c);
    case Builtin::None: break;
    }
    return std::binary_search(members_.begin(), members_.end(), c);
}

bool NSCharacterSet::isWhitespace(char32_t c)
{
    return c == U'\t' || c == U' ' || c == 0x00A0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool NSCharacterSet::isNewline(char32_t c) { return (c >= 0x000A && c <= 0x000D) || c == 0x0085 || c == 0x2028 || c == 0x2029; }
