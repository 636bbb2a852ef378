// The recent-file list of the File menu and its round trip through the store.
#include "document/recent_files.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantorelle {
namespace {

using ::testing::ElementsAre;

TEST(RecentFileList, NewestFirstFourAtMostAndNoDuplicates) {
  RecentFileList list;
  for (const char* path : {"/p/a.vrp", "/p/b.vrp", "/p/c.vrp", "/p/d.vrp", "/p/e.vrp"}) list.Add(path);
  EXPECT_THAT(list.Paths(), ElementsAre("/p/e.vrp", "/p/d.vrp", "/p/c.vrp", "/p/b.vrp"));
  list.Add("/p/c.vrp");
  EXPECT_THAT(list.Paths(), ElementsAre("/p/c.vrp", "/p/e.vrp", "/p/d.vrp", "/p/b.vrp"));
  EXPECT_THAT(list.MenuTexts(), ElementsAre("&1 c.vrp", "&2 e.vrp", "&3 d.vrp", "&4 b.vrp"));
  list.Remove("/p/e.vrp");
  EXPECT_THAT(list.Paths(), ElementsAre("/p/c.vrp", "/p/d.vrp", "/p/b.vrp"));
}

TEST(RecentFileList, SurvivesTheStoreAndSkipsDamagedEntries) {
  MemorySettingsStore store;
  RecentFileList list;
  list.Add("/p/one.vrp");
  list.Add("/p/two.vrp");
  list.Save(store);
  RecentFileList again;
  again.Load(store);
  EXPECT_THAT(again.Paths(), ElementsAre("/p/two.vrp", "/p/one.vrp"));

  store.Write(kRecentFileSection, "File1", SettingsBytes{0xFF, 0x10});  // a length beyond the bytes
  store.Write(kRecentFileSection, "File2", std::int32_t{7});            // not text at all
  again.Load(store);
  EXPECT_TRUE(again.Paths().empty());
}

}  // namespace
}  // namespace vantorelle
