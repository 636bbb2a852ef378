// The audio track dialog's values: a whole-percent level inside 1 … 100 and
// fades on the frame grid.
#include "timeline/audio_track_properties.h"

#include <gtest/gtest.h>

#include "support/document_fixture.h"

namespace vantorelle {
namespace {

TEST(AudioTrackPropertiesTest, LevelIsAWholePercentFromOneToHundred) {
  testing::TestDocument project;
  CTrack& audio = project.Track(2);
  ASSERT_EQ(audio.Group(), TrackGroup::Audio);
  EXPECT_STREQ(AudioTrackProperties::kCaption, "Audio Track Properties");

  audio.volume = 0.456;
  EXPECT_EQ(AudioTrackProperties(audio).levelPercent, 45);  // truncated
  audio.volume = 0.0;
  EXPECT_EQ(AudioTrackProperties(audio).levelPercent, 1);
  audio.volume = 1.7;
  EXPECT_EQ(AudioTrackProperties(audio).levelPercent, 100);

  AudioTrackProperties values(audio);
  for (const auto& [typed, stored] : {std::pair{37, 0.37}, std::pair{0, 0.01}, std::pair{-5, 0.01},
                                      std::pair{100, 1.0}, std::pair{250, 1.0}}) {
    values.levelPercent = typed;
    values.Apply(project.doc, audio);
    EXPECT_DOUBLE_EQ(audio.volume, stored) << typed;
  }
  EXPECT_TRUE(project.doc.IsModified());
}

TEST(AudioTrackPropertiesTest, AnUnchangedOkKeepsTheStoredLevelAndLeavesTheProjectUnmodified) {
  testing::TestDocument project;
  CTrack& audio = project.Track(2);
  audio.volume = 0.29;  // 28.999… percent as a double
  audio.fadeIn = 400.0;
  audio.fadeOut = 0.0;
  project.doc.SetModified(false);
  const AudioTrackProperties values(audio);
  EXPECT_EQ(values.levelPercent, 29);
  values.Apply(project.doc, audio);
  EXPECT_EQ(audio.volume, 0.29);
  EXPECT_EQ(audio.fadeIn, 400.0);
  EXPECT_FALSE(project.doc.IsModified());

  AudioTrackProperties louder = values;
  louder.levelPercent = 30;
  louder.Apply(project.doc, audio);
  EXPECT_DOUBLE_EQ(audio.volume, 0.30);
  EXPECT_TRUE(project.doc.IsModified());
}

TEST(AudioTrackPropertiesTest, FadesFallOntoTheFrameGrid) {
  testing::TestDocument project;
  CTrack& audio = project.Track(2);
  AudioTrackProperties values(audio);
  values.fadeIn = 1019.0;
  values.fadeOut = 79.9;
  values.Apply(project.doc, audio);
  EXPECT_EQ(audio.fadeIn, 1000.0);  // 40 ms frames
  EXPECT_EQ(audio.fadeOut, 40.0);
}

}  // namespace
}  // namespace vantorelle
