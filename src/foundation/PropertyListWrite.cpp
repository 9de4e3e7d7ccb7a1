// Writing: the platform's objects turned into a property list, in either format.
#include "foundation/PropertyList.h"
#include "foundation/PropertyListInternals.h"

#include "foundation/NSArray.h"
#include "foundation/NSDate.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace zovo {
namespace {

class Encoder {
public:
    std::string error;

    propertylist::NodePtr encode(objc::id object, const std::string& path, int depth)
    {
        if (auto* dictionary = objc::cast<NSDictionary>(object)) {
            if (!enter(path, depth)) return nullptr;
            propertylist::NodePtr node(plist_new_dict());
            for (const auto& [key, value] : dictionary->entries()) {
                if (key.find('\0') != std::string::npos) {
                    error = "a key in \"" + path + "\" holds a NUL character, which a property list cannot carry";
                    return nullptr;
                }
                propertylist::NodePtr child = encode(value.get(), path.empty() ? key : path + "." + key, depth + 1);
                if (!child) return nullptr;
                plist_dict_set_item(node.get(), key.c_str(), child.release());
            }
            return node;
        }
        if (auto* array = objc::cast<NSArray>(object)) {
            if (!enter(path, depth)) return nullptr;
            propertylist::NodePtr node(plist_new_array());
            for (std::size_t i = 0; i < array->elements().size(); ++i) {
                propertylist::NodePtr child = encode(array->elements()[i].get(), path + "[" + std::to_string(i) + "]", depth + 1);
                if (!child) return nullptr;
                plist_array_append_item(node.get(), child.release());
            }
            return node;
        }
        if (auto* string = objc::cast<NSString>(object)) {
            if (string->utf8().find('\0') != std::string::npos) {
                error = "the string at \"" + path + "\" holds a NUL character, which a property list cannot carry";
                return nullptr;
            }
            return propertylist::NodePtr(plist_new_string(string->utf8().c_str()));
        }
        if (auto* date = objc::cast<NSDate>(object)) {
            const double seconds = std::floor(date->timeIntervalSinceReferenceDate());
            if (!(std::fabs(seconds) < 2147483648.0)) {
                error = "the date at \"" + path + "\" is outside the range a property list date can hold";
                return nullptr;
            }
            const double micro = std::round((date->timeIntervalSinceReferenceDate() - seconds) * 1e6);
            return propertylist::NodePtr(plist_new_date(static_cast<std::int32_t>(seconds), static_cast<std::int32_t>(std::min(micro, 999999.0))));
        }
        if (auto* number = objc::cast<NSNumber>(object)) {
            switch (number->kind()) {
            case NSNumber::Kind::Bool: return propertylist::NodePtr(plist_new_bool(number->boolValue() ? 1 : 0));
            case NSNumber::Kind::Integer: return propertylist::NodePtr(plist_new_uint(static_cast<std::uint64_t>(number->integerValue())));
            case NSNumber::Kind::Real: return propertylist::NodePtr(plist_new_real(number->doubleValue()));
            }
        }
        error = "the value at \"" + path + "\" is " + (object ? std::string("an instance of ") + object->className() : std::string("nil")) +
                ", which a property list cannot hold";
        return nullptr;
    }

private:
    bool enter(const std::string& path, int depth)
    {
        if (depth <= kMaxPropertyListDepth) return true;
        error = "the value at \"" + path + "\" is nested deeper than " + std::to_string(kMaxPropertyListDepth) + " levels";
        return false;
    }
};

} // namespace

ErrorOr<std::string> encodePropertyList(const NSDictionary* dictionary, PropertyListFormat format)
{
    if (!dictionary) return Error{"no dictionary to write"};
    Encoder encoder;
    propertylist::NodePtr root = encoder.encode(const_cast<NSDictionary*>(dictionary), "", 1);
    if (!root) return Error{encoder.error};
    std::string out;
    char* buffer = nullptr;
    std::uint32_t length = 0;
    if (format == PropertyListFormat::Binary) {
        plist_to_bin(root.get(), &buffer, &length);
        if (!buffer) return Error{"the binary encoder failed"};
        out.assign(buffer, length);
        plist_to_bin_free(buffer);
    } else {
        plist_to_xml(root.get(), &buffer, &length);
        if (!buffer) return Error{"the XML encoder failed"};
        out.assign(buffer, length);
        plist_to_xml_free(buffer);
    }
    return out;
}

ErrorOr<void> writePropertyList(const std::filesystem::path& hostPath, const NSDictionary* dictionary, PropertyListFormat format)
{
    ErrorOr<std::string> encoded = encodePropertyList(dictionary, format);
    if (!encoded) return Error{hostPath.string() + ": " + encoded.error()};
    const std::string& bytes = encoded.value();
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    if (!out) return Error{hostPath.string() + ": cannot be opened for writing"};
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) return Error{hostPath.string() + ": write error"};
    return {};
}

ErrorOr<void> writeBinaryPropertyList(const std::filesystem::path& hostPath, const NSDictionary* dictionary)
{
    return writePropertyList(hostPath, dictionary, PropertyListFormat::Binary);
}

ErrorOr<void> writeXmlPropertyList(const std::filesystem::path& hostPath, const NSDictionary* dictionary)
{
    return writePropertyList(hostPath, dictionary, PropertyListFormat::Xml);
}

} // namespace zovo
