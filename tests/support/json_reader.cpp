#include "support/json_reader.h"

namespace vantorelle::testing {
namespace {

JsonValue Copy(const Json& json) {
  if (json.is_object()) {
    JsonValue::Object members;
    for (const auto& [key, member] : json.items()) members[key] = Copy(member);
    return JsonValue{std::move(members)};
  }
  if (json.is_array()) {
    JsonValue::Array items;
    for (const Json& item : json) items.push_back(Copy(item));
    return JsonValue{std::move(items)};
  }
  if (json.is_string()) return JsonValue{json.get<std::string>()};
  if (json.is_boolean()) return JsonValue{json.get<bool>()};
  if (json.is_number()) return JsonValue{json.get<double>()};
  return JsonValue{nullptr};
}

}  // namespace

std::optional<Json> ReadJson(const std::string& text) {
  Json json = Json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded()) return std::nullopt;
  return json;
}

std::optional<JsonValue> ParseJson(const std::string& text) {
  const auto json = ReadJson(text);
  if (!json) return std::nullopt;
  return Copy(*json);
}

}  // namespace vantorelle::testing
