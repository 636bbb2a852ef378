// The directory view's patterns for the filter chosen on the General page.
#include "collection/directory_view_filter.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::vector<std::pair<std::string, std::string>> kFilters{{"AVI files(*.AVI)", "*.AVI"},
                                                                {"Wave files(*.WAV)", "*.WAV"},
                                                                {"Pictures(*.JPG;*.PNG)", "*.JPG; *.PNG"},
                                                                {"All files(*.*)", "*.*"}};

TEST(DirectoryViewFilterTest, EachIndexShowsItsOwnFilter) {
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 0), ElementsAre("*.AVI"));
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 1), ElementsAre("*.WAV"));
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 2), ElementsAre("*.JPG", "*.PNG"));
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 3), IsEmpty());  // every file
}

TEST(DirectoryViewFilterTest, AnIndexOutsideTheListShowsEveryFilter) {
  EXPECT_THAT(DirectoryViewPatterns(kFilters, -1), ElementsAre("*.AVI", "*.WAV", "*.JPG", "*.PNG"));
  EXPECT_THAT(DirectoryViewPatterns(kFilters, 4), ElementsAre("*.AVI", "*.WAV", "*.JPG", "*.PNG"));
  EXPECT_THAT(DirectoryViewPatterns({}, 0), IsEmpty());
}

}  // namespace
}  // namespace vantorelle
