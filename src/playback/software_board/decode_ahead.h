// A worker thread that makes items 0, 1, 2, ... ahead of their use and keeps
// at most `capacity` of them, so the output takes what it needs without
// decoding itself. An item the output passed over while it was being made is
// kept as the late item: an output that does not wait takes it in place of
// nothing, so a picture slower to make than a frame (a long-GOP frame the
// idle preview asks for alone) still shows, late, rather than never. The producer runs on the worker thread only (its decoders
// belong to that thread); it answers nothing for an item whose content is not
// there yet, and the worker then waits for Notify.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace vantorelle {

template <typename T>
class AheadProducer {
 public:
  virtual ~AheadProducer() = default;
  virtual std::optional<T> Produce(std::int64_t index) = 0;
};

template <typename T>
class DecodeAhead {
 public:
  DecodeAhead(std::size_t capacity, std::unique_ptr<AheadProducer<T>> producer)
      : capacity_(capacity < 1 ? 1 : capacity), producer_(std::move(producer)),
        worker_([this] { Run(); }) {}
  ~DecodeAhead() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    worker_.join();
  }
  DecodeAhead(const DecodeAhead&) = delete;
  DecodeAhead& operator=(const DecodeAhead&) = delete;

  // The content grew: items the producer had nothing for may be there now.
  void Notify() {
    {
      std::lock_guard lock(mutex_);
      ++notices_;
      starvedAt_ = -1;  // what it lacked may be there now
    }
    changed_.notify_all();
  }

  // Item `index`, dropping every earlier one. Without waiting: when it is
  // not made yet, the late item if one newer than the last taken came in
  // meanwhile, else none, and a worker left behind jumps ahead past it. With
  // waiting: blocks until it is made, or none when the producer has nothing
  // for it.
  std::optional<T> Take(std::int64_t index, bool wait) {
    std::unique_lock lock(mutex_);
    for (;;) {
      while (!items_.empty() && items_.front().first < index) items_.pop_front();
      changed_.notify_all();
      if (!items_.empty() && items_.front().first == index) {
        T item = std::move(items_.front().second);
        items_.pop_front();
        changed_.notify_all();
        return Taken(index, std::move(item));
      }
      if (!wait && late_ && late_->first <= index && late_->first > lastTaken_) {
        std::pair<std::int64_t, T> late = std::move(*late_);
        late_.reset();
        if (items_.empty() && next_ <= index) JumpTo(index + 1);
        return Taken(late.first, std::move(late.second));
      }
      if (!items_.empty() || next_ > index) return std::nullopt;  // it was passed over
      if (!wait) {
        JumpTo(index + 1);
        return std::nullopt;
      }
      // Content that is not there yet is not waited for.
      if (starvedAt_ >= 0 && starvedAt_ <= index) return std::nullopt;
      if (next_ < index) JumpTo(index);
      taken_.wait(lock);
    }
  }

  // Item `index` as the last one there is: like Take without waiting, but an
  // item the worker passed over is made again rather than skipped, so the
  // final picture of a content shows however late the output looks for it.
  std::optional<T> TakeFinal(std::int64_t index) {
    std::lock_guard lock(mutex_);
    while (!items_.empty() && items_.front().first < index) items_.pop_front();
    changed_.notify_all();
    if (!items_.empty() && items_.front().first == index) {
      T item = std::move(items_.front().second);
      items_.pop_front();
      return Taken(index, std::move(item));
    }
    if (late_ && late_->first == index) {
      std::pair<std::int64_t, T> late = std::move(*late_);
      late_.reset();
      return Taken(index, std::move(late.second));
    }
    if (next_ > index) JumpTo(index);
    return std::nullopt;
  }

  // Whether the worker has nothing to do for item `index` until Notify.
  bool Starved(std::int64_t index) {
    std::lock_guard lock(mutex_);
    return starvedAt_ >= 0 && starvedAt_ <= index && items_.empty();
  }

  // Items made and not yet taken: how far the worker is ahead of the output.
  std::size_t ReadyAhead() {
    std::lock_guard lock(mutex_);
    return items_.size();
  }

 private:
  // Called with the lock held: notes the index handed out.
  T Taken(std::int64_t index, T item) {
    lastTaken_ = std::max(lastTaken_, index);
    if (late_ && late_->first <= lastTaken_) late_.reset();
    return item;
  }

  // Called with the lock held.
  void JumpTo(std::int64_t index) {
    items_.clear();
    next_ = index;
    ++generation_;
    changed_.notify_all();
  }

  void Run() {
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [this] { return stop_ || items_.size() < capacity_; });
      if (stop_) return;
      const std::int64_t index = next_;
      const std::uint64_t generation = generation_;
      const std::uint64_t notices = notices_;
      lock.unlock();
      std::optional<T> item = producer_->Produce(index);
      lock.lock();
      if (generation != generation_) {
        // Passed over while it was made: kept for an output that does not wait.
        if (item && index > lastTaken_ && (!late_ || late_->first < index)) late_.emplace(index, std::move(*item));
        continue;
      }
      if (!item) {
        starvedAt_ = index;
        taken_.notify_all();
        changed_.wait(lock, [&] { return stop_ || notices != notices_ || generation != generation_; });
        starvedAt_ = -1;
        continue;
      }
      items_.emplace_back(index, std::move(*item));
      ++next_;
      taken_.notify_all();
    }
  }

  const std::size_t capacity_;
  std::unique_ptr<AheadProducer<T>> producer_;
  std::mutex mutex_;
  std::condition_variable changed_;  // wakes the worker
  std::condition_variable taken_;    // wakes a waiting consumer
  std::deque<std::pair<std::int64_t, T>> items_;
  std::int64_t next_ = 0;
  std::uint64_t generation_ = 0;
  std::uint64_t notices_ = 0;
  std::int64_t starvedAt_ = -1;
  std::optional<std::pair<std::int64_t, T>> late_;  // the newest item made after it was passed over
  std::int64_t lastTaken_ = -1;
  bool stop_ = false;
  std::thread worker_;  // last: starts once everything above is made
};

}  // namespace vantorelle
