// The project file (.vrp) as a flat record of what it holds, in file order,
// and its byte form. The stream has no tags: every field is found by
// position, so reading and writing share one field order, kept here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/archive.h"
#include "model/pixel_rect.h"
#include "model/video_format.h"

namespace vantorelle {

struct ProjectSettingsBlock {
  std::uint32_t formatWord = 1;  // written as 1, ignored when read
  std::uint16_t snapshotsType = 0;
  double slideShowDuration = 0.0;
  double stillImageDuration = 0.0;
  double liveDuration = 0.0;
  double workAreaStop = 0.0;  // stop before start, as the file has them
  double workAreaStart = 0.0;
  double projectSize = 0.0;
  double timeMark = 0.0;
  std::int32_t exclusiveSolo = 0;
  std::int32_t pickRedLine = 0;
  std::int32_t timeDisplayMode = 0;
  double rangeStart = 0.0;
  double rangeStop = 0.0;
  std::int32_t playbackStartType = 0;
  std::int32_t loadClipFilterIndex = 0;
  std::int32_t loadSourceFilterIndex = 0;
  std::int32_t undoDepth = 0;
  std::int32_t repeatClipValue = 0;
  std::int32_t firstVisibleTrack = 0;
  std::int32_t dirViewFilterIndex = 0;
};
inline constexpr std::size_t kProjectSettingsBlockBytes = 118;

struct ProjectTrackRecord {
  std::uint32_t typeWord = 0;
  std::int32_t height = 0;
  std::int32_t playState = 1;
  std::string name;
  std::int32_t shown = 1;
  std::int32_t direction = 0;
  std::int32_t precision = 0;
  std::int32_t regionLeft = 0;
  std::int32_t regionTop = 0;
  std::int32_t regionHeight = 0;
  std::int32_t regionWidth = 0;
  double maxSpeed = 0.0;
  std::int32_t trackIndex = 0;
  double fadeIn = 0.0;
  double fadeOut = 0.0;
  double volume = 1.0;
};

// The Clip Collection bar's placement and panes: 60 bytes in the file. The
// editor keeps what it read and writes it back even where it has no such bar.
struct ClipCollectionBarBlock {
  std::int32_t state = 1;  // 2 hidden, else 1 docked, 0 floating
  std::int32_t floatX = 0;
  std::int32_t floatY = 0;
  std::int32_t verticalWidth = 0;
  std::int32_t verticalHeight = 0;
  std::int32_t horizontalWidth = 0;
  std::int32_t horizontalHeight = 0;
  std::int32_t floatingWidth = 0;
  std::int32_t floatingHeight = 0;
  std::int32_t treePaneChecked = 1;
  std::int32_t fileViewerPaneChecked = 1;
  std::int32_t clipCollectionPaneChecked = 1;
  std::int32_t treePaneWidth = -1;  // -1 for a pane not shown
  std::int32_t fileViewerPaneWidth = -1;
  std::int32_t clipCollectionPaneWidth = -1;
  bool operator==(const ClipCollectionBarBlock&) const = default;
};

struct WindowLayout {
  PixelRect mainWindow;
  PixelRect projectViewer;
  std::int32_t projectViewerState = 1;
  ClipCollectionBarBlock clipCollectionBar;
  bool operator==(const WindowLayout&) const = default;
};

struct ProjectFavouriteRecord {
  std::string name;
  std::string path;
  std::int32_t filterIndex = 0;
};

struct ProjectTreeNodeRecord {
  std::string path;
  std::int32_t expanded = 0;
};

struct ProjectSourceRecord {
  std::int32_t sourceIndex = 0;
  std::string fullPath;
  std::string storedPath;  // relative to the project folder where it lies below it
  std::string fileName;
  std::string modified;
  std::uint32_t flags = 0;
  double duration = 0.0;
  std::int32_t fileSize = 0;
  std::int32_t frameHeight = 0;
  std::int32_t frameWidth = 0;
};

struct ProjectClipRecord {
  std::int32_t number = 0;
  std::int32_t sourceIndex = 0;
  std::int32_t trackIndex = 0;
  std::int32_t selection = 0;
  std::string name;
  double sourceLength = 0.0;
  double start = 0.0;
  double duration = 0.0;
  double inPoint = 0.0;
  double fadeIn = 0.0;
  double fadeOut = 0.0;
  double volume = 1.0;
  std::uint32_t flags = 0;
  std::int32_t useTrackFadeIn = 0;
  std::int32_t useTrackFadeOut = 0;
  std::vector<std::int32_t> linkedNumbers;
};

struct ProjectFileContents {
  ProjectSettingsBlock settings;
  std::vector<ProjectTrackRecord> tracks;
  WindowLayout layout;
  std::vector<ProjectFavouriteRecord> favourites;
  std::vector<ProjectTreeNodeRecord> treeNodes;
  std::vector<ProjectSourceRecord> sources;
  std::vector<ProjectClipRecord> clips;
  // The frame size and rate the project is made in. Only a project in a
  // format other than the four classic ones holds it: a block after the
  // clips, which readers that stop after the clips never see.
  std::optional<VideoFormat> format;
};

// The format block: the tag, then little-endian i32s: version, the byte
// length of what follows, width, height, frame rate (frames per 1000 s).
// A later version may add fields after these; they are skipped.
inline constexpr std::string_view kFormatBlockTag = "VRFMT";
inline constexpr std::int32_t kFormatBlockVersion = 1;
inline constexpr std::size_t kFormatBlockBytes = 5 + 5 * 4;

// The part of the file a read stopped in, for the messages of a failed open.
enum class ProjectFileSection { Settings, Tracks, Layout, Favourites, TreeNodes, Sources, Clips, Format };

struct ProjectFileReadError {
  ProjectFileSection section;
  std::string reason;
};

std::vector<std::uint8_t> WriteProjectFile(const ProjectFileContents& contents);

// Reads the whole stream. Counts are checked against the bytes left before
// anything is allocated, so a damaged file cannot ask for more memory than
// its own size. A track count of 0 is refused. A format block right after
// the clips is read (and refused when its format is not one a project can
// have); any other bytes after the clips are ignored.
struct ProjectFileReadResult {
  bool ok = false;
  ProjectFileContents contents;
  ProjectFileReadError error{ProjectFileSection::Settings, {}};
};
ProjectFileReadResult ReadProjectFile(const std::vector<std::uint8_t>& bytes);
// The same over any reader (a file read as the parse goes); the reader is
// left just after the clips, or after the format block where there is one.
ProjectFileReadResult ReadProjectFile(ArchiveReader& in);

}  // namespace vantorelle
