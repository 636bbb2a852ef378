// The sections of the main window and its bars: where the main window opens,
// the docking state of the bars and the Clip Collection bar's panes and tree.
#include "document/window_settings.h"

#include <gtest/gtest.h>

#include "document/document_views.h"
#include "document/file_settings_store.h"
#include "document/settings_values.h"
#include "support/temp_dir.h"

namespace vantorelle {
namespace {

using testing::TempDir;

constexpr PixelRect kWorkArea{0, 0, 1920, 1080};
constexpr const char* kBar = "ClipCollectionBar Settings";

MemorySettingsStore StoreWithWindowRect(const PixelRect& rect) {
  MemorySettingsStore store;
  SaveMainWindowRect(store, rect);
  return store;
}

TEST(MainWindowRect, IsStoredAsSixteenLittleEndianBytes) {
  MemorySettingsStore store;
  SaveMainWindowRect(store, PixelRect{-4, -4, 1028, 772});
  EXPECT_EQ(store.Read("FrameWindow", "Frame Window Rect"),
            SettingsValue(SettingsBytes{0xFC, 0xFF, 0xFF, 0xFF, 0xFC, 0xFF, 0xFF, 0xFF, 0x04, 0x04, 0x00, 0x00, 0x04,
                                        0x03, 0x00, 0x00}));
  EXPECT_EQ(ReadSettingsRect(store, "FrameWindow", "Frame Window Rect"), (PixelRect{-4, -4, 1028, 772}));
}

TEST(MainWindowRect, AStoredRectangleThatFitsIsUsedAsItIs) {
  const PixelRect stored{100, 50, 1300, 950};
  EXPECT_EQ(LoadMainWindowRect(StoreWithWindowRect(stored), false, kWorkArea), stored);
  EXPECT_EQ(MainWindowPlacement(StoreWithWindowRect(stored), false, kWorkArea), stored);
  // Exactly the work area's size still fits, wherever it is placed.
  const PixelRect full{10, 20, 1930, 1100};
  EXPECT_EQ(LoadMainWindowRect(StoreWithWindowRect(full), false, kWorkArea), full);
}

TEST(MainWindowRect, OnePixelTooLargeFallsBackToTheCentredDefault) {
  const PixelRect centred{48, 27, 48 + 1824, 27 + 1026};
  ASSERT_EQ(DefaultMainWindowRect(kWorkArea), centred);
  const MemorySettingsStore wider = StoreWithWindowRect(PixelRect{0, 0, 1921, 800});
  EXPECT_FALSE(LoadMainWindowRect(wider, false, kWorkArea));
  EXPECT_EQ(MainWindowPlacement(wider, false, kWorkArea), centred);
  const MemorySettingsStore taller = StoreWithWindowRect(PixelRect{0, 0, 800, 1081});
  EXPECT_FALSE(LoadMainWindowRect(taller, false, kWorkArea));
  EXPECT_EQ(MainWindowPlacement(taller, false, kWorkArea), centred);
  // The size is measured against the work area, not the screen: a task bar
  // along the top leaves 1040 rows.
  const PixelRect belowTaskBar{0, 40, 1920, 1080};
  EXPECT_FALSE(LoadMainWindowRect(StoreWithWindowRect(PixelRect{0, 40, 1000, 1081}), false, belowTaskBar));
  EXPECT_EQ(MainWindowPlacement(MemorySettingsStore{}, false, belowTaskBar), (PixelRect{48, 66, 1872, 1054}));
}

TEST(MainWindowRect, NegativeCoordinatesAreRejected) {
  // A maximized window, and one closed while minimized to an icon.
  for (const PixelRect& rect : {PixelRect{-4, -4, 1028, 772}, PixelRect{-32000, -32000, -31840, -31969},
                                PixelRect{10, -1, 500, 400}, PixelRect{-1, 10, 500, 400}}) {
    EXPECT_FALSE(LoadMainWindowRect(StoreWithWindowRect(rect), false, kWorkArea))
        << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
  }
}

TEST(MainWindowRect, EmptyRectanglesAreRejected) {
  EXPECT_FALSE(LoadMainWindowRect(StoreWithWindowRect(PixelRect{500, 100, 100, 600}), false, kWorkArea));
  EXPECT_FALSE(LoadMainWindowRect(StoreWithWindowRect(PixelRect{100, 100, 100, 600}), false, kWorkArea));
  EXPECT_FALSE(LoadMainWindowRect(StoreWithWindowRect(PixelRect{100, 600, 500, 100}), false, kWorkArea));
}

TEST(MainWindowRect, FirstRunMissingAndMalformedValuesGiveNothing) {
  const PixelRect stored{100, 50, 1300, 950};
  EXPECT_FALSE(LoadMainWindowRect(StoreWithWindowRect(stored), true, kWorkArea));
  EXPECT_EQ(MainWindowPlacement(StoreWithWindowRect(stored), true, kWorkArea), DefaultMainWindowRect(kWorkArea));
  EXPECT_FALSE(LoadMainWindowRect(MemorySettingsStore{}, false, kWorkArea));

  MemorySettingsStore store;
  SettingsBytes bytes = RectBytes(stored);
  bytes.pop_back();
  store.Write("FrameWindow", "Frame Window Rect", bytes);
  EXPECT_FALSE(LoadMainWindowRect(store, false, kWorkArea));
  store.Write("FrameWindow", "Frame Window Rect", std::int32_t{100});
  EXPECT_FALSE(LoadMainWindowRect(store, false, kWorkArea));
  bytes = RectBytes(stored);
  bytes.resize(kSettingsBufferSize + 1);
  store.Write("FrameWindow", "Frame Window Rect", bytes);
  EXPECT_FALSE(LoadMainWindowRect(store, false, kWorkArea));
  // Bytes after the rectangle are not looked at.
  bytes.resize(20);
  store.Write("FrameWindow", "Frame Window Rect", bytes);
  EXPECT_EQ(LoadMainWindowRect(store, false, kWorkArea), stored);
}

TEST(DockState, RecordIsTheStateThenTheRectangle) {
  MemorySettingsStore store;
  const CDockPlateState floating{DockBarState::Floating, PixelRect{-200, 10, 100, 400}};
  SaveDockState(store, kProjectViewerDockStateValue, floating);
  const auto bytes = std::get<SettingsBytes>(*store.Read("DockState", "ProjectViewer Dock State"));
  ASSERT_EQ(bytes.size(), 20u);
  EXPECT_EQ(SettingsBytes(bytes.begin(), bytes.begin() + 4), (SettingsBytes{0, 0, 0, 0}));
  EXPECT_EQ(SettingsBytes(bytes.begin() + 4, bytes.end()), RectBytes(floating.rect));
  // A floating bar may sit on a screen left of the main one.
  EXPECT_EQ(LoadDockState(store, kProjectViewerDockStateValue), floating);

  const CDockPlateState hidden{DockBarState::Hidden, PixelRect{0, 0, 300, 200}};
  SaveDockState(store, kProjectViewerDockStateValue, hidden);
  EXPECT_EQ(LoadDockState(store, kProjectViewerDockStateValue), hidden);
  EXPECT_FALSE(LoadDockState(store, "Other Bar Dock State"));
}

TEST(DockState, ShortRecordsAndUnknownStatesGiveNothing) {
  MemorySettingsStore store;
  SettingsBytes bytes = DockPlateStateBytes(CDockPlateState{DockBarState::Docked, PixelRect{1, 2, 3, 4}});
  bytes.pop_back();
  store.Write("DockState", "ProjectViewer Dock State", bytes);
  EXPECT_FALSE(LoadDockState(store, kProjectViewerDockStateValue));
  bytes.push_back(0);
  bytes[0] = 3;
  store.Write("DockState", "ProjectViewer Dock State", bytes);
  EXPECT_FALSE(LoadDockState(store, kProjectViewerDockStateValue));
  bytes[0] = 0xFF;  // -1 as all four bytes
  bytes[1] = bytes[2] = bytes[3] = 0xFF;
  store.Write("DockState", "ProjectViewer Dock State", bytes);
  EXPECT_FALSE(LoadDockState(store, kProjectViewerDockStateValue));
}

ClipCollectionBarSettings ChangedBarSettings() {
  ClipCollectionBarSettings settings;
  settings.dockState = DockBarState::Floating;
  settings.topLeft = BarPoint{-120, 40};
  settings.verticalSize = BarSize{310, 620};
  settings.horizontalSize = BarSize{900, 250};
  settings.floatingSize = BarSize{640, 480};
  settings.treePaneCheck = 0;
  settings.fileViewerPaneCheck = 1;
  settings.clipColPaneCheck = 1;
  settings.treePaneWidth = -1;
  settings.fileViewerPaneWidth = 260;
  settings.clipColPaneWidth = 380;
  settings.treeNodes = {CTreeNodeInfo{"/media/clips", 1}, CTreeNodeInfo{"/media/stills", 0}};
  return settings;
}

TEST(ClipCollectionBarSection, MissingSectionGivesEveryDefault) {
  const ClipCollectionBarSettings settings = LoadClipCollectionBarSettings(MemorySettingsStore{});
  EXPECT_EQ(settings.dockState, DockBarState::Docked);
  EXPECT_EQ(settings.topLeft, (BarPoint{0, 0}));
  EXPECT_EQ(settings.verticalSize, (BarSize{300, 100}));
  EXPECT_EQ(settings.horizontalSize, (BarSize{300, 100}));
  EXPECT_EQ(settings.floatingSize, (BarSize{300, 100}));
  EXPECT_EQ(settings.treePaneCheck, 1);
  EXPECT_EQ(settings.fileViewerPaneCheck, 1);
  EXPECT_EQ(settings.clipColPaneCheck, 1);
  EXPECT_EQ(settings.treePaneWidth, 150);
  EXPECT_EQ(settings.fileViewerPaneWidth, 200);
  EXPECT_EQ(settings.clipColPaneWidth, 0);
  EXPECT_TRUE(settings.treeNodes.empty());
}

TEST(ClipCollectionBarSection, EveryValueSurvivesARoundTrip) {
  MemorySettingsStore store;
  SaveClipCollectionBarSettings(store, ChangedBarSettings());
  EXPECT_EQ(store.Read(kBar, "VrtSZ"), SettingsValue(SettingsBytes{2, 0, 0x36, 1, 0, 0, 0x6C, 2, 0, 0}));
  EXPECT_EQ(store.Read(kBar, "Tree Dirs Number"), SettingsValue(std::int32_t{2}));
  EXPECT_EQ(LoadClipCollectionBarSettings(store), ChangedBarSettings());
}

TEST(ClipCollectionBarSection, DockingValuesFallBackOneByOne) {
  MemorySettingsStore store;
  WriteSettingsNumber(store, kBar, "Dock State", 2);
  WriteSettingsNumberList(store, kBar, "VrtSZ", {400, 700});
  // A pair of three numbers is no pair.
  WriteSettingsNumberList(store, kBar, "FloatSZ", {1, 2, 3});
  const ClipCollectionBarSettings settings = LoadClipCollectionBarSettings(store);
  EXPECT_EQ(settings.dockState, DockBarState::Hidden);
  EXPECT_EQ(settings.verticalSize, (BarSize{400, 700}));
  EXPECT_EQ(settings.topLeft, (BarPoint{0, 0}));
  EXPECT_EQ(settings.horizontalSize, (BarSize{300, 100}));
  EXPECT_EQ(settings.floatingSize, (BarSize{300, 100}));

  WriteSettingsNumber(store, kBar, "Dock State", 5);
  EXPECT_EQ(LoadClipCollectionBarSettings(store).dockState, DockBarState::Docked);
}

TEST(ClipCollectionBarSection, PaneValuesAreTakenOnlyAllSixTogether) {
  const char* const paneValues[] = {"TreePaneCheck",  "FileViewerPaneCheck", "ClipColPaneCheck",
                                    "TreePaneWidth", "FileViewerPaneWidth", "ClipColPaneWidth"};
  for (const char* missing : paneValues) {
    SCOPED_TRACE(missing);
    MemorySettingsStore store;
    SaveClipCollectionBarSettings(store, ChangedBarSettings());
    store.Remove(kBar, missing);
    const ClipCollectionBarSettings settings = LoadClipCollectionBarSettings(store);
    const ClipCollectionBarSettings defaults;
    EXPECT_EQ(settings.treePaneCheck, defaults.treePaneCheck);
    EXPECT_EQ(settings.fileViewerPaneCheck, defaults.fileViewerPaneCheck);
    EXPECT_EQ(settings.clipColPaneCheck, defaults.clipColPaneCheck);
    EXPECT_EQ(settings.treePaneWidth, defaults.treePaneWidth);
    EXPECT_EQ(settings.fileViewerPaneWidth, defaults.fileViewerPaneWidth);
    EXPECT_EQ(settings.clipColPaneWidth, defaults.clipColPaneWidth);
    // The rest of the section is read as usual.
    EXPECT_EQ(settings.floatingSize, ChangedBarSettings().floatingSize);
    EXPECT_EQ(settings.treeNodes, ChangedBarSettings().treeNodes);
  }
}

TEST(ClipCollectionBarSection, TreeNodesNeedTheirNumberAndBothLists) {
  const std::vector<CTreeNodeInfo> nodes = ChangedBarSettings().treeNodes;
  const auto load = [](const MemorySettingsStore& store) { return LoadClipCollectionBarSettings(store).treeNodes; };
  MemorySettingsStore store;
  SaveClipCollectionBarSettings(store, ChangedBarSettings());
  ASSERT_EQ(load(store), nodes);

  MemorySettingsStore noNumber = store;
  noNumber.Remove(kBar, "Tree Dirs Number");
  EXPECT_TRUE(load(noNumber).empty());
  MemorySettingsStore zero = store;
  WriteSettingsNumber(zero, kBar, "Tree Dirs Number", 0);
  EXPECT_TRUE(load(zero).empty());
  MemorySettingsStore negative = store;
  WriteSettingsNumber(negative, kBar, "Tree Dirs Number", -3);
  EXPECT_TRUE(load(negative).empty());

  MemorySettingsStore noFlags = store;
  noFlags.Remove(kBar, "TreeDir Expansions");
  EXPECT_TRUE(load(noFlags).empty());
  MemorySettingsStore badPaths = store;
  badPaths.Write(kBar, "TreeDir Paths", SettingsBytes{2, 0, 12, 'x'});  // a text longer than its value
  EXPECT_TRUE(load(badPaths).empty());

  // The number and the two lists are cut to the shortest.
  MemorySettingsStore fewer = store;
  WriteSettingsNumber(fewer, kBar, "Tree Dirs Number", 1);
  EXPECT_EQ(load(fewer), std::vector<CTreeNodeInfo>{nodes[0]});
  MemorySettingsStore more = store;
  WriteSettingsNumber(more, kBar, "Tree Dirs Number", 9);
  EXPECT_EQ(load(more), nodes);
  MemorySettingsStore shortFlags = store;
  WriteSettingsNumberList(shortFlags, kBar, "TreeDir Expansions", {1});
  EXPECT_EQ(load(shortFlags), std::vector<CTreeNodeInfo>{nodes[0]});
}

TEST(ClipCollectionBarSection, ADeepTreeKeepsTheNodesThatFitTheReader) {
  ClipCollectionBarSettings settings;
  for (int i = 0; i < 100; ++i) settings.treeNodes.push_back(CTreeNodeInfo{std::string(200, 'a' + i % 26), i % 2});
  MemorySettingsStore store;
  SaveClipCollectionBarSettings(store, settings);
  const auto paths = std::get<SettingsBytes>(*store.Read(kBar, "TreeDir Paths"));
  EXPECT_LE(paths.size(), kSettingsBufferSize);
  // 2 count bytes, then 201 bytes a path: 20 paths fit in 4096 bytes.
  EXPECT_EQ(store.Read(kBar, "Tree Dirs Number"), SettingsValue(std::int32_t{20}));
  const auto loaded = LoadClipCollectionBarSettings(store).treeNodes;
  EXPECT_EQ(loaded, std::vector<CTreeNodeInfo>(settings.treeNodes.begin(), settings.treeNodes.begin() + 20));

  // A shorter tree written later replaces the lists entirely.
  SaveClipCollectionBarSettings(store, ClipCollectionBarSettings{});
  EXPECT_EQ(store.Read(kBar, "TreeDir Paths"), SettingsValue(SettingsBytes{0, 0}));
  EXPECT_TRUE(LoadClipCollectionBarSettings(store).treeNodes.empty());
}

TEST(WindowSections, AllThreeSurviveIntoTheSecondRun) {
  TempDir temp;
  const PixelRect window{60, 30, 1660, 930};
  const CDockPlateState viewer{DockBarState::Floating, PixelRect{1700, 100, 1900, 600}};
  {
    FileSettingsStore store(temp.Path());
    SaveMainWindowRect(store, window);
    SaveDockState(store, kProjectViewerDockStateValue, viewer);
    SaveClipCollectionBarSettings(store, ChangedBarSettings());
  }
  FileSettingsStore second(temp.Path());
  EXPECT_EQ(LoadMainWindowRect(second, !second.SettingsKeyExists(), kWorkArea), window);
  EXPECT_EQ(LoadDockState(second, kProjectViewerDockStateValue), viewer);
  EXPECT_EQ(LoadClipCollectionBarSettings(second), ChangedBarSettings());
}

}  // namespace
}  // namespace vantorelle
