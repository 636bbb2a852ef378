#include "timeline/video_format_chooser.h"

#include <algorithm>
#include <string>

namespace vantorelle {

VideoFormatChooser::VideoFormatChooser(const VideoFormat& preselected)
    : preselected_(preselected), custom_(preselected) {
  const auto& presets = Presets();
  for (std::size_t i = 0; i < presets.size(); ++i) {
    if (presets[i].format == preselected) {
      selected_ = static_cast<int>(i);
      break;
    }
  }
}

void VideoFormatChooser::Select(int index) {
  const bool preset = index >= 0 && index < static_cast<int>(Presets().size());
  selected_ = preset ? index : kCustom;
}

void VideoFormatChooser::SetCustomWidth(std::int32_t width) {
  custom_.width = width;
  selected_ = kCustom;
}

void VideoFormatChooser::SetCustomHeight(std::int32_t height) {
  custom_.height = height;
  selected_ = kCustom;
}

void VideoFormatChooser::SetCustomFrameRate(std::int32_t frameRate) {
  const auto& rates = Rates();
  if (std::find(rates.begin(), rates.end(), frameRate) == rates.end()) return;
  custom_.frameRate = frameRate;
  selected_ = kCustom;
}

std::optional<VideoFormat> VideoFormatChooser::Chosen(std::string* why) const {
  if (!IsCustom()) return Presets()[static_cast<std::size_t>(selected_)].format;
  for (const std::int32_t side : {custom_.width, custom_.height}) {
    if (side < kSmallestFrameSide || side > kLargestFrameSide || side % 2 != 0) {
      if (why) {
        *why = "The frame size " + std::to_string(custom_.width) + " x " + std::to_string(custom_.height) +
               " must be even numbers from " + std::to_string(kSmallestFrameSide) + " to " +
               std::to_string(kLargestFrameSide) + ".";
      }
      return std::nullopt;
    }
  }
  return custom_;
}

}  // namespace vantorelle
