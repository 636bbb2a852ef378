// Movable title timing: the travel time of an image, the lead-in and the
// re-timing of clips after the speed or direction changed.
#include "titles/title_timing.h"

#include <memory>

#include <gtest/gtest.h>

#include "model/timeline_data.h"
#include "support/timeline_fixtures.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::PlaceClip;
using testing::VideoStandardScope;

std::unique_ptr<CTrack> Movable(std::int32_t direction, double maxSpeed) {
  auto track = std::make_unique<CTrack>(TrackTypes::TitleMovable, 48);
  track->direction = direction;
  track->maxSpeed = maxSpeed;
  return track;
}

std::unique_ptr<CSrc> MakeImage(std::int32_t width, std::int32_t height) {
  auto source = std::make_unique<CSrc>("/titles/image.bmp", "image.bmp");
  source->flags = SourceFlags::VideoStream;
  source->frameWidth = width;
  source->frameHeight = height;
  return source;
}

struct TitleTiming : ::testing::Test {
  VideoStandardScope pal{VideoStandard{}};
};

TEST_F(TitleTiming, TravelTimeUsesTheWidthAcrossAndTheHeightUpOrDown) {
  EXPECT_EQ(TravelTime(*Movable(0, 1.0), 720, 100), 14400.0);
  EXPECT_EQ(TravelTime(*Movable(1, 2.0), 720, 100), 7200.0);
  EXPECT_EQ(TravelTime(*Movable(2, 1.0), 720, 100), 2000.0);
  EXPECT_EQ(TravelTime(*Movable(3, 1.0), 720, 101), 2000.0);  // 2020 on the frame grid
  EXPECT_EQ(TravelTime(*Movable(4, 1.0), 720, 100), -1.0);
  EXPECT_EQ(TravelTime(CTrack(TrackTypes::TitleSlide, 48), 720, 100), -1.0);
}

TEST_F(TitleTiming, TravelTimeFloorsTheSpeedAsTheLeadInDoes) {
  const auto stored = Movable(0, 0.0);
  EXPECT_EQ(TravelTime(*stored, 10, 10), 20000.0);  // 10 × 40 / 0.02
  EXPECT_EQ(stored->maxSpeed, 0.0);                // asking changes nothing
  EXPECT_EQ(TravelTime(*Movable(0, -3.0), 10, 10), 20000.0);
}

TEST_F(TitleTiming, TravelTimeMatchesTheDefaultClipDuration) {
  const auto image = MakeImage(720, 300);
  for (std::int32_t direction : {0, 1, 2, 3}) {
    for (double speed : {0.0, 0.37, 1.0, 2.0, 99.99}) {
      const auto track = Movable(direction, speed);
      EXPECT_EQ(TravelTime(*track, 720, 300), track->DefaultClipDuration(*image, DefaultClipDurations{}));
    }
  }
}

TEST_F(TitleTiming, LeadInOfARegionFiveHundredWide) {
  auto movable = Movable(0, 1.0);
  CTrack& track = *movable;
  track.regionWidth = 500;
  track.regionHeight = 100;
  EXPECT_EQ(track.LeadIn(), 10000.0);
  track.direction = 2;
  EXPECT_EQ(track.LeadIn(), 2000.0);
}

TEST_F(TitleTiming, RetimingFollowsANewSpeedAndKeepsTheGaps) {
  auto imageSource = MakeImage(720, 576);
  CSrc& image = *imageSource;
  auto movable = Movable(0, 2.0);
  CTrack& track = *movable;
  PlaceClip(track, 0.0, 14400.0, SourceFlags::VideoStream, &image).sourceLength = 14400.0;
  PlaceClip(track, 14400.0, 14400.0, SourceFlags::VideoStream, &image).sourceLength = 14400.0;
  PlaceClip(track, 30000.0, 14400.0, SourceFlags::VideoStream, &image).sourceLength = 14400.0;
  image.usageCount = 3;

  EXPECT_TRUE(RetimeMovableTitleClips(track));

  ASSERT_EQ(track.clips.size(), 3u);
  EXPECT_EQ(track.clips[0]->start, 0.0);
  EXPECT_EQ(track.clips[0]->duration, 7200.0);
  EXPECT_EQ(track.clips[1]->start, 7200.0);
  EXPECT_EQ(track.clips[1]->duration, 7200.0);
  EXPECT_EQ(track.clips[2]->start, 30000.0 - 14400.0);  // the 1200 ms gap stays
  EXPECT_EQ(track.clips[2]->duration, 7200.0);
  EXPECT_EQ(track.clips[2]->sourceLength, 7200.0);
  EXPECT_TRUE(CheckTracksConsistency({&track}).empty());
  EXPECT_FALSE(RetimeMovableTitleClips(track));  // already in step
}

TEST_F(TitleTiming, RetimingAfterADirectionChangeLengthensLaterClipsToo) {
  auto wideSource = MakeImage(720, 100);
  CSrc& wide = *wideSource;
  auto tallSource = MakeImage(100, 576);
  CSrc& tall = *tallSource;
  auto movable = Movable(2, 1.0);
  CTrack& track = *movable;
  PlaceClip(track, 1000.0, 14400.0, SourceFlags::VideoStream, &wide);
  PlaceClip(track, 20000.0, 2000.0, SourceFlags::VideoStream, &tall);
  RetimeMovableTitleClips(track);
  EXPECT_EQ(track.clips[0]->start, 1000.0);
  EXPECT_EQ(track.clips[0]->duration, 2000.0);
  EXPECT_EQ(track.clips[1]->start, 20000.0 - 12400.0);
  EXPECT_EQ(track.clips[1]->duration, 11520.0);
}

TEST_F(TitleTiming, AClipWithoutASourceKeepsItsLengthButMovesWithTheOthers) {
  auto imageSource = MakeImage(720, 576);
  CSrc& image = *imageSource;
  auto movable = Movable(0, 2.0);
  CTrack& track = *movable;
  PlaceClip(track, 0.0, 14400.0, SourceFlags::VideoStream, &image);
  PlaceClip(track, 20000.0, 3000.0);
  RetimeMovableTitleClips(track);
  EXPECT_EQ(track.clips[1]->start, 12800.0);
  EXPECT_EQ(track.clips[1]->duration, 3000.0);
}

TEST_F(TitleTiming, AFadeLongerThanTheNewLengthIsDropped) {
  auto imageSource = MakeImage(720, 576);
  CSrc& image = *imageSource;
  auto movable = Movable(0, 2.0);
  CTrack& track = *movable;
  CFilm& clip = PlaceClip(track, 0.0, 14400.0, SourceFlags::VideoStream, &image);
  clip.fadeIn = 10000.0;
  clip.fadeOut = 2000.0;
  image.usageCount = 1;
  RetimeMovableTitleClips(track);
  EXPECT_EQ(clip.fadeIn, 0.0);
  EXPECT_EQ(clip.fadeOut, 2000.0);
  EXPECT_TRUE(CheckTracksConsistency({&track}).empty());
}

TEST_F(TitleTiming, OnlyMovableTracksAreRetimed) {
  auto imageSource = MakeImage(720, 576);
  CSrc& image = *imageSource;
  CTrack slide(TrackTypes::TitleSlide, 48);
  PlaceClip(slide, 0.0, 10000.0, SourceFlags::VideoStream, &image);
  EXPECT_FALSE(RetimeMovableTitleClips(slide));
  EXPECT_EQ(slide.clips[0]->duration, 10000.0);
}

}  // namespace
}  // namespace vantorelle
