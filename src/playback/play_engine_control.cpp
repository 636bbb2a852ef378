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

void CPlaybackWindow::StartPreview() { viewTimers_.StartTimer(kPreviewTimer, kPreviewIntervalMs); }

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
  viewTimers_.KillTimer(kPreviewTimer);
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

void CPlaybackWindow::OnPreviewTimer() {
  if (engine_.State() != EngineState::Stopped) return;
  const std::vector<const CTrack*> included = IncludedTracks(doc_.timeline);
  const TimeMs mark = doc_.times.timeMark;
  const double frameDelta = CurrentVideoStandard().FrameDelta;
  if (!previewShown_ || previewShownTime_ != mark) {
    double rest = 0.0;
    if (!engine_.PreviewRestTime(rest)) {
      // One report for this time mark, not one every 10 ms.
      previewShown_ = true;
      previewShownTime_ = mark;
    } else {
      const auto restFrames = static_cast<std::int64_t>(rest * 1000.0 / frameDelta);
      if (restFrames <= 2) {
        bool ready = true;
        if (restFrames < 0) ready = engine_.AddPreviewEmpty(-rest);
        const std::optional<PreviewPictures> pictures =
            ready ? ChoosePreviewPictures(included, mark, movieMap_) : std::nullopt;
        // A failed frame was reported; it is not tried again until the mark moves.
        if (pictures) engine_.ShowPreview(*pictures, frameDelta);
        if (!ready || pictures) {
          previewShown_ = true;
          previewShownTime_ = mark;
        }
      }
    }
  }
  engine_.SlidePreviewTick(mark, included, movieMap_);
}

}  // namespace vantorelle
