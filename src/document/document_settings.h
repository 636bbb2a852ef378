// The preferences a project carries and the "Document" section of the
// settings store that hands them from one run of the program to the next.
#pragma once

#include <array>
#include <cstdint>

#include "document/settings_store.h"
#include "model/mark.h"
#include "model/project_times.h"
#include "model/track.h"
#include "model/work_area.h"

namespace vantorelle {

// How clip pictures are drawn: one bit for movie clips, one for single images.
namespace SnapshotsType {
inline constexpr std::uint16_t MovieNone = 0x0001;
inline constexpr std::uint16_t MovieEdges = 0x0002;
inline constexpr std::uint16_t MovieEveryFrame = 0x0004;
inline constexpr std::uint16_t ImageNone = 0x0100;
inline constexpr std::uint16_t ImageEveryFrame = 0x0200;
inline constexpr std::uint16_t Default = MovieEveryFrame | ImageEveryFrame;
}  // namespace SnapshotsType

struct DocumentPreferences {
  std::int32_t settingsPageIndex = 0;
  // Stored filter indexes (see FilterPositionOf); the defaults are all media files.
  std::int32_t dirViewFilterIndex = -1;
  std::int32_t timeDisplayMode = 0;  // TimeDisplayMode
  std::int32_t loadClipFilterIndex = 0;
  std::int32_t loadSourceFilterIndex = 0;
  std::int32_t undoDepth = 100;
  std::int32_t exclusiveSolo = 0;
  std::int32_t pillarcastCompatible = 0;
  std::int32_t pickRedLine = 0;
  std::uint16_t snapshotsType = SnapshotsType::Default;
  std::int32_t playbackStartType = 1;  // 0 after a key press, 1 immediately
  std::int32_t repeatClipValue = 1;
  std::int32_t firstVisibleTrack = 0;
  // Dragged clip edges are drawn to the edges, marks and range nearby.
  std::int32_t snapToEdges = 1;
};

// The clip outline and fill colours of the track kinds, in kind order:
// video, alpha video, B video, audio, movable title, slide title.
struct ClipColours {
  std::array<ColourRef, 6> outline;
  std::array<ColourRef, 6> fill;

  static ClipColours Defaults();
  // Index of a track kind byte in the arrays; -1 for no kind.
  static int IndexOfKind(TrackType kind);
};

inline constexpr ColourRef Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) { return r | (g << 8) | (b << 16); }

// Everything the "Document" section holds.
struct DocumentSettings {
  DocumentPreferences preferences;
  ProjectTimes times;
  WorkArea workArea;
  DefaultClipDurations durations;
  ClipColours colours = ClipColours::Defaults();
};

inline constexpr const char* kDocumentSection = "Document";

// On a first run, or without the section, every default. A value that is
// missing takes its default, but a missing colour becomes black.
DocumentSettings LoadDocumentSettings(const ISettingsStore& store, bool firstRun);
void SaveDocumentSettings(ISettingsStore& store, const DocumentSettings& settings);

}  // namespace vantorelle
