// The Clip Collection list as a model: cell texts, column widths and
// visibility, every sort code in both directions, header clicks, "Arrange",
// the menu commands and the status texts of highlighted items.
#include "collection/clip_list_model.h"

#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "collection/clip_list_sorting.h"
#include "collection/clip_list_status_text.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;

std::unique_ptr<CSrc> Source(const std::string& path, TimeMs duration, std::int32_t usage, std::uint32_t size,
                             const std::string& modified) {
  auto source = std::make_unique<CSrc>(path, path.substr(path.find_last_of('/') + 1));
  source->duration = duration;
  source->usageCount = usage;
  source->size = size;
  source->modified = modified;
  source->icon = SourceIcon::Movie;
  return source;
}

// Seven pixels a character: widths become checkable numbers.
int SevenPerCharacter(const std::string& text) { return 7 * static_cast<int>(text.size()); }

struct ClipListFixture : ::testing::Test {
  ClipListFixture() {
    owned.push_back(Source("/m/beta.avi", 2500.0, 2, 4096, "03/04/2025 10:00:00"));
    owned.push_back(Source("/a/Alpha.wav", 61000.0, 0, 900, "03/04/2025 09:59:59"));
    owned.push_back(Source("/z/alpha.txt", 2500.7, 5, 3u * 1024u * 1024u * 1024u, "01/01/2026 00:00:00"));
    owned.push_back(Source("/b/gamma.avi", 2499.9, 2, 4096, "31/12/2024 23:59:59"));
    for (const auto& source : owned) sources.push_back(source.get());
    list.Rebuild(sources);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& row : list.Rows()) names.push_back(row.source->name);
    return names;
  }

  testing::VideoStandardScope pal{VideoStandard{}};
  std::vector<std::unique_ptr<CSrc>> owned;
  std::vector<CSrc*> sources;
  CClipList list{SevenPerCharacter};
};

TEST_F(ClipListFixture, RowsFollowTheSourcesWithTheirSevenTexts) {
  ASSERT_EQ(list.RowCount(), 4);
  EXPECT_THAT(list.Rows()[0].texts, ElementsAre("beta.avi", "/m/beta.avi", "2:500", "2", "4 Kb",
                                                "03/04/2025 10:00:00", "Video Clip"));
  EXPECT_THAT(list.Rows()[1].texts, ElementsAre("Alpha.wav", "/a/Alpha.wav", "1:01:000", "0", "900 Bytes",
                                                "03/04/2025 09:59:59", "wav file"));
  EXPECT_EQ(list.Rows()[2].texts[ClipListColumn::Type], "Text Document");
  EXPECT_EQ(list.Rows()[2].texts[ClipListColumn::FileSize], "3145728 Kb");
  EXPECT_EQ(list.Rows()[0].icon, SourceIcon::Movie);
  EXPECT_EQ(list.SourceAt(3), sources[3]);
  EXPECT_EQ(list.SourceAt(4), nullptr);
  EXPECT_EQ(list.SourceAt(-1), nullptr);
  EXPECT_EQ(ClipListColumnTitle(ClipListColumn::Modified), "Modified");
  EXPECT_EQ(ClipListCellText(*sources[0], 7), "");
}

TEST_F(ClipListFixture, AnOfflineSourceSaysSoAfterItsName) {
  sources[1]->offline = true;
  EXPECT_EQ(ClipListCellText(*sources[1], ClipListColumn::FileName), "Alpha.wav (offline)");
  EXPECT_EQ(ClipListCellText(*sources[1], ClipListColumn::FilePath), "/a/Alpha.wav");
  EXPECT_EQ(ClipListCellText(*sources[0], ClipListColumn::FileName), "beta.avi");
}

TEST_F(ClipListFixture, ColumnsAreTitlePlusFiftyWideAndHiddenOnesZeroButNeverTheFirst) {
  EXPECT_EQ(list.ColumnWidth(ClipListColumn::FileName), 7 * 9 + 50);  // "File name"
  EXPECT_EQ(list.ColumnWidth(ClipListColumn::Usage), 7 * 5 + 50);
  EXPECT_EQ(list.ColumnWidth(7), 0);

  EXPECT_TRUE(list.RunMenuCommand(ClipListMenuCommand::FirstShowColumn + ClipListColumn::Usage));
  EXPECT_FALSE(list.IsColumnShown(ClipListColumn::Usage));
  EXPECT_EQ(list.ColumnWidth(ClipListColumn::Usage), 0);
  EXPECT_TRUE(list.RunMenuCommand(ClipListMenuCommand::FirstShowColumn + ClipListColumn::Usage));
  EXPECT_EQ(list.ColumnWidth(ClipListColumn::Usage), 85);

  EXPECT_FALSE(list.ToggleColumn(ClipListColumn::FileName));
  list.SetColumnShown(ClipListColumn::FileName, false);
  EXPECT_TRUE(list.IsColumnShown(ClipListColumn::FileName));
  EXPECT_EQ(list.ColumnWidth(ClipListColumn::FileName), 113);
}

TEST_F(ClipListFixture, EachSortCodeOrdersBothWaysAndTiesKeepTheirOrder) {
  struct Case {
    int column;
    std::vector<std::string> ascending;
    std::vector<std::string> descending;
  };
  const std::vector<Case> cases{
      // Byte order: capitals first.
      {ClipListColumn::FileName,
       {"Alpha.wav", "alpha.txt", "beta.avi", "gamma.avi"},
       {"gamma.avi", "beta.avi", "alpha.txt", "Alpha.wav"}},
      {ClipListColumn::FilePath,
       {"Alpha.wav", "gamma.avi", "beta.avi", "alpha.txt"},
       {"alpha.txt", "beta.avi", "gamma.avi", "Alpha.wav"}},
      // 2500, 2500.7 and 2499.9 differ by less than a millisecond: ties.
      {ClipListColumn::Duration,
       {"beta.avi", "alpha.txt", "gamma.avi", "Alpha.wav"},
       {"Alpha.wav", "beta.avi", "alpha.txt", "gamma.avi"}},
      {ClipListColumn::Usage,
       {"Alpha.wav", "beta.avi", "gamma.avi", "alpha.txt"},
       {"alpha.txt", "beta.avi", "gamma.avi", "Alpha.wav"}},
      // 3 GB must not wrap below the small files.
      {ClipListColumn::FileSize,
       {"Alpha.wav", "beta.avi", "gamma.avi", "alpha.txt"},
       {"alpha.txt", "beta.avi", "gamma.avi", "Alpha.wav"}},
      {ClipListColumn::Modified,
       {"gamma.avi", "Alpha.wav", "beta.avi", "alpha.txt"},
       {"alpha.txt", "beta.avi", "Alpha.wav", "gamma.avi"}},
      // "Text Document" < "Video Clip" < "wav file".
      {ClipListColumn::Type,
       {"alpha.txt", "beta.avi", "gamma.avi", "Alpha.wav"},
       {"Alpha.wav", "beta.avi", "gamma.avi", "alpha.txt"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ClipListColumnTitle(c.column));
    list.Rebuild(sources);
    ASSERT_TRUE(list.SortByCode(AscendingSortCode(c.column)));
    EXPECT_EQ(Names(), c.ascending);
    list.Rebuild(sources);
    ASSERT_TRUE(list.SortByCode(DescendingSortCode(c.column)));
    EXPECT_EQ(Names(), c.descending);
  }
  EXPECT_EQ(AscendingSortCode(0), 1051);
  EXPECT_EQ(DescendingSortCode(6), 1064);
  EXPECT_FALSE(list.SortByCode(1050));
  EXPECT_FALSE(list.SortByCode(1065));
}

TEST(ClipListSorting, SameDayGoesByTimeOfDayAndDatesByNumberNotText) {
  CSrc morning("/a", "a");
  morning.modified = "05/12/2026 08:30:00";
  CSrc evening("/b", "b");
  evening.modified = "05/12/2026 18:00:01";
  CSrc earlierMonth("/c", "c");
  earlierMonth.modified = "30/11/2026 23:00:00";
  const int ascending = AscendingSortCode(ClipListColumn::Modified);
  EXPECT_LT(CompareSources(ascending, morning, evening), 0);
  EXPECT_GT(CompareSources(ascending + 1, morning, evening), 0);
  EXPECT_LT(CompareSources(ascending, earlierMonth, morning), 0);  // "30" > "05" as text
  EXPECT_EQ(CompareSources(ascending, morning, morning), 0);
  EXPECT_EQ(CompareSources(999, morning, evening), 0);
}

TEST_F(ClipListFixture, HeaderClicksGoAscendingDescendingAscendingAndClearOtherArrows) {
  EXPECT_TRUE(list.HeaderClick(ClipListColumn::FileName));
  EXPECT_EQ(list.SortState(ClipListColumn::FileName), ColumnSortState::Ascending);
  EXPECT_EQ(Names().front(), "Alpha.wav");
  EXPECT_TRUE(list.HeaderClick(ClipListColumn::FileName));
  EXPECT_EQ(list.SortState(ClipListColumn::FileName), ColumnSortState::Descending);
  EXPECT_EQ(Names().front(), "gamma.avi");
  EXPECT_TRUE(list.HeaderClick(ClipListColumn::FileName));
  EXPECT_EQ(list.SortState(ClipListColumn::FileName), ColumnSortState::Ascending);
  EXPECT_EQ(Names().front(), "Alpha.wav");

  EXPECT_TRUE(list.HeaderClick(ClipListColumn::Usage));
  EXPECT_EQ(list.SortState(ClipListColumn::FileName), ColumnSortState::None);
  EXPECT_EQ(list.SortedColumn(), ClipListColumn::Usage);

  list.Rebuild({sources[0]});  // fewer than two rows: no sorting
  EXPECT_FALSE(list.HeaderClick(ClipListColumn::Usage));
  EXPECT_EQ(list.SortedColumn(), std::nullopt);
}

TEST_F(ClipListFixture, ArrangeSortsAscendingAndIsGrayedForHiddenColumnsAndEmptyLists) {
  list.HeaderClick(ClipListColumn::Usage);
  list.HeaderClick(ClipListColumn::Usage);  // descending
  EXPECT_TRUE(list.RunMenuCommand(ClipListMenuCommand::FirstArrange + ClipListColumn::Usage));
  EXPECT_EQ(list.SortState(ClipListColumn::Usage), ColumnSortState::Ascending);
  EXPECT_EQ(Names().front(), "Alpha.wav");
  EXPECT_TRUE(list.MenuCommandChecked(ClipListMenuCommand::FirstArrange + ClipListColumn::Usage));
  EXPECT_FALSE(list.MenuCommandChecked(ClipListMenuCommand::FirstArrange + ClipListColumn::Type));

  list.ToggleColumn(ClipListColumn::Type);
  EXPECT_FALSE(list.ArrangeItemEnabled(ClipListColumn::Type));
  EXPECT_FALSE(list.Arrange(ClipListColumn::Type));
  EXPECT_EQ(list.SortedColumn(), ClipListColumn::Usage);

  list.Rebuild({});
  EXPECT_FALSE(list.ArrangeMenuEnabled());
  EXPECT_FALSE(list.Arrange(ClipListColumn::FileName));
}

TEST_F(ClipListFixture, SortingKeepsFocusAndSelectionWithTheirSources) {
  list.SelectOnly(0);  // beta.avi
  list.HeaderClick(ClipListColumn::FileName);
  EXPECT_EQ(list.FocusedSource(), sources[0]);
  EXPECT_EQ(list.SelectedSource(), sources[0]);
  EXPECT_THAT(list.SelectedRows(), ElementsAre(2));
}

TEST_F(ClipListFixture, ViewModesAreSetAndCheckedByTheirCommands) {
  EXPECT_EQ(list.ViewMode(), ClipListViewMode::Details);
  EXPECT_TRUE(list.RunMenuCommand(ClipListMenuCommand::SmallIcons));
  EXPECT_EQ(list.ViewMode(), ClipListViewMode::SmallIcons);
  EXPECT_TRUE(list.MenuCommandChecked(ClipListMenuCommand::SmallIcons));
  EXPECT_FALSE(list.MenuCommandChecked(ClipListMenuCommand::Details));
  list.RunMenuCommand(ClipListMenuCommand::LargeIcons);
  EXPECT_EQ(list.ViewMode(), ClipListViewMode::LargeIcons);
  list.RunMenuCommand(ClipListMenuCommand::List);
  EXPECT_EQ(list.ViewMode(), ClipListViewMode::List);
  EXPECT_FALSE(list.RunMenuCommand(32788));
}

TEST_F(ClipListFixture, StatusTextsOfHighlightedItems) {
  const CommandDescriptionLookup table = [](int id) -> std::string {
    return id == 32855 ? "Add a source file to the Clip Collection" : "";
  };
  EXPECT_EQ(ClipListStatusText(list, 32855, table), "Add a source file to the Clip Collection");
  EXPECT_EQ(ClipListStatusText(list, ClipListMenuCommand::FirstShowColumn + 2, table), "Hide Duration columnn");
  list.ToggleColumn(2);
  EXPECT_EQ(ClipListStatusText(list, ClipListMenuCommand::FirstShowColumn + 2, table), "Show Duration columnn");
  EXPECT_EQ(ClipListStatusText(list, ClipListMenuCommand::FirstArrange + 4, table), "Sort items by File size");
  EXPECT_EQ(ClipListStatusText(list, ClipListMenuCommand::List, table), "Dysplays items in a list");
  EXPECT_EQ(ClipListStatusText(list, ClipListMenuCommand::SmallIcons, table), "Dysplays items by using small icons");
  EXPECT_EQ(ClipListStatusText(list, ClipListMenuCommand::LargeIcons, table), "Dysplays items by using large icons");
  EXPECT_EQ(ClipListStatusText(list, ClipListMenuCommand::Details, table),
            "Dysplays information about each item in the window");
  EXPECT_EQ(ClipListStatusText(list, 12345, table), "Ready");
  EXPECT_EQ(ClipListStatusText(list, 12345, nullptr), "Ready");
  // The table's description wins over the list's own text.
  const CommandDescriptionLookup everything = [](int) { return std::string("from the table"); };
  EXPECT_EQ(ClipListStatusText(list, ClipListMenuCommand::List, everything), "from the table");
}

TEST_F(ClipListFixture, RowsBetweenTheFirstAndLastDraggedAreWithinTheDrag) {
  EXPECT_FALSE(list.IsWithinDraggedRows(0));
  list.BeginRowDrag({3, 1});
  EXPECT_FALSE(list.IsWithinDraggedRows(0));
  EXPECT_TRUE(list.IsWithinDraggedRows(1));
  EXPECT_TRUE(list.IsWithinDraggedRows(2));  // between, though not dragged
  EXPECT_TRUE(list.IsWithinDraggedRows(3));
  list.EndRowDrag();
  EXPECT_FALSE(list.RowDragUnderWay());
}

}  // namespace
}  // namespace vantorelle
