// Decides what kind of media a file is and measures it through the board's
// components: stream kinds, duration and frame size of a movie, size of an image.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/src.h"
#include "model/user_interface.h"
#include "playback/klp_interfaces.h"
#include "playback/still_image_extensions.h"

namespace vantorelle {

enum class MediaKind { Movie, StillImage };

// "avi" and "wav" (any case) are movies; the still image extensions are
// images; anything else is refused.
std::optional<MediaKind> ClassifyFile(const std::string& path, const StillImageExtensions& images);

// The still image extension list reported by the title-image component;
// failures are reported and leave the list empty.
StillImageExtensions LoadImportFilter(IKlpComponentFactory& factory, IUserInterface& ui);

// What reading media information needs from the project around it.
struct MediaReadContext {
  IKlpComponentFactory& factory;
  IUserInterface& ui;
  FrameSizeRule frameSize;
};

struct MovieMeasure {
  SourceFlagBits flags = 0;  // the flags passed in, stream bits replaced
  TimeMs duration = 0.0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// Measures a movie file for a source whose flags are given. None when the
// file was refused (with a message where the system has one).
std::optional<MovieMeasure> ReadMovieInfo(const MediaReadContext& context, const std::string& path,
                                          SourceFlagBits flags);

struct ImageMeasure {
  std::int32_t width = 0;
  std::int32_t height = 0;
};
std::optional<ImageMeasure> ReadImageInfo(const MediaReadContext& context, const std::string& path);

// Source flag bits for the stream flags of the movie component.
SourceFlagBits StreamBitsFor(std::uint32_t streamFlags);

}  // namespace vantorelle
