// Splitting and repeating clips on their track, neighbours, fitted fades and
// the values a clip plays with.
#include "model/clip_edits.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/timeline_data.h"

#include "support/timeline_fixtures.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::PlaceClip;
using testing::TenMsPerPixel;

using testing::VideoStandardScope;

#define EXPECT_SOUND(...) EXPECT_THAT(CheckTracksConsistency(__VA_ARGS__), ::testing::IsEmpty())

// 1 pixel = 10 ms.
TEST(SplitClip, MovieClipHalvesPlayOnFromTheSplit) {
  CSrc source("/m/a.avi", "a.avi");
  source.usageCount = 1;
  CTrack track(TrackTypes::Video, 48);
  PlaceClip(track, 0, 500, SourceFlags::VideoStream);
  CFilm& movie = PlaceClip(track, 1000, 4000, SourceFlags::MovieFile | SourceFlags::VideoStream, &source);
  movie.inPoint = 2000;
  movie.selection = 1;
  CFilm partner;
  CFilm::Link(movie, partner);

  const SplitHalves halves = SplitClipAt(movie, 2500);
  ASSERT_TRUE(halves.first && halves.second);
  EXPECT_EQ(halves.first->start, 1000);
  EXPECT_EQ(halves.first->duration, 1500);
  EXPECT_EQ(halves.first->inPoint, 2000);
  EXPECT_EQ(halves.second->start, 2500);
  EXPECT_EQ(halves.second->duration, 2500);
  EXPECT_EQ(halves.second->inPoint, 3500);
  EXPECT_EQ(halves.first->selection, 0);
  EXPECT_TRUE(halves.first->links.empty());
  EXPECT_TRUE(partner.links.empty());  // the split clip left its partner
  EXPECT_EQ(source.usageCount, 2);
  ASSERT_EQ(track.clips.size(), 3u);
  EXPECT_SOUND({&track}, {&source});
  EXPECT_EQ(track.clips[1].get(), halves.first);
  EXPECT_EQ(track.clips[2].get(), halves.second);
  EXPECT_EQ(halves.second->track, &track);
}

TEST(SplitClip, StillImageHalvesAreWholeImagesWithTheirFadesLimited) {
  CTrack track(TrackTypes::TitleSlide, 48);
  CFilm& image = PlaceClip(track, 0, 5000, SourceFlags::VideoStream);
  image.fadeIn = 2500;
  image.fadeOut = 3000;
  const SplitHalves halves = SplitClipAt(image, 2000);
  ASSERT_TRUE(halves.first);
  EXPECT_EQ(halves.first->duration, 2000);
  EXPECT_EQ(halves.first->sourceLength, 2000);
  EXPECT_EQ(halves.second->start, 2000);
  EXPECT_EQ(halves.second->duration, 3000);
  EXPECT_EQ(halves.second->sourceLength, 3000);
  EXPECT_EQ(halves.second->inPoint, 0);
  EXPECT_EQ(halves.first->fadeIn, 0);     // 2500 no longer fits 2000
  EXPECT_EQ(halves.second->fadeOut, 3000);  // a fade as long as the clip stays
  EXPECT_SOUND({&track});
}

TEST(SplitClip, NothingHappensAtTheEndsOrOnMovableTitles) {
  CTrack track(TrackTypes::Audio, 48);
  CFilm& clip = PlaceClip(track, 1000, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
  EXPECT_FALSE(SplitClipAt(clip, 1000).first);
  EXPECT_FALSE(SplitClipAt(clip, 2000).first);
  EXPECT_FALSE(SplitClipAt(clip, 2500).first);
  EXPECT_EQ(track.clips.size(), 1u);
  EXPECT_SOUND({&track});
  CTrack movable(TrackTypes::TitleMovable, 48);
  CFilm& title = PlaceClip(movable, 0, 1000, SourceFlags::VideoStream);
  EXPECT_FALSE(SplitClipAt(title, 500).first);
  CFilm loose;
  loose.duration = 100;
  EXPECT_FALSE(SplitClipAt(loose, 50).first);
}

TEST(RepeatClip, CopiesFollowWithPausesAndGrowTheProject) {
  CSrc source("/m/a.avi", "a.avi");
  source.usageCount = 1;
  CTrack track(TrackTypes::Video, 48);
  CFilm& clip = PlaceClip(track, 0, 1000, SourceFlags::MovieFile | SourceFlags::VideoStream, &source);
  EXPECT_EQ(RepeatClip(clip, 3, 500, 4000), 5500);
  ASSERT_EQ(track.clips.size(), 4u);
  EXPECT_EQ(track.clips[1]->start, 1500);
  EXPECT_EQ(track.clips[2]->start, 3000);
  EXPECT_EQ(track.clips[3]->start, 4500);
  EXPECT_EQ(source.usageCount, 4);
  EXPECT_SOUND({&track}, {&source});
  EXPECT_EQ(RepeatClip(clip, 1, 0, 90000), 90000);
}

TEST(CFilmOnTrack, NeighboursAreTheNearestClipsEitherSide) {
  CTrack track(TrackTypes::Video, 48);
  CFilm& a = PlaceClip(track, 0, 100, SourceFlags::VideoStream);
  CFilm& b = PlaceClip(track, 1000, 100, SourceFlags::VideoStream);
  CFilm& c = PlaceClip(track, 1000, 100, SourceFlags::VideoStream);  // goes before b
  CFilm& d = PlaceClip(track, 3000, 100, SourceFlags::VideoStream);
  EXPECT_EQ(a.Neighbours().previous, nullptr);
  EXPECT_EQ(a.Neighbours().next, &c);
  EXPECT_EQ(b.Neighbours().previous, &c);  // an equal start counts as before
  EXPECT_EQ(b.Neighbours().next, &d);
  EXPECT_EQ(d.Neighbours().next, nullptr);
  EXPECT_EQ(CFilm().Neighbours().previous, nullptr);
}

TEST(CFilmOnTrack, FadesGiveWayToEachOther) {
  VideoStandardScope pal(VideoStandard{});
  const TenMsPerPixel view;
  CTrack audio(TrackTypes::Audio, 48);
  CFilm& clip = PlaceClip(audio, 0, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
  clip.fadeIn = 800;
  clip.fadeOut = 400;
  clip.FitFadeInToFadeOut(view);
  EXPECT_EQ(clip.fadeIn, 600);
  clip.fadeIn = 900;
  clip.FitFadeOutToFadeIn(view);
  EXPECT_EQ(clip.fadeOut, 100);
  clip.fadeIn = 1200;  // longer than the clip: fade out goes, fade in keeps 3 pixels off the end
  clip.FitFadeOutToFadeIn(view);
  EXPECT_EQ(clip.fadeOut, 0);
  EXPECT_EQ(clip.fadeIn, 970);
  clip.fadeIn = 500;
  clip.fadeOut = 10;  // below half a frame: fade in runs to half a frame before the end
  clip.FitFadeInToFadeOut(view);
  EXPECT_EQ(clip.fadeIn, 500);  // it fitted already
  clip.fadeIn = 995;
  clip.FitFadeInToFadeOut(view);
  EXPECT_EQ(clip.fadeIn, 980);
  EXPECT_SOUND({&audio});

  CTrack video(TrackTypes::Video, 48);
  CFilm& picture = PlaceClip(video, 0, 1000, SourceFlags::VideoStream);
  picture.fadeIn = 5000;
  picture.FitFadeOutToFadeIn(view);
  EXPECT_EQ(picture.fadeOut, 0);
  EXPECT_EQ(picture.fadeIn, 5000);  // fades mean nothing on video tracks
}

TEST(CFilmOnTrack, PlaysWithTheTracksFadesWhereItBorrowsThem) {
  CTrack audio(TrackTypes::Audio, 48);
  audio.fadeIn = 300;
  audio.fadeOut = 700;
  audio.volume = 0.5;
  CFilm& clip = PlaceClip(audio, 0, 2000, SourceFlags::MovieFile | SourceFlags::AudioStream);
  clip.fadeIn = 100;
  clip.fadeOut = 200;
  clip.volume = 0.8;
  clip.useTrackFadeOut = 1;
  EXPECT_EQ(clip.EffectiveFadeIn(), 100);
  EXPECT_EQ(clip.EffectiveFadeOut(), 700);
  EXPECT_DOUBLE_EQ(clip.EffectiveLevel(), 0.4);
}

}  // namespace
}  // namespace vantorelle
