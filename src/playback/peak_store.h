// The waveforms of the project's sources: asked for by the track area as it
// draws, made on a work thread of their own and handed over as they grow.
//
// PeaksOf never waits: it answers what is known now (nothing, the part
// measured so far, or the whole) and, the first time a version of a source is
// asked for, queues it. The work thread takes the queue in order: it loads a
// source's peaks from the peak cache, or decodes the file, publishing the
// peaks measured so far every kPeakPublishInterval and saving the whole to the
// cache at the end. Each time it publishes it calls the change callback (on
// the work thread; the view repaints from it).
//
// A version of a source is its path, size and last-write text as the source
// record holds them: a file found changed gets new peaks.
//
// Use on the user-interface thread; Suspend() and Resume() around playback
// (the thread parks between pieces), Clear() between projects.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "model/src.h"
#include "playback/peak_cache.h"
#include "playback/waveform_peaks.h"

namespace vantorelle {

inline constexpr std::chrono::milliseconds kPeakPublishInterval{150};

class PeakStore {
 public:
  PeakStore(std::string cacheFolder, std::function<void()> changed);
  ~PeakStore();
  PeakStore(const PeakStore&) = delete;
  PeakStore& operator=(const PeakStore&) = delete;

  // What is known of the source's peaks now; none before the first publish,
  // for a source without sound, and for a live source.
  std::shared_ptr<const WaveformPeaks> PeaksOf(const CSrc& source);
  // Peaks of a source made elsewhere, taken as they are.
  void Put(const CSrc& source, WaveformPeaks peaks);

  void Suspend();
  void Resume();
  // Forgets every source; the work under way is given up.
  void Clear();

  // How many files were decoded rather than found in the cache.
  std::size_t DecodeCount() const { return decodes_.load(); }

 private:
  struct Version {
    std::uint32_t size = 0;
    std::string modified;
    bool operator==(const Version&) const = default;
  };
  struct Entry {
    Version version;
    std::shared_ptr<const WaveformPeaks> peaks;
  };
  struct Job {
    std::string path;
    Version version;
    std::uint64_t generation = 0;
  };

  void Run();
  void Produce(const Job& job);
  // Hands peaks over if the job is still wanted; false when it is not.
  bool Publish(const Job& job, std::shared_ptr<const WaveformPeaks> peaks);
  // Between pieces: parks while suspended; false when the job is to stop.
  bool MayGoOn(const Job& job);

  PeakCache cache_;
  std::function<void()> changed_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::map<std::string, Entry> entries_;  // by path
  std::deque<Job> queue_;
  std::uint64_t generation_ = 0;  // grows with every Clear
  bool suspended_ = false;
  bool stopping_ = false;
  std::atomic<std::size_t> decodes_{0};
  std::thread thread_;  // last: starts once everything above is made
};

}  // namespace vantorelle
