// Feeds arbitrary bytes to the editor as a sequence of edits (see
// edit_steps.h) over a fresh project that holds a few sources: drops,
// presses, moves and releases of the track area's mouse (moves, trims,
// fades, levels, rubber bands, placements and edge timers, with commands
// between a press and its release), the main window's commands, the track
// area's and the track headers' context menus, the edit script's time,
// range, select, repeat and track-number lines, undo and redo. After every
// step the timeline must be consistent, and where there is something to
// undo, Undo then Redo must give back the same project bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "document/headless_views.h"
#include "document/project_storage.h"
#include "document/vantorelle_doc.h"
#include "edit_steps.h"
#include "fuzz_media.h"
#include "model/video_standard_query.h"
#include "playback/media_info.h"
#include "playback/software_board/software_board_factory.h"
#include "support/recording_view_host.h"
#include "support/scripted_user_interface.h"
#include "timeline/clip_editor.h"
#include "timeline/command_hub.h"
#include "timeline/source_placement.h"
#include "timeline/track_area_controller.h"
#include "timeline/track_area_menu.h"
#include "timeline/track_headers.h"
#include "timeline/track_rows.h"
#include "timeline/work_area_navigator.h"

namespace vantorelle {
namespace {

using fuzzing::EditStep;
using Bytes = std::vector<std::uint8_t>;

constexpr int kAreaWidth = 800;
constexpr int kAreaHeight = 400;
constexpr std::size_t kMostSteps = 48;

struct Shared {
  std::unique_ptr<IKlpComponentFactory> factory;
  std::vector<std::unique_ptr<CSrc>> sources;  // as read once from the media files
};

Shared& TheShared() {
  static Shared shared;
  return shared;
}

[[noreturn]] void Fail(const std::string& what) {
  std::fprintf(stderr, "fuzz_edits: %s\n", what.c_str());
  __builtin_trap();
}

class ByteReader {
 public:
  ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool AtEnd() const { return at_ >= size_; }
  std::uint8_t U8() { return at_ < size_ ? data_[at_++] : 0; }
  int U16() {
    const int low = U8();
    return low | (U8() << 8);
  }
  int S8() { return static_cast<std::int8_t>(U8()); }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t at_ = 0;
};

class QuietDisplay : public IWorkAreaDisplay {
 public:
  void ShowWorkArea(const WorkAreaDisplay&) override {}
  void ShowCurrentTime(TimeMs) override {}
};

// The headers' requests: a rename takes the next name, dialogs are not opened.
class HeaderRequests : public ITrackHeaderRequests {
 public:
  void OpenAudioTrackProperties(CTrack&) override {}
  void OpenTitleTrackSettings(CTrack&) override {}
  std::optional<std::string> AskTrackName(const std::string& currentName) override { return currentName + "'"; }
};

class ClipRequests : public IClipRequests {
 public:
  explicit ClipRequests(TrackAreaController& area, CVantorelleDoc& doc) : area_(area), doc_(doc) {}
  void OpenClipProperties(CFilm&) override {}
  void OpenTitleTrackSettings(CTrack&) override {}
  void PlayClip(CFilm&) override {}
  void AddSourceFileAt(int, int) override {
    if (!doc_.sources.empty()) area_.StartPendingPlacement(*doc_.sources.front());
  }
  bool AskRepeatClip(RepeatClipDialog& dialog) override {
    dialog.SetCount(repeatCount);
    return true;
  }
  int repeatCount = 1;

 private:
  TrackAreaController& area_;
  CVantorelleDoc& doc_;
};

// Enabled items of a menu and its submenus, in order.
void CollectEnabled(const std::vector<MenuItem>& items, std::vector<int>& ids) {
  for (const MenuItem& item : items) {
    if (item.id != 0 && item.enabled) ids.push_back(item.id);
    CollectEnabled(item.submenu, ids);
  }
}

class EditRun {
 public:
  EditRun()
      : doc_(DocumentServices{store_, true, ui_, *TheShared().factory, nullptr}),
        editor_(doc_, ui_),
        navigator_(doc_, display_, host_, timers_),
        hub_(doc_, editor_, navigator_, host_),
        headers_(doc_, host_, headerRequests_),
        area_(doc_, navigator_, host_, timers_, &headers_),
        clipRequests_(area_, doc_),
        menu_(doc_, editor_, navigator_, area_, clipRequests_) {
    doc_.AttachViews(&views_);
    hub_.AttachTrackArea(&area_);
    for (const auto& source : TheShared().sources) doc_.sources.push_back(fuzzing::CloneSource(*source));
    // Two seconds over the area: the short media make clips wide enough to trim.
    doc_.timeline.workArea = WorkArea{0.0, 2000.0};
    headers_.SetClientSize(160, kAreaHeight);
    area_.SetClientSize(kAreaWidth, kAreaHeight);
    navigator_.RebuildZoomLadder();
  }

  void Run(ByteReader& bytes) {
    Check("inconsistent from the start");
    for (std::size_t step = 0; step < kMostSteps && !bytes.AtEnd(); ++step) {
      const auto kind = static_cast<EditStep>(bytes.U8() % static_cast<std::uint8_t>(EditStep::Count));
      Apply(kind, bytes);
      if (fuzzing::Verbose()) {
        std::fprintf(stderr, "fuzz_edits: step %zu kind %d: %d clips, %s\n", step, static_cast<int>(kind),
                     doc_.timeline.ClipCount(), area_.Dragging() ? "dragging" : "idle");
        PrintClips();
      }
      Check("inconsistent after step " + std::to_string(step));
      CheckUndoRedo(step);
    }
    if (fuzzing::Verbose()) {
      std::fprintf(stderr, "fuzz_edits: %d clips, undo position %d\n", doc_.timeline.ClipCount(),
                   doc_.undoHistory.Position());
    }
    if (area_.Dragging()) {
      area_.OnMouseUp(Mouse(lastX_, lastY_, false));
      Check("inconsistent after the last release");
    }
  }

 private:
  static MouseEvent Mouse(int x, int y, bool left, std::uint8_t keys = 0) {
    MouseEvent event;
    event.x = x;
    event.y = y;
    event.leftButton = left;
    event.ctrl = (keys & 1) != 0;
    event.shift = (keys & 2) != 0;
    return event;
  }
  static int PixelX(int stored) { return stored % 1000 - fuzzing::kPixelXShift; }
  static int PixelY(int stored) { return stored % 520 - fuzzing::kPixelYShift; }
  static TimeMs Time(int stored) { return stored * 10.0; }

  std::vector<CFilm*> Clips() const {
    std::vector<CFilm*> clips;
    for (const auto& track : doc_.timeline.tracks) {
      for (const auto& clip : track->clips) clips.push_back(clip.get());
    }
    return clips;
  }
  CFilm* ClipAt(std::uint8_t index) const {
    const auto clips = Clips();
    return clips.empty() ? nullptr : clips[index % clips.size()];
  }
  CSrc* SourceAt(std::uint8_t index) const {
    return doc_.sources.empty() ? nullptr : doc_.sources[index % doc_.sources.size()].get();
  }

  // The steps that no command key reaches (a mouse held in the track area
  // cannot also drop, click a header or use a dialog) end a drag first, as
  // the window does for every command outside the hub; the hub's commands
  // and the area's menu end it themselves.
  void EndDragForCommand() { area_.FinishDrag(); }

  void Press(int x, int y, std::uint8_t keys) {
    lastX_ = x;
    lastY_ = y;
    area_.OnMouseDown(Mouse(x, y, true, keys));
  }

  void PressOnClip(std::uint8_t index, std::uint8_t zoneByte, std::uint8_t keys) {
    CFilm* clip = ClipAt(index);
    if (!clip) return;
    LayOutTrackRows(doc_.timeline, doc_.preferences.firstVisibleTrack, kAreaHeight);
    CTrack& track = *clip->track;
    if (track.bottom <= track.top) return;  // not laid out: scrolled away
    const WorkAreaView view = navigator_.View();
    const int xs = view.TimeToPixel(clip->start);
    const int xe = view.TimeToPixel(clip->End());
    const int lineY = track.bottom - clip->VolumeLineHeight(track.height);
    int x = (xs + xe) / 2;
    int y = (track.top + track.bottom) / 2;
    switch (static_cast<fuzzing::ClipZone>(zoneByte % static_cast<std::uint8_t>(fuzzing::ClipZone::Count))) {
      case fuzzing::ClipZone::Body: break;
      case fuzzing::ClipZone::LeftEdge: x = xs; break;
      case fuzzing::ClipZone::RightEdge: x = xe; break;
      case fuzzing::ClipZone::FadeIn: x = view.TimeToPixel(clip->start + clip->EffectiveFadeIn()); y = lineY; break;
      case fuzzing::ClipZone::FadeOut: x = view.TimeToPixel(clip->End() - clip->EffectiveFadeOut()); y = lineY; break;
      case fuzzing::ClipZone::Volume: y = lineY; break;
      case fuzzing::ClipZone::Count: break;
    }
    Press(x, y, keys);
  }

  void Apply(EditStep kind, ByteReader& bytes) {
    switch (kind) {
      case EditStep::DropSource: {
        CSrc* source = SourceAt(bytes.U8());
        const std::uint8_t trackIndex = bytes.U8();
        const TimeMs at = Time(bytes.U16());
        EndDragForCommand();
        if (!source || doc_.timeline.tracks.empty()) return;
        SourcePlacement placement(doc_, *source);
        CTrack* track = doc_.timeline.tracks[trackIndex % doc_.timeline.tracks.size()].get();
        if (placement.HasCandidates()) placement.Place(doc_, track, SnapToFrameFloor(at), UndoKind::DropSource);
        return;
      }
      case EditStep::DragSourceIn: {
        CSrc* source = SourceAt(bytes.U8());
        const int x = PixelX(bytes.U16());
        const int y = PixelY(bytes.U16());
        EndDragForCommand();
        if (!source) return;
        if (area_.DragOver(*source, x, y)) {
          area_.Drop(*source, x, y);
        } else {
          area_.DragLeave();
        }
        return;
      }
      case EditStep::PressOnClip: {
        const std::uint8_t index = bytes.U8();
        const std::uint8_t zone = bytes.U8();
        const std::uint8_t keys = bytes.U8();
        if (!area_.Dragging()) PressOnClip(index, zone, keys);
        return;
      }
      case EditStep::PressAt: {
        const int x = PixelX(bytes.U16());
        const int y = PixelY(bytes.U16());
        const std::uint8_t keys = bytes.U8();
        if (!area_.Dragging()) Press(x, y, keys);
        return;
      }
      case EditStep::MoveTo: {
        lastX_ = PixelX(bytes.U16());
        lastY_ = PixelY(bytes.U16());
        area_.OnMouseMove(Mouse(lastX_, lastY_, area_.Dragging()));
        return;
      }
      case EditStep::MoveBy: {
        lastX_ += bytes.S8();
        lastY_ += bytes.S8();
        area_.OnMouseMove(Mouse(lastX_, lastY_, area_.Dragging()));
        return;
      }
      case EditStep::Release:
        area_.OnMouseUp(Mouse(lastX_, lastY_, false));
        return;
      case EditStep::TimerTick: {
        const std::uint8_t which = bytes.U8();
        if (timers_.running.empty()) return;
        auto timer = timers_.running.begin();
        std::advance(timer, which % timers_.running.size());
        const int id = timer->first;
        if (id == WorkAreaNavigator::kShuttleTimer) {
          navigator_.OnTimer(id);
        } else {
          area_.OnTimer(id);
        }
        return;
      }
      case EditStep::Command: {
        const int id = fuzzing::EditCommands()[bytes.U8() % fuzzing::EditCommands().size()];
        if (hub_.Update(id).enabled) hub_.Execute(id);
        return;
      }
      case EditStep::AreaMenu: {
        const int x = PixelX(bytes.U16());
        const int y = PixelY(bytes.U16());
        const std::uint8_t item = bytes.U8();
        clipRequests_.repeatCount = 1 + item % 4;
        MouseEvent event = Mouse(x, y, false);
        event.rightButton = true;
        std::vector<int> ids;
        CollectEnabled(menu_.Open(event), ids);
        if (!ids.empty()) menu_.Execute(ids[item % ids.size()]);
        return;
      }
      case EditStep::Time: {
        const TimeMs t = Time(bytes.U16());
        EndDragForCommand();
        doc_.times.SetCurrentTime(FormatTimeFull(t), doc_.timeline.workArea);
        return;
      }
      case EditStep::Range: {
        const TimeMs left = Time(bytes.U16());
        const TimeMs right = Time(bytes.U16());
        EndDragForCommand();
        SetRangeDialog dialog(doc_.times);
        dialog.ChangeRight(FormatTimeFull(right));
        dialog.ChangeLeft(FormatTimeFull(left));
        dialog.Apply(doc_.times);
        return;
      }
      case EditStep::Select: {
        const int count = bytes.U8() % 4;
        std::vector<std::uint8_t> chosen;
        for (int i = 0; i < 3; ++i) chosen.push_back(bytes.U8());
        EndDragForCommand();
        // As the edit script's "select": one undo step, then exactly these clips.
        const auto clips = Clips();
        if (clips.empty()) return;
        doc_.RecordUndo(UndoKind::SelectClip);
        for (CFilm* clip : Clips()) clip->selection = 0;
        for (int i = 0; i < count; ++i) ClipAt(chosen[static_cast<std::size_t>(i)])->selection = 1;
        return;
      }
      case EditStep::Repeat: {
        CFilm* clip = ClipAt(bytes.U8());
        const int count = 1 + bytes.U8() % 8;
        const TimeMs pause = Time(bytes.U16() % 512);
        EndDragForCommand();
        if (!clip) return;
        RepeatClipDialog dialog(*clip, doc_.preferences.repeatClipValue);
        if (dialog.MaximumCount() < 1) return;
        dialog.SetCount(count);
        dialog.SetPause(pause);
        dialog.Apply(doc_, *clip);
        return;
      }
      case EditStep::Tracks: {
        TrackNumbers numbers;
        numbers.video = 1 + bytes.U8() % 4;
        numbers.audio = 1 + bytes.U8() % 4;
        EndDragForCommand();
        doc_.SetTrackNumbers(numbers, doc_.preferences.exclusiveSolo != 0);
        return;
      }
      case EditStep::Scroll: {
        const auto code = static_cast<ScrollCode>(bytes.U8() % 7);
        const int thumb = bytes.U16();
        navigator_.Scroll(code, thumb);
        return;
      }
      case EditStep::PlaceSource: {
        CSrc* source = SourceAt(bytes.U8());
        EndDragForCommand();
        if (source) area_.StartPendingPlacement(*source);
        return;
      }
      case EditStep::HeaderMenu: {
        const std::uint8_t trackByte = bytes.U8();
        const std::uint8_t item = bytes.U8();
        EndDragForCommand();
        const auto rows = headers_.Draw().rows;
        if (rows.empty()) return;
        const TrackHeaderRow& row = rows[trackByte % rows.size()];
        std::vector<int> ids;
        CollectEnabled(headers_.OpenContextMenu(row.header.left + 2, row.top + 1), ids);
        if (!ids.empty()) headers_.ExecuteMenuCommand(ids[item % ids.size()]);
        return;
      }
      case EditStep::HeaderButton: {
        const std::uint8_t trackByte = bytes.U8();
        const bool solo = bytes.U8() % 2 == 0;
        EndDragForCommand();
        const auto rows = headers_.Draw().rows;
        if (rows.empty()) return;
        const TrackHeaderRow& row = rows[trackByte % rows.size()];
        const PixelRect& button = solo ? row.solo.rect : row.mute.rect;
        const MouseEvent at = Mouse((button.left + button.right) / 2, (button.top + button.bottom) / 2, true);
        headers_.OnMouseDown(at);
        headers_.OnMouseUp(Mouse(at.x, at.y, false));
        return;
      }
      case EditStep::Count: return;
    }
  }

  // Each clip as start+duration [fade in, fade out], for reading a failing run.
  void PrintClips() const {
    for (const auto& track : doc_.timeline.tracks) {
      if (track->clips.empty()) continue;
      std::fprintf(stderr, "    %s:", track->name.c_str());
      for (const auto& clip : track->clips) {
        std::fprintf(stderr, " %.0f+%.0f[%.0f,%.0f]", clip->start, clip->duration, clip->fadeIn, clip->fadeOut);
      }
      std::fprintf(stderr, "\n");
    }
  }

  void Check(const std::string& when) const {
    std::vector<const CSrc*> held;
    for (const auto& source : doc_.sources) held.push_back(source.get());
    const auto problems = CheckTimelineConsistency(doc_.timeline, held);
    if (!problems.empty()) Fail(when + ": " + problems.front());
  }

  Bytes ProjectBytes() {
    ProjectFileContents contents;
    if (!CollectProjectContents(doc_, contents)) Fail("the project cannot be collected for saving");
    return WriteProjectFile(contents);
  }

  // Undo then Redo is no change at all. Not while a drag holds the mouse:
  // the window ends a drag before it undoes.
  void CheckUndoRedo(std::size_t step) {
    if (area_.Dragging() || !hub_.Update(CommandId::Undo).enabled) return;
    const Bytes before = ProjectBytes();
    hub_.Execute(CommandId::Undo);
    Check("inconsistent after undo at step " + std::to_string(step));
    if (!hub_.Update(CommandId::Redo).enabled) Fail("nothing to redo after an undo at step " + std::to_string(step));
    hub_.Execute(CommandId::Redo);
    Check("inconsistent after redo at step " + std::to_string(step));
    if (ProjectBytes() != before) Fail("undo then redo changed the project at step " + std::to_string(step));
  }

  MemorySettingsStore store_;
  testing::ScriptedUserInterface ui_;
  HeadlessDocumentViews views_;
  QuietDisplay display_;
  testing::RecordingViewHost host_;
  testing::ManualTimers timers_;
  HeaderRequests headerRequests_;
  CVantorelleDoc doc_;
  ClipEditor editor_;
  WorkAreaNavigator navigator_;
  CommandHub hub_;
  CTrackStatusView headers_;
  TrackAreaController area_;
  ClipRequests clipRequests_;
  TrackAreaMenu menu_;
  int lastX_ = 0;
  int lastY_ = 0;
};

}  // namespace
}  // namespace vantorelle

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  using namespace vantorelle;
  Shared& shared = TheShared();
  if (shared.factory) return 0;
  fuzzing::QuietMediaLibraries();
  shared.factory = CreateSoftwareBoardFactory(fuzzing::FuzzBoardFormat());
  SetBoardPresent(QueryBoardStandard(*shared.factory));
  const auto folder = fuzzing::MakeScratchFolder("vantorelle-fuzz-edits");
  const auto names = fuzzing::WriteFuzzMedia(folder);
  testing::ScriptedUserInterface ui;
  const StillImageExtensions stillImages = LoadImportFilter(*shared.factory, ui);
  shared.sources = fuzzing::ReadFuzzSources(folder, names, *shared.factory, ui, stillImages);
  if (names.empty() || shared.sources.empty()) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vantorelle;
  LLVMFuzzerInitialize(nullptr, nullptr);
  SetVideoStandard(fuzzing::FuzzVideoStandard());
  ByteReader bytes(data, size);
  EditRun run;
  run.Run(bytes);
  return 0;
}
