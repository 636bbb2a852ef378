#include "titles/title_task_list.h"

#include <algorithm>

#include "playback/report_com_result.h"

namespace vantorelle {

void CTitleTaskList::BuildTitleTasks(IKlpBoard& board, const std::vector<std::unique_ptr<CTrack>>& tracks,
                                     TimeMs previewTime, IUserInterface& ui) {
  tasks_.clear();
  frameDelta_ = CurrentVideoStandard().FrameDelta;
  for (const auto& track : tracks) {
    if (track->Kind() != TrackKind::TitleMovable && track->Kind() != TrackKind::TitleSlide) continue;
    auto task = std::make_unique<CTitleTask>(board, *track, previewTime, frameDelta_);
    if (task->Track() && task->HasObject()) tasks_.push_back(std::move(task));
  }
  if (!tasks_.empty()) PrepareTitlePreview(ui);
}

bool CTitleTaskList::ResetTitleTasks(IKlpBoard& board, IUserInterface& ui) {
  resetFailure_.clear();
  std::vector<std::unique_ptr<CTitleTask>> fresh;
  for (const auto& task : tasks_) {
    if (!task || !task->Track()) {
      resetFailure_ = "Failed old CTitleTask pointer";
      break;
    }
    ReportComResult(ui, task->PutState(0), "Stop title task object failed");
    auto replacement = std::make_unique<CTitleTask>(board, *task->Track(), task->PreviewTime(), frameDelta_);
    // A task the board gave no object could neither play nor be stopped.
    if (!replacement->Track() || !replacement->HasObject()) {
      resetFailure_ = "Failed new CTitleTask pointer";
      break;
    }
    fresh.push_back(std::move(replacement));
  }
  if (!resetFailure_.empty()) {
    ui.Warn("Reset Title's TimeLine failed", "Reset");
    tasks_.clear();
    return false;
  }
  tasks_ = std::move(fresh);
  return true;
}

bool CTitleTaskList::PrepareTitlePreview(IUserInterface& ui) {
  const double frameDelta = frameDelta_;
  bool prepared = true;
  for (const auto& task : tasks_) {
    if (!task || !task->HasObject()) {
      prepared = false;
      break;
    }
    const KlpResult empty =
        task->Slide() ? task->Slide()->AddEmpty(frameDelta / 1000.0) : task->Movable()->AddEmpty(task->CrawlLength());
    prepared = ReportComResult(ui, empty, "Add empty data to title task object failed") &&
               ReportComResult(ui, task->PutState(2), "Preparing title task object failed") &&
               ReportComResult(ui, task->PutState(1), "Fin prepare title task object failed") &&
               ReportComResult(ui, task->PutState(4), "Start title task objects failed");
    if (!prepared) break;
  }
  if (prepared) return true;
  ui.Warn("Prepare title tracks preview failed", "PreparePreviewTTL");
  tasks_.clear();
  return false;
}

bool CTitleTaskList::PrepareTitles(TimeMs from, const std::vector<CPlayTask>& titleList, double frameDelta,
                                   IUserInterface& ui) {
  for (const auto& task : tasks_) {
    if (!ReportComResult(ui, task->Fill(from, titleList, frameDelta), "Fill title task object failed")) return false;
    if (!task->HasData()) continue;
    if (!ReportComResult(ui, task->PutState(1), "Prepare title task object failed") ||
        !ReportComResult(ui, task->PutState(2), "Fin prepare title task object failed") ||
        !ReportComResult(ui, task->PutState(3), "Pause title task object failed")) {
      return false;
    }
  }
  return true;
}

bool CTitleTaskList::StartTitles(IUserInterface& ui) {
  for (const auto& task : tasks_) {
    if (task->HasData() && !ReportComResult(ui, task->PutState(4), "Start title task objects failed")) return false;
  }
  return true;
}

bool CTitleTaskList::StopTitles(IUserInterface& ui) {
  bool stopped = true;
  for (const auto& task : tasks_) {
    // Every task is told to stop, whatever an earlier one answered.
    if (task->HasData() && !ReportComResult(ui, task->PutState(0), "Stop title task objects failed")) stopped = false;
  }
  return stopped;
}

void CTitleTaskList::SlidePreviewTick(TimeMs timeMark, const std::vector<const CTrack*>& includedTracks,
                                      const CMovieMap& map, IUserInterface& ui) {
  const double frameDelta = frameDelta_;
  for (const auto& task : tasks_) {
    const CTrack* track = task->Track();
    if (task->PreviewTime() == timeMark || !track || track->Kind() != TrackKind::TitleSlide || !task->Slide()) continue;
    if (std::find(includedTracks.begin(), includedTracks.end(), track) == includedTracks.end()) continue;
    IKlpSlideTitleTask& slide = *task->Slide();
    double rest = 0.0;
    if (!ReportComResult(ui, slide.GetRestTime(rest), "Getting Slide Show Preview Rest Time failed")) {
      // Once for this time mark, not on every tick.
      task->SetPreviewTime(timeMark);
      continue;
    }
    if (static_cast<std::int64_t>(rest * 1000.0 / frameDelta) > 2) continue;
    const std::string name = task->SlideAt(timeMark);
    bool shown = true;
    if (name.empty()) {
      if (!task->LastSlide().empty()) {
        task->SetLastSlide({});
        shown = ReportComResult(ui, slide.AddEmpty(frameDelta / 1000.0), "Slide Show Add Empty failed");
      }
    } else if (name != task->LastSlide()) {
      task->SetLastSlide(name);
      const CMovieMapItem* item = map.Find(name);
      if (item && item->stillImage) {
        shown = ReportComResult(ui, slide.AddImage(*item->stillImage, frameDelta / 1000.0), "Slide Show Add Image failed");
      }
    }
    if (shown) task->SetPreviewTime(timeMark);
  }
}

bool CTitleTaskList::SlidePreviewPending(TimeMs timeMark, const std::vector<const CTrack*>& includedTracks) const {
  for (const auto& task : tasks_) {
    const CTrack* track = task->Track();
    if (task->PreviewTime() == timeMark || !track || track->Kind() != TrackKind::TitleSlide || !task->Slide()) continue;
    if (std::find(includedTracks.begin(), includedTracks.end(), track) != includedTracks.end()) return true;
  }
  return false;
}

}  // namespace vantorelle
