// Reading and writing property lists (XML and binary) whose root is a dictionary.
//
//   zovo::ErrorOr<zovo::PropertyList> read = zovo::readPropertyList(root / "var/mobile/Library/Preferences/x.plist");
//   if (!read) std::cerr << read.error() << '\n';          // names the file and what is wrong
//   else use(read->dictionary);
//
//   zovo::writeBinaryPropertyList(path, settings);         // or writeXmlPropertyList
//
// Paths here are host paths: the tools and tests that call these functions know where a file
// really is. Code running inside a simulated process reads through NSDictionary's
// initWithContentsOfFile:, which maps the process's path first.
//
// What is read: dict -> NSDictionary (the root an NSMutableDictionary), array -> NSArray,
// string -> NSString, true/false -> NSNumber (boolean), integer -> NSNumber (integer, decimal
// even with leading zeros; a value outside the signed 64-bit range becomes the nearest real, except
// that one above the unsigned range saturates there first, as the parser keeps it; a binary
// 16-byte integer is read whole), real -> NSNumber (real), date -> NSDate
// (seconds since 2001-01-01 00:00 UTC; a date is not a number). Data and UID values are left
// out: a dictionary has no entry for their key and an array skips them. An XML list may start
// with a UTF-8 or UTF-16 byte-order mark.
//
// Files are untrusted. The limits below are checked before the bytes reach the parser: the size
// before the file is read, and the nesting and the number of values (a binary list may share one
// object from many places, so a small file can stand for a huge tree) by a pre-scan of the bytes.
// Nesting counts containers: the root dictionary is level 1.
#pragma once

#include "foundation/ErrorOr.h"
#include "foundation/NSDictionary.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zovo {

inline constexpr std::uintmax_t kMaxPropertyListBytes = 1u << 20;
inline constexpr int kMaxPropertyListDepth = 32;
// Values in the tree that a file stands for, once shared objects are counted at each place.
inline constexpr std::uint64_t kMaxPropertyListValues = 1u << 20;

// A property list as read: its root dictionary, and what was read but not as the file wrote it (a
// key that is not valid text), for a person to fix. A list with warnings still reads.
struct PropertyList {
    objc::StrongRef<NSMutableDictionary> dictionary;
    std::vector<std::string> warnings;
};

// Errors name the file and say what is wrong with it: missing, unreadable, too large, not a
// property list, a root that is not a dictionary, or nested too deeply.
//
// Reads a file. Needs a current object runtime (a running process) to make the objects.
ErrorOr<PropertyList> readPropertyList(const std::filesystem::path& hostPath);
// Parses bytes already in memory; `name` stands for the source in messages.
ErrorOr<PropertyList> parsePropertyList(std::string_view bytes, std::string_view name = "property list");

enum class PropertyListFormat { Xml, Binary };

// Encodes a dictionary. Strings, numbers (kept as boolean, integer or real), arrays and nested
// dictionaries can be written; anything else, or nesting deeper than the reader accepts, is
// refused with the key path named ("colours.list[2]").
ErrorOr<std::string> encodePropertyList(const NSDictionary* dictionary, PropertyListFormat format);
ErrorOr<void> writePropertyList(const std::filesystem::path& hostPath, const NSDictionary* dictionary, PropertyListFormat format);
ErrorOr<void> writeBinaryPropertyList(const std::filesystem::path& hostPath, const NSDictionary* dictionary);
ErrorOr<void> writeXmlPropertyList(const std::filesystem::path& hostPath, const NSDictionary* dictionary);

} // namespace zovo
