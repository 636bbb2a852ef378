// The clip properties dialogs: captions per kind, field texts, the neighbour
// limit, and OK with its effects on the project and on linked clips.
#include "model/clip_properties.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "model/timeline_data.h"

#include "model/track.h"
#include "support/timeline_fixtures.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::TenMsPerPixel;

using testing::VideoStandardScope;

CFilm& Place(CTrack& track, TimeMs start, TimeMs duration, SourceFlagBits flags) {
  CFilm& clip = testing::PlaceClip(track, start, duration, flags);
  clip.sourceLength = 9000;
  return clip;
}

TEST(ClipProperties, CaptionFollowsTheKindOfClip) {
  CTrack video(TrackTypes::Video, 48), audio(TrackTypes::Audio, 48);
  CTrack slide(TrackTypes::TitleSlide, 48), movable(TrackTypes::TitleMovable, 48);
  EXPECT_STREQ(ClipPropertiesDialog(Place(video, 0, 10, SourceFlags::MovieFile | SourceFlags::VideoStream)).Caption(),
               "Video Clip Properties");
  EXPECT_STREQ(ClipPropertiesDialog(Place(audio, 0, 10, SourceFlags::MovieFile | SourceFlags::AudioStream)).Caption(),
               "Audio Clip Properties");
  EXPECT_STREQ(ClipPropertiesDialog(Place(video, 20, 10, SourceFlags::VideoStream)).Caption(),
               "Video Clip Properties(Single Image)");
  EXPECT_STREQ(ClipPropertiesDialog(Place(slide, 0, 10, SourceFlags::VideoStream)).Caption(),
               "Title Clip Properties(Slide Show)");
  EXPECT_STREQ(ClipPropertiesDialog(Place(movable, 0, 10, SourceFlags::VideoStream)).Caption(),
               "Title Clip Properties (Movable)");
}

TEST(ClipProperties, FieldsAndTheNeighbourLimit) {
  VideoStandardScope pal(VideoStandard{});
  CTrack video(TrackTypes::Video, 48);
  Place(video, 0, 1010, SourceFlags::VideoStream);
  CFilm& clip = Place(video, 2000, 1000, SourceFlags::MovieFile | SourceFlags::VideoStream);
  Place(video, 5030, 100, SourceFlags::VideoStream);
  clip.inPoint = 400;
  clip.volume = 0.257;
  ClipPropertiesDialog dialog(clip);
  EXPECT_EQ(dialog.start, "00:00:02:000");
  EXPECT_EQ(dialog.Stop(), "00:00:03:000");
  EXPECT_EQ(dialog.Out(), "00:00:01:400");
  EXPECT_EQ(dialog.SourceLength(), "00:00:09:000");
  EXPECT_EQ(dialog.linked, 0);
  EXPECT_STREQ(kLinkChoices[dialog.linked], "Unlinked");
  EXPECT_STREQ(kSelectionChoices[dialog.selection], "None");
  EXPECT_EQ(dialog.volumePercent, 25);
  EXPECT_EQ(dialog.NeighbourLow(), 1000.0);
  EXPECT_EQ(dialog.NeighbourHigh(), 5000.0);
  dialog.ChangeStart("00:00:00:500");
  EXPECT_EQ(dialog.start, "00:00:01:000");
  dialog.ChangeStart("00:00:07:000");
  EXPECT_EQ(dialog.start, "00:00:05:000");
}

TEST(ClipProperties, ASizeTooLongForTheGapEndsAtTheNextClip) {
  VideoStandardScope pal(VideoStandard{});
  const TenMsPerPixel view;
  CTrack video(TrackTypes::Video, 48);
  CFilm& clip = Place(video, 0, 1000, SourceFlags::MovieFile | SourceFlags::VideoStream);
  Place(video, 2000, 1000, SourceFlags::MovieFile | SourceFlags::VideoStream);
  ProjectTimes times;
  ClipPropertiesDialog dialog(clip);
  dialog.size = "00:00:05:000";
  dialog.Apply(times, view);
  EXPECT_EQ(clip.duration, 2000.0);
  EXPECT_THAT(CheckTracksConsistency({&video}), ::testing::IsEmpty());
}

TEST(ClipProperties, OkSnapsGrowsTheProjectAndCarriesLinkedClipsAlong) {
  VideoStandardScope pal(VideoStandard{});
  const TenMsPerPixel view;
  CTrack video(TrackTypes::Video, 48), audio(TrackTypes::Audio, 48);
  CFilm& picture = Place(video, 1000, 1000, SourceFlags::MovieFile | SourceFlags::VideoStream);
  CFilm& sound = Place(audio, 1000, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
  CFilm::Link(picture, sound);
  sound.fadeIn = 900;

  ProjectTimes times;
  ClipPropertiesDialog dialog(picture);
  EXPECT_EQ(dialog.linked, 1);
  dialog.start = "00:00:19:013";
  dialog.size = "00:00:02:519";
  dialog.in = "00:00:00:081";
  dialog.name = "Interview";
  dialog.selection = 1;
  dialog.Apply(times, view);
  EXPECT_EQ(picture.start, 19000.0);
  EXPECT_EQ(picture.duration, 2480.0);
  EXPECT_EQ(picture.inPoint, 80.0);
  EXPECT_EQ(picture.name, "Interview");
  EXPECT_EQ(times.projectSize, 21480.0);
  EXPECT_EQ(sound.start, 19000.0);
  EXPECT_EQ(sound.duration, 2480.0);
  EXPECT_EQ(sound.selection, 1);
  EXPECT_EQ(sound.name, "");  // only the timing and selection are shared
  EXPECT_THAT(CheckTracksConsistency({&video, &audio}), ::testing::IsEmpty());

  ClipPropertiesDialog soundDialog(sound);
  soundDialog.size = "00:00:00:500";
  soundDialog.fadeOut = "00:00:00:300";
  soundDialog.volumePercent = 250;
  soundDialog.linked = 0;
  soundDialog.Apply(times, view);
  EXPECT_EQ(sound.volume, 1.0);
  EXPECT_EQ(sound.fadeIn, 0.0);  // 900 no longer fits 500
  EXPECT_EQ(sound.fadeOut, 300.0);
  EXPECT_TRUE(sound.links.empty());
  EXPECT_TRUE(picture.links.empty());
  EXPECT_EQ(picture.duration, 2480.0);  // unlinked: the picture stays
  EXPECT_THAT(CheckTracksConsistency({&video, &audio}), ::testing::IsEmpty());
}

// A picture on a clear video track linked to a sound whose audio track has
// clips at 3000–4000 and 6000–7000.
struct LinkedPartnerFixture : ::testing::Test {
  static CTimelineData VideoAndAudioTracks() {
    CTimelineData timeline;
    timeline.tracks.push_back(std::make_unique<CTrack>(TrackTypes::Video, 48));
    timeline.tracks.push_back(std::make_unique<CTrack>(TrackTypes::Audio, 48));
    return timeline;
  }
  LinkedPartnerFixture() {
    Place(Audio(), 3000, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
    Place(Audio(), 6000, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
    CFilm::Link(picture, sound);
  }
  CTrack& Video() { return *timeline.tracks[0]; }
  CTrack& Audio() { return *timeline.tracks[1]; }
  void ExpectConsistent() {
    EXPECT_THAT(CheckTimelineConsistency(timeline, {}), ::testing::IsEmpty());
    EXPECT_THAT(testing::OverlappingClips(Audio()), ::testing::IsEmpty());
    EXPECT_THAT(testing::OverlappingClips(Video()), ::testing::IsEmpty());
  }

  VideoStandardScope pal{VideoStandard{}};
  const TenMsPerPixel view;
  ProjectTimes times;
  CTimelineData timeline = VideoAndAudioTracks();
  CFilm& picture = Place(Video(), 4000, 1000, SourceFlags::MovieFile | SourceFlags::VideoStream);
  CFilm& sound = Place(Audio(), 4000, 1000, SourceFlags::MovieFile | SourceFlags::AudioStream);
};

TEST_F(LinkedPartnerFixture, AStartPastThePartnersNeighbourStopsWhereThePartnerHasRoom) {
  ClipPropertiesDialog dialog(picture);
  EXPECT_EQ(dialog.NeighbourLow(), 4000.0);  // the sound's room, not the picture's clear track
  EXPECT_EQ(dialog.NeighbourHigh(), 6000.0);
  dialog.ChangeStart("00:00:08:000");
  EXPECT_EQ(dialog.start, "00:00:06:000");
  dialog.Apply(times, view);
  ExpectConsistent();
  // One frame before the sound's next clip, the size cut to that frame.
  EXPECT_EQ(picture.start, 5960.0);
  EXPECT_EQ(picture.duration, 40.0);
  EXPECT_EQ(sound.start, 5960.0);
  EXPECT_EQ(sound.duration, 40.0);

  ClipPropertiesDialog back(sound);
  back.start = "00:00:01:000";  // typed past the clip before, without the field's hold
  back.size = "00:00:01:520";
  back.Apply(times, view);
  ExpectConsistent();
  EXPECT_EQ(sound.start, 4000.0);
  EXPECT_EQ(picture.start, 4000.0);
  EXPECT_EQ(picture.duration, 1520.0);
}

TEST_F(LinkedPartnerFixture, ALongerSizeEndsWhereThePartnersTrackEnds) {
  ClipPropertiesDialog dialog(picture);
  dialog.size = "00:00:05:000";
  dialog.Apply(times, view);
  ExpectConsistent();
  EXPECT_EQ(picture.duration, 2000.0);
  EXPECT_EQ(sound.duration, 2000.0);
}

TEST_F(LinkedPartnerFixture, AnUnlinkedClipHasOnlyItsOwnTracksLimit) {
  ClipPropertiesDialog dialog(picture);
  dialog.linked = 0;
  EXPECT_EQ(dialog.NeighbourLow(), 0.0);
  EXPECT_EQ(dialog.NeighbourHigh(), 100000000.0);
  dialog.ChangeStart("00:00:08:000");
  dialog.size = "00:00:05:000";
  dialog.Apply(times, view);
  ExpectConsistent();
  EXPECT_EQ(picture.start, 8000.0);
  EXPECT_EQ(picture.duration, 5000.0);
  EXPECT_EQ(sound.start, 4000.0);
  EXPECT_EQ(sound.duration, 1000.0);
}

TEST_F(LinkedPartnerFixture, APartnerWithNoRoomLeavesTheTimesAsTheyAre) {
  // A project made elsewhere may already overlap the sound with both its
  // neighbours; no start keeps it clear, so none is taken.
  Audio().clips[0]->duration = 1500.0;  // 3000–4500
  Audio().clips[2]->start = 4200.0;
  Audio().InsertInOrder(Audio().Remove(*Audio().clips[2]));
  ClipPropertiesDialog dialog(picture);
  dialog.start = "00:00:09:000";
  dialog.name = "Kept";
  dialog.Apply(times, view);
  EXPECT_EQ(picture.start, 4000.0);
  EXPECT_EQ(sound.start, 4000.0);
  EXPECT_EQ(picture.duration, 1000.0);
  EXPECT_EQ(picture.name, "Kept");
  EXPECT_THAT(CheckTimelineConsistency(timeline, {}), ::testing::IsEmpty());
}

TEST(ClipProperties, SlideTitleTakesItsLengthAsTyped) {
  VideoStandardScope pal(VideoStandard{});
  const TenMsPerPixel view;
  CTrack slide(TrackTypes::TitleSlide, 48);
  CFilm& title = Place(slide, 0, 1000, SourceFlags::VideoStream);
  ClipPropertiesDialog dialog(title);
  dialog.start = "00:00:01:013";
  dialog.size = "00:00:02:519";
  dialog.fadeIn = "00:00:00:333";
  ProjectTimes times;
  dialog.Apply(times, view);
  EXPECT_EQ(title.start, 1000.0);
  EXPECT_EQ(title.duration, 2519.0);
  EXPECT_EQ(title.fadeIn, 333.0);
}

}  // namespace
}  // namespace vantorelle
