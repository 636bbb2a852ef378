// Clip records: construction and copies, frame snapping, fade limits and links.
#include "model/film.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::VideoStandardScope;

TEST(CFilm, MadeFromASourceAndCopiedWithoutLinks) {
  CSrc source("/m/take.avi", "take.avi");
  source.duration = 8000.0;
  CFilm clip(&source);
  EXPECT_EQ(clip.source, &source);
  EXPECT_EQ(clip.sourceLength, 8000.0);
  EXPECT_EQ(clip.duration, 8000.0);
  EXPECT_EQ(clip.inPoint, 0.0);
  EXPECT_EQ(clip.number, -1);
  EXPECT_EQ(clip.track, nullptr);

  CFilm partner(&source);
  CFilm::Link(clip, partner);
  clip.name = "Take";
  clip.start = 1000.0;
  clip.inPoint = 200.0;
  clip.fadeIn = 120.0;
  clip.volume = 0.5;
  clip.flags = SourceFlags::MovieFile | SourceFlags::AudioStream;
  clip.selection = 1;
  clip.useTrackFadeOut = 1;
  clip.number = 7;
  const auto copy = clip.Copy();
  EXPECT_EQ(copy->name, "Take");
  EXPECT_EQ(copy->start, 1000.0);
  EXPECT_EQ(copy->inPoint, 200.0);
  EXPECT_EQ(copy->fadeIn, 120.0);
  EXPECT_EQ(copy->volume, 0.5);
  EXPECT_EQ(copy->flags, clip.flags);
  EXPECT_EQ(copy->selection, 1);
  EXPECT_EQ(copy->useTrackFadeOut, 1);
  EXPECT_THAT(copy->links, IsEmpty());
  EXPECT_EQ(copy->number, -1);
  EXPECT_EQ(clip.End(), 9000.0);
  EXPECT_EQ(clip.OutPoint(), 8200.0);
}

TEST(CFilm, MovieClipKeepsItsPictureInPlaceWhenSnapped) {
  VideoStandardScope pal(VideoStandard{});
  CFilm movie;
  movie.flags = SourceFlags::MovieFile | SourceFlags::VideoStream;
  movie.start = 1010.0;
  movie.duration = 2000.0;
  movie.inPoint = 30.0;
  movie.SnapToFrames();
  EXPECT_EQ(movie.inPoint, 0.0);
  EXPECT_EQ(movie.start, 960.0);
  EXPECT_EQ(movie.duration, 2000.0);  // 2030 snapped down

  CFilm image;
  image.flags = SourceFlags::VideoStream;
  image.start = 1010.0;
  image.duration = 2039.0;
  image.inPoint = 30.0;
  image.SnapToFrames();
  EXPECT_EQ(image.start, 1000.0);
  EXPECT_EQ(image.duration, 2000.0);
  EXPECT_EQ(image.inPoint, 30.0);  // only movies have an in point to move
}

TEST(CFilm, SnappingLinkedClipsSnapsThePartnersOnly) {
  VideoStandardScope pal(VideoStandard{});
  CFilm picture;
  CFilm sound;
  picture.start = sound.start = 1013.0;
  CFilm::Link(picture, sound);
  picture.SnapLinkedClips();
  EXPECT_EQ(picture.start, 1013.0);
  EXPECT_EQ(sound.start, 1000.0);
}

TEST(CFilm, FadesLongerThanTheClipAreDropped) {
  CFilm clip;
  clip.duration = 2000.0;
  clip.fadeIn = 3000.0;
  clip.fadeOut = 2000.0;
  clip.LimitFades();
  EXPECT_EQ(clip.fadeIn, 0.0);
  EXPECT_EQ(clip.fadeOut, 2000.0);
}

TEST(CFilm, LinksAreMutualAndUnlinkingClearsEveryEntry) {
  CFilm a;
  CFilm b;
  CFilm c;
  CFilm::Link(a, b);
  CFilm::Link(a, c);
  CFilm::Link(b, c);
  CFilm::Link(a, b);  // no second entry
  EXPECT_THAT(a.links, ElementsAre(&b, &c));
  EXPECT_THAT(b.links, ElementsAre(&a, &c));
  c.links.push_back(&a);  // a damaged list that names a twice

  a.SelectLinkedClips();
  EXPECT_EQ(b.selection, 1);
  EXPECT_EQ(c.selection, 1);
  EXPECT_EQ(a.selection, 0);

  a.Unlink();
  EXPECT_THAT(a.links, IsEmpty());
  EXPECT_THAT(b.links, ElementsAre(&c));
  EXPECT_THAT(c.links, ElementsAre(&b));
}

TEST(CFilm, LevelLineHeightFollowsTheVolume) {
  CFilm clip;
  clip.volume = 0.5;
  EXPECT_EQ(clip.VolumeLineHeight(41), 16);  // 41 × 0.5 × 0.8 = 16.4
  clip.volume = 1.0;
  EXPECT_EQ(clip.VolumeLineHeight(50), 40);
}

}  // namespace
}  // namespace vantorelle
