#include "timeline/track_headers.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "timeline/track_rows.h"

namespace vantorelle {

using namespace TrackHeaderCommand;

namespace {

constexpr std::uint32_t kHeadersAndArea = RedrawMask::TrackHeaders | RedrawMask::TrackArea;

bool Contains(const PixelRect& rect, int x, int y) {
  return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// Solo turns normal or mute into solo; Mute turns normal or solo into mute;
// either turns its own state back to normal.
PlayState StateAfterPress(PlayState before, PlayState buttonState) {
  return before == buttonState ? PlayState::Normal : buttonState;
}

std::int32_t NextHeight(std::int32_t height) {
  if (height == TrackHeight::Small) return TrackHeight::Medium;
  if (height == TrackHeight::Medium) return TrackHeight::Large;
  return TrackHeight::Small;
}

// Title tracks move among all title tracks; the others among their own kind.
bool SameMoveGroup(const CTrack& a, const CTrack& b) {
  if (a.Group() == TrackGroup::Title) return b.Group() == TrackGroup::Title;
  return a.type == b.type;
}

bool HasProperties(const CTrack& track) {
  return track.Group() == TrackGroup::Audio || track.Group() == TrackGroup::Title;
}

MenuItem Item(int id, const char* text, bool checked = false) {
  MenuItem item;
  item.id = id;
  item.text = text;
  item.checked = checked;
  return item;
}

MenuItem Submenu(const char* text, std::vector<MenuItem> items) {
  MenuItem item;
  item.text = text;
  item.submenu = std::move(items);
  return item;
}

// What a save writes of each track's header and properties, in track order:
// an edit that changes any of it leaves the project modified.
struct SavedHeader {
  const CTrack* track;
  std::string name;
  PlayState playState;
  std::int32_t height;
  std::int32_t shown;
  TimeMs fadeIn;
  TimeMs fadeOut;
  double volume;
  bool operator==(const SavedHeader&) const = default;
};

std::vector<SavedHeader> SavedHeaders(const CTimelineData& timeline) {
  std::vector<SavedHeader> headers;
  for (const auto& track : timeline.tracks) {
    headers.push_back(SavedHeader{track.get(), track->name, track->playState, track->height, track->shown,
                                  track->fadeIn, track->fadeOut, track->volume});
  }
  return headers;
}

}  // namespace

CTrackStatusView::CTrackStatusView(CVantorelleDoc& doc, IViewHost& host, ITrackHeaderRequests& requests,
                                   ITrackScrollBar* scrollBar)
    : doc_(doc), host_(host), requests_(requests), scrollBar_(scrollBar) {}

void CTrackStatusView::SetClientSize(int width, int height) {
  width_ = width;
  height_ = height;
  Layout();
}

void CTrackStatusView::SetScrollBarWidth(int width) { scrollBarWidth_ = width; }

TrackScrollRange CTrackStatusView::ScrollRange() const {
  TrackScrollRange range;
  range.maximum = std::max(0, static_cast<int>(doc_.timeline.ShownTracks().size()) - 1);
  range.position = doc_.preferences.firstVisibleTrack;
  return range;
}

TrackScrollRange CTrackStatusView::UpdateScrollRange() {
  const TrackScrollRange range = ScrollRange();
  const int first = std::clamp(doc_.preferences.firstVisibleTrack, range.minimum, range.maximum);
  if (first != doc_.preferences.firstVisibleTrack) {
    doc_.preferences.firstVisibleTrack = first;
    host_.Repaint(kHeadersAndArea);
  }
  Layout();
  TellScrollBar();
  return ScrollRange();
}

void CTrackStatusView::TellScrollBar() {
  if (scrollBar_) scrollBar_->SetTrackScrollRange(ScrollRange());
}

void CTrackStatusView::Layout() { Layout(doc_.preferences.firstVisibleTrack, height_); }

void CTrackStatusView::Layout(int firstVisibleTrack, int viewHeight) {
  LayOutTrackRows(doc_.timeline, firstVisibleTrack, viewHeight);
}

bool CTrackStatusView::SetFirstVisible(int first) {
  const TrackScrollRange range = ScrollRange();
  first = std::clamp(first, range.minimum, range.maximum);
  if (first == doc_.preferences.firstVisibleTrack) return false;
  doc_.preferences.firstVisibleTrack = first;
  Layout();
  TellScrollBar();
  host_.Repaint(kHeadersAndArea);
  return true;
}

void CTrackStatusView::OnVScroll(TrackScrollCode code, int thumbPosition) {
  const int first = doc_.preferences.firstVisibleTrack;
  switch (code) {
    case TrackScrollCode::LineUp:
    case TrackScrollCode::PageUp: SetFirstVisible(first - 1); break;
    case TrackScrollCode::LineDown:
    case TrackScrollCode::PageDown: SetFirstVisible(first + 1); break;
    case TrackScrollCode::ThumbPosition:
    case TrackScrollCode::ThumbTrack: SetFirstVisible(thumbPosition); break;
    case TrackScrollCode::EndScroll: break;
  }
}

bool CTrackStatusView::ScrollTracks(int delta) {
  return SetFirstVisible(doc_.preferences.firstVisibleTrack + (delta < 0 ? -1 : 1));
}

CTrack* CTrackStatusView::TrackAt(int y) const { return TrackAtRow(doc_.timeline, y); }

PixelRect CTrackStatusView::ButtonRect(const CTrack& track, Button button) const {
  const int right = StateBlockRight();
  const int top = track.top + (button == Button::Mute ? track.headerButtonHeight : 0);
  return PixelRect{right - track.headerButtonWidth, top, right, top + track.headerButtonHeight};
}

CTrackStatusView::Button CTrackStatusView::ButtonAt(const CTrack& track, int x, int y) const {
  if (Contains(ButtonRect(track, Button::Solo), x, y)) return Button::Solo;
  if (Contains(ButtonRect(track, Button::Mute), x, y)) return Button::Mute;
  return Button::None;
}

bool CTrackStatusView::InKindIcon(const CTrack& track, int x, int y) const {
  return Contains(PixelRect{0, track.top, kKindIconWidth, track.top + kKindIconHeight}, x, y);
}

void CTrackStatusView::OnMouseDown(const MouseEvent& event) {
  if (!event.leftButton || ButtonPressed()) return;
  Layout();
  CTrack* track = TrackAt(event.y);
  if (!track) return;
  const Button button = ButtonAt(*track, event.x, event.y);
  if (button == Button::None) return;
  const PlayState buttonState = button == Button::Solo ? PlayState::Solo : PlayState::Mute;
  press_ = Press{track, button, track->playState, StateAfterPress(track->playState, buttonState)};
  // The track shows the state the press will give while the button is held.
  track->playState = press_.after;
  host_.SetMouseCapture(true);
  host_.Repaint(RedrawMask::TrackHeaders);
}

void CTrackStatusView::OnMouseMove(const MouseEvent& event) {
  if (!ButtonPressed()) {
    if (const CTrack* track = TrackAt(event.y)) host_.SetStatusText(track->name);
    return;
  }
  const bool inside = Contains(ButtonRect(*press_.track, press_.button), event.x, event.y);
  const PlayState shown = inside ? press_.after : press_.before;
  if (press_.track->playState == shown) return;
  press_.track->playState = shown;
  host_.Repaint(RedrawMask::TrackHeaders);
}

void CTrackStatusView::OnMouseUp(const MouseEvent& event) {
  if (!ButtonPressed()) return;
  const Press press = std::exchange(press_, Press{});
  host_.SetMouseCapture(false);
  press.track->playState = press.before;
  if (Contains(ButtonRect(*press.track, press.button), event.x, event.y)) {
    const auto before = SavedHeaders(doc_.timeline);
    // The model's button rules give the same state and apply exclusive solo.
    if (press.button == Button::Solo) {
      doc_.timeline.PressSoloButton(*press.track, doc_.preferences.exclusiveSolo != 0);
    } else {
      doc_.timeline.PressMuteButton(*press.track);
    }
    if (SavedHeaders(doc_.timeline) != before) doc_.SetModified(true);
  }
  host_.Repaint(kHeadersAndArea);
}

void CTrackStatusView::OnDoubleClick(const MouseEvent& event) {
  if (ButtonPressed()) return;
  Layout();
  CTrack* track = TrackAt(event.y);
  if (!track) return;
  if (InKindIcon(*track, event.x, event.y)) {
    if (track->Group() == TrackGroup::Audio) requests_.OpenAudioTrackProperties(*track);
    if (track->Group() == TrackGroup::Title) requests_.OpenTitleTrackSettings(*track);
    return;
  }
  track->height = NextHeight(track->height);
  doc_.SetModified(true);
  AfterTrackChange();
}

void CTrackStatusView::AfterTrackChange() {
  Layout();
  host_.Repaint(kHeadersAndArea);
}

CTrack* CTrackStatusView::NeighbourInGroup(const CTrack& track, int step) const {
  const auto& tracks = doc_.timeline.tracks;
  const auto own = std::find_if(tracks.begin(), tracks.end(), [&](const auto& t) { return t.get() == &track; });
  if (own == tracks.end()) return nullptr;
  for (auto index = (own - tracks.begin()) + step; index >= 0 && index < static_cast<std::ptrdiff_t>(tracks.size());
       index += step) {
    if (SameMoveGroup(track, *tracks[index])) return tracks[index].get();
  }
  return nullptr;
}

bool CTrackStatusView::EveryTrackHasHeight(std::int32_t height) const {
  const auto& tracks = doc_.timeline.tracks;
  return std::all_of(tracks.begin(), tracks.end(), [&](const auto& t) { return t->height == height; });
}

std::vector<MenuItem> CTrackStatusView::OpenContextMenu(int x, int y) {
  (void)x;
  menuTrack_ = nullptr;
  if (ButtonPressed()) return {};
  Layout();
  menuTrack_ = TrackAt(y);
  if (!menuTrack_) return {};
  return MenuFor(*menuTrack_);
}

std::vector<MenuItem> CTrackStatusView::MenuFor(const CTrack& track) const {
  const auto& tracks = doc_.timeline.tracks;
  const bool anyNotNormal =
      std::any_of(tracks.begin(), tracks.end(), [](const auto& t) { return t->playState != PlayState::Normal; });
  std::vector<MenuItem> menu{Item(Name, "Name..."), MenuItem::Separator()};
  if (track.playState != PlayState::Solo) menu.push_back(Item(Solo, "Solo"));
  if (track.playState != PlayState::Mute) menu.push_back(Item(Mute, "Mute"));
  if (anyNotNormal) menu.push_back(Item(EnableAllTracks, "Enable all tracks"));
  const bool up = NeighbourInGroup(track, -1) != nullptr;
  const bool down = NeighbourInGroup(track, +1) != nullptr;
  if (up || down) menu.push_back(MenuItem::Separator());
  if (up) menu.push_back(Item(MoveUp, "Move up"));
  if (down) menu.push_back(Item(MoveDown, "Move down"));
  menu.push_back(MenuItem::Separator());
  menu.push_back(Submenu("Set Track Height", {Item(TrackHeightLarge, "Large", track.height == TrackHeight::Large),
                                              Item(TrackHeightMedium, "Medium", track.height == TrackHeight::Medium),
                                              Item(TrackHeightSmall, "Small", track.height == TrackHeight::Small)}));
  menu.push_back(Submenu("Set All Track Height",
                         {Item(AllTracksHeightLarge, "Large", EveryTrackHasHeight(TrackHeight::Large)),
                          Item(AllTracksHeightMedium, "Medium", EveryTrackHasHeight(TrackHeight::Medium)),
                          Item(AllTracksHeightSmall, "Small", EveryTrackHasHeight(TrackHeight::Small))}));
  if (HasProperties(track)) {
    menu.push_back(MenuItem::Separator());
    menu.push_back(Item(Properties, "Properties..."));
  }
  return menu;
}

bool CTrackStatusView::ExecuteMenuCommand(int id) {
  if (!menuTrack_) return false;
  // The track must still be one of the document's: the menu may outlive an undo.
  const auto& tracks = doc_.timeline.tracks;
  if (std::none_of(tracks.begin(), tracks.end(), [&](const auto& t) { return t.get() == menuTrack_; })) {
    menuTrack_ = nullptr;
    return false;
  }
  const auto before = SavedHeaders(doc_.timeline);
  if (!ExecuteOn(*menuTrack_, id)) return false;
  if (SavedHeaders(doc_.timeline) != before) doc_.SetModified(true);
  AfterTrackChange();
  return true;
}

bool CTrackStatusView::ExecuteOn(CTrack& track, int id) {
  auto& timeline = doc_.timeline;
  const auto setAllHeights = [&](std::int32_t height) {
    for (const auto& t : timeline.tracks) t->height = height;
    return true;
  };
  const auto move = [&](int step) {
    CTrack* neighbour = NeighbourInGroup(track, step);
    if (!neighbour) return false;
    auto& tracks = timeline.tracks;
    const auto at = [&](const CTrack* t) {
      return std::find_if(tracks.begin(), tracks.end(), [&](const auto& p) { return p.get() == t; });
    };
    std::iter_swap(at(&track), at(neighbour));
    return true;
  };
  switch (id) {
    case Name: {
      const std::optional<std::string> name = requests_.AskTrackName(track.name);
      if (!name) return false;
      track.name = *name;
      return true;
    }
    case Solo:
      if (track.playState == PlayState::Solo) return false;
      timeline.SetSolo(track, doc_.preferences.exclusiveSolo != 0);
      return true;
    case Mute:
      if (track.playState == PlayState::Mute) return false;
      timeline.SetMute(track);
      return true;
    case EnableAllTracks: return timeline.ResetPlayStates();
    case MoveUp: return move(-1);
    case MoveDown: return move(+1);
    case TrackHeightLarge: track.height = TrackHeight::Large; return true;
    case TrackHeightMedium: track.height = TrackHeight::Medium; return true;
    case TrackHeightSmall: track.height = TrackHeight::Small; return true;
    case AllTracksHeightLarge: return setAllHeights(TrackHeight::Large);
    case AllTracksHeightMedium: return setAllHeights(TrackHeight::Medium);
    case AllTracksHeightSmall: return setAllHeights(TrackHeight::Small);
    case Properties:
      if (track.Group() == TrackGroup::Audio) requests_.OpenAudioTrackProperties(track);
      else if (track.Group() == TrackGroup::Title) requests_.OpenTitleTrackSettings(track);
      else return false;
      return true;
    default: return false;
  }
}

std::string CTrackStatusView::MenuStatusText(int highlightedId) const {
  switch (highlightedId) {
    case 0: return kIdleStatusText;
    case TrackHeightLarge: return "Set track height to large size";
    case TrackHeightMedium: return "Set track height to medium size";
    case TrackHeightSmall: return "Set track height to small size";
    case AllTracksHeightLarge: return "Set all track height to large size";
    case AllTracksHeightMedium: return "Set all track height to medium size";
    case AllTracksHeightSmall: return "Set all track height to small size";
    default: break;
  }
  const std::string description = describe_ ? describe_(highlightedId) : std::string();
  return description.empty() ? kIdleStatusText : description;
}

TrackHeadersPicture CTrackStatusView::Draw() {
  Layout();
  TrackHeadersPicture picture;
  const int right = StateBlockRight();
  int lastBottom = 0;
  for (CTrack* track : LaidOutTracks(doc_.timeline)) {
    TrackHeaderRow row;
    row.track = track;
    row.name = track->name;
    row.kind = track->Kind();
    row.top = track->top;
    row.bottom = track->bottom;
    row.header = PixelRect{0, track->top, right, track->bottom};
    row.kindIcon = PixelRect{0, track->top, kKindIconWidth, track->top + kKindIconHeight};
    row.stateBlock = PixelRect{right - kStateBlockWidth, track->top, right, track->bottom};
    row.state = track->playState;
    const ColourRefs& colours = track->headerButtonColours;
    const bool soloLit = track->playState == PlayState::Solo;
    const bool muteLit = track->playState == PlayState::Mute;
    row.solo = HeaderButtonPicture{ButtonRect(*track, Button::Solo), soloLit, colours[soloLit ? 1 : 0]};
    row.mute = HeaderButtonPicture{ButtonRect(*track, Button::Mute), muteLit, colours[muteLit ? 3 : 2]};
    lastBottom = track->bottom;
    picture.rows.push_back(std::move(row));
  }
  if (lastBottom < height_) picture.background = PixelRect{0, lastBottom, right, height_};
  picture.scrollBar = PixelRect{right, 0, width_, height_};
  picture.scrollRange = ScrollRange();
  return picture;
}

}  // namespace vantorelle
