#include "playback/media_info.h"

#include <cmath>

#include "model/source_paths.h"
#include "playback/report_com_result.h"

namespace vantorelle {

std::optional<MediaKind> ClassifyFile(const std::string& path, const StillImageExtensions& images) {
  const std::string name = FileNameOf(path);
  if (name.find('.') == std::string::npos) return std::nullopt;
  const std::string extension = ExtensionOf(name);
  if (EqualsIgnoreCase(extension, "avi") || EqualsIgnoreCase(extension, "wav")) {
    return MediaKind::Movie;
  }
  if (images.Contains(extension)) return MediaKind::StillImage;
  return std::nullopt;
}

StillImageExtensions LoadImportFilter(IKlpComponentFactory& factory, IUserInterface& ui) {
  StillImageExtensions list;
  std::unique_ptr<IKlpPlayTitleImage> image;
  if (!ReportComResult(ui, factory.CreatePlayTitleImage(image), "CoCreateInstance failed")) {
    return list;
  }
  std::string filter;
  if (!ReportComResult(ui, image->GetImportFilter(filter), "Getting import filter failed")) {
    return list;
  }
  list.AddFilter(filter);
  return list;
}

SourceFlagBits StreamBitsFor(std::uint32_t streamFlags) {
  SourceFlagBits bits = 0;
  if (streamFlags & KlpStream::VideoKinds) bits |= SourceFlags::VideoStream;
  if (streamFlags & KlpStream::AlphaKinds) bits |= SourceFlags::AlphaStream;
  if (streamFlags & KlpStream::Audio) bits |= SourceFlags::AudioStream;
  return bits;
}

std::optional<MovieMeasure> ReadMovieInfo(const MediaReadContext& context, const std::string& path,
                                          SourceFlagBits flags) {
  std::unique_ptr<IKlpPlayMovie> movie;
  if (!ReportComResult(context.ui, context.factory.CreatePlayMovie(movie),
                       "CoCreateInstance failed")) {
    return std::nullopt;
  }
  if (!ReportComResult(context.ui, movie->OpenFile(path), "OpenFile failed")) return std::nullopt;
  std::uint32_t streamFlags = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  double videoSeconds = 0.0;
  double framesPerSecond = 0.0;
  double audioSeconds = 0.0;
  if (!ReportComResult(context.ui,
                       movie->GetMovieInfo(0, streamFlags, width, height, videoSeconds,
                                           framesPerSecond, audioSeconds, nullptr),
                       "GetMovieInfo failed")) {
    return std::nullopt;
  }
  // Only the decoded, JPEG, alpha and sound kinds make a playable source.
  constexpr std::uint32_t kPlayableKinds = 0x1033;
  if ((streamFlags & kPlayableKinds) == 0) {
    return std::nullopt;
  }
  MovieMeasure measure;
  measure.flags = (flags & ~SourceFlags::StreamBits) | StreamBitsFor(streamFlags);
  measure.width = width;
  measure.height = height;
  if (IsMoviePicture(measure.flags) && !context.frameSize.Accepts(width, height)) {
    context.ui.Warn("Can't add clip. Incorrect video frame size!", "Vantorelle");
    return std::nullopt;
  }
  const double seconds = HasPicture(measure.flags) ? videoSeconds : audioSeconds;
  // A length the component cannot express is no playable source.
  if (!std::isfinite(seconds) || seconds < 0.0 || width < 0 || height < 0) return std::nullopt;
  measure.duration = seconds * 1000.0;
  return measure;
}

std::optional<ImageMeasure> ReadImageInfo(const MediaReadContext& context, const std::string& path) {
  std::unique_ptr<IKlpPlayTitleImage> image;
  if (!ReportComResult(context.ui, context.factory.CreatePlayTitleImage(image),
                       "CoCreateInstance failed")) {
    return std::nullopt;
  }
  if (!ReportComResult(context.ui, image->LoadFromFile(path, 0), "Load file failed")) {
    return std::nullopt;
  }
  ImageMeasure measure;
  if (!ReportComResult(context.ui, image->GetImageInfo(measure.width, measure.height),
                       "Getting image info failed")) {
    return std::nullopt;
  }
  return measure;
}

}  // namespace vantorelle
