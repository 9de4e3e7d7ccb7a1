// Scanners: read values from the front of a string, passing over a set of characters first.
//
//   objc::StrongRef<NSScanner> scanner = NSScanner::scannerWithString(NSString::from("##FF8000"));
//   scanner->setCharactersToBeSkipped(NSCharacterSet::characterSetWithCharactersInString(NSString::from("#")));
//   std::uint32_t value = 0;
//   scanner->scanHexInt(&value);     // true, value == 0xFF8000
//
// A new scanner passes over white space and newlines. The scan location is counted in UTF-16
// code units, as the platform counts it.
#pragma once

#include "foundation/NSCharacterSet.h"
#include "foundation/NSString.h"
#include "objc/Object.h"

#include <cstddef>
#include <cstdint>
#include <string>

class NSScanner : public objc::Object {
public:
    static constexpr const char* kClassName = "NSScanner";

    // A scanner of the empty string; the runtime's alloc makes one.
    NSScanner();
    explicit NSScanner(objc::StrongRef<NSString> string);

    // Nil scans the empty string.
    static objc::StrongRef<NSScanner> scannerWithString(const NSString* string);

    NSString* string() const { return string_.get(); }
    NSCharacterSet* charactersToBeSkipped() const { return skip_.get(); }
    // Nil skips nothing.
    void setCharactersToBeSkipped(NSCharacterSet* characters) { skip_ = objc::retained(characters); }

    std::uint64_t scanLocation() const;
    // Fails loudly (std::out_of_range) past the end of the string or inside a character.
    void setScanLocation(std::uint64_t location);
    // True when nothing but characters to be skipped is left.
    bool isAtEnd() const;

    // Passes over the characters to be skipped, then reads an optional "0x" or "0X" and the
    // hexadecimal digits (either case) up to the first other character. Digits beyond 32 bits
    // give 0xFFFFFFFF and are still consumed. "0x" with no digit after it reads the "0" alone.
    // Returns false, leaving `out` and the scan location as they were, when no digit is found.
    // `out` may be null.
    bool scanHexInt(std::uint32_t* out);

private:
    // The byte offset of the first character at or after `offset` that is not to be skipped.
    std::size_t skipFrom(std::size_t offset) const;

    objc::StrongRef<NSString> string_;
    objc::StrongRef<NSCharacterSet> skip_;
    std::size_t offset_ = 0; // in bytes, always at a character boundary
};
