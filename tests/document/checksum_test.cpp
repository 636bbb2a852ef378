// The CRC-32 that guards the settings file and the recovery file: the one of
// zlib and PNG, so files written by earlier builds still read and new ones
// keep their bytes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "document/autosave.h"
#include "document/checksum.h"
#include "document/file_settings_store.h"

namespace vantorelle {
namespace {

std::vector<std::uint8_t> FromHex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

std::uint32_t Crc32Of(const std::vector<std::uint8_t>& bytes) { return Crc32(bytes.data(), bytes.size()); }

std::vector<std::uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

TEST(StoredChecksums, Crc32GivesTheStandardValues) {
  EXPECT_EQ(Crc32(nullptr, 0), 0u);
  EXPECT_EQ(Crc32Of(Bytes("a")), 0xE8B7BE43u);
  EXPECT_EQ(Crc32Of(Bytes("abc")), 0x352441C2u);
  EXPECT_EQ(Crc32Of(Bytes("123456789")), 0xCBF43926u);
  EXPECT_EQ(Crc32Of(Bytes("The quick brown fox jumps over the lazy dog")), 0x414FA339u);
  std::vector<std::uint8_t> everyByte(256);
  for (std::size_t i = 0; i < everyByte.size(); ++i) everyByte[i] = static_cast<std::uint8_t>(i);
  EXPECT_EQ(Crc32Of(everyByte), 0x29058C73u);
  // From an odd address, as a value inside a larger buffer is.
  EXPECT_EQ(Crc32(everyByte.data() + 1, everyByte.size() - 1), 0xD0161F87u);
  EXPECT_EQ(Crc32Of(std::vector<std::uint8_t>(1 << 20, 0xA5)), 0xBF513FE6u);
}

// The bytes below were made by an independent CRC-32 (zlib's) over the
// layouts the two files document.
TEST(StoredChecksums, SettingsAndRecoveryFilesKeepTheirBytes) {
  SettingsSections sections;
  sections["Document"]["Color"] = SettingsBytes{1, 2, 3};
  sections["Document"]["Count"] = std::int32_t{-7};
  sections["Empty"];
  const auto settingsFile = FromHex(
      "56525354010000003c0000001a9f3192020000000800446f63756d656e74020000000500436f6c6f7202030000000102030500436f75"
      "6e740104000000f9ffffff0500456d70747900000000");
  EXPECT_EQ(EncodeSettingsFile(sections), settingsFile);
  EXPECT_EQ(DecodeSettingsFile(settingsFile), sections);
  auto damaged = settingsFile;
  damaged.back() ^= 1;
  EXPECT_FALSE(DecodeSettingsFile(damaged));

  const auto recoveryFile = FromHex("0102032f702e767270060000000300000000000000fc4e97bb56525245434f5631");
  EXPECT_EQ(EncodeRecoveryFile({{1, 2, 3}, "/p.vrp"}), recoveryFile);
}

}  // namespace
}  // namespace vantorelle
