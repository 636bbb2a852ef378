#include "timeline/first_clip_format.h"

#include <cmath>
#include <limits>
#include <string>

#include "playback/media_probe.h"

namespace vantorelle {
namespace {

constexpr const char* kCaption = "New project";

}  // namespace

std::int32_t NearestSupportedFrameRate(double framesPerSecond) {
  std::int32_t nearest = 25000;
  double distance = std::numeric_limits<double>::infinity();
  for (const std::int32_t rate : SupportedFrameRates()) {
    const double d = std::abs(rate - framesPerSecond * 1000.0);
    if (d < distance) {
      distance = d;
      nearest = rate;
    }
  }
  return nearest;
}

std::optional<VideoFormat> MovieFormatOf(const std::string& path) {
  const MediaProbe probe = ProbeMediaFile(path);
  if (probe.verdict != MediaProbeVerdict::Usable || probe.video.empty()) return std::nullopt;
  const ProbedVideoStream& video = probe.video.front();
  if (!(video.framesPerSecond > 0.0)) return std::nullopt;
  const VideoFormat format{video.width, video.height, NearestSupportedFrameRate(video.framesPerSecond)};
  for (const std::int32_t side : {format.width, format.height}) {
    if (side < kSmallestFrameSide || side > kLargestFrameSide || side % 2 != 0) return std::nullopt;
  }
  return format;
}

bool OfferClipFormat(CVantorelleDoc& doc, const CSrc& source) {
  if (!doc.FormatLeftAtDefault() || doc.timeline.ClipCount() > 0) return false;
  if ((source.flags & SourceFlags::MovieFile) == 0 || (source.flags & SourceFlags::VideoStream) == 0) return false;
  const std::optional<VideoFormat> clipFormat = MovieFormatOf(source.path);
  if (!clipFormat || *clipFormat == doc.Format()) return false;
  const std::string text = "The clip is " + std::to_string(clipFormat->width) + " x " +
                           std::to_string(clipFormat->height) + " at " + FrameRateText(clipFormat->frameRate) +
                           " frames a second. Make the project " + VideoFormatName(*clipFormat) + " to match it?";
  // Asked once: whatever the answer, the project's format is now chosen.
  doc.SetFormatLeftAtDefault(false);
  if (doc.Ui().ShowMessage(text, kCaption, MessageIcon::Question, MessageButtons::YesNo) != MessageAnswer::Yes) {
    return false;
  }
  doc.SwitchFormat(*clipFormat);
  return true;
}

}  // namespace vantorelle
