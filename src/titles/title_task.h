// One title track as the board plays it: a crawl object for a movable title
// track, a slide-show object for a slide title track. The task loads a
// play's title entries into its object and answers which picture a slide
// track shows at a time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/track.h"
#include "playback/klp_interfaces.h"
#include "playback/play_engine_list.h"

namespace vantorelle {

class CTitleTask {
 public:
  // Makes the board object that fits the track's kind. The board is used
  // only here. When the board refuses, the task holds no track and no object.
  // frameDelta: the frame length of the format the task plays in; 0 takes
  // the running video standard's.
  CTitleTask(IKlpBoard& board, const CTrack& track, TimeMs previewTime, double frameDelta = 0.0);
  CTitleTask(const CTitleTask&) = delete;
  CTitleTask& operator=(const CTitleTask&) = delete;

  // The object's state (0 stop, 1 and 2 preparation, 3 pause, 4 start);
  // KlpFalse when the task has no object of its track's kind.
  KlpResult PutState(std::int32_t state);
  // Loads the title entries of this track, from the play's start (ms) on, in
  // frames of the play's frame delta. KlpOk, or KlpFalse when a board call failed.
  KlpResult Fill(TimeMs from, const std::vector<CPlayTask>& titleList, double frameDelta);
  // Full path of the picture the track shows at the time; empty for none.
  std::string SlideAt(TimeMs time) const;

  const CTrack* Track() const { return track_; }
  bool HasObject() const { return movable_ || slide_; }
  bool HasData() const { return hasData_; }
  IKlpMovableTitleTask* Movable() const { return movable_.get(); }
  IKlpSlideTitleTask* Slide() const { return slide_.get(); }

  TimeMs PreviewTime() const { return previewTime_; }
  void SetPreviewTime(TimeMs time) { previewTime_ = time; }
  const std::string& LastSlide() const { return lastSlide_; }
  void SetLastSlide(std::string path) { lastSlide_ = std::move(path); }

  // Pixels per second of a crawl: two fields a frame. A stored speed of 0
  // counts as the smallest speed the settings allow.
  double CrawlSpeed() const;
  // Pixels a title travels to cross the region.
  std::int32_t CrawlLength() const;

 private:
  KlpResult FillCrawl(TimeMs& position, const CPlayTask& entry, double frameDelta);
  KlpResult FillSlide(TimeMs& position, const CPlayTask& entry, double frameDelta);

  const CTrack* track_ = nullptr;
  TimeMs previewTime_ = 0.0;
  double frameDelta_ = 40.0;
  std::string lastSlide_;
  std::unique_ptr<IKlpMovableTitleTask> movable_;
  std::unique_ptr<IKlpSlideTitleTask> slide_;
  bool hasData_ = false;
};

// Fade times (ms) of a slide entry as the board gets them: the clip's fades
// less what the play cut off the entry's ends, within the entry's length.
struct SlideFades {
  double fadeIn = 0.0;
  double fadeOut = 0.0;
};
SlideFades SlideEntryFades(const CPlayTask& entry, double frameDelta);

}  // namespace vantorelle
