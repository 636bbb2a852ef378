// Tracks: what each kind accepts, the clip order and overlaps, default clip
// lengths, play states and copies.
#include "model/track.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/timeline_data.h"

#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::VideoStandardScope;

std::unique_ptr<CFilm> Clip(TimeMs start, TimeMs duration) {
  auto clip = std::make_unique<CFilm>();
  clip->start = start;
  clip->duration = duration;
  return clip;
}

TEST(CTrack, EachKindAcceptsItsClips) {
  using namespace SourceFlags;
  const SourceFlagBits moviePicture = MovieFile | VideoStream;
  const SourceFlagBits movieAlpha = MovieFile | AlphaStream;
  const SourceFlagBits movieSound = MovieFile | AudioStream;
  const SourceFlagBits image = VideoStream;
  CTrack video(TrackTypes::Video, 48), alfa(TrackTypes::VideoAlfa, 48), b(TrackTypes::VideoB, 48);
  CTrack audio(TrackTypes::Audio, 48), movable(TrackTypes::TitleMovable, 48), slide(TrackTypes::TitleSlide, 48);

  EXPECT_TRUE(alfa.Accepts(movieAlpha));
  EXPECT_FALSE(video.Accepts(movieAlpha));
  EXPECT_FALSE(b.Accepts(movieAlpha));
  EXPECT_TRUE(video.Accepts(moviePicture));
  EXPECT_TRUE(b.Accepts(image));
  EXPECT_TRUE(audio.Accepts(movieSound));
  EXPECT_FALSE(audio.Accepts(moviePicture));
  EXPECT_FALSE(slide.Accepts(moviePicture));
  EXPECT_TRUE(slide.Accepts(image));
  EXPECT_TRUE(movable.Accepts(image));
  for (const CTrack* track : {&video, &alfa, &b, &audio, &movable, &slide}) {
    EXPECT_FALSE(track->Accepts(LiveSource | VideoStream | AudioStream)) << track->type;
  }
  EXPECT_STREQ(alfa.GroupName(), "Video Tracks");
  EXPECT_STREQ(audio.GroupName(), "Audio Tracks");
  EXPECT_STREQ(slide.GroupName(), "Title Tracks");
  EXPECT_STREQ(TrackNameStem(TrackTypes::VideoAlfa), "Video track(Alfa) number");
}

TEST(CTrack, ClipsStayInStartOrderAndOwnedByTheTrack) {
  CTrack track(TrackTypes::Video, 96);
  track.InsertInOrder(Clip(0, 500));
  track.InsertInOrder(Clip(1000, 500));
  track.InsertInOrder(Clip(2000, 500));
  CFilm& inserted = track.InsertInOrder(Clip(1000, 300));
  EXPECT_EQ(track.IndexOf(inserted), 1);  // before the clip already at 1000
  EXPECT_EQ(inserted.track, &track);
  EXPECT_THAT(CheckTracksConsistency({&track}), ::testing::IsEmpty());

  std::unique_ptr<CFilm> taken = track.Remove(inserted);
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->track, nullptr);
  EXPECT_EQ(track.clips.size(), 3u);
  EXPECT_FALSE(track.Remove(*taken));
}

TEST(CTrack, TouchingClipsDoNotOverlap) {
  CTrack track(TrackTypes::Audio, 48);
  track.InsertInOrder(Clip(2000, 1000));
  EXPECT_FALSE(track.Overlaps(*Clip(1000, 1000)));
  CTrack other(TrackTypes::Audio, 48);
  other.InsertInOrder(Clip(1999, 501));
  EXPECT_TRUE(other.Overlaps(*Clip(1000, 1000)));
  EXPECT_FALSE(CTrack(TrackTypes::Audio, 48).Overlaps(*Clip(0, 100)));
}

TEST(CTrack, DefaultClipDurationPerKind) {
  VideoStandardScope pal(VideoStandard{});
  const DefaultClipDurations durations;
  CSrc sound("/m/s.wav", "s.wav");
  sound.flags = SourceFlags::MovieFile | SourceFlags::AudioStream;
  sound.duration = 12345.6;
  EXPECT_EQ(CTrack(TrackTypes::Audio, 48).DefaultClipDuration(sound, durations), 12320.0);

  CSrc image("/m/i.png", "i.png");
  image.flags = SourceFlags::VideoStream;
  image.frameWidth = 720;
  image.frameHeight = 100;
  EXPECT_EQ(CTrack(TrackTypes::VideoB, 48).DefaultClipDuration(image, durations), 5000.0);
  EXPECT_EQ(CTrack(TrackTypes::TitleSlide, 48).DefaultClipDuration(image, durations), 10000.0);

  CTrack movable(TrackTypes::TitleMovable, 48);
  movable.maxSpeed = 2.0;
  EXPECT_EQ(movable.DefaultClipDuration(image, durations), 7200.0);  // 720 × 40 / 4
  movable.direction = 2;
  EXPECT_EQ(movable.DefaultClipDuration(image, durations), 1000.0);  // by height
  movable.maxSpeed = 0.0;  // a stored project may hold it; the floor is 0.01
  EXPECT_EQ(movable.DefaultClipDuration(image, durations), 200000.0);
  movable.direction = 7;
  EXPECT_EQ(movable.DefaultClipDuration(image, durations), 0.0);  // the image's own duration

  CSrc live("live", "live");
  live.flags = SourceFlags::LiveSource | SourceFlags::VideoStream;
  EXPECT_EQ(CTrack(TrackTypes::Video, 48).DefaultClipDuration(live, durations), 15000.0);
}

TEST(CTrack, MovableTitlesTravelInBeforeTheirStart) {
  VideoStandardScope pal(VideoStandard{});
  CTrack movable(TrackTypes::TitleMovable, 48);
  movable.regionWidth = 500;
  movable.regionHeight = 100;
  movable.maxSpeed = 1.0;
  EXPECT_EQ(movable.LeadIn(), 10000.0);  // 500 × 40 / 2
  movable.direction = 3;
  EXPECT_EQ(movable.LeadIn(), 2000.0);
  movable.maxSpeed = 0.0;
  EXPECT_EQ(movable.MillisecondsPerPixel(), 2000.0);
  EXPECT_EQ(movable.maxSpeed, 0.01);
  auto clip = std::make_unique<CFilm>();
  clip->start = 30000.0;
  movable.maxSpeed = 1.0;
  const CFilm& title = movable.InsertInOrder(std::move(clip));
  EXPECT_EQ(title.LeadInStart(), 28000.0);

  CTrack slide(TrackTypes::TitleSlide, 48);
  EXPECT_EQ(slide.LeadIn(), -1.0);
  EXPECT_EQ(slide.TravelSize(), 0);
  const CFilm& still = slide.InsertInOrder(Clip(500, 100));
  EXPECT_EQ(still.LeadInStart(), 500.0);
}

TEST(CTrack, SoloTracksPlayAloneAndMutedOnesNever) {
  CTrack track(TrackTypes::Audio, 48);
  EXPECT_TRUE(track.IsPlayed(false));
  EXPECT_FALSE(track.IsPlayed(true));
  track.playState = PlayState::Solo;
  EXPECT_TRUE(track.IsPlayed(true));
  track.playState = PlayState::Mute;
  EXPECT_FALSE(track.IsPlayed(false));
}

TEST(CTrack, CopyHoldsCopiesOfEveryClip) {
  CTrack track(TrackTypes::Audio, 48);
  track.name = "Audio track number 1";
  track.volume = 0.25;
  track.fadeIn = 400.0;
  track.playState = PlayState::Mute;
  CFilm& first = track.InsertInOrder(Clip(0, 1000));
  CFilm& second = track.InsertInOrder(Clip(1000, 1000));
  CFilm::Link(first, second);

  const auto copy = track.Copy();
  EXPECT_EQ(copy->name, track.name);
  EXPECT_EQ(copy->volume, 0.25);
  EXPECT_EQ(copy->fadeIn, 400.0);
  EXPECT_EQ(copy->playState, PlayState::Mute);
  ASSERT_EQ(copy->clips.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_NE(copy->clips[i].get(), track.clips[i].get());
    EXPECT_EQ(copy->clips[i]->start, track.clips[i]->start);
    EXPECT_EQ(copy->clips[i]->track, copy.get());
    EXPECT_TRUE(copy->clips[i]->links.empty());
  }
  EXPECT_THAT(CheckTracksConsistency({copy.get()}), ::testing::IsEmpty());
}

}  // namespace
}  // namespace vantorelle
