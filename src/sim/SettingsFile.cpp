#include "sim/SettingsFile.h"

#include "foundation/NSArray.h"
#include "foundation/NSNumber.h"
#include "foundation/NSString.h"
#include "foundation/PropertyList.h"

#include <nlohmann/json.hpp>

#include <cmath>

namespace zovo {
namespace {

objc::StrongId convert(const Json& value)
{
    if (value.is_boolean()) return NSNumber::numberWithBool(value.get<bool>());
    if (value.is_number_integer()) return NSNumber::numberWithInteger(value.get<std::int64_t>());
    if (value.is_number()) return NSNumber::numberWithDouble(value.get<double>());
    if (value.is_string()) return NSString::from(value.get<std::string>());
    if (value.is_array()) {
        std::vector<objc::StrongId> elements;
        for (const auto& element : value)
            if (objc::StrongId e = convert(element)) elements.push_back(e);
        return NSArray::from(std::move(elements));
    }
    if (value.is_object()) return propertyListFromJson(value);
    return nullptr;
}

// Null stands for a value with no JSON form; containers leave such values out.
Json toJson(objc::id value, const std::string& where, std::vector<std::string>* dropped)
{
    if (auto* number = objc::cast<NSNumber>(value)) {
        switch (number->kind()) {
        case NSNumber::Kind::Bool: return number->boolValue();
        case NSNumber::Kind::Integer: return number->integerValue();
        case NSNumber::Kind::Real:
            if (std::isfinite(number->doubleValue())) return number->doubleValue();
            break;
        }
    } else if (auto* text = objc::cast<NSString>(value)) {
        return text->utf8();
    } else if (auto* array = objc::cast<NSArray>(value)) {
        Json out = Json::array();
        for (std::size_t i = 0; i < array->elements().size(); ++i) {
            Json element = toJson(array->elements()[i].get(), where + "[" + std::to_string(i) + "]", dropped);
            if (!element.is_null()) out.push_back(std::move(element));
        }
        return out;
    } else if (auto* dictionary = objc::cast<NSDictionary>(value)) {
        Json out = Json::object();
        for (const auto& [key, child] : dictionary->entries()) {
            Json v = toJson(child.get(), where.empty() ? key : where + "." + key, dropped);
            if (!v.is_null()) out[key] = std::move(v);
        }
        return out;
    }
    if (dropped) dropped->push_back(where);
    return nullptr;
}

} // namespace

Json settingsToJson(const NSDictionary* dictionary, std::vector<std::string>* dropped)
{
    if (!dictionary) return Json::object();
    return toJson(const_cast<NSDictionary*>(dictionary), "", dropped);
}

objc::StrongRef<NSDictionary> propertyListFromJson(const Json& object)
{
    std::vector<NSDictionary::Entry> entries;
    if (object.is_object())
        for (const auto& [key, value] : object.items())
            if (objc::StrongId v = convert(value)) entries.push_back({key, v});
    return NSDictionary::from(std::move(entries));
}

ErrorOr<void> writeSettingsFile(const std::filesystem::path& hostPath, const Json& object)
{
    std::error_code ec;
    std::filesystem::create_directories(hostPath.parent_path(), ec);
    return writeBinaryPropertyList(hostPath, propertyListFromJson(object).get());
}

} // namespace zovo
