#include "timeline/ruler_ticks.h"

#include <cmath>
#include <cstdio>

namespace vantorelle {

std::string RulerLabelText(TimeMs t, std::int32_t mode) {
  if (mode == static_cast<std::int32_t>(TimeDisplayMode::Frames)) {
    char text[32];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(std::trunc(t / CurrentVideoStandard().FrameDelta)));
    return text;
  }
  return FormatTimeDisplay(t, mode);
}

double ChooseRulerStep(const std::vector<double>& steps, const WorkArea& area, int clientWidth, int labelWidth) {
  const int w = clientWidth - 1;
  if (labelWidth <= 0 || w <= 0) return 0.0;
  const int fit = w / (2 * labelWidth);
  if (fit < 1) return 0.0;  // not even one label fits
  const double wanted = area.Width() / fit;
  for (const double step : steps) {
    if (step >= wanted) return step;
  }
  return 0.0;
}

int MinorParts(double step, std::int32_t mode) {
  auto partsFor = [](char digit) {
    switch (digit) {
      case '1': return 10;
      case '2': return 2;
      case '3': return 3;
      case '5': return 5;
      default: return 0;
    }
  };
  if (mode == static_cast<std::int32_t>(TimeDisplayMode::Milliseconds)) {
    for (const char c : FormatTimeDisplay(step, mode)) {
      if (c >= '1' && c <= '9') return partsFor(c);
    }
    return 0;
  }
  const long frames = static_cast<long>(std::trunc(step / CurrentVideoStandard().FrameDelta));
  if (frames < 10) return static_cast<int>(std::max(frames, 0L));
  const char first = std::to_string(frames)[0];
  return first == '1' ? 10 : first - '0';
}

RulerTicks LayOutRuler(const std::vector<double>& steps, const WorkArea& area, TimeMs projectSize, int clientWidth,
                       std::int32_t mode, const TextWidth& textWidth) {
  RulerTicks ticks;
  const int labelWidth = textWidth(RulerLabelText(projectSize, mode));
  ticks.step = ChooseRulerStep(steps, area, clientWidth, labelWidth);
  const double width = area.Width();
  const int w = clientWidth - 1;
  if (!(ticks.step > 0.0) || !(width > 0.0) || w <= 0) return ticks;
  const double step = ticks.step;
  ticks.firstTick = std::trunc(area.start / step) * step;
  if (ticks.firstTick >= area.start) ticks.firstTick -= step;
  ticks.lastTick = std::trunc(area.stop / step) * step;
  if (ticks.lastTick < area.stop) ticks.lastTick += step;
  const double scale = w / width;
  ticks.firstX = -static_cast<int>(std::lround((area.start - ticks.firstTick) * scale));
  ticks.lastX = w + static_cast<int>(std::lround((ticks.lastTick - area.stop) * scale));
  ticks.pixelsPerStep = scale * step;
  ticks.minorParts = MinorParts(step, mode);

  const int stepCount = static_cast<int>(std::lround((ticks.lastTick - ticks.firstTick) / step));
  for (int i = 0; i <= stepCount; ++i) {
    // Positions come from the times, so a tick on the work-area start sits at 0.
    const TimeMs t = ticks.firstTick + i * step;
    const double x = (t - area.start) * scale;
    if (x >= 0 && x <= w) {
      ticks.majorX.push_back(static_cast<int>(std::lround(x)));
      RulerLabel label{t, 0, RulerLabelText(t, mode)};
      const int textW = textWidth(label.text);
      label.x = static_cast<int>(std::lround(x)) - textW / 2;
      if (label.x < 0) label.x = 0;                       // the first label starts inside
      if (label.x + textW > w) label.x = w - textW;       // the last one ends inside
      ticks.labels.push_back(label);
    }
    if (i < stepCount && ticks.minorParts > 1) {
      for (int m = 1; m < ticks.minorParts; ++m) {
        const double minor = (t + m * step / ticks.minorParts - area.start) * scale;
        if (minor >= 0 && minor <= w) ticks.minorX.push_back(static_cast<int>(std::lround(minor)));
      }
    }
  }
  return ticks;
}

}  // namespace vantorelle
