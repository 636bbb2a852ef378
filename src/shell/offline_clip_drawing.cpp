#include "offline_clip_drawing.h"

#include <QBrush>
#include <QPainter>

#include "collection/clip_list_columns.h"
#include "model/film.h"

namespace vantorelle::shell {

bool ShowsOffline(const CFilm* clip) { return clip && clip->source && clip->source->offline; }

void HatchOfflineClip(QPainter& painter, const QRect& clipRect) {
  painter.save();
  painter.setPen(Qt::NoPen);
  painter.setBrush(QBrush(kOfflineHatch, Qt::BDiagPattern));
  painter.drawRect(clipRect);
  painter.restore();
}

QString ClipLabel(const CFilm* clip, const std::string& name) {
  return QString::fromStdString(ShowsOffline(clip) ? name + kOfflineMarker : name);
}

}  // namespace vantorelle::shell
