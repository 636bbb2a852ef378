#include "project_commands.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "collecting_user_interface.h"
#include "document/headless_views.h"
#include "document/project_file_format.h"
#include "document/project_file_reading.h"
#include "document/project_storage.h"
#include "document/settings_store.h"
#include "document/vantorelle_doc.h"
#include "json_output.h"
#include "offline_sources.h"

namespace vantorelle::cli {
namespace {

template <typename Items, typename Describe>
Json JsonArray(const Items& items, Describe describe) {
  Json out = Json::array();
  for (const auto& item : items) out.push_back(describe(item));
  return out;
}

Json Rect(const PixelRect& rect) {
  return {{"left", rect.left}, {"top", rect.top}, {"right", rect.right}, {"bottom", rect.bottom}};
}

Json Size(std::int32_t width, std::int32_t height) { return {{"width", width}, {"height", height}}; }

Json Settings(const ProjectSettingsBlock& s) {
  return {{"formatWord", s.formatWord},
          {"snapshotsType", s.snapshotsType},
          {"slideShowDuration", s.slideShowDuration},
          {"stillImageDuration", s.stillImageDuration},
          {"liveDuration", s.liveDuration},
          {"workAreaStop", s.workAreaStop},
          {"workAreaStart", s.workAreaStart},
          {"projectSize", s.projectSize},
          {"currentTimeMark", s.timeMark},
          {"exclusiveSolo", s.exclusiveSolo},
          {"pickRedLine", s.pickRedLine},
          {"timeDisplayMode", s.timeDisplayMode},
          {"rangeStart", s.rangeStart},
          {"rangeStop", s.rangeStop},
          {"playbackStartType", s.playbackStartType},
          {"loadClipFilterIndex", s.loadClipFilterIndex},
          {"loadSourceFilterIndex", s.loadSourceFilterIndex},
          {"undoDepth", s.undoDepth},
          {"repeatClipValue", s.repeatClipValue},
          {"firstVisibleTrack", s.firstVisibleTrack},
          {"dirViewFilterIndex", s.dirViewFilterIndex}};
}

Json Track(const ProjectTrackRecord& t) {
  Json out = {{"typeWord", t.typeWord}, {"height", t.height}, {"playState", t.playState}};
  PutText(out, "trackName", t.name);
  out["shown"] = t.shown;
  out["direction"] = t.direction;
  out["precision"] = t.precision;
  out["titleRegion"] = {
      {"left", t.regionLeft}, {"top", t.regionTop}, {"height", t.regionHeight}, {"width", t.regionWidth}};
  out["maxSpeed"] = t.maxSpeed;
  out["trackIndex"] = t.trackIndex;
  out["fadeIn"] = t.fadeIn;
  out["fadeOut"] = t.fadeOut;
  out["volume"] = t.volume;
  return out;
}

Json Layout(const WindowLayout& layout) {
  const ClipCollectionBarBlock& bar = layout.clipCollectionBar;
  const Json barJson = {
      {"barState", bar.state},
      {"floatingPosition", {{"x", bar.floatX}, {"y", bar.floatY}}},
      {"verticalSize", Size(bar.verticalWidth, bar.verticalHeight)},
      {"horizontalSize", Size(bar.horizontalWidth, bar.horizontalHeight)},
      {"floatingSize", Size(bar.floatingWidth, bar.floatingHeight)},
      {"paneChecks",
       {{"treePane", bar.treePaneChecked},
        {"fileViewerPane", bar.fileViewerPaneChecked},
        {"clipCollectionPane", bar.clipCollectionPaneChecked}}},
      {"paneWidths",
       {{"treePane", bar.treePaneWidth},
        {"fileViewerPane", bar.fileViewerPaneWidth},
        {"clipCollectionPane", bar.clipCollectionPaneWidth}}}};
  return {{"mainWindowRectangle", Rect(layout.mainWindow)},
          {"projectViewerRectangle", Rect(layout.projectViewer)},
          {"projectViewerState", layout.projectViewerState},
          {"clipCollectionBar", barJson}};
}

Json Source(const ProjectSourceRecord& s) {
  Json out = {{"sourceIndex", s.sourceIndex}};
  PutText(out, "fullPath", s.fullPath);
  PutText(out, "storedPath", s.storedPath);
  PutText(out, "fileName", s.fileName);
  PutText(out, "modificationTime", s.modified);
  out["sourceFlags"] = s.flags;
  out["duration"] = s.duration;
  out["fileSize"] = s.fileSize;
  out["frameHeight"] = s.frameHeight;
  out["frameWidth"] = s.frameWidth;
  return out;
}

Json Clip(const ProjectClipRecord& c) {
  Json out = {{"clipNumber", c.number},
              {"sourceIndex", c.sourceIndex},
              {"trackIndex", c.trackIndex},
              {"selectionState", c.selection}};
  PutText(out, "clipName", c.name);
  out["sourceLength"] = c.sourceLength;
  out["start"] = c.start;
  out["duration"] = c.duration;
  out["inPoint"] = c.inPoint;
  out["fadeIn"] = c.fadeIn;
  out["fadeOut"] = c.fadeOut;
  out["volume"] = c.volume;
  out["flags"] = c.flags;
  out["useTrackFadeIn"] = c.useTrackFadeIn;
  out["useTrackFadeOut"] = c.useTrackFadeOut;
  out["linkedClips"] = c.linkedNumbers;
  return out;
}

Json Favourite(const ProjectFavouriteRecord& f) {
  Json out;
  PutText(out, "name", f.name);
  PutText(out, "path", f.path);
  out["fileFilterIndex"] = f.filterIndex;
  return out;
}

Json TreeNode(const ProjectTreeNodeRecord& n) {
  Json out;
  PutText(out, "folderPath", n.path);
  out["expandedFlag"] = n.expanded;
  return out;
}

Json Format(const VideoFormat& f) {
  return {{"width", f.width}, {"height", f.height}, {"frameRate", f.frameRate}, {"name", VideoFormatName(f)}};
}

Json Message(const CollectingUserInterface::Message& m) {
  Json out;
  PutText(out, "text", m.text);
  PutText(out, "caption", m.caption);
  return out;
}

const char* SectionName(ProjectFileSection section) {
  switch (section) {
    case ProjectFileSection::Settings: return "settings";
    case ProjectFileSection::Tracks: return "tracks";
    case ProjectFileSection::Layout: return "window layout";
    case ProjectFileSection::Favourites: return "favourite directories";
    case ProjectFileSection::TreeNodes: return "directory tree nodes";
    case ProjectFileSection::Sources: return "sources";
    case ProjectFileSection::Clips: return "clips";
    case ProjectFileSection::Format: return "format";
  }
  return "?";
}

int Fail(const std::string& text) {
  std::fprintf(stderr, "vantorelle-cli: %s\n", text.c_str());
  return 1;
}

// The system's reason the last message gave on its second line, as ": reason".
std::string ReasonOf(const CollectingUserInterface& ui) {
  if (ui.messages.empty()) return {};
  const std::string& text = ui.messages.back().text;
  const std::size_t newline = text.find('\n');
  return newline == std::string::npos ? std::string() : ": " + text.substr(newline + 1);
}

}  // namespace

int RunDump(const std::string& path) {
  // Only a regular file, read as the parse goes: a folder or pipe is
  // refused at once and a huge file is never loaded whole.
  const ProjectFileOnDisk file = ReadProjectFileAt(path);
  if (file.status == ProjectFileOnDisk::Status::Unreadable) return Fail(path + ": cannot be read: " + file.reason);
  if (file.status == ProjectFileOnDisk::Status::Empty) {
    PrintJson({{"empty", true}});
    return 0;
  }
  const ProjectFileReadResult& read = file.read;
  if (!read.ok) {
    return Fail(path + ": damaged project file (" + SectionName(read.error.section) + ": " + read.error.reason + ")");
  }
  const ProjectFileContents& c = read.contents;
  Json dump = {{"settings", Settings(c.settings)},
               {"tracks", JsonArray(c.tracks, Track)},
               {"windowLayout", Layout(c.layout)},
               {"favouriteDirectories", JsonArray(c.favourites, Favourite)},
               {"directoryTreeNodes", JsonArray(c.treeNodes, TreeNode)},
               {"sources", JsonArray(c.sources, Source)},
               {"clips", JsonArray(c.clips, Clip)},
               {"offlineSources", OfflineRecordsJson(c, path)}};
  // Only a project that holds its format says it; the others run in the
  // format the program is started in.
  if (c.format) dump["format"] = Format(*c.format);
  PrintJson(dump);
  return 0;
}

int RunResave(IKlpComponentFactory& factory, ISettingsStore& store, bool firstRun, const std::string& in,
              const std::string& out) {
  CollectingUserInterface ui;
  HeadlessDocumentViews views;
  CVantorelleDoc doc(DocumentServices{store, firstRun, ui, factory, nullptr});
  doc.AttachViews(&views);
  const std::size_t openMessages = ui.messages.size();
  switch (OpenProjectFile(doc, in)) {
    case ProjectOpenOutcome::Opened: break;
    case ProjectOpenOutcome::EmptyFile: return Fail(in + ": empty project file");
    case ProjectOpenOutcome::Unreadable: return Fail(in + ": cannot be read" + ReasonOf(ui));
    case ProjectOpenOutcome::Failed: return Fail(in + ": damaged project file");
  }
  ReportOfflineSources(doc);
  std::size_t clips = 0;
  for (const auto& track : doc.timeline.tracks) clips += track->clips.size();
  if (!SaveProjectFile(doc, out)) return Fail(out + ": cannot be written" + ReasonOf(ui));
  std::vector<CollectingUserInterface::Message> messages(ui.messages.begin() + static_cast<std::ptrdiff_t>(openMessages),
                                                          ui.messages.end());
  Json report;
  PutText(report, "input", in);
  PutText(report, "output", doc.ProjectPath());
  report["tracks"] = doc.timeline.tracks.size();
  report["sources"] = doc.sources.size();
  report["clips"] = clips;
  report["offlineSources"] = OfflineSourcesJson(doc);
  report["messages"] = JsonArray(messages, Message);
  PrintJson(report);
  return 0;
}

}  // namespace vantorelle::cli
