// The track list: default tracks, kind order, queries over all clips, free
// tracks for colliding clips, and the consistency check used after edits.
#include "model/timeline_data.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/timeline_fixtures.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::PlaceClip;
using testing::TenMsPerPixel;

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testing::VideoStandardScope;

std::vector<std::string> Names(const CTimelineData& timeline) {
  std::vector<std::string> names;
  for (const auto& track : timeline.tracks) names.push_back(track->name);
  return names;
}

TEST(CTimelineData, DefaultTracksAndKindOrder) {
  CTimelineData timeline;
  timeline.MakeDefaultTracks();
  auto b = std::make_unique<CTrack>(TrackTypes::VideoB, 48);
  b->name = "Video track(B) number 1";
  timeline.AddTrackInKindOrder(std::move(b));
  auto audio = std::make_unique<CTrack>(TrackTypes::Audio, 48);
  audio->name = "Audio track number 3";
  timeline.AddTrackInKindOrder(std::move(audio));
  EXPECT_THAT(Names(timeline),
              ElementsAre("Video track number 1", "Video track number 2", "Video track(B) number 1",
                          "Audio track number 1", "Audio track number 2", "Audio track number 3",
                          "Title track(slide) number 1", "Title track(movable) number 1"));
  const CTrack& movable = *timeline.tracks.back();
  EXPECT_EQ(movable.regionTop, 150);
  EXPECT_EQ(movable.regionWidth, 500);
  EXPECT_EQ(movable.precision, 2);
  EXPECT_EQ(movable.maxSpeed, 1.0);
  EXPECT_EQ(timeline.tracks[0]->height, 24);
  EXPECT_EQ(timeline.CountInGroup(TrackGroup::Video), 3);
  EXPECT_EQ(timeline.CountInGroup(TrackGroup::Title), 2);

  CTimelineData empty;
  empty.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::TitleSlide, 48));
  empty.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Video, 48));
  EXPECT_EQ(empty.tracks.front()->type, TrackTypes::Video);
}

TEST(CTimelineData, DefaultTitleRegionsCoverTheSamePartOfAnyFrame) {
  const auto regions = [](const VideoStandard& standard) {
    testing::VideoStandardScope scope{standard};
    CTimelineData timeline;
    timeline.MakeDefaultTracks();
    const CTrack& slide = *timeline.tracks[4];
    const CTrack& movable = *timeline.tracks[5];
    return std::vector<std::int32_t>{slide.regionLeft,  slide.regionTop,    slide.regionWidth,   slide.regionHeight,
                                     movable.regionLeft, movable.regionTop, movable.regionWidth, movable.regionHeight};
  };
  const std::vector<std::int32_t> sd{0, 0, 200, 100, 0, 150, 500, 100};
  EXPECT_EQ(regions(VideoStandard::FromBoard(720, 576, 25.0)), sd);
  EXPECT_EQ(regions(VideoStandard::FromBoard(768, 576, 25.0)), sd);
  EXPECT_EQ(regions(VideoStandard::FromBoard(640, 480, 29.97)), sd);
  EXPECT_EQ(regions(VideoStandard::FromBoard(1920, 1080, 25.0)),
            (std::vector<std::int32_t>{0, 0, 533, 188, 0, 281, 1333, 188}));
  EXPECT_EQ(regions(VideoStandard::FromBoard(3840, 2160, 25.0)),
            (std::vector<std::int32_t>{0, 0, 1067, 375, 0, 563, 2667, 375}));
  EXPECT_EQ(regions(VideoStandard::FromBoard(1080, 1920, 30.0)),
            (std::vector<std::int32_t>{0, 0, 300, 333, 0, 500, 750, 333}));
}

TEST(CTimelineData, QueriesOverEveryClip) {
  CTimelineData timeline;
  timeline.MakeDefaultTracks();
  CSrc source("/m/a.avi", "a.avi");
  CFilm& picture = PlaceClip(*timeline.tracks[0], 0, 1000, SourceFlags::MovieFile | SourceFlags::VideoStream);
  CFilm& sound = PlaceClip(*timeline.tracks[2], 0, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
  PlaceClip(*timeline.tracks[1], 0, 1000);  // a still image
  picture.source = sound.source = &source;
  source.usageCount = 2;
  EXPECT_THAT(CheckTimelineConsistency(timeline, {&source}), IsEmpty());
  EXPECT_EQ(timeline.ClipCount(), 3);
  EXPECT_EQ(timeline.CountMoviePictureClips(), 1);
  timeline.SelectClipsOf(source);
  EXPECT_EQ(picture.selection, 1);
  EXPECT_EQ(sound.selection, 1);
  EXPECT_EQ(timeline.tracks[1]->clips[0]->selection, 0);
  timeline.DeselectAll();
  EXPECT_EQ(picture.selection, 0);

  timeline.tracks[3]->shown = 0;
  EXPECT_EQ(timeline.ShownTracks().size(), 5u);
  timeline.SetShownTracksHeight(96);
  EXPECT_EQ(timeline.tracks[0]->height, 96);
  EXPECT_EQ(timeline.tracks[3]->height, 48);
  EXPECT_EQ(timeline.TracksOfType(TrackTypes::Audio).size(), 2u);
}

TEST(CTimelineData, FreeTrackIsSoughtAfterTheClipsOwn) {
  CTimelineData timeline;
  CTrack& t1 = timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Audio, 48));
  CTrack& t2 = timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Audio, 48));
  CTrack& t3 = timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Audio, 48));
  CFilm& clip = PlaceClip(t2, 1000, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
  EXPECT_EQ(timeline.FindFreeTrack(clip), &t3);
  PlaceClip(t3, 1500, 100);
  EXPECT_EQ(timeline.FindFreeTrack(clip), &t1);  // tried after T3
  PlaceClip(t1, 0, 1001);
  EXPECT_EQ(timeline.FindFreeTrack(clip), nullptr);
  EXPECT_EQ(timeline.FindFreeTrack(clip, TrackGroup::Audio, &t1), nullptr);
  PlaceClip(timeline.AddTrackInKindOrder(std::make_unique<CTrack>(TrackTypes::Audio, 48)), 5000, 10);
  EXPECT_EQ(timeline.FindFreeTrack(clip, TrackGroup::Audio, &t3), timeline.tracks[3].get());
  EXPECT_THAT(CheckTimelineConsistency(timeline), IsEmpty());
}

TEST(CTimelineData, PlayStatesFromButtonsAndMenu) {
  CTimelineData timeline;
  timeline.MakeDefaultTracks();
  CTrack& video = *timeline.tracks[0];
  CTrack& audio = *timeline.tracks[2];
  CTrack& other = *timeline.tracks[3];
  timeline.PressSoloButton(audio, false);
  EXPECT_EQ(audio.playState, PlayState::Solo);
  timeline.PressMuteButton(audio);  // the other button switches straight over
  EXPECT_EQ(audio.playState, PlayState::Mute);
  timeline.PressMuteButton(audio);
  EXPECT_EQ(audio.playState, PlayState::Normal);
  timeline.PressMuteButton(audio);
  timeline.PressSoloButton(audio, false);
  EXPECT_EQ(audio.playState, PlayState::Solo);
  timeline.PressSoloButton(audio, false);
  EXPECT_EQ(audio.playState, PlayState::Normal);

  timeline.SetSolo(audio, false);
  timeline.SetSolo(other, false);
  EXPECT_EQ(audio.playState, PlayState::Solo);
  timeline.SetSolo(video, true);  // exclusive: the other solos end
  EXPECT_EQ(audio.playState, PlayState::Normal);
  EXPECT_EQ(other.playState, PlayState::Normal);
  EXPECT_TRUE(timeline.SoloPresent(true));
  video.shown = 0;
  EXPECT_FALSE(timeline.SoloPresent());
  timeline.SetMute(audio);
  EXPECT_TRUE(timeline.ResetPlayStates());
  EXPECT_EQ(video.playState, PlayState::Normal);
  EXPECT_EQ(audio.playState, PlayState::Normal);
  EXPECT_FALSE(timeline.ResetPlayStates());
}

TEST(CTimelineData, CopyRelinksTheCopiedClipsAmongThemselves) {
  CTimelineData timeline;
  timeline.MakeDefaultTracks();
  CSrc source("/m/a.avi", "a.avi");
  CFilm& picture = PlaceClip(*timeline.tracks[0], 0, 1000, SourceFlags::MovieFile | SourceFlags::VideoStream);
  CFilm& sound = PlaceClip(*timeline.tracks[2], 0, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
  PlaceClip(*timeline.tracks[2], 2000, 500, SourceFlags::MovieFile | SourceFlags::AudioStream);
  picture.source = &source;
  source.usageCount = 1;
  CFilm::Link(picture, sound);
  EXPECT_THAT(CheckTimelineConsistency(timeline, {&source}), IsEmpty());
  CFilm outside;  // not on any track: its link is not carried over
  CFilm::Link(sound, outside);

  const CTimelineData copy = timeline.Copy();
  ASSERT_EQ(copy.tracks.size(), timeline.tracks.size());
  const CFilm& copiedPicture = *copy.tracks[0]->clips[0];
  const CFilm& copiedSound = *copy.tracks[2]->clips[0];
  EXPECT_NE(&copiedPicture, &picture);
  EXPECT_EQ(copiedPicture.source, &source);
  EXPECT_THAT(copiedPicture.links, ElementsAre(&copiedSound));
  EXPECT_THAT(copiedSound.links, ElementsAre(&copiedPicture));
  EXPECT_EQ(copy.ClipCount(), 3);
  EXPECT_THAT(CheckTimelineConsistency(copy, {&source}), IsEmpty());
  EXPECT_THAT(CheckTimelineConsistency(timeline), ::testing::Contains(::testing::HasSubstr("outside the timeline")));
  outside.Unlink();
}

TEST(CTimelineData, RubberBandCollectsTheClipsItMeets) {
  VideoStandardScope pal(VideoStandard{});
  const TenMsPerPixel view;
  CTimelineData timeline;
  timeline.MakeDefaultTracks();
  CTrack& video = *timeline.tracks[0];
  CTrack& audio = *timeline.tracks[2];
  CTrack& movable = *timeline.tracks[5];
  video.top = 0;
  video.bottom = 24;
  audio.top = 30;
  audio.bottom = 126;
  movable.top = 200;
  movable.bottom = 248;
  CFilm& picture = PlaceClip(video, 1000, 1000);  // pixels 100 to 200
  CFilm& sound = PlaceClip(audio, 3000, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
  CFilm& title = PlaceClip(movable, 20000, 1000);  // drawn from its lead-in, 10 s earlier

  EXPECT_EQ(picture.ExtentIn(view), (PixelRect{99, 0, 201, 24}));
  EXPECT_EQ(title.ExtentIn(view).left, 999);
  EXPECT_THAT(timeline.ClipsMeeting({150, 10, 350, 40}, view), ElementsAre(&picture, &sound));
  EXPECT_THAT(timeline.ClipsMeeting({201, 0, 299, 300}, view), IsEmpty());  // between the clips
  EXPECT_THAT(timeline.ClipsMeeting({1100, 24, 1200, 25}, view), IsEmpty());
  EXPECT_THAT(timeline.ClipsMeeting({100, 24, 200, 25}, view), ElementsAre(&picture));  // the row below counts
  EXPECT_THAT(timeline.ClipsMeeting({1500, 210, 1600, 220}, view), ElementsAre(&title));
  audio.shown = 0;
  EXPECT_THAT(timeline.ClipsMeeting({150, 10, 350, 40}, view), ElementsAre(&picture));
}

TEST(CTimelineData, ConsistencyCheckFindsBrokenInvariants) {
  CTimelineData timeline;
  timeline.MakeDefaultTracks();
  CFilm& a = PlaceClip(*timeline.tracks[0], 0, 1000);
  CFilm& b = PlaceClip(*timeline.tracks[2], 0, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
  CFilm::Link(a, b);
  EXPECT_THAT(CheckTimelineConsistency(timeline), IsEmpty());

  b.fadeIn = 1500;
  a.links.clear();  // b still names a
  CFilm& late = PlaceClip(*timeline.tracks[1], 5000, 10);
  PlaceClip(*timeline.tracks[1], 6000, 10);
  late.start = 7000;  // moved without re-sorting
  CSrc source("/m/a.avi", "a.avi");
  late.source = &source;  // one clip, a count of none
  const std::vector<std::string> problems = CheckTimelineConsistency(timeline);
  EXPECT_EQ(problems.size(), 4u);
  EXPECT_THAT(problems, ::testing::Contains(::testing::HasSubstr("usage count 0 for 1 clips")));
  EXPECT_THAT(problems, ::testing::Contains(::testing::HasSubstr("fade outside the clip")));
  EXPECT_THAT(problems, ::testing::Contains(::testing::HasSubstr("one-way link")));
  EXPECT_THAT(problems, ::testing::Contains(::testing::HasSubstr("out of start order")));
}

}  // namespace
}  // namespace vantorelle
