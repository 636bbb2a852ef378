// How the edit-sequence harness reads its bytes: one step after another, each
// a kind byte (taken modulo the number of kinds) and a fixed number of
// argument bytes; bytes missing at the end read as zero. The seed writer
// spells its sequences with these.
#pragma once

#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <vector>

#include "timeline/command_ids.h"

namespace vantorelle::fuzzing {

enum class EditStep : std::uint8_t {
  DropSource,     // source, track, time (2 bytes, 10 ms units): the edit script's "drop"
  DragSourceIn,   // source, x (2), y (2): a source dragged over the track area and dropped
  PressOnClip,    // clip, zone, keys: the left button pressed on a part of a clip
  PressAt,        // x (2), y (2), keys: the left button pressed anywhere
  MoveTo,         // x (2), y (2)
  MoveBy,         // dx, dy (signed)
  Release,        // the left button let go where the mouse is
  TimerTick,      // which running timer
  Command,        // which main-window command
  AreaMenu,       // x (2), y (2), item: the track area's context menu
  Time,           // time (2)
  Range,          // start (2), stop (2)
  Select,         // count (0-3), then that many clip numbers
  Repeat,         // clip, count, pause (2)
  Tracks,         // video, audio: the track numbers
  Scroll,         // code, thumb position (2)
  PlaceSource,    // source: "Add source file…", placed by the next press
  HeaderMenu,     // track, item: a track header's context menu
  HeaderButton,   // track, button (solo / mute): pressed and let go
  Count
};

// Arguments each step reads after its kind byte.
inline constexpr std::size_t kStepArgumentBytes[] = {
    4,  // DropSource
    5,  // DragSourceIn
    3,  // PressOnClip
    5,  // PressAt
    4,  // MoveTo
    2,  // MoveBy
    0,  // Release
    1,  // TimerTick
    1,  // Command
    5,  // AreaMenu
    2,  // Time
    4,  // Range
    4,  // Select
    4,  // Repeat
    2,  // Tracks
    3,  // Scroll
    1,  // PlaceSource
    2,  // HeaderMenu
    2,  // HeaderButton
};
static_assert(std::size(kStepArgumentBytes) == static_cast<std::size_t>(EditStep::Count));

// Zones of PressOnClip, taken modulo their number.
enum class ClipZone : std::uint8_t { Body, LeftEdge, RightEdge, FadeIn, FadeOut, Volume, Count };

// Pixel coordinates are stored shifted so that a little outside the view is reachable.
inline constexpr int kPixelXShift = 100;
inline constexpr int kPixelYShift = 60;

// The main window's commands that open no dialog; Command steps pick by index.
inline const std::vector<int>& EditCommands() {
  using namespace CommandId;
  static const std::vector<int> ids{Delete,    Copy,        Cut,           Paste,        Insert,        SplitClip,
                                    SelectAll, DeselectAll, InvertSelection, Undo,       Redo,          Rewind,
                                    NextFrame, PreviousFrame, ZoomIn,      ZoomOut,      ZoomToProject, ZoomToRange,
                                    TimeInMilliseconds, TimeInFrames, TimeInSmpte};
  return ids;
}
inline std::uint8_t CommandIndex(int id) {
  const auto& ids = EditCommands();
  return static_cast<std::uint8_t>(std::find(ids.begin(), ids.end(), id) - ids.begin());
}

// Appends one step to a byte sequence.
inline void AppendStep(std::vector<std::uint8_t>& bytes, EditStep step, std::vector<std::uint8_t> arguments = {}) {
  arguments.resize(kStepArgumentBytes[static_cast<std::size_t>(step)]);
  bytes.push_back(static_cast<std::uint8_t>(step));
  bytes.insert(bytes.end(), arguments.begin(), arguments.end());
}

// A two-byte argument, low byte first.
inline std::uint8_t Low(int value) { return static_cast<std::uint8_t>(value & 0xFF); }
inline std::uint8_t High(int value) { return static_cast<std::uint8_t>((value >> 8) & 0xFF); }

}  // namespace vantorelle::fuzzing
