// The background export: a snapshot of a project made of generated media
// played on the export's own thread into each preset's file, read back with
// FFmpeg as another player would read it.
#include "export/export_job.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <thread>

#include "document/headless_views.h"
#include "export/export_snapshot.h"
#include "export/export_snapshot_parts.h"
#include "model/file_facts.h"
#include "playback/software_board/capture_sink.h"
#include "playback/software_board/offline_pump.h"
#include "support/document_fixture.h"
#include "support/file_bytes.h"
#include "support/media_file_reader.h"
#include "support/temp_dir.h"
#include "support/test_media_writer.h"

namespace vantorelle {
namespace {

namespace fs = std::filesystem;
using testing::FileBytes;

// Hidden files of the folder that an export to name may have made.
std::vector<std::string> TemporariesOf(const fs::path& folder, const std::string& name) {
  std::vector<std::string> found;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string file = entry.path().filename().string();
    if (file.rfind("." + name, 0) == 0) found.push_back(file);
  }
  return found;
}

// The largest file this process may write, lowered as a full disk would
// stop the export; the old limit comes back at the end of scope.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);  // a write past it fails with EFBIG instead
    const rlimit limit{bytes, old_.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = SIG_DFL;
};

// What ffprobe says of the first stream of a kind, as "key=value" lines.
std::string Probe(const std::string& path, const char* stream, const char* entries) {
  const std::string command = std::string("ffprobe -v error -select_streams ") + stream + " -show_entries stream=" +
                              entries + " -of default=noprint_wrappers=1 '" + path + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return {};
  std::string out;
  char buffer[256];
  while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
  pclose(pipe);
  return out;
}

class ExportJobTest : public ::testing::Test {
 protected:
  ExportJobTest() {
    boardWas_ = BoardPresent();
    SetBoardPresent(true);
    project_.doc.AttachViews(&views_);
  }
  ~ExportJobTest() override { SetBoardPresent(boardWas_); }

  // A movie whose frames carry their numbers, frames long, 720 × 576 at 25.
  CSrc& Movie(const std::string& name, int frames) {
    testing::MovieParams params;
    params.width = 720;
    params.height = 576;
    params.frameCount = frames;
    params.pattern = testing::FramePattern::FrameNumbered;
    const std::string path = dir_.File(name);
    EXPECT_TRUE(testing::WriteAvi(path, params));
    CSrc& source = project_.AddSource(path, frames * 40.0, SourceFlags::MovieFile | SourceFlags::VideoStream);
    source.frameWidth = 720;
    source.frameHeight = 576;
    source.modified = LastWriteText(ReadFileFacts(path)->lastWrite);
    return source;
  }

  CSrc& Tone(const std::string& name, double seconds) {
    testing::WavParams wav;
    wav.sampleRate = 48000;
    wav.seconds = seconds;
    const std::string path = dir_.File(name);
    EXPECT_TRUE(testing::WriteWav(path, wav));
    CSrc& source = project_.AddSource(path, seconds * 1000.0, SourceFlags::MovieFile | SourceFlags::AudioStream);
    source.modified = LastWriteText(ReadFileFacts(path)->lastWrite);
    return source;
  }

  CFilm& Place(std::size_t track, CSrc& source, TimeMs start, TimeMs duration, TimeMs in = 0.0) {
    auto clip = std::make_unique<CFilm>();
    clip->source = &source;
    clip->name = source.name;
    clip->start = start;
    clip->duration = duration;
    clip->inPoint = in;
    clip->sourceLength = source.duration;
    clip->flags = source.flags;
    ++source.usageCount;
    CFilm& placed = project_.Track(track).InsertInOrder(std::move(clip));
    project_.ExpectConsistent(Sources());
    return placed;
  }

  std::vector<const CSrc*> Sources() const {
    std::vector<const CSrc*> sources;
    for (const auto& source : project_.doc.sources) sources.push_back(source.get());
    return sources;
  }

  // One second of numbered pictures over one second of tone.
  void OneSecondProject() {
    Place(0, Movie("numbers.avi", 25), 0.0, 1000.0);
    Place(2, Tone("tone.wav", 1.0), 0.0, 1000.0);
  }

  ExportRequest Request(ExportPresetId preset, const std::string& file) {
    ExportRequest request;
    request.preset = preset;
    request.output = dir_.File(file);
    return request;
  }

  ExportProgress Export(const ExportRequest& request) {
    ExportSnapshotResult taken = TakeExportSnapshot(project_.doc, request);
    EXPECT_TRUE(taken.snapshot) << taken.refusal;
    if (!taken.snapshot) return {};
    return ExportJob::Start(std::move(taken.snapshot))->Wait();
  }

  testing::TempDir dir_;
  testing::TestDocument project_;
  HeadlessDocumentViews views_;
  bool boardWas_ = false;
};

TEST_F(ExportJobTest, EveryPresetWritesItsCodecsSizeRateAndFrames) {
  OneSecondProject();
  struct Case {
    ExportPresetId preset;
    const char* video;
    const char* audio;
    int width;
    int height;
    std::size_t frames;
  };
  const Case cases[] = {
      {ExportPresetId::Mp4, "h264", "aac", 720, 576, 25},
      {ExportPresetId::Mp4Half, "h264", "aac", 360, 288, 25},
      {ExportPresetId::ProRes, "prores", "pcm_s16le", 720, 576, 25},
      {ExportPresetId::Avi, "mjpeg", "pcm_s16le", 720, 576, 25},
      {ExportPresetId::WebM, "vp9", "opus", 720, 576, 25},
      {ExportPresetId::Wav, "", "pcm_s16le", 0, 0, 0},
      {ExportPresetId::Flac, "", "flac", 0, 0, 0},
      {ExportPresetId::Png, "png", "", 720, 576, 1},
  };
  for (const Case& c : cases) {
    const ExportPreset& preset = ExportPresetOf(c.preset);
    SCOPED_TRACE(std::string(preset.name));
    const std::string file = "out-" + std::string(preset.name) + "." + std::string(preset.extension);
    const ExportProgress done = Export(Request(c.preset, file));
    ASSERT_EQ(done.state, ExportState::Finished) << done.error;
    EXPECT_EQ(done.framesTotal, c.preset == ExportPresetId::Png ? 1 : 25);
    EXPECT_EQ(done.framesDone, done.framesTotal);
    EXPECT_EQ(done.output, dir_.File(file));
    EXPECT_GT(done.speed, 0.0);
    const auto media = testing::DecodeMediaFile(dir_.File(file));
    ASSERT_TRUE(media);
    EXPECT_EQ(media->videoCodec, c.video);
    EXPECT_EQ(media->audioCodec, c.audio);
    EXPECT_EQ(media->width, c.width);
    EXPECT_EQ(media->height, c.height);
    ASSERT_EQ(media->frames.size(), c.frames);
    if (c.frames > 1) EXPECT_NEAR(media->framesPerSecond, 25.0, 0.01);
    if (*c.audio) {
      EXPECT_EQ(media->sampleRate, 48000);
      // One second of sound; AAC and Opus may add or hold back a frame of priming.
      EXPECT_NEAR(static_cast<double>(media->audio.size() / 2), 48000.0, 1100.0);
    }
    // The pictures are the movie's, frame for frame (half size is too small to read).
    if (c.frames > 0 && c.width == 720) {
      for (std::size_t frame = 0; frame < c.frames; frame += 6) {
        EXPECT_EQ(testing::ReadFrameNumber(media->frames[frame].data(), c.width, c.height), static_cast<int>(frame))
            << "frame " << frame;
      }
    }
  }
  EXPECT_TRUE(TemporariesOf(dir_.Path(), "out-mp4.mp4").empty());
}

TEST_F(ExportJobTest, TheFileHoldsThePicturesAndSoundTheBoardPlays) {
  OneSecondProject();
  // The same play into the board's capture sink, from a snapshot of its own.
  ExportSnapshotResult reference = TakeExportSnapshot(project_.doc, Request(ExportPresetId::ProRes, "unused.mov"));
  ASSERT_TRUE(reference.snapshot) << reference.refusal;
  CaptureSink capture;
  {
    ExportSnapshot::Parts& play = reference.snapshot->Inside();
    play.output->SetSink(&capture);
    ASSERT_TRUE(play.engine->Prepare(play.list.playFrom, play.list.playTo, play.list, play.list.frameDelta,
                                     play.list.audioTrackKeys));
    ASSERT_TRUE(play.engine->Start());
    OfflinePump pump(*play.output, *play.clock);
    for (std::int64_t frame = 0; frame < play.framesTotal && pump.Step(); ++frame) {
    }
    play.output->EndPlay();
    play.engine->Stop();
    play.output->SetSink(nullptr);
  }
  ASSERT_EQ(capture.Frames().size(), 25u);

  ASSERT_EQ(Export(Request(ExportPresetId::ProRes, "out.mov")).state, ExportState::Finished);
  ASSERT_EQ(Export(Request(ExportPresetId::Wav, "out.wav")).state, ExportState::Finished);
  const auto pictures = testing::DecodeMediaFile(dir_.File("out.mov"));
  ASSERT_TRUE(pictures);
  ASSERT_EQ(pictures->frames.size(), 25u);
  for (std::size_t frame = 0; frame < 25; ++frame) {
    const std::vector<std::uint8_t>& played = capture.Frames()[frame].frame.pixels;
    const std::vector<std::uint8_t>& written = pictures->frames[frame];
    ASSERT_EQ(written.size(), played.size());
    double difference = 0.0;
    for (std::size_t i = 0; i < played.size(); ++i) difference += std::abs(played[i] - written[i]);
    // ProRes HQ at 10 bits: within a level or two on average, chroma edges included.
    EXPECT_LT(difference / static_cast<double>(played.size()), 2.0) << "frame " << frame;
  }
  const auto sound = testing::DecodeMediaFile(dir_.File("out.wav"));
  ASSERT_TRUE(sound);
  ASSERT_EQ(sound->audio.size(), capture.Audio().size());
  for (std::size_t i = 0; i < sound->audio.size(); ++i) {
    ASSERT_NEAR(sound->audio[i], capture.Audio()[i], 1.5 / 32767.0) << "sample " << i / 2;
  }
}

TEST_F(ExportJobTest, LaterEditsAndFormatChangesNeverReachARunningExport) {
  OneSecondProject();
  const ExportRequest request = Request(ExportPresetId::Avi, "out.avi");
  ExportSnapshotResult taken = TakeExportSnapshot(project_.doc, request);
  ASSERT_TRUE(taken.snapshot) << taken.refusal;
  // The person moves the movie along, deletes the tone and switches the
  // project to NTSC before the export even starts.
  CTrack& pictures = project_.Track(0);
  pictures.clips.front()->start = 3000.0;
  CTrack& sound = project_.Track(2);
  sound.Remove(*sound.clips.front())->source->usageCount--;
  project_.ExpectConsistent(Sources());
  project_.doc.SwitchFormat(VideoFormat{720, 480, 29970});
  const auto job = ExportJob::Start(std::move(taken.snapshot));
  project_.doc.SwitchFormat(VideoFormat{1280, 720, 50000});
  pictures.clips.front()->start = 5000.0;
  const ExportProgress done = job->Wait();
  ASSERT_EQ(done.state, ExportState::Finished) << done.error;
  const auto media = testing::DecodeMediaFile(request.output);
  ASSERT_TRUE(media);
  EXPECT_EQ(media->width, 720);
  EXPECT_EQ(media->height, 576);
  EXPECT_NEAR(media->framesPerSecond, 25.0, 0.01);
  ASSERT_EQ(media->frames.size(), 25u);
  for (std::size_t frame = 0; frame < 25; frame += 4) {
    EXPECT_EQ(testing::ReadFrameNumber(media->frames[frame].data(), 720, 576), static_cast<int>(frame));
  }
  double sum = 0.0;
  for (const float sample : media->audio) sum += sample * sample;
  EXPECT_GT(std::sqrt(sum / static_cast<double>(media->audio.size())), 0.05) << "the tone was deleted from the export";
}

TEST_F(ExportJobTest, CancelLeavesNoPartOfTheFileAndKeepsTheOneThere) {
  // Twenty seconds of pictures: far more than a cancel lets through.
  CSrc& movie = Movie("numbers.avi", 25);
  for (int i = 0; i < 20; ++i) Place(0, movie, 1000.0 * i, 1000.0);
  const ExportRequest request = Request(ExportPresetId::Mp4, "out.mp4");
  dir_.WriteFile("out.mp4", "the export of yesterday");
  const auto before = FileBytes(request.output);
  ExportSnapshotResult taken = TakeExportSnapshot(project_.doc, request);
  ASSERT_TRUE(taken.snapshot) << taken.refusal;
  const auto job = ExportJob::Start(std::move(taken.snapshot));
  while (job->Progress().framesDone < 5 && job->Progress().state == ExportState::Running) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  const ExportProgress running = job->Progress();
  ASSERT_EQ(running.state, ExportState::Running);
  EXPECT_EQ(running.framesTotal, 500);
  EXPECT_GT(running.secondsLeft, 0.0);
  EXPECT_FALSE(TemporariesOf(dir_.Path(), "out.mp4").empty()) << "the export writes beside its target";
  job->Cancel();
  const ExportProgress cancelled = job->Wait();
  EXPECT_EQ(cancelled.state, ExportState::Cancelled);
  EXPECT_LT(cancelled.framesDone, 500);
  EXPECT_EQ(FileBytes(request.output), before);
  EXPECT_TRUE(TemporariesOf(dir_.Path(), "out.mp4").empty());

  // A job let go while it runs cancels the same way.
  ExportSnapshotResult again = TakeExportSnapshot(project_.doc, request);
  ASSERT_TRUE(again.snapshot);
  ExportJob::Start(std::move(again.snapshot)).reset();
  EXPECT_EQ(FileBytes(request.output), before);
  EXPECT_TRUE(TemporariesOf(dir_.Path(), "out.mp4").empty());
}

TEST_F(ExportJobTest, AFailedWriteReportsTheReasonAndKeepsTheOldFile) {
  OneSecondProject();
  for (const ExportPresetId preset : {ExportPresetId::Avi, ExportPresetId::Wav}) {
    const ExportRequest request = Request(preset, "out.bin");
    dir_.WriteFile("out.bin", "the export of yesterday");
    const auto before = FileBytes(request.output);
    ExportProgress done;
    {
      FileSizeLimit full(16 * 1024);  // far less than a second of either
      done = Export(request);
    }
    EXPECT_EQ(done.state, ExportState::Failed);
    EXPECT_NE(done.error.find("File too large"), std::string::npos) << done.error;
    EXPECT_EQ(FileBytes(request.output), before);
    EXPECT_TRUE(TemporariesOf(dir_.Path(), "out.bin").empty());
  }
}

TEST_F(ExportJobTest, TheSpanIsTheWholeProjectTheRangeTheWorkAreaOrTheFrameUnderTheMark) {
  Place(0, Movie("numbers.avi", 50), 0.0, 2000.0);
  project_.doc.times.rangeStart = 400.0;
  project_.doc.times.rangeStop = 800.0;
  project_.doc.timeline.workArea = WorkArea{1200.0, 1600.0};
  project_.doc.times.timeMark = 1480.0;
  struct Case {
    ExportPresetId preset;
    ExportSpanKind span;
    int firstFrame;
    std::size_t frames;
  };
  const Case cases[] = {
      {ExportPresetId::Avi, ExportSpanKind::WholeProject, 0, 50},
      {ExportPresetId::Avi, ExportSpanKind::Range, 10, 10},
      {ExportPresetId::Avi, ExportSpanKind::WorkArea, 30, 10},
      {ExportPresetId::Png, ExportSpanKind::WholeProject, 37, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.span));
    ExportRequest request = Request(c.preset, c.preset == ExportPresetId::Png ? "still.png" : "span.avi");
    request.span = c.span;
    ASSERT_EQ(Export(request).state, ExportState::Finished);
    const auto media = testing::DecodeMediaFile(request.output);
    ASSERT_TRUE(media);
    ASSERT_EQ(media->frames.size(), c.frames);
    EXPECT_EQ(testing::ReadFrameNumber(media->frames.front().data(), 720, 576), c.firstFrame);
    EXPECT_EQ(testing::ReadFrameNumber(media->frames.back().data(), 720, 576),
              c.firstFrame + static_cast<int>(c.frames) - 1);
  }
}

TEST_F(ExportJobTest, AHalfSizeExportShrinksTitlesWithThePicture) {
  OneSecondProject();
  // A yellow slide over the region (100, 100)–(300, 200) of the 720 × 576 frame.
  const std::string slidePath = dir_.File("slide.png");
  ASSERT_TRUE(testing::WriteImage(slidePath, testing::ImageFormat::Png, 200, 100, {255, 255, 0}));
  CSrc& slide = project_.AddSource(slidePath, 0.0, SourceFlags::VideoStream);
  slide.frameWidth = 200;
  slide.frameHeight = 100;
  slide.modified = LastWriteText(ReadFileFacts(slidePath)->lastWrite);
  CTrack& slides = project_.Track(4);
  ASSERT_EQ(slides.Kind(), TrackKind::TitleSlide);
  slides.regionLeft = 100;
  slides.regionTop = 100;
  slides.regionWidth = 200;
  slides.regionHeight = 100;
  Place(4, slide, 0.0, 1000.0);
  const ExportRequest request = Request(ExportPresetId::Mp4Half, "half.mp4");
  const ExportProgress done = Export(request);
  ASSERT_EQ(done.state, ExportState::Finished) << done.error;
  const auto media = testing::DecodeMediaFile(request.output);
  ASSERT_TRUE(media);
  ASSERT_EQ(media->width, 360);
  ASSERT_EQ(media->height, 288);
  ASSERT_EQ(media->frames.size(), 25u);
  // The region's middle, halved: (100, 75); and below it, the movie.
  const auto inside = media->MeanColour(12, 92, 67, 16);
  EXPECT_GT(inside.r, 200);
  EXPECT_GT(inside.g, 200);
  EXPECT_LT(inside.b, 60);
  const auto below = media->MeanColour(12, 92, 120, 16);
  EXPECT_FALSE(below.r > 200 && below.g > 200 && below.b < 60) << "the slide is drawn at the project's size";
}

TEST_F(ExportJobTest, RefusalsSayWhyAndWriteNothing) {
  // Nothing on the time line.
  ExportSnapshotResult empty = TakeExportSnapshot(project_.doc, Request(ExportPresetId::Mp4, "out.mp4"));
  EXPECT_FALSE(empty.snapshot);
  EXPECT_EQ(empty.refusalKind, ExportRefusalKind::NothingToExport);
  EXPECT_NE(empty.refusal.find("nothing to export"), std::string::npos) << empty.refusal;

  OneSecondProject();
  ExportRequest range = Request(ExportPresetId::Mp4, "out.mp4");
  range.span = ExportSpanKind::Range;
  const ExportSnapshotResult noRange = TakeExportSnapshot(project_.doc, range);
  EXPECT_FALSE(noRange.snapshot);
  EXPECT_EQ(noRange.refusalKind, ExportRefusalKind::BadSpan);
  EXPECT_NE(noRange.refusal.find("no range is set"), std::string::npos) << noRange.refusal;

  // Over one of its own sources.
  ExportRequest over = Request(ExportPresetId::Wav, "tone.wav");
  const auto toneBefore = FileBytes(over.output);
  const ExportSnapshotResult overSource = TakeExportSnapshot(project_.doc, over);
  EXPECT_FALSE(overSource.snapshot);
  EXPECT_EQ(overSource.refusalKind, ExportRefusalKind::OutputIsInput);
  EXPECT_NE(overSource.refusal.find("source file " + over.output), std::string::npos) << overSource.refusal;
  EXPECT_EQ(FileBytes(over.output), toneBefore);

  ExportRequest crf = Request(ExportPresetId::Mp4, "out.mp4");
  crf.crf = 60;
  EXPECT_EQ(TakeExportSnapshot(project_.doc, crf).refusalKind, ExportRefusalKind::Other);
  crf.preset = ExportPresetId::Wav;
  crf.crf = 20;
  EXPECT_NE(TakeExportSnapshot(project_.doc, crf).refusal.find("takes no quality"), std::string::npos);

  // A source gone from the disk is named, and stops the export unless allowed.
  const std::string movie = dir_.File("numbers.avi");
  fs::remove(movie);
  project_.doc.sources.front()->offline = true;
  const ExportSnapshotResult offline = TakeExportSnapshot(project_.doc, Request(ExportPresetId::Avi, "out.avi"));
  EXPECT_FALSE(offline.snapshot);
  EXPECT_EQ(offline.refusalKind, ExportRefusalKind::SourcesOffline);
  EXPECT_NE(offline.refusal.find(movie), std::string::npos) << offline.refusal;
  ExportRequest allowed = Request(ExportPresetId::Avi, "out.avi");
  allowed.allowOffline = true;
  const ExportSnapshotResult black = TakeExportSnapshot(project_.doc, allowed);
  EXPECT_TRUE(black.snapshot) << black.refusal;
  ASSERT_EQ(black.sourceProblems.size(), 1u);
  EXPECT_EQ(black.sourceProblems.front().path, movie);
  EXPECT_FALSE(fs::exists(dir_.File("out.mp4")));
  EXPECT_FALSE(fs::exists(dir_.File("out.avi")));
}

}  // namespace
}  // namespace vantorelle
