#include "title_pictures.h"

#include "frame_pictures.h"
#include "playback/software_board/image_file_decoder.h"
#include "qt_bridge.h"

namespace vantorelle::shell {

const QImage& TitlePictureCache::Picture(const std::string& path) {
  const auto known = pictures_.find(path);
  if (known != pictures_.end()) return known->second;
  RgbaPicture decoded;
  QImage image;
  if (DecodeImageFile(path, decoded) == KlpOk && decoded.width > 0 && decoded.height > 0) {
    image = QImage(decoded.pixels.data(), decoded.width, decoded.height, decoded.width * 4, QImage::Format_RGBA8888)
                .copy();
  }
  return pictures_.emplace(path, std::move(image)).first->second;
}

void DrawRegionPicture(QPainter& painter, const TitleTrackSettingsModel::PreviewRegion& region,
                       TitlePictureCache& pictures) {
  if (region.picture.empty()) return;
  const QImage& picture = pictures.Picture(region.picture);
  if (picture.isNull()) return;
  painter.save();
  painter.setClipRect(ToQRect(region.rect));
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(ToQRect(region.pictureRect), picture);
  painter.restore();
}

std::vector<PictureTile> TitleClipTiles(const CFilm& clip, const PixelRect& clipRect) {
  constexpr int kMargin = 3;
  constexpr int kRoomForName = 40;
  if (!clip.source || !IsStillImageSource(clip.source->flags)) return {};
  const int height = clipRect.bottom - clipRect.top - 2 * kMargin;
  if (height < 12) return {};
  const int width = height * kFrameImageWidth / kFrameImageHeight;
  if (clipRect.right - clipRect.left < width + kRoomForName) return {};
  const int right = clipRect.right - kMargin;
  return {PictureTile{&clip, {right - width, clipRect.top + kMargin, right, clipRect.top + kMargin + height},
                      clip.inPoint}};
}

}  // namespace vantorelle::shell
