// The playback engine: one per main window. It loads a play's lists into the
// board's video time line, one audio time line per audio track and the title
// tasks, starts them together against the board clock, tells where the play
// stands, and stops them. While nothing plays the video time line runs on
// and shows single frames (preview), with a transparent clip's frame laid
// over them on a second line where one lies over them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/user_interface.h"
#include "playback/klp_interfaces.h"
#include "playback/play_engine_list.h"
#include "playback/play_engine_preview.h"
#include "titles/title_task_list.h"

namespace vantorelle {

enum class EngineState : std::int32_t { NoBoard = 0, Prepared = 1, Playing = 2, Stopped = 4 };

// The sound of one audio track in one play.
struct CAudioLine {
  const CTrack* trackKey = nullptr;
  // The fragments the time line plays; they live as long as the line.
  std::vector<std::unique_ptr<IKlpSuperClip>> clips;
  std::unique_ptr<IKlpAudioTimeLine> timeLine;
};

class CPlayEngine {
 public:
  // Makes the board and, when a board was found at start-up, takes its
  // resources; failing that ("Getting Resources") the engine has no board
  // and the board-present flag is cleared.
  CPlayEngine(IKlpComponentFactory& factory, IUserInterface& ui);
  ~CPlayEngine();
  CPlayEngine(const CPlayEngine&) = delete;
  CPlayEngine& operator=(const CPlayEngine&) = delete;

  bool HasBoard() const { return board_ != nullptr; }
  // Between projects of different formats: the board and everything made on
  // it go (a play is stopped first), then a new board is made from the
  // factory and takes its resources, as at construction.
  void ReleaseBoard();
  void OpenBoard(IKlpComponentFactory& factory);
  EngineState State() const { return state_; }

  // Loads the lists of a play of [from, to]. On a failure the state stays
  // Stopped and the board objects made for the play are let go.
  bool Prepare(TimeMs from, TimeMs to, const CPlayList& list, double frameDelta,
               const std::vector<const CTrack*>& audioTrackKeys);
  bool Start();
  // Stops everything and makes the video time line and the title tasks
  // ready for the preview again. Every part is stopped even when another fails.
  void Stop();
  // While playing, reads the clock and stops at the play's end.
  EngineState PollState();
  // Where the play stands, never past its end.
  TimeMs CurrentTime();
  // Adds one source frame, or a still image for a frame, to the running video
  // time line (preview).
  bool ShowFrame(const CMovieMapItem& item, std::int32_t sourceFrame, double frameDelta);
  // The preview's pictures for one frame: the one below on the video time
  // line and, laid over it, a transparent one on the preview's second line,
  // made the first time one is shown and running in step with the first.
  bool ShowPreview(const PreviewPictures& pictures, double frameDelta);
  // Seconds of content the video time line has not output yet; negative once
  // it ran past its end.
  bool PreviewRestTime(double& seconds);
  bool AddPreviewEmpty(double seconds);

  // Title tasks (one per title track).
  void BuildTitleTasks(const std::vector<std::unique_ptr<CTrack>>& tracks, TimeMs previewTime);
  bool ResetTitleTasks();
  bool PrepareTitlePreview();
  bool PrepareTitles(TimeMs from, const std::vector<CPlayTask>& titleList);
  void SlidePreviewTick(TimeMs timeMark, const std::vector<const CTrack*>& includedTracks, const CMovieMap& map);
  bool SlidePreviewPending(TimeMs timeMark, const std::vector<const CTrack*>& includedTracks) const {
    return titleTasks_.SlidePreviewPending(timeMark, includedTracks);
  }
  const CTitleTaskList& TitleTasks() const { return titleTasks_; }

  const std::vector<CAudioLine>& AudioLines() const { return audioLines_; }
  TimeMs PlayFrom() const { return playFrom_; }
  TimeMs PlayTo() const { return playTo_; }
  double FrameDelta() const { return frameDelta_; }
  double BoardStartTime() const { return boardStartTime_; }

 private:
  KlpResult AcquireResources();
  KlpResult ResetVideoTimeLine();
  bool PrepareVideo(const CPlayList& list);
  bool PrepareAudio(const CPlayList& list, const std::vector<const CTrack*>& audioTrackKeys);
  bool AddVideoFragment(const CPlayTask& entry, double frameDelta,
                        std::vector<std::unique_ptr<IKlpSuperClip>>& keep, IKlpVTimeLine* line = nullptr);
  // Entries one after another from the play's start, gaps as empty stretches.
  bool LoadVideoLine(IKlpVTimeLine& line, const std::vector<CPlayTask>& entries,
                     std::vector<std::unique_ptr<IKlpSuperClip>>& keep);
  bool PrepareOverlay(const CPlayList& list);
  // Makes the preview's second line and restarts both lines together.
  bool MakePreviewOverlay();

  IUserInterface& ui_;
  std::unique_ptr<IKlpBoard> board_;
  EngineState state_ = EngineState::NoBoard;
  // Fragments handed to the video time line, kept until it is reset; the
  // preview's single frames are few and only the latest are kept.
  std::vector<std::unique_ptr<IKlpSuperClip>> videoClips_;
  std::vector<std::unique_ptr<IKlpSuperClip>> previewClips_;
  std::unique_ptr<IKlpVTimeLine> videoTimeLine_;
  // Pictures with transparency, made for a play that has any: made after the
  // video time line, the board lays it over that line.
  std::unique_ptr<IKlpVTimeLine> overlayLine_;
  std::vector<std::unique_ptr<IKlpSuperClip>> overlayClips_;
  // The idle preview's transparent pictures, over the video time line: it
  // holds as much content as that line (an empty frame where nothing is
  // laid over), runs while it runs and stands stopped, showing nothing,
  // while a play runs.
  std::unique_ptr<IKlpVTimeLine> previewOverlay_;
  std::vector<std::unique_ptr<IKlpSuperClip>> previewOverlayClips_;
  std::vector<CAudioLine> audioLines_;
  CTitleTaskList titleTasks_;
  double boardStartTime_ = 0.0;
  TimeMs playFrom_ = 0.0;
  TimeMs playTo_ = 0.0;
  double frameDelta_ = 40.0;
};

}  // namespace vantorelle
