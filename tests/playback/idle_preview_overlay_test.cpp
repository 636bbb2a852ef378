// The idle preview of a transparent clip over the track below: the picture
// the board shows for the time mark is the transparent one laid over the
// opaque clip under it, as playback shows it, and neither alone. Read back
// from the software board's output, the editor's own preview timer adding
// the frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "document/headless_views.h"
#include "document/vantorelle_doc.h"
#include "model/video_standard_query.h"
#include "playback/movie_map.h"
#include "playback/play_engine.h"
#include "playback/play_engine_control.h"
#include "playback/play_engine_list.h"
#include "playback/software_board/capture_sink.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/software_board_factory.h"
#include "playback/source_reading.h"
#include "support/recording_view_host.h"
#include "support/scripted_user_interface.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"
#include "support/video_standard_scope.h"

namespace vantorelle {
namespace {

struct Rgb {
  int r = 0;
  int g = 0;
  int b = 0;
};

// The mean colour of a square in the middle of the frame.
Rgb Middle(const RgbFrame& frame) {
  Rgb sum;
  int count = 0;
  for (int y = frame.height / 2 - 4; y < frame.height / 2 + 4; ++y) {
    for (int x = frame.width / 2 - 4; x < frame.width / 2 + 4; ++x, ++count) {
      const std::uint8_t* p = frame.Pixel(x, y);
      sum.r += p[0];
      sum.g += p[1];
      sum.b += p[2];
    }
  }
  return Rgb{sum.r / count, sum.g / count, sum.b / count};
}

::testing::AssertionResult Near(Rgb seen, Rgb expected, int levels) {
  if (std::abs(seen.r - expected.r) <= levels && std::abs(seen.g - expected.g) <= levels &&
      std::abs(seen.b - expected.b) <= levels) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "(" << seen.r << "," << seen.g << "," << seen.b << ") is not ("
                                       << expected.r << "," << expected.g << "," << expected.b << ")";
}

// The transparent picture above: a still image, or a movie whose alpha only
// libvpx decodes.
struct UpperPicture {
  const char* name;
  int levels;  // how far a lossy movie may stray
};

void PrintTo(const UpperPicture& upper, std::ostream* out) { *out << upper.name; }

class IdlePreviewOverlay : public ::testing::TestWithParam<UpperPicture> {
 protected:
  IdlePreviewOverlay()
      : output_(std::make_shared<BoardOutput>(kFormat)),
        factory_(CreateSoftwareBoardFactory(kFormat, SoftwareBoardWiring{clock_, output_})),
        pump_(*output_, *clock_), boardWas_(BoardPresent()) {
    output_->SetSink(&sink_);
    SetBoardPresent(QueryBoardStandard(*factory_));
    doc_ = std::make_unique<CVantorelleDoc>(DocumentServices{store_, true, ui_, *factory_, nullptr});
    doc_->AttachViews(&views_);
  }

  ~IdlePreviewOverlay() override {
    output_->SetSink(nullptr);
    SetBoardPresent(boardWas_);
  }

  CSrc& Source(const std::string& path) {
    const SourceReadContext context{MediaReadContext{*factory_, ui_, FrameSizeRule{}}, doc_->stillImages, nullptr};
    doc_->sources.push_back(MakeSourceFromFile(context, path));
    EXPECT_TRUE(doc_->sources.back()) << path;
    CSrc& source = *doc_->sources.back();
    EXPECT_TRUE(FillMovieMap(map_, source, *factory_, ui_));
    return source;
  }

  CTrack& AddTrack(TrackType type) {
    return doc_->timeline.AddTrackInKindOrder(std::make_unique<CTrack>(type, 48));
  }

  void Place(CTrack& track, CSrc& source, TimeMs start, TimeMs duration) {
    auto clip = std::make_unique<CFilm>(&source);
    clip->start = start;
    clip->duration = duration;
    clip->sourceLength = source.duration != 0.0 ? source.duration : duration;
    clip->flags = source.flags;
    ++source.usageCount;
    EXPECT_TRUE(track.Accepts(source.flags));
    track.InsertInOrder(std::move(clip));
  }

  // The preview timer's tick at the mark, then the board's output for a few
  // frames: the last one made.
  RgbFrame PreviewAt(CPlaybackWindow& playback, TimeMs mark) {
    doc_->times.timeMark = mark;
    playback.OnPreviewTimer();
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(pump_.Step());
    return sink_.Frames().back().frame;
  }

  static constexpr SoftwareBoardFormat kFormat{160, 120, 25.0};
  testing::VideoStandardScope pal_{VideoStandard{}};
  testing::TempDir dir_;
  std::shared_ptr<VirtualBoardClock> clock_ = std::make_shared<VirtualBoardClock>();
  std::shared_ptr<BoardOutput> output_;
  std::unique_ptr<IKlpComponentFactory> factory_;
  CaptureSink sink_;
  OfflinePump pump_;
  bool boardWas_;
  testing::ScriptedUserInterface ui_;
  MemorySettingsStore store_;
  HeadlessDocumentViews views_;
  std::unique_ptr<CVantorelleDoc> doc_;
  CMovieMap map_;
  testing::RecordingViewHost host_;
  testing::NoWorkAreaDisplay display_;
  testing::ManualTimers windowTimers_;
  testing::ManualTimers viewTimers_;
};

TEST_P(IdlePreviewOverlay, ATransparentPictureAboveAMovieShowsLaidOverItUnderTheMark) {
  // A blue movie on a B track for two seconds; above it, on the alpha track,
  // red at half opacity for the first second.
  testing::MovieParams params;
  params.width = 160;
  params.height = 120;
  params.frameCount = 50;
  params.pattern = testing::FramePattern::Solid;
  params.colour = {0, 0, 255};
  ASSERT_TRUE(testing::WriteAvi(dir_.File("blue.avi"), params));
  const std::string upper = dir_.File(GetParam().name);
  if (upper.ends_with(".png")) {
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < 64 * 48; ++i) rgba.insert(rgba.end(), {200, 0, 0, 128});
    ASSERT_TRUE(testing::WriteImagePixels(upper, testing::ImageFormat::Png, 64, 48, rgba, testing::ImageAlpha::Keep));
  } else {
    if (std::system("command -v ffmpeg >/dev/null 2>&1") != 0) GTEST_SKIP() << "no ffmpeg program on PATH";
    const std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i "
                                "'color=c=0xC80000@0.5:s=160x120:r=25:d=1,format=argb' "
                                "-c:v libvpx-vp9 -pix_fmt yuva420p -crf 10 -b:v 0 '" + upper + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  CSrc& blue = Source(dir_.File("blue.avi"));
  CSrc& half = Source(upper);
  Place(AddTrack(TrackTypes::VideoB), blue, 0.0, 2000.0);
  Place(AddTrack(TrackTypes::VideoAlfa), half, 0.0, 1000.0);

  CPlayEngine engine(*factory_, ui_);
  ASSERT_TRUE(engine.HasBoard());
  WorkAreaNavigator navigator(*doc_, display_, host_, viewTimers_);
  CPlaybackWindow playback(PlaybackWindowServices{*doc_, engine, map_, navigator, host_, windowTimers_, viewTimers_,
                                                  nullptr, nullptr, nullptr});

  const Rgb movie = Middle(PreviewAt(playback, 1500.0));
  ASSERT_TRUE(Near(movie, Rgb{0, 0, 255}, 8));
  const Rgb laidOver{100, 0, (movie.b * 127 + 127) / 255};
  const int levels = GetParam().levels;
  EXPECT_TRUE(Near(Middle(PreviewAt(playback, 400.0)), laidOver, levels)) << "red over blue";
  // Off the picture, the movie alone again; back on it, laid over once more.
  EXPECT_TRUE(Near(Middle(PreviewAt(playback, 1200.0)), movie, 4));
  EXPECT_TRUE(Near(Middle(PreviewAt(playback, 960.0)), laidOver, levels));
  EXPECT_TRUE(ui_.messages.empty());

  // A play of the movie alone shows no picture of the preview's.
  const auto list = BuildPlayList(IncludedTracks(doc_->timeline), 1000.0, 2000.0, 40.0, map_, false);
  ASSERT_TRUE(list);
  ASSERT_TRUE(engine.Prepare(list->playFrom, list->playTo, *list, list->frameDelta, list->audioTrackKeys));
  ASSERT_TRUE(engine.Start());
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(pump_.Step());
  EXPECT_TRUE(Near(Middle(sink_.Frames().back().frame), movie, 4)) << "in the play";
  engine.Stop();
  EXPECT_TRUE(Near(Middle(PreviewAt(playback, 200.0)), laidOver, levels)) << "after the play";
}

INSTANTIATE_TEST_SUITE_P(StillAndMovie, IdlePreviewOverlay,
                         ::testing::Values(UpperPicture{"half.png", 4}, UpperPicture{"half.webm", 6}),
                         [](const ::testing::TestParamInfo<UpperPicture>& info) {
                           return std::string(info.param.name).ends_with(".png") ? "Still" : "Vp9Movie";
                         });

}  // namespace
}  // namespace vantorelle
