// Minimal JSON text building for the tool's output.
#pragma once

#include <string>
#include <string_view>

namespace vantorelle::cli {

std::string JsonString(std::string_view text);

// An object built member by member: {"a": 1, "b": "x"}.
class JsonObject {
 public:
  JsonObject& Add(std::string_view key, std::string_view text);
  JsonObject& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
  JsonObject& Add(std::string_view key, double number);
  JsonObject& Add(std::string_view key, long long number);
  JsonObject& AddRaw(std::string_view key, std::string_view json);
  std::string Text() const { return "{" + members_ + "}"; }

 private:
  void Key(std::string_view key);
  std::string members_;
};

}  // namespace vantorelle::cli
