// Typed values over the settings store: numbers, and the binary values that
// hold a small record in the archive encodings (doubles, colours, lists).
// A binary value is decoded only when it is binary and fits the reader's
// buffer; anything else counts as missing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/settings_store.h"

namespace vantorelle {

inline constexpr std::size_t kSettingsBufferSize = 4096;
inline constexpr std::size_t kFavouriteListBufferSize = 8192;

bool SettingsValueExists(const ISettingsStore& store, const std::string& section, const std::string& name);

std::optional<std::int32_t> ReadSettingsNumber(const ISettingsStore& store, const std::string& section,
                                               const std::string& name);
std::int32_t ReadSettingsNumber(const ISettingsStore& store, const std::string& section, const std::string& name,
                                std::int32_t fallback);
std::optional<SettingsBytes> ReadSettingsBinary(const ISettingsStore& store, const std::string& section,
                                                const std::string& name, std::size_t bufferSize = kSettingsBufferSize);
std::optional<double> ReadSettingsDouble(const ISettingsStore& store, const std::string& section,
                                         const std::string& name);
double ReadSettingsDouble(const ISettingsStore& store, const std::string& section, const std::string& name,
                          double fallback);
// Three bytes red, green, blue, read back as red + green·256 + blue·65536.
std::optional<std::uint32_t> ReadSettingsColour(const ISettingsStore& store, const std::string& section,
                                                const std::string& name);
std::optional<std::vector<std::string>> ReadSettingsTextList(const ISettingsStore& store, const std::string& section,
                                                             const std::string& name, std::size_t bufferSize);
std::optional<std::vector<std::uint32_t>> ReadSettingsNumberList(const ISettingsStore& store,
                                                                 const std::string& section, const std::string& name,
                                                                 std::size_t bufferSize);

void WriteSettingsNumber(ISettingsStore& store, const std::string& section, const std::string& name,
                         std::int32_t value);
void WriteSettingsDouble(ISettingsStore& store, const std::string& section, const std::string& name, double value);
void WriteSettingsColour(ISettingsStore& store, const std::string& section, const std::string& name,
                         std::uint32_t colour);
void WriteSettingsTextList(ISettingsStore& store, const std::string& section, const std::string& name,
                           const std::vector<std::string>& texts);
void WriteSettingsNumberList(ISettingsStore& store, const std::string& section, const std::string& name,
                             const std::vector<std::uint32_t>& numbers);

}  // namespace vantorelle
