#include "playback/play_engine_control.h"

#include <algorithm>

#include "playback/play_engine_preview.h"

namespace vantorelle {

CPlaybackWindow::CPlaybackWindow(PlaybackWindowServices services)
    : doc_(services.doc),
      engine_(services.engine),
      movieMap_(services.movieMap),
      navigator_(services.navigator),
      host_(services.host),
      windowTimers_(services.windowTimers),
      viewTimers_(services.viewTimers),
      workThread_(services.workThread),
      waitDialog_(services.waitDialog),
      timeDisplay_(services.timeDisplay) {}

void CPlaybackWindow::StartPreview() {
  previewStarted_ = true;
  previewTimerRunning_ = true;
  viewTimers_.StartTimer(kPreviewTimer, kPreviewIntervalMs);
}

void CPlaybackWindow::WakePreview() {
  if (!previewStarted_ || previewTimerRunning_ || engine_.State() != EngineState::Stopped) return;
  previewTimerRunning_ = true;
  viewTimers_.StartTimer(kPreviewTimer, kPreviewIntervalMs);
}

void CPlaybackWindow::StopPreviewTimer() {
  viewTimers_.KillTimer(kPreviewTimer);
  previewTimerRunning_ = false;
}

bool CPlaybackWindow::SomethingToPlay() const {
  if (!engine_.HasBoard()) return false;
  const PlayRange range = ComputePlayRange(doc_.timeline, doc_.times);
  if (!range.Playable()) return false;
  for (const CTrack* track : doc_.timeline.ShownTracks()) {
    for (const auto& clip : track->clips) {
      if (clip->start < range.to && clip->End() > range.from) return true;
    }
  }
  return false;
}

void CPlaybackWindow::PausePreview() {
  StopPreviewTimer();
  if (workThread_ && !workThreadSuspended_) {
    workThread_->Suspend();
    workThreadSuspended_ = true;
  }
}

void CPlaybackWindow::ResumePreview() {
  if (workThread_ && workThreadSuspended_) {
    workThread_->Resume();
    workThreadSuspended_ = false;
  }
  // The play left its own last picture on the board.
  previewShown_ = false;
  StartPreview();
}

bool CPlaybackWindow::PlayProject() {
  if (engine_.State() != EngineState::Stopped) return false;
  PausePreview();
  stoppedByUser_ = false;
  const PlayRange range = ComputePlayRange(doc_.timeline, doc_.times);
  std::optional<CPlayList> list;
  if (range.from <= range.to) {
    list = BuildPlayList(IncludedTracks(doc_.timeline), range.from, range.to, CurrentVideoStandard().FrameDelta,
                         movieMap_, doc_.preferences.pillarcastCompatible != 0);
  }
  if (!list) {
    ResumePreview();
    return false;
  }
  return Play(*list, doc_.preferences.playbackStartType == 0);
}

bool CPlaybackWindow::PlayClip(const CFilm& clip) {
  if (engine_.State() != EngineState::Stopped || !clip.track) return false;
  const CTrack& track = *clip.track;
  TimeMs from = clip.start;
  if (track.Kind() == TrackKind::TitleMovable) {
    const double speed = track.maxSpeed == 0.0 ? 0.01 : track.maxSpeed;
    const TimeMs millisecondsPerPixel = CurrentVideoStandard().FrameDelta / (2.0 * speed);
    from = std::max(0.0, from - track.TravelSize() * millisecondsPerPixel);
  }
  PausePreview();
  stoppedByUser_ = false;
  std::optional<CPlayList> list = BuildClipPlayList(clip, from, clip.End(), CurrentVideoStandard().FrameDelta,
                                                    movieMap_, doc_.preferences.pillarcastCompatible != 0);
  if (!list) {
    ResumePreview();
    return false;
  }
  return Play(*list, false);
}

bool CPlaybackWindow::Play(const CPlayList& list, bool askToStart) {
  playFrom_ = list.playFrom;
  playTo_ = list.playTo;
  audioTrackKeys_ = list.audioTrackKeys;
  if (!engine_.Prepare(playFrom_, playTo_, list, list.frameDelta, audioTrackKeys_)) {
    ResumePreview();
    return false;
  }
  if (askToStart && waitDialog_ &&
      waitDialog_->AskToStart(WaitPlaybackStartDialog{}) == WaitPlaybackChoice::Cancel) {
    engine_.Stop();
    ResumePreview();
    return false;
  }
  if (!engine_.Start()) {
    // A play that could not start must not keep the engine from the next one.
    engine_.Stop();
    ResumePreview();
    return false;
  }
  doc_.times.timeMark = playFrom_;
  const WorkArea area = doc_.timeline.workArea;
  if (!(area.start < playFrom_ && playFrom_ < area.stop)) {
    navigator_.ApplyWorkArea(WorkArea{playFrom_, playFrom_ + area.Width()});
  }
  windowTimers_.StartTimer(kPlayTimer, kPlayIntervalMs);
  Refresh();
  return true;
}

void CPlaybackWindow::OnPlayTimer() {
  if (engine_.PollState() == EngineState::Playing) {
    FollowPlay();
  } else {
    windowTimers_.KillTimer(kPlayTimer);
    if (!stoppedByUser_) doc_.times.timeMark = playTo_;
    ResumePreview();
  }
  Refresh();
}

void CPlaybackWindow::FollowPlay() {
  const TimeMs mark = engine_.CurrentTime();
  doc_.times.timeMark = mark;
  const WorkArea area = doc_.timeline.workArea;
  if (mark > area.stop && playTo_ > area.stop) {
    const TimeMs width = area.Width();
    TimeMs start = mark;
    if (start + width > doc_.times.projectSize) start = doc_.times.projectSize - width;
    start = std::max(start, 0.0);
    navigator_.ApplyWorkArea(WorkArea{start, start + width});
  }
}

void CPlaybackWindow::StopPlayback() {
  const EngineState state = engine_.State();
  if (state != EngineState::Playing && state != EngineState::Prepared) return;
  stoppedByUser_ = true;
  engine_.Stop();
  windowTimers_.KillTimer(kPlayTimer);
  doc_.times.timeMark = SnapToFrameFloor(doc_.times.timeMark);
  ResumePreview();
  Refresh();
}

void CPlaybackWindow::Refresh() {
  host_.Repaint(kPlayRedrawMask);
  if (timeDisplay_) timeDisplay_->ShowCurrentTime(doc_.times.timeMark);
}

namespace {

bool SameLayer(const PreviewLayer& a, const PreviewLayer& b) {
  return a.item == b.item && a.sourceFrame == b.sourceFrame;
}

bool SamePictures(const std::optional<PreviewPictures>& a, const std::optional<PreviewPictures>& b) {
  if (!a || !b) return !a && !b;
  if (!SameLayer(a->below, b->below) || a->over.has_value() != b->over.has_value()) return false;
  return !a->over || SameLayer(*a->over, *b->over);
}

}  // namespace

void CPlaybackWindow::OnPreviewTimer() {
  // No board, or a play under way: nothing to show now.
  if (engine_.State() != EngineState::Stopped) {
    StopPreviewTimer();
    return;
  }
  const std::vector<const CTrack*> included = IncludedTracks(doc_.timeline);
  const TimeMs mark = doc_.times.timeMark;
  // An edit under a mark that stayed (a clip moved, trimmed or muted) changes
  // the pictures as much as a new mark does.
  const std::optional<PreviewPictures> wanted = ChoosePreviewPictures(included, mark, movieMap_);
  bool settled = previewShown_ && previewShownTime_ == mark && SamePictures(wanted, previewPictures_);
  if (!settled) settled = ShowPreviewPictures(mark, wanted);
  engine_.SlidePreviewTick(mark, included, movieMap_);
  if (settled && !engine_.SlidePreviewPending(mark, included)) StopPreviewTimer();
}

bool CPlaybackWindow::ShowPreviewPictures(TimeMs mark, const std::optional<PreviewPictures>& wanted) {
  const double frameDelta = CurrentVideoStandard().FrameDelta;
  double rest = 0.0;
  // A failure is reported once: nothing is tried again until the mark or the
  // pictures under it change.
  if (engine_.PreviewRestTime(rest)) {
    const auto restFrames = static_cast<std::int64_t>(rest * 1000.0 / frameDelta);
    if (restFrames > 0) return false;
    const bool ready = restFrames == 0 || engine_.AddPreviewEmpty(-rest);
    if (ready && wanted) {
      engine_.ShowPreview(*wanted, frameDelta);
    } else if (ready) {
      // Nothing under the mark or near it: black rather than a clip that went.
      engine_.AddPreviewEmpty(frameDelta / 1000.0);
    }
  }
  previewShown_ = true;
  previewShownTime_ = mark;
  previewPictures_ = wanted;
  return true;
}

}  // namespace vantorelle
