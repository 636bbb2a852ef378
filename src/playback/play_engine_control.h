// The main window's side of playback: "Play" of the project and of one clip,
// the 100 ms timer that follows the play with the time mark and pages the
// work area, "Stop", and the tracks view's 10 ms idle preview that keeps the
// frame under the time mark on the board. The preview timer runs only while
// it has something to show: it stops itself once the board shows the frame
// under the mark, and the window wakes it when the mark or the project may
// have changed. The frame-image work thread rests while a play runs.
#pragma once

#include <optional>
#include <vector>

#include "document/vantorelle_doc.h"
#include "playback/play_engine.h"
#include "playback/play_engine_preview.h"
#include "playback/play_engine_wait_dialog.h"
#include "timeline/command_hub.h"
#include "timeline/view_services.h"
#include "timeline/work_area_navigator.h"

namespace vantorelle {

// The tracks view's frame-image work thread, as playback sees it.
class IPlaybackWorkThread {
 public:
  virtual ~IPlaybackWorkThread() = default;
  virtual void Suspend() = 0;
  virtual void Resume() = 0;
};

struct PlaybackWindowServices {
  CVantorelleDoc& doc;
  CPlayEngine& engine;
  const CMovieMap& movieMap;         // outlives every play
  WorkAreaNavigator& navigator;
  IViewHost& host;
  ITimerService& windowTimers;       // the main window's: the play timer
  ITimerService& viewTimers;         // the tracks view's: the preview timer
  IPlaybackWorkThread* workThread = nullptr;
  IWaitPlaybackStart* waitDialog = nullptr;  // none: plays start at once
  IWorkAreaDisplay* timeDisplay = nullptr;   // the current-time fields
};

class CPlaybackWindow {
 public:
  static constexpr int kPlayTimer = 1;
  static constexpr int kPlayIntervalMs = 100;
  static constexpr int kPreviewTimer = 20;
  static constexpr int kPreviewIntervalMs = 10;
  // The views repainted on every tick of a play: track area and ruler.
  static constexpr std::uint32_t kPlayRedrawMask = 2 | 8;

  explicit CPlaybackWindow(PlaybackWindowServices services);

  // The preview timer, started with the work thread on the tracks view's
  // first show.
  void StartPreview();
  // The mark, the clips or the tracks may have changed: the preview timer
  // runs again (while nothing plays) until the board shows what is under
  // the mark.
  void WakePreview();
  bool PreviewTimerRunning() const { return previewTimerRunning_; }

  // "Play": the project from the play range's start. False when nothing
  // started (something already plays, nothing to play, the person cancelled,
  // or the board failed).
  bool PlayProject();
  // "Playback current clip": one clip on its own; a crawl title from where
  // it enters its region.
  bool PlayClip(const CFilm& clip);
  // "Stop".
  void StopPlayback();
  // Timer ticks: the play timer of the main window, the preview timer of the
  // tracks view.
  void OnPlayTimer();
  void OnPreviewTimer();
  // The next preview tick makes the picture at the time mark again, though
  // the mark has not moved: the board changed format and shows black.
  void ShowPreviewAgain() {
    previewShown_ = false;
    WakePreview();
  }

  // What the command hub asks.
  bool BoardAvailable() const { return engine_.HasBoard(); }
  bool SomethingToPlay() const;

  TimeMs PlayFrom() const { return playFrom_; }
  TimeMs PlayTo() const { return playTo_; }
  bool StoppedByUser() const { return stoppedByUser_; }
  const std::vector<const CTrack*>& AudioTrackKeys() const { return audioTrackKeys_; }

 private:
  bool Play(const CPlayList& list, bool askToStart);
  void PausePreview();
  void ResumePreview();
  void StopPreviewTimer();
  // Puts the pictures for the mark on the board once it has room; false
  // while it still has a frame to show (a scrub then shows the latest mark,
  // not a queue of the ones it passed).
  bool ShowPreviewPictures(TimeMs mark, const std::optional<PreviewPictures>& wanted);
  void FollowPlay();
  void Refresh();

  CVantorelleDoc& doc_;
  CPlayEngine& engine_;
  const CMovieMap& movieMap_;
  WorkAreaNavigator& navigator_;
  IViewHost& host_;
  ITimerService& windowTimers_;
  ITimerService& viewTimers_;
  IPlaybackWorkThread* workThread_;
  IWaitPlaybackStart* waitDialog_;
  IWorkAreaDisplay* timeDisplay_;

  TimeMs playFrom_ = 0.0;
  TimeMs playTo_ = 0.0;
  bool stoppedByUser_ = false;
  bool workThreadSuspended_ = false;
  std::vector<const CTrack*> audioTrackKeys_;
  bool previewShown_ = false;
  TimeMs previewShownTime_ = 0.0;
  std::optional<PreviewPictures> previewPictures_;  // what was shown for the mark
  bool previewStarted_ = false;
  bool previewTimerRunning_ = false;
};

// The playback engine behind the command hub's "Play" and "Stop".
class PlaybackHubAdapter final : public IPlaybackControl {
 public:
  PlaybackHubAdapter(CPlaybackWindow& window, CPlayEngine& engine) : window_(window), engine_(engine) {}
  bool BoardAvailable() const override { return window_.BoardAvailable(); }
  bool SomethingToPlay() const override { return window_.SomethingToPlay(); }
  bool IsStopped() const override { return engine_.State() == EngineState::Stopped; }
  bool IsPlaying() const override { return engine_.State() == EngineState::Playing; }
  void Play() override { window_.PlayProject(); }
  void Stop() override { window_.StopPlayback(); }

 private:
  CPlaybackWindow& window_;
  CPlayEngine& engine_;
};

}  // namespace vantorelle
