// The byte encodings shared by project files, settings values and shortcut
// records: the three length forms of texts and counts, and truncation.
#include "document/archive.h"

#include <gtest/gtest.h>

namespace vantorelle {
namespace {

std::vector<std::uint8_t> TextBytes(std::size_t length) {
  ArchiveWriter writer;
  writer.Text(std::string(length, 'x'));
  return writer.Take();
}

TEST(Archive, TextLengthFormsAndTheirBoundaries) {
  EXPECT_EQ(TextBytes(254).size(), 1u + 254);
  EXPECT_EQ(TextBytes(254)[0], 254);
  const auto medium = TextBytes(255);
  EXPECT_EQ((std::vector<std::uint8_t>(medium.begin(), medium.begin() + 3)), (std::vector<std::uint8_t>{0xFF, 0xFF, 0x00}));
  // 0xFFFE as a u16 would announce a wide text, so that length takes the long form.
  const auto longest16 = TextBytes(0xFFFD);
  EXPECT_EQ(longest16.size(), 3u + 0xFFFD);
  const auto wideMarker = TextBytes(0xFFFE);
  EXPECT_EQ((std::vector<std::uint8_t>(wideMarker.begin(), wideMarker.begin() + 7)),
            (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}));

  for (std::size_t length : {0u, 1u, 254u, 255u, 0xFFFDu, 0xFFFEu, 0x12345u}) {
    const auto bytes = TextBytes(length);
    ArchiveReader reader(bytes);
    EXPECT_EQ(reader.Text(), std::string(length, 'x'));
    EXPECT_TRUE(reader.AtEnd());
  }
}

TEST(Archive, NumbersAreLittleEndianAndCountsHaveTwoForms) {
  ArchiveWriter writer;
  writer.U32(0x11223344);
  writer.I32(-2);
  writer.F64(1.5);
  writer.Count(3);
  writer.Count(0xFFFF);
  const std::vector<std::uint8_t> expected{0x44, 0x33, 0x22, 0x11, 0xFE, 0xFF, 0xFF, 0xFF,
                                           0, 0, 0, 0, 0, 0, 0xF8, 0x3F,
                                           0x03, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00};
  EXPECT_EQ(writer.Data(), expected);
  ArchiveReader reader(writer.Data());
  EXPECT_EQ(reader.U32(), 0x11223344u);
  EXPECT_EQ(reader.I32(), -2);
  EXPECT_EQ(reader.F64(), 1.5);
  EXPECT_EQ(reader.Count(), 3u);
  EXPECT_EQ(reader.Count(), 0xFFFFu);
}

TEST(Archive, TruncatedOrWideDataIsAnError) {
  const std::vector<std::uint8_t> shortText{5, 'a', 'b'};
  ArchiveReader text(shortText);
  EXPECT_THROW(text.Text(), ArchiveError);
  // A huge announced length is refused before anything is allocated.
  const std::vector<std::uint8_t> huge{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F};
  ArchiveReader hugeText(huge);
  EXPECT_THROW(hugeText.Text(), ArchiveError);
  const std::vector<std::uint8_t> wide{0xFF, 0xFE, 0xFF, 0x01, 'a', 0};
  ArchiveReader wideText(wide);
  EXPECT_THROW(wideText.Text(), ArchiveError);
  const std::vector<std::uint8_t> three{1, 2, 3};
  ArchiveReader number(three);
  EXPECT_THROW(number.U32(), ArchiveError);
}

}  // namespace
}  // namespace vantorelle
