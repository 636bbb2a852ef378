#include "titles/title_region.h"

#include <algorithm>

#include "model/time_base.h"

namespace vantorelle {

namespace {

// A corner position that keeps an extent inside [0, limit]; an extent wider
// than the frame (a region stored under another standard) pins it at 0.
std::int32_t LimitCorner(std::int32_t corner, std::int32_t extent, std::int32_t limit) {
  return std::max(0, std::min(corner, limit - extent));
}

std::int32_t LimitExtent(std::int32_t extent, std::int32_t corner, std::int32_t limit) {
  return std::max(0, std::min(extent, limit - corner));
}

}  // namespace

FrameSize CurrentFrameSize() {
  const VideoStandard& standard = CurrentVideoStandard();
  return FrameSize{standard.FrameWidth, standard.FrameHeight};
}

TitleRegion RegionOf(const CTrack& track) {
  return TitleRegion{track.regionLeft, track.regionTop, track.regionWidth, track.regionHeight};
}

void SetRegion(CTrack& track, const TitleRegion& region) {
  track.regionLeft = region.left;
  track.regionTop = region.top;
  track.regionWidth = region.width;
  track.regionHeight = region.height;
}

TitleRegion WithLeft(TitleRegion region, std::int32_t left, const FrameSize& frame) {
  region.left = LimitCorner(left, region.width, frame.width);
  return region;
}

TitleRegion WithTop(TitleRegion region, std::int32_t top, const FrameSize& frame) {
  region.top = LimitCorner(top, region.height, frame.height);
  return region;
}

TitleRegion WithWidth(TitleRegion region, std::int32_t width, const FrameSize& frame) {
  region.width = LimitExtent(width, region.left, frame.width);
  return region;
}

TitleRegion WithHeight(TitleRegion region, std::int32_t height, const FrameSize& frame) {
  region.height = LimitExtent(height, region.top, frame.height);
  return region;
}

TitleRegion WithRight(TitleRegion region, std::int32_t right, const FrameSize& frame) {
  return WithWidth(region, right - region.left, frame);
}

TitleRegion WithBottom(TitleRegion region, std::int32_t bottom, const FrameSize& frame) {
  return WithHeight(region, bottom - region.top, frame);
}

FrameSize PreviewSize(const FrameSize& frame) { return FrameSize{frame.width / 2, frame.height / 2}; }

PixelRect PreviewRect(const TitleRegion& region) {
  const int left = region.left / 2;
  const int top = region.top / 2;
  return PixelRect{left, top, left + std::max(region.width / 2, kPreviewMinimumExtent),
                   top + std::max(region.height / 2, kPreviewMinimumExtent)};
}

}  // namespace vantorelle
