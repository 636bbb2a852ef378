#include "playback/frame_image_cache.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace vantorelle {
namespace {

TimeMs FrameDelta() { return CurrentVideoStandard().FrameDelta; }

}  // namespace

std::uint32_t CFrameImageCache::SystemTick() {
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

CFrameImageCache::CFrameImageCache(TickSource tick) : tick_(std::move(tick)) {}

TimeMs CFrameImageCache::HalfTileSpanFor(TimeMs workAreaWidth, int clientWidth) {
  if (clientWidth <= 1) return workAreaWidth * 32.0;
  return 32.0 * workAreaWidth / (clientWidth - 1);
}

const CFrameImageBucket* CFrameImageCache::Bucket(const CSrc& source) const {
  for (const CFrameImageBucket& bucket : buckets_) {
    if (bucket.source == &source) return &bucket;
  }
  return nullptr;
}

bool CFrameImageCache::RegisterSource(const CSrc& source) {
  if (Bucket(source)) return false;
  buckets_.push_back(CFrameImageBucket{&source, {}});
  return true;
}

void CFrameImageCache::UnregisterSource(const CSrc& source) {
  for (auto it = buckets_.begin(); it != buckets_.end(); ++it) {
    if (it->source == &source) {
      pictureCount_ -= it->images.size();
      buckets_.erase(it);
      return;
    }
  }
}

void CFrameImageCache::ClearAll() {
  buckets_.clear();
  pictureCount_ = 0;
}

void CFrameImageCache::Signal() const {
  if (requestSignal_) requestSignal_();
}

void CFrameImageCache::MakeRoom() {
  if (pictureCount_ < kFrameImageCacheLimit) return;
  struct Aged {
    std::uint32_t age;
    CFrameImageBucket* bucket;
    std::list<CFrameImage>::iterator image;
  };
  const std::uint32_t now = tick_();
  std::vector<Aged> all;
  all.reserve(pictureCount_);
  for (CFrameImageBucket& bucket : buckets_) {
    for (auto it = bucket.images.begin(); it != bucket.images.end(); ++it) {
      all.push_back(Aged{static_cast<std::uint32_t>(now - it->created), &bucket, it});
    }
  }
  const std::size_t count = std::min(kTrimCount, all.size());
  std::partial_sort(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(count), all.end(),
                    [](const Aged& a, const Aged& b) { return a.age > b.age; });
  for (std::size_t i = 0; i < count; ++i) all[i].bucket->images.erase(all[i].image);
  pictureCount_ -= count;
}

bool CFrameImageCache::Store(FrameRequest&& request) {
  if (request.pixels.empty() || !request.source) return false;
  // Matched by address before anything of the source is read, and by path, so
  // a late result for a source that went meanwhile is dropped.
  CFrameImageBucket* bucket = nullptr;
  for (CFrameImageBucket& candidate : buckets_) {
    if (candidate.source == request.source) bucket = &candidate;
  }
  if (!bucket || bucket->source->path != request.path) return false;
  const SourceFlagBits flags = request.source->flags;
  CFrameImage image{std::move(request.pixels), tick_(), request.source, request.time};
  if (flags & SourceFlags::MovieFile) {
    if (!(flags & SourceFlags::PictureStreams)) return false;
    MakeRoom();
    auto at = std::find_if(bucket->images.begin(), bucket->images.end(),
                           [&](const CFrameImage& cached) { return cached.time > image.time; });
    bucket->images.insert(at, std::move(image));
    ++pictureCount_;
    return true;
  }
  if (flags & SourceFlags::VideoStream) {
    if (bucket->images.size() >= 2) return true;
    MakeRoom();
    bucket->images.push_back(std::move(image));
    ++pictureCount_;
    return true;
  }
  return false;
}

const CFrameImage* CFrameImageCache::Lookup(const CSrc& source, TimeMs time, bool exact) const {
  const CFrameImageBucket* bucket = Bucket(source);
  if (!bucket) return nullptr;
  if (bucket->images.empty()) {
    Signal();
    return nullptr;
  }
  if (IsStillImageSource(source.flags)) return &bucket->images.front();
  const CFrameImage* nearest = nullptr;
  TimeMs distance = 0.0;
  for (const CFrameImage& image : bucket->images) {
    const TimeMs d = std::abs(image.time - time);
    if (nearest && d >= distance) break;  // sorted: only farther ones follow
    nearest = &image;
    distance = d;
  }
  if (exact && distance > FrameDelta()) nearest = nullptr;
  if (!nearest) {
    Signal();
    return nullptr;
  }
  if (!exact && distance > halfTileSpan_ / 2.0) Signal();
  return nearest;
}

bool CFrameImageCache::HasNear(const CSrc& source, TimeMs time) const {
  const CFrameImageBucket* bucket = Bucket(source);
  if (!bucket || bucket->images.empty()) return false;
  if (IsStillImageSource(source.flags)) return true;
  const TimeMs delta = FrameDelta();
  return std::any_of(bucket->images.begin(), bucket->images.end(),
                     [&](const CFrameImage& image) { return std::abs(image.time - time) <= delta; });
}

std::optional<WantedFrameImage> CFrameImageCache::FirstMissing(const std::vector<WantedFrameImage>& wanted) const {
  std::vector<WantedFrameImage> missing = MissingBesides(wanted, {}, 1);
  if (missing.empty()) return std::nullopt;
  return missing.front();
}

std::optional<WantedFrameImage> CFrameImageCache::FirstMissing(const std::vector<WantedFrameImage>& wanted,
                                                               const WantedFrameImage& coming) const {
  std::vector<WantedFrameImage> missing = MissingBesides(wanted, {coming}, 1);
  if (missing.empty()) return std::nullopt;
  return missing.front();
}

std::vector<WantedFrameImage> CFrameImageCache::Missing(const std::vector<WantedFrameImage>& wanted,
                                                        const std::vector<WantedFrameImage>& coming,
                                                        std::size_t most) const {
  return MissingBesides(wanted, coming, most);
}

std::vector<WantedFrameImage> CFrameImageCache::MissingBesides(const std::vector<WantedFrameImage>& wanted,
                                                               std::vector<WantedFrameImage> coming,
                                                               std::size_t most) const {
  std::vector<WantedFrameImage> missing;
  if (most == 0) return missing;
  // The picture times of each movie looked at, gathered once: the track area
  // asks after every picture, and walking the lists for each wanted time
  // grows with the square of the pictures shown.
  std::vector<std::pair<const CSrc*, std::vector<TimeMs>>> times;
  const auto timesOf = [&](const CSrc& source, const CFrameImageBucket& bucket) -> const std::vector<TimeMs>& {
    for (const auto& [known, sorted] : times) {
      if (known == &source) return sorted;
    }
    std::vector<TimeMs> sorted;
    sorted.reserve(bucket.images.size());
    for (const CFrameImage& image : bucket.images) sorted.push_back(image.time);
    std::sort(sorted.begin(), sorted.end());
    return times.emplace_back(&source, std::move(sorted)).second;
  };
  const TimeMs delta = FrameDelta();
  // A still image needs one picture whatever the time; a movie's coming
  // picture stands for whatever lies within a frame of it.
  const auto isComing = [&](const WantedFrameImage& want, bool still) {
    return std::any_of(coming.begin(), coming.end(), [&](const WantedFrameImage& each) {
      return each.source == want.source && (still || std::abs(each.time - want.time) <= delta);
    });
  };
  for (const WantedFrameImage& want : wanted) {
    const CFrameImageBucket* bucket = want.source ? Bucket(*want.source) : nullptr;
    if (!bucket) continue;
    // An offline file cannot be read; asking for it again and again would only fail.
    if (want.source->offline) continue;
    if (IsStillImageSource(want.source->flags)) {
      if (!bucket->images.empty() || isComing(want, true)) continue;
    } else {
      if (!IsMovieImageSource(want.source->flags)) continue;
      if (isComing(want, false)) continue;
      const std::vector<TimeMs>& sorted = timesOf(*want.source, *bucket);
      // A picture within a frame of the time, on either side.
      const auto near = std::lower_bound(sorted.begin(), sorted.end(), want.time - delta);
      if (near != sorted.end() && *near <= want.time + delta) continue;
    }
    missing.push_back(want);
    if (missing.size() == most) break;
    coming.push_back(want);
  }
  return missing;
}

}  // namespace vantorelle
