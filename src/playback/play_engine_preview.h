// Which source frames the idle preview puts on the board for a time mark.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/track.h"
#include "playback/movie_map.h"

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

// One picture of the preview with the opened file it comes from.
struct PreviewLayer {
  const CMovieMapItem* item = nullptr;
  std::int32_t sourceFrame = 0;
};

// What the preview shows at a mark: the frame ChoosePreviewFrame picks and,
// as playback lays a transparent clip over the tracks below it, where that
// frame is a transparent clip's over an opaque clip under the mark, the
// opaque clip's frame below and the transparent one over it.
struct PreviewPictures {
  PreviewLayer below;
  std::optional<PreviewLayer> over;
};

// None when no clip of a file in the map is to be shown.
std::optional<PreviewPictures> ChoosePreviewPictures(const std::vector<const CTrack*>& includedTracks,
                                                     TimeMs timeMark, const CMovieMap& map);

}  // namespace vantorelle
