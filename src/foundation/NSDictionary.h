// Dictionaries from string keys to objects, keeping the order in which keys were first added.
//
//   objc::StrongRef<NSMutableDictionary> settings = NSMutableDictionary::dictionaryWithContentsOfFile(
//       "/var/mobile/Library/Preferences/com.tarvik.zovorudovu.plist");   // nil when unreadable
//   if (settings) {
//       objc::StrongId width = settings->objectForKey("customWidthValue");      // nil when absent
//   }
//
// Keys are strings (compared by their text) and values are never nil. Setting a key that is
// already present replaces its value and keeps its place in the order.
#pragma once

#include "objc/Object.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

class NSArray;
class NSString;
class NSMutableDictionary;

class NSDictionary : public objc::Object {
public:
    static constexpr const char* kClassName = "NSDictionary";

    using Entry = std::pair<std::string, objc::StrongId>;

    // An empty dictionary; the runtime's alloc makes one.
    NSDictionary() = default;
    // A later entry for a key replaces the value of an earlier one. Fails loudly
    // (std::invalid_argument, naming the key) when a value is nil.
    explicit NSDictionary(std::vector<Entry> entries);

    static objc::StrongRef<NSDictionary> from(std::vector<Entry> entries);

    std::uint64_t count() const { return entries_.size(); }
    // Nil when the key is absent; a nil key or one that is not a string is never present.
    objc::StrongId objectForKey(objc::id key) const;
    objc::StrongId objectForKey(std::string_view key) const;
    // The keys as strings, in order.
    objc::StrongRef<NSArray> allKeys() const;
    const std::vector<Entry>& entries() const { return entries_; }

    // Initialiser for a freshly made dictionary: replaces its contents with the property list at
    // a path inside the current process. Returns false, leaving the contents alone, for a missing
    // file, one that is not a property list, one whose root is not a dictionary, one larger than
    // 1 MiB or one nested deeper than 32 levels. Made with the property-list reader.
    bool initWithContentsOfFile(std::string_view processPath);

protected:
    void set(std::string key, objc::StrongId value);
    bool remove(std::string_view key);
    void replaceAll(std::vector<Entry> entries);

private:
    std::vector<Entry> entries_;
    std::unordered_map<std::string, std::size_t> index_; // key -> position in entries_
};

class NSMutableDictionary : public NSDictionary {
public:
    static constexpr const char* kClassName = "NSMutableDictionary";

    using NSDictionary::NSDictionary;

    static objc::StrongRef<NSMutableDictionary> dictionary();
    // The property list at a path inside the current process, or nil (see initWithContentsOfFile).
    static objc::StrongRef<NSMutableDictionary> dictionaryWithContentsOfFile(std::string_view processPath);

    // Fails loudly (std::invalid_argument) for a nil value or a key that is not a string, as the
    // platform does.
    void setObject(objc::id value, objc::id key);
    void setObject(objc::id value, std::string_view key);
    void removeObjectForKey(objc::id key);
    // Replaces every entry with those of `other` (nil empties the dictionary).
    void setDictionary(const NSDictionary* other);
};
