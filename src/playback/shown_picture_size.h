// The size at which a board's frame is seen: its width stretched by the
// shape of its pixels (PAL's are wider than high), and fitted into a room
// such as a window or part of the screen with that shape kept.
#pragma once

#include <cstdint>

namespace vantorelle {

struct ShownSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const ShownSize&) const = default;
};

// The frame as seen: width × pixelAspect by height, rounded.
ShownSize ShownFrameSize(std::int32_t width, std::int32_t height, double pixelAspect);

// The largest size of the shape's proportions that fits in the room and is
// not larger than the shape itself; never smaller than 1 × 1.
ShownSize FitShownSize(ShownSize shape, ShownSize room);

}  // namespace vantorelle
