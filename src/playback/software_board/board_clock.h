// The clock the board's play components run against. Playback uses the
// steady clock; rendering to a file uses a virtual clock that moves only when
// the renderer has produced the output for the time it stands at, so the
// result does not depend on how fast the machine is.
#pragma once

#include <atomic>
#include <chrono>

namespace vantorelle {

class BoardClock {
 public:
  virtual ~BoardClock() = default;
  // Seconds since the clock's origin; never goes back.
  virtual double Now() const = 0;
};

class SteadyBoardClock final : public BoardClock {
 public:
  SteadyBoardClock() : origin_(std::chrono::steady_clock::now()) {}
  double Now() const override {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - origin_).count();
  }

 private:
  std::chrono::steady_clock::time_point origin_;
};

class VirtualBoardClock final : public BoardClock {
 public:
  double Now() const override { return now_.load(); }
  // Negative or non-finite steps are ignored: the clock never goes back.
  void Advance(double seconds);

 private:
  std::atomic<double> now_{0.0};
};

}  // namespace vantorelle
