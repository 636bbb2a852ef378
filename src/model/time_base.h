// Every time in the system is a TimeMs: a double count of milliseconds. Frames
// exist only through the process-wide video standard. This file holds that
// standard, the two frame-snapping rules and every text form of a time.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vantorelle {

using TimeMs = double;

// The board's video format; one process-wide record, set at start-up.
struct VideoStandard {
  std::int32_t FrameWidth = 720;
  std::int32_t FrameHeight = 576;
  std::int32_t FrameRate = 25000;  // frames per 1000 s
  double FrameDelta = 40.0;        // ms per frame
  double StartDelay = 400.0;       // ms before playback starts

  // The standard for a frame rate given as frames per second (29.97, 25, ...).
  static VideoStandard FromBoard(std::int32_t width, std::int32_t height,
                                 double framesPerSecond);
};

// The process-wide standard. It is set once at start-up (and by tests).
const VideoStandard& CurrentVideoStandard();
void SetVideoStandard(const VideoStandard& standard);

// True when the board answered the video-format query at start-up.
bool BoardPresent();
void SetBoardPresent(bool present);

// The frame size that all movie pictures of a project share; 0 × 0 while the
// project holds no movie picture clip.
struct ProjectFrameSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const ProjectFrameSize&) const = default;
};

enum class TimeDisplayMode : std::int32_t { Milliseconds = 0, Frames = 1, Smpte = 2 };

// Largest value a typed time field holds.
inline constexpr TimeMs TimeEditMaximum = 100'000'000.0;

// Whole-millisecond length of one frame, never below 1 ms.
std::int64_t WholeFrameDelta();

// One frame of the grid that editing snaps to: FrameDelta in whole
// milliseconds in the four SD formats (33 ms at 29.97), FrameDelta itself in
// every other format.
TimeMs SnappingFrameLength();

TimeMs SnapToFrameFloor(TimeMs t);
TimeMs SnapToFrameNearest(TimeMs t);

std::string FormatTimeFull(TimeMs t);       // HH:MM:SS:mmm
std::string FormatTimeCompact(TimeMs t);    // leading zero fields cut
std::string FormatTimeSmpte(std::string_view compact);  // ms field as frame number
std::string FormatFrameCounter(TimeMs t);
std::string FormatTimeDisplay(TimeMs t, std::int32_t mode);
inline std::string FormatTimeDisplay(TimeMs t, TimeDisplayMode mode) {
  return FormatTimeDisplay(t, static_cast<std::int32_t>(mode));
}

TimeMs ParseTimeText(std::string_view text);
// Rewrites text to the full form of the bound it passes (v <= min, or v > max).
void ClampTimeText(std::string& text, TimeMs min, TimeMs max);

}  // namespace vantorelle
