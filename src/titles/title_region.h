// A title region: the rectangle of the output frame in which a title track's
// titles appear. The region fields keep it inside the frame, and the regions
// of different title tracks may touch but not overlap.
#pragma once

#include <cstdint>

#include "model/pixel_rect.h"
#include "model/track.h"

namespace vantorelle {

struct FrameSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const FrameSize&) const = default;
};

// The frame of the current video standard.
FrameSize CurrentFrameSize();

struct TitleRegion {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;

  std::int32_t Right() const { return left + width; }
  std::int32_t Bottom() const { return top + height; }
  bool Inside(const FrameSize& frame) const {
    return left >= 0 && top >= 0 && Right() <= frame.width && Bottom() <= frame.height;
  }
  // Regions that only touch along an edge do not intersect.
  bool Intersects(const TitleRegion& other) const {
    return left < other.Right() && Right() > other.left && top < other.Bottom() && Bottom() > other.top;
  }
  bool operator==(const TitleRegion&) const = default;
};

TitleRegion RegionOf(const CTrack& track);
void SetRegion(CTrack& track, const TitleRegion& region);

// The edits of the region fields. Moving the corner keeps the size and stops
// the region at the frame's edges; changing the size or the far edges keeps
// the corner and cuts the size at the frame's edges. Nothing goes below 0.
TitleRegion WithLeft(TitleRegion region, std::int32_t left, const FrameSize& frame);
TitleRegion WithTop(TitleRegion region, std::int32_t top, const FrameSize& frame);
TitleRegion WithWidth(TitleRegion region, std::int32_t width, const FrameSize& frame);
TitleRegion WithHeight(TitleRegion region, std::int32_t height, const FrameSize& frame);
TitleRegion WithRight(TitleRegion region, std::int32_t right, const FrameSize& frame);
TitleRegion WithBottom(TitleRegion region, std::int32_t bottom, const FrameSize& frame);

// The preview shows the frame at half size; a region there is never thinner
// than 2 pixels, so even an empty one stays visible.
inline constexpr std::int32_t kPreviewMinimumExtent = 2;
FrameSize PreviewSize(const FrameSize& frame);
PixelRect PreviewRect(const TitleRegion& region);

}  // namespace vantorelle
