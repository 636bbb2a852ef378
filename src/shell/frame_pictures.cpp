#include "frame_pictures.h"

#include <QMetaObject>

#include "document/document_settings.h"
#include "title_pictures.h"

namespace vantorelle::shell {

std::vector<PictureTile> PictureTilesOf(const CFilm& clip, const PixelRect& clipRect, const WorkAreaView& view,
                                        std::uint16_t snapshotsType) {
  std::vector<PictureTile> tiles;
  if (clip.track && clip.track->Group() == TrackGroup::Title && (snapshotsType & SnapshotsType::ImageEveryFrame)) {
    return TitleClipTiles(clip, clipRect);
  }
  if (!clip.source || !clip.track || clip.track->Group() != TrackGroup::Video) return tiles;
  const bool movie = IsMovieImageSource(clip.source->flags);
  const bool still = IsStillImageSource(clip.source->flags);
  if (!movie && !still) return tiles;
  const int height = clipRect.bottom - clipRect.top - 6;
  if (height < 12) return tiles;
  const int width = height * 4 / 3;
  if (clipRect.right - clipRect.left < width) return tiles;
  const auto tileAt = [&](int left) {
    const TimeMs atTime = view.PixelToTime(left);
    const TimeMs offset = std::clamp(atTime - clip.start, 0.0, std::max(0.0, clip.duration - CurrentVideoStandard().FrameDelta));
    return PictureTile{&clip, {left, clipRect.top + 3, left + width, clipRect.top + 3 + height}, clip.inPoint + offset};
  };
  if (still) {
    if (!(snapshotsType & SnapshotsType::ImageEveryFrame)) return tiles;
  } else if (snapshotsType & SnapshotsType::MovieEdges) {
    tiles.push_back(tileAt(clipRect.left));
    if (clipRect.right - clipRect.left >= 2 * width) {
      PictureTile last{&clip,
                       {clipRect.right - width, clipRect.top + 3, clipRect.right, clipRect.top + 3 + height},
                       clip.inPoint + std::max(0.0, clip.duration - CurrentVideoStandard().FrameDelta)};
      tiles.push_back(last);
    }
    return tiles;
  } else if (!(snapshotsType & SnapshotsType::MovieEveryFrame)) {
    return tiles;
  }
  for (int left = clipRect.left; left + width <= clipRect.right; left += width) tiles.push_back(tileAt(left));
  return tiles;
}

FramePictures::FramePictures(CVantorelleDoc& doc, std::unique_ptr<IKlpComponentFactory> factory, IUserInterface& ui,
                             std::function<std::vector<PictureTile>()> visibleTiles, std::function<void()> repaint)
    : doc_(doc), worker_(std::move(factory), fileInWork_), visibleTiles_(std::move(visibleTiles)),
      repaint_(std::move(repaint)),
      // Waveforms grow on their thread; the view repaints on its own.
      waveforms_(PeakCacheFolderFor(ProcessEnvironment()),
                 [this] { QMetaObject::invokeMethod(this, [this] { repaint_(); }, Qt::QueuedConnection); }) {
  cache_.SetRequestSignal([this] { worker_.Signal(); });
  // The worker only says a hand-over waits; the user-interface thread serves
  // it then, and polls for nothing while no picture is being made.
  worker_.SetHandOverNotifier([this] {
    QMetaObject::invokeMethod(this, [this] { worker_.ServeHandOver(); }, Qt::QueuedConnection);
  });
  worker_.Start(*this, ui);
  RegisterAll();
}

FramePictures::~FramePictures() {
  worker_.Stop();
}

void FramePictures::RegisterAll() {
  for (const auto& source : doc_.sources) cache_.RegisterSource(*source);
  worker_.Signal();
}

std::vector<WantedFrameImage> FramePictures::Wanted() const {
  std::vector<WantedFrameImage> wanted;
  for (const PictureTile& tile : visibleTiles_()) wanted.push_back({tile.clip->source, tile.sourceTime});
  return wanted;
}

std::optional<FrameRequest> FramePictures::FetchRequest() {
  const auto missing = cache_.FirstMissing(Wanted());
  if (!missing) return std::nullopt;
  return MakeFrameRequest(*missing->source, missing->time);
}

std::optional<FrameRequest> FramePictures::FetchRequestAfter(const FrameRequest& underWay) {
  const auto missing = cache_.FirstMissing(Wanted(), {underWay.source, underWay.time});
  if (!missing) return std::nullopt;
  return MakeFrameRequest(*missing->source, missing->time);
}

std::vector<FrameRequest> FramePictures::FetchRequestsAfter(const std::vector<FrameRequest>& underWay,
                                                            std::size_t most) {
  std::vector<WantedFrameImage> coming;
  for (const FrameRequest& request : underWay) coming.push_back({request.source, request.time});
  std::vector<FrameRequest> next;
  for (const WantedFrameImage& missing : cache_.Missing(Wanted(), coming, most)) {
    next.push_back(MakeFrameRequest(*missing.source, missing.time));
  }
  return next;
}

bool FramePictures::DeliverResult(FrameRequest& request) {
  const bool stored = cache_.Store(std::move(request));
  if (stored) repaint_();
  return stored;
}

}  // namespace vantorelle::shell
