#include "document/settings_project_page.h"

#include <algorithm>

#include "document/vantorelle_doc.h"

namespace vantorelle {

namespace {

constexpr TrackType kKinds[] = {TrackKind::Video, TrackKind::VideoAlfa, TrackKind::VideoB, TrackKind::Audio};

int IndexOfKind(TrackType kind) {
  for (int i = 0; i < 4; ++i) {
    if (kKinds[i] == kind) return i;
  }
  return -1;
}

std::int32_t LastPositionWithClips(const CTimelineData& timeline, TrackType kind) {
  std::int32_t position = 0;
  std::int32_t last = -1;
  for (const auto& track : timeline.tracks) {
    if (!(track->type & kind)) continue;
    if (!track->clips.empty()) last = position;
    ++position;
  }
  return last;
}

TimeMs LatestClipEnd(const CTimelineData& timeline) {
  TimeMs latest = 0.0;
  for (const auto& track : timeline.tracks) {
    for (const auto& clip : track->clips) latest = std::max(latest, clip->End());
  }
  return latest;
}

}  // namespace

CSettings_ProjectPage::CSettings_ProjectPage(const CVantorelleDoc& doc)
    : projectSize_(FormatTimeFull(doc.times.projectSize)),
      start_(FormatTimeFull(doc.timeline.workArea.start)),
      stop_(FormatTimeFull(doc.timeline.workArea.stop)),
      exclusiveSolo_(doc.preferences.exclusiveSolo != 0),
      minimumProjectSize_(std::max(kSmallestProjectSize, LatestClipEnd(doc.timeline))) {
  RewriteSize();
  numbers_.video = CountTracksOfKind(doc.timeline, TrackKind::Video);
  numbers_.alphaVideo = CountTracksOfKind(doc.timeline, TrackKind::VideoAlfa);
  numbers_.bVideo = CountTracksOfKind(doc.timeline, TrackKind::VideoB);
  numbers_.audio = CountTracksOfKind(doc.timeline, TrackKind::Audio);
  for (int i = 0; i < 4; ++i) lastWithClips_[i] = LastPositionWithClips(doc.timeline, kKinds[i]);
}

void CSettings_ProjectPage::ChangeProjectSize(std::string text) {
  const TimeMs minimum = minimumProjectSize_ < 0.0 ? kSmallestProjectSize : minimumProjectSize_;
  ClampTimeText(text, minimum, kLargestProjectSize);
  projectSize_ = std::move(text);
}

void CSettings_ProjectPage::ChangeStart(std::string text) {
  // A stop closer to 0 than the smallest work area would give an upper
  // bound below 0; the start then stays at 0.
  const TimeMs highest = std::max(0.0, ParseTimeText(stop_) - kSmallestWorkArea);
  ClampTimeText(text, 0.0, highest);
  start_ = std::move(text);
  RewriteSize();
}

void CSettings_ProjectPage::ChangeStop(std::string text) {
  ClampTimeText(text, ParseTimeText(start_) + kSmallestWorkArea, ParseTimeText(projectSize_));
  stop_ = std::move(text);
  RewriteSize();
}

bool CSettings_ProjectPage::ChooseVideoTracks(std::int32_t wanted, IUserInterface& ui) {
  return ChooseTracks(TrackKind::Video, numbers_.video, wanted, ui);
}

bool CSettings_ProjectPage::ChooseAudioTracks(std::int32_t wanted, IUserInterface& ui) {
  return ChooseTracks(TrackKind::Audio, numbers_.audio, wanted, ui);
}

bool CSettings_ProjectPage::ChooseTracks(TrackType kind, std::int32_t& number, std::int32_t wanted,
                                         IUserInterface& ui) {
  if (wanted < 1 || wanted > kMaximumTracks) return false;
  if (LastTrackWithClips(kind) >= wanted) {
    ui.Warn(kTrackNumberRefusal, kTrackNumberCaption);
    return false;
  }
  number = wanted;
  return true;
}

std::int32_t CSettings_ProjectPage::LastTrackWithClips(TrackType kind) const {
  const int index = IndexOfKind(kind);
  return index < 0 ? -1 : lastWithClips_[index];
}

void CSettings_ProjectPage::Normalise() {
  TimeMs projectSize = ParseTimeText(projectSize_);
  TimeMs start = ParseTimeText(start_);
  TimeMs stop = ParseTimeText(stop_);
  if (projectSize == 0.0) projectSize = kSmallestProjectSize;
  if (projectSize < stop) {
    stop = projectSize;
    if (start >= projectSize) start = 0.0;
  }
  projectSize_ = FormatTimeFull(projectSize);
  start_ = FormatTimeFull(start);
  stop_ = FormatTimeFull(stop);
  RewriteSize();
}

void CSettings_ProjectPage::Apply(CVantorelleDoc& doc, std::int32_t activePage) const {
  doc.preferences.settingsPageIndex = activePage;
  doc.times.projectSize = ParseTimeText(projectSize_);
  doc.timeline.workArea = WorkArea{ParseTimeText(start_), ParseTimeText(stop_)};
  if (IDocumentViews* views = doc.Views()) views->FollowDocument();
  // The document takes exclusive solo (resetting the play states when it is
  // on) together with the numbers, and empties the clipboard and undo
  // history whether or not a number changed.
  doc.SetTrackNumbers(numbers_, exclusiveSolo_);
}

void CSettings_ProjectPage::RewriteSize() {
  size_ = FormatTimeFull(ParseTimeText(stop_) - ParseTimeText(start_));
}

}  // namespace vantorelle
