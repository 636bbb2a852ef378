#include "timeline/command_hub.h"

#include "document/offline_relink.h"
#include "timeline/project_format_change.h"

namespace vantorelle {

namespace {

constexpr TrackType kGroups[] = {TrackGroup::Video, TrackGroup::Audio, TrackGroup::Title};

int GroupBit(TrackType group) {
  for (int n = 0; n < 32; ++n) {
    if (group == (1u << n)) return n;
  }
  return 0;
}

// Commands that only look, play or move the view: a mouse drag goes on
// through them. Every other command may change or replace the clips a drag
// holds.
bool LeavesTimelineAlone(int id) {
  using namespace CommandId;
  switch (id) {
    case Play:
    case Rewind:
    case Stop:
    case PreviousFrame:
    case NextFrame:
    case ZoomIn:
    case ZoomOut:
    case ZoomToProject:
    case ZoomToRange:
    case TimeInMilliseconds:
    case TimeInFrames:
    case TimeInSmpte:
    case Snapping:
      return true;
    default:
      return false;
  }
}

}  // namespace

CommandHub::CommandHub(CVantorelleDoc& doc, ClipEditor& editor, WorkAreaNavigator& navigator, IViewHost& host,
                       IPlaybackControl* playback, ICommandDialogs* dialogs)
    : doc_(doc), editor_(editor), navigator_(navigator), host_(host), playback_(playback), dialogs_(dialogs) {}

bool CommandHub::GroupFullyShown(TrackType group) const {
  bool any = false;
  for (const auto& track : doc_.timeline.tracks) {
    if (track->Group() != group) continue;
    any = true;
    if (!track->shown) return false;
  }
  return any;
}

int CommandHub::FullyShownGroupCount() const {
  int count = 0;
  for (const TrackType group : kGroups) count += GroupFullyShown(group) ? 1 : 0;
  return count;
}

std::optional<std::string> CommandHub::CurrentName(int id) const {
  const auto named = [](const char* command, const std::string& step) {
    return step.empty() ? std::string(command) : std::string(command) + " " + step;
  };
  if (id == CommandId::Undo) return named("Undo", doc_.undoHistory.UndoStepName());
  if (id == CommandId::Redo) return named("Redo", doc_.undoHistory.RedoStepName());
  return std::nullopt;
}

std::vector<ShowGroupItem> CommandHub::ShowGroupItems() const {
  std::vector<ShowGroupItem> items;
  for (const TrackType group : kGroups) {
    const CTrack* sample = nullptr;
    for (const auto& track : doc_.timeline.tracks) {
      if (track->Group() == group) {
        sample = track.get();
        break;
      }
    }
    if (!sample) continue;
    ShowGroupItem item;
    item.id = CommandId::ShowGroupBase + GroupBit(group);
    item.text = std::string("Show ") + sample->GroupName();
    item.state.checked = GroupFullyShown(group);
    // The last group on view cannot be hidden.
    item.state.enabled = !item.state.checked || FullyShownGroupCount() >= 2;
    items.push_back(item);
  }
  return items;
}

TimeMs CommandHub::RewindTarget() const {
  return doc_.times.rangeStart != doc_.times.rangeStop ? doc_.times.rangeStart : doc_.timeline.workArea.start;
}

CommandState CommandHub::Update(int id) const {
  using namespace CommandId;
  const bool selected = editor_.AnySelected();
  const bool clipboard = !doc_.timeline.clipboard.empty();
  const bool clips = doc_.timeline.ClipCount() > 0;
  const TimeMs mark = doc_.times.timeMark;
  const TimeMs width = doc_.timeline.workArea.Width();
  const bool board = playback_ && playback_->BoardAvailable();
  const std::int32_t mode = doc_.preferences.timeDisplayMode;
  switch (id) {
    case Delete:
    case Copy:
    case Cut:
    case DeselectAll:
      return {selected};
    case Paste:
    case Insert:
      return {clipboard};
    case SelectAll:
      return {clips && !editor_.AllClipsSelectedAndShown()};
    case InvertSelection:
      return {clips};
    case SplitClip:
      for (CTrack* track : doc_.timeline.ShownTracks()) {
        if (track->Kind() == TrackKind::TitleMovable) continue;
        for (const auto& clip : track->clips) {
          if (clip->start < mark && mark < clip->End()) return {true};
        }
      }
      return {false};
    case Play:
      return {board && playback_->IsStopped() && playback_->SomethingToPlay()};
    case Rewind:
      return {(playback_ && !playback_->IsStopped()) || mark != RewindTarget()};
    case Stop:
      return {board && playback_->IsPlaying()};
    case PreviousFrame:
      return {mark > 0.0};
    case NextFrame:
      return {mark < doc_.times.projectSize};
    case Settings:
    case TitleTrackSettings:
    case ScreenSizeSettings:
    case ImportVelmoProject:
    case AddSourceFile:
    case CustomizeKeyboard:
      return {true};
    case RelinkOfflineMedia:
      return {CountOfflineSources(doc_) > 0};
    case Undo:
      return {doc_.undoHistory.CanUndo()};
    case Redo:
      return {doc_.undoHistory.CanRedo()};
    case ZoomIn:
      return {width > CurrentVideoStandard().FrameDelta};
    case ZoomOut:
    case ZoomToProject:
      return {width < doc_.times.projectSize};
    case ZoomToRange:
      return {doc_.times.rangeStart != 0.0 || doc_.times.rangeStop != 0.0};
    case TimeInMilliseconds:
      return {true, mode == 0};
    case TimeInFrames:
      return {true, mode == 1};
    case TimeInSmpte:
      return {true, mode == 2};
    case Snapping:
      return {true, doc_.preferences.snapToEdges != 0};
    default:
      for (const auto& item : ShowGroupItems()) {
        if (item.id == id) return item.state;
      }
      return {false};
  }
}

bool CommandHub::Execute(int id) {
  using namespace CommandId;
  if (!Update(id).enabled) return false;
  if (area_ && area_->Dragging() && !LeavesTimelineAlone(id)) {
    area_->FinishDrag();
    // The drag's end may change what the command can do (a band selects).
    if (!Update(id).enabled) return false;
  }
  const TimeMs mark = doc_.times.timeMark;
  switch (id) {
    case Delete: editor_.Delete(); break;
    case Copy: editor_.Copy(); break;
    case Cut: editor_.Cut(); break;
    case Paste: editor_.Paste(mark); break;
    case Insert: editor_.Insert(mark); break;
    case SelectAll: editor_.SelectAll(); break;
    case DeselectAll: editor_.DeselectAll(); break;
    case InvertSelection: editor_.InvertSelection(); break;
    case SplitClip: editor_.Split(mark); break;
    case Play: playback_->Play(); break;
    case Rewind: doc_.times.timeMark = RewindTarget(); break;
    case Stop:
      playback_->Stop();
      navigator_.RebuildZoomLadder();
      doc_.times.timeMark = SnapToFrameFloor(doc_.times.timeMark);
      break;
    case PreviousFrame: navigator_.StepCurrentTime(-1); return true;
    case NextFrame: navigator_.StepCurrentTime(1); return true;
    case Settings: if (dialogs_) dialogs_->OpenSettings(); return true;
    case TitleTrackSettings: if (dialogs_) dialogs_->OpenTitleTrackSettings(); return true;
    case ScreenSizeSettings: if (dialogs_) dialogs_->OpenScreenSizeSettings(); return true;
    case ImportVelmoProject: if (dialogs_) dialogs_->ImportVelmoProject(); return true;
    case CustomizeKeyboard: if (dialogs_) dialogs_->CustomizeKeyboard(); return true;
    case AddSourceFile: if (dialogs_) dialogs_->AddSourceFile(); return true;
    case RelinkOfflineMedia: if (dialogs_) dialogs_->RelinkOfflineMedia(); return true;
    case Undo: doc_.Undo(); break;
    case Redo: doc_.Redo(); break;
    case ZoomIn: navigator_.ZoomIn(); return true;
    case ZoomOut: navigator_.ZoomOut(); return true;
    case ZoomToProject: navigator_.ZoomToProject(); return true;
    case ZoomToRange: navigator_.ZoomToRange(); return true;
    case TimeInMilliseconds: SetTimeDisplayMode(0); return true;
    case TimeInFrames: SetTimeDisplayMode(1); return true;
    case TimeInSmpte: SetTimeDisplayMode(2); return true;
    case Snapping:
      doc_.preferences.snapToEdges = doc_.preferences.snapToEdges ? 0 : 1;
      host_.Repaint(RedrawMask::TrackArea);  // a snap line shown goes with it
      return true;
    default:
      for (const TrackType group : kGroups) {
        if (id == ShowGroupBase + GroupBit(group)) ShowGroup(group, !GroupFullyShown(group));
      }
      return true;
  }
  // Undo and Redo bring back the work area of their snapshot: the zoom strip,
  // the scroll position and the ladder follow it, or the next scroll would
  // start from the work area that was left.
  if (id == Undo || id == Redo) {
    navigator_.ApplyWorkArea(doc_.timeline.workArea);
    navigator_.RebuildZoomLadder();
  }
  host_.Repaint(RedrawMask::All);
  return true;
}

void CommandHub::SetTimeDisplayMode(std::int32_t mode) {
  if (doc_.preferences.timeDisplayMode == mode) return;
  doc_.SetTimeDisplayMode(mode);
  host_.Repaint(RedrawMask::Ruler | RedrawMask::TrackArea);
}

void CommandHub::ShowGroup(TrackType group, bool show) {
  for (const auto& track : doc_.timeline.tracks) {
    if (track->Group() == group) track->shown = show ? 1 : 0;
  }
  doc_.preferences.firstVisibleTrack = 0;
  if (IDocumentViews* views = doc_.Views()) {
    views->RedrawTrackHeaders();
    views->LayOutTracks(0);
  }
  host_.Repaint(RedrawMask::All);
}

ScreenSizeDialog::ScreenSizeDialog() : chooser_(FormatOf(CurrentVideoStandard())) {}

bool ScreenSizeDialog::Apply(CVantorelleDoc& doc, std::string* why) const {
  const std::optional<VideoFormat> chosen = chooser_.Chosen(why);
  if (!chosen) return false;
  ChangeProjectFormat(doc, *chosen);
  return true;
}

}  // namespace vantorelle
