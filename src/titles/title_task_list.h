// The title tasks of the playback engine, one per title track: made after a
// project is loaded and after title tracks change, replaced before each play
// and after each stop, and, while nothing plays, keeping slide titles on the
// picture under the time mark.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "model/user_interface.h"
#include "playback/klp_interfaces.h"
#include "playback/movie_map.h"
#include "titles/title_task.h"

namespace vantorelle {

class CTitleTaskList {
 public:
  // One task per title track that the board gives an object; the kept ones
  // are then prepared for the preview. The tasks keep the frame length of
  // the video standard at this time: a play on another thread (an export)
  // never reads the standard again.
  void BuildTitleTasks(IKlpBoard& board, const std::vector<std::unique_ptr<CTrack>>& tracks, TimeMs previewTime,
                       IUserInterface& ui);
  // Every task stopped and replaced by a fresh one with an empty object. A
  // fresh one the board refuses ends the reset with the "Reset" box and an
  // empty list: later plays run without titles until the next build.
  bool ResetTitleTasks(IKlpBoard& board, IUserInterface& ui);
  // Every task given an empty stretch and started, so slide pictures can be
  // shown one by one. A failure empties the list.
  bool PrepareTitlePreview(IUserInterface& ui);
  // Loads the play's title entries into every task and pauses those that got
  // any. False on the first failure.
  bool PrepareTitles(TimeMs from, const std::vector<CPlayTask>& titleList, double frameDelta, IUserInterface& ui);
  // Start and stop of the tasks that hold data.
  bool StartTitles(IUserInterface& ui);
  bool StopTitles(IUserInterface& ui);
  // The slide-show preview tick: each slide task of an included track whose
  // board has room shows the picture under the time mark.
  void SlidePreviewTick(TimeMs timeMark, const std::vector<const CTrack*>& includedTracks, const CMovieMap& map,
                        IUserInterface& ui);
  // Whether a slide task of an included track has yet to show the picture
  // under the time mark: the tick has more to do.
  bool SlidePreviewPending(TimeMs timeMark, const std::vector<const CTrack*>& includedTracks) const;

  void Clear() { tasks_.clear(); }
  bool Empty() const { return tasks_.empty(); }
  const std::vector<std::unique_ptr<CTitleTask>>& Tasks() const { return tasks_; }
  // Why the last reset was abandoned; empty when it went through.
  const std::string& ResetFailure() const { return resetFailure_; }

 private:
  std::vector<std::unique_ptr<CTitleTask>> tasks_;
  std::string resetFailure_;
  double frameDelta_ = 40.0;
};

}  // namespace vantorelle
