// Adding folders to the Clip Collection browser's favourites.
#include "collection/favourite_folders.h"

#include <gtest/gtest.h>

namespace vantorelle {
namespace {

TEST(FavouriteFolders, AFolderJoinsOnceNamedByItsLastPart) {
  std::vector<CFvrDirObject> favourites;
  ASSERT_TRUE(AddFavouriteFolder(favourites, "/home/ann/Videos/", 2));
  ASSERT_EQ(favourites.size(), 1u);
  EXPECT_EQ(favourites[0], (CFvrDirObject{"/home/ann/Videos", "Videos", 2}));
  EXPECT_FALSE(AddFavouriteFolder(favourites, "/home/ann/Videos", 0)) << "already a favourite";
  EXPECT_FALSE(AddFavouriteFolder(favourites, "", 0));
  ASSERT_TRUE(AddFavouriteFolder(favourites, "/", 0));
  EXPECT_EQ(favourites.back().name, "/");
  EXPECT_EQ(favourites.size(), 2u);
  EXPECT_EQ(FavouriteFolderName("/media/card/DCIM"), "DCIM");
}

}  // namespace
}  // namespace vantorelle
