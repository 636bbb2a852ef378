#include "playback/peak_store.h"

#include <algorithm>

#include "playback/peak_computing.h"
#include "playback/thread_priority.h"

namespace vantorelle {

PeakStore::PeakStore(std::string cacheFolder, std::function<void()> changed)
    : cache_(std::move(cacheFolder)), changed_(std::move(changed)), thread_([this] { Run(); }) {}

PeakStore::~PeakStore() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

std::shared_ptr<const WaveformPeaks> PeakStore::PeaksOf(const CSrc& source) {
  if ((source.flags & SourceFlags::LiveSource) || !(source.flags & SourceFlags::AudioStream) || source.path.empty()) {
    return nullptr;
  }
  const Version version{source.size, source.modified};
  std::lock_guard lock(mutex_);
  auto found = entries_.find(source.path);
  if (found != entries_.end() && found->second.version == version) return found->second.peaks;
  entries_[source.path] = Entry{version, nullptr};
  queue_.push_back(Job{source.path, version, generation_});
  wake_.notify_all();
  return nullptr;
}

void PeakStore::Put(const CSrc& source, WaveformPeaks peaks) {
  std::lock_guard lock(mutex_);
  std::erase_if(queue_, [&](const Job& job) { return job.path == source.path; });
  entries_[source.path] = Entry{Version{source.size, source.modified},
                                std::make_shared<const WaveformPeaks>(std::move(peaks))};
}

void PeakStore::Suspend() {
  std::lock_guard lock(mutex_);
  suspended_ = true;
}

void PeakStore::Resume() {
  {
    std::lock_guard lock(mutex_);
    suspended_ = false;
  }
  wake_.notify_all();
}

void PeakStore::Clear() {
  {
    std::lock_guard lock(mutex_);
    entries_.clear();
    queue_.clear();
    ++generation_;
  }
  wake_.notify_all();
}

void PeakStore::Run() {
  LowerThreadPriority();
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stopping_ || (!suspended_ && !queue_.empty()); });
    if (stopping_) return;
    const Job job = std::move(queue_.front());
    queue_.pop_front();
    lock.unlock();
    Produce(job);
    lock.lock();
  }
}

void PeakStore::Produce(const Job& job) {
  const std::optional<SourceFileIdentity> identity = IdentityOf(job.path);
  if (!identity) return;
  if (std::optional<WaveformPeaks> cached = cache_.Load(job.path, *identity)) {
    Publish(job, std::make_shared<const WaveformPeaks>(std::move(*cached)));
    return;
  }
  ++decodes_;
  auto published = std::chrono::steady_clock::now();
  std::optional<WaveformPeaks> peaks = ComputeWaveformPeaks(job.path, [&](const WaveformPeaks& sofar) {
    if (!MayGoOn(job)) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now - published < kPeakPublishInterval) return true;
    published = now;
    return Publish(job, std::make_shared<const WaveformPeaks>(sofar));
  });
  if (!peaks) return;
  // A file rewritten while it was read is measured again next time.
  if (IdentityOf(job.path) == identity) cache_.Save(job.path, *identity, *peaks);
  Publish(job, std::make_shared<const WaveformPeaks>(std::move(*peaks)));
}

bool PeakStore::MayGoOn(const Job& job) {
  std::unique_lock lock(mutex_);
  wake_.wait(lock, [&] { return stopping_ || !suspended_ || generation_ != job.generation; });
  if (stopping_ || generation_ != job.generation) return false;
  const auto found = entries_.find(job.path);
  return found != entries_.end() && found->second.version == job.version;
}

bool PeakStore::Publish(const Job& job, std::shared_ptr<const WaveformPeaks> peaks) {
  {
    std::lock_guard lock(mutex_);
    if (stopping_ || generation_ != job.generation) return false;
    const auto found = entries_.find(job.path);
    if (found == entries_.end() || found->second.version != job.version) return false;
    found->second.peaks = std::move(peaks);
  }
  if (changed_) changed_();
  return true;
}

}  // namespace vantorelle
