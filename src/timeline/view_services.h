// What the toolkit-free view controllers ask of the window they serve:
// repaints, status texts, mouse capture and timers. The desktop shell
// implements these with its widgets; tests record them and drive timers by
// hand.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/pixel_rect.h"

namespace vantorelle {

class ITimerService {
 public:
  virtual ~ITimerService() = default;
  // Starting a running timer again restarts it with the new interval.
  virtual void StartTimer(int id, int intervalMs) = 0;
  virtual void KillTimer(int id) = 0;
};

class IViewHost {
 public:
  virtual ~IViewHost() = default;
  // A repaint of the views named by the redraw mask (2 track area, 4 Clip
  // Collection, 8 ruler, 16 track headers).
  virtual void Repaint(std::uint32_t redrawMask) = 0;
  // A repaint of part of the asking view only.
  virtual void RepaintRect(const PixelRect& rect) = 0;
  virtual void SetStatusText(const std::string& text) = 0;
  virtual void SetMouseCapture(bool captured) = 0;
};

// A mouse event in the view's client pixels, with the button and key state
// at the time of the event.
struct MouseEvent {
  int x = 0;
  int y = 0;
  bool leftButton = false;
  bool rightButton = false;
  bool middleButton = false;
  bool ctrl = false;
  bool shift = false;
  bool alt = false;
};

// A context menu as data: the shell builds its menu from the items and
// hands back the chosen id.
struct MenuItem {
  int id = 0;  // 0 for a separator or a submenu
  std::string text;
  bool enabled = true;
  bool checked = false;
  std::vector<MenuItem> submenu;

  static MenuItem Separator() { return MenuItem{}; }
  bool IsSeparator() const { return id == 0 && text.empty(); }
};

}  // namespace vantorelle
