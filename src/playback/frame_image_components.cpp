#include "playback/frame_image_components.h"

#include <algorithm>

namespace vantorelle {

FrameImageComponents::FrameImageComponents(std::size_t moviesKept) : capacity_(std::max<std::size_t>(moviesKept, 1)) {}

std::unique_ptr<IKlpPlayMovie> FrameImageComponents::BorrowMovie(const std::string& path) {
  std::lock_guard lock(mutex_);
  const auto found = std::find_if(movies_.begin(), movies_.end(), [&](const KeptMovie& kept) { return kept.path == path; });
  if (found == movies_.end()) return nullptr;
  std::unique_ptr<IKlpPlayMovie> movie = std::move(found->movie);
  movies_.erase(found);
  return movie;
}

void FrameImageComponents::KeepMovie(const std::string& path, std::unique_ptr<IKlpPlayMovie> movie, bool opened) {
  std::list<KeptMovie> closed;  // closed outside the lock
  {
    std::lock_guard lock(mutex_);
    if (opened) ++opened_;
    for (auto it = movies_.begin(); it != movies_.end();) {
      const auto next = std::next(it);
      if (it->path == path) closed.splice(closed.end(), movies_, it);
      it = next;
    }
    movies_.push_front(KeptMovie{path, std::move(movie)});
    while (movies_.size() > capacity_) closed.splice(closed.end(), movies_, std::prev(movies_.end()));
  }
}

void FrameImageComponents::CloseMovie(const std::string& path) {
  std::list<KeptMovie> closed;
  std::lock_guard lock(mutex_);
  for (auto it = movies_.begin(); it != movies_.end();) {
    const auto next = std::next(it);
    if (it->path == path) closed.splice(closed.end(), movies_, it);
    it = next;
  }
}

void FrameImageComponents::CloseAll() {
  {
    std::lock_guard lock(mutex_);
    movies_.clear();
  }
  image.reset();
  jpeg.reset();
  scaler.reset();
}

bool FrameImageComponents::HoldsMovie(const std::string& path) const {
  std::lock_guard lock(mutex_);
  return std::any_of(movies_.begin(), movies_.end(), [&](const KeptMovie& kept) { return kept.path == path; });
}

std::size_t FrameImageComponents::MovieCount() const {
  std::lock_guard lock(mutex_);
  return movies_.size();
}

std::int64_t FrameImageComponents::MoviesOpened() const {
  std::lock_guard lock(mutex_);
  return opened_;
}

}  // namespace vantorelle
