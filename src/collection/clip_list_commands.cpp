#include "collection/clip_list_commands.h"

#include <algorithm>

#include "collection/source_drag_payload.h"
#include "collection/source_file_dialog.h"
#include "model/source_paths.h"
#include "playback/source_reading.h"
#include "timeline/source_placement.h"

namespace vantorelle {

namespace {

struct FolderAndName {
  std::string folder;
  std::string name;
};

// Stored paths may carry either separator; a path without one is all name.
FolderAndName SplitPath(const std::string& path) {
  const auto separator = path.find_last_of("\\/");
  if (separator == std::string::npos) return {{}, path};
  return {path.substr(0, separator), path.substr(separator + 1)};
}

bool TracksHold(const std::vector<std::unique_ptr<CTrack>>& tracks, const CSrc& source) {
  for (const auto& track : tracks) {
    for (const auto& clip : track->clips) {
      if (clip->source == &source) return true;
    }
  }
  return false;
}

bool ClipsHold(const std::vector<std::unique_ptr<CFilm>>& clips, const CSrc& source) {
  return std::any_of(clips.begin(), clips.end(), [&](const auto& clip) { return clip->source == &source; });
}

}  // namespace

std::string DuplicateSourceMessage(const std::string& path) {
  return "File " + path + " \nwas already opened in Clip Collection";
}

std::string DeleteUsedSourceQuestion(const std::string& name, const std::string& folder) {
  return "Deleting of the this file: " + name + "\n" + " in folder:" + folder + "\n" + "changes current project.\n" +
         "Delete file ?";
}

std::string DeleteUnusedSourceQuestion(const std::string& name, const std::string& folder) {
  return "Delete file: " + name + " in folder:\n" + folder + " ?";
}

ClipListCommands::ClipListCommands(CVantorelleDoc& doc, CClipList& list, IClipCollectionHost& host,
                                   const FileInWork* fileInWork)
    : doc_(doc), list_(list), host_(host), fileInWork_(fileInWork) {}

void ClipListCommands::Rebuild() { list_.Rebuild(doc_.SourcePointers()); }

CSrc* ClipListCommands::CollectedSource(const std::string& path) const {
  for (const auto& source : doc_.sources) {
    if (source->path == path) return source.get();
  }
  return nullptr;
}

AddSourceOutcome ClipListCommands::AddSourceFile() {
  const auto path = AskSourceFile(doc_, kOpenClipTitle, doc_.preferences.loadClipFilterIndex);
  if (!path) return AddSourceOutcome::Cancelled;
  return AddSourceFromPath(*path, true);
}

AddSourceOutcome ClipListCommands::AddSourceFromPath(const std::string& path, bool warnDuplicate) {
  if (CollectedSource(path)) {
    if (warnDuplicate) doc_.Ui().Warn(DuplicateSourceMessage(path), kOpenClipTitle);
    return AddSourceOutcome::Duplicate;
  }
  const SourceReadContext context{MediaReadContext{doc_.Board(), doc_.Ui(), FrameSizeRule{}}, doc_.stillImages,
                                  fileInWork_};
  auto source = MakeSourceFromFile(context, path);
  if (!source) return AddSourceOutcome::NotReadable;
  if (!host_.RegisterSource(*source)) return AddSourceOutcome::NotRegistered;
  doc_.sources.push_back(std::move(source));
  CSrc& added = *doc_.sources.back();
  if (HasPicture(added.flags)) host_.CacheFrameImages(added);
  doc_.SetModified(true);
  Rebuild();
  return AddSourceOutcome::Added;
}

bool ClipListCommands::CanDeleteSourceFile() const { return !list_.Empty() && list_.SelectedSource() != nullptr; }

bool ClipListCommands::HistoryHolds(const CSrc& source) const {
  for (const auto& entry : doc_.undoHistory.Entries()) {
    if (!entry) continue;
    const CTimelineData& snapshot = entry->Snapshot();
    if (TracksHold(snapshot.tracks, source) || ClipsHold(snapshot.clipboard, source)) return true;
  }
  return false;
}

void ClipListCommands::RemoveClipsOf(const CSrc& source) {
  for (const auto& track : doc_.timeline.tracks) {
    for (std::size_t i = track->clips.size(); i-- > 0;) {
      CFilm& clip = *track->clips[i];
      if (clip.source != &source) continue;
      --clip.source->usageCount;
      clip.Unlink();
      track->Remove(clip);
    }
  }
  // Clipboard copies share their source and would outlive it; their
  // clipboard partners must not keep pointing at them.
  auto& clipboard = doc_.timeline.clipboard;
  for (const auto& clip : clipboard) {
    if (clip->source == &source) clip->Unlink();
  }
  clipboard.erase(std::remove_if(clipboard.begin(), clipboard.end(),
                                 [&](const auto& clip) { return clip->source == &source; }),
                  clipboard.end());
}

bool ClipListCommands::DeleteSourceFile() {
  CSrc* source = list_.SelectedSource();
  if (!source || (source->flags & SourceFlags::LiveSource) != 0) return false;
  const auto [folder, name] = SplitPath(source->path);
  // A usage count that lags behind the tracks must not leave clips
  // pointing at a destroyed source.
  const bool used = source->usageCount != 0 || TracksHold(doc_.timeline.tracks, *source);
  const std::string question = used ? DeleteUsedSourceQuestion(name, folder) : DeleteUnusedSourceQuestion(name, folder);
  if (doc_.Ui().ShowMessage(question, kDeleteSourceCaption, MessageIcon::Question, MessageButtons::YesNo) !=
      MessageAnswer::Yes) {
    return false;
  }
  // Undo could bring back clips of the source after it is gone.
  if (used || HistoryHolds(*source)) doc_.undoHistory.Clear();
  RemoveClipsOf(*source);

  const auto found = std::find_if(doc_.sources.begin(), doc_.sources.end(),
                                  [&](const auto& owned) { return owned.get() == source; });
  if (found != doc_.sources.end()) {
    host_.ForgetFrameImages(*source);
    doc_.sources.erase(found);
  }
  doc_.SetModified(true);
  Rebuild();
  host_.Repaint(kClipListDeleteRedrawMask);
  return true;
}

bool ClipListCommands::CanSelectClipsOfSource() const {
  return doc_.timeline.ClipCount() > 0 && list_.SelectedSource() != nullptr;
}

bool ClipListCommands::SelectClipsOfSource() {
  CSrc* source = list_.FocusedSource();
  if (!source || !CanSelectClipsOfSource()) return false;
  doc_.timeline.DeselectAll();
  doc_.timeline.SelectClipsOf(*source);
  return true;
}

std::optional<std::vector<std::uint8_t>> ClipListCommands::BeginDrag(int row) {
  CSrc* source = list_.SourceAt(row);
  if (!source) return std::nullopt;
  if (!SourcePlacement(doc_, *source).HasCandidates()) return std::nullopt;
  if (!list_.Rows()[static_cast<std::size_t>(row)].selected) list_.SelectOnly(row);
  const std::vector<int> rows = list_.SelectedRows();
  std::vector<std::string> paths;
  paths.reserve(rows.size());
  for (int selected : rows) paths.push_back(list_.SourceAt(selected)->path);
  auto payload = BuildClipListPayload(paths);
  if (payload) list_.BeginRowDrag(rows);
  return payload;
}

DropOutcome ClipListCommands::Drop(std::span<const std::uint8_t> payload, int rowUnderPointer) {
  list_.SetDropHighlight(-1);
  if (list_.RowDragUnderWay() && list_.IsWithinDraggedRows(rowUnderPointer)) {
    doc_.Ui().Warn(kDropOntoItself, kClipListMessageCaption);
    return DropOutcome::OntoItself;
  }
  if (SourceDragPayloadKind(payload) != DragSourceKind::FileViewer) {
    doc_.Ui().Warn(kDropSourceNotDefined, kClipListMessageCaption);
    return DropOutcome::NotDefined;
  }
  const auto parsed = ParseSourceDragPayload(payload);
  if (!parsed) return DropOutcome::Malformed;
  switch (AddSourceFromPath(parsed->paths.front(), false)) {
    case AddSourceOutcome::Added: return DropOutcome::Added;
    case AddSourceOutcome::Duplicate: return DropOutcome::AlreadyCollected;
    default: return DropOutcome::NotAdded;
  }
}

}  // namespace vantorelle
