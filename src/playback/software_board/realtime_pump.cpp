#include "playback/software_board/realtime_pump.h"

#include <chrono>
#include <cmath>

namespace vantorelle {
namespace {

// How often an idle board is looked at for a play that has started.
constexpr std::chrono::milliseconds kIdlePoll{10};

}  // namespace

RealtimePump::RealtimePump(BoardOutput& output, const BoardClock& clock) : output_(output), clock_(clock) {}

RealtimePump::~RealtimePump() { Stop(); }

void RealtimePump::Start() {
  if (running_.exchange(true)) return;
  thread_ = std::thread([this] { Loop(); });
}

void RealtimePump::Stop() {
  if (!running_.exchange(false)) return;
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void RealtimePump::Loop() {
  const double period = 1.0 / output_.Format().framesPerSecond;
  double next = clock_.Now();
  std::unique_lock lock(mutex_);
  while (running_) {
    const double now = clock_.Now();
    if (now + 1e-4 < next) {
      const auto wait = std::chrono::duration<double>(std::min(next - now, period));
      wake_.wait_for(lock, std::chrono::duration_cast<std::chrono::microseconds>(wait));
      continue;
    }
    lock.unlock();
    const bool playing = output_.RenderAt(now, false);
    lock.lock();
    if (!playing) {
      wake_.wait_for(lock, kIdlePoll);
      next = clock_.Now();
      continue;
    }
    ++made_;
    if (now - next > period) ++late_;
    // The next frame keeps its place on the grid; frames already missed are skipped.
    next += period;
    if (next < now) next += std::floor((now - next) / period + 1.0) * period;
  }
}

}  // namespace vantorelle
