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

// The still image extensions (any case) are images; every other file is a
// movie when the board's movie component can open a picture or sound stream
// in it, whatever its name. None only for a path that names no file.
std::optional<MediaKind> ClassifyFile(const std::string& path, const StillImageExtensions& images);

// The still image extension list reported by the title-image component;
// failures are reported and leave the list empty.
StillImageExtensions LoadImportFilter(IKlpComponentFactory& factory, IUserInterface& ui);

// The movie and sound file types the movie component offers; failures are
// reported and leave the list empty.
FileTypeList LoadMovieImportFilter(IKlpComponentFactory& factory, IUserInterface& ui);

inline constexpr const char* kUnusableFileCaption = "Vantorelle";

// "Can't use the file PATH: REASON." — what a person is told about a file
// that cannot become a source.
std::string UnusableFileMessage(const std::string& path, const std::string& reason);

// Why the board refused the file at path, found by looking into it; "damaged
// file" when nothing more precise is found.
std::string RefusalReasonFor(const std::string& path);

// What reading media information needs from the project around it.
struct MediaReadContext {
  IKlpComponentFactory& factory;
  IUserInterface& ui;
  // No longer consulted: pictures of every size are taken, since the board
  // fits them into its output. Left in place while other callers still fill
  // it in; to go with them.
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
