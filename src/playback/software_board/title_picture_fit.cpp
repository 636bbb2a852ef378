#include "playback/software_board/title_picture_fit.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vantorelle {
namespace {

// The source pixels one target pixel of an axis covers, with how much of each.
struct Cover {
  std::int32_t first = 0;
  std::vector<float> weights;
};

std::vector<Cover> Covers(std::int32_t from, std::int32_t to) {
  std::vector<Cover> covers(static_cast<std::size_t>(to));
  const double step = static_cast<double>(from) / to;
  for (std::int32_t i = 0; i < to; ++i) {
    const double begin = i * step;
    const double end = std::min((i + 1) * step, static_cast<double>(from));
    Cover& cover = covers[static_cast<std::size_t>(i)];
    cover.first = static_cast<std::int32_t>(begin);
    for (std::int32_t j = cover.first; j < from && j < end; ++j) {
      cover.weights.push_back(static_cast<float>(std::min(end, j + 1.0) - std::max(begin, static_cast<double>(j))));
    }
  }
  return covers;
}

}  // namespace

TitleRect TitlePicturePlace(std::int32_t pictureWidth, std::int32_t pictureHeight, const TitleRect& region) {
  const TitleRect asIs{region.left, region.top, pictureWidth, pictureHeight};
  if (pictureWidth <= 0 || pictureHeight <= 0 || region.width <= 0 || region.height <= 0) return asIs;
  if (pictureWidth <= region.width && pictureHeight <= region.height) return asIs;
  const double scale = std::min(static_cast<double>(region.width) / pictureWidth,
                                static_cast<double>(region.height) / pictureHeight);
  const auto width = std::clamp(static_cast<std::int32_t>(std::lround(pictureWidth * scale)), 1, region.width);
  const auto height = std::clamp(static_cast<std::int32_t>(std::lround(pictureHeight * scale)), 1, region.height);
  return {region.left + (region.width - width) / 2, region.top + (region.height - height) / 2, width, height};
}

SharedTitleImage FitTitlePicture(const SharedTitleImage& picture, const TitleRect& region) {
  if (!picture) return picture;
  const RgbaPicture& source = *picture;
  const TitleRect place = TitlePicturePlace(source.width, source.height, region);
  if (place.width == source.width && place.height == source.height) return picture;
  if (source.pixels.size() < static_cast<std::size_t>(source.width) * source.height * 4) return picture;

  // Across first, into opacity-weighted sums, then down; each pass divides
  // by the width of source it covered.
  const std::vector<Cover> across = Covers(source.width, place.width);
  const std::vector<Cover> down = Covers(source.height, place.height);
  const auto columns = static_cast<std::size_t>(place.width);
  std::vector<float> rows(columns * static_cast<std::size_t>(source.height) * 4);
  for (std::int32_t y = 0; y < source.height; ++y) {
    const std::uint8_t* line = source.pixels.data() + static_cast<std::size_t>(y) * source.width * 4;
    float* out = rows.data() + static_cast<std::size_t>(y) * columns * 4;
    for (std::size_t x = 0; x < columns; ++x, out += 4) {
      const Cover& cover = across[x];
      float sums[4] = {0, 0, 0, 0};
      float covered = 0;
      for (std::size_t k = 0; k < cover.weights.size(); ++k) {
        const std::uint8_t* pixel = line + (static_cast<std::size_t>(cover.first) + k) * 4;
        const float w = cover.weights[k];
        const float a = pixel[3] * w;
        for (int c = 0; c < 3; ++c) sums[c] += pixel[c] * a;
        sums[3] += a;
        covered += w;
      }
      for (int c = 0; c < 4; ++c) out[c] = covered > 0 ? sums[c] / covered : 0.0f;
    }
  }
  auto fitted = std::make_shared<RgbaPicture>();
  fitted->width = place.width;
  fitted->height = place.height;
  fitted->pixels.resize(columns * static_cast<std::size_t>(place.height) * 4);
  for (std::int32_t y = 0; y < place.height; ++y) {
    const Cover& cover = down[static_cast<std::size_t>(y)];
    std::uint8_t* out = fitted->pixels.data() + static_cast<std::size_t>(y) * columns * 4;
    for (std::size_t x = 0; x < columns; ++x, out += 4) {
      float sums[4] = {0, 0, 0, 0};
      float covered = 0;
      for (std::size_t k = 0; k < cover.weights.size(); ++k) {
        const float* in = rows.data() + ((static_cast<std::size_t>(cover.first) + k) * columns + x) * 4;
        for (int c = 0; c < 4; ++c) sums[c] += in[c] * cover.weights[k];
        covered += cover.weights[k];
      }
      const float alpha = covered > 0 ? sums[3] / covered : 0.0f;
      for (int c = 0; c < 3; ++c) {
        const float value = sums[3] > 0 ? sums[c] / sums[3] : 0.0f;
        out[c] = static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
      }
      out[3] = static_cast<std::uint8_t>(std::clamp(std::lround(alpha), 0L, 255L));
    }
  }
  return fitted;
}

}  // namespace vantorelle
