#include "model/video_format.h"

#include <charconv>

namespace vantorelle {
namespace {

struct RateName {
  std::int32_t frameRate;
  std::string_view text;
  FrameRateFraction exact;
};

constexpr RateName kRates[] = {
    {23976, "23.976", {24000, 1001}}, {24000, "24", {24, 1}},    {25000, "25", {25, 1}},
    {29970, "29.97", {30000, 1001}},  {30000, "30", {30, 1}},    {50000, "50", {50, 1}},
    {59940, "59.94", {60000, 1001}},  {60000, "60", {60, 1}},
};

struct ClassicName {
  std::string_view name;
  VideoFormat format;
};

constexpr ClassicName kClassics[] = {
    {"pal", {720, 576, 25000}},
    {"pal-wide", {768, 576, 25000}},
    {"ntsc", {720, 480, 29970}},
    {"ntsc-vga", {640, 480, 29970}},
};

std::optional<std::int32_t> ParseRate(std::string_view text) {
  if (text == "23.98") return 23976;
  for (const RateName& rate : kRates) {
    if (rate.text == text) return rate.frameRate;
  }
  // "25.00", "30.0": the same rates with trailing zeros.
  const std::size_t dot = text.find('.');
  if (dot != std::string_view::npos && text.find_first_not_of('0', dot + 1) == std::string_view::npos) {
    return ParseRate(text.substr(0, dot));
  }
  return std::nullopt;
}

std::optional<std::int32_t> ParseWhole(std::string_view text) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  std::int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<VideoFormat> Fail(std::string* why, std::string text) {
  if (why) *why = std::move(text);
  return std::nullopt;
}

std::string RateList() {
  std::string list;
  for (const RateName& rate : kRates) {
    if (!list.empty()) list += ", ";
    list += rate.text;
  }
  return list;
}

std::string Lowered(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return lowered;
}

}  // namespace

const std::vector<std::int32_t>& SupportedFrameRates() {
  static const std::vector<std::int32_t> rates = [] {
    std::vector<std::int32_t> list;
    for (const RateName& rate : kRates) list.push_back(rate.frameRate);
    return list;
  }();
  return rates;
}

std::string FrameRateText(std::int32_t frameRate) {
  for (const RateName& rate : kRates) {
    if (rate.frameRate == frameRate) return std::string(rate.text);
  }
  std::string text = std::to_string(frameRate / 1000);
  if (const std::int32_t thousandths = frameRate % 1000; thousandths != 0) {
    std::string fraction = std::to_string(1000 + thousandths).substr(1);
    while (fraction.back() == '0') fraction.pop_back();
    text += "." + fraction;
  }
  return text;
}

FrameRateFraction ExactFrameRate(std::int32_t frameRate) {
  for (const RateName& rate : kRates) {
    if (rate.frameRate == frameRate) return rate.exact;
  }
  return {frameRate, 1000};
}

std::optional<VideoFormat> ParseVideoFormatName(std::string_view name, std::string* why) {
  const std::string lowered = Lowered(name);
  for (const ClassicName& classic : kClassics) {
    if (classic.name == lowered) return classic.format;
  }
  const std::string_view text = lowered;
  VideoFormat format;
  std::string_view rateText;
  if (const std::size_t at = text.find('@'); at != std::string_view::npos) {
    const std::size_t x = text.find('x');
    if (x == std::string_view::npos || x > at) {
      return Fail(why, "\"" + std::string(name) + "\" is not WIDTHxHEIGHT@RATE");
    }
    const auto width = ParseWhole(text.substr(0, x));
    const auto height = ParseWhole(text.substr(x + 1, at - x - 1));
    if (!width || !height) return Fail(why, "\"" + std::string(name) + "\" is not WIDTHxHEIGHT@RATE");
    format.width = *width;
    format.height = *height;
    rateText = text.substr(at + 1);
  } else if (const std::size_t p = text.find('p'); p != std::string_view::npos && p > 0) {
    const auto height = ParseWhole(text.substr(0, p));
    if (!height) return Fail(why, "\"" + std::string(name) + "\" is not HEIGHTpRATE");
    format.height = *height;
    format.width = (*height * 16 / 9 + 1) / 2 * 2;
    rateText = text.substr(p + 1);
  } else {
    return Fail(why, "unknown video format \"" + std::string(name) +
                         "\" (use pal, pal-wide, ntsc, ntsc-vga, WIDTHxHEIGHT@RATE or HEIGHTpRATE)");
  }
  const auto rate = ParseRate(rateText);
  if (!rate) {
    return Fail(why, "frame rate \"" + std::string(rateText) + "\" is not one of " + RateList());
  }
  format.frameRate = *rate;
  for (const std::int32_t side : {format.width, format.height}) {
    if (side < kSmallestFrameSide || side > kLargestFrameSide || side % 2 != 0) {
      return Fail(why, "frame size " + std::to_string(format.width) + "x" + std::to_string(format.height) +
                           " must be even numbers from 16 to 8192");
    }
  }
  return format;
}

std::string VideoFormatName(const VideoFormat& format) {
  for (const ClassicName& classic : kClassics) {
    if (classic.format == format) return std::string(classic.name);
  }
  return std::to_string(format.width) + "x" + std::to_string(format.height) + "@" + FrameRateText(format.frameRate);
}

bool IsClassicFormat(const VideoFormat& format) {
  for (const ClassicName& classic : kClassics) {
    if (classic.format == format) return true;
  }
  return false;
}

VideoStandard StandardOf(const VideoFormat& format) {
  VideoStandard standard;
  standard.FrameWidth = format.width;
  standard.FrameHeight = format.height;
  standard.FrameRate = format.frameRate;
  standard.FrameDelta = 1'000'000.0 / format.frameRate;
  standard.StartDelay = standard.FrameDelta * 10.0;
  return standard;
}

VideoFormat FormatOf(const VideoStandard& standard) {
  return VideoFormat{standard.FrameWidth, standard.FrameHeight, standard.FrameRate};
}

const std::vector<VideoFormatPreset>& VideoFormatPresets() {
  static const std::vector<VideoFormatPreset> presets = [] {
    std::vector<VideoFormatPreset> list;
    const auto add = [&list](const std::string& label, std::int32_t width, std::int32_t height,
                             std::initializer_list<std::int32_t> rates) {
      for (const std::int32_t rate : rates) {
        list.push_back({label + " " + FrameRateText(rate), VideoFormat{width, height, rate}});
      }
    };
    add("HD 1080p", 1920, 1080, {25000, 29970, 23976, 24000, 30000, 50000, 59940, 60000});
    add("HD 720p", 1280, 720, {25000, 29970, 50000, 59940, 60000});
    add("4K UHD 2160p", 3840, 2160, {25000, 29970, 23976, 24000, 30000, 50000, 59940, 60000});
    add("Vertical 1080 \u00d7 1920", 1080, 1920, {30000, 25000, 29970, 60000});
    add("Square 1080 \u00d7 1080", 1080, 1080, {30000, 25000});
    add("PAL SD 720 \u00d7 576", 720, 576, {25000});
    add("PAL SD 768 \u00d7 576", 768, 576, {25000});
    add("NTSC SD 720 \u00d7 480", 720, 480, {29970});
    add("NTSC SD 640 \u00d7 480", 640, 480, {29970});
    return list;
  }();
  return presets;
}

}  // namespace vantorelle
