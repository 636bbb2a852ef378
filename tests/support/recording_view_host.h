// Recording stand-ins for the window services of the view controllers:
// repaints, status texts, mouse capture and timers, which tests fire by hand.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "timeline/view_services.h"
#include "timeline/work_area_navigator.h"

namespace vantorelle::testing {

class RecordingViewHost : public IViewHost {
 public:
  void Repaint(std::uint32_t mask) override { repaints.push_back(mask); }
  void RepaintRect(const PixelRect& rect) override { rectRepaints.push_back(rect); }
  void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
  void SetMouseCapture(bool captured) override { mouseCaptured = captured; }

  std::vector<std::uint32_t> repaints;
  std::vector<PixelRect> rectRepaints;
  std::vector<std::string> statusTexts;
  bool mouseCaptured = false;
};

class NoWorkAreaDisplay : public IWorkAreaDisplay {
 public:
  void ShowWorkArea(const WorkAreaDisplay&) override {}
  void ShowCurrentTime(TimeMs) override {}
};

class ManualTimers : public ITimerService {
 public:
  void StartTimer(int id, int intervalMs) override { running[id] = intervalMs; }
  void KillTimer(int id) override { running.erase(id); }
  bool IsRunning(int id) const { return running.count(id) != 0; }

  std::map<int, int> running;  // id → interval
};

}  // namespace vantorelle::testing
