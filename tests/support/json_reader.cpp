#include "support/json_reader.h"

#include <cctype>
#include <cstdlib>

namespace vantorelle::testing {
namespace {

class Parser {
 public:
  explicit Parser(const std::string& text) : text_(text) {}

  std::optional<JsonValue> Document() {
    auto value = Value();
    SkipSpace();
    if (!value || position_ != text_.size()) return std::nullopt;
    return value;
  }

 private:
  void SkipSpace() {
    while (position_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[position_]))) ++position_;
  }
  bool Take(char c) {
    SkipSpace();
    if (position_ < text_.size() && text_[position_] == c) {
      ++position_;
      return true;
    }
    return false;
  }
  bool TakeWord(const char* word) {
    const std::string w(word);
    if (text_.compare(position_, w.size(), w) != 0) return false;
    position_ += w.size();
    return true;
  }

  std::optional<JsonValue> Value() {
    SkipSpace();
    if (position_ >= text_.size()) return std::nullopt;
    const char c = text_[position_];
    if (c == '{') return ObjectValue();
    if (c == '[') return ArrayValue();
    if (c == '"') {
      auto s = String();
      if (!s) return std::nullopt;
      return JsonValue{*s};
    }
    if (TakeWord("true")) return JsonValue{true};
    if (TakeWord("false")) return JsonValue{false};
    if (TakeWord("null")) return JsonValue{nullptr};
    return Number();
  }

  std::optional<JsonValue> Number() {
    const char* begin = text_.c_str() + position_;
    char* end = nullptr;
    const double number = std::strtod(begin, &end);
    if (end == begin) return std::nullopt;
    position_ += static_cast<std::size_t>(end - begin);
    return JsonValue{number};
  }

  std::optional<std::string> String() {
    if (!Take('"')) return std::nullopt;
    std::string out;
    while (position_ < text_.size()) {
      const char c = text_[position_++];
      if (c == '"') return out;
      if (c != '\\') {
        out.push_back(c);
        continue;
      }
      if (position_ >= text_.size()) return std::nullopt;
      const char e = text_[position_++];
      switch (e) {
        case 'n': out.push_back('\n'); break;
        case 't': out.push_back('\t'); break;
        case 'r': out.push_back('\r'); break;
        case 'b': out.push_back('\b'); break;
        case 'f': out.push_back('\f'); break;
        case 'u': {
          if (position_ + 4 > text_.size()) return std::nullopt;
          const unsigned code = static_cast<unsigned>(std::strtoul(text_.substr(position_, 4).c_str(), nullptr, 16));
          position_ += 4;
          if (code < 0x80) {
            out.push_back(static_cast<char>(code));
          } else if (code < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (code >> 6)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
          } else {
            out.push_back(static_cast<char>(0xE0 | (code >> 12)));
            out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
          }
          break;
        }
        default: out.push_back(e);
      }
    }
    return std::nullopt;
  }

  std::optional<JsonValue> ArrayValue() {
    Take('[');
    JsonValue::Array items;
    if (Take(']')) return JsonValue{items};
    do {
      auto item = Value();
      if (!item) return std::nullopt;
      items.push_back(std::move(*item));
    } while (Take(','));
    if (!Take(']')) return std::nullopt;
    return JsonValue{items};
  }

  std::optional<JsonValue> ObjectValue() {
    Take('{');
    JsonValue::Object members;
    if (Take('}')) return JsonValue{members};
    do {
      SkipSpace();
      auto key = String();
      if (!key || !Take(':')) return std::nullopt;
      auto value = Value();
      if (!value) return std::nullopt;
      members[*key] = std::move(*value);
    } while (Take(','));
    if (!Take('}')) return std::nullopt;
    return JsonValue{members};
  }

  const std::string& text_;
  std::size_t position_ = 0;
};

}  // namespace

std::optional<JsonValue> ParseJson(const std::string& text) { return Parser(text).Document(); }

}  // namespace vantorelle::testing
