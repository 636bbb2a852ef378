// Title pictures as the shell shows them: in the "Title Track Settings"
// preview, each slide region with its picture where the board puts it, and
// on the title clips of the track area a small thumbnail at their end.
#pragma once

#include <QImage>
#include <QPainter>
#include <map>
#include <string>
#include <vector>

#include "frame_pictures.h"
#include "titles/title_track_settings.h"

namespace vantorelle::shell {

// Pictures read once per file by the core's image decoder; a file that
// cannot be read gives a null image.
class TitlePictureCache {
 public:
  const QImage& Picture(const std::string& path);

 private:
  std::map<std::string, QImage> pictures_;
};

// The region's picture scaled into its place and cut to the region.
void DrawRegionPicture(QPainter& painter, const TitleTrackSettingsModel::PreviewRegion& region,
                       TitlePictureCache& pictures);

// The one thumbnail of a title clip with a still picture: at the clip's end,
// as high as the clip less its margins, when the clip is wide enough to keep
// room for its name.
std::vector<PictureTile> TitleClipTiles(const CFilm& clip, const PixelRect& clipRect);

}  // namespace vantorelle::shell
