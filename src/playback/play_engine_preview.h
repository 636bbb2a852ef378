// Which source frame the idle preview puts on the board for a time mark.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/track.h"

namespace vantorelle {

struct PreviewFrame {
  const CFilm* clip = nullptr;
  std::int32_t sourceFrame = 0;
};

// Over the included video tracks, in track order and passing over still
// pictures: the clip under the mark's frame shows its frame there; else the
// latest clip that ended before it shows its last frame; else the first clip
// after it shows its first frame. None when no movie clip plays.
std::optional<PreviewFrame> ChoosePreviewFrame(const std::vector<const CTrack*>& includedTracks, TimeMs timeMark);

}  // namespace vantorelle
