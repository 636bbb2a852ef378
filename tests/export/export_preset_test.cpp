#include "export/export_preset.h"

#include <gtest/gtest.h>

#include <set>

namespace vantorelle {
namespace {

TEST(ExportPresetTest, EveryNameFindsItsPresetAndNamesAreUnique) {
  std::set<std::string_view> names;
  for (const ExportPreset& preset : ExportPresets()) {
    EXPECT_TRUE(names.insert(preset.name).second) << preset.name;
    ASSERT_EQ(ExportPresetNamed(preset.name), preset.id) << preset.name;
    EXPECT_EQ(&ExportPresetOf(preset.id), &preset);
  }
  EXPECT_EQ(ExportPresets().size(), 8u);
  EXPECT_EQ(ExportPresetNamed("mov"), std::nullopt);
  EXPECT_EQ(ExportPresetNamed(""), std::nullopt);
  EXPECT_EQ(ExportPresetNames(), "mp4, mp4-half, prores, avi, webm, wav, flac, png");
}

TEST(ExportPresetTest, QualityMapsOntoEachScaleBothWaysAndStaysInRange) {
  const ExportPreset& mp4 = ExportPresetOf(ExportPresetId::Mp4);
  EXPECT_EQ(CrfOfQuality(mp4, 100), mp4.bestCrf);
  EXPECT_EQ(CrfOfQuality(mp4, 0), mp4.worstCrf);
  EXPECT_EQ(CrfOfQuality(mp4, 250), mp4.bestCrf);
  EXPECT_EQ(CrfOfQuality(mp4, -4), mp4.worstCrf);
  for (const ExportPreset& preset : ExportPresets()) {
    if (!preset.TakesQuality()) {
      EXPECT_EQ(CrfOfQuality(preset, 50), 0) << preset.name;
      EXPECT_FALSE(CrfInRange(preset, 20)) << preset.name;
      continue;
    }
    EXPECT_TRUE(CrfInRange(preset, preset.defaultCrf)) << preset.name;
    EXPECT_EQ(CrfOfQuality(preset, QualityOfCrf(preset, preset.defaultCrf)), preset.defaultCrf) << preset.name;
    // A better quality never gives a worse factor.
    for (int quality = 1; quality <= 100; ++quality) {
      EXPECT_LE(CrfOfQuality(preset, quality), CrfOfQuality(preset, quality - 1)) << preset.name;
    }
  }
  EXPECT_FALSE(CrfInRange(mp4, 51));
  EXPECT_TRUE(CrfInRange(mp4, 35));
}

TEST(ExportPresetTest, HalfSizeIsEvenAndOtherPresetsKeepTheFrame) {
  const ExportPreset& half = ExportPresetOf(ExportPresetId::Mp4Half);
  const ExportFrameSize hd = ExportFrameSizeOf(half, 1920, 1080);
  EXPECT_EQ(hd.width, 960);
  EXPECT_EQ(hd.height, 540);
  const ExportFrameSize odd = ExportFrameSizeOf(half, 1278, 718);  // halves 639 and 359
  EXPECT_EQ(odd.width, 638);
  EXPECT_EQ(odd.height, 358);
  const ExportFrameSize whole = ExportFrameSizeOf(ExportPresetOf(ExportPresetId::Mp4), 1278, 718);
  EXPECT_EQ(whole.width, 1278);
  EXPECT_EQ(whole.height, 718);
}

TEST(ExportPresetTest, ProposedPathTakesTheProjectsNameOrUntitled) {
  const ExportPreset& prores = ExportPresetOf(ExportPresetId::ProRes);
  EXPECT_EQ(ProposedExportPath(prores, "/films/holiday.vrp", "/home/ann"), "/films/holiday.mov");
  EXPECT_EQ(ProposedExportPath(prores, "/films/holiday.cut.vrp", "/home/ann"), "/films/holiday.cut.mov");
  EXPECT_EQ(ProposedExportPath(prores, "", "/home/ann"), "/home/ann/Untitled.mov");
}

}  // namespace
}  // namespace vantorelle
