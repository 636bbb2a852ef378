// Settings store sections of the main window and its bars: the main window's
// rectangle ("FrameWindow"), the docking state of the "Project Viewer" bar
// ("DockState") and the Clip Collection bar ("ClipCollectionBar Settings").
// The toolkit side applies what these give; nothing here knows a window.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/layout_settings.h"
#include "document/project_file_format.h"
#include "document/settings_store.h"
#include "model/pixel_rect.h"

namespace vantorelle {

inline constexpr const char* kFrameWindowSection = "FrameWindow";
inline constexpr const char* kFrameWindowRectValue = "Frame Window Rect";
inline constexpr const char* kDockStateSection = "DockState";
inline constexpr const char* kProjectViewerDockStateValue = "ProjectViewer Dock State";
// The monitor dock, in the same record as the Project Viewer's.
inline constexpr const char* kMonitorDockStateValue = "Monitor Dock State";
inline constexpr const char* kClipCollectionBarSection = "ClipCollectionBar Settings";

// A rectangle value: 16 bytes, left, top, right, bottom as little-endian
// int32. Shorter values, and binary values over the settings buffer, count
// as missing.
SettingsBytes RectBytes(const PixelRect& rect);
std::optional<PixelRect> ReadSettingsRect(const ISettingsStore& store, const std::string& section,
                                          const std::string& name);
void WriteSettingsRect(ISettingsStore& store, const std::string& section, const std::string& name,
                       const PixelRect& rect);

// The stored main-window rectangle when it may be used: nothing on a first
// run, when it is missing, when a coordinate is negative (a window closed
// while minimized), when it is empty, or when it is wider or taller than the
// desktop work area.
std::optional<PixelRect> LoadMainWindowRect(const ISettingsStore& store, bool firstRun,
                                            const PixelRect& desktopWorkArea);
// Where the main window goes: the stored rectangle, else 19/20 of the work
// area each way, centred.
PixelRect MainWindowPlacement(const ISettingsStore& store, bool firstRun, const PixelRect& desktopWorkArea);
void SaveMainWindowRect(ISettingsStore& store, const PixelRect& windowRect);

enum class DockBarState : std::int32_t { Floating = 0, Docked = 1, Hidden = 2 };

// A bar's state and the rectangle of its window.
struct CDockPlateState {
  DockBarState state = DockBarState::Docked;
  PixelRect rect;
  bool operator==(const CDockPlateState&) const = default;
};

// The 20-byte record: i32 state, then the rectangle as RectBytes.
SettingsBytes DockPlateStateBytes(const CDockPlateState& dockState);
// Nothing when the value is missing, shorter than 20 bytes or names no state
// of DockBarState; the bar then keeps its own default.
std::optional<CDockPlateState> LoadDockState(const ISettingsStore& store, const std::string& valueName);
void SaveDockState(ISettingsStore& store, const std::string& valueName, const CDockPlateState& dockState);

struct BarPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool operator==(const BarPoint&) const = default;
};

struct BarSize {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const BarSize&) const = default;
};

// The Clip Collection bar: its docking, its three panes and the nodes of its
// directory tree. The member defaults are the defaults of the section.
struct ClipCollectionBarSettings {
  DockBarState dockState = DockBarState::Docked;
  BarPoint topLeft{0, 0};           // floating position
  BarSize verticalSize{300, 100};
  BarSize horizontalSize{300, 100};
  BarSize floatingSize{300, 100};
  // Which panes are switched on, and their widths (-1 for a pane not shown).
  std::int32_t treePaneCheck = 1;
  std::int32_t fileViewerPaneCheck = 1;
  std::int32_t clipColPaneCheck = 1;
  std::int32_t treePaneWidth = 150;
  std::int32_t fileViewerPaneWidth = 200;
  std::int32_t clipColPaneWidth = 0;
  std::vector<CTreeNodeInfo> treeNodes;
  bool operator==(const ClipCollectionBarSettings&) const = default;
};

// A missing section gives every default. Otherwise the dock state and the
// four pairs each fall back to their own default (a dock state outside
// DockBarState too); the six pane values come together or not at all; the
// tree nodes are read only when "Tree Dirs Number" is above 0 and both lists
// can be read, and stop where the number or either list ends.
ClipCollectionBarSettings LoadClipCollectionBarSettings(const ISettingsStore& store);
// Writes every value. Only as many leading tree nodes as the reader's buffer
// takes back are written, and "Tree Dirs Number" counts those, so a deep tree
// loses its last nodes rather than all of them.
void SaveClipCollectionBarSettings(ISettingsStore& store, const ClipCollectionBarSettings& settings);

// The bar's block in a project file: the same sizes, pane switches and pane
// widths the settings keep, with the bar's state and floating position.
ClipCollectionBarBlock ProjectBarBlock(const ClipCollectionBarSettings& bar, BarPoint floatingPosition);

}  // namespace vantorelle
