#include "render_command.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <set>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "document/settings_store.h"
#include "document/vantorelle_doc.h"
#include "json_output.h"
#include "model/number_limits.h"
#include "playback/encoder_sink.h"
#include "playback/media_file_encoder.h"
#include "playback/movie_map.h"
#include "playback/play_engine.h"
#include "playback/play_engine_list.h"
#include "playback/software_board/offline_pump.h"
#include "playback/software_board/software_board_factory.h"
#include "collecting_user_interface.h"
#include "printing_user_interface.h"
#include "render_output.h"
#include "render_span.h"

namespace vantorelle::cli {
namespace {

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

// Missing files are named once, below, and only those the render needs.
class RenderUserInterface : public PrintingUserInterface {
 public:
  MissingSourceAnswer AskMissingSource(const MissingSourceRequest&) override { return {}; }
};

// Each offline or unreadable source the render needs, on stderr. False when
// they stop the render.
bool ReportOfflineSources(const std::vector<const CSrc*>& offline, const std::set<const CSrc*>& unreadable,
                          const RenderOptions& options) {
  if (offline.empty()) return true;
  const char* outcome = options.allowOffline ? "rendered as black and silence" : "cannot be rendered";
  for (const CSrc* source : offline) {
    std::fprintf(stderr, "vantorelle-cli: %s, %s: %s\n",
                 unreadable.count(source) ? "unreadable source" : "offline source (file not found)", outcome,
                 source->path.c_str());
  }
  if (options.allowOffline) return true;
  std::fprintf(stderr, "vantorelle-cli: %s: %zu source(s) offline or unreadable; nothing rendered "
               "(--allow-offline renders them as black and silence)\n",
               options.project.c_str(), offline.size());
  return false;
}

CPlayList BlackPlayList(const RenderSpan& span, double frameDelta, const CMovieMap& movieMap) {
  CPlayList list;
  list.frameDelta = frameDelta;
  list.startFrame = PlayRound(span.from / frameDelta);
  list.endFrame = PlayRound(span.to / frameDelta);
  list.playFrom = span.from;
  list.playTo = span.to;
  list.movieMap = &movieMap;
  return list;
}

// Past its last picture the board holds it; a render shows black there.
void PadWithBlack(CPlayList& list) {
  std::int32_t end = list.startFrame;
  for (const CPlayTask& entry : list.videoList) end = std::max(end, entry.End());
  if (end >= list.endFrame) return;
  CPlayTask black;
  black.blank = true;
  black.start = end;
  black.length = list.endFrame - end;
  list.videoList.push_back(black);
}

}  // namespace

int RunRender(const RenderOptions& options) {
  const VideoStandard& standard = CurrentVideoStandard();
  SoftwareBoardFormat format =
      SoftwareBoardFormatOf(standard.FrameWidth, standard.FrameHeight, standard.FrameRate / 1000.0);
  auto clock = std::make_shared<VirtualBoardClock>();
  auto output = std::make_shared<BoardOutput>(format);
  auto factory = CreateSoftwareBoardFactory(format, SoftwareBoardWiring{clock, output});

  RenderUserInterface ui;
  MemorySettingsStore store;
  HeadlessDocumentViews views;
  CVantorelleDoc doc(DocumentServices{store, true, ui, *factory, nullptr});
  doc.AttachViews(&views);
  if (InputAtOutput(options.output, {options.project})) return RefuseInput(options.output, "the project file");
  if (OpenProjectFile(doc, options.project) != ProjectOpenOutcome::Opened) {
    return Fail(options.project + ": cannot be opened as a project");
  }
  // A project that holds its format set the standard as it opened: the
  // board and the file follow it.
  format = SoftwareBoardFormatOf(standard.FrameWidth, standard.FrameHeight, standard.FrameRate / 1000.0);
  if (!output->SetFormat(format)) return Fail("the software board could not take the project's format");
  std::vector<std::string> sourcePaths;
  for (const auto& source : doc.sources) sourcePaths.push_back(source->path);
  if (const auto source = InputAtOutput(options.output, sourcePaths)) {
    return RefuseInput(options.output, "the project's source file " + *source);
  }
  const RenderSpanChoice choice = ChooseRenderSpan(doc.timeline, doc.times, options.range, standard.FrameDelta);
  if (!choice.span) {
    std::fprintf(stderr, "vantorelle-cli: %s: %s\n", options.project.c_str(), choice.refusal.c_str());
    return options.range ? 2 : 1;
  }
  const RenderSpan span = *choice.span;
  CMovieMap movieMap;
  std::set<const CSrc*> unreadable;
  for (const auto& source : doc.sources) {
    // The map's own warning names no file; the line below does.
    CollectingUserInterface unshown;
    if (!FillMovieMap(movieMap, *source, *factory, unshown)) {
      source->offline = true;  // played as black and silence, as a missing file is
      unreadable.insert(source.get());
    }
  }
  if (!ReportOfflineSources(OfflineSourcesInSpan(doc.timeline, span), unreadable, options)) return 1;

  CPlayEngine engine(*factory, ui);
  if (!engine.HasBoard()) return Fail("the software board did not start");
  engine.BuildTitleTasks(doc.timeline.tracks, span.from);
  if (doc.preferences.pillarcastCompatible != 0) {
    return Fail(options.project + ": nothing to render (Pillarcast compatibility is on)");
  }
  std::optional<CPlayList> list = BuildPlayList(IncludedTracks(doc.timeline), span.from, span.to,
                                                standard.FrameDelta, movieMap, false);
  // Nothing of any clip in the span: all of it is black and silence.
  if (!list) list = BlackPlayList(span, standard.FrameDelta, movieMap);
  PadWithBlack(*list);

  std::string error;
  const auto file = RenderOutputFile::Create(options.output, error);
  if (!file) return Fail(options.output + ": " + error);
  // Square pixels are said; the narrow ones of classic PAL and NTSC are left to their readers.
  const int squarePixels = format.pixelAspect == 1.0 ? 1 : 0;
  const MediaFileSettings settings{options.mp4 ? MediaFileFormat::Mp4H264Aac : MediaFileFormat::AviMjpegPcm,
                                   format.width, format.height, standard.FrameRate, kBoardSampleRate, squarePixels,
                                   squarePixels};
  auto encoder = MediaFileEncoder::Open(file->TemporaryPath(), settings, error);
  if (!encoder) return Fail(options.output + ": " + error);
  // Encoded on its own thread, from pictures composed in the encoder's YUV.
  EncoderSink sink(*encoder, EncoderPictureFormat(settings));
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
  const bool finished = sink.Finish() && encoder->Finish();
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
