// The "Title Track Settings" dialog on a project: the records it opens on,
// the list and preview, adding, changing and deleting title tracks, the
// region fields, OK refusing overlapping regions, and what OK applies to the
// project (and Cancel does not).
#include "titles/title_track_settings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/document_fixture.h"
#include "support/timeline_fixtures.h"
#include "titles/title_track_apply.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::PlaceClip;
using Model = TitleTrackSettingsModel;

class RecordingViews : public IDocumentViews {
 public:
  void ReleaseMovieMap() override { calls.push_back("ReleaseMovieMap"); }
  void ClearFramePictures() override { calls.push_back("ClearFramePictures"); }
  void Repaint(std::uint32_t mask) override { calls.push_back("Repaint " + std::to_string(mask)); }
  void TrackCountChanged(int count) override { calls.push_back("TrackCountChanged " + std::to_string(count)); }
  void RedrawTrackHeaders() override { calls.push_back("RedrawTrackHeaders"); }
  void LayOutTracks(std::int32_t first) override { calls.push_back("LayOutTracks " + std::to_string(first)); }
  void PlaceMainWindowByDefault() override { calls.push_back("PlaceMainWindowByDefault"); }
  void FollowDocument() override { calls.push_back("FollowDocument"); }
  std::vector<std::string> calls;
};

// The default project: tracks 4 (slide, 0,0 200×100) and 5 (movable, 0,150
// 500×100, speed 1.0) are its title tracks.
struct TitleTrackSettings : ::testing::Test {
  TitleTrackSettings() {
    t.doc.AttachViews(&views);
    image.frameWidth = 720;
    image.frameHeight = 576;
    image.flags = SourceFlags::VideoStream;
  }
  CTrack& Slide() { return t.Track(4); }
  CTrack& Movable() { return t.Track(5); }
  CFilm& PlaceImage(CTrack& track, TimeMs start, TimeMs duration) {
    CFilm& clip = PlaceClip(track, start, duration, SourceFlags::VideoStream, &image);
    clip.sourceLength = duration;
    t.doc.timeline.RecountSourceUsage(t.doc.SourcePointers());
    return clip;
  }
  std::vector<std::string> TrackNames() const {
    std::vector<std::string> names;
    for (const auto& track : t.doc.timeline.tracks) names.push_back(track->name);
    return names;
  }
  void ExpectConsistent() {
    std::vector<const CSrc*> sources;
    for (const auto& source : t.doc.sources) sources.push_back(source.get());
    t.ExpectConsistent(sources);
  }
  // Adds a slide record through the add dialog, placed clear of the others.
  void AddSlideAt(Model& model, const std::string& name, std::int32_t left, std::int32_t top) {
    TitleTrackEditor editor = model.BeginAdd();
    editor.name = name;
    model.FinishAdd(editor);
    model.SetTop(top);
    model.SetLeft(left);
  }

  testing::TestDocument t;
  CSrc& image = t.AddSource("/titles/crawl.bmp", 0.0, SourceFlags::VideoStream);
  RecordingViews views;
};

TEST_F(TitleTrackSettings, OpensOnOneRecordPerTitleTrackInListOrder) {
  PlaceImage(Movable(), 0.0, 14400.0);
  const Model model(t.doc);
  ASSERT_EQ(model.Records().size(), 2u);
  const TitleTrackRecord& slide = model.Records()[0];
  EXPECT_EQ(slide.track, &Slide());
  EXPECT_EQ(slide.type, 0x40020u);
  EXPECT_EQ(slide.name, "Title track(slide) number 1");
  EXPECT_EQ(slide.hasClips, 0);
  EXPECT_EQ(slide.region, (TitleRegion{0, 0, 200, 100}));
  EXPECT_EQ(slide.trackHeight, 96);
  const TitleTrackRecord& movable = model.Records()[1];
  EXPECT_EQ(movable.track, &Movable());
  EXPECT_EQ(movable.hasClips, 1);
  EXPECT_EQ(movable.precision, 2);
  EXPECT_EQ(movable.maxSpeed, 1.0);
  EXPECT_EQ(movable.region, (TitleRegion{0, 150, 500, 100}));
  EXPECT_EQ(model.Selected(), 0);
  EXPECT_EQ(model.Frame(), (FrameSize{720, 576}));
}

TEST_F(TitleTrackSettings, TheListShowsNameAndInfoOfEachKind) {
  Model model(t.doc);
  const auto rows = model.ListRows();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].name, "Title track(slide) number 1");
  EXPECT_EQ(rows[0].info, "Width: 200, height: 100");
  EXPECT_EQ(rows[1].name, "Title track(movable) number 1");
  EXPECT_EQ(rows[1].info, "Move: 'To Left' with max speed =  1.00, width: 500, height: 100");
  EXPECT_STREQ(Model::kNameColumn, "Track name");
  EXPECT_STREQ(Model::kInfoColumn, "Track Info");

  ASSERT_TRUE(model.Select(1));
  model.SetWidth(300);
  EXPECT_EQ(model.ListRows()[1].info, "Move: 'To Left' with max speed =  1.00, width: 300, height: 100");
}

TEST_F(TitleTrackSettings, OpenedFromATrackItsRecordIsSelected) {
  EXPECT_EQ(Model(t.doc, &Movable()).Selected(), 1);
  EXPECT_EQ(Model(t.doc, &t.Track(0)).Selected(), 0);  // not a title track
  Model model(t.doc);
  EXPECT_FALSE(model.Select(2));
  EXPECT_FALSE(model.Select(-1));
  EXPECT_EQ(model.Selected(), 0);
}

TEST_F(TitleTrackSettings, ThePreviewShowsEveryRegionAtHalfSizeInItsKindsFill) {
  t.doc.colours.fill[4] = 0x112233;  // movable
  t.doc.colours.fill[5] = 0x445566;  // slide
  Model model(t.doc);
  EXPECT_EQ(model.PreviewFrame(), (FrameSize{360, 288}));
  const auto preview = model.Preview();
  ASSERT_EQ(preview.size(), 2u);
  EXPECT_EQ(preview[0].rect, (PixelRect{0, 0, 100, 50}));
  EXPECT_EQ(preview[0].fill, 0x445566u);
  EXPECT_EQ(preview[1].rect, (PixelRect{0, 75, 250, 125}));
  EXPECT_EQ(preview[1].fill, 0x112233u);
}

TEST_F(TitleTrackSettings, ThePreviewShowsTheSlidePictureUnderTheTimeMarkFittedIntoItsRegion) {
  CSrc& small = t.AddSource("/titles/small.png", 0.0, SourceFlags::VideoStream);
  small.frameWidth = 40;
  small.frameHeight = 30;
  PlaceImage(Slide(), 0.0, 5000.0);
  CFilm& second = PlaceClip(Slide(), 5000.0, 5000.0, SourceFlags::VideoStream, &small);
  second.sourceLength = 5000.0;
  PlaceImage(Movable(), 0.0, 5000.0);
  t.doc.times.timeMark = 6000.0;
  auto preview = Model(t.doc).Preview();
  ASSERT_EQ(preview.size(), 2u);
  EXPECT_EQ(preview[0].picture, "/titles/small.png");
  EXPECT_EQ(preview[0].pictureRect, (PixelRect{0, 0, 20, 15})) << "a picture that fits stays 1:1 in the corner";
  EXPECT_EQ(preview[1].picture, "") << "a crawl has no one place";

  // Past every clip, the first one's: 720 × 576 fitted into 200 × 100 is
  // 125 × 100, centred across.
  t.doc.times.timeMark = 20000.0;
  Model model(t.doc);
  preview = model.Preview();
  EXPECT_EQ(preview[0].picture, "/titles/crawl.bmp");
  EXPECT_EQ(preview[0].pictureRect, (PixelRect{18, 0, 81, 50}));
  // The picture follows the region as its fields change.
  ASSERT_TRUE(model.SetLeft(100));
  EXPECT_EQ(model.Preview()[0].pictureRect, (PixelRect{68, 0, 131, 50}));
}

TEST_F(TitleTrackSettings, RegionFieldsDeriveRightAndBottomAndStayInTheFrame) {
  Model model(t.doc);
  ASSERT_TRUE(model.Select(1));
  EXPECT_EQ(model.Fields(), (Model::RegionFields{0, 150, 500, 100, 500, 250}));
  EXPECT_TRUE(model.SetLeft(400));
  EXPECT_EQ(model.Fields(), (Model::RegionFields{220, 150, 500, 100, 720, 250}));
  EXPECT_TRUE(model.SetTop(1000));
  EXPECT_EQ(model.Fields().top, 476);
  EXPECT_TRUE(model.SetRight(600));
  EXPECT_EQ(model.Fields(), (Model::RegionFields{220, 476, 380, 100, 600, 576}));
  EXPECT_TRUE(model.SetBottom(500));
  EXPECT_EQ(model.Fields().height, 24);
  EXPECT_TRUE(model.SetHeight(900));
  EXPECT_EQ(model.Fields().height, 100);
  EXPECT_TRUE(model.SetWidth(-3));
  EXPECT_EQ(model.Fields().width, 0);
  EXPECT_FALSE(model.SetWidth(0));  // no change
  // The other record and the document are untouched.
  EXPECT_EQ(model.Records()[0].region, (TitleRegion{0, 0, 200, 100}));
  EXPECT_EQ(RegionOf(Movable()), (TitleRegion{0, 150, 500, 100}));
}

TEST_F(TitleTrackSettings, EachRegionChangeRedrawsTheOldAndTheNewPlace) {
  Model model(t.doc);
  model.SetLeft(100);
  EXPECT_THAT(model.TakePreviewDamage(), ElementsAre(PixelRect{0, 0, 100, 50}, PixelRect{50, 0, 150, 50}));
  EXPECT_TRUE(model.TakePreviewDamage().empty());
  model.SetLeft(100);
  EXPECT_TRUE(model.TakePreviewDamage().empty());
}

TEST_F(TitleTrackSettings, AddingANewTrackAppendsAndSelectsItsRecord) {
  Model model(t.doc);
  TitleTrackEditor editor = model.BeginAdd();
  EXPECT_STREQ(editor.Caption(), "Add New Title Track");
  EXPECT_EQ(editor.name, "Region 3");
  EXPECT_EQ(editor.TypeIndex(), 1);
  EXPECT_EQ(editor.heightChoice, 1);
  editor.SetTypeIndex(0);
  editor.SetDirection(3);
  editor.SetPrecision(2);
  editor.TypeSpeed("2.5");
  editor.fadeIn = 200.0;
  model.FinishAdd(editor);

  ASSERT_EQ(model.Records().size(), 3u);
  EXPECT_EQ(model.Selected(), 2);
  const TitleTrackRecord& added = model.Records()[2];
  EXPECT_EQ(added.track, nullptr);
  EXPECT_EQ(added.hasClips, 0);
  EXPECT_EQ(added.name, "Region 3");
  EXPECT_EQ(added.type, 0x40010u);
  EXPECT_EQ(added.direction, 3);
  EXPECT_EQ(added.precision, 2);
  EXPECT_EQ(added.maxSpeed, 2.5);
  EXPECT_EQ(added.fadeIn, 200.0);
  EXPECT_EQ(added.region, (TitleRegion{0, 0, 80, 80}));
  EXPECT_EQ(model.Fields(), (Model::RegionFields{0, 0, 80, 80, 80, 80}));
  EXPECT_THAT(model.TakePreviewDamage(), ElementsAre(PixelRect{0, 0, 40, 40}));
  EXPECT_EQ(model.ListRows()[2].info, "Move: 'To Down' with max speed =  2.50, width: 80, height: 80");
  EXPECT_EQ(model.BeginAdd().name, "Region 4");
  EXPECT_EQ(t.doc.timeline.tracks.size(), 6u);  // nothing applied yet
}

TEST_F(TitleTrackSettings, TheOnlyRecordIsShownInTheFieldsAtOnce) {
  t.doc.timeline.tracks.resize(4);  // no title tracks
  Model model(t.doc);
  EXPECT_EQ(model.Selected(), -1);
  EXPECT_EQ(model.Fields(), Model::RegionFields{});
  EXPECT_FALSE(model.SetLeft(10));
  EXPECT_FALSE(model.CanChangeSelected());
  model.FinishAdd(model.BeginAdd());
  EXPECT_EQ(model.Selected(), 0);
  EXPECT_EQ(model.Fields().width, 80);
}

TEST_F(TitleTrackSettings, ChangingTheSelectedTrackKeepsItsRegion) {
  Model model(t.doc);
  model.Select(1);
  TitleTrackEditor editor = model.BeginChange();
  EXPECT_STREQ(editor.Caption(), "Change Title Track Settings");
  EXPECT_EQ(editor.name, "Title track(movable) number 1");
  EXPECT_EQ(editor.Precision().selection, 2);
  editor.name = "Crawl";
  editor.SetDirection(1);
  editor.TypeSpeed("3");
  editor.heightChoice = 2;
  model.FinishChange(editor);
  const TitleTrackRecord& changed = model.Records()[1];
  EXPECT_EQ(changed.name, "Crawl");
  EXPECT_EQ(changed.direction, 1);
  EXPECT_EQ(changed.maxSpeed, 3.0);
  EXPECT_EQ(changed.trackHeight, 96);
  EXPECT_EQ(changed.region, (TitleRegion{0, 150, 500, 100}));
  EXPECT_EQ(changed.track, &Movable());
  EXPECT_EQ(model.ListRows()[1].name, "Crawl");
  EXPECT_EQ(model.ListRows()[1].info, "Move: 'To Right' with max speed =  3.00, width: 500, height: 100");
  EXPECT_EQ(Movable().name, "Title track(movable) number 1");
}

TEST_F(TitleTrackSettings, DeletingATrackWithClipsIsRefused) {
  PlaceImage(Movable(), 0.0, 14400.0);
  Model model(t.doc);
  model.Select(1);
  EXPECT_FALSE(model.DeleteSelected(t.ui));
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0].text, "Can't delete track, because there are some clips on deleted track");
  EXPECT_EQ(t.ui.messages[0].caption, "Delete title track");
  EXPECT_EQ(t.ui.messages[0].icon, MessageIcon::Warning);
  EXPECT_EQ(model.Records().size(), 2u);
  EXPECT_EQ(model.Selected(), 1);
  EXPECT_TRUE(model.TakePreviewDamage().empty());
}

TEST_F(TitleTrackSettings, ATrackThatGainedClipsSinceOpeningIsNotDeletedEither) {
  Model model(t.doc);
  PlaceImage(Slide(), 0.0, 10000.0);
  EXPECT_FALSE(model.DeleteSelected(t.ui));
  EXPECT_THAT(t.ui.MessageTexts(), ElementsAre(Model::kDeleteRefusal));
}

TEST_F(TitleTrackSettings, DeletingSelectsTheFirstRecordAndOkDestroysTheTrack) {
  Model model(t.doc);
  AddSlideAt(model, "Extra", 600, 0);
  model.Select(1);
  model.TakePreviewDamage();
  ASSERT_TRUE(model.DeleteSelected(t.ui));
  EXPECT_THAT(model.TakePreviewDamage(), ElementsAre(PixelRect{0, 75, 250, 125}));
  EXPECT_EQ(model.Selected(), 0);
  ASSERT_EQ(model.Records().size(), 2u);
  EXPECT_EQ(model.Records()[1].name, "Extra");
  EXPECT_TRUE(t.ui.messages.empty());

  ASSERT_TRUE(model.Ok(t.doc));
  EXPECT_THAT(TrackNames(), ElementsAre("Video track number 1", "Video track number 2", "Audio track number 1",
                                        "Audio track number 2", "Title track(slide) number 1", "Extra"));
  ExpectConsistent();
}

TEST_F(TitleTrackSettings, DeletingEveryRecordLeavesNoTitleTrack) {
  Model model(t.doc);
  ASSERT_TRUE(model.DeleteSelected(t.ui));
  ASSERT_TRUE(model.DeleteSelected(t.ui));
  EXPECT_EQ(model.Selected(), -1);
  EXPECT_FALSE(model.DeleteSelected(t.ui));
  ASSERT_TRUE(model.Ok(t.doc));
  EXPECT_EQ(t.doc.timeline.tracks.size(), 4u);
  ExpectConsistent();
}

TEST_F(TitleTrackSettings, TouchingRegionsAreAcceptedOverlappingOnesRefused) {
  Model model(t.doc);
  model.Select(0);
  model.SetHeight(100);
  model.SetWidth(100);
  model.Select(1);
  model.SetTop(0);
  model.SetWidth(100);
  model.SetLeft(100);
  std::int32_t a = -1;
  std::int32_t b = -1;
  EXPECT_FALSE(model.FindIntersection(a, b));

  model.SetLeft(99);
  EXPECT_TRUE(model.FindIntersection(a, b));
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 1);
  EXPECT_FALSE(model.Ok(t.doc));
  ASSERT_EQ(t.ui.messages.size(), 1u);
  EXPECT_EQ(t.ui.messages[0].text, "Replace title regions to prevent their intersection! ");
  EXPECT_EQ(t.ui.messages[0].caption, "Replace Tile Regions");
  EXPECT_EQ(t.ui.messages[0].icon, MessageIcon::Error);
  EXPECT_EQ(RegionOf(Movable()), (TitleRegion{0, 150, 500, 100}));  // nothing applied
  EXPECT_FALSE(t.doc.IsModified());

  model.SetLeft(100);
  EXPECT_TRUE(model.Ok(t.doc));
  EXPECT_EQ(RegionOf(Movable()), (TitleRegion{100, 0, 100, 100}));
}

TEST_F(TitleTrackSettings, ANewRecordOnTopOfAnotherBlocksOk) {
  Model model(t.doc);
  model.FinishAdd(model.BeginAdd());  // 0,0 80×80 inside the slide region
  EXPECT_FALSE(model.Ok(t.doc));
  EXPECT_THAT(t.ui.MessageTexts(), ElementsAre(Model::kIntersectionRefusal));
  EXPECT_EQ(t.doc.timeline.tracks.size(), 6u);
}

TEST_F(TitleTrackSettings, CancelChangesNothing) {
  PlaceImage(Movable(), 0.0, 14400.0);
  t.doc.RecordUndo(1);
  t.doc.SetModified(false);
  const CTrack* slide = &Slide();
  {
    Model model(t.doc);
    model.SetLeft(300);
    TitleTrackEditor editor = model.BeginChange();
    editor.name = "Changed";
    editor.SetTypeIndex(0);
    model.FinishChange(editor);
    AddSlideAt(model, "Extra", 600, 400);
    model.Select(0);
    model.DeleteSelected(t.ui);
  }  // closed with Cancel
  EXPECT_THAT(TrackNames(), ElementsAre("Video track number 1", "Video track number 2", "Audio track number 1",
                                        "Audio track number 2", "Title track(slide) number 1",
                                        "Title track(movable) number 1"));
  EXPECT_EQ(&Slide(), slide);
  EXPECT_EQ(Slide().type, TrackTypes::TitleSlide);
  EXPECT_EQ(RegionOf(Slide()), (TitleRegion{0, 0, 200, 100}));
  EXPECT_EQ(Movable().clips[0]->duration, 14400.0);
  EXPECT_TRUE(t.doc.undoHistory.CanUndo());
  EXPECT_FALSE(t.doc.IsModified());
  EXPECT_TRUE(views.calls.empty());
}

TEST_F(TitleTrackSettings, OkGivesTheTracksTheirRecordsSettings) {
  CTrack* slide = &Slide();
  CTrack* movable = &Movable();
  Model model(t.doc);
  model.SetLeft(500);
  TitleTrackEditor editor = model.BeginChange();
  editor.name = "Logo";
  editor.heightChoice = 0;
  editor.fadeIn = 400.0;
  editor.fadeOut = 800.0;
  model.FinishChange(editor);
  model.Select(1);
  editor = model.BeginChange();
  editor.SetTypeIndex(1);  // the crawl becomes a slide show
  model.FinishChange(editor);

  ASSERT_TRUE(model.Ok(t.doc));
  ASSERT_EQ(t.doc.timeline.tracks.size(), 6u);
  EXPECT_EQ(&Slide(), slide);  // the same tracks, not copies
  EXPECT_EQ(&t.Track(5), movable);
  EXPECT_EQ(slide->name, "Logo");
  EXPECT_EQ(slide->height, 24);
  EXPECT_EQ(slide->fadeIn, 400.0);
  EXPECT_EQ(slide->fadeOut, 800.0);
  EXPECT_EQ(RegionOf(*slide), (TitleRegion{500, 0, 200, 100}));
  EXPECT_EQ(movable->type, TrackTypes::TitleSlide);
  EXPECT_EQ(movable->precision, 2);
  ExpectConsistent();
}

TEST_F(TitleTrackSettings, OkReTimesTheClipsOfMovableTitlesToTheNewSpeed) {
  PlaceImage(Movable(), 0.0, 14400.0);
  PlaceImage(Movable(), 14400.0, 14400.0);
  Model model(t.doc, &Movable());
  TitleTrackEditor editor = model.BeginChange();
  editor.TypeSpeed("2.0");
  model.FinishChange(editor);
  ASSERT_TRUE(model.Ok(t.doc));

  EXPECT_EQ(Movable().maxSpeed, 2.0);
  ASSERT_EQ(Movable().clips.size(), 2u);
  EXPECT_EQ(Movable().clips[0]->start, 0.0);
  EXPECT_EQ(Movable().clips[0]->duration, 7200.0);
  EXPECT_EQ(Movable().clips[1]->start, 7200.0);
  EXPECT_EQ(Movable().clips[1]->duration, 7200.0);
  EXPECT_EQ(Movable().clips[1]->sourceLength, 7200.0);
  EXPECT_EQ(Movable().LeadIn(), 5000.0);
  ExpectConsistent();
}

TEST_F(TitleTrackSettings, OkAppendsNewTracksAfterTheOthersInRecordOrder) {
  Model model(t.doc);
  AddSlideAt(model, "Lower third", 0, 400);
  TitleTrackEditor editor = model.BeginAdd();
  editor.name = "Ticker";
  editor.SetTypeIndex(0);
  model.FinishAdd(editor);
  model.SetHeight(76);
  model.SetTop(500);
  model.SetWidth(720);
  ASSERT_TRUE(model.Ok(t.doc));

  EXPECT_THAT(TrackNames(), ElementsAre("Video track number 1", "Video track number 2", "Audio track number 1",
                                        "Audio track number 2", "Title track(slide) number 1",
                                        "Title track(movable) number 1", "Lower third", "Ticker"));
  const CTrack& lower = t.Track(6);
  EXPECT_EQ(lower.type, TrackTypes::TitleSlide);
  EXPECT_EQ(lower.height, 48);
  EXPECT_EQ(lower.shown, 1);
  EXPECT_EQ(RegionOf(lower), (TitleRegion{0, 400, 80, 80}));
  const CTrack& ticker = t.Track(7);
  EXPECT_EQ(ticker.type, TrackTypes::TitleMovable);
  EXPECT_EQ(ticker.maxSpeed, 1.0);
  EXPECT_EQ(RegionOf(ticker), (TitleRegion{0, 500, 720, 76}));
  ExpectConsistent();
}

TEST_F(TitleTrackSettings, NewTracksAreShownOnlyWhenATitleTrackWasShown) {
  Slide().shown = 0;
  Movable().shown = 0;
  {
    Model model(t.doc);
    AddSlideAt(model, "Hidden", 600, 400);
    ASSERT_TRUE(model.Ok(t.doc));
    EXPECT_EQ(t.Track(6).shown, 0);
  }
  t.doc.timeline.tracks.resize(4);
  Model model(t.doc);
  model.FinishAdd(model.BeginAdd());
  ASSERT_TRUE(model.Ok(t.doc));
  ASSERT_EQ(t.doc.timeline.tracks.size(), 5u);
  EXPECT_EQ(t.Track(4).shown, 0);
  EXPECT_EQ(t.Track(4).name, "Region 1");
}

TEST_F(TitleTrackSettings, OkCannotBeUndoneAndRedrawsEveryView) {
  CFilm& clip = PlaceImage(Movable(), 0.0, 14400.0);
  t.doc.timeline.clipboard.push_back(clip.Copy());
  t.doc.timeline.clipboard.back()->track = &Movable();
  t.doc.RecordUndo(1);
  t.doc.SetModified(false);
  t.doc.preferences.firstVisibleTrack = 2;
  Model model(t.doc);
  AddSlideAt(model, "Extra", 600, 400);
  ASSERT_TRUE(model.Ok(t.doc));

  EXPECT_TRUE(t.doc.timeline.clipboard.empty());
  EXPECT_FALSE(t.doc.undoHistory.CanUndo());
  EXPECT_FALSE(t.doc.undoHistory.CanRedo());
  EXPECT_TRUE(t.doc.IsModified());
  EXPECT_THAT(views.calls, ElementsAre("TrackCountChanged 7", "RedrawTrackHeaders", "LayOutTracks 2", "Repaint 30"));
  ExpectConsistent();
}

TEST_F(TitleTrackSettings, OkWithTheSameNumberOfTracksDoesNotResizeTheProjectViewer) {
  Model model(t.doc);
  ASSERT_TRUE(model.Ok(t.doc));
  EXPECT_THAT(views.calls, ElementsAre("RedrawTrackHeaders", "LayOutTracks 0", "Repaint 30"));
}

TEST(ReplaceTitleTracks, ATitleTrackWithClipsIsNeverDestroyed) {
  testing::VideoStandardScope pal{VideoStandard{}};
  CTimelineData timeline;
  timeline.MakeDefaultTracks();
  CTrack* slide = timeline.tracks[4].get();
  PlaceClip(*slide, 0.0, 10000.0);
  CTrack* movable = timeline.tracks[5].get();
  ReplaceTitleTracks(timeline, {TitleTrackRecord::FromTrack(*movable)}, true);
  ASSERT_EQ(timeline.tracks.size(), 6u);
  EXPECT_EQ(timeline.tracks[4].get(), movable);
  EXPECT_EQ(timeline.tracks[5].get(), slide);
  EXPECT_EQ(slide->clips.size(), 1u);
  EXPECT_TRUE(CheckTimelineConsistency(timeline).empty());
}

TEST(ReplaceTitleTracks, ATrackNamedTwiceTakesTheFirstRecordAndTheSecondMakesANewTrack) {
  testing::VideoStandardScope pal{VideoStandard{}};
  CTimelineData timeline;
  timeline.MakeDefaultTracks();
  CTrack* slide = timeline.tracks[4].get();
  TitleTrackRecord first = TitleTrackRecord::FromTrack(*slide);
  first.name = "First";
  TitleTrackRecord second = first;
  second.name = "Second";
  ReplaceTitleTracks(timeline, {first, second}, true);
  ASSERT_EQ(timeline.tracks.size(), 6u);
  EXPECT_EQ(timeline.tracks[4].get(), slide);
  EXPECT_EQ(slide->name, "First");
  EXPECT_NE(timeline.tracks[5].get(), slide);
  EXPECT_EQ(timeline.tracks[5]->name, "Second");
  EXPECT_TRUE(CheckTimelineConsistency(timeline).empty());
}

TEST(ReplaceTitleTracks, ARecordOfATrackOutsideTheTimelineMakesANewTrack) {
  testing::VideoStandardScope pal{VideoStandard{}};
  CTimelineData timeline;
  timeline.MakeDefaultTracks();
  CTrack stranger(TrackTypes::TitleSlide, 48);
  stranger.name = "Stranger";
  ReplaceTitleTracks(timeline, {TitleTrackRecord::FromTrack(stranger)}, false);
  ASSERT_EQ(timeline.tracks.size(), 5u);
  EXPECT_NE(timeline.tracks[4].get(), &stranger);
  EXPECT_EQ(timeline.tracks[4]->name, "Stranger");
  EXPECT_EQ(timeline.tracks[4]->shown, 0);
}

}  // namespace
}  // namespace vantorelle
