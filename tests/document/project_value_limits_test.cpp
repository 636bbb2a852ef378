// Project files holding numbers no editor writes (the infinities, NaN, 1e300,
// regions near the integer limit) open into a project that can be zoomed,
// scrolled, played and saved; values within the bounds keep their bytes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "document/project_file_format.h"
#include "document/project_storage.h"
#include "model/number_limits.h"
#include "playback/play_engine_list.h"
#include "support/file_bytes.h"
#include "support/project_document.h"
#include "support/recording_view_host.h"
#include "support/temp_dir.h"
#include "timeline/work_area_navigator.h"
#include "titles/title_task.h"

namespace vantorelle {
namespace {

using testing::FileBytes;
using testing::ProjectDocument;
using testing::TempDir;
using testing::WriteBytes;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::int32_t kLargest = std::numeric_limits<std::int32_t>::max();
constexpr std::size_t kMovableTitleTrack = 5;

// A project of two picture clips from one movie, saved with the editor's own writer.
ProjectFileContents SavedContents(TempDir& dir, const std::string& name) {
  ProjectDocument original;
  CSrc& movie = original.AddMovie(dir.File("media/a.avi"));
  original.Place(0, movie, 0.0, 2000.0);
  original.Place(0, movie, 4000.0, 1000.0);
  const std::string path = dir.File(name);
  EXPECT_TRUE(SaveProjectFile(original.doc, path));
  ProjectFileReadResult read = ReadProjectFile(FileBytes(path));
  EXPECT_TRUE(read.ok);
  return read.contents;
}

void Patch(ProjectFileContents& contents, double value) {
  ProjectSettingsBlock& s = contents.settings;
  for (double* time : {&s.slideShowDuration, &s.stillImageDuration, &s.liveDuration, &s.workAreaStop,
                       &s.workAreaStart, &s.projectSize, &s.timeMark, &s.rangeStart, &s.rangeStop}) {
    *time = value;
  }
  for (ProjectTrackRecord& track : contents.tracks) {
    track.height = kLargest;
    track.regionLeft = kLargest - 1;
    track.regionTop = kLargest;
    track.regionWidth = kLargest;
    track.regionHeight = kLargest;
    track.maxSpeed = track.fadeIn = track.fadeOut = track.volume = value;
  }
  for (ProjectSourceRecord& source : contents.sources) source.duration = value;
  contents.clips.at(1).start = value;  // this clip cannot be placed
  contents.clips.at(0).volume = std::isfinite(value) ? value : 1.0;
}

bool Within(double value, double low, double high) { return value >= low && value <= high; }

class AbsurdProjectNumbers : public ::testing::TestWithParam<double> {
 protected:
  TempDir dir_;
};

TEST_P(AbsurdProjectNumbers, OpenIntoAProjectTheWholeEditorCanUse) {
  ProjectFileContents contents = SavedContents(dir_, "sane.vrp");
  Patch(contents, GetParam());
  const std::string path = dir_.File("absurd.vrp");
  WriteBytes(path, WriteProjectFile(contents));

  ProjectDocument opened;
  opened.board.Config().movies[dir_.File("media/a.avi")] = testing::FakeMovie{};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  CVantorelleDoc& doc = opened.doc;
  const ProjectTimes& times = doc.times;
  const WorkArea area = doc.timeline.workArea;
  // Checked before anything runs on them: the old reader let +inf reach the
  // zoom ladder, which then grew until memory ran out.
  for (double time : {times.projectSize, times.timeMark, times.rangeStart, times.rangeStop, area.start, area.stop,
                      doc.durations.slideShowDuration, doc.durations.stillImageDuration,
                      doc.durations.liveDuration}) {
    ASSERT_TRUE(Within(time, 0.0, kLongestProjectTime)) << time;
  }
  ASSERT_LE(area.start, area.stop);
  const VideoStandard& frame = CurrentVideoStandard();
  for (const auto& track : doc.timeline.tracks) {
    ASSERT_TRUE(Within(track->regionLeft, 0, frame.FrameWidth));
    ASSERT_TRUE(Within(track->regionTop, 0, frame.FrameHeight));
    ASSERT_TRUE(Within(std::int64_t{track->regionLeft} + track->regionWidth, track->regionLeft, frame.FrameWidth));
    ASSERT_TRUE(Within(std::int64_t{track->regionTop} + track->regionHeight, track->regionTop, frame.FrameHeight));
    ASSERT_TRUE(Within(track->height, 0, 1024));
    ASSERT_TRUE(Within(track->maxSpeed, 0.0, 100.0)) << track->maxSpeed;
    ASSERT_TRUE(Within(track->fadeIn, 0.0, kLongestProjectTime));
    ASSERT_TRUE(Within(track->fadeOut, 0.0, kLongestProjectTime));
    ASSERT_TRUE(Within(track->volume, 0.0, 100.0));
  }
  ASSERT_EQ(opened.Track(0).clips.size(), 1u);
  EXPECT_TRUE(Within(opened.Track(0).clips[0]->volume, 0.0, 100.0));
  opened.ExpectConsistent(opened.Sources());

  // Zoom, scroll and the work area's fields.
  testing::NoWorkAreaDisplay display;
  testing::RecordingViewHost host;
  testing::ManualTimers timers;
  WorkAreaNavigator navigator(doc, display, host, timers);
  navigator.RebuildZoomLadder();
  EXPECT_LE(doc.zoomLadder.size(), 130u);
  navigator.ApplyWorkArea(doc.timeline.workArea);
  navigator.ZoomOut();
  navigator.ZoomToProject();
  navigator.Scroll(ScrollCode::PageLeft);
  navigator.Scroll(ScrollCode::LineRight);
  EXPECT_GE(doc.timeline.workArea.start, 0.0);
  EXPECT_GE(navigator.ScrollPosition(), 0);

  // A play list over the whole project and a crawl title over a region.
  CMovieMap map;
  auto item = std::make_unique<CMovieMapItem>();
  item->fileName = doc.sources.at(0)->path;
  opened.board.CreatePlayMovie(item->movie);
  map.Set(std::move(item));
  const PlayRange range = ComputePlayRange(doc.timeline, times);
  const auto list = BuildPlayList(IncludedTracks(doc.timeline), 0.0, kLongestProjectTime, 40.0, map, false);
  ASSERT_TRUE(list);
  EXPECT_TRUE(std::isfinite(range.from) && std::isfinite(range.to));
  std::unique_ptr<IKlpBoard> board;
  opened.board.CreateBoard(board);
  CTitleTask title(*board, opened.Track(kMovableTitleTrack), 0.0);
  EXPECT_TRUE(title.HasObject());
  EXPECT_TRUE(std::isfinite(title.CrawlSpeed()));

  // What was kept saves and opens again unchanged.
  const std::string first = dir_.File("first.vrp");
  const std::string second = dir_.File("second.vrp");
  ASSERT_TRUE(SaveProjectFile(doc, first));
  ProjectDocument again;
  again.board.Config().movies[dir_.File("media/a.avi")] = testing::FakeMovie{};
  ASSERT_EQ(OpenProjectFile(again.doc, first), ProjectOpenOutcome::Opened);
  ASSERT_TRUE(SaveProjectFile(again.doc, second));
  EXPECT_EQ(FileBytes(second), FileBytes(first));
}

INSTANTIATE_TEST_SUITE_P(Values, AbsurdProjectNumbers,
                         ::testing::Values(kInfinity, -kInfinity, std::nan(""), 1e300, -1e300),
                         [](const ::testing::TestParamInfo<double>& info) {
                           const double v = info.param;
                           if (std::isnan(v)) return std::string("NaN");
                           if (std::isinf(v)) return std::string(v > 0 ? "PlusInfinity" : "MinusInfinity");
                           return std::string(v > 0 ? "PlusHuge" : "MinusHuge");
                         });

TEST(ProjectValueBounds, ValuesAtTheirBoundsKeepTheirBytes) {
  TempDir dir;
  ProjectFileContents contents = SavedContents(dir, "sane.vrp");
  ProjectSettingsBlock& s = contents.settings;
  s.projectSize = s.workAreaStop = s.rangeStop = s.timeMark = kLongestProjectTime;
  s.workAreaStart = s.rangeStart = 0.0;
  ProjectTrackRecord& movable = contents.tracks.at(kMovableTitleTrack);
  movable.regionLeft = 620;
  movable.regionWidth = 100;  // to the frame's right edge
  movable.regionTop = 0;
  movable.regionHeight = 576;
  movable.maxSpeed = 100.0;
  contents.clips.at(1).start = 30 * 3'600'000.0;  // past a day, as drops at the end can grow a project
  contents.clips.at(0).start = -480.0;  // left before 0 by an older editor: kept where it is
  const std::string path = dir.File("bounds.vrp");
  WriteBytes(path, WriteProjectFile(contents));

  ProjectDocument opened;
  opened.board.Config().movies[dir.File("media/a.avi")] = testing::FakeMovie{};
  ASSERT_EQ(OpenProjectFile(opened.doc, path), ProjectOpenOutcome::Opened);
  EXPECT_EQ(opened.Track(0).clips.size(), 2u);
  const std::string saved = dir.File("saved.vrp");
  ASSERT_TRUE(SaveProjectFile(opened.doc, saved));
  EXPECT_EQ(FileBytes(saved), FileBytes(path));
}

TEST(ClampedCast, HoldsEveryValueToTheIntegersRange) {
  EXPECT_EQ(ClampedCast<std::int32_t>(1e300), kLargest);
  EXPECT_EQ(ClampedCast<std::int32_t>(-kInfinity), std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(ClampedCast<std::int32_t>(std::nan("")), 0);
  EXPECT_EQ(ClampedCast<std::int32_t>(2147483647.0), kLargest);
  EXPECT_EQ(ClampedCast<std::int32_t>(-2.9), -2);
  EXPECT_EQ(ClampedCast<std::int64_t>(9.3e18), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ClampedCast<std::int64_t>(-9.3e18), std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(ClampedCast<std::uint8_t>(-1.0), 0);
  EXPECT_EQ(ClampedCast<std::uint8_t>(255.9), 255);
}

}  // namespace
}  // namespace vantorelle
