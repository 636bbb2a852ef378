// The ruler's scale: which step between major ticks fits the labels, where
// the ticks fall, how each step is divided and where the labels go.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/time_base.h"
#include "model/work_area.h"

namespace vantorelle {

// Pixels a text takes in the ruler's font.
using TextWidth = std::function<int(const std::string&)>;

struct RulerLabel {
  TimeMs time = 0.0;
  int x = 0;  // left end of the text
  std::string text;
};

struct RulerTicks {
  double step = 0.0;  // ms between major ticks; 0 when none fits
  TimeMs firstTick = 0.0;
  TimeMs lastTick = 0.0;
  int firstX = 0;
  int lastX = 0;
  double pixelsPerStep = 0.0;
  int minorParts = 0;  // a step in m parts has m − 1 minor ticks
  std::vector<int> majorX;
  std::vector<int> minorX;
  std::vector<RulerLabel> labels;
};

// A time as the ruler labels it in a display mode: milliseconds text,
// frame number or SMPTE.
std::string RulerLabelText(TimeMs t, std::int32_t mode);
// The first candidate step not shorter than the work-area width over the
// number of labels that fit (each with its own width of room).
double ChooseRulerStep(const std::vector<double>& steps, const WorkArea& area, int clientWidth, int labelWidth);
int MinorParts(double step, std::int32_t mode);
RulerTicks LayOutRuler(const std::vector<double>& steps, const WorkArea& area, TimeMs projectSize, int clientWidth,
                       std::int32_t mode, const TextWidth& textWidth);

}  // namespace vantorelle
