#include "timeline/track_area_menu.h"

#include "commands/menu_status_text.h"
#include "commands/shortcut_table.h"

namespace vantorelle {

using namespace CommandId;

namespace {

MenuItem Item(int id, const char* text, bool enabled = true) {
  MenuItem item;
  item.id = id;
  item.text = text;
  item.enabled = enabled;
  return item;
}

// Items 32956 … 32968 are named by the command table when there is one.
MenuItem TableItem(const CShortCutTable* table, int id, const char* fallback, bool enabled = true) {
  MenuItem item = Item(id, fallback, enabled);
  if (const CCommandInfo* command = table ? table->FindCommand(id) : nullptr) item.text = command->displayName;
  return item;
}

}  // namespace

TrackAreaMenu::TrackAreaMenu(CVantorelleDoc& doc, ClipEditor& editor, WorkAreaNavigator& navigator,
                             TrackAreaController& area, IClipRequests& requests, const IPlaybackControl* playback)
    : doc_(doc), editor_(editor), navigator_(navigator), area_(area), requests_(requests), playback_(playback) {}

std::vector<MenuItem> TrackAreaMenu::Open(const MouseEvent& event) {
  clip_ = nullptr;
  track_ = nullptr;
  if (event.leftButton || event.middleButton || area_.PlacementPending()) return {};
  const TrackAreaHit hit = area_.HitTest(event.x, event.y);
  if (!hit.track) return {};
  x_ = event.x;
  y_ = event.y;
  clip_ = hit.clip;
  track_ = hit.track;
  const bool selected = editor_.AnySelected();
  const bool clipboard = !doc_.timeline.clipboard.empty();
  const std::vector<MenuItem> selectionItems{Item(AreaDeleteSelected, "Delete selected clip(s)", selected),
                                             Item(AreaCutSelected, "Cut selected clip(s)", selected),
                                             Item(AreaCopySelected, "Copy selected clip(s)", selected)};
  std::vector<MenuItem> menu;
  if (!clip_) {
    menu.push_back(Item(AreaAddSourceFile, "Add source file..."));
    menu.push_back(MenuItem::Separator());
    menu.insert(menu.end(), selectionItems.begin(), selectionItems.end());
    menu.push_back(TableItem(table_, AreaPaste, "Paste", clipboard));
    menu.push_back(TableItem(table_, AreaInsert, "Insert", clipboard));
    return menu;
  }
  MenuItem edit = Item(0, "Edit");
  edit.submenu = {TableItem(table_, AreaDeleteClip, "Delete clip"), TableItem(table_, AreaCutClip, "Cut clip"), TableItem(table_, AreaCopyClip, "Copy clip"),
                  MenuItem::Separator(),           TableItem(table_, AreaInsert, "Insert", clipboard), MenuItem::Separator()};
  edit.submenu.insert(edit.submenu.end(), selectionItems.begin(), selectionItems.end());
  menu.push_back(edit);
  if (track_->Kind() != TrackKind::TitleMovable) {
    menu.push_back(TableItem(table_, AreaSplitClip, "Split clip", ClipEditor::CanSplitClip(*clip_, navigator_.View().PixelToTime(x_))));
  }
  if (RepeatFitCount(*clip_) > 0) menu.push_back(TableItem(table_, AreaRepeatClip, "Repeat clip..."));
  menu.push_back(TableItem(table_, AreaSelectSourceFile, "Select source file in project"));
  MenuItem range = Item(0, "Range");
  range.submenu = {TableItem(table_, AreaZoomToClip, "Zoom to clip"),
                   TableItem(table_, AreaSetRangeToClip, "Set range to clip"),
                   TableItem(table_, AreaExpandRangeToClip, "Expand range to clip")};
  menu.push_back(range);
  menu.push_back(TableItem(table_, AreaPlayClip, "Play", playback_ && playback_->BoardAvailable()));
  menu.push_back(MenuItem::Separator());
  menu.push_back(TableItem(table_, AreaClipProperties, "Properties..."));
  if (track_->Group() == TrackGroup::Title) {
    menu.push_back(MenuItem::Separator());
    menu.push_back(Item(AreaTitleTrackSettings, "Title track settings..."));
  }
  return menu;
}

bool TrackAreaMenu::Execute(int id) {
  // A shortcut can run an item while the left button still drags.
  area_.FinishDrag();
  const TimeMs mouseTime = navigator_.View().PixelToTime(x_);
  const bool clipboard = !doc_.timeline.clipboard.empty();
  switch (id) {
    case AreaDeleteSelected: return editor_.Delete();
    case AreaCopySelected: editor_.Copy(); return true;
    case AreaCutSelected: return editor_.Cut();
    case AreaPaste: return clipboard && editor_.Paste(SnapToFrameNearest(mouseTime));
    case AreaInsert: return clipboard && editor_.Insert(SnapToFrameFloor(mouseTime));
    case AreaAddSourceFile: requests_.AddSourceFileAt(x_, y_); return true;
    case AreaTitleTrackSettings:
      if (track_) requests_.OpenTitleTrackSettings(*track_);
      return track_ != nullptr;
    default: break;
  }
  if (!clip_) return false;
  CFilm& clip = *clip_;
  switch (id) {
    case AreaDeleteClip: clip_ = nullptr; return editor_.DeleteClip(clip);
    case AreaCutClip: clip_ = nullptr; return editor_.CutClip(clip);
    case AreaCopyClip: editor_.CopyClip(clip); return true;
    case AreaRepeatClip: {
      RepeatClipDialog dialog(clip, doc_.preferences.repeatClipValue);
      if (dialog.MaximumCount() < 1 || !requests_.AskRepeatClip(dialog)) return false;
      dialog.Apply(doc_, clip);
      return true;
    }
    case AreaSplitClip: clip_ = nullptr; return editor_.SplitClip(clip, mouseTime);
    case AreaSelectSourceFile: editor_.SelectSourceFileInProject(clip); return true;
    case AreaZoomToClip: navigator_.ZoomToClip(clip); return true;
    case AreaSetRangeToClip: editor_.SetRangeToClip(clip); return true;
    case AreaExpandRangeToClip: editor_.ExpandRangeToClip(clip); return true;
    case AreaPlayClip:
      if (!playback_ || !playback_->BoardAvailable() || !playback_->IsStopped()) return false;
      requests_.PlayClip(clip);
      return true;
    case AreaClipProperties: requests_.OpenClipProperties(clip); return true;
    default: return false;
  }
}

std::string TrackAreaMenu::StatusTextFor(int id) const {
  return table_ ? MenuStatusText(*table_, id) : StatusText(id);
}

std::string TrackAreaMenu::StatusText(int id) {
  switch (id) {
    case AreaDeleteSelected: return "Delete selected clip(s)";
    case AreaCutSelected: return "Delete selected clip(s) and put it on the Clipboard";
    case AreaCopySelected: return "Copy the selection and put it on the Clipboard";
    case AreaTitleTrackSettings: return "Change title track settings";
    case AreaAddSourceFile: return "Add source file";
    default: return "Ready";
  }
}

}  // namespace vantorelle
