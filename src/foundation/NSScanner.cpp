#include "foundation/NSScanner.h"

#include "foundation/Unicode.h"

#include <stdexcept>
#include <string_view>

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

} // namespace

NSScanner::NSScanner() : NSScanner(NSString::from("")) {}

NSScanner::NSScanner(objc::StrongRef<NSString> string)
    : string_(string ? std::move(string) : NSString::from("")), skip_(NSCharacterSet::whitespaceAndNewlineCharacterSet())
{
}

objc::StrongRef<NSScanner> NSScanner::scannerWithString(const NSString* string)
{
    // Strings are immutable, so sharing the caller's string is as good as a copy.
    return objc::make<NSScanner>(objc::StrongRef<NSString>(const_cast<NSString*>(string)));
}

std::uint64_t NSScanner::scanLocation() const { return zovo::utf8::utf16Length(std::string_view(string_->utf8()).substr(0, offset_)); }

void NSScanner::setScanLocation(std::uint64_t location)
{
    std::string_view text = string_->utf8();
    std::size_t offset = 0;
    std::uint64_t units = 0;
    while (units < location && offset < text.size()) units += zovo::utf8::utf16Units(zovo::utf8::decode(text, offset));
    if (units != location)
        throw std::out_of_range("-[NSScanner setScanLocation:]: location " + std::to_string(location) + " is beyond the end or inside a character of a string of length " +
                                std::to_string(string_->length()));
    offset_ = offset;
}

bool NSScanner::isAtEnd() const { return skipFrom(offset_) >= string_->utf8().size(); }

std::size_t NSScanner::skipFrom(std::size_t offset) const
{
    if (!skip_) return offset;
    std::string_view text = string_->utf8();
    while (offset < text.size()) {
        std::size_t next = offset;
        if (!skip_->characterIsMember(zovo::utf8::decode(text, next))) break;
        offset = next;
    }
    return offset;
}

bool NSScanner::scanHexInt(std::uint32_t* out)
{
    std::string_view text = string_->utf8();
    std::size_t at = skipFrom(offset_);
    // A prefix only counts when a digit follows it; otherwise its "0" is the number.
    if (at + 2 < text.size() && text[at] == '0' && (text[at + 1] == 'x' || text[at + 1] == 'X') && hexDigit(text[at + 2]) >= 0) at += 2;
    std::size_t start = at;
    std::uint64_t value = 0;
    bool overflow = false;
    for (; at < text.size(); ++at) {
        int digit = hexDigit(text[at]);
        if (digit < 0) break;
        if (!overflow) {
            value = value * 16 + static_cast<std::uint64_t>(digit);
            if (value > 0xFFFFFFFFu) overflow = true;
        }
    }
    if (at == start) return false;
    if (out) *out = overflow ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
    offset_ = at;
    return true;
}
