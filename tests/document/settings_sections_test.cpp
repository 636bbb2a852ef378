// The settings sections a document reads when it is made and writes when it
// goes: their defaults, their partial-value rules and their records.
#include <gtest/gtest.h>

#include "document/document_settings.h"
#include "document/layout_settings.h"
#include "document/settings_values.h"
#include "support/temp_dir.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::TempDir;
using testing::VideoStandardScope;

TEST(DocumentSettingsSection, FirstRunAndMissingSectionGiveEveryDefault) {
  MemorySettingsStore store;
  DocumentSettings stored;
  stored.times.projectSize = 99000.0;
  SaveDocumentSettings(store, stored);
  // On a first run nothing is read even though values exist.
  const DocumentSettings first = LoadDocumentSettings(store, true);
  EXPECT_EQ(first.times.projectSize, 20000.0);
  EXPECT_EQ(first.workArea, (WorkArea{11000.0, 14000.0}));
  EXPECT_EQ(first.preferences.snapshotsType, 0x0204);
  EXPECT_EQ(first.preferences.undoDepth, 100);
  EXPECT_EQ(first.colours.outline[3], Rgb(55, 196, 80));
  EXPECT_EQ(first.colours.fill[5], Rgb(140, 140, 0));
  EXPECT_EQ(LoadDocumentSettings(MemorySettingsStore{}, false).durations.liveDuration, 15000.0);
}

TEST(DocumentSettingsSection, EveryValueSurvivesARoundTrip) {
  DocumentSettings settings;
  settings.preferences.loadClipFilterIndex = 3;
  settings.preferences.undoDepth = 7;
  settings.preferences.timeDisplayMode = 2;
  settings.preferences.snapshotsType = 0x0101;
  settings.preferences.firstVisibleTrack = 4;
  settings.preferences.dirViewFilterIndex = 2;
  settings.times = ProjectTimes{1234.0, 100.0, 900.0, 60000.0};
  settings.workArea = WorkArea{500.0, 2500.0};
  settings.durations.stillImageDuration = 3000.0;
  settings.colours.outline[0] = Rgb(1, 2, 3);
  MemorySettingsStore store;
  SaveDocumentSettings(store, settings);
  EXPECT_EQ(std::get<SettingsBytes>(*store.Read("Document", "SelColorAV")), (SettingsBytes{1, 2, 3}));

  const DocumentSettings read = LoadDocumentSettings(store, false);
  EXPECT_EQ(read.preferences.loadClipFilterIndex, 3);
  EXPECT_EQ(read.preferences.undoDepth, 7);
  EXPECT_EQ(read.preferences.timeDisplayMode, 2);
  EXPECT_EQ(read.preferences.snapshotsType, 0x0101);
  EXPECT_EQ(read.preferences.firstVisibleTrack, 4);
  EXPECT_EQ(read.preferences.dirViewFilterIndex, 2);
  EXPECT_EQ(read.times.timeMark, 1234.0);
  EXPECT_EQ(read.times.rangeStart, 100.0);
  EXPECT_EQ(read.times.rangeStop, 900.0);
  EXPECT_EQ(read.times.projectSize, 60000.0);
  EXPECT_EQ(read.workArea, (WorkArea{500.0, 2500.0}));
  EXPECT_EQ(read.durations.stillImageDuration, 3000.0);
  EXPECT_EQ(read.colours.outline[0], Rgb(1, 2, 3));
}

TEST(DocumentSettingsSection, PartialValuesFollowTheirGroupRules) {
  MemorySettingsStore store;
  SaveDocumentSettings(store, DocumentSettings{});
  WriteSettingsDouble(store, "Document", "Project Size", 50000.0);
  WriteSettingsDouble(store, "Document", "Work Area Start", 100.0);
  store.Remove("Document", "Work Area Stop");  // the three go together
  WriteSettingsDouble(store, "Document", "Range Start", 40.0);
  store.Remove("Document", "Range Stop");       // and the two of the range
  store.Remove("Document", "BkgColorAU");       // a missing colour is black
  store.Write("Document", "Time Mark", SettingsBytes(9, 0));  // a double of 9 bytes is missing
  WriteSettingsNumber(store, "Document", "Snapshots Type", 0x12340204);

  const DocumentSettings read = LoadDocumentSettings(store, false);
  EXPECT_EQ(read.times.projectSize, 20000.0);
  EXPECT_EQ(read.workArea, WorkArea{});
  EXPECT_EQ(read.times.rangeStart, 0.0);
  EXPECT_EQ(read.colours.fill[3], 0u);
  EXPECT_EQ(read.colours.fill[2], Rgb(255, 255, 200));
  EXPECT_EQ(read.times.timeMark, 0.0);
  EXPECT_EQ(read.preferences.snapshotsType, 0x0204);
}

TEST(TrackListSection, RecordsRoundTripAndAnyGapFailsTheWholeList) {
  CTrack movable(TrackTypes::TitleMovable, 48);
  movable.name = "Title track(movable) number 1";
  movable.playState = PlayState::Mute;
  movable.regionTop = 150;
  movable.regionWidth = 500;
  movable.maxSpeed = 1.5;
  movable.precision = 2;
  movable.fadeIn = 80.0;
  movable.volume = 0.5;
  const SettingsBytes record = TrackRecordBytes(movable);
  // type, height, state, name (1 + 29), shown, region ×4, speed, direction,
  // precision, reserved number, reserved text (1), fades and volume.
  EXPECT_EQ(record.size(), 4u + 4 + 4 + 30 + 4 + 16 + 8 + 4 + 4 + 4 + 1 + 24);
  CTrack read(0, 0);
  ASSERT_TRUE(ReadTrackRecord(record, read));
  EXPECT_EQ(read.type, TrackTypes::TitleMovable);
  EXPECT_EQ(read.name, movable.name);
  EXPECT_EQ(read.playState, PlayState::Mute);
  EXPECT_EQ(read.regionTop, 150);
  EXPECT_EQ(read.maxSpeed, 1.5);
  EXPECT_EQ(read.precision, 2);
  EXPECT_EQ(read.fadeIn, 80.0);
  EXPECT_EQ(read.volume, 0.5);
  EXPECT_FALSE(ReadTrackRecord(SettingsBytes(record.begin(), record.end() - 1), read));

  MemorySettingsStore store;
  EXPECT_FALSE(LoadTrackList(store, false));
  std::vector<std::unique_ptr<CTrack>> tracks;
  tracks.push_back(std::make_unique<CTrack>(TrackTypes::Video, 24));
  tracks.push_back(std::make_unique<CTrack>(TrackTypes::Audio, 96));
  SaveTrackList(store, tracks);
  auto loaded = LoadTrackList(store, false);
  ASSERT_TRUE(loaded);
  ASSERT_EQ(loaded->size(), 2u);
  EXPECT_EQ((*loaded)[1]->type, TrackTypes::Audio);
  EXPECT_EQ((*loaded)[1]->height, 96);
  EXPECT_FALSE(LoadTrackList(store, true));  // a first run reads nothing

  WriteSettingsNumber(store, "Tracks Array", "Track Array Count", 3);  // more than stored
  EXPECT_FALSE(LoadTrackList(store, false));
  WriteSettingsNumber(store, "Tracks Array", "Track Array Count", 0);
  loaded = LoadTrackList(store, false);
  ASSERT_TRUE(loaded);
  EXPECT_TRUE(loaded->empty());
}

TEST(FavouriteDirectoriesSection, FoldersThatAreGoneOrUnnamedAreDropped) {
  TempDir folder;
  const std::string kept = folder.Path().string();
  std::vector<CFvrDirObject> directories{{kept, "Footage", 2},
                                         {kept + "/gone", "Gone", 1},
                                         {kept, "", 0}};
  MemorySettingsStore store;
  SaveFavouriteDirectories(store, directories);
  EXPECT_EQ(LoadFavouriteDirectories(store), (std::vector<CFvrDirObject>{{kept, "Footage", 2}}));
  SaveFavouriteDirectories(store, {});
  EXPECT_EQ(ReadSettingsNumber(store, "SrcCollection FwrDirs", "Favourite Dir Number", -1), 0);
  EXPECT_TRUE(LoadFavouriteDirectories(store).empty());
}

TEST(FrameParamsSection, AllFiveValuesOrNone) {
  VideoStandardScope scope(VideoStandardScope::Ntsc());
  MemorySettingsStore store;
  SaveVideoStandard(store);
  SetVideoStandard(VideoStandard{});
  store.Remove("Frame Params", "Start Delay");
  EXPECT_FALSE(LoadVideoStandard(store));
  EXPECT_EQ(CurrentVideoStandard().FrameHeight, 576);
  WriteSettingsDouble(store, "Frame Params", "Start Delay", 300.0);
  EXPECT_TRUE(LoadVideoStandard(store));
  EXPECT_EQ(CurrentVideoStandard().FrameHeight, 480);
  EXPECT_EQ(CurrentVideoStandard().StartDelay, 300.0);
  // A stored zero frame length would break every frame computation.
  WriteSettingsDouble(store, "Frame Params", "Frame Delta", 0.0);
  SetVideoStandard(VideoStandard{});
  EXPECT_FALSE(LoadVideoStandard(store));
  EXPECT_EQ(CurrentVideoStandard().FrameDelta, 40.0);
}

}  // namespace
}  // namespace vantorelle

namespace vantorelle {
namespace {

TEST(SettingsValueBytes, ColoursAndDoublesAreStoredAsTheirBareBytes) {
  MemorySettingsStore store;
  WriteSettingsColour(store, "Document", "SelColorAV", 0x8080FF);
  EXPECT_EQ(store.Read("Document", "SelColorAV"), SettingsValue(SettingsBytes{0xFF, 0x80, 0x80}));
  EXPECT_EQ(ReadSettingsColour(store, "Document", "SelColorAV"), 0x8080FFu);
  // The fourth byte of a colour is always 0 once read back.
  WriteSettingsColour(store, "Document", "BkgColorTS", 0xAB123456);
  EXPECT_EQ(ReadSettingsColour(store, "Document", "BkgColorTS"), 0x123456u);

  WriteSettingsDouble(store, "Document", "Frame Delta", 40.0);
  EXPECT_EQ(store.Read("Document", "Frame Delta"),
            SettingsValue(SettingsBytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x44, 0x40}));
  // Shorter than its envelope, or a number where bytes belong: missing.
  store.Write("Document", "Start Delay", SettingsBytes{0x00, 0x00, 0x44, 0x40});
  EXPECT_FALSE(ReadSettingsDouble(store, "Document", "Start Delay"));
  store.Write("Document", "Live duration", std::int32_t{40});
  EXPECT_EQ(ReadSettingsDouble(store, "Document", "Live duration", 7.0), 7.0);
  store.Write("Document", "SelColorAV", SettingsBytes{0xFF, 0x80});
  EXPECT_FALSE(ReadSettingsColour(store, "Document", "SelColorAV"));
}

}  // namespace
}  // namespace vantorelle
