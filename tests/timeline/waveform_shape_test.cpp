// How a sound clip is drawn: its level line bends to zero over the fades, and
// the waveform under it shows the stretch of the source the clip plays,
// scaled by the clip's level and following the fades.
#include <gtest/gtest.h>

#include <algorithm>

#include "model/track.h"
#include "support/timeline_fixtures.h"
#include "timeline/level_line.h"
#include "timeline/waveform_shape.h"

namespace vantorelle {
namespace {

// 10 ms a pixel over 0 … 10 s; rows 96 pixels high ending at y = 200.
constexpr int kRowBottom = 200;
constexpr int kRowHeight = 96;
constexpr int kZero = kRowBottom - 2;
const WorkAreaView kView(WorkArea{0.0, 10000.0}, 1001);
const PixelRect kRoomy{0, 0, 1001, 400};

class SoundClip : public ::testing::Test {
 protected:
  CFilm& Clip(TimeMs start, TimeMs duration, TimeMs fadeIn, TimeMs fadeOut, double volume) {
    CFilm& clip = testing::PlaceClip(track_, start, duration, SourceFlags::MovieFile | SourceFlags::AudioStream);
    clip.fadeIn = fadeIn;
    clip.fadeOut = fadeOut;
    clip.volume = volume;
    return clip;
  }
  static std::vector<LinePoint> Points(const LevelLine& line) {
    return {line.points.begin(), line.points.begin() + line.count};
  }

  CTrack track_{TrackTypes::Audio, kRowHeight};
};

TEST_F(SoundClip, TheLevelLineRisesOverTheFadeInAndFallsOverTheFadeOut) {
  // Level 0.5: 38 pixels above the zero line.
  CFilm& clip = Clip(1000.0, 4000.0, 500.0, 1000.0, 0.5);
  const int level = kZero - 38;
  LevelLine line = LevelLineOf(clip, kView, kRowBottom, kRowHeight);
  EXPECT_EQ(Points(line), (std::vector<LinePoint>{{100, kZero}, {150, level}, {400, level}, {499, kZero}}));
  EXPECT_EQ(line.YAt(125), kZero - 19);
  EXPECT_EQ(line.YAt(300), level);
  EXPECT_EQ(line.YAt(499), kZero);

  // No fades: flat from end to end.
  clip.fadeIn = clip.fadeOut = 0.0;
  EXPECT_EQ(Points(LevelLineOf(clip, kView, kRowBottom, kRowHeight)),
            (std::vector<LinePoint>{{100, level}, {499, level}}));

  // The track's fades where the clip borrows them; overlapping ones meet
  // below the level, where their ramps cross (2/3 of the way up at 3 s).
  track_.fadeIn = track_.fadeOut = 3000.0;
  clip.useTrackFadeIn = clip.useTrackFadeOut = 1;
  EXPECT_EQ(Points(LevelLineOf(clip, kView, kRowBottom, kRowHeight)),
            (std::vector<LinePoint>{{100, kZero}, {300, kZero - 25}, {499, kZero}}));
}

TEST_F(SoundClip, TheWaveformFillsTheEnvelopeUnderTheLevelLine) {
  // Full scale all through: every column reaches from the zero line up to
  // the level line, over the ramps too.
  const WaveformPeaks loud(std::vector<PeakPair>(2000, PeakPair{-32768, 32767}));
  const CFilm& clip = Clip(1000.0, 4000.0, 500.0, 1000.0, 1.0);
  const LevelLine line = LevelLineOf(clip, kView, kRowBottom, kRowHeight);
  const auto columns = ShapeWaveform(loud, clip, kView, line, kZero, PixelRect{100, 0, 500, 400});
  ASSERT_EQ(columns.size(), 400u);
  for (const WaveformColumn& column : columns) {
    EXPECT_NEAR(column.top, line.YAt(column.x), 1) << column.x;
    EXPECT_EQ(column.bottom, kZero) << column.x;
  }

  // Half the level, half the height; the box keeps it inside the clip.
  const WaveformPeaks half(std::vector<PeakPair>(2000, PeakPair{-16384, 16384}));
  const auto heightAt = [&](const CFilm& c, const PixelRect& box) {
    const auto shape = ShapeWaveform(half, c, kView, LevelLineOf(c, kView, kRowBottom, kRowHeight), kZero, box);
    const WaveformColumn& middle = shape.at(shape.size() / 2);
    return middle.bottom - middle.top;
  };
  const CFilm& quieter = Clip(6000.0, 3000.0, 0.0, 0.0, 0.5);
  const CFilm& full = Clip(0.0, 1000.0, 0.0, 0.0, 1.0);
  EXPECT_EQ(heightAt(quieter, PixelRect{600, 0, 900, 400}), 19);
  EXPECT_EQ(heightAt(full, PixelRect{0, 0, 100, 400}), 38);
  const auto boxed = ShapeWaveform(loud, full, kView, LevelLineOf(full, kView, kRowBottom, kRowHeight), kZero,
                                   PixelRect{0, 150, 100, 190});
  for (const WaveformColumn& column : boxed) {
    EXPECT_GE(column.top, 150);
    EXPECT_LE(column.bottom, 189);
  }
}

TEST_F(SoundClip, TheWaveformShowsTheStretchOfTheSourceTheClipPlays) {
  // A second of silence, then a loud second: 187.5 blocks each.
  std::vector<PeakPair> blocks(188, PeakPair{0, 0});
  blocks.resize(375, PeakPair{-30000, 30000});
  const WaveformPeaks peaks{std::vector<PeakPair>(blocks)};
  CFilm& clip = Clip(2000.0, 1000.0, 0.0, 0.0, 1.0);
  const auto shape = [&] {
    return ShapeWaveform(peaks, clip, kView, LevelLineOf(clip, kView, kRowBottom, kRowHeight), kZero,
                         PixelRect{200, 0, 300, 400});
  };
  const auto silent = [](const WaveformColumn& column) { return column.bottom - column.top <= 1; };
  // From the start of the source: silent all through.
  auto columns = shape();
  ASSERT_EQ(columns.size(), 100u);
  EXPECT_TRUE(std::all_of(columns.begin(), columns.end() - 1, silent));
  // From 1 s in: loud all through.
  clip.inPoint = 1000.0;
  columns = shape();
  ASSERT_EQ(columns.size(), 100u);
  EXPECT_TRUE(std::none_of(columns.begin(), columns.end(), silent));
  // From 0.5 s in: silent for half the clip, then loud.
  clip.inPoint = 500.0;
  columns = shape();
  EXPECT_TRUE(std::all_of(columns.begin(), columns.begin() + 49, silent));
  EXPECT_TRUE(std::none_of(columns.begin() + 51, columns.end(), silent));

  // While the sound is still being measured the waveform ends where the
  // peaks do: 0.75 s of the source known, 0.25 s of this clip.
  const WaveformPeaks part{std::vector<PeakPair>(blocks.begin(), blocks.begin() + 141)};
  EXPECT_EQ(ShapeWaveform(part, clip, kView, LevelLineOf(clip, kView, kRowBottom, kRowHeight), kZero,
                          PixelRect{200, 0, 300, 400}).size(),
            26u);
}

}  // namespace
}  // namespace vantorelle
