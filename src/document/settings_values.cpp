#include "document/settings_values.h"

#include "document/archive.h"

namespace vantorelle {

bool SettingsValueExists(const ISettingsStore& store, const std::string& section, const std::string& name) {
  return store.Read(section, name).has_value();
}

std::optional<std::int32_t> ReadSettingsNumber(const ISettingsStore& store, const std::string& section,
                                               const std::string& name) {
  const auto value = store.Read(section, name);
  if (!value) return std::nullopt;
  if (const auto* number = std::get_if<std::int32_t>(&*value)) return *number;
  // Numbers are read without a type check: four raw bytes serve as well.
  const auto& bytes = std::get<SettingsBytes>(*value);
  if (bytes.size() != 4) return std::nullopt;
  return ArchiveReader(bytes).I32();
}

std::int32_t ReadSettingsNumber(const ISettingsStore& store, const std::string& section, const std::string& name,
                                std::int32_t fallback) {
  return ReadSettingsNumber(store, section, name).value_or(fallback);
}

std::optional<SettingsBytes> ReadSettingsBinary(const ISettingsStore& store, const std::string& section,
                                                const std::string& name, std::size_t bufferSize) {
  auto value = store.Read(section, name);
  if (!value) return std::nullopt;
  auto* bytes = std::get_if<SettingsBytes>(&*value);
  if (!bytes || bytes->size() > bufferSize) return std::nullopt;
  return std::move(*bytes);
}

std::optional<double> ReadSettingsDouble(const ISettingsStore& store, const std::string& section,
                                         const std::string& name) {
  const auto bytes = ReadSettingsBinary(store, section, name, 8);
  if (!bytes || bytes->size() != 8) return std::nullopt;
  return ArchiveReader(*bytes).F64();
}

double ReadSettingsDouble(const ISettingsStore& store, const std::string& section, const std::string& name,
                          double fallback) {
  return ReadSettingsDouble(store, section, name).value_or(fallback);
}

std::optional<std::uint32_t> ReadSettingsColour(const ISettingsStore& store, const std::string& section,
                                                const std::string& name) {
  const auto bytes = ReadSettingsBinary(store, section, name);
  if (!bytes || bytes->size() < 3) return std::nullopt;
  const auto& rgb = *bytes;
  return static_cast<std::uint32_t>(rgb[0]) | (static_cast<std::uint32_t>(rgb[1]) << 8) |
         (static_cast<std::uint32_t>(rgb[2]) << 16);
}

std::optional<std::vector<std::string>> ReadSettingsTextList(const ISettingsStore& store, const std::string& section,
                                                             const std::string& name, std::size_t bufferSize) {
  const auto bytes = ReadSettingsBinary(store, section, name, bufferSize);
  if (!bytes) return std::nullopt;
  try {
    ArchiveReader reader(*bytes);
    const std::uint32_t count = reader.Count();
    std::vector<std::string> texts;
    for (std::uint32_t i = 0; i < count; ++i) texts.push_back(reader.Text());
    return texts;
  } catch (const ArchiveError&) {
    return std::nullopt;
  }
}

std::optional<std::vector<std::uint32_t>> ReadSettingsNumberList(const ISettingsStore& store,
                                                                 const std::string& section, const std::string& name,
                                                                 std::size_t bufferSize) {
  const auto bytes = ReadSettingsBinary(store, section, name, bufferSize);
  if (!bytes) return std::nullopt;
  try {
    ArchiveReader reader(*bytes);
    const std::uint32_t count = reader.Count();
    if (count > reader.Remaining() / 4) return std::nullopt;
    std::vector<std::uint32_t> numbers;
    for (std::uint32_t i = 0; i < count; ++i) numbers.push_back(reader.U32());
    return numbers;
  } catch (const ArchiveError&) {
    return std::nullopt;
  }
}

void WriteSettingsNumber(ISettingsStore& store, const std::string& section, const std::string& name,
                         std::int32_t value) {
  store.Write(section, name, value);
}

void WriteSettingsDouble(ISettingsStore& store, const std::string& section, const std::string& name, double value) {
  ArchiveWriter writer;
  writer.F64(value);
  store.Write(section, name, writer.Take());
}

void WriteSettingsColour(ISettingsStore& store, const std::string& section, const std::string& name,
                         std::uint32_t colour) {
  store.Write(section, name,
              SettingsBytes{static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(colour >> 8),
                            static_cast<std::uint8_t>(colour >> 16)});
}

void WriteSettingsTextList(ISettingsStore& store, const std::string& section, const std::string& name,
                           const std::vector<std::string>& texts) {
  ArchiveWriter writer;
  writer.Count(static_cast<std::uint32_t>(texts.size()));
  for (const auto& text : texts) writer.Text(text);
  store.Write(section, name, writer.Take());
}

void WriteSettingsNumberList(ISettingsStore& store, const std::string& section, const std::string& name,
                             const std::vector<std::uint32_t>& numbers) {
  ArchiveWriter writer;
  writer.Count(static_cast<std::uint32_t>(numbers.size()));
  for (const std::uint32_t number : numbers) writer.U32(number);
  store.Write(section, name, writer.Take());
}

}  // namespace vantorelle
