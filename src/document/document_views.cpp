#include "document/document_views.h"

namespace vantorelle {

PixelRect DefaultMainWindowRect(const PixelRect& desktopWorkArea) {
  const int width = desktopWorkArea.right - desktopWorkArea.left;
  const int height = desktopWorkArea.bottom - desktopWorkArea.top;
  const int windowWidth = width * 19 / 20;
  const int windowHeight = height * 19 / 20;
  const int left = desktopWorkArea.left + (width - windowWidth) / 2;
  const int top = desktopWorkArea.top + (height - windowHeight) / 2;
  return PixelRect{left, top, left + windowWidth, top + windowHeight};
}

}  // namespace vantorelle
