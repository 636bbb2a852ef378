#include "timeline/ruler_layout.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace vantorelle {

namespace {

int PartsForLeadingDigit(char digit) {
  switch (digit) {
    case '1': return 10;
    case '2': return 2;
    case '3': return 3;
    case '5': return 5;
    default: return 0;
  }
}

int Round(double value) { return static_cast<int>(std::lround(value)); }

// Labels run from the first tick inside the work area to the last tick not
// beyond its stop; each is centred on its tick, the outer two kept inside.
void PlaceLabels(const RulerLayoutInput& input, const RulerFont& font, RulerLayout& layout) {
  const int w = input.clientWidth - 1;
  const int lastIndex = layout.lastTick > input.workArea.stop ? layout.stepCount - 1 : layout.stepCount;
  for (int i = 1; i <= lastIndex; ++i) {
    const int tickX = layout.firstTickX + Round(i * layout.pixelsPerStep);
    if (tickX < 0 || tickX > w) continue;
    RulerTickLabel label;
    label.time = layout.firstTick + i * layout.step;
    label.text = RulerTimeText(label.time, input.mode);
    const int textWidth = font.width(label.text);
    label.x = tickX - textWidth / 2;
    if (i == 1 && label.x < 0) label.x = 0;
    if (i == lastIndex && label.x + textWidth > input.clientWidth) label.x = input.clientWidth - textWidth;
    layout.labels.push_back(std::move(label));
  }
}

void PlaceTicks(int clientWidth, RulerLayout& layout) {
  const int w = clientWidth - 1;
  auto inside = [w](int x) { return x >= 0 && x <= w; };
  for (int i = 0; i <= layout.stepCount; ++i) {
    const int x = layout.firstTickX + Round(i * layout.pixelsPerStep);
    if (inside(x)) layout.majorTicksX.push_back(x);
    if (i == layout.stepCount || layout.minorParts < 2) continue;
    for (int part = 1; part < layout.minorParts; ++part) {
      const double steps = i + static_cast<double>(part) / layout.minorParts;
      const int minorX = layout.firstTickX + Round(steps * layout.pixelsPerStep);
      if (inside(minorX)) layout.minorTicksX.push_back(minorX);
    }
  }
}

}  // namespace

std::string RulerTimeText(TimeMs t, std::int32_t mode) { return FormatTimeDisplay(t, mode); }

double PickRulerStep(const std::vector<double>& steps, TimeMs workAreaWidth, int clientWidth, int labelWidth) {
  const int w = clientWidth - 1;
  const int room = 2 * std::max(labelWidth, 1);
  const int labelsThatFit = w > 0 ? w / room : 0;
  if (labelsThatFit < 1) return 0.0;
  const double wanted = workAreaWidth / labelsThatFit;
  for (const double step : steps) {
    if (step >= wanted) return step;
  }
  return 0.0;
}

int MinorPartsPerStep(double step, std::int32_t mode) {
  if (mode == static_cast<std::int32_t>(TimeDisplayMode::Milliseconds)) {
    for (const char c : RulerTimeText(step, mode)) {
      if (c >= '1' && c <= '9') return PartsForLeadingDigit(c);
    }
    return 0;
  }
  const double frameDelta = CurrentVideoStandard().FrameDelta;
  if (!(frameDelta > 0.0)) return 0;
  const long long frames = static_cast<long long>(std::trunc(step / frameDelta));
  if (frames < 10) return frames > 0 ? static_cast<int>(frames) : 0;
  const char leading = std::to_string(frames).front();
  return leading == '1' ? 10 : leading - '0';
}

RulerLayout ComputeRulerLayout(const RulerLayoutInput& input, const RulerFont& font) {
  RulerLayout layout;
  const WorkArea& area = input.workArea;
  const TimeMs width = area.Width();
  const int labelWidth = font.width(RulerTimeText(input.projectSize, input.mode));
  layout.step = PickRulerStep(input.steps, width, input.clientWidth, labelWidth);
  const int w = input.clientWidth - 1;
  if (!(layout.step > 0.0) || !(width > 0.0) || w <= 0) return layout;

  const double step = layout.step;
  layout.firstTick = std::trunc(area.start / step) * step;
  if (!(layout.firstTick < area.start)) layout.firstTick -= step;
  layout.lastTick = std::trunc(area.stop / step) * step;
  if (layout.lastTick < area.stop) layout.lastTick += step;
  const double pixelsPerMs = w / width;
  layout.firstTickX = -Round((area.start - layout.firstTick) * pixelsPerMs);
  layout.lastTickX = w + Round((layout.lastTick - area.stop) * pixelsPerMs);
  layout.pixelsPerStep = pixelsPerMs * step;
  layout.stepCount = Round((layout.lastTick - layout.firstTick) / step);
  layout.minorParts = MinorPartsPerStep(step, input.mode);

  PlaceTicks(input.clientWidth, layout);
  PlaceLabels(input, font, layout);
  return layout;
}

}  // namespace vantorelle
