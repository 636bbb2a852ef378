// How a clip of an offline source looks on its track: hatched over its fill,
// so that a person sees at once that its file is missing.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QPainter;

namespace vantorelle {
class CFilm;
}

namespace vantorelle::shell {

inline const QColor kOfflineHatch(200, 40, 40);

bool ShowsOffline(const CFilm* clip);

// Hatches the clip's rectangle; the caller draws the outline and the name.
void HatchOfflineClip(QPainter& painter, const QRect& clipRect);

// The name a clip shows: an offline one says so.
QString ClipLabel(const CFilm* clip, const std::string& name);

}  // namespace vantorelle::shell
