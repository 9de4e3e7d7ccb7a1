#include "uikit/TextMeasurementCache.h"

#include <bit>
#include <functional>

namespace zovo {

bool operator==(const TextMeasurementKey& a, const TextMeasurementKey& b)
{
    return a.text == b.text && a.font == b.font && std::bit_cast<std::uint64_t>(a.maxWidth) == std::bit_cast<std::uint64_t>(b.maxWidth) &&
           a.numberOfLines == b.numberOfLines && a.mode == b.mode;
}

std::size_t TextMeasurementCache::KeyHash::operator()(const TextMeasurementKey& key) const
{
    std::size_t h = std::hash<std::string>()(key.text);
    auto mix = [&h](std::uint64_t v) { h ^= v + 0x9E3779B97F4A7C15ull + (h << 6) + (h >> 2); };
    mix(std::hash<std::string>()(key.font.family));
    mix(std::bit_cast<std::uint64_t>(key.font.pointSize));
    mix(static_cast<std::uint64_t>(key.font.weight));
    mix(std::bit_cast<std::uint64_t>(key.maxWidth));
    mix(static_cast<std::uint64_t>(key.numberOfLines));
    mix(static_cast<std::uint64_t>(key.mode));
    return h;
}

TextMeasurementCache::TextMeasurementCache(std::size_t capacity) : capacity_(capacity == 0 ? 1 : capacity) {}

TextMeasurementCache& TextMeasurementCache::shared()
{
    // Never destroyed: measurements may be asked for while the program's statics are torn down.
    static auto* cache = new TextMeasurementCache();
    return *cache;
}

std::optional<TextMeasurement> TextMeasurementCache::find(const TextMeasurementKey& key)
{
    Locker lock(mutex_);
    auto it = entries_.find(key);
    if (it == entries_.end()) return std::nullopt;
    order_.splice(order_.begin(), order_, it->second.second);
    return it->second.first;
}

void TextMeasurementCache::insert(TextMeasurementKey key, TextMeasurement measurement)
{
    Locker lock(mutex_);
    if (auto it = entries_.find(key); it != entries_.end()) {
        it->second.first = measurement;
        order_.splice(order_.begin(), order_, it->second.second);
        return;
    }
    if (entries_.size() >= capacity_) {
        entries_.erase(order_.back());
        order_.pop_back();
    }
    order_.push_front(key);
    entries_.emplace(std::move(key), std::make_pair(measurement, order_.begin()));
}

std::size_t TextMeasurementCache::size() const
{
    Locker lock(mutex_);
    return entries_.size();
}

void TextMeasurementCache::clear()
{
    Locker lock(mutex_);
    entries_.clear();
    order_.clear();
}

} // namespace zovo
