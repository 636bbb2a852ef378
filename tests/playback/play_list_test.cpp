// Play lists: which tracks play, where a play starts and ends, entries on the
// frame grid, and the single video output with overlaps cut and gaps filled.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "playback/play_engine_list.h"
#include "support/fake_board.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

using testing::FakeComponentFactory;
using testing::VideoStandardScope;

struct Span {
  std::int32_t start;
  std::int32_t in;
  std::int32_t length;
  const CTrack* track;
  bool operator==(const Span&) const = default;
};

std::vector<Span> Spans(const std::vector<CPlayTask>& list) {
  std::vector<Span> spans;
  for (const auto& e : list) spans.push_back({e.start, e.in, e.length, e.trackKey});
  return spans;
}

class PlayListTest : public ::testing::Test {
 protected:
  CTrack& AddTrack(TrackType type) { return timeline.AddTrackInKindOrder(std::make_unique<CTrack>(type, 48)); }
  CSrc& Source(const std::string& path, TimeMs duration, bool still = false) {
    sources.push_back(std::make_unique<CSrc>(path, path));
    CSrc& source = *sources.back();
    source.duration = duration;
    source.flags = still ? SourceFlags::VideoStream
                         : (SourceFlags::MovieFile | SourceFlags::VideoStream | SourceFlags::AudioStream);
    auto item = std::make_unique<CMovieMapItem>();
    item->fileName = path;
    if (still) {
      board.CreatePlayStillImage(item->stillImage);
    } else {
      board.CreatePlayMovie(item->movie);
    }
    map.Set(std::move(item));
    return source;
  }
  CFilm& Clip(CTrack& track, CSrc& source, TimeMs start, TimeMs duration, TimeMs in = 0.0) {
    auto clip = std::make_unique<CFilm>(&source);
    clip->start = start;
    clip->duration = duration;
    clip->inPoint = in;
    clip->sourceLength = source.duration != 0.0 ? source.duration : duration;
    clip->flags = source.flags;
    return track.InsertInOrder(std::move(clip));
  }
  std::optional<CPlayList> Build(TimeMs from, TimeMs to) {
    return BuildPlayList(IncludedTracks(timeline), from, to, 40.0, map, false);
  }

  VideoStandardScope pal{VideoStandard{}};
  FakeComponentFactory board;
  CTimelineData timeline;
  std::vector<std::unique_ptr<CSrc>> sources;
  CMovieMap map;
  ProjectTimes times;
};

// --- Which tracks play and over which range ----------------------------------

TEST_F(PlayListTest, MuteAndSoloDecideTheIncludedTracks) {
  CTrack& a = AddTrack(TrackTypes::Video);
  CTrack& b = AddTrack(TrackTypes::Audio);
  CTrack& empty = AddTrack(TrackTypes::Audio);
  CSrc& movie = Source("/m/a.avi", 10000.0);
  Clip(a, movie, 0.0, 1000.0);
  Clip(b, movie, 0.0, 1000.0);
  EXPECT_THAT(IncludedTracks(timeline), ::testing::ElementsAre(&a, &b));
  (void)empty;
  a.playState = PlayState::Mute;
  b.playState = PlayState::Mute;
  EXPECT_TRUE(IncludedTracks(timeline).empty());
  EXPECT_FALSE(Build(0.0, 1000.0));  // muting every track leaves nothing to play
  b.playState = PlayState::Solo;
  a.playState = PlayState::Normal;
  EXPECT_THAT(IncludedTracks(timeline), ::testing::ElementsAre(&b));
  // A hidden solo track does not silence the others, and does not play.
  b.shown = 0;
  EXPECT_THAT(IncludedTracks(timeline), ::testing::ElementsAre(&a));
}

TEST_F(PlayListTest, AMarkInsideAClipPlaysFromTheMarkInAGapFromTheEarliestClip) {
  CTrack& video = AddTrack(TrackTypes::Video);
  CSrc& movie = Source("/m/a.avi", 10000.0);
  Clip(video, movie, 1000.0, 1000.0);
  Clip(video, movie, 4000.0, 2000.0);
  times.timeMark = 4500.0;
  PlayRange range = ComputePlayRange(timeline, times);
  EXPECT_EQ(range.from, 4500.0);
  EXPECT_EQ(range.to, 6000.0);
  times.timeMark = 3000.0;
  range = ComputePlayRange(timeline, times);
  EXPECT_EQ(range.from, 1000.0);
  EXPECT_EQ(range.to, 6000.0);
  times.timeMark = 1000.0;  // on a clip's start is not inside it
  EXPECT_EQ(ComputePlayRange(timeline, times).from, 1000.0);
  times.timeMark = 7000.0;  // nothing ends after the mark
  range = ComputePlayRange(timeline, times);
  EXPECT_EQ(range.to, -1.0);
  EXPECT_FALSE(range.Playable());
}

TEST_F(PlayListTest, ARangeAlwaysEndsThePlayAtItsStop) {
  CTrack& video = AddTrack(TrackTypes::Video);
  Clip(video, Source("/m/a.avi", 10000.0), 0.0, 9000.0);
  times.rangeStart = 2000.0;
  times.rangeStop = 3000.0;
  times.timeMark = 2500.0;
  PlayRange range = ComputePlayRange(timeline, times);
  EXPECT_EQ(range.from, 2500.0);
  EXPECT_EQ(range.to, 3000.0);
  times.timeMark = 5000.0;
  range = ComputePlayRange(timeline, times);
  EXPECT_EQ(range.from, 2000.0);
  EXPECT_EQ(range.to, 3000.0);
  const auto list = Build(range.from, range.to);
  ASSERT_TRUE(list);
  EXPECT_EQ(list->endFrame, 75);
  EXPECT_THAT(Spans(list->videoList), ::testing::ElementsAre(Span{50, 50, 25, &video}));
}

TEST_F(PlayListTest, ACrawlTitleInAGapCountsFromTheMark) {
  CTrack& crawl = AddTrack(TrackTypes::TitleMovable);
  Clip(crawl, Source("/m/t.png", 0.0, true), 5000.0, 1000.0);
  times.timeMark = 3000.0;
  EXPECT_EQ(ComputePlayRange(timeline, times).from, 3000.0);
  times.timeMark = 30000.0;  // past the project size: held there
  times.projectSize = 20000.0;
  EXPECT_EQ(ComputePlayRange(timeline, times).from, 20000.0);
}

// --- Entries on the frame grid ---------------------------------------------------

TEST_F(PlayListTest, EntriesAreRoundedAndLevelsAndFadesTaken) {
  CTrack& audio = AddTrack(TrackTypes::Audio);
  audio.volume = 0.5;
  audio.fadeIn = 120.0;
  CFilm& clip = Clip(audio, Source("/m/a.avi", 10000.0), 1000.0, 2000.0, 30.0);
  clip.volume = 0.6;
  clip.useTrackFadeIn = 1;
  clip.fadeIn = 999.0;
  clip.fadeOut = 80.0;
  const auto task = MakePlayTask(clip, audio, 40.0, map);
  ASSERT_TRUE(task);
  // in 30 ms rounds to frame 1, 10 ms late: start and length follow it.
  EXPECT_EQ(task->in, 1);
  EXPECT_EQ(task->start, 25);
  EXPECT_EQ(task->length, 50);  // 1990 ms is 49.75 frames
  EXPECT_EQ(task->sourceLength, 250);
  EXPECT_DOUBLE_EQ(task->level, 0.3);
  EXPECT_EQ(task->fadeIn, 120.0);
  EXPECT_EQ(task->fadeOut, 80.0);
  EXPECT_EQ(task->fileName, "/m/a.avi");
}

TEST_F(PlayListTest, AClipPastItsSourceIsCutToTheSourceEnd) {
  CTrack& video = AddTrack(TrackTypes::Video);
  CSrc& movie = Source("/m/a.avi", 1990.0);  // 49 whole frames
  CFilm& clip = Clip(video, movie, 0.0, 1000.0, 1000.0);
  clip.sourceLength = 1990.0;
  const auto task = MakePlayTask(clip, video, 40.0, map);
  ASSERT_TRUE(task);
  EXPECT_EQ(task->in, 25);
  EXPECT_EQ(task->length, 24);  // to the source end, not to one frame
  // A title without a source length of its own keeps its length.
  CTrack& slides = AddTrack(TrackTypes::TitleSlide);
  CFilm& title = Clip(slides, Source("/m/t.png", 0.0, true), 0.0, 1000.0);
  title.sourceLength = 0.0;
  EXPECT_EQ(MakePlayTask(title, slides, 40.0, map)->length, 25);
}

TEST_F(PlayListTest, FrameCountsOfAbsurdTimesStayWithinTheirIntegers) {
  constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kLowest = std::numeric_limits<std::int32_t>::min();
  EXPECT_EQ(PlayRound(1e300), kLargest);
  EXPECT_EQ(PlayRound(std::numeric_limits<double>::infinity()), kLargest);
  EXPECT_EQ(PlayRound(-1e300), kLowest);
  EXPECT_EQ(PlayRound(std::nan("")), 0);
  EXPECT_EQ(PlayRound(2.5), 3);

  CTrack& video = AddTrack(TrackTypes::Video);
  CFilm& clip = Clip(video, Source("/m/a.avi", 10000.0), 1000.0, 2000.0);
  clip.sourceLength = 1e300;
  const auto task = MakePlayTask(clip, video, 40.0, map);
  ASSERT_TRUE(task);
  EXPECT_EQ(task->sourceLength, kLargest);
  EXPECT_EQ(task->start, 25);
  EXPECT_EQ(task->length, 50);
}

TEST_F(PlayListTest, StillPicturesOnVideoTracksPlayForTheirClip) {
  CTrack& video = AddTrack(TrackTypes::Video);
  CFilm& still = Clip(video, Source("/m/p.png", 0.0, true), 400.0, 1000.0);
  const std::optional<CPlayTask> task = MakePlayTask(still, video, 40.0, map);
  ASSERT_TRUE(task);
  EXPECT_EQ(Spans({*task}), (std::vector<Span>{{10, 0, 25, &video}}));
  ASSERT_NE(task->movieItem, nullptr);
  EXPECT_NE(task->movieItem->stillImage, nullptr);
  // A play that starts inside it shows the rest of the clip.
  const std::optional<CPlayList> list = Build(600.0, 3000.0);
  ASSERT_TRUE(list);
  EXPECT_EQ(Spans(list->videoList), (std::vector<Span>{{15, 5, 20, &video}}));
}

// A still image with transparent parts, as the board reports it.
class TransparentImage final : public IKlpPlayStillImage {
 public:
  KlpResult OpenFile(const std::string&, std::int32_t) override { return KlpOk; }
  bool HasTransparency() const override { return true; }
};

TEST_F(PlayListTest, TransparentPicturesAreLaidOverTheTracksBelowWhereNoOpaqueClipAboveCoversThem) {
  CTrack& top = AddTrack(TrackTypes::Video);
  CTrack& middle = AddTrack(TrackTypes::Video);
  CTrack& lower = AddTrack(TrackTypes::Video);
  const auto transparent = [&](const std::string& path) -> CSrc& {
    CSrc& source = Source(path, 0.0, true);
    auto item = std::make_unique<CMovieMapItem>();
    item->fileName = path;
    item->stillImage = std::make_unique<TransparentImage>();
    map.Set(std::move(item));
    return source;
  };
  Clip(top, transparent("/m/logo.png"), 1000.0, 1000.0);   // frames 25-50
  Clip(top, Source("/m/top.avi", 10000.0), 2400.0, 400.0);  // 60-70, opaque
  Clip(middle, transparent("/m/bug.png"), 2000.0, 1000.0);  // 50-75, under the opaque clip at 60-70
  Clip(lower, Source("/m/lower.avi", 10000.0), 0.0, 3000.0);
  const std::optional<CPlayList> list = Build(0.0, 3000.0);
  ASSERT_TRUE(list);
  // The lower track fills under the transparent pictures.
  EXPECT_EQ(Spans(list->videoList),
            (std::vector<Span>{{0, 0, 60, &lower}, {60, 0, 10, &top}, {70, 70, 5, &lower}}));
  EXPECT_EQ(Spans(list->overlayList),
            (std::vector<Span>{{25, 0, 25, &top}, {50, 0, 10, &middle}, {70, 20, 5, &middle}}));
}

TEST_F(PlayListTest, UnopenedSourcesAreLeftOut) {
  CTrack& video = AddTrack(TrackTypes::Video);
  CSrc& missing = Source("/m/gone.avi", 5000.0);
  map.Remove("/m/gone.avi");
  EXPECT_FALSE(MakePlayTask(Clip(video, missing, 2000.0, 1000.0), video, 40.0, map));
  EXPECT_FALSE(Build(0.0, 3000.0));
}

TEST_F(PlayListTest, PillarcastCompatibilityPlaysNothing) {
  CTrack& video = AddTrack(TrackTypes::Video);
  Clip(video, Source("/m/a.avi", 10000.0), 0.0, 1000.0);
  EXPECT_TRUE(BuildPlayList(IncludedTracks(timeline), 0.0, 1000.0, 40.0, map, false));
  EXPECT_FALSE(BuildPlayList(IncludedTracks(timeline), 0.0, 1000.0, 40.0, map, true));
}

// --- The one video output ----------------------------------------------------------

TEST_F(PlayListTest, OverlappingClipsOnTheMainTrackAreCutWhereTheEarlierEnds) {
  CTrack& video = AddTrack(TrackTypes::Video);
  CSrc& movie = Source("/m/a.avi", 10000.0);
  Clip(video, movie, 0.0, 2000.0);
  Clip(video, movie, 1000.0, 2000.0, 400.0);
  Clip(video, movie, 1200.0, 400.0);  // wholly under the first: nothing left of it
  const auto list = Build(0.0, 3000.0);
  ASSERT_TRUE(list);
  EXPECT_THAT(Spans(list->videoList),
              ::testing::ElementsAre(Span{0, 0, 50, &video}, Span{50, 35, 25, &video}));
}

TEST_F(PlayListTest, AGapOnTheMainTrackIsFilledFromTheNextTrackThatHasAClipThere) {
  CTrack& main = AddTrack(TrackTypes::Video);
  CTrack& second = AddTrack(TrackTypes::Video);
  CTrack& third = AddTrack(TrackTypes::Video);
  CSrc& movie = Source("/m/a.avi", 60000.0);
  Clip(main, movie, 0.0, 1000.0);
  Clip(main, movie, 2000.0, 1000.0);
  Clip(third, movie, 0.0, 4000.0);            // lower down, covers every gap
  Clip(second, movie, 1200.0, 400.0, 8000.0);  // covers part of the first gap
  const auto list = Build(0.0, 4000.0);
  ASSERT_TRUE(list);
  EXPECT_THAT(Spans(list->videoList),
              ::testing::ElementsAre(Span{0, 0, 25, &main}, Span{25, 25, 5, &third}, Span{30, 200, 10, &second},
                                     Span{40, 40, 10, &third}, Span{50, 0, 25, &main}, Span{75, 75, 25, &third}));
}

TEST_F(PlayListTest, AnOfflineClipPlaysAsBlackAndSilenceThatNoLowerTrackFills) {
  CTrack& main = AddTrack(TrackTypes::Video);
  CTrack& lower = AddTrack(TrackTypes::Video);
  CTrack& sound = AddTrack(TrackTypes::Audio);
  CSrc& movie = Source("/m/a.avi", 60000.0);
  CSrc& gone = Source("/m/gone.avi", 60000.0);
  gone.offline = true;
  Clip(main, movie, 0.0, 1000.0);
  Clip(main, gone, 1000.0, 1000.0);
  Clip(lower, movie, 0.0, 3000.0);
  Clip(sound, gone, 0.0, 2000.0);
  Clip(sound, movie, 2000.0, 1000.0);
  const auto list = Build(0.0, 3000.0);
  ASSERT_TRUE(list);
  EXPECT_THAT(Spans(list->videoList), ::testing::ElementsAre(Span{0, 0, 25, &main}, Span{25, 0, 25, &main},
                                                             Span{50, 50, 25, &lower}));
  EXPECT_FALSE(list->videoList[0].blank);
  EXPECT_TRUE(list->videoList[1].blank);
  EXPECT_EQ(list->videoList[1].movieItem, nullptr);
  // The offline sound is silence: only the other clip reaches the board.
  EXPECT_THAT(Spans(list->audioList), ::testing::ElementsAre(Span{50, 0, 25, &sound}));
  for (const CPlayTask& entry : list->audioList) EXPECT_NE(entry.fileName, "/m/gone.avi");
  // A play of the offline clip alone has nothing to hand the board.
  EXPECT_FALSE(BuildClipPlayList(*sound.clips.front(), 0.0, 2000.0, 40.0, map, false));
}

TEST_F(PlayListTest, AnUnfillableStartGetsOneFrameOfTheFirstEntry) {
  CTrack& video = AddTrack(TrackTypes::Video);
  Clip(video, Source("/m/a.avi", 10000.0), 1000.0, 1000.0, 400.0);
  const auto list = Build(0.0, 2000.0);
  ASSERT_TRUE(list);
  EXPECT_THAT(Spans(list->videoList), ::testing::ElementsAre(Span{0, 10, 1, &video}, Span{25, 10, 25, &video}));
}

TEST_F(PlayListTest, AudioAndTitleEntriesAreCutToThePlayAndTheAudioTracksCollected) {
  CTrack& first = AddTrack(TrackTypes::Audio);
  CTrack& second = AddTrack(TrackTypes::Audio);
  CTrack& slides = AddTrack(TrackTypes::TitleSlide);
  CSrc& sound = Source("/m/s.wav", 60000.0);
  Clip(first, sound, 0.0, 3000.0);
  Clip(first, sound, 3000.0, 3000.0);
  Clip(second, sound, 1000.0, 1000.0);
  Clip(slides, Source("/m/t.png", 0.0, true), 0.0, 5000.0);
  const auto list = Build(1000.0, 4000.0);
  ASSERT_TRUE(list);
  EXPECT_THAT(Spans(list->audioList), ::testing::ElementsAre(Span{25, 25, 50, &first}, Span{75, 0, 25, &first},
                                                             Span{25, 0, 25, &second}));
  EXPECT_THAT(list->audioTrackKeys, ::testing::ElementsAre(&first, &second));
  EXPECT_THAT(Spans(list->titleList), ::testing::ElementsAre(Span{25, 25, 75, &slides}));
}

TEST_F(PlayListTest, AClipPlayHoldsTheClipAloneAndATitleFromItsFirstPixel) {
  CTrack& crawl = AddTrack(TrackTypes::TitleMovable);
  CTrack& audio = AddTrack(TrackTypes::Audio);
  CFilm& title = Clip(crawl, Source("/m/t.png", 0.0, true), 4000.0, 2000.0, 400.0);
  CFilm& sound = Clip(audio, Source("/m/s.wav", 60000.0), 4000.0, 2000.0);
  audio.playState = PlayState::Mute;
  auto list = BuildClipPlayList(title, 2000.0, 6000.0, 40.0, map, false);
  ASSERT_TRUE(list);
  EXPECT_TRUE(list->audioList.empty());
  ASSERT_EQ(list->titleList.size(), 1u);
  EXPECT_EQ(list->titleList[0].in, 0);
  EXPECT_EQ(list->titleList[0].sourceLength, list->titleList[0].length);
  list = BuildClipPlayList(sound, 4000.0, 6000.0, 40.0, map, false);
  ASSERT_TRUE(list);
  EXPECT_THAT(list->audioTrackKeys, ::testing::ElementsAre(&audio));
}

TEST(PlayTaskTrim, CutsBothEndsWithinTheSource) {
  CPlayTask task;
  task.start = 10;
  task.in = 5;
  task.length = 20;
  task.sourceLength = 22;
  task.Trim(12, 100);
  EXPECT_EQ(task.start, 12);
  EXPECT_EQ(task.in, 7);
  EXPECT_EQ(task.length, 15);  // 7 + 18 would pass the source's 22 frames
  task.Trim(0, 20);
  EXPECT_EQ(task.length, 8);
}

}  // namespace
}  // namespace vantorelle
