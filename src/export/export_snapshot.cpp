#include "export/export_snapshot.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "document/vantorelle_doc.h"
#include "export/export_output_file.h"
#include "export/export_snapshot_parts.h"
#include "playback/software_board/output_sink.h"
#include "playback/software_board/software_board_factory.h"

namespace vantorelle {
namespace {

ExportSnapshotResult Refuse(ExportRefusalKind kind, std::string why) {
  ExportSnapshotResult result;
  result.refusal = std::move(why);
  result.refusalKind = kind;
  return result;
}

// The project's sources as copies, and the time line pointing at them.
void CopyProject(const CVantorelleDoc& doc, ExportSnapshot::Parts& parts) {
  std::unordered_map<const CSrc*, CSrc*> copyOf;
  for (const auto& source : doc.sources) {
    auto copy = std::make_unique<CSrc>(source->path, source->name);
    copy->modified = source->modified;
    copy->size = source->size;
    copy->flags = source->flags;
    copy->duration = source->duration;
    copy->icon = source->icon;
    copy->frameWidth = source->frameWidth;
    copy->frameHeight = source->frameHeight;
    copy->storedPath = source->storedPath;
    copy->offline = source->offline;
    copyOf[source.get()] = copy.get();
    parts.sources.push_back(std::move(copy));
  }
  parts.timeline = doc.timeline.Copy();
  parts.timeline.clipboard.clear();
  for (const auto& track : parts.timeline.tracks) {
    for (const auto& clip : track->clips) {
      const auto found = copyOf.find(clip->source);
      clip->source = found != copyOf.end() ? found->second : nullptr;
    }
  }
}

CPlayList BlackPlayList(const ExportSpan& span, double frameDelta, const CMovieMap& movieMap) {
  CPlayList list;
  list.frameDelta = frameDelta;
  list.startFrame = PlayRound(span.from / frameDelta);
  list.endFrame = PlayRound(span.to / frameDelta);
  list.playFrom = span.from;
  list.playTo = span.to;
  list.movieMap = &movieMap;
  return list;
}

// Past its last picture the board holds it; an export shows black there.
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

ExportSpanRule RuleOf(const ExportRequest& request, const ExportPreset& preset) {
  if (preset.content == ExportContent::OneFrame) return ExportSpanRule::TimeMark;
  switch (request.span) {
    case ExportSpanKind::WholeProject: return ExportSpanRule::WholeProject;
    case ExportSpanKind::Range: return ExportSpanRule::Range;
    case ExportSpanKind::WorkArea: return ExportSpanRule::WorkArea;
  }
  return ExportSpanRule::WholeProject;
}

bool TitlesPlayIn(const CTimelineData& timeline, const ExportSpan& span) {
  for (const CTrack* track : IncludedTracks(timeline)) {
    if (track->Kind() != TrackKind::TitleMovable && track->Kind() != TrackKind::TitleSlide) continue;
    for (const auto& clip : track->clips) {
      if (clip->LeadInStart() < span.to && clip->End() > span.from) return true;
    }
  }
  return false;
}

std::string ProblemText(const std::vector<ExportSourceProblem>& problems) {
  std::string text;
  for (const ExportSourceProblem& problem : problems) {
    if (!text.empty()) text += "; ";
    text += (problem.unreadable ? "unreadable source: " : "offline source (file not found): ") + problem.path;
  }
  return text;
}

}  // namespace

ExportSnapshot::ExportSnapshot(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
ExportSnapshot::~ExportSnapshot() {
  // The play's objects go before the board's output they are registered with.
  if (parts_ && parts_->output) parts_->output->SetSink(nullptr);
}

const ExportPreset& ExportSnapshot::Preset() const { return *parts_->preset; }
const ExportRequest& ExportSnapshot::Request() const { return parts_->request; }
ExportSpan ExportSnapshot::Span() const { return parts_->span; }
std::int64_t ExportSnapshot::FramesTotal() const { return parts_->framesTotal; }
int ExportSnapshot::Width() const { return parts_->fileSize.width; }
int ExportSnapshot::Height() const { return parts_->fileSize.height; }
int ExportSnapshot::FramesPer1000s() const { return parts_->standard.FrameRate; }
double ExportSnapshot::FrameDelta() const { return parts_->standard.FrameDelta; }

ExportSnapshotResult TakeExportSnapshot(const CVantorelleDoc& doc, const ExportRequest& request) {
  const ExportPreset& preset = ExportPresetOf(request.preset);
  if (request.output.empty()) return Refuse(ExportRefusalKind::Other, "no file to export to");
  if (request.crf != 0 && !CrfInRange(preset, request.crf)) {
    return Refuse(ExportRefusalKind::Other,
                  preset.TakesQuality()
                      ? "a quality of " + std::to_string(request.crf) + " is off the " + std::string(preset.name) +
                            " scale (" + std::to_string(preset.bestCrf) + " best … " + std::to_string(preset.worstCrf) +
                            " smallest)"
                      : "the " + std::string(preset.name) + " preset takes no quality");
  }
  const std::string never = "; an export never writes over its own inputs";
  if (!doc.ProjectPath().empty() && InputAtOutput(request.output, {doc.ProjectPath()})) {
    return Refuse(ExportRefusalKind::OutputIsInput, request.output + " is the project file" + never);
  }
  std::vector<std::string> sourcePaths;
  for (const auto& source : doc.sources) sourcePaths.push_back(source->path);
  if (const auto source = InputAtOutput(request.output, sourcePaths)) {
    return Refuse(ExportRefusalKind::OutputIsInput, request.output + " is the project's source file " + *source + never);
  }
  if (doc.preferences.pillarcastCompatible != 0) {
    return Refuse(ExportRefusalKind::NothingToExport, "nothing to export (Pillarcast compatibility is on)");
  }

  auto parts = std::make_unique<ExportSnapshot::Parts>();
  parts->request = request;
  parts->preset = &preset;
  // The only read of the running standard: the export keeps its own copy.
  parts->standard = CurrentVideoStandard();
  const VideoStandard& standard = parts->standard;
  const ExportSpanChoice choice =
      ChooseExportSpan(doc.timeline, doc.times, RuleOf(request, preset), request.givenRange, standard.FrameDelta);
  if (!choice.span) {
    const bool nothing = choice.refusal.rfind("nothing to export", 0) == 0;
    return Refuse(choice.givenRangeRefused ? ExportRefusalKind::GivenRange
                  : nothing                ? ExportRefusalKind::NothingToExport
                                           : ExportRefusalKind::BadSpan,
                  choice.refusal);
  }
  parts->span = *choice.span;
  CopyProject(doc, *parts);

  SoftwareBoardFormat format =
      SoftwareBoardFormatOf(standard.FrameWidth, standard.FrameHeight, standard.FrameRate / 1000.0);
  const ExportFrameSize size = ExportFrameSizeOf(preset, format.width, format.height);
  parts->fileSize = size;
  // Title regions are in the project's pixels: a board that draws titles
  // runs at the project's size and its pictures are shrunk.
  if (!TitlesPlayIn(parts->timeline, parts->span)) {
    format.width = size.width;
    format.height = size.height;
  }
  parts->format = format;
  parts->clock = std::make_shared<VirtualBoardClock>();
  parts->output = std::make_shared<BoardOutput>(format);
  parts->factory = CreateSoftwareBoardFactory(format, SoftwareBoardWiring{parts->clock, parts->output});

  std::set<const CSrc*> unreadable;
  for (const auto& source : parts->sources) {
    if (source->offline) continue;
    ExportUserInterface unshown;  // the map's own warning names no file; the problem below does
    if (!FillMovieMap(parts->movieMap, *source, *parts->factory, unshown)) {
      source->offline = true;  // played as black and silence, as a missing file is
      unreadable.insert(source.get());
    }
  }
  ExportSnapshotResult result;
  for (const CSrc* source : OfflineSourcesInSpan(parts->timeline, parts->span)) {
    result.sourceProblems.push_back({source->path, unreadable.count(source) != 0});
  }
  if (!result.sourceProblems.empty() && !request.allowOffline) {
    result.refusal = ProblemText(result.sourceProblems);
    result.refusalKind = ExportRefusalKind::SourcesOffline;
    return result;
  }

  parts->engine = std::make_unique<CPlayEngine>(*parts->factory, parts->ui);
  if (!parts->engine->HasBoard()) return Refuse(ExportRefusalKind::Other, "the software board did not start");
  // Title tasks read the running standard as they are made: here, not on the export thread.
  if (preset.content != ExportContent::SoundOnly) parts->engine->BuildTitleTasks(parts->timeline.tracks, parts->span.from);
  std::optional<CPlayList> list = BuildPlayList(IncludedTracks(parts->timeline), parts->span.from, parts->span.to,
                                                standard.FrameDelta, parts->movieMap, false);
  // Nothing of any clip in the span: all of it is black and silence.
  if (!list) list = BlackPlayList(parts->span, standard.FrameDelta, parts->movieMap);
  if (preset.content == ExportContent::SoundOnly) {
    // No picture is written: none is decoded.
    list->videoList.clear();
    list->overlayList.clear();
    list->titleList.clear();
  }
  PadWithBlack(*list);
  parts->list = std::move(*list);
  parts->framesTotal =
      static_cast<std::int64_t>((parts->list.playTo - parts->list.playFrom) / parts->list.frameDelta + 0.5);
  result.snapshot.reset(new ExportSnapshot(std::move(parts)));
  return result;
}

}  // namespace vantorelle
