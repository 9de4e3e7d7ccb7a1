// The pre-scans: what an untrusted file must pass before the parser, which recurses and copies
// without limits, is given its bytes.
#include "foundation/PropertyList.h"
#include "foundation/PropertyListInternals.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <set>

namespace zovo::propertylist {
namespace {

// ---- Pre-scan of binary lists -------------------------------------------------------------
//
// The parser follows object references recursively and copies an object once for every place
// that refers to it, so a file can overflow the stack by nesting or exhaust memory by sharing.
// This walks the object graph without recursion first and refuses what would do either.

std::uint64_t readBigEndian(const unsigned char* bytes, unsigned width)
{
    std::uint64_t value = 0;
    for (unsigned i = 0; i < width; ++i) value = (value << 8) | bytes[i];
    return value;
}

class BinaryScan {
public:
    explicit BinaryScan(std::string_view bytes) : data_(reinterpret_cast<const unsigned char*>(bytes.data())), size_(bytes.size()) {}

    // Keys the parser reads as something else than the file wrote, once each.
    std::vector<std::string> warnings;

    std::optional<Failure> run()
    {
        constexpr std::size_t kHeader = 8;
        constexpr std::size_t kTrailer = 32;
        if (size_ < kHeader + kTrailer) return malformed("the binary property list is truncated");
        const unsigned char* trailer = data_ + size_ - kTrailer;
        offsetWidth_ = trailer[6];
        refWidth_ = trailer[7];
        objectCount_ = readBigEndian(trailer + 8, 8);
        std::uint64_t top = readBigEndian(trailer + 16, 8);
        tableOffset_ = readBigEndian(trailer + 24, 8);
        if (offsetWidth_ < 1 || offsetWidth_ > 8 || refWidth_ < 1 || refWidth_ > 8) return malformed("the binary trailer has invalid field widths");
        std::uint64_t tableEnd = size_ - kTrailer;
        if (objectCount_ == 0 || top >= objectCount_) return malformed("the binary trailer names no valid top object");
        if (tableOffset_ < kHeader || tableOffset_ > tableEnd) return malformed("the binary offset table lies outside the file");
        if (objectCount_ > (tableEnd - tableOffset_) / offsetWidth_) return malformed("the binary offset table is truncated");
        return walk(top);
    }

private:
    struct Container {
        std::uint64_t refs = 0;     // number of references that follow
        std::uint64_t firstRef = 0; // file offset of the first reference
        std::uint64_t keys = 0;     // how many of the references, from the first, are keys
    };
    struct Frame {
        std::uint64_t object;
        Container container;
        std::uint64_t next = 0; // index of the next reference to follow
        int height = 0;         // tallest child seen so far
        std::uint64_t values = 1;
    };
    enum : unsigned char { Unseen, OnPath, Done };

    // Whether big-endian UTF-16 code units hold a high surrogate not followed by a low one, or a
    // low surrogate not preceded by a high one.
    static bool hasLoneSurrogate(const unsigned char* units, std::uint64_t count)
    {
        const auto unit = [&](std::uint64_t i) { return static_cast<unsigned>(units[2 * i] << 8 | units[2 * i + 1]); };
        for (std::uint64_t i = 0; i < count; ++i) {
            const unsigned u = unit(i);
            if (u >= 0xDC00 && u <= 0xDFFF) return true;
            if (u >= 0xD800 && u <= 0xDBFF) {
                if (i + 1 == count || unit(i + 1) < 0xDC00 || unit(i + 1) > 0xDFFF) return true;
                ++i;
            }
        }
        return false;
    }

    static std::optional<Failure> malformed(std::string reason) { return Failure{std::move(reason)}; }

public:
    // The parser keeps only the low 8 bytes of a 16-byte integer, so 2^64 would read as 0. After
    // a run that passed, this rewrites, in `bytes` (the same bytes the scan read), each 16-byte
    // integer that fits 64 signed bits as an 8-byte one, and each larger one as the nearest
    // real, as an integer beyond the range reads from XML. Both are shorter than the original;
    // the bytes left over belong to no object.
    void widenLongIntegers(char* bytes) const
    {
        auto* out = reinterpret_cast<unsigned char*>(bytes);
        auto put = [](unsigned char* at, std::uint64_t value) {
            for (int i = 7; i >= 0; --i, value >>= 8) at[i] = static_cast<unsigned char>(value);
        };
        constexpr auto kSignBit = std::uint64_t{1} << 63;
        for (std::uint64_t object = 0; object < objectCount_; ++object) {
            std::optional<std::uint64_t> offset = objectOffset(object);
            if (!offset || out[*offset] != 0x14 || tableOffset_ - *offset < 17) continue;
            unsigned char* at = out + *offset;
            const std::uint64_t high = readBigEndian(at + 1, 8), low = readBigEndian(at + 9, 8);
            if ((high == 0 && low < kSignBit) || (high == ~std::uint64_t{0} && low >= kSignBit)) {
                at[0] = 0x13;
                put(at + 1, low);
            } else {
                const long double value = static_cast<long double>(static_cast<std::int64_t>(high)) * 18446744073709551616.0L + static_cast<long double>(low);
                at[0] = 0x23;
                put(at + 1, std::bit_cast<std::uint64_t>(static_cast<double>(value)));
            }
        }
    }

private:
    // Where an object starts, or nullopt when its offset points outside the object area.
    std::optional<std::uint64_t> objectOffset(std::uint64_t object) const
    {
        std::uint64_t offset = readBigEndian(data_ + tableOffset_ + object * offsetWidth_, offsetWidth_);
        if (offset < 8 || offset >= tableOffset_) return std::nullopt;
        return offset;
    }

    // Reads an object's element count: the marker's low nibble, or when that is 0xF an integer
    // object of 1, 2, 4 or 8 bytes after the marker. Moves `position` past what it read; false
    // when the count does not fit the object area.
    bool readCount(std::uint64_t& position, unsigned nibble, std::uint64_t& count) const
    {
        count = nibble;
        if (nibble != 0x0F) return true;
        if (position >= tableOffset_ || (data_[position] >> 4) != 0x1 || (data_[position] & 0x0F) > 3) return false;
        unsigned width = 1u << (data_[position] & 0x0F);
        if (tableOffset_ - position - 1 < width) return false;
        count = readBigEndian(data_ + position + 1, width);
        position += 1 + width;
        return true;
    }

    // The references of an array, set or dictionary (a dictionary's keys first, then its values);
    // nullopt for any other object. Sets `bad` when the header or references do not fit the file.
    std::optional<Container> containerAt(std::uint64_t offset, bool& bad) const
    {
        unsigned char marker = data_[offset];
        unsigned type = marker >> 4;
        if (type != 0xA && type != 0xC && type != 0xD) return std::nullopt;
        std::uint64_t position = offset + 1;
        std::uint64_t count = 0;
        if (!readCount(position, marker & 0x0F, count)) { bad = true; return std::nullopt; }
        std::uint64_t perEntry = type == 0xD ? 2 : 1;
        std::uint64_t room = (tableOffset_ - position) / refWidth_;
        if (count > room / perEntry) { bad = true; return std::nullopt; }
        return Container{count * perEntry, position, type == 0xD ? count : 0};
    }

    // Keys must be strings without NUL characters: the parser asserts (and so aborts the whole
    // program) when asked for a key whose length disagrees with its C string. A UTF-16 key with a
    // surrogate that has no partner has no UTF-8 form; the parser reads it as the empty key, which
    // a person should hear about.
    std::optional<Failure> checkKey(std::uint64_t object)
    {
        std::optional<std::uint64_t> offset = objectOffset(object);
        if (!offset) return malformed("an object offset points outside the object area");
        unsigned char marker = data_[*offset];
        unsigned type = marker >> 4;
        if (type != 0x5 && type != 0x6) return malformed("a dictionary key is not a string");
        std::uint64_t position = *offset + 1;
        std::uint64_t count = 0;
        unsigned unit = type == 0x5 ? 1 : 2; // ASCII bytes or UTF-16 code units
        if (!readCount(position, marker & 0x0F, count) || count > (tableOffset_ - position) / unit)
            return malformed("a dictionary key runs past the object area");
        for (std::uint64_t i = 0; i < count; ++i) {
            const unsigned char* at = data_ + position + i * unit;
            if (at[0] == 0 && (unit == 1 || at[1] == 0)) return malformed("a dictionary key holds a NUL character");
        }
        if (unit == 2 && hasLoneSurrogate(data_ + position, count) && warnedStrings_.insert(object).second)
            warnings.push_back("the dictionary key at object " + std::to_string(object) +
                               " holds a lone UTF-16 surrogate, which is not text; it is read as the empty key");
        return std::nullopt;
    }

    // A UTF-16 string value with a surrogate that has no partner has no UTF-8 form either; the
    // parser leaves the surrogate out, which a person should hear about as for a key.
    void checkStringValue(std::uint64_t object, std::uint64_t offset)
    {
        const unsigned char marker = data_[offset];
        if (marker >> 4 != 0x6) return;
        std::uint64_t position = offset + 1;
        std::uint64_t count = 0;
        if (!readCount(position, marker & 0x0F, count) || count > (tableOffset_ - position) / 2) return;
        if (hasLoneSurrogate(data_ + position, count) && warnedStrings_.insert(object).second)
            warnings.push_back("the string at object " + std::to_string(object) +
                               " holds a lone UTF-16 surrogate, which is not text; it is read without it");
    }

    std::optional<Failure> walk(std::uint64_t top)
    {
        std::vector<unsigned char> state(objectCount_, Unseen);
        std::vector<unsigned char> height(objectCount_, 0);
        std::vector<std::uint64_t> values(objectCount_, 0);
        std::vector<Frame> path;
        path.reserve(kMaxPropertyListDepth + 1);

        // Visits an object: leaves are finished at once, containers go on the path.
        auto enter = [&](std::uint64_t object, bool isKey) -> std::optional<Failure> {
            std::optional<std::uint64_t> offset = objectOffset(object);
            if (!offset) return malformed("an object offset points outside the object area");
            bool bad = false;
            std::optional<Container> container = containerAt(*offset, bad);
            if (bad) return malformed("a container's references run past the object area");
            if (!container) {
                if (!isKey) checkStringValue(object, *offset);
                state[object] = Done;
                height[object] = 0;
                values[object] = 1;
                return std::nullopt;
            }
            if (path.size() >= static_cast<std::size_t>(kMaxPropertyListDepth))
                return Failure{"containers are nested deeper than " + std::to_string(kMaxPropertyListDepth) + " levels"};
            state[object] = OnPath;
            path.push_back(Frame{object, *container});
            return std::nullopt;
        };

        if (auto failure = enter(top, false)) return failure;
        while (!path.empty()) {
            Frame& frame = path.back();
            if (frame.next < frame.container.refs) {
                std::uint64_t child = readBigEndian(data_ + frame.container.firstRef + frame.next * refWidth_, refWidth_);
                bool isKey = frame.next < frame.container.keys;
                ++frame.next;
                if (child >= objectCount_) return malformed("a reference names an object that does not exist");
                if (isKey)
                    if (auto failure = checkKey(child)) return failure;
                if (state[child] == OnPath) return malformed("an object contains itself");
                if (state[child] == Unseen) {
                    if (auto failure = enter(child, isKey)) return failure;
                    if (state[child] == OnPath) continue; // `frame` may have moved; resume with the child
                }
                if (auto failure = addChild(path, height[child], values[child])) return failure;
                continue;
            }
            Frame done = frame;
            path.pop_back();
            state[done.object] = Done;
            height[done.object] = static_cast<unsigned char>(done.height + 1);
            values[done.object] = done.values;
            if (!path.empty())
                if (auto failure = addChild(path, height[done.object], done.values)) return failure;
        }
        return std::nullopt;
    }

    // Adds a finished child to the container at the end of the path. A child finished earlier
    // through another path may reach deeper from here, so the depth is checked again.
    static std::optional<Failure> addChild(std::vector<Frame>& path, int childHeight, std::uint64_t childValues)
    {
        Frame& parent = path.back();
        if (path.size() + static_cast<std::size_t>(childHeight) > static_cast<std::size_t>(kMaxPropertyListDepth))
            return Failure{"containers are nested deeper than " + std::to_string(kMaxPropertyListDepth) + " levels"};
        parent.height = std::max(parent.height, childHeight);
        parent.values += childValues;
        if (parent.values > kMaxPropertyListValues)
            return Failure{"the list stands for more than " + std::to_string(kMaxPropertyListValues) + " values"};
        return std::nullopt;
    }

    const unsigned char* data_;
    std::uint64_t size_;
    unsigned offsetWidth_ = 0;
    unsigned refWidth_ = 0;
    std::uint64_t objectCount_ = 0;
    std::set<std::uint64_t> warnedStrings_;
    std::uint64_t tableOffset_ = 0;
};

// ---- Pre-scan of XML lists ----------------------------------------------------------------
//
// Counts open <dict> and <array> elements the way the parser's tokenizer sees tags, so that no
// deeply nested document reaches it (building or freeing such a tree recurses once per level).
// Errs towards counting: malformed input may be refused as too deep where the parser would
// have refused it anyway.

// Where an <integer> element's text lies: from the '<' of its opening tag, and its text's bounds.
struct XmlInteger {
    std::size_t tagStart;
    std::size_t textStart;
    std::size_t textEnd;
};

std::optional<Failure> scanXmlDepth(std::string_view text, std::vector<XmlInteger>& integers)
{
    auto startsWith = [&](std::size_t at, std::string_view prefix) { return text.compare(at, prefix.size(), prefix) == 0; };
    // The '>' that ends a tag, passing over quoted attribute values; npos when there is none.
    auto tagEnd = [&](std::size_t from) {
        for (std::size_t i = from; i < text.size(); ++i) {
            if (text[i] == '"') {
                i = text.find('"', i + 1);
                if (i == std::string_view::npos) return i;
            } else if (text[i] == '>') {
                return i;
            }
        }
        return std::string_view::npos;
    };
    int depth = 0;
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        std::size_t end;
        if (startsWith(at, "<!--")) {
            end = text.find("-->", at + 4);
            if (end == std::string_view::npos) break;
            at = end + 3;
            continue;
        }
        if (startsWith(at, "<![CDATA[")) {
            end = text.find("]]>", at + 9);
            if (end == std::string_view::npos) break;
            at = end + 3;
            continue;
        }
        if (startsWith(at, "<?")) {
            end = text.find("?>", at + 2);
            if (end == std::string_view::npos) break;
            at = end + 2;
            continue;
        }
        if (startsWith(at, "<!")) {
            end = tagEnd(at + 2);
            std::size_t bracket = text.find('[', at + 2);
            if (bracket != std::string_view::npos && (end == std::string_view::npos || bracket < end)) end = text.find("]>", bracket);
            if (end == std::string_view::npos) break;
            at = end + 1;
            continue;
        }
        std::size_t nameStart = at + 1;
        bool closing = nameStart < text.size() && text[nameStart] == '/';
        if (closing) ++nameStart;
        std::size_t nameEnd = text.find_first_of(" \t\r\n/<>", nameStart);
        if (nameEnd == std::string_view::npos) break;
        std::string_view name = text.substr(nameStart, nameEnd - nameStart);
        if (text[nameEnd] == '<') { // the parser refuses this tag; keep scanning from the next one
            at = nameEnd;
            continue;
        }
        end = tagEnd(nameEnd);
        if (end == std::string_view::npos) break;
        bool empty = text[end - 1] == '/';
        if (name == "integer" && !closing && !empty) {
            const std::size_t next = text.find('<', end + 1);
            if (next != std::string_view::npos) integers.push_back({at, end + 1, next});
        }
        if (name == "dict" || name == "array") {
            if (closing) {
                if (depth > 0) --depth;
            } else if (!empty && ++depth > kMaxPropertyListDepth) {
                return Failure{"containers are nested deeper than " + std::to_string(kMaxPropertyListDepth) + " levels"};
            }
        }
        at = end + 1;
    }
    return std::nullopt;
}

// ---- What the parser would read differently from the phone ----------------------------------
//
// The parser reads an XML integer as C's strtoull does with base 0, so a leading zero makes it
// octal ("0250" is 168, "09" is 0), and it negates a magnitude beyond the unsigned range after
// saturating it, so a hugely negative number comes out as 1. On the phone integers are decimal,
// and one below the signed 64-bit range is out of range: it becomes the nearest real, as one
// above the range does. The integers are put right in the text before the parser sees it.

bool isAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string rewriteXmlIntegers(std::string_view text, const std::vector<XmlInteger>& integers)
{
    constexpr std::string_view kClose = "</integer>";
    // The magnitude of the most negative signed 64-bit integer, as digits.
    constexpr std::string_view kMostNegative = "9223372036854775808";
    std::string out;
    out.reserve(text.size());
    std::size_t copied = 0;
    for (const XmlInteger& integer : integers) {
        std::size_t b = integer.textStart, e = integer.textEnd;
        while (b < e && isAsciiSpace(text[b])) ++b;
        while (e > b && isAsciiSpace(text[e - 1])) --e;
        std::string_view value = text.substr(b, e - b);
        const bool negative = value.starts_with('-');
        std::string_view digits = negative || value.starts_with('+') ? value.substr(1) : value;
        if (digits.empty() || !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
        const std::size_t firstSignificant = std::min(digits.find_first_not_of('0'), digits.size() - 1);
        digits.remove_prefix(firstSignificant);
        const bool belowRange = negative && (digits.size() > kMostNegative.size() || (digits.size() == kMostNegative.size() && digits > kMostNegative));
        if (belowRange) {
            if (text.compare(integer.textEnd, kClose.size(), kClose) != 0) continue;
            out.append(text.substr(copied, integer.tagStart - copied));
            out += "<real>-";
            out.append(digits);
            out += "</real>";
            copied = integer.textEnd + kClose.size();
        } else if (firstSignificant > 0) {
            out.append(text.substr(copied, b - copied));
            if (negative) out += '-';
            out.append(digits);
            copied = e;
        }
    }
    out.append(text.substr(copied));
    return out;
}

// An XML list that starts with a byte-order mark, as UTF-8 without one: the parser reads only
// UTF-8 and takes a mark for stray bytes before the document. UTF-16 with a lone surrogate or an
// odd number of bytes is not text.
std::optional<Failure> decodeByteOrderMark(std::string_view bytes, std::string& out)
{
    if (bytes.starts_with("\xEF\xBB\xBF")) {
        out.assign(bytes.substr(3));
        return std::nullopt;
    }
    const bool big = bytes.starts_with("\xFE\xFF");
    if (!big && !bytes.starts_with("\xFF\xFE")) {
        out.assign(bytes);
        return std::nullopt;
    }
    const Failure bad{"the text after its UTF-16 byte-order mark is not valid UTF-16"};
    if (bytes.size() % 2 != 0) return bad;
    auto unit = [&](std::size_t i) {
        const auto hi = static_cast<unsigned char>(bytes[big ? i : i + 1]), lo = static_cast<unsigned char>(bytes[big ? i + 1 : i]);
        return static_cast<std::uint32_t>(hi << 8 | lo);
    };
    out.clear();
    out.reserve(bytes.size());
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
        std::uint32_t c = unit(i);
        if (c >= 0xDC00 && c <= 0xDFFF) return bad;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 2 >= bytes.size()) return bad;
            const std::uint32_t low = unit(i + 2);
            if (low < 0xDC00 || low > 0xDFFF) return bad;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | c >> 6);
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | c >> 12);
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | c >> 18);
            out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<Failure> prepareBinary(std::string& bytes, std::vector<std::string>& warnings)
{
    BinaryScan scan(bytes);
    std::optional<Failure> failure = scan.run();
    if (!failure) scan.widenLongIntegers(bytes.data());
    warnings = std::move(scan.warnings);
    return failure;
}

std::optional<Failure> prepareXml(std::string_view bytes, std::string& text)
{
    std::string decoded;
    std::vector<XmlInteger> integers;
    if (std::optional<Failure> failure = decodeByteOrderMark(bytes, decoded)) return failure;
    if (std::optional<Failure> failure = scanXmlDepth(decoded, integers)) return failure;
    text = rewriteXmlIntegers(decoded, integers);
    return std::nullopt;
}

std::string xmlFaultLine(std::string_view text)
{
    struct Open {
        std::string name;
        std::size_t line;
    };
    std::vector<Open> open;
    std::size_t line = 1, counted = 0;
    auto lineAt = [&](std::size_t at) {
        line += static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(counted), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
        counted = at;
        return line;
    };
    auto where = [](std::size_t n, const std::string& what) { return " (line " + std::to_string(n) + ": " + what + ")"; };
    std::size_t at = 0;
    while ((at = text.find('<', at)) != std::string_view::npos) {
        for (std::string_view skip : {"<!--", "<![CDATA[", "<?", "<!"}) {
            if (text.compare(at, skip.size(), skip) != 0) continue;
            const std::string_view close = skip == "<!--" ? "-->" : skip == "<?" ? "?>" : skip == "<!" ? ">" : "]]>";
            const std::size_t end = text.find(close, at);
            at = end == std::string_view::npos ? text.size() : end;
            break;
        }
        if (at >= text.size()) break;
        if (text[at] != '<') continue;
        const std::size_t end = text.find('>', at);
        if (end == std::string_view::npos) return where(lineAt(at), "a tag that never ends");
        std::string_view tag = text.substr(at + 1, end - at - 1);
        const bool closing = !tag.empty() && tag.front() == '/', empty = !tag.empty() && tag.back() == '/';
        if (closing) tag.remove_prefix(1);
        const std::string tagName(tag.substr(0, tag.find_first_of(" \t\r\n/")));
        if (closing) {
            if (open.empty()) return where(lineAt(at), "</" + tagName + "> closes nothing");
            if (open.back().name != tagName) return where(lineAt(at), "</" + tagName + "> closes <" + open.back().name + ">");
            open.pop_back();
        } else if (!empty) {
            open.push_back({tagName, lineAt(at)});
        }
        at = end + 1;
    }
    if (!open.empty()) return where(open.back().line, "<" + open.back().name + "> is never closed");
    return {};
}

} // namespace zovo::propertylist
