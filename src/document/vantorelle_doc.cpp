#include "document/vantorelle_doc.h"

#include <algorithm>

#include "document/document_texts.h"
#include "document/ruler_steps.h"
#include "playback/media_info.h"

namespace vantorelle {

CVantorelleDoc::CVantorelleDoc(DocumentServices services)
    : store_(services.store),
      firstRun_(services.firstRun),
      ui_(services.ui),
      board_(services.board),
      shortcuts_(std::move(services.shortcuts)) {
  if (shortcuts_) shortcuts_->LoadOrBuildDefault(store_, firstRun_);
  ApplySettings(LoadDocumentSettings(store_, firstRun_));
  favouriteDirectories = LoadFavouriteDirectories(store_);
  stillImages = LoadImportFilter(services.board, ui_);
  movieFiles = LoadMovieImportFilter(services.board, ui_);
  sourceDialogFilters = SourceDialogFilters(stillImages, movieFiles);
  if (auto stored = LoadTrackList(store_, firstRun_)) {
    for (auto& track : *stored) timeline.tracks.push_back(std::move(track));
  } else {
    MakeDefaultTracks();
  }
}

CVantorelleDoc::~CVantorelleDoc() {
  SaveDocumentSettings(store_, Settings());
  SaveTrackList(store_, timeline.tracks);
  SaveFavouriteDirectories(store_, favouriteDirectories);
  if (shortcuts_) shortcuts_->Save(store_);
  // Snapshots and the clipboard share the sources: they go first.
  undoHistory.Clear();
  timeline = CTimelineData{};
  sources.clear();
}

DocumentSettings CVantorelleDoc::Settings() const {
  DocumentSettings settings;
  settings.preferences = preferences;
  settings.times = times;
  settings.workArea = timeline.workArea;
  settings.durations = durations;
  settings.colours = colours;
  return settings;
}

void CVantorelleDoc::ApplySettings(const DocumentSettings& settings) {
  preferences = settings.preferences;
  // The history cannot hold fewer than one step.
  preferences.undoDepth = std::max(preferences.undoDepth, 1);
  times = settings.times;
  timeline.workArea = settings.workArea;
  durations = settings.durations;
  colours = settings.colours;
  RebuildRulerSteps();
  undoHistory.SetDepth(preferences.undoDepth);
}

void CVantorelleDoc::MakeDefaultTracks() { timeline.MakeDefaultTracks(); }

void CVantorelleDoc::NewProject() {
  modified_ = false;
  ClearContents(1);
}

void CVantorelleDoc::NewProject(const VideoFormat& format) {
  NewProject();
  SwitchFormat(format);
}

VideoFormat CVantorelleDoc::Format() const { return FormatOf(CurrentVideoStandard()); }

VideoFormat CVantorelleDoc::PlainFormat() const { return plainFormat_.value_or(Format()); }

void CVantorelleDoc::SwitchFormat(const VideoFormat& format) {
  if (format == Format()) return;
  if (!plainFormat_) plainFormat_ = Format();
  SetVideoStandard(StandardOf(format));
  RebuildRulerSteps();
  if (formatHook_) formatHook_(format);
}

void CVantorelleDoc::DeleteSourcesAndClips() {
  // Everything that refers to a source goes before the sources do. Marks
  // belong to the contents too.
  undoHistory.Clear();
  timeline.clipboard.clear();
  for (const auto& track : timeline.tracks) track->clips.clear();
  timeline.marks.clear();
  timeline.format.reset();
  formatLeftAtDefault_ = false;
  sources.clear();
}

void CVantorelleDoc::ClearContents(int mode) {
  if (!views_) return;
  views_->ReleaseMovieMap();
  if (mode == 2) zoomLadder.clear();
  favouriteDirectories.clear();
  views_->ClearFramePictures();
  DeleteSourcesAndClips();
  if (mode == 2) timeline.tracks.clear();
  views_->Repaint(RedrawMask::ClipCollection);
}

void CVantorelleDoc::ResetToEmptyProject() {
  ApplySettings(DocumentSettings{});
  // Whatever a failed open left behind goes, so the defaults stand alone.
  DeleteSourcesAndClips();
  timeline.tracks.clear();
  MakeDefaultTracks();
  if (!views_) return;
  views_->PlaceMainWindowByDefault();
  views_->LayOutTracks(preferences.firstVisibleTrack);
  views_->TrackCountChanged(static_cast<int>(timeline.tracks.size()));
  views_->FollowDocument();
  views_->Repaint(RedrawMask::All);
}

bool CVantorelleDoc::SetTrackNumbers(const TrackNumbers& wanted, bool exclusiveSolo) {
  if (!TrackNumbersAllowed(timeline, wanted)) {
    ui_.Warn(kTrackNumberRefusal, kTrackNumberCaption);
    return false;
  }
  preferences.exclusiveSolo = exclusiveSolo ? 1 : 0;
  if (exclusiveSolo) {
    for (const auto& track : timeline.tracks) track->playState = PlayState::Normal;
  }
  const bool changed = ApplyTrackNumbers(timeline, wanted);
  if (changed && views_) views_->TrackCountChanged(static_cast<int>(timeline.tracks.size()));
  timeline.clipboard.clear();
  undoHistory.Clear();
  if (views_) {
    views_->RedrawTrackHeaders();
    views_->LayOutTracks(preferences.firstVisibleTrack);
    views_->Repaint(RedrawMask::All);
  }
  return true;
}

CSrc* CVantorelleDoc::FindSourceByPath(const std::string& path) const {
  for (const auto& source : sources) {
    if (source->path == path) return source.get();
  }
  return nullptr;
}

std::vector<CSrc*> CVantorelleDoc::SourcePointers() const {
  std::vector<CSrc*> pointers;
  pointers.reserve(sources.size());
  for (const auto& source : sources) pointers.push_back(source.get());
  return pointers;
}

void CVantorelleDoc::SetProjectPath(const std::string& path) {
  projectPath_ = path;
  const std::size_t separator = path.find_last_of("/\\");
  projectDirectory_ = separator == std::string::npos ? std::string() : path.substr(0, separator);
}

void CVantorelleDoc::SetTimeDisplayMode(std::int32_t mode) {
  preferences.timeDisplayMode = mode;
  RebuildRulerSteps();
}

void CVantorelleDoc::RebuildRulerSteps() { rulerSteps = BuildRulerSteps(preferences.timeDisplayMode); }

void CVantorelleDoc::RecordUndo(std::int32_t kind) {
  if (undoHistory.Record(timeline, kind)) modified_ = true;
}

void CVantorelleDoc::Undo() {
  if (!undoHistory.CanUndo()) return;
  undoHistory.Undo(timeline);
  if (timeline.format) SwitchFormat(*timeline.format);
  timeline.RecountSourceUsage(SourcePointers());
  modified_ = true;
}

void CVantorelleDoc::Redo() {
  if (!undoHistory.CanRedo()) return;
  undoHistory.Redo(timeline);
  if (timeline.format) SwitchFormat(*timeline.format);
  timeline.RecountSourceUsage(SourcePointers());
  modified_ = true;
}

}  // namespace vantorelle
