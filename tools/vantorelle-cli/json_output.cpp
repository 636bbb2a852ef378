#include "json_output.h"

#include <cstdio>

namespace vantorelle::cli {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence at text[at], or 0 when none starts there.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;       // overlong below U+0800
    if (lead == 0xED) high = 0x9F;      // UTF-16 surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;       // overlong below U+10000
    if (lead == 0xF4) high = 0x8F;      // past U+10FFFF
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

std::string WithReplacements(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = SequenceLength(text, at);
    if (length == 0) {
      out += kReplacementCharacter;
      ++at;
    } else {
      out += text.substr(at, length);
      at += length;
    }
  }
  return out;
}

std::string Dump(const Json& value) {
  // Every text went through PutText; replace is only a guard against a
  // text that did not, so output is never cut short by an exception.
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

bool IsUtf8(std::string_view text) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = SequenceLength(text, at);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

std::string PercentEncodedBytes(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '%') {
      out.push_back(c);
    } else {
      out.push_back('%');
      out.push_back(kHex[byte >> 4]);
      out.push_back(kHex[byte & 0xF]);
    }
  }
  return out;
}

void PutText(Json& object, const std::string& key, std::string_view text) {
  if (IsUtf8(text)) {
    object[key] = std::string(text);
    return;
  }
  object[key] = WithReplacements(text);
  object[key + "Bytes"] = PercentEncodedBytes(text);
}

void PrintJson(const Json& value) {
  std::string out;
  if (value.is_array() && !value.empty()) {
    out = "[";
    for (std::size_t i = 0; i < value.size(); ++i) out += (i ? ",\n " : "\n ") + Dump(value[i]);
    out += "\n]\n";
  } else {
    out = Dump(value) + "\n";
  }
  std::fputs(out.c_str(), stdout);
}

}  // namespace vantorelle::cli
