// The clips' frame pictures: the cache the track area draws from and the
// work thread that fills it, served on the user-interface thread; and the
// waveforms of sound clips, made on a thread of their own.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "document/vantorelle_doc.h"
#include "playback/frame_image_cache.h"
#include "playback/frame_image_worker.h"
#include "playback/peak_store.h"
#include "playback/play_engine_control.h"
#include "timeline/work_area_view.h"

namespace vantorelle::shell {

// One picture place of a clip in the track area.
struct PictureTile {
  const CFilm* clip = nullptr;
  PixelRect rect;
  TimeMs sourceTime = 0.0;
};

// Where a clip's pictures go, by the snapshots setting: every tile, the two
// edges, or none.
std::vector<PictureTile> PictureTilesOf(const CFilm& clip, const PixelRect& clipRect, const WorkAreaView& view,
                                        std::uint16_t snapshotsType);

class FramePictures : public QObject, public IFrameImageView, public IPlaybackWorkThread {
 public:
  FramePictures(CVantorelleDoc& doc, std::unique_ptr<IKlpComponentFactory> factory, IUserInterface& ui,
                std::function<std::vector<PictureTile>()> visibleTiles, std::function<void()> repaint);
  ~FramePictures() override;

  CFrameImageCache& Cache() { return cache_; }
  PeakStore& Waveforms() { return waveforms_; }
  void SourceAdded(const CSrc& source) { cache_.RegisterSource(source); }
  // A source going takes the worker's open file of it along.
  void SourceRemoved(const CSrc& source) {
    cache_.UnregisterSource(source);
    worker_.CloseFile(source.path);
  }
  void Clear() {
    cache_.ClearAll();
    waveforms_.Clear();
    for (const auto& source : doc_.sources) worker_.CloseFile(source->path);
  }
  // The document's sources after an open: each gets its bucket.
  void RegisterAll();
  void Wake() { worker_.Signal(); }

  std::optional<FrameRequest> FetchRequest() override;
  std::optional<FrameRequest> FetchRequestAfter(const FrameRequest& underWay) override;
  std::vector<FrameRequest> FetchRequestsAfter(const std::vector<FrameRequest>& underWay, std::size_t most) override;
  bool DeliverResult(FrameRequest& request) override;
  void Suspend() override {
    worker_.Suspend();
    waveforms_.Suspend();
  }
  void Resume() override {
    worker_.Resume();
    waveforms_.Resume();
  }

 private:
  std::vector<WantedFrameImage> Wanted() const;

  CVantorelleDoc& doc_;
  FileInWork fileInWork_;
  CFrameImageCache cache_;
  FrameImageWorker worker_;
  std::function<std::vector<PictureTile>()> visibleTiles_;
  std::function<void()> repaint_;
  PeakStore waveforms_;
};

}  // namespace vantorelle::shell
