// What the property-list tests share: lists written by hand, in either format, and a process to
// read them in.
#pragma once

#include "foundation/NSDictionary.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/Process.h"
#include "foundation/PropertyList.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace zovo::test {

inline constexpr const char* kSettings = "/var/mobile/Library/Preferences/com.tarvik.zovorudovu.plist";

inline std::string xmlList(std::string_view body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n" + std::string(body) + "\n</plist>\n";
}

inline std::string repeat(std::string_view text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

// A root dictionary holding `levels - 1` arrays nested inside each other: `levels` containers.
inline std::string nestedXml(int levels) { return xmlList("<dict><key>k</key>" + repeat("<array>", levels - 1) + repeat("</array>", levels - 1) + "</dict>"); }

// Builds binary lists object by object, for shapes no writer would produce. References are two
// bytes wide and offsets four.
struct BinaryList {
    std::vector<std::string> objects;

    static std::string bigEndian(std::uint64_t value, int width)
    {
        std::string out;
        for (int i = width - 1; i >= 0; --i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    }
    std::size_t add(std::string object) { objects.push_back(std::move(object)); return objects.size() - 1; }
    std::size_t ascii(std::string_view text) { return add(static_cast<char>(0x50 | text.size()) + std::string(text)); }
    std::size_t array(const std::vector<std::size_t>& refs)
    {
        std::string object(1, static_cast<char>(0xA0 | refs.size()));
        for (std::size_t r : refs) object += bigEndian(r, 2);
        return add(object);
    }
    // Wraps `ref` in `levels` arrays of one element each and answers the outermost.
    std::size_t wrap(std::size_t ref, int levels) { while (levels-- > 0) ref = array({ref}); return ref; }
    std::size_t dict(std::size_t key, std::size_t value) { return add("\xD1" + bigEndian(key, 2) + bigEndian(value, 2)); }
    // The list's bytes, with object `top` as its root.
    std::string bytes(std::size_t top) const
    {
        std::string out = "bplist00", offsets;
        for (const std::string& object : objects) {
            offsets += bigEndian(out.size(), 4);
            out += object;
        }
        return out + offsets + std::string(6, '\0') + '\x04' + '\x02' + bigEndian(objects.size(), 8) + bigEndian(top, 8) + bigEndian(out.size(), 8);
    }
    // The list's bytes under a root dictionary {k: value}.
    std::string underKey(std::size_t value) { return bytes(dict(ascii("k"), value)); }
};

// A root dictionary {k: [[[...]]]} with `levels` containers in all, in binary form.
inline std::string nestedBinary(int levels)
{
    BinaryList list;
    return list.underKey(list.wrap(list.array({}), levels - 2));
}

class PropertyListFixture : public ::testing::Test {
protected:
    zovo::Process process;

    std::filesystem::path host(std::string_view processPath) const { return process.hostPath(processPath); }
    static void writeFile(const std::filesystem::path& path, std::string_view bytes) { std::ofstream(path, std::ios::binary) << bytes; }
    static zovo::ErrorOr<zovo::PropertyList> parse(std::string_view bytes) { return zovo::parsePropertyList(bytes, "test.plist"); }
    static objc::StrongRef<NSString> s(std::string_view text) { return NSString::from(text); }
    static objc::StrongRef<NSNumber> number(const NSDictionary& d, const char* key) { return objc::cast<NSNumber>(d.objectForKey(key)); }
};

} // namespace zovo::test
