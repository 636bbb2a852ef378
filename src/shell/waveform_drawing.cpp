#include "waveform_drawing.h"

#include <QPainter>
#include <QPoint>
#include <vector>

#include "playback/peak_store.h"
#include "qt_bridge.h"
#include "timeline/waveform_shape.h"

namespace vantorelle::shell {

QColor WaveformColour(const QColor& fill) {
  // Plain 8-bit RGB, as painted.
  return QColor((fill.lightness() > 96 ? fill.darker(170) : fill.lighter(190)).rgb());
}

void DrawClipWaveform(QPainter& painter, const ClipPicture& clip, const WorkAreaView& view, PeakStore& peaks) {
  if (!clip.clip || !clip.clip->track || clip.levelLine.count == 0 || !ShowsWaveform(*clip.clip)) return;
  const std::shared_ptr<const WaveformPeaks> known = peaks.PeaksOf(*clip.clip->source);
  if (!known) return;
  // Inside the clip's outline, as the track area draws it.
  const PixelRect box{clip.rect.left + 1, clip.rect.top + 3, clip.rect.right - 2, clip.rect.bottom - 4};
  const std::vector<WaveformColumn> columns =
      ShapeWaveform(*known, *clip.clip, view, clip.levelLine, ZeroLevelY(clip.clip->track->bottom), box);
  if (columns.empty()) return;
  // Solid rectangles are the raster engine's fastest shape, well ahead of lines.
  const QColor colour = WaveformColour(ToQColor(clip.fill));
  for (const WaveformColumn& column : columns) {
    painter.fillRect(column.x, column.top, 1, column.bottom - column.top + 1, colour);
  }
}

void DrawLevelLine(QPainter& painter, const ClipPicture& clip) {
  if (clip.levelLine.count == 0) return;
  QPoint points[4];
  for (int i = 0; i < clip.levelLine.count; ++i) {
    const LinePoint& point = clip.levelLine.points[static_cast<std::size_t>(i)];
    points[i] = QPoint(point.x, point.y);
  }
  painter.setPen(QPen(kLevelLine, 1));
  painter.drawPolyline(points, clip.levelLine.count);
}

}  // namespace vantorelle::shell
