// Drives the board's output in real time for the editor: a thread that makes
// each output frame when the board clock reaches it, so the preview window
// and the sound device get the play as it happens. A frame that comes late
// is made at once and the next one keeps its place on the grid: playback
// never slows down to wait for a decoder.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "playback/software_board/board_clock.h"
#include "playback/software_board/board_output.h"

namespace vantorelle {

class RealtimePump {
 public:
  // Both must outlive the pump.
  RealtimePump(BoardOutput& output, const BoardClock& clock);
  ~RealtimePump();
  RealtimePump(const RealtimePump&) = delete;
  RealtimePump& operator=(const RealtimePump&) = delete;

  void Start();
  // Returns once the thread has ended.
  void Stop();
  bool Running() const { return running_; }

  // Frames made, and frames made after their time had passed by more than a frame.
  std::int64_t FramesMade() const { return made_; }
  std::int64_t LateFrames() const { return late_; }

 private:
  void Loop();

  BoardOutput& output_;
  const BoardClock& clock_;
  std::thread thread_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::atomic<bool> running_{false};
  std::atomic<std::int64_t> made_{0};
  std::atomic<std::int64_t> late_{0};
};

}  // namespace vantorelle
