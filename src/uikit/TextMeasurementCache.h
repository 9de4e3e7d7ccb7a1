// The program's memory of text measurements: laying text out with Pango costs tens of
// microseconds, and a banner's labels ask for the same few measurements many times.
//
//   zovo::TextMeasurementCache& cache = zovo::TextMeasurementCache::shared();
//   if (auto known = cache.find(key)) return *known;
//   cache.insert(key, measured);
//
// A measurement depends only on the text, the font, the width, the line limit and the break
// mode (the fonts installed do not change while the program runs), so one cache serves every
// simulated process. It holds at most a fixed number of entries and forgets the least recently
// used first. Thread-safe: one mutex guards it.
#pragma once

#include "objc/Lock.h"
#include "uikit/TextValues.h"

#include <cstddef>
#include <cstdint>
#include <list>
#include <optional>
#include <string>
#include <unordered_map>

namespace zovo {

struct TextMeasurementKey {
    std::string text;
    FontDescriptor font;
    double maxWidth = 0;
    std::int64_t numberOfLines = 0;
    NSLineBreakMode mode = NSLineBreakByTruncatingTail;
    // Widths compare by their bits, so that a width that is not a number still finds itself.
    friend bool operator==(const TextMeasurementKey& a, const TextMeasurementKey& b);
};

class TextMeasurementCache {
public:
    // About a screenful of distinct labels many times over; each entry is a few hundred bytes.
    static constexpr std::size_t kDefaultCapacity = 4096;

    explicit TextMeasurementCache(std::size_t capacity = kDefaultCapacity);
    static TextMeasurementCache& shared();

    std::optional<TextMeasurement> find(const TextMeasurementKey& key);
    void insert(TextMeasurementKey key, TextMeasurement measurement);

    std::size_t size() const;
    void clear();

private:
    struct KeyHash {
        std::size_t operator()(const TextMeasurementKey& key) const;
    };
    using Order = std::list<TextMeasurementKey>; // most recently used first

    const std::size_t capacity_;
    // Every thread may reach the cache.
    mutable Mutex mutex_;
    Order order_ GUARDED_BY(mutex_);
    std::unordered_map<TextMeasurementKey, std::pair<TextMeasurement, Order::iterator>, KeyHash> entries_ GUARDED_BY(mutex_);
};

} // namespace zovo
