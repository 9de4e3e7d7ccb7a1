#include "foundation/NSCharacterSet.h"

#include "foundation/NSString.h"
#include "foundation/Unicode.h"

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
    case Builtin::Whitespace: return zovo::unicode::isWhitespace(c);
    case Builtin::Newline: return zovo::unicode::isNewline(c);
    case Builtin::WhitespaceAndNewline: return zovo::unicode::isWhitespace(c) || zovo::unicode::isNewline(c);
    case Builtin::None: break;
    }
    return std::binary_search(members_.begin(), members_.end(), c);
}
