// The track area's store of frame pictures: one bucket per registered source,
// a movie's pictures sorted by time, all buckets together bounded by
// kFrameImageCacheLimit and trimmed oldest first. Used on the user-interface
// thread only; the worker's results reach it through the view.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <list>
#include <optional>
#include <vector>

#include "playback/frame_image.h"

namespace vantorelle {

struct CFrameImageBucket {
  const CSrc* source = nullptr;
  std::list<CFrameImage> images;  // by time ascending
};

// A picture a clip would like drawn: the source and the time in it.
struct WantedFrameImage {
  const CSrc* source = nullptr;
  TimeMs time = 0.0;
};

class CFrameImageCache {
 public:
  // Milliseconds since some fixed moment, wrapping at 2^32.
  using TickSource = std::function<std::uint32_t()>;
  static std::uint32_t SystemTick();

  // How many pictures one trim removes.
  static constexpr std::size_t kTrimCount = 16;

  explicit CFrameImageCache(TickSource tick = &CFrameImageCache::SystemTick);

  // Called whenever a lookup finds the picture missing or too far off: the
  // worker's request event.
  void SetRequestSignal(std::function<void()> signal) { requestSignal_ = std::move(signal); }

  // The time that 32 pixels of the track area cover at the current zoom.
  void SetHalfTileSpan(TimeMs span) { halfTileSpan_ = span; }
  TimeMs HalfTileSpan() const { return halfTileSpan_; }
  static TimeMs HalfTileSpanFor(TimeMs workAreaWidth, int clientWidth);

  // True when a bucket was added (false when the source had one).
  bool RegisterSource(const CSrc& source);
  void UnregisterSource(const CSrc& source);
  void ClearAll();

  // Files a finished request: true when its picture was kept, or dropped as a
  // still image's third; false when there is no picture, no bucket for the
  // source, the source now names another file, or it has no picture stream. A movie's picture is filed
  // in time order; filing may first remove the oldest pictures of any source.
  bool Store(FrameRequest&& request);

  // The picture to draw for time in source. Still image: its first picture.
  // Movie: the nearest; with exact, none when that is more than a frame off.
  // A miss, or a nearest farther than half the half-tile span, signals for
  // more work. The pointer stays valid until the next Store, Unregister or Clear.
  const CFrameImage* Lookup(const CSrc& source, TimeMs time, bool exact) const;

  // True when the bucket holds a picture within a frame of time. A still image
  // needs one picture whatever the time, so any picture of one counts.
  bool HasNear(const CSrc& source, TimeMs time) const;

  // The first wanted picture the cache cannot answer (registered sources with
  // a picture stream only): what the view hands the worker next.
  std::optional<WantedFrameImage> FirstMissing(const std::vector<WantedFrameImage>& wanted) const;
  // The same with the picture coming (asked for, not yet stored) counted as
  // there: what the view hands the worker after it.
  std::optional<WantedFrameImage> FirstMissing(const std::vector<WantedFrameImage>& wanted,
                                               const WantedFrameImage& coming) const;
  // The first most wanted pictures the cache cannot answer, in the order of
  // wanted, with the pictures coming counted as there: what the view hands
  // the worker, one after another, after the pictures under way. Each one
  // found counts as coming for those after it, so two wanted times within a
  // frame of each other give one picture.
  std::vector<WantedFrameImage> Missing(const std::vector<WantedFrameImage>& wanted,
                                        const std::vector<WantedFrameImage>& coming, std::size_t most) const;

  std::size_t PictureCount() const { return pictureCount_; }
  const CFrameImageBucket* Bucket(const CSrc& source) const;
  std::size_t BucketCount() const { return buckets_.size(); }

 private:
  void MakeRoom();
  void Signal() const;
  std::vector<WantedFrameImage> MissingBesides(const std::vector<WantedFrameImage>& wanted,
                                               std::vector<WantedFrameImage> coming, std::size_t most) const;

  TickSource tick_;
  std::function<void()> requestSignal_;
  TimeMs halfTileSpan_ = 0.0;
  std::list<CFrameImageBucket> buckets_;
  std::size_t pictureCount_ = 0;
};

}  // namespace vantorelle
