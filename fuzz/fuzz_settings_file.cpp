// Feeds arbitrary bytes to the settings file decoder. A mutated payload
// almost never matches its CRC-32, so each input is decoded twice: as it is,
// for the header checks, and with its length and CRC fields made to fit
// what follows the header, for the payload itself. Sections the decoder
// accepts must come back unchanged through the encoder.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "document/checksum.h"
#include "document/file_settings_store.h"

namespace {

void PutU32(vantorelle::SettingsBytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
}

void DecodeAndRoundTrip(const vantorelle::SettingsBytes& bytes) {
  const std::optional<vantorelle::SettingsSections> sections = vantorelle::DecodeSettingsFile(bytes);
  if (!sections) return;
  const std::optional<vantorelle::SettingsSections> again =
      vantorelle::DecodeSettingsFile(vantorelle::EncodeSettingsFile(*sections));
  if (!again || *again != *sections) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  vantorelle::SettingsBytes bytes(data, data + size);
  DecodeAndRoundTrip(bytes);
  if (bytes.size() >= vantorelle::kSettingsFileHeaderSize && bytes.size() <= vantorelle::kSettingsFileMaxSize) {
    const std::size_t payloadSize = bytes.size() - vantorelle::kSettingsFileHeaderSize;
    PutU32(bytes, 8, static_cast<std::uint32_t>(payloadSize));
    PutU32(bytes, 12, vantorelle::Crc32(bytes.data() + vantorelle::kSettingsFileHeaderSize, payloadSize));
    DecodeAndRoundTrip(bytes);
  }
  return 0;
}
