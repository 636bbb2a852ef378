#include "document/window_settings.h"

#include "document/archive.h"
#include "document/document_views.h"
#include "document/settings_values.h"

namespace vantorelle {

namespace {

constexpr std::size_t kRectBytes = 16;
constexpr std::size_t kDockPlateStateBytes = 4 + kRectBytes;
// Both node lists start with a u16 count: the program never stores 0xFFFF
// or more nodes, since the expansion list would not fit its buffer.
constexpr std::size_t kListCountBytes = 2;

std::optional<DockBarState> DockBarStateFrom(std::int32_t value) {
  if (value < 0 || value > 2) return std::nullopt;
  return static_cast<DockBarState>(value);
}

std::optional<std::pair<std::int32_t, std::int32_t>> ReadPair(const ISettingsStore& store, const std::string& name) {
  const auto numbers = ReadSettingsNumberList(store, kClipCollectionBarSection, name, kSettingsBufferSize);
  if (!numbers || numbers->size() != 2) return std::nullopt;
  return std::pair{static_cast<std::int32_t>((*numbers)[0]), static_cast<std::int32_t>((*numbers)[1])};
}

void WritePair(ISettingsStore& store, const std::string& name, std::int32_t first, std::int32_t second) {
  WriteSettingsNumberList(store, kClipCollectionBarSection, name,
                          {static_cast<std::uint32_t>(first), static_cast<std::uint32_t>(second)});
}

BarSize ReadSize(const ISettingsStore& store, const std::string& name, BarSize fallback) {
  const auto pair = ReadPair(store, name);
  return pair ? BarSize{pair->first, pair->second} : fallback;
}

std::size_t EncodedTextSize(const std::string& text) {
  ArchiveWriter writer;
  writer.Text(text);
  return writer.Data().size();
}

// How many leading nodes both lists can hold within the reader's buffer.
std::size_t NodesThatFit(const std::vector<CTreeNodeInfo>& nodes) {
  std::size_t pathBytes = kListCountBytes;
  std::size_t flagBytes = kListCountBytes;
  std::size_t count = 0;
  for (const auto& node : nodes) {
    pathBytes += EncodedTextSize(node.path);
    flagBytes += 4;
    if (pathBytes > kSettingsBufferSize || flagBytes > kSettingsBufferSize) break;
    ++count;
  }
  return count;
}

std::vector<CTreeNodeInfo> ReadTreeNodes(const ISettingsStore& store) {
  const std::int32_t number = ReadSettingsNumber(store, kClipCollectionBarSection, "Tree Dirs Number", 0);
  if (number <= 0) return {};
  const auto paths = ReadSettingsTextList(store, kClipCollectionBarSection, "TreeDir Paths", kSettingsBufferSize);
  const auto flags =
      ReadSettingsNumberList(store, kClipCollectionBarSection, "TreeDir Expansions", kSettingsBufferSize);
  if (!paths || !flags) return {};
  std::vector<CTreeNodeInfo> nodes;
  for (std::size_t i = 0; i < static_cast<std::size_t>(number) && i < paths->size() && i < flags->size(); ++i) {
    nodes.push_back(CTreeNodeInfo{(*paths)[i], static_cast<std::int32_t>((*flags)[i])});
  }
  return nodes;
}

}  // namespace

SettingsBytes RectBytes(const PixelRect& rect) {
  ArchiveWriter writer;
  writer.Rect(rect);
  return writer.Take();
}

std::optional<PixelRect> ReadSettingsRect(const ISettingsStore& store, const std::string& section,
                                          const std::string& name) {
  const auto bytes = ReadSettingsBinary(store, section, name);
  if (!bytes || bytes->size() < kRectBytes) return std::nullopt;
  ArchiveReader reader(*bytes);
  return reader.Rect();
}

void WriteSettingsRect(ISettingsStore& store, const std::string& section, const std::string& name,
                       const PixelRect& rect) {
  store.Write(section, name, RectBytes(rect));
}

std::optional<PixelRect> LoadMainWindowRect(const ISettingsStore& store, bool firstRun,
                                            const PixelRect& desktopWorkArea) {
  if (firstRun) return std::nullopt;
  const auto rect = ReadSettingsRect(store, kFrameWindowSection, kFrameWindowRectValue);
  if (!rect) return std::nullopt;
  if (rect->left < 0 || rect->top < 0 || rect->right < 0 || rect->bottom < 0) return std::nullopt;
  // An empty rectangle would give a window of no size that cannot be found
  // to be resized.
  if (rect->Empty()) return std::nullopt;
  // All four are not negative, so neither difference overflows.
  const std::int64_t workWidth = std::int64_t{desktopWorkArea.right} - desktopWorkArea.left;
  const std::int64_t workHeight = std::int64_t{desktopWorkArea.bottom} - desktopWorkArea.top;
  if (rect->right - rect->left > workWidth || rect->bottom - rect->top > workHeight) return std::nullopt;
  return rect;
}

PixelRect MainWindowPlacement(const ISettingsStore& store, bool firstRun, const PixelRect& desktopWorkArea) {
  if (const auto rect = LoadMainWindowRect(store, firstRun, desktopWorkArea)) return *rect;
  return DefaultMainWindowRect(desktopWorkArea);
}

void SaveMainWindowRect(ISettingsStore& store, const PixelRect& windowRect) {
  WriteSettingsRect(store, kFrameWindowSection, kFrameWindowRectValue, windowRect);
}

SettingsBytes DockPlateStateBytes(const CDockPlateState& dockState) {
  ArchiveWriter writer;
  writer.I32(static_cast<std::int32_t>(dockState.state));
  writer.Rect(dockState.rect);
  return writer.Take();
}

std::optional<CDockPlateState> LoadDockState(const ISettingsStore& store, const std::string& valueName) {
  const auto bytes = ReadSettingsBinary(store, kDockStateSection, valueName);
  if (!bytes || bytes->size() < kDockPlateStateBytes) return std::nullopt;
  ArchiveReader reader(*bytes);
  const auto state = DockBarStateFrom(reader.I32());
  if (!state) return std::nullopt;
  return CDockPlateState{*state, reader.Rect()};
}

void SaveDockState(ISettingsStore& store, const std::string& valueName, const CDockPlateState& dockState) {
  store.Write(kDockStateSection, valueName, DockPlateStateBytes(dockState));
}

ClipCollectionBarSettings LoadClipCollectionBarSettings(const ISettingsStore& store) {
  ClipCollectionBarSettings settings;
  if (!store.SectionExists(kClipCollectionBarSection)) return settings;
  const std::string section = kClipCollectionBarSection;

  if (const auto number = ReadSettingsNumber(store, section, "Dock State")) {
    settings.dockState = DockBarStateFrom(*number).value_or(settings.dockState);
  }
  if (const auto pair = ReadPair(store, "TopLeft Pos")) settings.topLeft = BarPoint{pair->first, pair->second};
  settings.verticalSize = ReadSize(store, "VrtSZ", settings.verticalSize);
  settings.horizontalSize = ReadSize(store, "HrzSZ", settings.horizontalSize);
  settings.floatingSize = ReadSize(store, "FloatSZ", settings.floatingSize);

  const auto treeCheck = ReadSettingsNumber(store, section, "TreePaneCheck");
  const auto viewerCheck = ReadSettingsNumber(store, section, "FileViewerPaneCheck");
  const auto collectionCheck = ReadSettingsNumber(store, section, "ClipColPaneCheck");
  const auto treeWidth = ReadSettingsNumber(store, section, "TreePaneWidth");
  const auto viewerWidth = ReadSettingsNumber(store, section, "FileViewerPaneWidth");
  const auto collectionWidth = ReadSettingsNumber(store, section, "ClipColPaneWidth");
  // The panes share the bar's width: values from two different layouts
  // would not add up, so they are taken only as a set.
  if (treeCheck && viewerCheck && collectionCheck && treeWidth && viewerWidth && collectionWidth) {
    settings.treePaneCheck = *treeCheck;
    settings.fileViewerPaneCheck = *viewerCheck;
    settings.clipColPaneCheck = *collectionCheck;
    settings.treePaneWidth = *treeWidth;
    settings.fileViewerPaneWidth = *viewerWidth;
    settings.clipColPaneWidth = *collectionWidth;
  }

  settings.treeNodes = ReadTreeNodes(store);
  return settings;
}

void SaveClipCollectionBarSettings(ISettingsStore& store, const ClipCollectionBarSettings& settings) {
  const std::string section = kClipCollectionBarSection;
  WriteSettingsNumber(store, section, "Dock State", static_cast<std::int32_t>(settings.dockState));
  WritePair(store, "TopLeft Pos", settings.topLeft.x, settings.topLeft.y);
  WritePair(store, "VrtSZ", settings.verticalSize.width, settings.verticalSize.height);
  WritePair(store, "HrzSZ", settings.horizontalSize.width, settings.horizontalSize.height);
  WritePair(store, "FloatSZ", settings.floatingSize.width, settings.floatingSize.height);
  WriteSettingsNumber(store, section, "TreePaneCheck", settings.treePaneCheck);
  WriteSettingsNumber(store, section, "FileViewerPaneCheck", settings.fileViewerPaneCheck);
  WriteSettingsNumber(store, section, "ClipColPaneCheck", settings.clipColPaneCheck);
  WriteSettingsNumber(store, section, "TreePaneWidth", settings.treePaneWidth);
  WriteSettingsNumber(store, section, "FileViewerPaneWidth", settings.fileViewerPaneWidth);
  WriteSettingsNumber(store, section, "ClipColPaneWidth", settings.clipColPaneWidth);

  const std::size_t count = NodesThatFit(settings.treeNodes);
  std::vector<std::string> paths;
  std::vector<std::uint32_t> flags;
  for (std::size_t i = 0; i < count; ++i) {
    paths.push_back(settings.treeNodes[i].path);
    flags.push_back(static_cast<std::uint32_t>(settings.treeNodes[i].expanded));
  }
  WriteSettingsNumber(store, section, "Tree Dirs Number", static_cast<std::int32_t>(count));
  // Written even when empty, so lists of an earlier tree do not linger.
  WriteSettingsTextList(store, section, "TreeDir Paths", paths);
  WriteSettingsNumberList(store, section, "TreeDir Expansions", flags);
}

ClipCollectionBarBlock ProjectBarBlock(const ClipCollectionBarSettings& bar, BarPoint floatingPosition) {
  ClipCollectionBarBlock block;
  block.state = static_cast<std::int32_t>(bar.dockState);
  block.floatX = floatingPosition.x;
  block.floatY = floatingPosition.y;
  block.verticalWidth = bar.verticalSize.width;
  block.verticalHeight = bar.verticalSize.height;
  block.horizontalWidth = bar.horizontalSize.width;
  block.horizontalHeight = bar.horizontalSize.height;
  block.floatingWidth = bar.floatingSize.width;
  block.floatingHeight = bar.floatingSize.height;
  block.treePaneChecked = bar.treePaneCheck;
  block.fileViewerPaneChecked = bar.fileViewerPaneCheck;
  block.clipCollectionPaneChecked = bar.clipColPaneCheck;
  block.treePaneWidth = bar.treePaneWidth;
  block.fileViewerPaneWidth = bar.fileViewerPaneWidth;
  block.clipCollectionPaneWidth = bar.clipColPaneWidth;
  return block;
}

}  // namespace vantorelle
