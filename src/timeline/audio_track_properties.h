// The "Audio Track Properties" dialog's values: the track's fades as times
// and its level as a whole percent from 1 to 100.
#pragma once

#include "document/vantorelle_doc.h"

namespace vantorelle {

class AudioTrackProperties {
 public:
  static constexpr const char* kCaption = "Audio Track Properties";
  static constexpr int kLowestPercent = 1;
  static constexpr int kHighestPercent = 100;

  // Read from the track; the level shows as volume × 100, truncated and
  // kept inside the range the dialog takes.
  explicit AudioTrackProperties(const CTrack& track);

  // On OK: the fades fall onto the frame grid, the level is taken inside
  // 1 … 100 and stored as percent × 0.01; the project is modified.
  void Apply(CVantorelleDoc& doc, CTrack& track) const;

  TimeMs fadeIn = 0.0;
  TimeMs fadeOut = 0.0;
  int levelPercent = kHighestPercent;
};

}  // namespace vantorelle
