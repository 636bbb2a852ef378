// The choice of a project's video format, as the New project and Screen
// size dialogs offer it: one of the presets by name, or a custom width,
// height and rate. Toolkit-free; the windows show and fill it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/video_format.h"

namespace vantorelle {

class VideoFormatChooser {
 public:
  static constexpr int kCustom = -1;

  // Preselects the preset of that format, or the custom fields holding it.
  explicit VideoFormatChooser(const VideoFormat& preselected);

  static const std::vector<VideoFormatPreset>& Presets() { return VideoFormatPresets(); }
  // The rates the custom rate is one of, in frames per 1000 s.
  static const std::vector<std::int32_t>& Rates() { return SupportedFrameRates(); }

  // A preset's index, or kCustom.
  int Selected() const { return selected_; }
  // Indexes outside the presets choose the custom fields.
  void Select(int index);
  bool IsCustom() const { return selected_ == kCustom; }

  // The custom fields; a rate not supported is ignored. Setting one
  // chooses the custom fields.
  void SetCustomWidth(std::int32_t width);
  void SetCustomHeight(std::int32_t height);
  void SetCustomFrameRate(std::int32_t frameRate);
  const VideoFormat& Custom() const { return custom_; }

  // The format chosen; none when the custom size cannot be run (*why says
  // why when given).
  std::optional<VideoFormat> Chosen(std::string* why = nullptr) const;
  // Whether the choice still gives the format it was made with.
  bool Untouched() const { return Chosen() == std::optional<VideoFormat>(preselected_); }
  const VideoFormat& Preselected() const { return preselected_; }

 private:
  VideoFormat preselected_;
  VideoFormat custom_;
  int selected_ = kCustom;
};

}  // namespace vantorelle
