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
#include "json_text.h"
#include "offline_sources.h"

namespace vantorelle::cli {
namespace {

using Int = long long;

template <typename Items, typename Describe>
std::string JsonArray(const Items& items, Describe describe) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i) out += ",";
    out += describe(items[i]);
  }
  return out + "]";
}

std::string Rect(const PixelRect& rect) {
  return JsonObject()
      .Add("left", Int{rect.left})
      .Add("top", Int{rect.top})
      .Add("right", Int{rect.right})
      .Add("bottom", Int{rect.bottom})
      .Text();
}

std::string Size(std::int32_t width, std::int32_t height) {
  return JsonObject().Add("width", Int{width}).Add("height", Int{height}).Text();
}

std::string Settings(const ProjectSettingsBlock& s) {
  return JsonObject()
      .Add("formatWord", Int{s.formatWord})
      .Add("snapshotsType", Int{s.snapshotsType})
      .Add("slideShowDuration", s.slideShowDuration)
      .Add("stillImageDuration", s.stillImageDuration)
      .Add("liveDuration", s.liveDuration)
      .Add("workAreaStop", s.workAreaStop)
      .Add("workAreaStart", s.workAreaStart)
      .Add("projectSize", s.projectSize)
      .Add("currentTimeMark", s.timeMark)
      .Add("exclusiveSolo", Int{s.exclusiveSolo})
      .Add("pickRedLine", Int{s.pickRedLine})
      .Add("timeDisplayMode", Int{s.timeDisplayMode})
      .Add("rangeStart", s.rangeStart)
      .Add("rangeStop", s.rangeStop)
      .Add("playbackStartType", Int{s.playbackStartType})
      .Add("loadClipFilterIndex", Int{s.loadClipFilterIndex})
      .Add("loadSourceFilterIndex", Int{s.loadSourceFilterIndex})
      .Add("undoDepth", Int{s.undoDepth})
      .Add("repeatClipValue", Int{s.repeatClipValue})
      .Add("firstVisibleTrack", Int{s.firstVisibleTrack})
      .Add("dirViewFilterIndex", Int{s.dirViewFilterIndex})
      .Text();
}

std::string Track(const ProjectTrackRecord& t) {
  const std::string region = JsonObject()
                                 .Add("left", Int{t.regionLeft})
                                 .Add("top", Int{t.regionTop})
                                 .Add("height", Int{t.regionHeight})
                                 .Add("width", Int{t.regionWidth})
                                 .Text();
  return JsonObject()
      .Add("typeWord", Int{t.typeWord})
      .Add("height", Int{t.height})
      .Add("playState", Int{t.playState})
      .Add("trackName", t.name)
      .Add("shown", Int{t.shown})
      .Add("direction", Int{t.direction})
      .Add("precision", Int{t.precision})
      .AddRaw("titleRegion", region)
      .Add("maxSpeed", t.maxSpeed)
      .Add("trackIndex", Int{t.trackIndex})
      .Add("fadeIn", t.fadeIn)
      .Add("fadeOut", t.fadeOut)
      .Add("volume", t.volume)
      .Text();
}

std::string Layout(const WindowLayout& layout) {
  const ClipCollectionBarBlock& bar = layout.clipCollectionBar;
  const std::string barJson =
      JsonObject()
          .Add("barState", Int{bar.state})
          .AddRaw("floatingPosition", JsonObject().Add("x", Int{bar.floatX}).Add("y", Int{bar.floatY}).Text())
          .AddRaw("verticalSize", Size(bar.verticalWidth, bar.verticalHeight))
          .AddRaw("horizontalSize", Size(bar.horizontalWidth, bar.horizontalHeight))
          .AddRaw("floatingSize", Size(bar.floatingWidth, bar.floatingHeight))
          .AddRaw("paneChecks", JsonObject()
                                    .Add("treePane", Int{bar.treePaneChecked})
                                    .Add("fileViewerPane", Int{bar.fileViewerPaneChecked})
                                    .Add("clipCollectionPane", Int{bar.clipCollectionPaneChecked})
                                    .Text())
          .AddRaw("paneWidths", JsonObject()
                                    .Add("treePane", Int{bar.treePaneWidth})
                                    .Add("fileViewerPane", Int{bar.fileViewerPaneWidth})
                                    .Add("clipCollectionPane", Int{bar.clipCollectionPaneWidth})
                                    .Text())
          .Text();
  return JsonObject()
      .AddRaw("mainWindowRectangle", Rect(layout.mainWindow))
      .AddRaw("projectViewerRectangle", Rect(layout.projectViewer))
      .Add("projectViewerState", Int{layout.projectViewerState})
      .AddRaw("clipCollectionBar", barJson)
      .Text();
}

std::string Source(const ProjectSourceRecord& s) {
  return JsonObject()
      .Add("sourceIndex", Int{s.sourceIndex})
      .Add("fullPath", s.fullPath)
      .Add("storedPath", s.storedPath)
      .Add("fileName", s.fileName)
      .Add("modificationTime", s.modified)
      .Add("sourceFlags", Int{s.flags})
      .Add("duration", s.duration)
      .Add("fileSize", Int{s.fileSize})
      .Add("frameHeight", Int{s.frameHeight})
      .Add("frameWidth", Int{s.frameWidth})
      .Text();
}

std::string Clip(const ProjectClipRecord& c) {
  return JsonObject()
      .Add("clipNumber", Int{c.number})
      .Add("sourceIndex", Int{c.sourceIndex})
      .Add("trackIndex", Int{c.trackIndex})
      .Add("selectionState", Int{c.selection})
      .Add("clipName", c.name)
      .Add("sourceLength", c.sourceLength)
      .Add("start", c.start)
      .Add("duration", c.duration)
      .Add("inPoint", c.inPoint)
      .Add("fadeIn", c.fadeIn)
      .Add("fadeOut", c.fadeOut)
      .Add("volume", c.volume)
      .Add("flags", Int{c.flags})
      .Add("useTrackFadeIn", Int{c.useTrackFadeIn})
      .Add("useTrackFadeOut", Int{c.useTrackFadeOut})
      .AddRaw("linkedClips", JsonArray(c.linkedNumbers, [](std::int32_t n) { return std::to_string(n); }))
      .Text();
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
    std::puts("{\"empty\":true}");
    return 0;
  }
  const ProjectFileReadResult& read = file.read;
  if (!read.ok) {
    return Fail(path + ": damaged project file (" + SectionName(read.error.section) + ": " + read.error.reason + ")");
  }
  const ProjectFileContents& c = read.contents;
  const std::string json = JsonObject()
                               .AddRaw("settings", Settings(c.settings))
                               .AddRaw("tracks", JsonArray(c.tracks, Track))
                               .AddRaw("windowLayout", Layout(c.layout))
                               .AddRaw("favouriteDirectories", JsonArray(c.favourites, [](const auto& f) {
                                         return JsonObject()
                                             .Add("name", f.name)
                                             .Add("path", f.path)
                                             .Add("fileFilterIndex", Int{f.filterIndex})
                                             .Text();
                                       }))
                               .AddRaw("directoryTreeNodes", JsonArray(c.treeNodes, [](const auto& n) {
                                         return JsonObject()
                                             .Add("folderPath", n.path)
                                             .Add("expandedFlag", Int{n.expanded})
                                             .Text();
                                       }))
                               .AddRaw("sources", JsonArray(c.sources, Source))
                               .AddRaw("clips", JsonArray(c.clips, Clip))
                               .AddRaw("offlineSources", OfflineRecordsJson(c, path))
                               .Text();
  std::puts(json.c_str());
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
  std::puts(JsonObject()
                .Add("input", in)
                .Add("output", doc.ProjectPath())
                .Add("tracks", static_cast<Int>(doc.timeline.tracks.size()))
                .Add("sources", static_cast<Int>(doc.sources.size()))
                .Add("clips", static_cast<Int>(clips))
                .AddRaw("offlineSources", OfflineSourcesJson(doc))
                .AddRaw("messages", JsonArray(messages, [](const auto& m) {
                          return JsonObject().Add("text", m.text).Add("caption", m.caption).Text();
                        }))
                .Text()
                .c_str());
  return 0;
}

}  // namespace vantorelle::cli
