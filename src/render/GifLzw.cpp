// The GIF writer's compressor: variable-width LZW codes, packed least significant bit first.
#include "render/GifInternals.h"

#include <algorithm>
#include <array>
#include <memory>
#include <stdexcept>
#include <string>

namespace zovo {
namespace {

constexpr int kMaxCodes = 4096; // 12-bit codes

// Codes are packed least significant bit first.
class BitPacker {
public:
    explicit BitPacker(std::vector<std::uint8_t>& out) : out_(out) {}
    void put(int code, int width)
    {
        bits_ |= static_cast<std::uint32_t>(code) << count_;
        count_ += width;
        while (count_ >= 8) {
            out_.push_back(static_cast<std::uint8_t>(bits_ & 0xff));
            bits_ >>= 8;
            count_ -= 8;
        }
    }
    void flush()
    {
        if (count_ > 0) out_.push_back(static_cast<std::uint8_t>(bits_ & 0xff));
        bits_ = 0;
        count_ = 0;
    }

private:
    std::vector<std::uint8_t>& out_;
    std::uint32_t bits_ = 0;
    int count_ = 0;
};

// The string table of the compressor: (prefix code, next index) -> code, open addressing.
class CodeTable {
public:
    static constexpr std::size_t kSlots = 8192; // at most half full

    CodeTable() { clear(); }
    void clear() { std::fill(keys_.begin(), keys_.end(), 0u); }
    // The slot for `key`: holding it, or empty where it belongs.
    std::size_t find(std::uint32_t key) const
    {
        std::size_t slot = (key * 2654435761u) >> 19;
        while (keys_[slot] != 0 && keys_[slot] != key + 1) slot = (slot + 1) & (kSlots - 1);
        return slot;
    }
    bool holds(std::size_t slot) const { return keys_[slot] != 0; }
    int code(std::size_t slot) const { return codes_[slot]; }
    void insert(std::size_t slot, std::uint32_t key, int code)
    {
        keys_[slot] = key + 1;
        codes_[slot] = static_cast<std::uint16_t>(code);
    }

private:
    std::array<std::uint32_t, kSlots> keys_{};
    std::array<std::uint16_t, kSlots> codes_{};
};

} // namespace

void gifCompress(const std::vector<std::uint8_t>& indices, int minCodeSize, std::vector<std::uint8_t>& out)
{
    // The code size is the encoder's own choice; anything else is a broken caller.
    if (minCodeSize < 2 || minCodeSize > 8) throw std::invalid_argument("gifCompress: minimum code size " + std::to_string(minCodeSize) + " is not 2 to 8");
    const int clearCode = 1 << minCodeSize;
    const int endCode = clearCode + 1;
    BitPacker bits(out);
    auto table = std::make_unique<CodeTable>();
    int width = minCodeSize + 1;
    int next = endCode + 1;

    // The decoder adds a table entry for each code it reads after the first, one step behind
    // the encoder, and widens its codes as soon as its next entry would not fit. Widening after
    // writing a code when the encoder's next free code no longer fits keeps the two in step.
    auto emit = [&](int code) {
        bits.put(code, width);
        if (next >= (1 << width) && width < 12) ++width;
    };

    emit(clearCode);
    if (!indices.empty()) {
        int prefix = indices[0];
        for (std::size_t i = 1; i < indices.size(); ++i) {
            const std::uint32_t key = (static_cast<std::uint32_t>(prefix) << 8) | indices[i];
            const std::size_t slot = table->find(key);
            if (table->holds(slot)) {
                prefix = table->code(slot);
                continue;
            }
            emit(prefix);
            // The last code is left unused, as common encoders do, so that no decoder has to
            // cope with a full table before the clear code arrives.
            if (next < kMaxCodes - 1) {
                table->insert(slot, key, next++);
            } else {
                emit(clearCode);
                table->clear();
                width = minCodeSize + 1;
                next = endCode + 1;
            }
            prefix = indices[i];
        }
        emit(prefix);
    }
    emit(endCode);
    bits.flush();
}

} // namespace zovo
