// Reading and writing property lists (XML and binary) whose root is a dictionary.
//
//   zovo::PropertyListResult read = zovo::readPropertyList(root / "var/mobile/Library/Preferences/x.plist");
//   if (!read) std::cerr << read.message << '\n';          // names the file and what is wrong
//   else use(read.dictionary);
//
//   zovo::writeBinaryPropertyList(path, settings);         // or writeXmlPropertyList
//
// Paths here are host paths: the tools and tests that call these functions know where a file
// really is. Code running inside a simulated process reads through NSDictionary's
// initWithContentsOfFile:, which maps the process's path first.
//
// What is read: dict -> NSDictionary (the root an NSMutableDictionary), array -> NSArray,
// string -> NSString, true/false -> NSNumber (boolean), integer -> NSNumber (integer; a value
// above the signed 64-bit range becomes the nearest real, and one beyond the unsigned range
// saturates there first, as the parser keeps it), real -> NSNumber (real), date -> NSDate
// (seconds since 2001-01-01 00:00 UTC; a date is not a number). Data and UID values are left
// out: a dictionary has no entry for their key and an array skips them.
//
// Files are untrusted. The limits below are checked before the bytes reach the parser: the size
// before the file is read, and the nesting and the number of values (a binary list may share one
// object from many places, so a small file can stand for a huge tree) by a pre-scan of the bytes.
// Nesting counts containers: the root dictionary is level 1.
#pragma once

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

enum class PropertyListError {
    None,
    Missing,           // no file at the path
    Unreadable,        // something is there but cannot be read as a file (a directory, no access)
    TooLarge,          // over kMaxPropertyListBytes, or standing for over kMaxPropertyListValues values
    NotAPropertyList,  // neither a well-formed XML nor a binary property list
    RootNotDictionary, // a property list, but its root is not a dictionary
    TooDeep,           // containers nested deeper than kMaxPropertyListDepth
};

const char* describe(PropertyListError error);

struct PropertyListResult {
    objc::Ref<NSMutableDictionary> dictionary; // set exactly when error is None
    PropertyListError error = PropertyListError::None;
    std::string message; // empty on success
    // What was read but not as the file wrote it (a key that is not valid text), for a person to
    // fix. A list with warnings still reads.
    std::vector<std::string> warnings;
    explicit operator bool() const { return error == PropertyListError::None; }
};

// Reads a file. Needs a current object runtime (a running process) to make the objects.
PropertyListResult readPropertyList(const std::filesystem::path& hostPath);
// Parses bytes already in memory; `name` stands for the source in messages.
PropertyListResult parsePropertyList(std::string_view bytes, std::string_view name = "property list");

enum class PropertyListFormat { Xml, Binary };

struct PropertyListWriteResult {
    bool ok = false;
    std::string message; // names the file, or the key path of a value that cannot be written
    explicit operator bool() const { return ok; }
};

// Encodes a dictionary. Strings, numbers (kept as boolean, integer or real), arrays and nested
// dictionaries can be written; anything else, or nesting deeper than the reader accepts, is
// refused with the key path named ("colours.list[2]").
PropertyListWriteResult encodePropertyList(const NSDictionary* dictionary, PropertyListFormat format, std::string& out);
PropertyListWriteResult writePropertyList(const std::filesystem::path& hostPath, const NSDictionary* dictionary, PropertyListFormat format);
PropertyListWriteResult writeBinaryPropertyList(const std::filesystem::path& hostPath, const NSDictionary* dictionary);
PropertyListWriteResult writeXmlPropertyList(const std::filesystem::path& hostPath, const NSDictionary* dictionary);

} // namespace zovo
