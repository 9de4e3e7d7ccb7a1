// Reading: a file's bytes, past the pre-scans, parsed and turned into the platform's objects.
#include "foundation/PropertyList.h"
#include "foundation/PropertyListInternals.h"

#include "foundation/Json.h"
#include "foundation/NSArray.h"
#include "foundation/NSDate.h"
#include "foundation/NSFileManager.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"

#include <cstdlib>
#include <fstream>
#include <limits>

namespace zovo {
namespace {

using propertylist::Failure;

Error fail(std::string_view name, std::string_view reason) { return Error{std::string(name) + ": " + std::string(reason)}; }

// Whether an integer node whose bits have the top bit set is negative. The parser knows (it writes
// such a node with a sign) but offers no accessor for it, so the node is written out and read.
bool isNegativeInteger(plist_t node)
{
    char* xml = nullptr;
    std::uint32_t length = 0;
    plist_to_xml(node, &xml, &length);
    if (!xml) return true;
    const std::string_view text(xml, length);
    const std::size_t open = text.find("<integer>");
    const bool negative = open == std::string_view::npos || text.substr(open + 9, 1) == "-";
    std::free(xml);
    return negative;
}

class Converter {
public:
    std::optional<Failure> failure;

    // The object for a node, or null for a value that is left out (data, UID) or on failure.
    // `where` is the node's key path ("colours.list[2]"), for messages.
    objc::StrongId convert(plist_t node, int depth, const std::string& where)
    {
        switch (plist_get_node_type(node)) {
        case PLIST_DICT: {
            if (!enter(depth)) return nullptr;
            std::vector<NSDictionary::Entry> entries;
            if (!collectEntries(node, depth, entries, where)) return nullptr;
            return NSDictionary::from(std::move(entries));
        }
        case PLIST_ARRAY: {
            if (!enter(depth)) return nullptr;
            std::vector<objc::StrongId> elements;
            std::uint32_t count = plist_array_get_size(node);
            elements.reserve(count);
            for (std::uint32_t i = 0; i < count; ++i) {
                objc::StrongId element = convert(plist_array_get_item(node, i), depth + 1, where + "[" + std::to_string(i) + "]");
                if (failure) return nullptr;
                if (element) elements.push_back(std::move(element));
            }
            return NSArray::from(std::move(elements));
        }
        case PLIST_STRING: {
            std::uint64_t length = 0;
            const char* text = plist_get_string_ptr(node, &length);
            const std::string_view value = text ? std::string_view(text, length) : std::string_view();
            // Text that is not UTF-8 has no one meaning; reading it as some other encoding would
            // hand the component something the file's writer never meant.
            if (!isValidUtf8(value)) {
                failure = Failure{"the text at " + where + " is not valid UTF-8"};
                return nullptr;
            }
            return NSString::from(value);
        }
        case PLIST_BOOLEAN: {
            std::uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return NSNumber::numberWithBool(value != 0);
        }
        case PLIST_UINT: {
            std::uint64_t value = 0;
            plist_get_uint_val(node, &value);
            // The parser keeps negative integers as their two's-complement bits and integers above
            // the signed range as unsigned ones; only they have the top bit set.
            if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) && !isNegativeInteger(node))
                return NSNumber::numberWithDouble(static_cast<double>(value));
            return NSNumber::numberWithInteger(static_cast<std::int64_t>(value));
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return NSNumber::numberWithDouble(value);
        }
        case PLIST_DATE: {
            std::int32_t seconds = 0;
            std::int32_t microseconds = 0;
            plist_get_date_val(node, &seconds, &microseconds);
            return NSDate::dateWithTimeIntervalSinceReferenceDate(seconds + microseconds / 1e6);
        }
        default: return nullptr; // data, UID and anything newer are left out
        }
    }

    // The entries of a dictionary node whose own level is `depth` and key path `where` (empty
    // for the root).
    bool collectEntries(plist_t node, int depth, std::vector<NSDictionary::Entry>& entries, const std::string& where = {})
    {
        plist_dict_iter iter = nullptr;
        plist_dict_new_iter(node, &iter);
        if (!iter) return true;
        std::unique_ptr<void, decltype(&std::free)> iterOwner(iter, &std::free);
        while (true) {
            char* key = nullptr;
            plist_t value = nullptr;
            plist_dict_next_item(node, iter, &key, &value);
            std::unique_ptr<char, decltype(&std::free)> keyOwner(key, &std::free);
            if (!value) break;
            const std::string_view keyText = key ? std::string_view(key) : std::string_view();
            const std::string path = where.empty() ? std::string(keyText) : where + "." + std::string(keyText);
            if (!isValidUtf8(keyText)) {
                failure = Failure{"the key " + repairUtf8(path) + " is not valid UTF-8"};
                return false;
            }
            objc::StrongId object = convert(value, depth + 1, path);
            if (failure) return false;
            if (object) entries.emplace_back(key ? key : "", std::move(object));
        }
        return true;
    }

private:
    bool enter(int depth)
    {
        if (depth <= kMaxPropertyListDepth) return true;
        failure = Failure{"containers are nested deeper than " + std::to_string(kMaxPropertyListDepth) + " levels"};
        return false;
    }
};

} // namespace

ErrorOr<PropertyList> parsePropertyList(std::string_view bytes, std::string_view name)
{
    if (bytes.size() > kMaxPropertyListBytes)
        return fail(name, "larger than " + std::to_string(kMaxPropertyListBytes) + " bytes");
    if (bytes.empty()) return fail(name, "empty, not a property list");

    bool binary = bytes.size() >= 8 && bytes.substr(0, 8) == "bplist00";
    std::vector<std::string> warnings;
    std::optional<propertylist::Failure> scanned;
    // What the parser is given: the file's bytes, with what it would misread put right.
    std::string text;
    if (binary) {
        text.assign(bytes);
        scanned = propertylist::prepareBinary(text, warnings);
    } else {
        scanned = propertylist::prepareXml(bytes, text);
    }
    if (scanned) return fail(name, scanned->reason);
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) return fail(name, "too large to parse");

    plist_t parsed = nullptr;
    plist_from_memory(text.data(), static_cast<std::uint32_t>(text.size()), &parsed);
    propertylist::NodePtr root(parsed);
    if (!root) return fail(name, binary ? "not a valid binary property list" : "not a valid XML property list" + propertylist::xmlFaultLine(bytes));
    if (plist_get_node_type(root.get()) != PLIST_DICT) return fail(name, "the root of the property list is not a dictionary");

    Converter converter;
    std::vector<NSDictionary::Entry> entries;
    converter.collectEntries(root.get(), 1, entries);
    if (converter.failure) return fail(name, converter.failure->reason);
    PropertyList result;
    result.dictionary = objc::make<NSMutableDictionary>(std::move(entries));
    for (std::string& warning : warnings) result.warnings.push_back(std::string(name) + ": " + std::move(warning));
    return result;
}

ErrorOr<PropertyList> readPropertyList(const std::filesystem::path& hostPath)
{
    const std::string name = hostPath.string();
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(hostPath, error);
    if (status.type() == std::filesystem::file_type::not_found) return fail(name, "no such file");
    if (error) return fail(name, error.message());
    if (status.type() != std::filesystem::file_type::regular) return fail(name, "not a regular file");
    std::uintmax_t size = std::filesystem::file_size(hostPath, error);
    if (error) return fail(name, error.message());
    if (size > kMaxPropertyListBytes) return fail(name, "larger than " + std::to_string(kMaxPropertyListBytes) + " bytes");

    std::ifstream in(hostPath, std::ios::binary);
    if (!in) return fail(name, "cannot be opened for reading");
    // Reads one byte past the limit, so a file that grew since its size was taken is still caught.
    std::string bytes(static_cast<std::size_t>(kMaxPropertyListBytes) + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return fail(name, "read error");
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return parsePropertyList(bytes, name);
}

} // namespace zovo

// A dictionary read from a file inside the process is made here, with the reader it relies on, so
// that the dictionary class itself stays a plain container.
bool NSDictionary::initWithContentsOfFile(std::string_view processPath)
{
    std::filesystem::path host = zovo::hostPathInCurrentProcess(processPath);
    if (host.empty()) return false;
    zovo::ErrorOr<zovo::PropertyList> read = zovo::readPropertyList(host);
    if (!read) return false;
    std::vector<Entry> entries = read->dictionary->entries();
    replaceAll(std::move(entries));
    return true;
}
