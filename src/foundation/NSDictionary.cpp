#include "foundation/NSDictionary.h"

#include "foundation/NSArray.h"
#include "foundation/NSString.h"

#include <stdexcept>

NSDictionary::NSDictionary(std::vector<Entry> entries) { replaceAll(std::move(entries)); }

objc::StrongRef<NSDictionary> NSDictionary::from(std::vector<Entry> entries) { return objc::make<NSDictionary>(std::move(entries)); }

objc::StrongId NSDictionary::objectForKey(objc::id key) const
{
    auto* string = objc::cast<NSString>(key);
    return string ? objectForKey(std::string_view(string->utf8())) : objc::StrongId();
}

objc::StrongId NSDictionary::objectForKey(std::string_view key) const
{
    auto it = index_.find(std::string(key));
    return it == index_.end() ? objc::StrongId() : entries_[it->second].second;
}

objc::StrongRef<NSArray> NSDictionary::allKeys() const
{
    std::vector<objc::StrongId> keys;
    keys.reserve(entries_.size());
    for (const auto& entry : entries_) keys.emplace_back(NSString::from(entry.first));
    return NSArray::from(std::move(keys));
}

void NSDictionary::set(std::string key, objc::StrongId value)
{
    if (!value) throw std::invalid_argument("-[NSMutableDictionary setObject:forKey:]: the value for key \"" + key + "\" is nil");
    auto it = index_.find(key);
    if (it != index_.end()) {
        entries_[it->second].second = std::move(value);
        return;
    }
    index_.emplace(key, entries_.size());
    entries_.emplace_back(std::move(key), std::move(value));
}

bool NSDictionary::remove(std::string_view key)
{
    auto it = index_.find(std::string(key));
    if (it == index_.end()) return false;
    std::size_t position = it->second;
    // Released only once the dictionary is consistent again: ending the value may look at it.
    objc::StrongId old = std::move(entries_[position].second);
    index_.erase(it);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(position));
    for (auto& [name, at] : index_)
        if (at > position) --at;
    return true;
}

void NSDictionary::replaceAll(std::vector<Entry> entries)
{
    // Built aside and swapped in, so a nil value leaves the dictionary as it was.
    std::vector<Entry> built;
    std::unordered_map<std::string, std::size_t> index;
    built.reserve(entries.size());
    for (auto& [key, value] : entries) {
        if (!value) throw std::invalid_argument("NSDictionary: the value for key \"" + key + "\" is nil");
        auto it = index.find(key);
        if (it != index.end()) {
            built[it->second].second = std::move(value);
            continue;
        }
        index.emplace(key, built.size());
        built.emplace_back(std::move(key), std::move(value));
    }
    // The old values are released after the new ones are in place: releasing one may end an
    // object whose teardown looks at this dictionary.
    std::vector<Entry> old = std::exchange(entries_, std::move(built));
    index_ = std::move(index);
}

objc::StrongRef<NSMutableDictionary> NSMutableDictionary::dictionary() { return objc::make<NSMutableDictionary>(); }

objc::StrongRef<NSMutableDictionary> NSMutableDictionary::dictionaryWithContentsOfFile(std::string_view processPath)
{
    objc::StrongRef<NSMutableDictionary> result = dictionary();
    return result->initWithContentsOfFile(processPath) ? result : nullptr;
}

void NSMutableDictionary::setObject(objc::id value, objc::id key)
{
    auto* string = objc::cast<NSString>(key);
    if (!string)
        throw std::invalid_argument(std::string("-[NSMutableDictionary setObject:forKey:]: the key is ") +
                                    (key ? std::string("an instance of ") + key->className() : std::string("nil")) + ", not a string");
    set(string->utf8(), objc::StrongId(value));
}

void NSMutableDictionary::setObject(objc::id value, std::string_view key) { set(std::string(key), objc::StrongId(value)); }

void NSMutableDictionary::removeObjectForKey(objc::id key)
{
    if (auto* string = objc::cast<NSString>(key)) remove(string->utf8());
}

void NSMutableDictionary::setDictionary(const NSDictionary* other)
{
    if (other == this) return;
    replaceAll(other ? other->entries() : std::vector<Entry>{});
}
