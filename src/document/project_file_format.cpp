#include "document/project_file_format.h"

#include <algorithm>

namespace vantorelle {
namespace {

// The smallest byte size of each record (every text empty), for bounding counts.
constexpr std::size_t kMinTrackBytes = 77;
constexpr std::size_t kMinFavouriteBytes = 6;
constexpr std::size_t kMinTreeNodeBytes = 5;
constexpr std::size_t kMinSourceBytes = 32;
constexpr std::size_t kMinClipBytes = 89;
// Counts fit the bytes left, but records take more room in memory than in
// the file: room for more is made only as records really arrive.
constexpr std::size_t kMostReserved = 4096;

void WriteSettings(ArchiveWriter& out, const ProjectSettingsBlock& s) {
  out.U32(s.formatWord);
  out.U16(s.snapshotsType);
  out.F64(s.slideShowDuration);
  out.F64(s.stillImageDuration);
  out.F64(s.liveDuration);
  out.F64(s.workAreaStop);
  out.F64(s.workAreaStart);
  out.F64(s.projectSize);
  out.F64(s.timeMark);
  out.I32(s.exclusiveSolo);
  out.I32(s.pickRedLine);
  out.I32(s.timeDisplayMode);
  out.F64(s.rangeStart);
  out.F64(s.rangeStop);
  out.I32(s.playbackStartType);
  out.I32(s.loadClipFilterIndex);
  out.I32(s.loadSourceFilterIndex);
  out.I32(s.undoDepth);
  out.I32(s.repeatClipValue);
  out.I32(s.firstVisibleTrack);
  out.I32(s.dirViewFilterIndex);
}

ProjectSettingsBlock ReadSettings(ArchiveReader& in) {
  ProjectSettingsBlock s;
  s.formatWord = in.U32();
  s.snapshotsType = in.U16();
  s.slideShowDuration = in.F64();
  s.stillImageDuration = in.F64();
  s.liveDuration = in.F64();
  s.workAreaStop = in.F64();
  s.workAreaStart = in.F64();
  s.projectSize = in.F64();
  s.timeMark = in.F64();
  s.exclusiveSolo = in.I32();
  s.pickRedLine = in.I32();
  s.timeDisplayMode = in.I32();
  s.rangeStart = in.F64();
  s.rangeStop = in.F64();
  s.playbackStartType = in.I32();
  s.loadClipFilterIndex = in.I32();
  s.loadSourceFilterIndex = in.I32();
  s.undoDepth = in.I32();
  s.repeatClipValue = in.I32();
  s.firstVisibleTrack = in.I32();
  s.dirViewFilterIndex = in.I32();
  return s;
}

void WriteTrack(ArchiveWriter& out, const ProjectTrackRecord& t) {
  out.U32(t.typeWord);
  out.I32(t.height);
  out.I32(t.playState);
  out.Text(t.name);
  out.I32(t.shown);
  out.I32(t.direction);
  out.I32(t.precision);
  out.I32(t.regionLeft);
  out.I32(t.regionTop);
  out.I32(t.regionHeight);
  out.I32(t.regionWidth);
  out.F64(t.maxSpeed);
  out.I32(t.trackIndex);
  out.F64(t.fadeIn);
  out.F64(t.fadeOut);
  out.F64(t.volume);
}

ProjectTrackRecord ReadTrack(ArchiveReader& in) {
  ProjectTrackRecord t;
  t.typeWord = in.U32();
  t.height = in.I32();
  t.playState = in.I32();
  t.name = in.Text();
  t.shown = in.I32();
  t.direction = in.I32();
  t.precision = in.I32();
  t.regionLeft = in.I32();
  t.regionTop = in.I32();
  t.regionHeight = in.I32();
  t.regionWidth = in.I32();
  t.maxSpeed = in.F64();
  t.trackIndex = in.I32();
  t.fadeIn = in.F64();
  t.fadeOut = in.F64();
  t.volume = in.F64();
  return t;
}

void WriteLayout(ArchiveWriter& out, const WindowLayout& layout) {
  out.Rect(layout.mainWindow);
  out.Rect(layout.projectViewer);
  out.I32(layout.projectViewerState);
  const ClipCollectionBarBlock& bar = layout.clipCollectionBar;
  for (std::int32_t value : {bar.state, bar.floatX, bar.floatY, bar.verticalWidth, bar.verticalHeight,
                             bar.horizontalWidth, bar.horizontalHeight, bar.floatingWidth, bar.floatingHeight,
                             bar.treePaneChecked, bar.fileViewerPaneChecked, bar.clipCollectionPaneChecked,
                             bar.treePaneWidth, bar.fileViewerPaneWidth, bar.clipCollectionPaneWidth}) {
    out.I32(value);
  }
}

WindowLayout ReadLayout(ArchiveReader& in) {
  WindowLayout layout;
  layout.mainWindow = in.Rect();
  layout.projectViewer = in.Rect();
  layout.projectViewerState = in.I32();
  ClipCollectionBarBlock& bar = layout.clipCollectionBar;
  for (std::int32_t* field : {&bar.state, &bar.floatX, &bar.floatY, &bar.verticalWidth, &bar.verticalHeight,
                              &bar.horizontalWidth, &bar.horizontalHeight, &bar.floatingWidth,
                              &bar.floatingHeight, &bar.treePaneChecked, &bar.fileViewerPaneChecked,
                              &bar.clipCollectionPaneChecked, &bar.treePaneWidth, &bar.fileViewerPaneWidth,
                              &bar.clipCollectionPaneWidth}) {
    *field = in.I32();
  }
  return layout;
}

void WriteSource(ArchiveWriter& out, const ProjectSourceRecord& s) {
  out.I32(s.sourceIndex);
  out.Text(s.fullPath);
  out.Text(s.storedPath);
  out.Text(s.fileName);
  out.Text(s.modified);
  out.U32(s.flags);
  out.F64(s.duration);
  out.I32(s.fileSize);
  out.I32(s.frameHeight);
  out.I32(s.frameWidth);
}

ProjectSourceRecord ReadSource(ArchiveReader& in) {
  ProjectSourceRecord s;
  s.sourceIndex = in.I32();
  s.fullPath = in.Text();
  s.storedPath = in.Text();
  s.fileName = in.Text();
  s.modified = in.Text();
  s.flags = in.U32();
  s.duration = in.F64();
  s.fileSize = in.I32();
  s.frameHeight = in.I32();
  s.frameWidth = in.I32();
  return s;
}

void WriteClip(ArchiveWriter& out, const ProjectClipRecord& c) {
  out.I32(c.number);
  out.I32(c.sourceIndex);
  out.I32(c.trackIndex);
  out.I32(c.selection);
  out.Text(c.name);
  out.F64(c.sourceLength);
  out.F64(c.start);
  out.F64(c.duration);
  out.F64(c.inPoint);
  out.F64(c.fadeIn);
  out.F64(c.fadeOut);
  out.F64(c.volume);
  out.U32(c.flags);
  out.I32(c.useTrackFadeIn);
  out.I32(c.useTrackFadeOut);
  out.I32(static_cast<std::int32_t>(c.linkedNumbers.size()));
  for (std::int32_t number : c.linkedNumbers) out.I32(number);
}

// A count that the rest of the stream could hold, given each item's smallest size.
std::size_t ReadCount(ArchiveReader& in, std::size_t minItemBytes) {
  const std::int32_t count = in.I32();
  if (count < 0) throw ArchiveError("negative count");
  if (static_cast<std::size_t>(count) > in.Remaining() / minItemBytes) throw ArchiveError("count beyond the data");
  return static_cast<std::size_t>(count);
}

ProjectClipRecord ReadClip(ArchiveReader& in) {
  ProjectClipRecord c;
  c.number = in.I32();
  c.sourceIndex = in.I32();
  c.trackIndex = in.I32();
  c.selection = in.I32();
  c.name = in.Text();
  c.sourceLength = in.F64();
  c.start = in.F64();
  c.duration = in.F64();
  c.inPoint = in.F64();
  c.fadeIn = in.F64();
  c.fadeOut = in.F64();
  c.volume = in.F64();
  c.flags = in.U32();
  c.useTrackFadeIn = in.I32();
  c.useTrackFadeOut = in.I32();
  const std::size_t links = ReadCount(in, 4);
  c.linkedNumbers.reserve(std::min(links, kMostReserved));
  for (std::size_t i = 0; i < links; ++i) c.linkedNumbers.push_back(in.I32());
  return c;
}

void WriteFormatBlock(ArchiveWriter& out, const VideoFormat& format) {
  for (const char c : kFormatBlockTag) out.U8(static_cast<std::uint8_t>(c));
  out.I32(kFormatBlockVersion);
  out.I32(3 * 4);
  out.I32(format.width);
  out.I32(format.height);
  out.I32(format.frameRate);
}

// Why a format read from a file cannot be run in; empty when it can.
std::string FormatRefusal(const VideoFormat& format) {
  const auto& rates = SupportedFrameRates();
  for (const std::int32_t side : {format.width, format.height}) {
    if (side < kSmallestFrameSide || side > kLargestFrameSide || side % 2 != 0) {
      return "frame size " + std::to_string(format.width) + "x" + std::to_string(format.height) +
             " is not even numbers from " + std::to_string(kSmallestFrameSide) + " to " +
             std::to_string(kLargestFrameSide);
    }
  }
  if (std::find(rates.begin(), rates.end(), format.frameRate) == rates.end()) {
    return "frame rate " + std::to_string(format.frameRate) + " (per 1000 s) is not one a project can have";
  }
  return {};
}

// After the tag.
VideoFormat ReadFormatBlock(ArchiveReader& in) {
  const std::int32_t version = in.I32();
  if (version < 1) throw ArchiveError("format block of version " + std::to_string(version));
  const std::int32_t length = in.I32();
  if (length < 3 * 4 || static_cast<std::size_t>(length) > in.Remaining()) {
    throw ArchiveError("format block of " + std::to_string(length) + " bytes");
  }
  VideoFormat format;
  format.width = in.I32();
  format.height = in.I32();
  format.frameRate = in.I32();
  for (std::int32_t skipped = 3 * 4; skipped < length; ++skipped) in.U8();
  if (const std::string refusal = FormatRefusal(format); !refusal.empty()) throw ArchiveError(refusal);
  return format;
}

}  // namespace

std::vector<std::uint8_t> WriteProjectFile(const ProjectFileContents& contents) {
  ArchiveWriter out;
  WriteSettings(out, contents.settings);
  out.I32(static_cast<std::int32_t>(contents.tracks.size()));
  for (const auto& track : contents.tracks) WriteTrack(out, track);
  WriteLayout(out, contents.layout);
  out.I32(static_cast<std::int32_t>(contents.favourites.size()));
  for (const auto& favourite : contents.favourites) {
    out.Text(favourite.name);
    out.Text(favourite.path);
    out.I32(favourite.filterIndex);
  }
  out.I32(static_cast<std::int32_t>(contents.treeNodes.size()));
  for (const auto& node : contents.treeNodes) {
    out.Text(node.path);
    out.I32(node.expanded);
  }
  out.I32(static_cast<std::int32_t>(contents.sources.size()));
  for (const auto& source : contents.sources) WriteSource(out, source);
  out.I32(static_cast<std::int32_t>(contents.clips.size()));
  for (const auto& clip : contents.clips) WriteClip(out, clip);
  if (contents.format) WriteFormatBlock(out, *contents.format);
  return out.Take();
}

ProjectFileReadResult ReadProjectFile(const std::vector<std::uint8_t>& bytes) {
  ArchiveReader in(bytes);
  return ReadProjectFile(in);
}

ProjectFileReadResult ReadProjectFile(ArchiveReader& in) {
  ProjectFileReadResult result;
  ProjectFileContents& contents = result.contents;
  ProjectFileSection& section = result.error.section;
  try {
    section = ProjectFileSection::Settings;
    contents.settings = ReadSettings(in);

    section = ProjectFileSection::Tracks;
    const std::size_t trackCount = ReadCount(in, kMinTrackBytes);
    if (trackCount == 0) throw ArchiveError("a project without tracks");
    contents.tracks.reserve(std::min(trackCount, kMostReserved));
    for (std::size_t i = 0; i < trackCount; ++i) contents.tracks.push_back(ReadTrack(in));

    section = ProjectFileSection::Layout;
    contents.layout = ReadLayout(in);

    section = ProjectFileSection::Favourites;
    const std::size_t favouriteCount = ReadCount(in, kMinFavouriteBytes);
    for (std::size_t i = 0; i < favouriteCount; ++i) {
      ProjectFavouriteRecord favourite;
      favourite.name = in.Text();
      favourite.path = in.Text();
      favourite.filterIndex = in.I32();
      contents.favourites.push_back(std::move(favourite));
    }

    section = ProjectFileSection::TreeNodes;
    const std::size_t nodeCount = ReadCount(in, kMinTreeNodeBytes);
    for (std::size_t i = 0; i < nodeCount; ++i) {
      ProjectTreeNodeRecord node;
      node.path = in.Text();
      node.expanded = in.I32();
      contents.treeNodes.push_back(std::move(node));
    }

    section = ProjectFileSection::Sources;
    const std::size_t sourceCount = ReadCount(in, kMinSourceBytes);
    contents.sources.reserve(std::min(sourceCount, kMostReserved));
    for (std::size_t i = 0; i < sourceCount; ++i) contents.sources.push_back(ReadSource(in));

    section = ProjectFileSection::Clips;
    const std::size_t clipCount = ReadCount(in, kMinClipBytes);
    contents.clips.reserve(std::min(clipCount, kMostReserved));
    for (std::size_t i = 0; i < clipCount; ++i) contents.clips.push_back(ReadClip(in));

    section = ProjectFileSection::Format;
    if (in.TakeIfNext(kFormatBlockTag)) contents.format = ReadFormatBlock(in);
  } catch (const ArchiveError& error) {
    result.error.reason = error.what();
    return result;
  }
  result.ok = true;
  return result;
}

}  // namespace vantorelle
