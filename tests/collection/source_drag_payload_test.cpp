// The bytes a drag of sources carries, written and read back byte for byte;
// reading refuses every truncation and every length that runs past the end.
#include "collection/source_drag_payload.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<std::uint8_t>;

Bytes Of(std::initializer_list<int> values) {
  Bytes bytes;
  for (int value : values) bytes.push_back(static_cast<std::uint8_t>(value));
  return bytes;
}

TEST(SourceDragPayload, ClipListRowsAreKindCountAndLengthPrefixedZeroTerminatedPaths) {
  const auto bytes = BuildClipListPayload({"ab", "c"});
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, Of({0, 0, 0, 0, 2, 0, 0, 0,  //
                        3, 0, 0, 0, 'a', 'b', 0,  //
                        2, 0, 0, 0, 'c', 0}));
  const auto parsed = ParseSourceDragPayload(*bytes);
  ASSERT_TRUE(parsed);
  EXPECT_EQ(parsed->kind, DragSourceKind::ClipList);
  EXPECT_THAT(parsed->paths, ElementsAre("ab", "c"));
}

TEST(SourceDragPayload, TwoPathsOfTenAndTwentyCharactersTake48Bytes) {
  const std::string ten = "/media/a.b";
  const std::string twenty = "/media/clips/cd.avi0";
  ASSERT_EQ(ten.size(), 10u);
  ASSERT_EQ(twenty.size(), 20u);
  const auto bytes = BuildClipListPayload({ten, twenty});
  ASSERT_TRUE(bytes);
  EXPECT_EQ(bytes->size(), 8u + (4 + 11) + (4 + 21));
  EXPECT_EQ((*bytes)[8], 11);
  EXPECT_EQ((*bytes)[8 + 4 + 11], 21);
  EXPECT_EQ(bytes->back(), 0);
}

TEST(SourceDragPayload, EveryTruncationOfAKnownListIsRefused) {
  const auto bytes = BuildClipListPayload({"/m/one.avi", "/m/two.wav", "x"});
  ASSERT_TRUE(bytes);
  for (std::size_t size = 0; size < bytes->size(); ++size) {
    SCOPED_TRACE(size);
    EXPECT_FALSE(ParseSourceDragPayload(std::span(bytes->data(), size)));
  }
  const auto whole = ParseSourceDragPayload(*bytes);
  ASSERT_TRUE(whole);
  EXPECT_THAT(whole->paths, ElementsAre("/m/one.avi", "/m/two.wav", "x"));
}

TEST(SourceDragPayload, FileViewerPayloadHoldsOnePath) {
  const auto bytes = BuildFileViewerPayload("/m/a.avi");
  ASSERT_TRUE(bytes);
  EXPECT_EQ(*bytes, Of({1, 0, 0, 0, 9, 0, 0, 0, '/', 'm', '/', 'a', '.', 'a', 'v', 'i', 0}));
  EXPECT_EQ(ParseSourceDragPayload(*bytes), (SourceDragPayload{DragSourceKind::FileViewer, {"/m/a.avi"}}));
  for (std::size_t size = 0; size < bytes->size(); ++size) {
    EXPECT_FALSE(ParseSourceDragPayload(std::span(bytes->data(), size))) << size;
  }
  EXPECT_EQ(SourceDragPayloadKind(*bytes), DragSourceKind::FileViewer);
  EXPECT_EQ(SourceDragPayloadKind(Of({1, 0, 0})), std::nullopt);
}

TEST(SourceDragPayload, HostileLengthsAndCountsAreRefusedWithoutReadingPastTheEnd) {
  // A count far beyond what the bytes could hold.
  EXPECT_FALSE(ParseSourceDragPayload(Of({0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 2, 0, 0, 0, 'a', 0})));
  // A length running past the end, and one of 4 GB.
  EXPECT_FALSE(ParseSourceDragPayload(Of({0, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 'a', 0})));
  EXPECT_FALSE(ParseSourceDragPayload(Of({1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 'a', 0})));
  // A length of 0 has no room for the terminating zero.
  EXPECT_FALSE(ParseSourceDragPayload(Of({1, 0, 0, 0, 0, 0, 0, 0})));
  // No terminating zero, or a zero inside the path.
  EXPECT_FALSE(ParseSourceDragPayload(Of({1, 0, 0, 0, 2, 0, 0, 0, 'a', 'b'})));
  EXPECT_FALSE(ParseSourceDragPayload(Of({1, 0, 0, 0, 3, 0, 0, 0, 'a', 0, 0})));
  // Unknown kinds.
  EXPECT_FALSE(ParseSourceDragPayload(Of({2, 0, 0, 0, 0, 0, 0, 0})));
  EXPECT_FALSE(ParseSourceDragPayload(Of({0, 0, 0, 1, 0, 0, 0, 0})));
}

TEST(SourceDragPayload, EmptyListsAndRoundedUpBlocksAreRead) {
  const auto empty = ParseSourceDragPayload(Of({0, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->paths.empty());
  auto padded = *BuildClipListPayload({"/a"});
  padded.insert(padded.end(), 5, 0xCC);
  const auto parsed = ParseSourceDragPayload(padded);
  ASSERT_TRUE(parsed);
  EXPECT_THAT(parsed->paths, ElementsAre("/a"));
}

TEST(SourceDragPayload, PathsWithAZeroByteAreNotBuilt) {
  EXPECT_FALSE(BuildClipListPayload({"/a", std::string("b\0c", 3)}));
  EXPECT_FALSE(BuildFileViewerPayload(std::string("\0", 1)));
}

}  // namespace
}  // namespace vantorelle
