#include "sim/SettingsFile.h"

#include "foundation/NSArray.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/PropertyList.h"

namespace zovo {
namespace {

objc::Id convert(const nlohmann::ordered_json& value)
{
    if (value.is_boolean()) return NSNumber::numberWithBool(value.get<bool>());
    if (value.is_number_integer()) return NSNumber::numberWithInteger(value.get<std::int64_t>());
    if (value.is_number()) return NSNumber::numberWithDouble(value.get<double>());
    if (value.is_string()) return NSString::from(value.get<std::string>());
    if (value.is_array()) {
        std::vector<objc::Id> elements;
        for (const auto& element : value)
            if (objc::Id e = convert(element)) elements.push_back(e);
        return NSArray::from(std::move(elements));
    }
    if (value.is_object()) return propertyListFromJson(value);
    return nullptr;
}

} // namespace

objc::Ref<NSDictionary> propertyListFromJson(const nlohmann::ordered_json& object)
{
    std::vector<NSDictionary::Entry> entries;
    if (object.is_object())
        for (const auto& [key, value] : object.items())
            if (objc::Id v = convert(value)) entries.push_back({key, v});
    return NSDictionary::from(std::move(entries));
}

ErrorOr<void> writeSettingsFile(const std::filesystem::path& hostPath, const nlohmann::ordered_json& object)
{
    std::error_code ec;
    std::filesystem::create_directories(hostPath.parent_path(), ec);
    return writeBinaryPropertyList(hostPath, propertyListFromJson(object).get());
}

} // namespace zovo
