// A rectangle of window pixels: right and bottom are just outside it.
#pragma once

namespace vantorelle {

struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  bool Empty() const { return right <= left || bottom <= top; }
  // True when the two share at least one pixel.
  bool Meets(const PixelRect& other) const {
    return !Empty() && !other.Empty() && left < other.right && other.left < right && top < other.bottom &&
           other.top < bottom;
  }
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const PixelRect&) const = default;
};

}  // namespace vantorelle
