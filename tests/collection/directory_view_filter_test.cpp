// The directory view's patterns for the filter chosen on the General page.
#include "collection/directory_view_filter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::vector<std::pair<std::string, std::string>> kFilters{{"All media files", "*.avi;*.mp4;*.JPG;*.PNG"},
                                                                {"AVI files(*.AVI)", "*.AVI"},
                                                                {"Wave files(*.WAV)", "*.WAV"},
                                                                {"Pictures(*.JPG;*.PNG)", "*.JPG; *.PNG"},
                                                                {"All files(*.*)", "*.*"}};

// Stored indexes were written when the list began with AVI: they keep
// meaning the filter they meant, and the one below them means all media.
TEST(DirectoryViewFilterTest, EachStoredIndexShowsTheFilterItMeant) {
  EXPECT_THAT(DirectoryViewPatterns(kFilters, -1), ElementsAre("*.avi", "*.mp4", "*.JPG", "*.PNG"));
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 0), ElementsAre("*.AVI"));
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 1), ElementsAre("*.WAV"));
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 2), ElementsAre("*.JPG", "*.PNG"));
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 3), IsEmpty());  // every file
}

TEST(DirectoryViewFilterTest, AnIndexOutsideTheListShowsEveryFilter) {
  EXPECT_THAT(DirectoryViewPatterns(kFilters, -2),
              ElementsAre("*.avi", "*.mp4", "*.JPG", "*.PNG", "*.AVI", "*.WAV", "*.JPG", "*.PNG"));
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 4),
              ElementsAre("*.avi", "*.mp4", "*.JPG", "*.PNG", "*.AVI", "*.WAV", "*.JPG", "*.PNG"));
  EXPECT_THAT(DirectoryViewPatterns({}, 0), IsEmpty());
}

}  // namespace
}  // namespace vantorelle
