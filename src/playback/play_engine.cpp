#include "playback/play_engine.h"

#include <algorithm>

#include "playback/report_com_result.h"

namespace vantorelle {

namespace {

constexpr std::uint32_t kVideoSuperClip = 7;
constexpr std::uint32_t kAudioSuperClip = 0x1000;
constexpr std::int32_t kSuperClipParam = 6;
constexpr std::int32_t kAudioFragmentMode = 3;
// A fragment at level 0 would drop out of the board's mix altogether.
constexpr double kLowestLevel = 0.01;
// The preview queues a frame only while fewer than three wait, so the board
// never holds more than a few of them.
constexpr std::size_t kPreviewClipsKept = 8;

std::string AddMovieContext(const std::string& fileName) { return "Add Movie" + fileName; }

}  // namespace

CPlayEngine::CPlayEngine(IKlpComponentFactory& factory, IUserInterface& ui) : ui_(ui) { OpenBoard(factory); }

void CPlayEngine::OpenBoard(IKlpComponentFactory& factory) {
  if (board_) ReleaseBoard();
  if (!KlpSucceeded(factory.CreateBoard(board_)) || !board_) {
    board_.reset();
    return;
  }
  state_ = EngineState::Stopped;
  // A board that did not tell its video format at start-up gets no time
  // line; playing on it would have nothing to output to.
  if (!BoardPresent()) {
    ReleaseBoard();
    return;
  }
  const KlpResult result = AcquireResources();
  if (!KlpSucceeded(result)) {
    ReportComResult(ui_, result, "Getting Resources");
    ReleaseBoard();
    SetBoardPresent(false);
  }
}

CPlayEngine::~CPlayEngine() {
  if (state_ == EngineState::Prepared || state_ == EngineState::Playing) Stop();
}

void CPlayEngine::ReleaseBoard() {
  if (state_ == EngineState::Prepared || state_ == EngineState::Playing) Stop();
  titleTasks_.Clear();
  audioLines_.clear();
  overlayLine_.reset();
  overlayClips_.clear();
  previewOverlay_.reset();
  previewOverlayClips_.clear();
  videoTimeLine_.reset();
  videoClips_.clear();
  previewClips_.clear();
  board_.reset();
  state_ = EngineState::NoBoard;
}

KlpResult CPlayEngine::AcquireResources() {
  videoTimeLine_.reset();
  videoClips_.clear();
  previewClips_.clear();
  std::int32_t width = 0;
  std::int32_t height = 0;
  KlpResult result = board_->GetVideoFormat(0, width, height, nullptr);
  if (!KlpSucceeded(result)) return result;
  result = board_->SetChannelMode(0, 1);
  if (!KlpSucceeded(result)) return result;
  std::int32_t channelValue = 0;
  result = board_->GetChannelValue(0, 14, channelValue);
  if (!KlpSucceeded(result)) return result;
  result = board_->SetChannelValue(0, 14, channelValue & ~0x2);
  if (!KlpSucceeded(result)) return result;
  if (KlpSucceeded(board_->SetChannelMode(0, 4))) {
    board_->SetChannelFlag(0, 1, 1);
    board_->SetChannelFlag(0, 3, 1);
  }
  board_->ResetChannelMode(0, 4);
  result = board_->CreateVTimeLine(0, 0x1000000, 0x800000, 0, videoTimeLine_);
  if (!KlpSucceeded(result)) return result;
  if (!videoTimeLine_) return KlpPointer;
  result = videoTimeLine_->SetWindow(0, 0, width, height);
  if (!KlpSucceeded(result)) return result;
  return ResetVideoTimeLine();
}

KlpResult CPlayEngine::ResetVideoTimeLine() {
  if (!videoTimeLine_) return KlpOk;
  KlpResult result = videoTimeLine_->Reset(0);
  if (!KlpSucceeded(result)) return result;
  videoClips_.clear();
  previewClips_.clear();
  if (previewOverlay_) {
    result = previewOverlay_->Reset(0);
    if (!KlpSucceeded(result)) return result;
    previewOverlayClips_.clear();
  }
  // The preview's lines start together, so that their frames meet.
  for (IKlpVTimeLine* line : {videoTimeLine_.get(), previewOverlay_.get()}) {
    if (!line) continue;
    result = line->PutState(KlpStatePrepared);
    if (!KlpSucceeded(result)) return result;
  }
  for (IKlpVTimeLine* line : {videoTimeLine_.get(), previewOverlay_.get()}) {
    if (!line) continue;
    result = line->PutState(KlpStatePlaying);
    if (!KlpSucceeded(result)) return result;
  }
  return KlpOk;
}

bool CPlayEngine::Prepare(TimeMs from, TimeMs to, const CPlayList& list, double frameDelta,
                          const std::vector<const CTrack*>& audioTrackKeys) {
  frameDelta_ = frameDelta == 0.0 ? 40.0 : frameDelta;
  if (!(from <= to) || !board_ || state_ != EngineState::Stopped) return false;
  playFrom_ = from;
  playTo_ = to;
  // The preview's pictures laid over stay off the board while the play runs.
  if (previewOverlay_) previewOverlay_->PutState(KlpStateStopped);
  bool prepared = PrepareVideo(list) && PrepareAudio(list, audioTrackKeys);
  if (prepared) {
    ResetTitleTasks();
    prepared = PrepareTitles(from, list.titleList);
  }
  if (!prepared) {
    // What was loaded so far goes, and the preview gets its running time
    // line and title tasks back.
    Stop();
    return false;
  }
  state_ = EngineState::Prepared;
  return true;
}

bool CPlayEngine::AddVideoFragment(const CPlayTask& entry, double d,
                                   std::vector<std::unique_ptr<IKlpSuperClip>>& keep, IKlpVTimeLine* line) {
  if (!line) line = videoTimeLine_.get();
  std::unique_ptr<IKlpSuperClip> clip;
  if (!ReportComResult(ui_, board_->CreateSuperClip(kVideoSuperClip, kSuperClipParam, clip),
                       "Create 'Super Clip' object")) {
    return false;
  }
  IKlpPlayMovie* movie = entry.movieItem ? entry.movieItem->movie.get() : nullptr;
  IKlpPlayStillImage* still = entry.movieItem ? entry.movieItem->stillImage.get() : nullptr;
  if (clip && !movie && still) {
    if (!ReportComResult(ui_, clip->AddStillImageFragment(*still, entry.length * d / 1000.0),
                         "Add Still Image Fragment")) {
      return false;
    }
  } else if (!clip || !movie) {
    return ReportComResult(ui_, KlpPointer, "Add Movie Fragment");
  } else if (!ReportComResult(ui_, clip->AddMovieFragment(*movie, entry.in * d / 1000.0, entry.length * d / 1000.0),
                              "Add Movie Fragment")) {
    return false;
  }
  if (!ReportComResult(ui_, line->AddMovie(*clip), AddMovieContext(entry.fileName))) return false;
  keep.push_back(std::move(clip));
  return true;
}

bool CPlayEngine::LoadVideoLine(IKlpVTimeLine& line, const std::vector<CPlayTask>& entries,
                                std::vector<std::unique_ptr<IKlpSuperClip>>& keep) {
  const double d = frameDelta_;
  const std::int32_t startFrame = PlayRound(playFrom_ / d);
  std::int32_t position = 0;
  for (const CPlayTask& entry : entries) {
    const std::int32_t relative = entry.start - startFrame;
    if (relative < position) continue;
    if (relative > position &&
        !ReportComResult(ui_, line.AddEmpty((relative - position) * d / 1000.0), "Add Empty")) {
      return false;
    }
    if (entry.blank) {
      if (!ReportComResult(ui_, line.AddEmpty(entry.length * d / 1000.0), "Add Empty")) return false;
    } else if (!AddVideoFragment(entry, d, keep, &line)) {
      return false;
    }
    position = relative + entry.length;
  }
  return true;
}

bool CPlayEngine::PrepareOverlay(const CPlayList& list) {
  overlayLine_.reset();
  overlayClips_.clear();
  if (list.overlayList.empty()) return true;
  std::int32_t width = 0;
  std::int32_t height = 0;
  if (!ReportComResult(ui_, board_->GetVideoFormat(0, width, height, nullptr), "Get Video Format") ||
      !ReportComResult(ui_, board_->CreateVTimeLine(0, 0x1000000, 0x800000, 0, overlayLine_), "Create VTimeLine")) {
    return false;
  }
  if (!overlayLine_) return ReportComResult(ui_, KlpPointer, "Create VTimeLine");
  // A line keeps its last picture past its end: the overlay runs to the
  // play's end with an empty stretch.
  const std::int32_t rest = list.endFrame - list.overlayList.back().End();
  return ReportComResult(ui_, overlayLine_->SetWindow(0, 0, width, height), "Set Window") &&
         LoadVideoLine(*overlayLine_, list.overlayList, overlayClips_) &&
         (rest <= 0 || ReportComResult(ui_, overlayLine_->AddEmpty(rest * frameDelta_ / 1000.0), "Add Empty")) &&
         ReportComResult(ui_, overlayLine_->PutState(KlpStatePrepared), "Put state for VTimeLine failed - Prepared") &&
         ReportComResult(ui_, overlayLine_->PutState(KlpStatePaused), "Put state for VTimeLine failed - Paused");
}

bool CPlayEngine::PrepareVideo(const CPlayList& list) {
  if (!PrepareOverlay(list)) return false;
  if (list.videoList.empty()) return true;
  if (!videoTimeLine_) return ReportComResult(ui_, KlpPointer, "Reset Video Time Line");
  if (!ReportComResult(ui_, videoTimeLine_->Reset(0), "Reset Video Time Line")) return false;
  videoClips_.clear();
  previewClips_.clear();
  if (!LoadVideoLine(*videoTimeLine_, list.videoList, videoClips_)) return false;
  return ReportComResult(ui_, videoTimeLine_->PutState(KlpStatePrepared), "Put state for VTimeLine failed - Prepared") &&
         ReportComResult(ui_, videoTimeLine_->PutState(KlpStatePaused), "Put state for VTimeLine failed - Paused");
}

bool CPlayEngine::PrepareAudio(const CPlayList& list, const std::vector<const CTrack*>& audioTrackKeys) {
  audioLines_.clear();
  if (list.audioList.empty() || audioTrackKeys.empty()) return true;
  const double d = frameDelta_;
  for (const CTrack* key : audioTrackKeys) {
    CAudioLine line;
    line.trackKey = key;
    const KlpResult made = board_->CreateAudioTimeLine(0, 0x200000, 0x100000, 0, line.timeLine);
    if (!ReportComResult(ui_, made, "Create AudioTimeline")) return false;
    audioLines_.push_back(std::move(line));
  }
  const std::int32_t startFrame = PlayRound(playFrom_ / d);
  for (CAudioLine& line : audioLines_) {
    if (!line.timeLine) continue;
    line.timeLine->Reset(0);
    std::int32_t position = startFrame;
    for (const CPlayTask& entry : list.audioList) {
      if (entry.trackKey != line.trackKey || entry.start < position) continue;
      if (entry.start > position &&
          !ReportComResult(ui_, line.timeLine->AddEmpty((entry.start - position) * d / 1000.0), "Add Empty")) {
        return false;
      }
      std::unique_ptr<IKlpSuperClip> clip;
      if (!ReportComResult(ui_, board_->CreateSuperClip(kAudioSuperClip, kSuperClipParam, clip),
                           "Create 'Super Clip' object")) {
        return false;
      }
      IKlpPlayMovie* movie = entry.movieItem ? entry.movieItem->movie.get() : nullptr;
      if (!clip || !movie) return ReportComResult(ui_, KlpPointer, "Add Movie Fragment With Audio");
      const double level = entry.level == 0.0 ? kLowestLevel : entry.level;
      const KlpResult added =
          clip->AddMovieFragmentWithAudio(*movie, entry.in * d / 1000.0, entry.length * d / 1000.0, level,
                                          entry.fadeIn / 1000.0, entry.fadeOut / 1000.0, kAudioFragmentMode);
      if (!ReportComResult(ui_, added, "Add Movie Fragment With Audio")) return false;
      if (!ReportComResult(ui_, line.timeLine->AddMovie(*clip), AddMovieContext(entry.fileName))) return false;
      line.clips.push_back(std::move(clip));
      double lengthS = 0.0;
      line.timeLine->GetLength(lengthS);
      position = startFrame + PlayRound(lengthS * 1000.0 / d);
    }
    if (line.clips.empty()) line.timeLine.reset();
  }
  for (CAudioLine& line : audioLines_) {
    if (line.timeLine &&
        !ReportComResult(ui_, line.timeLine->PutState(KlpStatePrepared), "Prepare AudioTimeLine failed")) {
      return false;
    }
  }
  for (CAudioLine& line : audioLines_) {
    if (line.timeLine && !ReportComResult(ui_, line.timeLine->PutState(KlpStatePaused), "Paused AudioTimeLine failed")) {
      return false;
    }
  }
  return true;
}

bool CPlayEngine::Start() {
  if (state_ != EngineState::Prepared) return false;
  if (!ReportComResult(ui_, board_->GetBoardTime(0, boardStartTime_), "Getting Board time failed")) return false;
  if (videoTimeLine_ &&
      !ReportComResult(ui_, videoTimeLine_->PutState(KlpStatePlaying), "Put state for VTimeLine failed - Playing")) {
    return false;
  }
  if (overlayLine_ &&
      !ReportComResult(ui_, overlayLine_->PutState(KlpStatePlaying), "Put state for VTimeLine failed - Playing")) {
    return false;
  }
  for (CAudioLine& line : audioLines_) {
    if (line.timeLine && !ReportComResult(ui_, line.timeLine->PutState(KlpStatePlaying), "Start AudioTimeLine failed")) {
      return false;
    }
  }
  if (!titleTasks_.StartTitles(ui_)) return false;
  state_ = EngineState::Playing;
  return true;
}

void CPlayEngine::Stop() {
  if (!board_) return;
  state_ = EngineState::Stopped;
  if (videoTimeLine_) {
    videoTimeLine_->PutState(KlpStateStopped);
    ReportComResult(ui_, ResetVideoTimeLine(), "Reseting Video TimeLine");
  }
  if (overlayLine_) overlayLine_->PutState(KlpStateStopped);
  overlayLine_.reset();
  overlayClips_.clear();
  titleTasks_.StopTitles(ui_);
  if (ResetTitleTasks()) PrepareTitlePreview();
  for (CAudioLine& line : audioLines_) {
    if (line.timeLine) ReportComResult(ui_, line.timeLine->PutState(KlpStateStopped), "Stop AudioTimeLine failed");
  }
  audioLines_.clear();
}

EngineState CPlayEngine::PollState() {
  if (state_ != EngineState::Playing) return state_;
  double clock = 0.0;
  if (!ReportComResult(ui_, board_->GetBoardTime(0, clock), "Getting Board time failed")) {
    Stop();
    return state_;
  }
  const TimeMs current = (clock - boardStartTime_) * 1000.0 + playFrom_;
  if (current > playTo_) Stop();
  return state_;
}

TimeMs CPlayEngine::CurrentTime() {
  double clock = 0.0;
  if (!board_ || !KlpSucceeded(board_->GetBoardTime(0, clock))) return playFrom_;
  return std::min((clock - boardStartTime_) * 1000.0 + playFrom_, playTo_);
}

bool CPlayEngine::ShowFrame(const CMovieMapItem& item, std::int32_t sourceFrame, double frameDelta) {
  if (state_ != EngineState::Stopped || !videoTimeLine_ || (!item.movie && !item.stillImage)) return false;
  state_ = EngineState::Prepared;
  CPlayTask frame;
  frame.movieItem = &item;
  frame.in = sourceFrame;
  frame.length = 1;
  frame.fileName = item.fileName;
  state_ = EngineState::Playing;
  const bool shown = AddVideoFragment(frame, frameDelta, previewClips_);
  if (previewClips_.size() > kPreviewClipsKept) previewClips_.erase(previewClips_.begin());
  state_ = EngineState::Stopped;
  return shown;
}

bool CPlayEngine::MakePreviewOverlay() {
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::unique_ptr<IKlpVTimeLine> line;
  if (!ReportComResult(ui_, board_->GetVideoFormat(0, width, height, nullptr), "Get Video Format") ||
      !ReportComResult(ui_, board_->CreateVTimeLine(0, 0x1000000, 0x800000, 0, line), "Create VTimeLine")) {
    return false;
  }
  if (!line) return ReportComResult(ui_, KlpPointer, "Create VTimeLine");
  if (!ReportComResult(ui_, line->SetWindow(0, 0, width, height), "Set Window")) return false;
  previewOverlay_ = std::move(line);
  if (ReportComResult(ui_, ResetVideoTimeLine(), "Reseting Video TimeLine")) return true;
  previewOverlay_.reset();
  return false;
}

bool CPlayEngine::ShowPreview(const PreviewPictures& pictures, double frameDelta) {
  if (state_ != EngineState::Stopped || !videoTimeLine_ || !pictures.below.item) return false;
  if (pictures.over && !previewOverlay_ && !MakePreviewOverlay()) return false;
  if (!ShowFrame(*pictures.below.item, pictures.below.sourceFrame, frameDelta)) return false;
  if (!previewOverlay_) return true;
  if (pictures.over) {
    CPlayTask frame;
    frame.movieItem = pictures.over->item;
    frame.in = pictures.over->sourceFrame;
    frame.length = 1;
    frame.fileName = pictures.over->item->fileName;
    if (AddVideoFragment(frame, frameDelta, previewOverlayClips_, previewOverlay_.get())) {
      if (previewOverlayClips_.size() > kPreviewClipsKept) previewOverlayClips_.erase(previewOverlayClips_.begin());
      return true;
    }
  }
  // Nothing laid over this frame, or the picture failed (and was reported):
  // an empty frame keeps the lines in step.
  const bool inStep = ReportComResult(ui_, previewOverlay_->AddEmpty(frameDelta / 1000.0), "Add Empty Preview");
  return inStep && !pictures.over;
}

bool CPlayEngine::PreviewRestTime(double& seconds) {
  seconds = 0.0;
  if (!videoTimeLine_) return false;
  return ReportComResult(ui_, videoTimeLine_->GetRestTime(seconds), "Getting Preview Rest Time");
}

bool CPlayEngine::AddPreviewEmpty(double seconds) {
  if (!videoTimeLine_) return false;
  if (!ReportComResult(ui_, videoTimeLine_->AddEmpty(seconds), "Add Empty Preview")) return false;
  return !previewOverlay_ || ReportComResult(ui_, previewOverlay_->AddEmpty(seconds), "Add Empty Preview");
}

void CPlayEngine::BuildTitleTasks(const std::vector<std::unique_ptr<CTrack>>& tracks, TimeMs previewTime) {
  if (!board_) return;
  titleTasks_.BuildTitleTasks(*board_, tracks, previewTime, ui_);
}

bool CPlayEngine::ResetTitleTasks() {
  if (!board_) return false;
  return titleTasks_.ResetTitleTasks(*board_, ui_);
}

bool CPlayEngine::PrepareTitlePreview() { return titleTasks_.PrepareTitlePreview(ui_); }

bool CPlayEngine::PrepareTitles(TimeMs from, const std::vector<CPlayTask>& titleList) {
  return titleTasks_.PrepareTitles(from, titleList, frameDelta_, ui_);
}

void CPlayEngine::SlidePreviewTick(TimeMs timeMark, const std::vector<const CTrack*>& includedTracks,
                                   const CMovieMap& map) {
  titleTasks_.SlidePreviewTick(timeMark, includedTracks, map, ui_);
}

}  // namespace vantorelle
