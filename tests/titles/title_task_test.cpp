// Title tasks on the recording board: the objects made per track kind, the
// crawl-pixel and fade arithmetic of a fill, the picture under a time, the
// slide preview, and the failure boxes of reset and preview preparation.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <limits>

#include "support/fake_board.h"
#include "support/scripted_user_interface.h"
#include "support/video_standard_scope.h"
#include "titles/title_task_list.h"

namespace vantorelle {
namespace {

using ::testing::ElementsAre;
using testing::FakeComponentFactory;
using testing::ScriptedUserInterface;
using testing::VideoStandardScope;

class TitleTaskTest : public ::testing::Test {
 protected:
  TitleTaskTest() { factory.CreateBoard(board); }

  CTrack& Movable() {
    auto track = std::make_unique<CTrack>(TrackTypes::TitleMovable, 48);
    track->direction = 0;
    track->regionLeft = 10;
    track->regionTop = 20;
    track->regionWidth = 300;
    track->regionHeight = 60;
    track->precision = 2;
    track->maxSpeed = 2.0;
    tracks.push_back(std::move(track));
    return *tracks.back();
  }
  CTrack& Slide() {
    auto track = std::make_unique<CTrack>(TrackTypes::TitleSlide, 48);
    track->regionLeft = 5;
    track->regionTop = 6;
    track->regionWidth = 70;
    track->regionHeight = 80;
    tracks.push_back(std::move(track));
    return *tracks.back();
  }
  const CMovieMapItem& Image(const std::string& path) {
    auto item = std::make_unique<CMovieMapItem>();
    item->fileName = path;
    factory.CreatePlayStillImage(item->stillImage);
    map.Set(std::move(item));
    return *map.Find(path);
  }
  CFilm& Clip(CTrack& track, const std::string& path, TimeMs start, TimeMs duration) {
    if (!map.Find(path)) Image(path);
    sources.push_back(std::make_unique<CSrc>(path, path));
    auto clip = std::make_unique<CFilm>(sources.back().get());
    clip->start = start;
    clip->duration = clip->sourceLength = duration;
    return track.InsertInOrder(std::move(clip));
  }
  CPlayTask Entry(const CTrack& track, const std::string& path, std::int32_t start, std::int32_t length,
                  std::int32_t in = 0, std::int32_t sourceLength = 0) {
    CPlayTask entry;
    entry.movieItem = map.Find(path) ? map.Find(path) : &Image(path);
    entry.trackKey = &track;
    entry.fileName = path;
    entry.start = start;
    entry.length = length;
    entry.in = in;
    entry.sourceLength = sourceLength;
    return entry;
  }
  std::vector<std::string> Captions() const {
    std::vector<std::string> captions;
    for (const auto& message : ui.messages) captions.push_back(message.caption);
    return captions;
  }

  VideoStandardScope pal{VideoStandard{}};
  FakeComponentFactory factory;
  std::unique_ptr<IKlpBoard> board;
  ScriptedUserInterface ui;
  std::vector<std::unique_ptr<CTrack>> tracks;
  std::vector<std::unique_ptr<CSrc>> sources;
  CMovieMap map;
};

// --- Creation -------------------------------------------------------------------

TEST_F(TitleTaskTest, EachKindGetsItsObjectWithTheRegionAndCrawlSpeed) {
  CTrack& crawl = Movable();
  CTrack& slides = Slide();
  factory.ClearCalls();
  CTitleTask movable(*board, crawl, 0.0);
  CTitleTask slide(*board, slides, 0.0);
  EXPECT_THAT(factory.Calls(), ElementsAre("IKlpBoard::CreateMovableTitleTask(0, 100, 0, 10, 20, 300, 60, 2, 1, 0.5)",
                                           "IKlpBoard::CreateSlideTitleTask(0, 5, 6, 70, 80, 1, 0.5)"));
  EXPECT_TRUE(movable.Movable());
  EXPECT_FALSE(movable.Slide());
  EXPECT_EQ(movable.CrawlLength(), 300);
  EXPECT_TRUE(slide.Slide());
  crawl.maxSpeed = 0.0;  // from an old project: the slowest speed instead of none
  EXPECT_DOUBLE_EQ(movable.CrawlSpeed(), 0.5);
  crawl.direction = 2;
  EXPECT_EQ(movable.CrawlLength(), 60);
}

TEST_F(TitleTaskTest, ARefusedObjectLeavesATaskWithoutTrackAndTheBuildDropsIt) {
  CTrack& crawl = Movable();
  Slide();
  factory.Config().results["IKlpBoard::CreateMovableTitleTask"] = KlpFail;
  CTitleTask refused(*board, crawl, 0.0);
  EXPECT_EQ(refused.Track(), nullptr);
  EXPECT_FALSE(refused.HasObject());
  EXPECT_EQ(refused.PutState(0), KlpFalse);
  CTitleTaskList list;
  list.BuildTitleTasks(*board, tracks, 0.0, ui);
  ASSERT_EQ(list.Tasks().size(), 1u);
  EXPECT_EQ(list.Tasks()[0]->Track(), tracks[1].get());
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TitleTaskTest, TasksKeepTheFrameLengthTheyWereBuiltWithWhenTheStandardChanges) {
  Movable();
  CTitleTaskList list;
  list.BuildTitleTasks(*board, tracks, 0.0, ui);
  // An export's tasks are built under the project's standard; the editor may
  // switch to another one while the export plays them on its own thread.
  VideoStandardScope fifty{VideoStandard::FromBoard(1280, 720, 50.0)};
  factory.ClearCalls();
  ASSERT_TRUE(list.ResetTitleTasks(*board, ui));
  ASSERT_EQ(list.Tasks().size(), 1u);
  EXPECT_DOUBLE_EQ(list.Tasks()[0]->CrawlSpeed(), 100.0);  // 2 pixels a 40 ms frame
  EXPECT_THAT(factory.Calls(),
              ::testing::Contains("IKlpBoard::CreateMovableTitleTask(0, 100, 0, 10, 20, 300, 60, 2, 1, 0.5)"));
}

TEST_F(TitleTaskTest, BuildPreparesTheKeptTasksForThePreview) {
  Movable();
  Slide();
  tracks.push_back(std::make_unique<CTrack>(TrackTypes::Video, 48));
  CTitleTaskList list;
  factory.ClearCalls();
  list.BuildTitleTasks(*board, tracks, 0.0, ui);
  EXPECT_EQ(list.Tasks().size(), 2u);
  EXPECT_THAT(std::vector<std::string>(factory.Calls().begin() + 2, factory.Calls().end()),
              ElementsAre("IKlpMovableTitleTask::AddEmpty(300)", "IKlpMovableTitleTask::PutState(2)",
                          "IKlpMovableTitleTask::PutState(1)", "IKlpMovableTitleTask::PutState(4)",
                          "IKlpSlideTitleTask::AddEmpty(0.04)", "IKlpSlideTitleTask::PutState(2)",
                          "IKlpSlideTitleTask::PutState(1)", "IKlpSlideTitleTask::PutState(4)"));
}

// --- Fill -----------------------------------------------------------------------

TEST_F(TitleTaskTest, ACrawlOneSecondAfterThePlayStartGetsAHundredPixelEmptyStretch) {
  CTrack& crawl = Movable();  // 2 pixels a field at 40 ms: 100 pixels a second
  CTitleTask task(*board, crawl, 0.0);
  const std::vector<CPlayTask> titles{Entry(crawl, "/t/a.png", 75, 50, 5)};
  factory.ClearCalls();
  EXPECT_EQ(task.Fill(2000.0, titles, 40.0), KlpOk);
  EXPECT_TRUE(task.HasData());
  EXPECT_THAT(factory.Calls(), ElementsAre("IKlpMovableTitleTask::AddEmpty(100)", "IKlpMovableTitleTask::AddData(20, 200)",
                                           "IKlpMovableTitleTask::AddEmpty(300)"));
}

TEST_F(TitleTaskTest, CrawlPixelsOfTheLongestEntriesStayWithinTheirIntegers) {
  CTrack& crawl = Movable();
  crawl.maxSpeed = 100.0;  // the fastest the dialogs allow: 5000 pixels a second
  CTitleTask task(*board, crawl, 0.0);
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  const std::vector<CPlayTask> titles{Entry(crawl, "/t/a.png", kLargest / 2, kLargest / 2, kLargest / 2)};
  factory.ClearCalls();
  EXPECT_EQ(task.Fill(0.0, titles, 40.0), KlpOk);
  const std::string all = std::to_string(kLargest);
  EXPECT_THAT(factory.Calls(), ElementsAre("IKlpMovableTitleTask::AddEmpty(" + all + ")",
                                           "IKlpMovableTitleTask::AddData(" + all + ", " + all + ")",
                                           "IKlpMovableTitleTask::AddEmpty(300)"));
}

TEST_F(TitleTaskTest, TouchingSlidesPlayBackToBackAndOtherTracksEntriesAreSkipped) {
  CTrack& slides = Slide();
  CTrack& other = Slide();
  CTitleTask task(*board, slides, 0.0);
  const std::vector<CPlayTask> titles{Entry(slides, "/t/a.png", 25, 25), Entry(other, "/t/x.png", 0, 100),
                                      Entry(slides, "/t/b.png", 50, 50)};
  factory.ClearCalls();
  EXPECT_EQ(task.Fill(0.0, titles, 40.0), KlpOk);
  EXPECT_THAT(factory.Calls(), ElementsAre("IKlpSlideTitleTask::AddEmpty(1)", "IKlpSlideTitleTask::AddData(1, 0, 0)",
                                           "IKlpSlideTitleTask::AddData(2, 0, 0)", "IKlpSlideTitleTask::AddEmpty(0.04)"));
}

TEST_F(TitleTaskTest, ATrackWithoutEntriesGetsNoDataAndNothingSent) {
  CTrack& slides = Slide();
  CTrack& other = Slide();
  CTitleTask task(*board, slides, 0.0);
  const std::vector<CPlayTask> titles{Entry(other, "/t/x.png", 0, 100)};
  factory.ClearCalls();
  EXPECT_EQ(task.Fill(0.0, titles, 40.0), KlpOk);
  EXPECT_FALSE(task.HasData());
  EXPECT_TRUE(factory.Calls().empty());
}

TEST_F(TitleTaskTest, AFailingBoardCallFailsTheFill) {
  CTrack& slides = Slide();
  CTitleTask task(*board, slides, 0.0);
  factory.Config().results["IKlpSlideTitleTask::AddData"] = KlpFail;
  EXPECT_EQ(task.Fill(0.0, {Entry(slides, "/t/a.png", 0, 25)}, 40.0), KlpFalse);
}

TEST(SlideEntryFades, AreTheClipsFadesLessWhatThePlayCutOff) {
  CPlayTask entry;
  entry.length = 50;  // 2000 ms
  entry.fadeIn = 500.0;
  entry.fadeOut = 600.0;
  entry.sourceLength = 50;
  SlideFades fades = SlideEntryFades(entry, 40.0);
  EXPECT_EQ(fades.fadeIn, 500.0);
  EXPECT_EQ(fades.fadeOut, 600.0);
  // Cut 10 frames at the start and 5 at the end: 400 ms less fade-in, 200 ms less fade-out.
  entry.in = 10;
  entry.length = 35;
  fades = SlideEntryFades(entry, 40.0);
  EXPECT_EQ(fades.fadeIn, 100.0);
  EXPECT_EQ(fades.fadeOut, 400.0);
  // Fades longer than the entry: fade-in to its length, fade-out to what is left.
  entry.in = 0;
  entry.length = 10;  // 400 ms
  entry.sourceLength = 10;
  fades = SlideEntryFades(entry, 40.0);
  EXPECT_EQ(fades.fadeIn, 400.0);
  EXPECT_EQ(fades.fadeOut, 0.0);
  entry.fadeIn = 100.0;
  fades = SlideEntryFades(entry, 40.0);
  EXPECT_EQ(fades.fadeOut, 300.0);
  // A fade cut below a thousandth of a millisecond is none.
  entry.fadeIn = 0.0005;
  EXPECT_EQ(SlideEntryFades(entry, 40.0).fadeIn, 0.0);
  // Without a source length the fade-out is the clip's own, not the whole picture.
  entry.fadeIn = 0.0;
  entry.fadeOut = 120.0;
  entry.sourceLength = 0;
  EXPECT_EQ(SlideEntryFades(entry, 40.0).fadeOut, 120.0);
}

// --- Pictures under a time and the slide preview ------------------------------------

TEST_F(TitleTaskTest, SlideAtNamesThePictureUnderTheFrame) {
  CTrack& slides = Slide();
  CTitleTask task(*board, slides, 0.0);
  EXPECT_EQ(task.SlideAt(100.0), "");
  Clip(slides, "/t/a.png", 1000.0, 1000.0);
  Clip(slides, "/t/b.png", 2000.0, 1000.0);
  EXPECT_EQ(task.SlideAt(999.0), "");  // the frame from 960 ends before 1000
  EXPECT_EQ(task.SlideAt(1000.0), "/t/a.png");
  EXPECT_EQ(task.SlideAt(2010.0), "/t/b.png");
  EXPECT_EQ(task.SlideAt(3000.0), "");
  EXPECT_EQ(task.SlideAt(-500.0), "");
}

TEST_F(TitleTaskTest, SlidePreviewSendsEachPictureOnceAndAnEmptyStretchWhenItEnds) {
  CTrack& slides = Slide();
  Clip(slides, "/t/a.png", 0.0, 1000.0);
  CTitleTaskList list;
  list.BuildTitleTasks(*board, tracks, -1.0, ui);
  const std::vector<const CTrack*> included{&slides};
  factory.ClearCalls();
  list.SlidePreviewTick(400.0, included, map, ui);
  EXPECT_THAT(factory.Calls(), ElementsAre("IKlpSlideTitleTask::GetRestTime()", "IKlpSlideTitleTask::AddImage(0.04)"));
  factory.ClearCalls();
  list.SlidePreviewTick(400.0, included, map, ui);  // the same mark: not even asked
  list.SlidePreviewTick(800.0, included, map, ui);  // the same picture: nothing sent
  EXPECT_THAT(factory.Calls(), ElementsAre("IKlpSlideTitleTask::GetRestTime()"));
  factory.ClearCalls();
  list.SlidePreviewTick(1500.0, included, map, ui);
  list.SlidePreviewTick(1600.0, included, map, ui);
  EXPECT_THAT(factory.Calls(), ElementsAre("IKlpSlideTitleTask::GetRestTime()", "IKlpSlideTitleTask::AddEmpty(0.04)",
                                           "IKlpSlideTitleTask::GetRestTime()"));
  factory.ClearCalls();
  list.SlidePreviewTick(200.0, {}, map, ui);  // a muted track shows nothing new
  EXPECT_TRUE(factory.Calls().empty());
}

TEST_F(TitleTaskTest, SlidePreviewFailuresAreReported) {
  CTrack& slides = Slide();
  Clip(slides, "/t/a.png", 0.0, 1000.0);
  CTitleTaskList list;
  list.BuildTitleTasks(*board, tracks, -1.0, ui);
  const std::vector<const CTrack*> included{&slides};
  factory.Config().results["IKlpSlideTitleTask::AddImage"] = KlpFail;
  list.SlidePreviewTick(400.0, included, map, ui);
  factory.Config().results["IKlpSlideTitleTask::AddEmpty"] = KlpFail;
  list.SlidePreviewTick(1500.0, included, map, ui);
  factory.Config().results["IKlpSlideTitleTask::GetRestTime"] = KlpFail;
  list.SlidePreviewTick(100.0, included, map, ui);
  list.SlidePreviewTick(100.0, included, map, ui);
  EXPECT_THAT(Captions(), ElementsAre("Error -- Slide Show Add Image failed", "Error -- Slide Show Add Empty failed",
                                      "Error -- Getting Slide Show Preview Rest Time failed"));
}

// --- Reset and preview preparation ------------------------------------------------------

TEST_F(TitleTaskTest, ResetStopsEveryTaskAndPutsFreshOnesInItsPlace) {
  Movable();
  Slide();
  CTitleTaskList list;
  list.BuildTitleTasks(*board, tracks, 123.0, ui);
  const CTitleTask* old = list.Tasks()[0].get();
  factory.ClearCalls();
  EXPECT_TRUE(list.ResetTitleTasks(*board, ui));
  EXPECT_THAT(factory.Calls(),
              ElementsAre("IKlpMovableTitleTask::PutState(0)",
                          "IKlpBoard::CreateMovableTitleTask(0, 100, 0, 10, 20, 300, 60, 2, 1, 0.5)",
                          "IKlpSlideTitleTask::PutState(0)", "IKlpBoard::CreateSlideTitleTask(0, 5, 6, 70, 80, 1, 0.5)"));
  ASSERT_EQ(list.Tasks().size(), 2u);
  EXPECT_NE(list.Tasks()[0].get(), old);
  EXPECT_EQ(list.Tasks()[1]->PreviewTime(), 123.0);
}

TEST_F(TitleTaskTest, AStopFailureIsReportedAndTheResetGoesOn) {
  Slide();
  CTitleTaskList list;
  list.BuildTitleTasks(*board, tracks, 0.0, ui);
  factory.Config().results["IKlpSlideTitleTask::PutState"] = KlpFail;
  EXPECT_TRUE(list.ResetTitleTasks(*board, ui));
  EXPECT_THAT(Captions(), ElementsAre("Error -- Stop title task object failed"));
  EXPECT_EQ(list.Tasks().size(), 1u);
}

TEST_F(TitleTaskTest, AFreshTaskTheBoardRefusesEndsTheResetWithAnEmptyList) {
  Movable();
  Slide();
  CTitleTaskList list;
  list.BuildTitleTasks(*board, tracks, 0.0, ui);
  factory.Config().results["IKlpBoard::CreateSlideTitleTask"] = KlpFail;
  EXPECT_FALSE(list.ResetTitleTasks(*board, ui));
  EXPECT_TRUE(list.Empty());
  EXPECT_EQ(list.ResetFailure(), "Failed new CTitleTask pointer");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Reset Title's TimeLine failed");
  EXPECT_EQ(ui.messages[0].caption, "Reset");
}

TEST_F(TitleTaskTest, APreviewPreparationFailureEmptiesTheList) {
  Slide();
  for (const char* failing : {"IKlpSlideTitleTask::AddEmpty", "IKlpSlideTitleTask::PutState"}) {
    SCOPED_TRACE(failing);
    ui.messages.clear();
    factory.Config().results.clear();
    CTitleTaskList list;
    list.BuildTitleTasks(*board, tracks, 0.0, ui);
    ASSERT_FALSE(list.Empty());
    factory.Config().results[failing] = KlpFail;
    EXPECT_FALSE(list.PrepareTitlePreview(ui));
    EXPECT_TRUE(list.Empty());
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].caption, std::string(failing) == "IKlpSlideTitleTask::AddEmpty"
                                          ? "Error -- Add empty data to title task object failed"
                                          : "Error -- Preparing title task object failed");
    EXPECT_EQ(ui.messages[1].text, "Prepare title tracks preview failed");
    EXPECT_EQ(ui.messages[1].caption, "PreparePreviewTTL");
  }
}

TEST_F(TitleTaskTest, OnlyTasksWithDataArePreparedStartedAndStopped) {
  CTrack& crawl = Movable();
  Slide();  // no title in the play
  CTitleTaskList list;
  list.BuildTitleTasks(*board, tracks, 0.0, ui);
  const std::vector<CPlayTask> titles{Entry(crawl, "/t/a.png", 0, 25)};
  factory.ClearCalls();
  ASSERT_TRUE(list.PrepareTitles(0.0, titles, 40.0, ui));
  ASSERT_TRUE(list.StartTitles(ui));
  ASSERT_TRUE(list.StopTitles(ui));
  EXPECT_THAT(factory.Calls(),
              ElementsAre("IKlpMovableTitleTask::AddData(0, 100)", "IKlpMovableTitleTask::AddEmpty(300)",
                          "IKlpMovableTitleTask::PutState(1)", "IKlpMovableTitleTask::PutState(2)",
                          "IKlpMovableTitleTask::PutState(3)", "IKlpMovableTitleTask::PutState(4)",
                          "IKlpMovableTitleTask::PutState(0)"));
}

}  // namespace
}  // namespace vantorelle
