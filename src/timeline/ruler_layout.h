// The time ruler's scale: which distance between major ticks fits the
// labels, where the major and minor ticks fall, the label texts and their
// places, and the fixed geometry of the ruler's strips.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/time_base.h"
#include "model/work_area.h"

namespace vantorelle {

// Pixels from the ruler's top edge, y downwards.
namespace TimeRulerGeometry {
inline constexpr int kBaseline = 25;
inline constexpr int kMajorTickTop = 19;
inline constexpr int kMinorTickTop = 22;
inline constexpr int kRangeStripTop = 25;
inline constexpr int kRangeStripBottom = 35;  // just below the strip
inline constexpr int kRangeBarTop = 26;
inline constexpr int kRangeBarBottom = 34;
inline constexpr int kMarkHalfWidth = 3;
inline constexpr int kMarkTop = 19;
inline constexpr int kMarkNameRaise = 2;

// Labels sit one and a half text heights above the baseline, so half a
// height of room stays between them and the ticks.
inline int LabelTop(int textHeight) { return kBaseline - (3 * textHeight) / 2; }
inline int MarkNameTop(int textHeight) { return LabelTop(textHeight) - kMarkNameRaise; }
}  // namespace TimeRulerGeometry

// The ruler's font as the layout needs it; tests give every character the
// same width.
struct RulerFont {
  std::function<int(const std::string&)> width;
  int height = 13;
};

struct RulerTickLabel {
  TimeMs time = 0.0;
  int x = 0;  // the left end of the text
  std::string text;
};

struct RulerLayout {
  double step = 0.0;  // ms between major ticks; 0 when no table entry fits
  TimeMs firstTick = 0.0;
  TimeMs lastTick = 0.0;
  int firstTickX = 0;
  int lastTickX = 0;
  double pixelsPerStep = 0.0;
  int stepCount = 0;
  int minorParts = 0;  // a step in m parts has m − 1 minor ticks
  std::vector<int> majorTicksX;  // only those inside the view
  std::vector<int> minorTicksX;
  std::vector<RulerTickLabel> labels;
};

// A time as the ruler writes it: milliseconds text, frame number or SMPTE.
std::string RulerTimeText(TimeMs t, std::int32_t mode);

// The first step of the table not shorter than the work-area width shared
// among the labels that fit with a label's width of room each; 0 when none.
double PickRulerStep(const std::vector<double>& steps, TimeMs workAreaWidth, int clientWidth, int labelWidth);

// How many parts the minor ticks cut one step into (0 or 1: no minor ticks).
int MinorPartsPerStep(double step, std::int32_t mode);

struct RulerLayoutInput {
  const std::vector<double>& steps;
  WorkArea workArea;
  TimeMs projectSize = 0.0;
  int clientWidth = 0;
  std::int32_t mode = 0;
};

// The sample label that sizes the step is the project size in the mode.
RulerLayout ComputeRulerLayout(const RulerLayoutInput& input, const RulerFont& font);

}  // namespace vantorelle
