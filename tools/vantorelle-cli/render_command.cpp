#include "render_command.h"

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstdio>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "document/settings_store.h"
#include "document/vantorelle_doc.h"
#include "json_output.h"
#include "model/number_limits.h"
#include "playback/media_file_encoder.h"
#include "playback/movie_map.h"
#include "playback/play_engine.h"
#include "playback/play_engine_list.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/software_board_factory.h"
#include "printing_user_interface.h"
#include "render_output.h"

namespace vantorelle::cli {
namespace {

std::optional<double> Milliseconds(std::string_view text) {
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !(value >= 0.0 && value <= kLongestProjectTime)) {
    return std::nullopt;
  }
  return value;
}

// What the board plays goes into the file; the first failure is kept.
class EncoderSink : public IOutputSink {
 public:
  explicit EncoderSink(MediaFileEncoder& encoder) : encoder_(encoder) {}
  void OnVideoFrame(double, const RgbFrame& frame) override {
    if (ok_) ok_ = encoder_.WriteVideoFrame(frame.pixels.data());
  }
  void OnAudio(double, const float* samples, std::size_t frames) override {
    if (ok_) ok_ = encoder_.WriteAudio(samples, frames);
  }
  void OnEnd() override {}
  bool Ok() const { return ok_; }

 private:
  MediaFileEncoder& encoder_;
  bool ok_ = true;
};

class Progress {
 public:
  Progress(bool shown, std::int64_t total) : shown_(shown && isatty(STDERR_FILENO)), total_(std::max<std::int64_t>(1, total)) {}
  void Show(std::int64_t done) {
    if (!shown_) return;
    const int percent = static_cast<int>(std::min<std::int64_t>(100, done * 100 / total_));
    const int bar = percent / 4;
    std::fprintf(stderr, "\r[%-25s] %3d%%  %lld/%lld frames", std::string(static_cast<std::size_t>(bar), '#').c_str(),
                 percent, static_cast<long long>(done), static_cast<long long>(total_));
    std::fflush(stderr);
  }
  void Done() {
    if (shown_) std::fputc('\n', stderr);
  }

 private:
  bool shown_;
  std::int64_t total_;
};

int Fail(const std::string& text) {
  std::fprintf(stderr, "vantorelle-cli: %s\n", text.c_str());
  return 1;
}

// A render into one of its own inputs would destroy what it reads.
int RefuseInput(const std::string& output, const std::string& what) {
  std::fprintf(stderr, "vantorelle-cli: %s is %s; a render never writes over its own inputs\n", output.c_str(),
               what.c_str());
  return 2;
}

}  // namespace

std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& words, std::string& error) {
  RenderOptions options;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    if (word == "--quiet") {
      options.quiet = true;
    } else if (word == "--format" && i + 1 < words.size()) {
      const std::string& format = words[++i];
      if (format != "avi" && format != "mp4") {
        error = "--format is avi or mp4";
        return std::nullopt;
      }
      options.mp4 = format == "mp4";
    } else if (word == "--range" && i + 1 < words.size()) {
      const std::string& range = words[++i];
      const std::size_t colon = range.find(':');
      const auto start = colon == std::string::npos ? std::nullopt : Milliseconds(std::string_view(range).substr(0, colon));
      const auto stop = colon == std::string::npos ? std::nullopt : Milliseconds(std::string_view(range).substr(colon + 1));
      if (!start || !stop || *stop <= *start) {
        error = "--range is START:STOP in milliseconds, STOP after START";
        return std::nullopt;
      }
      options.range = std::make_pair(*start, *stop);
    } else if (!word.empty() && word[0] == '-') {
      error = "unknown option " + word;
      return std::nullopt;
    } else {
      positional.push_back(word);
    }
  }
  if (positional.size() != 2) {
    error = "render needs a project file and an output file";
    return std::nullopt;
  }
  options.project = positional[0];
  options.output = positional[1];
  return options;
}

int RunRender(const RenderOptions& options) {
  const VideoStandard& standard = CurrentVideoStandard();
  const SoftwareBoardFormat format{standard.FrameWidth, standard.FrameHeight, standard.FrameRate / 1000.0};
  auto clock = std::make_shared<VirtualBoardClock>();
  auto output = std::make_shared<BoardOutput>(format);
  auto factory = CreateSoftwareBoardFactory(format, SoftwareBoardWiring{clock, output});

  PrintingUserInterface ui;
  MemorySettingsStore store;
  HeadlessDocumentViews views;
  CVantorelleDoc doc(DocumentServices{store, true, ui, *factory, nullptr});
  doc.AttachViews(&views);
  if (InputAtOutput(options.output, {options.project})) return RefuseInput(options.output, "the project file");
  if (OpenProjectFile(doc, options.project) != ProjectOpenOutcome::Opened) {
    return Fail(options.project + ": cannot be opened as a project");
  }
  std::vector<std::string> sourcePaths;
  for (const auto& source : doc.sources) sourcePaths.push_back(source->path);
  if (const auto source = InputAtOutput(options.output, sourcePaths)) {
    return RefuseInput(options.output, "the project's source file " + *source);
  }
  if (options.range) {
    doc.times.rangeStart = options.range->first;
    doc.times.rangeStop = options.range->second;
  }
  CMovieMap movieMap;
  for (const auto& source : doc.sources) FillMovieMap(movieMap, *source, *factory, ui);

  CPlayEngine engine(*factory, ui);
  if (!engine.HasBoard()) return Fail("the software board did not start");
  engine.BuildTitleTasks(doc.timeline.tracks, doc.times.timeMark);
  const PlayRange range = ComputePlayRange(doc.timeline, doc.times);
  std::optional<CPlayList> list;
  if (range.from <= range.to) {
    list = BuildPlayList(IncludedTracks(doc.timeline), range.from, range.to, standard.FrameDelta, movieMap,
                         doc.preferences.pillarcastCompatible != 0);
  }
  if (!list) return Fail(options.project + ": nothing to render");

  std::string error;
  const auto file = RenderOutputFile::Create(options.output, error);
  if (!file) return Fail(options.output + ": " + error);
  auto encoder = MediaFileEncoder::Open(
      file->TemporaryPath(),
      {options.mp4 ? MediaFileFormat::Mp4H264Aac : MediaFileFormat::AviMjpegPcm, format.width, format.height,
       standard.FrameRate, kBoardSampleRate},
      error);
  if (!encoder) return Fail(options.output + ": " + error);
  EncoderSink sink(*encoder);
  output->SetSink(&sink);

  const auto began = std::chrono::steady_clock::now();
  if (!engine.Prepare(list->playFrom, list->playTo, *list, list->frameDelta, list->audioTrackKeys) ||
      !engine.Start()) {
    output->SetSink(nullptr);
    return Fail(options.project + ": the play could not start");
  }
  const std::int64_t total =
      static_cast<std::int64_t>((list->playTo - list->playFrom) / list->frameDelta + 0.5);
  Progress progress(!options.quiet, total);
  OfflinePump pump(*output, *clock);
  std::int64_t frames = 0;
  // The play's frames on its grid, as playback shows them from its first to its last.
  while (frames < total && sink.Ok() && pump.Step()) {
    ++frames;
    if (frames % 10 == 0) progress.Show(frames);
  }
  progress.Show(frames);
  progress.Done();
  output->EndPlay();
  engine.Stop();
  output->SetSink(nullptr);
  const bool finished = encoder->Finish();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
  if (!sink.Ok() || !finished) return Fail(options.output + ": " + encoder->Error());
  if (!file->Commit(error)) return Fail(options.output + ": " + error);
  Json report;
  PutText(report, "output", options.output);
  report["format"] = options.mp4 ? "mp4" : "avi";
  report["from"] = list->playFrom;
  report["to"] = list->playTo;
  report["frames"] = encoder->VideoFramesWritten();
  report["seconds"] = seconds;
  report["framesPerSecond"] = seconds > 0 ? encoder->VideoFramesWritten() / seconds : 0.0;
  PrintJson(report);
  return 0;
}

}  // namespace vantorelle::cli
