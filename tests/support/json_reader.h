// Reading the command-line tool's JSON output in tests, with nlohmann-json.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

namespace vantorelle::testing {

using Json = nlohmann::json;

// None when the text is not exactly one JSON value (white space around it
// allowed) in valid UTF-8.
std::optional<Json> ReadJson(const std::string& text);

// A plain copy of a parsed value, every number a double; kept for tests
// written against it. New tests read Json from ReadJson instead.
struct JsonValue {
  using Array = std::vector<JsonValue>;
  using Object = std::map<std::string, JsonValue>;
  std::variant<std::nullptr_t, bool, double, std::string, Array, Object> value;

  bool IsObject() const { return std::holds_alternative<Object>(value); }
  bool IsArray() const { return std::holds_alternative<Array>(value); }
  bool Has(const std::string& key) const { return IsObject() && AsObject().count(key) != 0; }
  const Array& AsArray() const { return std::get<Array>(value); }
  const Object& AsObject() const { return std::get<Object>(value); }
  const std::string& AsString() const { return std::get<std::string>(value); }
  double AsNumber() const { return std::get<double>(value); }
  // Member of an object; throws std::out_of_range when absent.
  const JsonValue& operator[](const std::string& key) const { return AsObject().at(key); }
  const JsonValue& operator[](std::size_t index) const { return AsArray().at(index); }
};

// ReadJson's value as a JsonValue.
std::optional<JsonValue> ParseJson(const std::string& text);

}  // namespace vantorelle::testing
