// The tool's JSON output, written with nlohmann-json. Members keep the order
// they are added in, so an object reads in the order its file holds it.
#pragma once

#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace vantorelle::cli {

using Json = nlohmann::ordered_json;

// True when text is well-formed UTF-8 (no overlong forms, surrogates or
// code points past U+10FFFF).
bool IsUtf8(std::string_view text);

// Puts text under key. File names on Linux are bytes, not always UTF-8:
// when text is not valid UTF-8, key holds it with each byte that is not
// part of a valid sequence shown as U+FFFD, and key + "Bytes" holds the
// exact bytes with '%' and every byte outside printable ASCII written as
// %XX (upper-case hex), so nothing of the name is lost.
void PutText(Json& object, const std::string& key, std::string_view text);

// The %XX form of PutText's "Bytes" member.
std::string PercentEncodedBytes(std::string_view text);

// Writes value and a line feed on stdout; a top-level array gets one item
// per line.
void PrintJson(const Json& value);

}  // namespace vantorelle::cli
