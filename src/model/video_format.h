// A video format a project can be made in: frame size and rate. The names
// people type (pal, 1920x1080@25, 1080p29.97) and the presets offered for a
// new project are read and written here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/time_base.h"

namespace vantorelle {

struct VideoFormat {
  std::int32_t width = 720;
  std::int32_t height = 576;
  std::int32_t frameRate = 25000;  // frames per 1000 s, as the video standard keeps it
  bool operator==(const VideoFormat&) const = default;
};

inline constexpr std::int32_t kSmallestFrameSide = 16;
inline constexpr std::int32_t kLargestFrameSide = 8192;

// The rates a format may have, in frames per 1000 s: 23976, 24000, 25000,
// 29970, 30000, 50000, 59940, 60000.
const std::vector<std::int32_t>& SupportedFrameRates();

// "25", "29.97", "23.976": the rate as people write it.
std::string FrameRateText(std::int32_t frameRate);

// The exact rate as a fraction (30000/1001 for 29970), for files and encoders.
struct FrameRateFraction {
  std::int32_t numerator = 25;
  std::int32_t denominator = 1;
};
FrameRateFraction ExactFrameRate(std::int32_t frameRate);

// Reads pal, pal-wide, ntsc, ntsc-vga, WIDTHxHEIGHT@RATE (1920x1080@25) and the
// shorthands HEIGHTpRATE (720p50, 1080p29.97, 2160p25; 16:9, width rounded to
// even). Sizes must be even and 16 … 8192, rates one of the supported ones.
// On failure *why (when given) says what is wrong.
std::optional<VideoFormat> ParseVideoFormatName(std::string_view name, std::string* why = nullptr);

// The name ParseVideoFormatName reads back: pal, pal-wide, ntsc, ntsc-vga for
// the four classic formats, else WIDTHxHEIGHT@RATE.
std::string VideoFormatName(const VideoFormat& format);

// 720×576 and 768×576 at 25, 720×480 and 640×480 at 29.97: the formats every
// project had before any other could be chosen.
bool IsClassicFormat(const VideoFormat& format);

// The video standard of a format: FrameDelta 1 000 000 / FrameRate,
// StartDelay 10 frames.
VideoStandard StandardOf(const VideoFormat& format);
VideoFormat FormatOf(const VideoStandard& standard);

struct VideoFormatPreset {
  std::string name;  // "HD 1080p 25", "PAL SD 720 × 576 25", ...
  VideoFormat format;
};
// The presets a new project offers, most used first.
const std::vector<VideoFormatPreset>& VideoFormatPresets();

}  // namespace vantorelle
