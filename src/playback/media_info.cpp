#include "playback/media_info.h"

#include <cmath>

#include "model/source_paths.h"
#include "playback/media_probe.h"
#include "playback/report_com_result.h"

namespace vantorelle {

std::optional<MediaKind> ClassifyFile(const std::string& path, const StillImageExtensions& images) {
  const std::string name = FileNameOf(path);
  if (name.empty()) return std::nullopt;
  if (name.find('.') != std::string::npos && images.Contains(ExtensionOf(name))) return MediaKind::StillImage;
  return MediaKind::Movie;
}

std::string UnusableFileMessage(const std::string& path, const std::string& reason) {
  return "Can't use the file " + path + ":\n" + reason + ".";
}

std::string RefusalReasonFor(const std::string& path) {
  const std::string reason = RefusalReason(ProbeMediaFile(path));
  return reason.empty() ? "damaged file" : reason;
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

FileTypeList LoadMovieImportFilter(IKlpComponentFactory& factory, IUserInterface& ui) {
  FileTypeList list;
  std::unique_ptr<IKlpPlayMovie> movie;
  if (!ReportComResult(ui, factory.CreatePlayMovie(movie), "CoCreateInstance failed")) return list;
  std::string filter;
  if (!ReportComResult(ui, movie->GetImportFilter(filter), "Getting import filter failed")) return list;
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
  const KlpResult opened = movie->OpenFile(path);
  // A file the component cannot read as media is explained, not just refused.
  if (opened == KlpBadFormat) {
    context.ui.Warn(UnusableFileMessage(path, RefusalReasonFor(path)), kUnusableFileCaption);
    return std::nullopt;
  }
  if (!ReportComResult(context.ui, opened, "OpenFile failed")) return std::nullopt;
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
    context.ui.Warn(UnusableFileMessage(path, "no picture or sound stream"), kUnusableFileCaption);
    return std::nullopt;
  }
  MovieMeasure measure;
  measure.flags = (flags & ~SourceFlags::StreamBits) | StreamBitsFor(streamFlags);
  measure.width = width;
  measure.height = height;
  const double seconds = HasPicture(measure.flags) ? videoSeconds : audioSeconds;
  // A length the component cannot express is no playable source.
  if (!std::isfinite(seconds) || seconds < 0.0 || width < 0 || height < 0) {
    context.ui.Warn(UnusableFileMessage(path, "damaged file"), kUnusableFileCaption);
    return std::nullopt;
  }
  measure.duration = seconds * 1000.0;
  return measure;
}

std::optional<ImageMeasure> ReadImageInfo(const MediaReadContext& context, const std::string& path) {
  std::unique_ptr<IKlpPlayTitleImage> image;
  if (!ReportComResult(context.ui, context.factory.CreatePlayTitleImage(image),
                       "CoCreateInstance failed")) {
    return std::nullopt;
  }
  const KlpResult loaded = image->LoadFromFile(path, 0);
  if (loaded == KlpBadFormat) {
    context.ui.Warn(UnusableFileMessage(path, RefusalReasonFor(path)), kUnusableFileCaption);
    return std::nullopt;
  }
  if (!ReportComResult(context.ui, loaded, "Load file failed")) return std::nullopt;
  ImageMeasure measure;
  if (!ReportComResult(context.ui, image->GetImageInfo(measure.width, measure.height),
                       "Getting image info failed")) {
    return std::nullopt;
  }
  return measure;
}

}  // namespace vantorelle
