// The board components the frame-picture worker keeps between pictures: the
// movies of the few files it used last, open, and the picture and JPEG image
// it decodes into. Opening a movie (reading its index, probing its streams)
// costs far more than one picture of it, so a run of pictures of one source
// opens the file once.
//
// The worker borrows a movie for each picture and gives it back after; any
// thread may close the movies kept meanwhile (a source being destroyed closes
// its file's movie), without waiting for the picture under way. The images
// belong to the thread making pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "playback/ffmpeg_handles.h"
#include "playback/klp_interfaces.h"

namespace vantorelle {

// Movies a worker keeps open: enough for the clips of a few sources side by
// side in the track area, few enough to hold little memory and few files.
inline constexpr std::size_t kFrameImageMoviesKept = 4;

class FrameImageComponents {
 public:
  explicit FrameImageComponents(std::size_t moviesKept = kFrameImageMoviesKept);
  FrameImageComponents(const FrameImageComponents&) = delete;
  FrameImageComponents& operator=(const FrameImageComponents&) = delete;

  // The kept open movie of path, taken out until it is kept again; null when
  // none is kept.
  std::unique_ptr<IKlpPlayMovie> BorrowMovie(const std::string& path);
  // Keeps an open movie as the most recently used; the least recently used
  // beyond the capacity is closed. opened: the movie was opened for this use.
  void KeepMovie(const std::string& path, std::unique_ptr<IKlpPlayMovie> movie, bool opened);
  // Closes the kept movie of path, if there is one.
  void CloseMovie(const std::string& path);
  // Closes every kept movie and drops the images.
  void CloseAll();

  bool HoldsMovie(const std::string& path) const;
  std::size_t MovieCount() const;
  // How many files were opened and kept since the start.
  std::int64_t MoviesOpened() const;

  // The picture every frame is decoded into, and the JPEG image of JPEG
  // streams; made on first use, kept until CloseAll.
  std::unique_ptr<IKlpPlayYCrCbImage> image;
  std::unique_ptr<IKlpPlayJPEGImage> jpeg;
  // Scales the software board's pictures straight to the thumbnail size.
  SwsContextPtr scaler;

 private:
  struct KeptMovie {
    std::string path;
    std::unique_ptr<IKlpPlayMovie> movie;
  };

  mutable std::mutex mutex_;
  std::size_t capacity_;
  std::list<KeptMovie> movies_;  // most recently used first
  std::int64_t opened_ = 0;
};

}  // namespace vantorelle
